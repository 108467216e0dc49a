// Dc: a device context over a QImage (a memory DC with a bitmap selected)
// or over a QPainter that paints a widget. It keeps the GDI state the
// skinning code juggles: the origin, a stack of saved states, the clip
// region, the pen, the brush, the font, text and background colours, the
// background mode, the foreground mix mode and the stretch mode.
//
// Coordinates passed to drawing calls are logical; the device point is the
// logical point plus the viewport origin minus the window origin. The clip
// region is kept in device coordinates, as GDI keeps it.
//
// Over a QImage every raster operation works on the pixels themselves (all
// 256 ternary operations). Over a widget's painter the operations that Qt's
// raster operations cover are mapped onto them (SRCCOPY, SRCINVERT, SRCAND,
// SRCPAINT, NOTSRCCOPY, DSTINVERT, BLACKNESS, WHITENESS, PATCOPY and
// DSPDxax); any other raises std::invalid_argument, since the widget's
// pixels cannot be read back.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <QString>
#include <optional>
#include <vector>

#include "winshim/region.h"
#include "winshim/win_types.h"

namespace kelmo::winshim {

// Ternary raster operations (BitBlt, StretchBlt, PatBlt).
enum RasterOp : std::uint32_t {
  SRCCOPY = 0x00CC0020,
  SRCPAINT = 0x00EE0086,
  SRCAND = 0x008800C6,
  SRCINVERT = 0x00660046,
  SRCERASE = 0x00440328,
  NOTSRCCOPY = 0x00330008,
  NOTSRCERASE = 0x001100A6,
  MERGECOPY = 0x00C000CA,
  MERGEPAINT = 0x00BB0226,
  PATCOPY = 0x00F00021,
  PATPAINT = 0x00FB0A09,
  PATINVERT = 0x005A0049,
  DSTINVERT = 0x00550009,
  BLACKNESS = 0x00000042,
  WHITENESS = 0x00FF0062,
  DSPDxax = 0x00E20746
};

// Foreground mix modes (SetROP2).
enum Rop2 : int { R2_BLACK = 1, R2_NOT = 6, R2_XORPEN = 7, R2_COPYPEN = 13, R2_WHITE = 16 };
enum BkMode : int { TRANSPARENT = 1, OPAQUE = 2 };
enum StretchMode : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };

// DrawEdge edges and flags.
enum EdgeBits : unsigned {
  BDR_RAISEDOUTER = 0x1,
  BDR_SUNKENOUTER = 0x2,
  BDR_RAISEDINNER = 0x4,
  BDR_SUNKENINNER = 0x8,
  EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
  EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
  EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
  EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER
};
enum EdgeFlags : unsigned {
  BF_LEFT = 0x1,
  BF_TOP = 0x2,
  BF_RIGHT = 0x4,
  BF_BOTTOM = 0x8,
  BF_TOPLEFT = BF_TOP | BF_LEFT,
  BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
  BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
  BF_MIDDLE = 0x800,
  BF_SOFT = 0x1000,
  BF_ADJUST = 0x2000,
  BF_FLAT = 0x4000,
  BF_MONO = 0x8000
};

enum class PenStyle { Solid, Dash, Dot, Null };
struct Pen {
  PenStyle style = PenStyle::Solid;
  int width = 1;
  ColorRef color = 0;
};

enum class BrushStyle { Solid, Null, Pattern };
struct Brush {
  BrushStyle style = BrushStyle::Solid;
  ColorRef color = 0xFFFFFF;
  QImage pattern;  // the tile of a pattern brush (any format; a 1-bit tile
                   // paints the DC's text colour for 0 and background for 1)
  static Brush SolidColor(ColorRef c) { return {BrushStyle::Solid, c, {}}; }
  static Brush Hollow() { return {BrushStyle::Null, 0, {}}; }
  static Brush FromPattern(const QImage& tile) { return {BrushStyle::Pattern, 0, tile}; }
};

// A logical font: a QFont with its escapement (tenths of a degree,
// counter-clockwise), which turns the text drawn with it.
struct Font {
  QFont qfont;
  int escapement = 0;
};

class Dc {
 public:
  // A memory DC with the image selected; the image must outlive the DC.
  explicit Dc(QImage& image);
  // A DC over a painter that is active on a device of the given size.
  Dc(QPainter& painter, QSize deviceSize);
  Dc(const Dc&) = delete;
  Dc& operator=(const Dc&) = delete;
  ~Dc();

  // The selected bitmap, or nullptr for a painter DC.
  QImage* Image() const { return image_; }
  QSize DeviceSize() const;

  // Origins. Each setter returns the previous value.
  QPoint SetViewportOrg(int x, int y);
  QPoint OffsetViewportOrg(int dx, int dy);
  QPoint GetViewportOrg() const { return state_.viewportOrg; }
  QPoint SetWindowOrg(int x, int y);
  QPoint GetWindowOrg() const { return state_.windowOrg; }
  QPoint LogicalToDevice(QPoint p) const;
  QPoint DeviceToLogical(QPoint p) const;

  // Saved states: SaveDC returns the new depth (1 for the first save);
  // RestoreDC takes a depth, or a negative count of states to go back.
  int SaveDC();
  bool RestoreDC(int level);

  // Clipping. SelectClipRgn takes a region in device coordinates (nullopt
  // removes the clip); the others take logical rectangles.
  RegionKind SelectClipRgn(const std::optional<QRegion>& region);
  RegionKind ExtSelectClipRgn(const std::optional<QRegion>& region, CombineMode mode);
  RegionKind ExcludeClipRect(int left, int top, int right, int bottom);
  RegionKind IntersectClipRect(int left, int top, int right, int bottom);
  // The clip box in logical coordinates (the whole device when unclipped).
  RegionKind GetClipBox(Rect& box) const;
  // The clip region in device coordinates; nullopt when unclipped.
  const std::optional<QRegion>& ClipRegion() const { return state_.clip; }
  bool PtVisible(int x, int y) const;

