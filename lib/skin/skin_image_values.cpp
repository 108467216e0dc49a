#include "skin/skin_image_values.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

#include "skin/skin_options.h"

namespace kelmo::skin {
namespace {

std::int16_t Field(const QString& v, int pos1, int len) {
  return std::int16_t(StrToInt(v.mid(pos1 - 1, len)));
}

// Left, top, right and bottom at the fixed columns 2, 7, 12 and 17.
Rect FixedRect(const QString& v) {
  return Rect{Field(v, 2, 4), Field(v, 7, 4), Field(v, 12, 4), Field(v, 17, 4)};
}

// Words separated by blanks, a parenthesised group being one word.
QStringList OldFormWords(const QString& v) {
  QStringList words;
  QString cur;
  bool inGroup = false;
  auto flush = [&] {
    if (!cur.trimmed().isEmpty()) words << cur.trimmed();
    cur.clear();
  };
  for (QChar c : v) {
    if (c == u'(') {
      flush();
      inGroup = true;
    } else if (c == u')') {
      flush();
      inGroup = false;
    } else if (c == u' ' && !inGroup) {
      flush();
    } else {
      cur += c;
    }
  }
  flush();
  return words;
}

QStringList Numbers(const QString& word) {
  QStringList out;
  for (const QString& s :
       word.split(QRegularExpression(QStringLiteral("[ ,]")), Qt::SkipEmptyParts))
    out << s;
  return out;
}

std::optional<TkImageValue> OldForm(const QString& section, const QString& key, const QString& v) {
  const QStringList words = OldFormWords(v);
  const QString bad = QStringLiteral("'%1' is not a valid image description").arg(v);
  if (words.size() < 3) throw EConvertError(bad.toStdString());
  const QStringList r = Numbers(words[1]), n = Numbers(words[2]);
  if (r.size() != 4 || n.size() < 2 || n.size() > 4) throw EConvertError(bad.toStdString());
  TkImageValue out;
  TkMaskData& m = out.Mask;
  m.ClassName = section.toUpper();
  m.PropertyName = key.toUpper();
  m.R = Rect{StrToInt(r[0]), StrToInt(r[1]), StrToInt(r[2]), StrToInt(r[3])};
  m.ImageCount = std::int16_t(std::max(1, StrToInt(n[0])));
  m.MaskType = std::int16_t(std::max(0, StrToInt(n[1])));
  m.BorderWidth = std::int16_t(n.size() > 2 ? std::max(0, StrToInt(n[2])) : 0);
  m.DrawMode = std::int16_t(n.size() > 3 ? StrToInt(n[3]) : 1);
  m.ImgType = TkaImgType::itisaBorder;
  ApplyMarginsRule(m);
  return out;
}

}  // namespace

void ApplyMarginsRule(TkMaskData& m) {
  if (m.WL != 0 || m.WT != 0 || m.WR != 0 || m.WB != 0) return;
  if (m.BorderWidth != 0) {
    m.WL = m.WT = m.WR = m.WB = m.BorderWidth;
    return;
  }
  const int count = m.ImageCount == 0 ? 1 : m.ImageCount;
  m.WL = m.WR = std::int16_t(m.R.Width() / (count * 3));
  m.WT = m.WB = std::int16_t(m.MaskType >= 0 ? m.R.Height() / ((m.MaskType + 1) * 3) : 0);
}

std::optional<TkImageValue> ParseImageValue(const QString& section, const QString& key,
                                            const QString& v) {
  if (v.isEmpty()) return std::nullopt;
  TkImageValue out;
  TkMaskData& m = out.Mask;
  m.ClassName = section;
  m.PropertyName = key;
  switch (v[0].unicode()) {
    case '!': {
      const QStringList w = v.split(u'!');  // w[0] is the empty text before the mark
      if (w.size() < 5)
        throw EConvertError(
            QStringLiteral("'%1' is not a valid image description").arg(v).toStdString());
      if (!w[1].contains(QStringLiteral(".BMP")) && !w[1].contains(QStringLiteral(".PNG")))
        return std::nullopt;
      out.FileName = w[1];
      m.ImageCount = std::int16_t(StrToInt(w[2]));
      m.MaskType = std::int16_t(StrToInt(w[3]));
      const int type = std::clamp(StrToInt(w[4]), 0, 4);
      m.ImgType = TkaImgType(type);
      m.DrawMode = 4;
      if (w.size() > 5) {
        m.WL = std::int16_t(StrToInt(w.value(5)));
        m.WT = std::int16_t(StrToInt(w.value(6)));
        m.WR = std::int16_t(StrToInt(w.value(7)));
        m.WB = std::int16_t(StrToInt(w.value(8)));
      }
      // R and the margins rule follow once the file's size is known.
      return out;
    }
    case '@':
      m.R = FixedRect(v);
      m.ImageCount = Field(v, 22, 1);
      m.MaskType = Field(v, 24, 1);
      m.ImgType = TkaImgType::itisaGlyph;
      return out;
    case '^':
      m.R = FixedRect(v);
      m.WL = Field(v, 22, 4);
      m.WT = Field(v, 27, 4);
      m.WR = Field(v, 32, 4);
      m.WB = Field(v, 37, 4);
      m.ImageCount = Field(v, 42, 1);
      m.MaskType = Field(v, 44, 1);
      m.DrawMode = Field(v, 46, 1);
      m.BorderWidth = Field(v, 48, 1);
      m.ImgType = TkaImgType::itisaBorder;
      ApplyMarginsRule(m);
      return out;
    case '~':
      m.R = FixedRect(v);
      m.DrawMode = Field(v, 22, 2);
      m.MaskType = v.size() > 24 ? Field(v, 25, 1) : 0;
      m.ImageCount = 1;
      m.ImgType = TkaImgType::itisaTexture;
      return out;
    default:
      break;
  }
  if (v.contains(u'#')) {
    if (v == QStringLiteral("#")) return std::nullopt;
    return OldForm(section, key, v);
  }
  const QString upper = v.toUpper();
  if (!upper.contains(QStringLiteral(".BMP"))) return std::nullopt;
  m.ClassName = section.toUpper();
  m.PropertyName = key.toUpper();
  m.ImageCount = 3;
  m.MaskType = 1;
  out.FileName = upper;
  return out;
}

}  // namespace kelmo::skin
