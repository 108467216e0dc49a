#include "skinwnd/main_wnd.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>
#include <QWidget>
#include <algorithm>

#include "skin/control_utils.h"
#include "skin/glow.h"
#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"
#include "winshim/system_profile.h"
#include "winshim/theme.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

WrapperUnitState& WrapperState() {
  static WrapperUnitState state;
  return state;
}

QString WindowTextOf(HWND wnd) {
  QWidget* w = ws::WidgetOf(wnd);
  if (!w) return {};
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) return edit->toPlainText();
  if (auto* edit = qobject_cast<QTextEdit*>(w)) return edit->toPlainText();
  if (auto* box = qobject_cast<QGroupBox*>(w)) return box->title();
  return w->windowTitle();
}

TkaMainWnd::TkaMainWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                       const QString& sectionName, bool /*repaint*/)
    : WndHandle(wnd), Manager(manager) {
  // The platform's visual style would paint over the skin; a dialog keeps it.
  if (sectionName.compare(QStringLiteral("DIALOG"), Qt::CaseInsensitive) != 0)
    ws::SetWindowTheme(wnd, QStringLiteral(" "), QStringLiteral(" "));
  if (link) {
    SkinLink = link;
    if (!Manager) Manager = link->GetSkinManager();
  } else {
    // A window without a control of ours: the wrapper's own link, for the
    // window's widget.
    OwnsLink = true;
    ownLink_ = std::make_unique<TkCommonData>(ws::WidgetOf(wnd), true);
    SkinLink = ownLink_.get();
    if (manager) SkinLink->SkinManager = manager;
  }
  if (SkinLink->SkinSection.isEmpty()) {
    SkinLink->SkinSection = sectionName.toUpper();
    SkinLink->UpdateIndexes();
  }
  InDialog = WrapperState().WrappingDialog;
}

void TkaMainWnd::Init(bool repaint) {
  KeepOwnLook();
  LookApplied = false;
  KeptText = WindowTextOf(WndHandle);
  Attach(repaint);
  // A control of ours paints its whole face from the cache.
  if (QWidget* owner = OwnerControl()) owner->setAttribute(Qt::WA_OpaquePaintEvent);
}

QWidget* TkaMainWnd::OwnerControl() const {
  return OwnsLink || !SkinLink ? nullptr : SkinLink->Owner();
}

TkaMainWnd::~TkaMainWnd() {
  Destroy();
}

void TkaMainWnd::Destroy() {
  if (!Released) {
    // While the adapter frees all its wrappers outside a skin change the
    // windows are going away: their look and style are left alone.
    if (!(WrapperState().AdapterRemovingAll && !SkinRemoving())) {
      ws::SetWindowTheme(WndHandle, std::nullopt, std::nullopt);
      Unhook();
      RestoreOwnLook();
    }
    // Never leave a handler or a property naming a freed wrapper, nor a
    // frame it painted.
    Unhook();
    ws::ResetNonClient(WndHandle);
    Released = true;
  }
  Manager = nullptr;
}

void TkaMainWnd::SubclassWnd(HWND wnd) {
  SendingScroll = false;
  WndHandle = wnd;
  ws::SetProp(wnd, kWrapperProp, std::intptr_t(this));
  handlerId_ = ws::Subclass(wnd, [this](HWND, Msg& m, const NextHandler& next) {
    if (Released)
      next(m);
    else
      WndProc(m, next);
  });
}

void TkaMainWnd::Unhook() {
  // The control paints its own background again (Qt would leave the area
  // it does not paint undefined).
  if (handlerId_)
    if (QWidget* owner = OwnerControl()) owner->setAttribute(Qt::WA_OpaquePaintEvent, false);
  if (handlerId_) ws::RemoveHandler(WndHandle, handlerId_);
  handlerId_ = 0;
  if (ws::GetProp(WndHandle, kWrapperProp) == std::intptr_t(this))
    ws::RemoveProp(WndHandle, kWrapperProp);
}

void TkaMainWnd::Release(bool frameMode) {
  if (Released) return;
  Unhook();
  ws::ResetNonClient(WndHandle);
  RestoreOwnLook();
  if (ws::GetWindowLong(WndHandle, ws::GWL_STYLE) & ws::WS_VISIBLE)
    RedrawWndFrame(WndHandle, frameMode);
  Released = true;
}

winshim::LRESULT TkaMainWnd::CallPrevWndProc(Msg& msg, const NextHandler& next) {
  msg.result = 0;
  if (next) next(msg);
  return msg.result;
}

