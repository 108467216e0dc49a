// TkaComboBoxWnd, the wrapper of a combo box (a QComboBox): its border and
// drop-down button are painted from the skin (section COMBOBTN, the arrow
// from COMBOBOX's GLYPHMASK), the text of a drop-down list combo box is
// drawn into its cache, and its drop-down list is coloured and wrapped the
// first time it asks for its colours. TkaWWComboBoxWnd serves the further
// combo-box class: whether it shows a button depends on its class and kind.
#pragma once

#include <memory>

#include "skinwnd/edit_wnd.h"
#include "winshim/dc.h"

namespace kelmo::skinwnd {

class TkaComboBoxWnd : public TkaEditWnd {
 public:
  TkaComboBoxWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
                 bool repaint);
  ~TkaComboBoxWnd() override;
  void Init(bool repaint) override;

  HWND ListWnd = 0;  // the drop-down list, learned from its first colour request
  std::unique_ptr<TkaComboListWnd> ListWrapper;

  void WndProc(Msg& msg, const NextHandler& next) override;
  // The drop-down button, in window coordinates.
  virtual void ButtonRect(Rect& r) const;
  void PaintButton(winshim::Dc& dc);
  // The button painted anew on the widget.
  void RepaintButton();
  void DrawComboText();
  void PaintSimpleBorder();
  // 2 dropped down, 1 hot or focused, 0 normal.
  int ButtonState() const;
  // The brush answered to the list's colour request: one, of the current
  // colour, kept while the wrapper lives.
  const winshim::Brush* ListBrush() const { return listBrush_.get(); }

 protected:
  int ButtonWidth(bool hasButton) const;

 private:
  void PaintFace(winshim::Dc& dc);
  void ColourList(Msg& msg);
  std::unique_ptr<winshim::Brush> listBrush_;
};

class TkaWWComboBoxWnd : public TkaComboBoxWnd {
 public:
  // The control's class and kind decide whether it has a button.
  TkaWWComboBoxWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
                   bool repaint);
  bool HasDropButton = false;
  void ButtonRect(Rect& r) const override;
};

}  // namespace kelmo::skinwnd
