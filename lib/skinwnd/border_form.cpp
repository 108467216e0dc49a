#include "skinwnd/border_form.h"

#include <QCoreApplication>
#include <QCursor>
#include <QWidget>

#include "skin/skin_manager.h"
#include "skinwnd/form_traits.h"
#include "skinwnd/sys_menu.h"
#include "skinwnd/title_buttons.h"
#include "winshim/non_client.h"
#include "winshim/region.h"
#include "winshim/system_menu.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

constexpr unsigned WM_MOUSEACTIVATE = 0x0021;
constexpr int MA_NOACTIVATE = 3;
constexpr int HTOBJECT = 19;

bool Within(int v, int low, int high) {
  return v >= low && v <= high;
}

TkSkinManager* LinkManagerOf(const TkCommonData* link) {
  return link ? link->GetSkinManager() : nullptr;
}

}  // namespace

int FrameBorderWidth(ws::HWND wnd, const TkaBorderForm* borderForm, bool useExt) {
  if (useExt && borderForm) {
    const TkSkinManager* manager = LinkManagerOf(borderForm->SkinData);
    if (!manager) manager = LinkManagerOf(borderForm->FOwner.OwnerLink());
    if (manager && manager->SkinData.BorderWidthEx != 0) return manager->SkinData.BorderWidthEx;
  }
  const std::uint32_t style = ws::GetWindowLong(wnd, ws::GWL_STYLE);
  if (style & ws::WS_THICKFRAME) return ws::GetSystemMetrics(ws::SM_CXFRAME);
  if (style & ws::WS_BORDER) return ws::GetSystemMetrics(ws::SM_CXDLGFRAME);
  return 0;
}

void SetBorderWindow(std::unique_ptr<TkaBorderForm>& slot, TkaBorderOwner& owner,
                     TkCommonData* link, bool on, bool place) {
  if (on) {
    if (slot) return;
    slot = std::make_unique<TkaBorderForm>(owner);
    slot->SkinData = link;
    if (!link) return;
    link->BGChanged = true;
    if (!link->FCacheBmp.isNull())
      link->FCacheBmp = link->FCacheBmp.convertToFormat(QImage::Format_ARGB32);
    if (place) slot->UpdateExBorder(true, 255);
    return;
  }
  slot.reset();
  if (!link || link->FCacheBmp.isNull()) return;
  if (link->FCacheBmp.format() != QImage::Format_BGR888)
    link->FCacheBmp = link->FCacheBmp.convertToFormat(QImage::Format_BGR888);
}

void MakeOpaqueInside(QImage& picture, const Rect& frame) {
  for (int y = 0; y < picture.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < picture.width(); ++x)
      line[x] = frame.Contains(x, y) ? (line[x] | 0xFF000000u) : (line[x] & 0x00FFFFFFu);
  }
}

TkaBorderForm::TkaBorderForm(TkaBorderOwner& owner) : FOwner(owner) {
  AForm = std::make_unique<ws::LayeredWindow>();
  // Unlike a fade window, the border takes the mouse: its caption and
  // borders act for the owner.
  // (The attribute first: while it is set, Qt keeps the window's flag.)
  AForm->setAttribute(Qt::WA_TransparentForMouseEvents, false);
  AForm->setWindowFlag(Qt::WindowTransparentForInput, false);
  SetTag(AForm.get(), kTagNeverSkin);
  handle_ = ws::HandleOf(AForm.get());
  handlerId_ = ws::Subclass(
      handle_, [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) { WndProc(m, next); });
}

TkaBorderForm::~TkaBorderForm() {
  StopButtonAnimations();
  if (handlerId_) ws::RemoveHandler(handle_, handlerId_);
  AForm.reset();
}

ws::HWND TkaBorderForm::OwnerHandle() const {
  return FOwner.OwnerHandle();
}

ws::HWND TkaBorderForm::Handle() const {
  return AForm ? handle_ : 0;
}

bool TkaBorderForm::OwnerMaximized() const {
  return ws::GetWindowLong(OwnerHandle(), ws::GWL_STYLE) & ws::WS_MAXIMIZE;
}

bool TkaBorderForm::OwnerMinimized() const {
  return ws::GetWindowLong(OwnerHandle(), ws::GWL_STYLE) & ws::WS_MINIMIZE;
}