TkSkinManager* TkaMainWnd::LinkManager() const {
  return SkinLink ? SkinLink->GetSkinManager() : nullptr;
}

bool TkaMainWnd::SkinInForce() const {
  const TkSkinManager* m = LinkManager();
  return m && !m->Destroying && m->SkinData.SkinActive;
}

void TkaMainWnd::WndProc(Msg& msg, const NextHandler& next) {
  switch (msg.msg) {
    case ws::WM_DESTROY:
    case ws::WM_NCDESTROY: {
      if (SkinLink && SkinLink->GlowIndex >= 0) {
        HideGlow(SkinLink->GlowIndex);
        SkinLink->GlowIndex = -1;
      }
      const winshim::LRESULT answer = CallPrevWndProc(msg, next);
      if (Attached()) Release(false);
      msg.result = answer;
      return;
    }
    case ws::WM_UPDATEUISTATE:
      // The window would redraw its focus cues over the skin.
      return;
    case ws::WM_SIZE:
      if (SkinLink) SkinLink->BGChanged = true;
      break;
    case ws::WM_SETTEXT:
      CommonPath(msg, next);
      KeptText = WindowTextOf(WndHandle);
      return;
    case ws::WM_MOUSEMOVE: {
      TkSkinManager* def = TkSkinManager::Default();
      QWidget* w = ws::WidgetOf(WndHandle);
      if (def && def->Component && w && w->isEnabled() &&
          def->Component->ActiveControl() != WndHandle)
        def->Component->SetActiveControl(WndHandle);
      break;
    }
    case ws::WM_PRINT:
      msg.result = ws::SendMessage(WndHandle, ws::WM_PAINT, msg.wParam, msg.lParam);
      return;
    default:
      break;
  }
  CommonPath(msg, next);
}

void TkaMainWnd::CommonPath(Msg& msg, const NextHandler& next) {
  // The manager marks its skin out of force before it announces the
  // removal: the removal is heard all the same, or the control would keep
  // the skin's look.
  const bool removal = msg.msg == SM_SKINCMD && ws::HiWord(msg.wParam) == scRemoveSkin;
  if (msg.msg != SM_SKINCMD || !SkinLink || !LinkManager() || (!SkinInForce() && !removal)) {
    CallPrevWndProc(msg, next);
    return;
  }
  HandleSkinMessage(msg, next);
}

void TkaMainWnd::HandleSkinMessage(Msg& msg, const NextHandler& next) {
  const bool ours = msg.lParam == winshim::LPARAM(LinkManager());
  switch (ws::HiWord(msg.wParam)) {
    case scNewSkin:
      if (ours) {
        SkinLink->UpdateIndexes();
        SkinLink->BGChanged = true;
        BroadcastToWndChildren(OwnerControl(), WndHandle, msg);
      }
      break;
    case scRemoveSkin:
      if (ours) RestoreOwnLook();
      break;
    case scRepaint:
      if (!ours) break;
      SkinLink->UpdateIndexes();
      SkinLink->BGChanged = true;
      SkinLink->SetHot(false);
      msg.result = ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
      // A paint without a device context is Qt's repaint request.
      if (QWidget* w = ws::WidgetOf(WndHandle)) w->update();
      return;
    case scRecheckHot:
      if (!SkinLink->FHot) break;
      SkinLink->SetHot(false);
      SkinLink->SetHot(SkinLink->IsHot());
      if (!SkinLink->FHot)
        if (QWidget* w = ws::WidgetOf(WndHandle)) w->update();
      return;
    case scIsSkinned:
      msg.result = 1;
      return;
    case scIsHot:
      msg.result = SkinLink->FHot ? 1 : 0;
      return;
    case scBgDepends:
      if (!OwnerControl()) break;
      HandleSkinCommand(msg, SkinLink);
      return;
    case scGetBgColor:
      if (CallPrevWndProc(msg, next) == 0) msg.result = winshim::LRESULT(SkinLink->BgColor(0));
      return;
    case scUpdateScrolls:
      PaintWndBorder(SkinLink, WndHandle, false);
      break;
    case scGetBgInfo:
      HandleSkinCommand(msg, SkinLink);
      return;
    case scGetApplication:
      msg.result = winshim::LRESULT(QCoreApplication::instance());
      return;
    default:
      break;
  }
  CallPrevWndProc(msg, next);
}

TkaMainWnd* WrapperOfWnd(HWND wnd) {
  return reinterpret_cast<TkaMainWnd*>(ws::GetProp(wnd, kWrapperProp));
}

