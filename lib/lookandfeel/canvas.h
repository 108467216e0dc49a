// The drawing object of the editors library's painters: a canvas over a
// device context of the Win32-shaped layer (a QImage or a widget's painter)
// with the framework canvas's state (brush colour and style, font and its
// colour, pen colour, copy mode) and the operations painters repeat: bands
// and frames on chosen sides, 3-D edge rings, bitmap tiling, text in a
// rectangle with the library's text flags (embossed when disabled),
// clip-region arithmetic and bitmap rotation.
//
// Rectangles are left, top, right, bottom with right and bottom outside.
// Every operation is linear in the pixels it touches; none raises.
#pragma once

#include <QFont>
#include <QImage>
#include <QPolygon>
#include <QRegion>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

#include "lookandfeel/colors.h"
#include "winshim/dc.h"

namespace kelmo::le {

using winshim::Rect;

// Sides: 1 left, 2 top, 4 right, 8 bottom.
using TleBorders = std::uint8_t;
inline constexpr TleBorders bsLeft = 1, bsTop = 2, bsRight = 4, bsBottom = 8, bsAll = 15;
enum TleBorder : std::uint8_t { bLeft = 0, bTop = 1, bRight = 2, bBottom = 3 };

enum TleRegionOperation : std::uint8_t {
  RegionReplace = 0,
  RegionUnion = 1,
  RegionDifference = 2,
  RegionIntersection = 3
};

// The library's text flags.
enum TextFlag : std::uint32_t {
  TextFlagLeft = 1,
  TextFlagRight = 2,
  TextFlagCenterX = 4,
  TextFlagTop = 8,
  TextFlagBottom = 16,
  TextFlagCenterY = 32,
  TextFlagSingleLine = 64,
  TextFlagNoClip = 128,
  TextFlagExpandTabs = 256,
  TextFlagShowPrefix = 512,
  TextFlagWordBreak = 1024,
  TextFlagEndEllipsis = 2048,
  TextFlagCalcRect = 4096,
  TextFlagPathEllipsis = 8192,
  TextFlagNoEditControl = 16384,
};

// DrawText flags of the library flags; always from DT_NOPREFIX.
unsigned TextFlagsToDrawTextFlags(std::uint32_t flags);

// A region the caller owns (empty when made empty).
class TleRegion {
 public:
  TleRegion() = default;
  explicit TleRegion(QRegion region) : region_(std::move(region)) {}
  explicit TleRegion(const Rect& r);
  TleRegion(int left, int top, int right, int bottom);
  static TleRegion CreateEmpty() { return TleRegion(0, 0, 0, 0); }

  const QRegion& Handle() const { return region_; }
  bool IsEmpty() const { return region_.isEmpty(); }
  // RegionReplace copies the other region; the others combine into this.
  void CombineWith(const TleRegion& other, TleRegionOperation operation);
  void Offset(int dx, int dy) { region_.translate(dx, dy); }
  void ReleaseHandle() { region_ = QRegion(); }

 private:
  QRegion region_;
};

enum class TleBrushStyle { Solid, Clear };

class TleCanvas {
 public:
  explicit TleCanvas(winshim::Dc& dc);
  virtual ~TleCanvas() = default;
  TleCanvas(const TleCanvas&) = delete;
  TleCanvas& operator=(const TleCanvas&) = delete;

  winshim::Dc& Dc() const { return dc_; }

  // The framework canvas's state.
  TColor BrushColor() const { return brushColor_; }
  // Assigns only when the colour differs, so an unchanged colour keeps the brush.
  void SetBrushColor(TColor color);
  TleBrushStyle BrushStyle() const { return brushStyle_; }
  void SetBrushStyle(TleBrushStyle style) { brushStyle_ = style; }
  const QFont& Font() const { return font_; }
  void AssignFont(const QFont& font) { font_ = font; }
  TColor FontColor() const { return fontColor_; }
  void SetFontColor(TColor color) { fontColor_ = color; }
  TColor PenColor() const { return penColor_; }
  void SetPenColor(TColor color) { penColor_ = color; }
  std::uint32_t CopyMode() const { return copyMode_; }
  void SetCopyMode(std::uint32_t mode) { copyMode_ = mode; }