Rect TkaBorderForm::ShadowMargins() const {
  const TkSkinManager* manager = LinkManagerOf(SkinData ? SkinData : FOwner.OwnerLink());
  return manager && manager->Component ? manager->Component->ShadowMargins : Rect{};
}

int TkaBorderForm::ExtTitleHeight() const {
  const TkSkinManager* manager = LinkManagerOf(SkinData ? SkinData : FOwner.OwnerLink());
  return manager ? manager->SkinData.TitleHeightEx : 30;
}

int TkaBorderForm::ExtBorderWidth() const {
  const TkSkinManager* manager = LinkManagerOf(SkinData ? SkinData : FOwner.OwnerLink());
  return manager ? manager->SkinData.BorderWidthEx : 4;
}

int TkaBorderForm::PlainFrameWidth() const {
  return FrameBorderWidth(OwnerHandle(), nullptr, false);
}

int TkaBorderForm::ExtTitleExtra() const {
  return FOwner.OwnerCaptionHeight(true) - FOwner.OwnerCaptionHeight(false) - PlainFrameWidth();
}

int TkaBorderForm::ExtBorderExtra() const {
  return ExtBorderWidth() - PlainFrameWidth();
}

QPoint TkaBorderForm::Offsets() const {
  const Rect m = ShadowMargins();
  const int f = PlainFrameWidth();
  const int left = m.left + ExtBorderWidth() - f;
  int top = m.top + ExtTitleHeight() - f - FOwner.OwnerCaptionHeight(false);
  if (!FOwner.IsDialogOwner() && FOwner.OwnerTallMaxCaption()) top = f + m.top + ExtTitleExtra();
  return {left, top};
}

void TkaBorderForm::UpdateExBorder(bool repaint, int alpha) {
  if (!AForm || QCoreApplication::closingDown() || Updating) return;
  const ws::HWND owner = OwnerHandle();
  QWidget* ownerWidget = ws::WidgetOf(owner);
  if (!ownerWidget) return;
  TkCommonData* link = SkinData ? SkinData : FOwner.OwnerLink();
  if (!FOwner.IsDialogOwner()) {
    if (FOwner.OwnerInAnimation() || (link && link->FHot) || !FOwner.OwnerDrawsNonClient()) return;
    if (FOwner.OwnerDestroying()) {
      FOwner.OwnerDropBorderForm();
      return;
    }
    if (!ownerWidget->isVisible() || ownerWidget->isMinimized()) {
      AForm->hide();
      return;
    }
  } else if (!ownerWidget->isVisible()) {
    return;
  }
  Updating = true;
  if (link && link->BGChanged) {
    FOwner.OwnerPaintFrame();
    repaint = true;
  }
  const Rect ownerRect = ws::GetWindowRect(owner);
  const QPoint offsets = Offsets();
  const QImage* picture = link ? &link->FCacheBmp : nullptr;
  const QSize size = picture ? picture->size() : QSize();
  if (ws::GetWindowLong(owner, ws::GWL_EXSTYLE) & ws::WS_EX_TOPMOST)
    AForm->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  const bool changed = repaint || size != AForm->size();
  const QPoint position(ownerRect.left - offsets.x(), ownerRect.top - offsets.y());
  if (ws::LayeredWindowsAvailable() && changed && !PassingMouse && picture && !picture->isNull()) {
    const int constant = FOwner.OwnerAlphaBlend() ? FOwner.OwnerAlphaBlendValue() : alpha;
    const bool wasVisible = AForm->isVisible();
    AForm->setGeometry(QRect(position, size));
    ws::SetWindowRgn(AForm.get(), CreateFormRegion(), false);
    ws::UpdateLayeredWindow(AForm.get(), position, *picture, constant);
    // Shown without taking the activation from the owner, and kept behind
    // it: the owner is raised over the window just shown.
    if (!wasVisible) {
      AForm->show();
      ownerWidget->raise();
    }
  } else if (AForm->pos() != position) {
    AForm->move(position);
  }
  Updating = false;
}

QRegion TkaBorderForm::CreateFormRegion() const {
  if (!AForm) return {};
  const Rect m = ShadowMargins();
  const int w = AForm->width(), h = AForm->height();
  QRegion region;
  const bool blended = !FOwner.IsDialogOwner() && FOwner.OwnerAlphaBlend();
  if (OwnerMaximized()) {
    const int p = PlainFrameWidth(), e = ExtBorderExtra();
    region =
        ws::CreateRectRgn(p + e + m.left, m.top + 4, w - p - e - m.right, h - p - e - m.bottom);
    if (!blended) return region;
  } else if (blended) {
    region = ws::CreateRectRgn(0, 0, w, h);
  } else {
    return {};
  }
  ws::CombineRgn(region, region, ws::CreateRectRgn(FOwner.OwnerClientRectInFrame()), ws::RGN_XOR);
  return region;
}

