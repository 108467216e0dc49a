// The Office-2003 colour set.
#include "lookandfeel/office11_colors.h"

#include <QFileInfo>
#include <algorithm>

#include "lookandfeel/theme_manager.h"

namespace kelmo::le {
namespace {

struct SchemeState {
  Office11Colors colors;
  int scheme = 0;
  bool inUse = false;
  int count = 0;
  QImage minus, plus;
};

SchemeState& S() {
  static SchemeState s;
  return s;
}

// The scheme values of the three Luna schemes, in slot order up to
// FrameDark.
constexpr ColorRef kScheme[3][19] = {
    {0xF5BE9E, 0xF9DAC3, 0xFEECDD, 0xE2A981, 0xCB8C6A, 0xFFF9F1, 0xC9662A, 0xFFFFFF, 0x800000,
     0xCCF4FF, 0x91D0FF, 0x8ED3FF, 0x000000, 0x8D8D8D, 0x962D00, 0xFBDABE, 0x94E6FB, 0xFADAC4,
     0x962D00},
    {0xA7D9D9, 0xE4F0F2, 0xDEF7F4, 0x91C6B7, 0x588060, 0xDEF7F4, 0x5E8674, 0xFFFFFF, 0x385D3F,
     0xCCF4FF, 0x91D0FF, 0x8ED3FF, 0x000000, 0x8D8D8D, 0x5E8D75, 0x91BAAF, 0x94E6FB, 0xE4F1F2,
     0x588060},
    {0xE5D7D7, 0xF7F3F3, 0xFAF4F3, 0xB59799, 0x8F6D6E, 0xFFFFFF, 0x99797A, 0xFFFFFF, 0x6F4B4B,
     0xCCF4FF, 0x91D0FF, 0x8ED3FF, 0x000000, 0x8D8D8D, 0x947C7C, 0xEBE5E5, 0x94E6FB, 0xF7F3F3,
     0x947C7C}};
constexpr ColorRef kShadowMid[3][2] = {
    {0x913500, 0xE0A47B}, {0x6B7760, 0x8FC4B5}, {0x927476, 0xB09193}};

void SetSlots(Office11Colors& c, const ColorRef (&v)[19]) {
  ColorRef* fields[] = {&c.Face,           &c.FaceLight, &c.GradientLight, &c.GradientDark,
                        &c.ShadowLight,    &c.EdgeLight, &c.Shadow,        &c.Highlight3D,
                        &c.SelectionFrame, &c.HotLight,  &c.HotDark,       &c.Pressed,
                        &c.Text,           &c.GrayText,  &c.Frame,         &c.PanelFace,
                        &c.Marker,         &c.FaceAlt,   &c.FrameDark};
  for (int i = 0; i < 19; ++i) *fields[i] = v[i];
}

// Our own glyphs: a grey frame with a light face and a dark sign.
QImage ExpandGlyph(bool plus) {
  QImage img(11, 11, QImage::Format_RGB32);
  img.fill(QColor(0xF7, 0xF7, 0xF7));
  const QRgb frame = qRgb(0x7B, 0x94, 0xB5), sign = qRgb(0x20, 0x20, 0x20);
  for (int i = 0; i < 11; ++i) {
    img.setPixel(i, 0, frame);
    img.setPixel(i, 10, frame);
    img.setPixel(0, i, frame);
    img.setPixel(10, i, frame);
  }
  for (int i = 3; i <= 7; ++i) {
    img.setPixel(i, 5, sign);
    if (plus) img.setPixel(5, i, sign);
  }
  return img;
}

void LoadResources() {
  S().minus = ExpandGlyph(false);
  S().plus = ExpandGlyph(true);
}
void FreeResources() {
  S().minus = QImage();
  S().plus = QImage();
}

}  // namespace

const Office11Colors& Office11() {
  return S().colors;
}

int DetectOffice11Scheme() {
  if (!ThemesAvailableFor(0)) return 0;
  QString file, color, size;
  if (UxTheme().GetCurrentThemeName(file, color, size) < 0) return 0;
  QString name = file;
  name = name.mid(std::max(name.lastIndexOf('\\'), name.lastIndexOf('/')) + 1).toUpper();
  if (name != "LUNA.MSSTYLES") return 0;
  const QString c = color.toUpper();
  if (c == "NORMALCOLOR") return 1;
  if (c == "HOMESTEAD") return 2;
  if (c == "METALLIC") return 3;
  return 0;
}

int CurrentOffice11Scheme() {
  return S().scheme;
}
bool Office11SchemeInUse() {
  return S().inUse;
}

void ComputeOffice11Colors() {
  S().scheme = DetectOffice11Scheme();
  S().inUse = ThemesAvailableFor(0) && S().scheme != 0;
  Office11Colors& c = S().colors;
  if (S().inUse) {
    const int i = S().scheme - 1;
    SetSlots(c, kScheme[i]);
    c.ShadowMid = MixColorsPercent(static_cast<TColor>(kShadowMid[i][0]),
                                   static_cast<TColor>(kShadowMid[i][1]), 50);
    return;
  }
  const ColorRef face = ResolveColor(clBtnFace), shadow = ResolveColor(clBtnShadow);
  c.Face = face;
  c.FaceLight = MixColorsPercent(clBtnFace, clWindow, 20);
  c.GradientLight = MixColorsPercent(clBtnFace, clWindow, 22);
  c.GradientDark = MixColorsPercent(clBtnFace, clWindow, 96);
  c.ShadowLight = MixColorsPercent(clBtnShadow, clWindow, 70);
  c.EdgeLight = 0xFFFFFF;
  c.Shadow = shadow;
  c.Highlight3D = ResolveColor(clBtnHighlight);
  c.SelectionFrame = ResolveColor(clHighlight);
  c.HotLight = NearestScreenColor(static_cast<TColor>(SystemColorMix(-2, 30, 72)));
  c.HotDark = c.HotLight;
  c.Pressed = NearestScreenColor(static_cast<TColor>(SystemColorMix(14, 44, 40)));
  c.Text = ResolveColor(clBtnText);
  c.GrayText = ResolveColor(clGrayText);
  c.Frame = shadow;
  c.PanelFace = face;
  c.Marker = SystemColorMix(41, 11, 48);
  c.FaceAlt = face;
  c.FrameDark = shadow;
  c.ShadowMid = MixColorsPercent(clBtnShadow, clBtnFace, 50);
}

void AcquireOffice11Colors() {
  if (S().count == 0) {
    ComputeOffice11Colors();
    LoadResources();
  }
  ++S().count;
}

void RecomputeOffice11Colors() {
  ComputeOffice11Colors();
  if (S().count > 0) {
    FreeResources();
    LoadResources();
  }
}

void ReleaseOffice11Colors() {
  if (S().count == 0) return;
  if (--S().count == 0) FreeResources();
}

int Office11AcquisitionCount() {
  return S().count;
}

const QImage& Office11ExpandButtonBitmap(bool expanded) {
  return expanded ? S().minus : S().plus;
}

ColorRef MixColorsPercent(TColor c1, TColor c2, int p) {
  const ColorRef a = ResolveColor(c1), b = ResolveColor(c2);
  ColorRef out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int v = MulDiv(static_cast<int>((b >> shift) & 0xFF), 100 - p, 100) +
                  MulDiv(static_cast<int>((a >> shift) & 0xFF), p, 100);
    out |= static_cast<ColorRef>(std::min(255, v)) << shift;
  }
  return NearestScreenColor(static_cast<TColor>(out));
}

