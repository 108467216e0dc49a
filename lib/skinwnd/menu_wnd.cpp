#include "skinwnd/menu_wnd.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QWidget>

#include "skin/item_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_messages.h"
#include "skin/skin_text.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

// The frame of a popup menu: its client area lies this far inside.
constexpr int kMenuFrame = 3;
// The menu painter's question whether the window's region is set.
constexpr int scMenuRgnQuery = 8;

std::vector<std::unique_ptr<TkaMnuWnd>>& Leaving() {
  static std::vector<std::unique_ptr<TkaMnuWnd>> leaving;
  return leaving;
}

}  // namespace

MenuWrapperUnit& MenuUnit() {
  static MenuWrapperUnit unit;
  return unit;
}

TkaMnuWnd* AddMenuWrapper(HWND wnd, TkSkinManager* manager, const QString& sectionName) {
  auto w = MakeWrapper<TkaMnuWnd>(wnd, nullptr, manager, sectionName, false);
  TkaMnuWnd* raw = w.get();
  MenuUnit().TkaMnuArray.push_back(std::move(w));
  return raw;
}

void FreeLeftMenuWrappers() {
  Leaving().clear();
}

TkaMnuWnd::TkaMnuWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                     const QString& sectionName, bool repaint)
    : TkaScrollWnd(wnd, link, manager, sectionName, repaint) {}

TkaMnuWnd::~TkaMnuWnd() {
  Destroy();
}

void TkaMnuWnd::PrepareCache() {
  GetWndGeometry(*this);
  if (!SkinLink->BGChanged || Extent.isEmpty()) return;
  SkinLink->FCacheBmp = CreateBmp24(Extent.width(), Extent.height());
  PaintControlItem(
      *SkinLink, kEmptyBgSource, true, true, SkinLink->FCacheBmp,
      QPoint(ScreenRect.left - ParentScreenRect.left, ScreenRect.top - ParentScreenRect.top),
      {0, 0, Extent.width(), Extent.height()}, 0);
  UpdateWndCorners(SkinLink, 0, *this);
  SkinLink->BGChanged = false;
}

void TkaMnuWnd::WindowGoing(Msg& msg, const NextHandler& next) {
  RegionSet = false;
  MenuWrapperUnit& unit = MenuUnit();
  // The slot gives the wrapper up; it is freed after this message.
  for (auto& slot : unit.TkaMnuArray)
    if (slot && slot->WndHandle == WndHandle) {
      Leaving().push_back(std::move(slot));
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [] { FreeLeftMenuWrappers(); }, Qt::QueuedConnection);
    }
  const ws::LRESULT answer = CallPrevWndProc(msg, next);
  if (Attached() && !Released) Release(false);
  bool any = false;
  for (auto& slot : unit.TkaMnuArray) {
    if (!slot) continue;
    any = true;
    RedrawWndFrame(slot->WndHandle, false);
  }
  if (!any) unit.TkaMnuArray.clear();
  unit.MenuSkinActive = false;
  msg.result = answer;
}

void TkaMnuWnd::WndProc(Msg& msg, const NextHandler& next) {
  switch (msg.msg) {
    case ws::WM_DESTROY:
    case ws::WM_NCDESTROY:
      WindowGoing(msg, next);
      return;
    case SM_SKINCMD:
      switch (ws::HiWord(msg.wParam)) {
        case scIsSkinned:
          msg.result = 1;
          break;
        case scMenuRgnQuery:
          msg.result = RegionSet ? 1 : 0;
          break;
        case scMenuRgnDone:
          if (ws::GetWindowLong(WndHandle, ws::GWL_STYLE) & ws::WS_VISIBLE) RegionSet = true;
          break;
        case scGetApplication:
          msg.result = ws::LRESULT(QCoreApplication::instance());
          break;
        default:
          break;
      }
      // Commands the menu window does not know stop here.
      return;
    default:
      break;
  }
  if (MenuUnit().MenuSkinActive) {
    switch (msg.msg) {
      case ws::WM_ERASEBKGND:
        PrepareCache();
        if (auto* dc = reinterpret_cast<ws::Dc*>(msg.wParam); dc && !SkinLink->FCacheBmp.isNull()) {
          ws::Dc src(SkinLink->FCacheBmp);
          dc->BitBlt(0, 0, SkinLink->FCacheBmp.width(), SkinLink->FCacheBmp.height(), src,
                     kMenuFrame, kMenuFrame, ws::SRCCOPY);
        }
        RegionSet = false;
        msg.result = 1;
        return;
      case ws::WM_NCPAINT:
        PrepareCache();
        if (auto dc = ws::GetWindowDC(WndHandle); dc && !SkinLink->FCacheBmp.isNull()) {
          ws::Dc src(SkinLink->FCacheBmp);
          BitBltFrame(*dc, 0, 0, kMenuFrame, SkinLink->FCacheBmp.height(),
                      SkinLink->FCacheBmp.width(), src, 0, 0);
        }
        return;
      default:
        break;
    }
  }
  TkaScrollWnd::WndProc(msg, next);
}

}  // namespace kelmo::skinwnd