QPoint TkaBorderForm::LocalPoint(const ws::Msg& msg) const {
  const QPoint p(ws::XOf(msg.lParam), ws::YOf(msg.lParam));
  // The client mouse messages carry the window's own coordinates; the
  // others a screen point.
  if (msg.msg >= ws::WM_MOUSEMOVE && msg.msg <= ws::WM_MBUTTONDBLCLK) return p;
  return AForm ? p - AForm->pos() : p;
}

bool TkaBorderForm::PointOutsideForm(const ws::Msg& msg) {
  if (!AForm || OwnerMaximized()) return false;
  const QPoint p = LocalPoint(msg);
  const Rect m = ShadowMargins();
  const bool inside = Within(p.x(), m.left, AForm->width() - m.right) &&
                      Within(p.y(), m.top, AForm->height() - m.bottom);
  if (!inside) SetHotButton(-1);
  return !inside;
}

void TkaBorderForm::StopButtonAnimations() {
  FOwner.OwnerFreeButtonTimers();
}

void TkaBorderForm::SetHotButton(int code) {
  FOwner.OwnerSetHotButton(code);
}

int TkaBorderForm::HitTest(const ws::Msg& msg) {
  if (!AForm) return -1;
  const ws::HWND owner = OwnerHandle();
  if (ws::GetWindowLong(owner, ws::GWL_STYLE) & ws::WS_DISABLED) return -1;
  const QPoint p = LocalPoint(msg);
  const TkCustomSysMenu* menu = FOwner.OwnerSysMenu();
  const bool visibleClose = menu && menu->VisibleClose();
  const bool visibleMax = menu && menu->VisibleMax();
  const bool visibleMin = menu && menu->VisibleMin();
  const bool minimized = OwnerMinimized();
  const bool help = FOwner.OwnerHasHelpButton();
  const bool dialog = FOwner.IsDialogOwner();

  // The title buttons by their 1-based number.
  std::vector<const TitleBtnData*> buttons;
  const auto add = [&](int code) { buttons.push_back(FOwner.OwnerButton(code)); };
  if (dialog) {
    if (visibleClose) add(ws::HTCLOSE);
    if (help) add(ws::HTHELP);
  } else {
    if (visibleClose) {
      add(ws::HTCLOSE);
      if (visibleMax) add(ws::HTMAXBUTTON);
      if (visibleMin) add(ws::HTMINBUTTON);
      if (help) add(ws::HTHELP);
    }
    for (int i = 0; i < FOwner.OwnerUserButtonCount(); ++i)
      if (TkTitleButton* user = FOwner.OwnerUserButton(i))
        buttons.push_back(&user->BtnData);
      else
        buttons.push_back(nullptr);
  }
  int number = 0;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const TitleBtnData* b = buttons[i];
    if (b && Within(p.x(), b->Rect.left, b->Rect.right - 1) &&
        Within(p.y(), b->Rect.top, b->Rect.bottom - 1)) {
      number = int(i) + 1;
      break;
    }
  }
  if (number > 0) {
    int count = 0;
    if (visibleClose)
      count = 1 + (visibleMax ? 1 : 0) + (visibleMin || minimized ? 1 : 0) + (help ? 1 : 0);
    int code = -1;
    if (number > count) {
      if (!dialog) {
        const int index = number - count - 1;
        TkTitleButton* user = FOwner.OwnerUserButton(index);
        code = user && user->Enabled ? 1000 + index : -1;
      }
    } else if (number == 1) {
      code = visibleClose ? ws::HTCLOSE : -1;
    } else if (number == 2) {
      if (visibleMax)
        code = menu->EnabledMax()                       ? ws::HTMAXBUTTON
               : (menu->EnabledRestore() && !minimized) ? ws::HTMAXBUTTON
                                                        : ws::HTCAPTION;
      else if (visibleMin || minimized)
        code = menu->EnabledMin() ? ws::HTMINBUTTON : ws::HTCAPTION;
      else
        code = help ? ws::HTHELP : -1;
    } else if (number == 3) {
      if (visibleMin || minimized)
        code = minimized || menu->EnabledMin() ? ws::HTMINBUTTON : ws::HTCAPTION;
      else
        code = help ? ws::HTHELP : -1;
    } else if (number == 4) {
      code = help && visibleMax ? ws::HTHELP : -1;
    }
    if (code != -1) {
      SetHotButton(code);
      return code;
    }
  }

  const Rect m = ShadowMargins();
  const int w = AForm->width(), h = AForm->height();
  if (!OwnerMaximized() && (ws::GetWindowLong(owner, ws::GWL_STYLE) & ws::WS_THICKFRAME)) {
    const int f = PlainFrameWidth();
    int code = 0;
    if (Within(p.y(), m.top, m.top + f)) code = ws::HTTOP;
    if (Within(p.y(), h - f - m.bottom, h - m.bottom)) code = ws::HTBOTTOM;
    if (Within(p.x(), m.left, m.left + f))
      code = code == ws::HTTOP      ? ws::HTTOPLEFT
             : code == ws::HTBOTTOM ? ws::HTBOTTOMLEFT
                                    : ws::HTLEFT;
    else if (Within(p.x(), w - f - m.right, w - m.right))
      code = code == ws::HTTOP      ? ws::HTTOPRIGHT
             : code == ws::HTBOTTOM ? ws::HTBOTTOMRIGHT
                                    : ws::HTRIGHT;
    if (code != 0) {
      SetHotButton(-1);
      return code;
    }
  }

  SetHotButton(-1);
  const int c1 = FOwner.OwnerCaptionHeight(true), c0 = FOwner.OwnerCaptionHeight(false);
  const int menuLine = FOwner.OwnerMenuLineHeight();
  if (Within(p.y(), 0, c1 + m.top)) {
    if (Within(p.y(), c0, c0 + menuLine)) return ws::HTCAPTION;
    const Rect icon = FOwner.OwnerTitleIconRect();
    if (Within(p.x(), icon.left, icon.right - 1) && Within(p.y(), icon.top, icon.bottom - 1))
      return ws::HTSYSMENU;
    return ws::HTCAPTION;
  }
  if (p.y() <= c1 + menuLine) return ws::HTMENU;
  int answer = -1;
  if (!dialog && FOwner.OwnerGripCandidate(p)) {
    const TkSkinManager* manager = LinkManagerOf(FOwner.OwnerLink());
    const int global = manager ? manager->ConstData.IndexGlobalInfo : -1;
    const int grip = manager && manager->IsValidSkinIndex(global)
                         ? manager->GetMaskIndex(global, QStringLiteral("GLOBALINFO"),
                                                 QStringLiteral("GRIPIMAGE"))
                         : -1;
    const QPoint corner = FOwner.OwnerGripPos();
    if (grip >= 0 && p.x() >= corner.x() && p.y() >= corner.y()) answer = ws::HTBOTTOMRIGHT;
  }
  SetHotButton(answer == -1 ? 0 : answer);
  return answer;
}