void FillColorRect(TleCanvas& canvas, const Rect& r, TColor color) {
  winshim::FillSolidRect(canvas.Dc(), r, ResolveColor(color));
}

void FillGradientRect(TleCanvas& canvas, const Rect& r, TColor first, bool horizontal,
                      TColor second) {
  const ColorRef a = ResolveColor(first), b = ResolveColor(second);
  if (a == b) {
    FillColorRect(canvas, r, static_cast<TColor>(a));
    return;
  }
  const int extent = horizontal ? r.Width() : r.Height();
  const int n = std::min(extent, 256);
  if (n <= 0) return;
  Rect band = r;
  const int nearEdge = horizontal ? r.left : r.top;
  const int farEdge = horizontal ? r.right : r.bottom;
  for (int i = 0; i < n; ++i) {
    const int edge = nearEdge + MulDiv(i + 1, extent, n);
    (horizontal ? band.right : band.bottom) = edge;
    ColorRef c = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const int ca = static_cast<int>((a >> shift) & 0xFF),
                cb = static_cast<int>((b >> shift) & 0xFF);
      const int v = n == 1 ? ca : ca + MulDiv(i, cb - ca, n - 1);
      c |= static_cast<ColorRef>(v & 0xFF) << shift;
    }
    if (!band.IsEmpty()) winshim::FillSolidRect(canvas.Dc(), band, c);
    (horizontal ? band.left : band.top) = edge;
    if (edge >= farEdge) break;
  }
}

}  // namespace kelmo::le
