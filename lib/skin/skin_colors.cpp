#include "skin/skin_colors.h"

#include <QPainter>
#include <functional>
#include <set>

#include "skin/paint_primitives.h"

namespace kelmo::skin {
namespace {

using ColorFn = std::function<TColor(TColor)>;

TColor FromRgb(QRgb p) {
  return TColor(qRed(p) | qGreen(p) << 8 | qBlue(p) << 16);
}
QRgb ToRgb(TColor c, int alpha) {
  return qRgba(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF), alpha);
}

// Every pixel that is neither $FF00FF nor (with `skipGrey`) grey.
void RecolorImage(QImage& img, const ColorFn& f, bool skipGrey) {
  if (img.isNull()) return;
  const bool alpha = img.hasAlphaChannel();
  if (!alpha && img.format() != QImage::Format_RGB888)
    img = img.convertToFormat(QImage::Format_RGB888);
  if (alpha && img.format() != QImage::Format_ARGB32)
    img = img.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb p = img.pixel(x, y);
      const TColor c = FromRgb(p);
      if (c == kTransparentKey) continue;
      if (skipGrey && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) continue;
      img.setPixel(x, y, ToRgb(f(c), qAlpha(p)));
    }
}

void RecolorValue(std::int32_t& c, const ColorFn& f) {
  if (c != -1) c = std::int32_t(f(TColor(c)));
}

void RecolorSections(TkSkinManager& m, const ColorFn& f) {
  for (TkGeneralData& s : m.gd) {
    s.Color = f(s.Color);
    s.HotColor = f(s.HotColor);
    for (auto& c : s.FontColor) RecolorValue(c, f);
    for (auto& c : s.HotFontColor) RecolorValue(c, f);
    for (TkGradArray* arr : {&s.GradientArray, &s.HotGradientArray})
      for (auto& stop : *arr) {
        stop.Color1 = f(stop.Color1);
        stop.Color2 = f(stop.Color2);
      }
  }
  m.SkinData.ShadowColor = f(m.SkinData.ShadowColor);
  m.SkinData.PlainBorderColor = f(m.SkinData.PlainBorderColor);
}

const char* const kCloseIcons[] = {"BICONCLOSE", "SICONCLOSE"};
const char* const kOtherIcons[] = {"BICONMAX", "BICONMIN", "BICONNORM", "BICONHELP",
                                   "SICONMAX", "SICONMIN", "SICONNORM"};

}  // namespace

void ChangeHue(TkSkinManager& m, int offset) {
  if (offset == 0) return;
  const ColorFn f = [offset](TColor c) { return ShiftColorHue(offset, c); };
  const int keepHue = m.SkinData.TitleBtnKeepHue;
  std::set<int> keep;
  std::vector<std::pair<int, QImage>> saved;  // icons of the master bitmap
  auto save = [&](const char* name, bool always) {
    const bool keeps = always || keepHue == 1;
    const QString icon = QLatin1String(name);
    const int i = m.GetMaskIndexExact(0, QStringLiteral("GLOBALINFO"), icon);
    const int glow = m.GetMaskIndexExact(0, QStringLiteral("GLOBALINFO"), icon + "GLOW0");
    const bool glowOwn = m.IsValidImgIndex(glow) && m.ma[std::size_t(glow)].Bmp;
    if (m.IsValidImgIndex(i) && !m.ma[std::size_t(i)].Bmp && m.MasterBitmap) {
      const Rect& r = m.ma[std::size_t(i)].R;
      saved.emplace_back(i, m.MasterBitmap->copy(r.left, r.top, r.Width(), r.Height()));
    } else if (keeps) {
      keep.insert(i);
    }
    if (keeps && glowOwn) keep.insert(glow);
  };
  if (keepHue != 0) {
    for (const char* n : kCloseIcons) save(n, true);
    if (keepHue == 1)
      for (const char* n : kOtherIcons) save(n, false);
  }
  if (m.MasterBitmap) RecolorImage(*m.MasterBitmap, f, true);
  for (auto& [i, copy] : saved) {
    if (!m.IsValidImgIndex(i) || !m.MasterBitmap) continue;
    const Rect& r = m.ma[std::size_t(i)].R;
    QPainter p(m.MasterBitmap.get());
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(r.left, r.top, copy);
  }
  for (std::size_t i = 0; i < m.ma.size(); ++i) {
    TkMaskData& mask = m.ma[i];
    if (!mask.Bmp || (keepHue != 0 && keep.count(int(i)))) continue;
    // Pictures with alpha spare their grey pixels; the others only the key.
    RecolorImage(*mask.Bmp, f, mask.Bmp->hasAlphaChannel());
  }
  RecolorSections(m, f);
}

void ChangeSaturation(TkSkinManager& m, int value) {
  if (value == 0) return;
  const int percent = -(value % 101);
  const ColorFn f = [percent](TColor c) { return DesaturateColor(c, percent); };
  if (m.MasterBitmap) RecolorImage(*m.MasterBitmap, f, true);
  for (TkMaskData& mask : m.ma)
    if (mask.Bmp) RecolorImage(*mask.Bmp, f, true);
  RecolorSections(m, f);
}

}  // namespace kelmo::skin