bool TkaBorderForm::SetCursorShape(ws::Msg& msg) {
  const QPoint cursor = ws::GetCursorPos();
  ws::Msg hit{ws::WM_NCHITTEST, 0, ws::MakeLParam(cursor.x(), cursor.y()), 0};
  const int code = HitTest(hit);
  msg.lParam = (msg.lParam & ~ws::LPARAM(0xFFFF)) | ws::LPARAM(std::uint16_t(code));
  if (PointOutsideForm(hit)) return false;
  Qt::CursorShape shape;
  switch (code) {
    case ws::HTCAPTION:
    case ws::HTMENU:
      shape = Qt::ArrowCursor;
      break;
    case ws::HTLEFT:
    case ws::HTRIGHT:
      shape = Qt::SizeHorCursor;
      break;
    case ws::HTTOP:
    case ws::HTBOTTOM:
      shape = Qt::SizeVerCursor;
      break;
    case ws::HTTOPLEFT:
    case ws::HTBOTTOMRIGHT:
      shape = Qt::SizeFDiagCursor;
      break;
    case ws::HTTOPRIGHT:
    case ws::HTBOTTOMLEFT:
      shape = Qt::SizeBDiagCursor;
      break;
    default:
      return false;
  }
  AForm->setCursor(shape);
  return true;
}