  // Objects; each setter returns the previous value.
  Pen SelectPen(const Pen& pen);
  Brush SelectBrush(const Brush& brush);
  Font SelectFont(const Font& font);
  const Pen& CurrentPen() const { return state_.pen; }
  const Brush& CurrentBrush() const { return state_.brush; }
  const Font& CurrentFont() const { return state_.font; }
  ColorRef SetTextColor(ColorRef c);
  ColorRef GetTextColor() const { return state_.textColor; }
  ColorRef SetBkColor(ColorRef c);
  ColorRef GetBkColor() const { return state_.bkColor; }
  BkMode SetBkMode(BkMode mode);
  BkMode GetBkMode() const { return state_.bkMode; }
  Rop2 SetROP2(Rop2 mode);
  Rop2 GetROP2() const { return state_.rop2; }
  StretchMode SetStretchBltMode(StretchMode mode);
  StretchMode GetStretchBltMode() const { return state_.stretchMode; }

  // Pixels.
  ColorRef GetPixel(int x, int y) const;  // CLR_INVALID outside the device or clip
  void SetPixel(int x, int y, ColorRef c);

  // Filled and outlined shapes; rectangles exclude their right and bottom.
  void FillRect(const Rect& r, const Brush& brush);
  void FrameRect(const Rect& r, const Brush& brush);
  void InvertRect(const Rect& r);
  // A dotted frame drawn by inverting every other pixel; drawing it twice
  // restores the picture.
  void DrawFocusRect(const Rect& r);
  // The classic 3D edges in the system colours; with BF_ADJUST the rect is
  // shrunk by the drawn edges. Returns false for an empty rect.
  bool DrawEdge(Rect& r, unsigned edge, unsigned flags);
  void Rectangle(int left, int top, int right, int bottom);
  void RoundRect(int left, int top, int right, int bottom, int w, int h);
  void Ellipse(int left, int top, int right, int bottom);
  void Polygon(const QPolygon& points);
  void Polyline(const QPolygon& points);
  QPoint MoveTo(int x, int y);
  void LineTo(int x, int y);
  // PatBlt with the current brush: PATCOPY, PATINVERT, DSTINVERT,
  // BLACKNESS, WHITENESS.
  void PatBlt(int x, int y, int w, int h, std::uint32_t rop);
  // Draws a 32-bit icon image (alpha blended) at (x, y), scaled to cx x cy
  // when they are above 0.
  void DrawIconEx(int x, int y, const QImage& icon, int cx = 0, int cy = 0);

  // Block transfers. The source is another DC; pixels are combined with the
  // destination's brush by the ternary operation. A 1-bit source gives the
  // destination's text colour for 0 bits and its background colour for 1.
  bool BitBlt(int x, int y, int w, int h, const Dc& src, int sx, int sy, std::uint32_t rop);
  bool StretchBlt(int x, int y, int w, int h, const Dc& src, int sx, int sy, int sw, int sh,
                  std::uint32_t rop);

  // Text at a point (the reference point is the top-left of the text cell),
  // with the background filled in OPAQUE mode; the font's escapement turns
  // it around the reference point.
  void TextOut(int x, int y, const QString& text);
  // ExtTextOut's clipped and opaque forms (ETO_CLIPPED 4, ETO_OPAQUE 2).
  void ExtTextOut(int x, int y, unsigned options, const Rect* rect, const QString& text);

  // Runs a drawing function with a painter set up for this DC: origin,
  // clip, no antialiasing. For callers that draw what GDI has no call for.
  template <typename F>
  void Paint(F&& draw) {
    PainterScope scope(*this);
    draw(*scope.painter);
  }

 private:
  struct State {
    QPoint viewportOrg;
    QPoint windowOrg;
    std::optional<QRegion> clip;
    Pen pen;
    Brush brush;
    Font font;
    ColorRef textColor = 0;
    ColorRef bkColor = 0xFFFFFF;
    BkMode bkMode = OPAQUE;
    Rop2 rop2 = R2_COPYPEN;
    StretchMode stretchMode = BLACKONWHITE;
    QPoint penPos;
  };
  // A painter ready for one drawing call; over an image it is begun and
  // ended around the call so the pixel loops see a settled image.
  struct PainterScope {
    explicit PainterScope(Dc& dc);
    ~PainterScope();
    Dc& dc;
    QPainter* painter;
    std::optional<QPainter> own;
  };
  friend struct PainterScope;

  QPoint Offset() const { return state_.viewportOrg - state_.windowOrg; }
  QRegion DeviceArea() const;
  QRegion Visible(const QRect& deviceRect) const;
  // Draws a shape with the current mix mode: R2_COPYPEN through the
  // painter, the others by combining the shape's coverage with the pixels.
  template <typename F>
  void DrawShape(F&& draw);
  void RopImage(const QRect& devRect, const QImage* src, QPoint srcOrigin, std::uint32_t rop);
  void RopPainter(const QRect& devRect, const QImage* src, QPoint srcOrigin, std::uint32_t rop);
  QImage SourceImage(const QImage& src, const QRect& r) const;

  QImage* image_ = nullptr;
  QPainter* painter_ = nullptr;
  QSize deviceSize_;
  State state_;
  std::vector<State> saved_;
};

inline constexpr ColorRef CLR_INVALID = 0xFFFFFFFF;

// Fills a rect of the DC with a solid colour (GDI FillRect with a new brush).
void FillSolidRect(Dc& dc, const Rect& r, ColorRef color);

}  // namespace kelmo::winshim