  void SetPixelColor(int x, int y, TColor color);
  ColorRef PixelColor(int x, int y) const;
  // Copies the source part of a bitmap onto the destination with the copy mode.
  void CopyArea(const Rect& dest, const QImage& source, const Rect& sourceRect);
  // Draws a bitmap at (x, y); 32-bit bitmaps with alpha are blended.
  void DrawBitmap(int x, int y, const QImage& bitmap);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  // A filled polygon in the brush, outlined in the pen.
  void Polygon(const QPolygon& points);
  QPoint ViewportOrigin() const;
  QPoint WindowOrigin() const;
  QPoint DeviceOrigin() const { return ViewportOrigin() - WindowOrigin(); }
  void ExcludeClipRect(const Rect& r);
  int SaveState();
  void RestoreState(int level);
  QSize MeasureText(const QString& text) const;
  int MeasureTextWidth(const QString& text) const { return MeasureText(text).width(); }
  // The framework's FillRect with the current brush (nothing for a clear one).
  void FillRect(const Rect& r);

  void FillOrTileRect(const Rect& r, const QImage* bitmap, bool exclude = false);
  void FillSideBands(const Rect& r, TColor color, bool exclude, TleBorders sides, int width);
  void FrameAndFill(const Rect& r, const QImage* fillBitmap, TColor fillColor, bool exclude,
                    int width, TColor frameColor, TleBorders sides);
  void DrawTwoColorFrame(const Rect& r, TColor first, int width, TleBorders sides, TColor second);
  void DrawEdgeRing(const Rect& r, bool sunken, TleBorders sides, bool outer);
  void InvertArea(const Rect& r);
  // Mode 0 mirrors vertically; 1 and 2 turn by a quarter (the bitmap takes
  // H by W), 3 by a half; mirror flips the result as the painters need.
  static void RotateBitmap(QImage& bitmap, int mode, bool mirror);

  void CalculateTextRect(const QString& text, Rect& r, std::uint32_t flags);
  // Moves the rectangle's top so multi-line text sits at the bottom
  // (placement 1) or the middle (2).
  void AlignTextTop(Rect& r, const QString& text, bool noEditControl, bool enabled, bool showPrefix,
                    bool wordBreak, int placement);
  void DrawTextInRect(const QString& text, Rect r, bool enabled, std::uint32_t flags);

  // The clip region (a 30000-square when there is none); logical moves it
  // by minus the device origin.
  TleRegion CurrentClipRegion(bool logical) const;
  void ApplyClipRegion(const TleRegion& region, TleRegionOperation operation, bool logical);

 private:
  // Puts the canvas state into the device context before text output.
  void PrepareText();
  void FillBand(const Rect& r, TColor color);

  winshim::Dc& dc_;
  TColor brushColor_ = clWhite;
  TleBrushStyle brushStyle_ = TleBrushStyle::Solid;
  QFont font_;
  TColor fontColor_ = clWindowText;
  TColor penColor_ = clBlack;
  std::uint32_t copyMode_ = winshim::SRCCOPY;
};

namespace detail {
// The screen canvas's own device, made before the canvas that draws on it.
struct ScreenDevice {
  ScreenDevice();
  QImage image;
  std::unique_ptr<winshim::Dc> dc;
};
}  // namespace detail

// The canvas on the screen. The screen's pixels cannot be drawn here; it
// serves measuring (text extents, theme part sizes).
class TleScreenCanvas : private detail::ScreenDevice, public TleCanvas {
 public:
  TleScreenCanvas() : TleCanvas(*dc) {}
};

}  // namespace kelmo::le
