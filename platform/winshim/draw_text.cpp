#include "winshim/draw_text.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

namespace kelmo::winshim {
namespace {

// Tabs expanded to the next stop: eight average characters, or the count in
// the format's high byte with DT_TABSTOP.
QString ExpandTabs(const QString& text, const QFontMetrics& fm, unsigned format) {
  if (!(format & DT_EXPANDTABS) || !text.contains(QLatin1Char('\t'))) return text;
  const int chars = (format & DT_TABSTOP) ? int((format >> 8) & 0xFF) : 8;
  const int stop = std::max(1, chars * fm.averageCharWidth());
  QString out;
  for (QChar c : text) {
    if (c != QLatin1Char('\t')) {
      out += c;
      continue;
    }
    const int w = fm.horizontalAdvance(out);
    const int next = (w / stop + 1) * stop;
    while (fm.horizontalAdvance(out) < next) out += QLatin1Char(' ');
  }
  return out;
}

// Prefix characters: "&x" underlines x, "&&" is one "&". Returns the text
// without them and the index of the underlined character (-1: none).
QString StripPrefixes(const QString& text, unsigned format, int& underline) {
  underline = -1;
  if (format & DT_NOPREFIX) return text;
  QString out;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
      ++i;
      if (text[i] != QLatin1Char('&') && underline < 0) underline = int(out.size());
    }
    out += text[i];
  }
  return out;
}

QString EndEllipsis(const QFontMetrics& fm, const QString& line, int width) {
  if (fm.horizontalAdvance(line) <= width) return line;
  const QString dots = QStringLiteral("...");
  QString s = line;
  while (!s.isEmpty() && fm.horizontalAdvance(s + dots) > width) s.chop(1);
  return s + dots;
}

QString WordEllipsis(const QFontMetrics& fm, const QString& line, int width) {
  if (fm.horizontalAdvance(line) <= width) return line;
  const QString dots = QStringLiteral("...");
  QString s = line;
  while (!s.isEmpty() && fm.horizontalAdvance(s + dots) > width) {
    const int space = int(s.lastIndexOf(QLatin1Char(' ')));
    if (space <= 0) break;
    s.truncate(space);
  }
  return s + dots;
}

// "...\" replaces the part of a path before its last separator that does
// not fit; the file name stays whole.
QString PathEllipsis(const QFontMetrics& fm, const QString& line, int width) {
  if (fm.horizontalAdvance(line) <= width) return line;
  const int cut =
      int(std::max(line.lastIndexOf(QLatin1Char('\\')), line.lastIndexOf(QLatin1Char('/'))));
  if (cut < 0) return EndEllipsis(fm, line, width);
  QString head = line.left(cut);
  const QString tail = line.mid(cut);
  const QString dots = QStringLiteral("...");
  while (!head.isEmpty() && fm.horizontalAdvance(head + dots + tail) > width) head.chop(1);
  return head + dots + tail;
}

QString ApplyEllipsis(const QFontMetrics& fm, const QString& line, int width, unsigned format) {
  if (format & DT_PATH_ELLIPSIS) return PathEllipsis(fm, line, width);
  if (format & DT_END_ELLIPSIS) return EndEllipsis(fm, line, width);
  if (format & DT_WORD_ELLIPSIS) return WordEllipsis(fm, line, width);
  return line;
}

// Breaks a paragraph into lines no wider than the width at blanks; a word
// wider than the width stays whole on its own line unless DT_EDITCONTROL
// asks for it to be broken.
QStringList WrapParagraph(const QFontMetrics& fm, const QString& para, int width, unsigned format) {
  QStringList lines;
  QString current;
  int i = 0;
  const int n = int(para.size());
  while (i < n) {
    int j = i;
    while (j < n && para[j] != QLatin1Char(' ')) ++j;
    while (j < n && para[j] == QLatin1Char(' ')) ++j;
    const QString word = para.mid(i, j - i);
    const QString candidate = current + word;
    if (current.isEmpty() || fm.horizontalAdvance(candidate.trimmed()) <= width) {
      current = candidate;
    } else {
      lines << current;
      current = word;
    }
    if ((format & DT_EDITCONTROL) && fm.horizontalAdvance(current.trimmed()) > width) {
      QString piece;
      for (QChar c : current) {
        if (!piece.isEmpty() && fm.horizontalAdvance(piece + c) > width) {
          lines << piece;
          piece.clear();
        }
        piece += c;
      }
      current = piece;
    }
    i = j;
  }
  lines << current;
  for (QString& l : lines) {
    while (l.endsWith(QLatin1Char(' '))) l.chop(1);
  }
  return lines;
}

struct Layout {
  QStringList lines;
  int underline = -1;  // index in the first line
  int lineHeight = 0;
  int width = 0;
};

