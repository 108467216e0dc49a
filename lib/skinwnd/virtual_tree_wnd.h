// TkaVirtualTreeViewWnd, the wrapper of a virtual tree: a tree-and-list
// control that draws its own column header and publishes its colours and
// header-drawing events by name ("VETColors", "Header", "PaintInfoColumn",
// "Themed", "OnAdvancedHeaderDraw", "OnHeaderDrawQueryElements"). The
// wrapper sets those colours from the skin and, when the control has no
// header-drawing handlers of its own, draws the header itself: COLHEADER
// (BUTTON without it) as background, the columns' texts in its font
// colours, the scroll buttons' arrows as sort marks.
#pragma once

#include <QMetaType>
#include <functional>

#include "skinwnd/edit_wnd.h"

namespace kelmo::winshim {
class Dc;
}

namespace kelmo::skinwnd {

// What a virtual tree tells its header-drawing handlers about one part of
// the header.
struct TkHeaderPaintInfo {
  winshim::Dc* TargetCanvas = nullptr;
  QObject* Column = nullptr;  // nullptr: the area without a column
  Rect PaintRectangle, TextRectangle;
  bool IsHoverIndex = false, IsDownIndex = false, ShowSortGlyph = false;
  QPoint SortGlyphPos;
};

// The header elements: 0 background, 1 text, 3 sort glyph, 4 the text of
// an owner-drawn column.
enum : int { hpeBackground = 1, hpeText = 2, hpeSortGlyph = 8, hpeOverlay = 16 };

// An event property's value: the handler and who set it (nullptr: the
// control's own).
struct TkAdvancedHeaderDrawEvent {
  std::function<void(QObject*, TkHeaderPaintInfo&, int)> Handler;
  const void* Owner = nullptr;
};
struct TkHeaderDrawQueryElementsEvent {
  std::function<void(QObject*, TkHeaderPaintInfo&, int&)> Handler;
  const void* Owner = nullptr;
};

class TkaVirtualTreeViewWnd : public TkaEditWnd {
 public:
  TkaVirtualTreeViewWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                        const QString& sectionName, bool repaint);
  ~TkaVirtualTreeViewWnd() override;

  TColor SavedCompressedColor = 0, SavedFileColor = 0, SavedFolderColor = 0;
  bool SavedOwnerDraw = false;

  void KeepOwnLook() override;
  void RestoreOwnLook() override;
  void ApplySectionLook() override;
  void WndProc(Msg& msg, const NextHandler& next) override;

  void HeaderDrawHandler(QObject* sender, TkHeaderPaintInfo& info, int elements);
  // Asks for the background, text and sort-glyph elements.
  void HeaderElementsHandler(QObject* sender, TkHeaderPaintInfo& info, int& elements);

 private:
  QObject* Control() const;
};

}  // namespace kelmo::skinwnd

Q_DECLARE_METATYPE(kelmo::skinwnd::TkAdvancedHeaderDrawEvent)
Q_DECLARE_METATYPE(kelmo::skinwnd::TkHeaderDrawQueryElementsEvent)