void ReleaseWndWrapper(HWND wnd, bool freeIt, bool frameMode,
                       std::unique_ptr<TkaMainWnd>& wrapper) {
  if (!wrapper) return;
  if (wrapper->WndHandle == wnd || !wnd) wrapper->Release(frameMode);
  if (freeIt) wrapper.reset();
}

void RedrawWndFrame(HWND wnd, bool frameMode) {
  if (frameMode)
    ws::SetWindowPos(wnd, 0, 0, 0, 0,
                     ws::SWP_NOSIZE | ws::SWP_NOMOVE | ws::SWP_NOZORDER | ws::SWP_NOACTIVATE |
                         ws::SWP_FRAMECHANGED);
  else
    ws::SendMessage(wnd, ws::WM_NCPAINT, 1, 0);
  if (QWidget* w = ws::WidgetOf(wnd)) w->update();
}

void BroadcastToWndChildren(QWidget* control, HWND wnd, const Msg& msg) {
  if (control)
    BroadcastToControls(control, msg);
  else
    BroadcastToChildWindows(wnd, msg);
}

QWidget* FindControlByHandle(QObject* component, HWND wnd) {
  if (!component || !wnd) return nullptr;
  for (QObject* child : component->children()) {
    if (child->isWidgetType() && ws::FindHandle(static_cast<QWidget*>(child)) == wnd)
      return static_cast<QWidget*>(child);
    if (QWidget* found = FindControlByHandle(child, wnd)) return found;
  }
  return nullptr;
}

namespace {

Rect ScreenRectOf(const QWidget& w) {
  const QPoint tl = w.mapToGlobal(QPoint(0, 0));
  return {tl.x(), tl.y(), tl.x() + w.width(), tl.y() + w.height()};
}

}  // namespace

void GetWndGeometry(TkaMainWnd& wrapper) {
  QWidget* w = ws::WidgetOf(wrapper.WndHandle);
  if (!w) return;
  wrapper.ScreenRect = ScreenRectOf(*w);
  wrapper.ParentHandle = ws::GetParent(wrapper.WndHandle);
  QWidget* parent = ws::WidgetOf(wrapper.ParentHandle);
  wrapper.ParentScreenRect = parent ? ScreenRectOf(*parent) : Rect{};
  wrapper.Extent = QSize(wrapper.ScreenRect.Width(), wrapper.ScreenRect.Height());
  const QPoint tl(wrapper.ScreenRect.left, wrapper.ScreenRect.top);
  wrapper.PosInParent = parent ? parent->mapFromGlobal(tl) : tl;
}

void NotifyTopParentWnd(HWND wnd) {
  SendSkinCommand(TopParentWnd(wnd), scControlLoaded, 0);
}

void PaintWndBorder(TkCommonData* link, HWND wnd, bool dialogLook) {
  QWidget* w = ws::WidgetOf(wnd);
  if (!link || !link->BGChanged || !wnd || !w) return;
  TParentBgInfo info;
  const TBgSource bg = link->GetParentBg(info);
  if (link->FCacheBmp.size() != w->size() || link->FCacheBmp.format() != QImage::Format_BGR888)
    link->FCacheBmp = CreateBmp24(w->width(), w->height());
  const Rect all{0, 0, w->width(), w->height()};
  const TkSkinManager* def = TkSkinManager::Default();
  const TColor border = def ? def->SkinData.PlainBorderColor : kTransparentKey;
  if (dialogLook && def && border != kTransparentKey) {
    ws::Dc dc(link->FCacheBmp);
    ws::FillSolidRect(dc, all, ws::ColorToRGB(ws::clWindow));
    ws::FillSolidRect(dc, {0, 0, all.right, 1}, border);
    ws::FillSolidRect(dc, {0, all.bottom - 1, all.right, all.bottom}, border);
    ws::FillSolidRect(dc, {0, 0, 1, all.bottom}, border);
    ws::FillSolidRect(dc, {all.right - 1, 0, all.right, all.bottom}, border);
  } else {
    QWidget* parent = w->parentWidget();
    if (!parent) return;  // stays stale: tried again on the next paint
    TkSkinManager* m = link->GetSkinManager();
    if (m && m->IsValidSkinIndex(link->SkinIndex)) {
      const int state = link->FocusMark || link->HotTracked ? 1 : 0;
      PaintControlItem(*link, bg, true, !dialogLook, link->FCacheBmp, w->pos(), all, state);
    }
  }
  if (!w->isEnabled()) {
    int options = 0;
    SendSkinCommand(wnd, scDisabledLookQuery, winshim::LPARAM(&options));
    TParentBgInfo parentInfo;
    ApplyDisabledLook(link->FCacheBmp, options, w->parentWidget(), w->pos(),
                      link->GetParentBg(parentInfo));
  }
  link->BGChanged = false;
}