Layout MakeLayout(const QFont& font, const QString& text, int width, unsigned format) {
  const QFontMetrics fm(font);
  Layout out;
  out.lineHeight = fm.height() + ((format & DT_EXTERNALLEADING) ? fm.leading() : 0);
  QString body = StripPrefixes(ExpandTabs(text, fm, format), format, out.underline);
  if (format & DT_SINGLELINE) {
    body.replace(QLatin1String("\r\n"), QLatin1String(" "));
    body.replace(QLatin1Char('\n'), QLatin1Char(' '));
    body.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.lines << body;
  } else {
    QString norm = body;
    norm.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    norm.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& para : norm.split(QLatin1Char('\n'))) {
      if (format & DT_WORDBREAK)
        out.lines << WrapParagraph(fm, para, width, format);
      else
        out.lines << para;
    }
  }
  for (QString& l : out.lines) l = ApplyEllipsis(fm, l, width, format);
  for (const QString& l : out.lines) out.width = std::max(out.width, fm.horizontalAdvance(l));
  return out;
}

}  // namespace

QString DrawTextLine(const QFont& font, const QString& text, int width, unsigned format) {
  const Layout layout = MakeLayout(font, text, width, format | DT_SINGLELINE);
  return layout.lines.value(0);
}

int DrawText(Dc& dc, const QString& text, Rect& rect, unsigned format) {
  const QFont& font = dc.CurrentFont().qfont;
  const Layout layout = MakeLayout(font, text, rect.Width(), format);
  const int total = layout.lineHeight * int(layout.lines.size());
  int top = rect.top;
  const bool single = format & DT_SINGLELINE;
  if (single && (format & DT_VCENTER))
    top = rect.top + (rect.Height() - total) / 2;
  else if (single && (format & DT_BOTTOM))
    top = rect.bottom - total;
  if (format & DT_CALCRECT) {
    rect.right = rect.left + layout.width;
    rect.bottom = rect.top + total;
    return total;
  }
  if (format & DT_PREFIXONLY) return total;
  const QFontMetrics fm(font);
  const ColorRef textColor = dc.GetTextColor();
  const ColorRef bkColor = dc.GetBkColor();
  const bool opaque = dc.GetBkMode() == OPAQUE;
  dc.Paint([&](QPainter& p) {
    if (!(format & DT_NOCLIP)) p.setClipRect(rect.ToQRect(), Qt::IntersectClip);
    p.setPen(ToQColor(textColor));
    int y = top;
    for (int i = 0; i < int(layout.lines.size()); ++i) {
      const QString& line = layout.lines[i];
      const int w = fm.horizontalAdvance(line);
      int x = rect.left;
      if (format & DT_CENTER)
        x = rect.left + (rect.Width() - w) / 2;
      else if (format & DT_RIGHT)
        x = rect.right - w;
      if (opaque) p.fillRect(QRect(x, y, w, layout.lineHeight), ToQColor(bkColor));
      p.drawText(QPoint(x, y + fm.ascent()), line);
      if (i == 0 && layout.underline >= 0 && layout.underline < line.size() &&
          !(format & DT_HIDEPREFIX)) {
        const int ux = x + fm.horizontalAdvance(line.left(layout.underline));
        const int uw = fm.horizontalAdvance(line.at(layout.underline));
        const int uy = y + fm.ascent() + fm.underlinePos();
        p.fillRect(QRect(ux, uy, uw, std::max(1, fm.lineWidth())), ToQColor(textColor));
      }
      y += layout.lineHeight;
    }
  });
  if (single && ((format & DT_VCENTER) || (format & DT_BOTTOM))) return top - rect.top + total;
  return total;
}

Font CreateFontIndirect(const LogFont& lf) {
  Font f;
  QFont& q = f.qfont;
  if (!lf.faceName.isEmpty()) q.setFamily(lf.faceName);
  if (lf.height < 0) {
    q.setPixelSize(-lf.height);
  } else if (lf.height > 0) {
    // A cell height: choose the character size whose ascent plus descent
    // comes closest to it without passing it.
    int size = lf.height;
    q.setPixelSize(size);
    while (size > 1 && QFontMetrics(q).height() > lf.height) q.setPixelSize(--size);
  }
  q.setWeight(static_cast<QFont::Weight>(std::clamp(lf.weight == 0 ? 400 : lf.weight, 100, 900)));
  q.setItalic(lf.italic);
  q.setUnderline(lf.underline);
  q.setStrikeOut(lf.strikeOut);
  if (lf.width > 0) {
    const int natural = QFontMetrics(q).averageCharWidth();
    if (natural > 0) q.setStretch(std::clamp(lf.width * 100 / natural, 1, 4000));
  }
  f.escapement = lf.escapement;
  return f;
}

LogFont GetLogFont(const Font& font) {
  LogFont lf;
  const QFont& q = font.qfont;
  lf.height = q.pixelSize() > 0 ? -q.pixelSize() : -QFontMetrics(q).ascent();
  lf.weight = int(q.weight());
  lf.italic = q.italic();
  lf.underline = q.underline();
  lf.strikeOut = q.strikeOut();
  lf.escapement = lf.orientation = font.escapement;
  lf.faceName = q.family();
  return lf;
}

}  // namespace kelmo::winshim