void TkaBorderForm::PassMouseBelow(ws::Msg& msg) {
  PassingMouse = true;
  const QPoint local(ws::XOf(msg.lParam), ws::YOf(msg.lParam));
  QRegion region = CreateFormRegion();
  if (region.isEmpty()) region = QRegion(0, 0, AForm->width(), AForm->height());
  // A hole at the point lets the next event reach the window below.
  ws::CombineRgn(region, region,
                 ws::CreateRectRgn(local.x(), local.y(), local.x() + 1, local.y() + 1),
                 ws::RGN_XOR);
  if (FOwner.IsDialogOwner() || !FOwner.OwnerShownModally())
    ws::SetWindowRgn(AForm.get(), region, false);
  const QPoint screen = AForm->pos() + local;
  const ws::HWND below = ws::WindowFromPoint(screen);
  if (below && below != Handle() && below != OwnerHandle()) {
    // The window below hears the point in its own client coordinates.
    const QPoint client = ws::ScreenToClient(below, screen);
    ws::SendMessage(below, msg.msg, msg.wParam, ws::MakeLParam(client.x(), client.y()));
    ++PassedMessages;
  }
  PassingMouse = false;
}

void TkaBorderForm::DoubleClick(ws::Msg& msg) {
  if (!FOwner.IsDialogOwner() && FOwner.OwnerRubberBandRunning()) {
    FOwner.OwnerStopRubberBand();
    ws::ReleaseCapture();
  }
  const int code = HitTest(msg);
  const ws::HWND owner = OwnerHandle();
  if (code == ws::HTCAPTION && !FOwner.IsDialogOwner()) {
    TkCustomSysMenu* menu = FOwner.OwnerSysMenu();
    const bool minimized = OwnerMinimized();
    const bool toggles =
        (menu && menu->VisibleClose() && (menu->EnabledMax() || menu->EnabledRestore())) ||
        (FOwner.OwnerBorderless() && minimized);
    if (toggles) {
      const unsigned command = OwnerMaximized() || minimized ? ws::SC_RESTORE : ws::SC_MAXIMIZE;
      ws::SendMessage(owner, ws::WM_SYSCOMMAND, command, 0);
      if (auto* form = dynamic_cast<TkSystemMenu*>(menu)) form->UpdateItems(false);
      msg.wParam = 0;
    }
  } else if (code == ws::HTSYSMENU) {
    ws::SendMessage(owner, ws::WM_SYSCOMMAND, ws::SC_CLOSE, 0);
  }
}

void TkaBorderForm::WndProc(ws::Msg& msg, const ws::NextHandler& next) {
  if (msg.msg >= ws::WM_MOUSEMOVE && msg.msg <= ws::WM_MBUTTONDBLCLK) {
    if (PointOutsideForm(msg))
      PassMouseBelow(msg);
    else
      next(msg);
    return;
  }
  switch (msg.msg) {
    case ws::WM_ERASEBKGND:
      msg.result = 1;
      return;
    case ws::WM_NCPAINT:
      msg.result = 0;
      return;
    case ws::WM_SETCURSOR:
      if (SetCursorShape(msg))
        msg.result = 1;
      else
        next(msg);
      return;
    case WM_MOUSEACTIVATE:
      msg.result = MA_NOACTIVATE;
      if (QWidget* owner = ws::WidgetOf(OwnerHandle())) owner->activateWindow();
      return;
    case ws::WM_WINDOWPOSCHANGED:
      StopButtonAnimations();
      next(msg);
      if (!PassingMouse) UpdateExBorder(false, 255);
      return;
    case ws::WM_NCHITTEST:
      if (PointOutsideForm(msg))
        next(msg);
      else
        msg.result = HTOBJECT;
      return;
    case ws::WM_NCLBUTTONDOWN:
    case ws::WM_NCLBUTTONUP:
    case ws::WM_NCRBUTTONUP:
      if (!PointOutsideForm(msg))
        ws::SendMessage(OwnerHandle(), msg.msg, ws::WPARAM(-1), msg.lParam);
      msg.result = 0;
      return;
    case ws::WM_NCRBUTTONDOWN:
      if (!PointOutsideForm(msg))
        ws::SendMessage(OwnerHandle(), msg.msg, ws::WPARAM(HitTest(msg)), msg.lParam);
      msg.result = 0;
      return;
    case ws::WM_NCLBUTTONDBLCLK:
      DoubleClick(msg);
      msg.result = 0;
      return;
    default:
      next(msg);
  }
}

}  // namespace kelmo::skinwnd