void SetOrdPropIfAny(QObject* obj, const char* name, int value) {
  if (obj && obj->metaObject()->indexOfProperty(name) >= 0) obj->setProperty(name, value);
}

TColor ColorPropOf(QObject* obj, const char* name) {
  if (!obj || obj->metaObject()->indexOfProperty(name) < 0) return 0;
  const QVariant v = obj->property(name);
  if (v.metaType().id() == QMetaType::QColor) return TColor(ws::FromQColor(v.value<QColor>()));
  return TColor(ws::ColorToRGB(TColor(v.toInt())));
}

bool HasStatefulBorder(const TkCommonData* link) {
  const TkSkinManager* m = link ? link->GetSkinManager() : nullptr;
  return m && link->SkinIndex >= 0 && link->BorderIndex >= 0 &&
         m->IsValidImgIndex(link->BorderIndex) &&
         m->ma[std::size_t(link->BorderIndex)].ImageCount > 1;
}

void UpdateWndCorners(TkCommonData* link, int state, TkaMainWnd& wrapper) {
  const TkSkinManager* m = link ? link->GetSkinManager() : nullptr;
  if (wrapper.InDialog || !m || !m->IsValidImgIndex(link->BorderIndex) ||
      link->FCacheBmp.isNull() || wrapper.Extent.width() <= 1 || wrapper.Extent.height() <= 1)
    return;
  TParentBgInfo info;
  TBgSource bg = link->GetParentBg(info);
  const QImage* parentBmp = bg.HasBitmap ? bg.Bitmap : nullptr;
  QPoint parentOrigin(bg.X, bg.Y);
  if (parentBmp) parentOrigin += wrapper.PosInParent;
  const TColor parentColor = parentBmp ? 0 : TColor(ws::ColorToRGB(bg.Color));

  const TkMaskData& mask = m->ma[std::size_t(link->BorderIndex)];
  int count = mask.ImageCount, type = mask.MaskType;
  Rect r = mask.R;
  const QImage* pic = mask.Bmp ? mask.Bmp.get() : m->MasterBitmap.get();
  if (!pic) return;
  if (mask.Bmp && count == 0) {
    count = 3;
    type = 1;
    r = {0, 0, pic->width(), pic->height()};
  }
  if (count <= 0 || type < 0) return;
  // A keyed picture matches the parent only in 24 bits.
  if (parentBmp && type == 0 && parentBmp->depth() != 24) parentBmp = nullptr;
  state = std::clamp(state, 0, count - 1);
  const int imgW = r.Width() / count, imgH = r.Height() / (type + 1);
  const QPoint img(r.left + r.Width() * state / count, r.top);
  const int w = wrapper.Extent.width(), h = wrapper.Extent.height();
  QImage& cache = link->FCacheBmp;
  struct Corner {
    QPoint inImage, inWindow;
    QSize size;
  };
  const Corner corners[] = {
      {{0, 0}, {0, 0}, {mask.WL, mask.WT}},
      {{0, imgH - mask.WB}, {0, h - mask.WB}, {mask.WL, mask.WB}},
      {{imgW - mask.WR, imgH - mask.WB}, {w - mask.WR, h - mask.WB}, {mask.WR, mask.WB}},
      {{imgW - mask.WR, 0}, {w - mask.WR, 0}, {mask.WR, mask.WT}},
  };
  const QRgb key = qRgb(255, 0, 255);
  for (const Corner& c : corners)
    for (int dy = 0; dy < c.size.height(); ++dy)
      for (int dx = 0; dx < c.size.width(); ++dx) {
        const QPoint src = img + c.inImage + QPoint(dx, dy);
        const QPoint dst = c.inWindow + QPoint(dx, dy);
        if (!pic->rect().contains(src) || !cache.rect().contains(dst)) continue;
        if ((pic->pixel(src) & 0xFFFFFF) != (key & 0xFFFFFF)) continue;
        if (parentBmp) {
          const QPoint p = parentOrigin + dst;
          if (parentBmp->rect().contains(p)) cache.setPixel(dst, parentBmp->pixel(p) | 0xFF000000);
        } else if (parentColor != kTransparentKey && !bg.HasBitmap) {
          cache.setPixelColor(dst, QColor(int(parentColor & 0xFF), int(parentColor >> 8 & 0xFF),
                                          int(parentColor >> 16 & 0xFF)));
        }
      }
}

}  // namespace kelmo::skinwnd
