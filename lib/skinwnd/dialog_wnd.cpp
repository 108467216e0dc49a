#include "skinwnd/dialog_wnd.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

#include "skin/control_utils.h"
#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin/skin_text.h"
#include "skinwnd/auto_skin_hook.h"
#include "skinwnd/control_queries.h"
#include "skinwnd/form_provider.h"
#include "skinwnd/skinned_menus.h"
#include "skinwnd/title_fade.h"
#include "winshim/draw_text.h"
#include "winshim/non_client.h"
#include "winshim/region.h"
#include "winshim/system_menu.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

constexpr std::uint32_t DS_MODALFRAME = 0x80;
constexpr std::uint32_t WS_EX_CONTEXTHELP = 0x400;
constexpr unsigned DM_SETDEFID = 0x0401;
constexpr unsigned WM_COMMONDIALOG = 0x052E;
constexpr unsigned WM_CTLCOLORDLG = 0x0136;
constexpr unsigned WM_GETDLGCODE = 0x0087;
constexpr unsigned kCmVisibleChanged = 0xB00B;
// The border window's answer over its own picture.
constexpr int kHtObject = 19;

// A caption button went down and waits for its release.
bool dlgButtonPressed = false;

int Metric(int index) {
  return ws::GetSystemMetrics(index);
}

// Children a dialog places itself (no layout) keep their place in the
// client area, which the frame moves: they move with it.
void ShiftPlacedChildren(QWidget& dialog, QPoint by) {
  if (dialog.layout()) return;
  for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (!child->isWindow()) child->move(child->pos() + by);
}

}  // namespace

bool TkaDialogWnd::ExtendedBordersWanted() const {
  const TkSkinManager* m = LinkManager();
  return m && m->Component && m->Component->ExtendedBorders();
}

TkaDialogWnd* DialogWndOf(HWND wnd) {
  return dynamic_cast<TkaDialogWnd*>(WrapperOfWnd(wnd));
}

TkaDialogWnd::TkaDialogWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                           const QString& sectionName, bool repaint)
    : TkaScrollWnd(wnd, link, manager, sectionName, repaint) {
  MinBtn.HitCode = ws::HTMINBUTTON;
  MaxBtn.HitCode = ws::HTMAXBUTTON;
  CloseBtn.HitCode = ws::HTCLOSE;
  if (SkinLink) SkinLink->SetHot(true);
  SystemMenu = std::make_unique<TkaSystemMenu>(this);
  SystemMenu->UpdateItems();
  // With skinned popups the system menu is painted as the skin's menus.
  if (TkSkinManager* m = LinkManager(); m && m->Component && m->Component->SkinnedPopups())
    HookMenu(m->Component->Menus, SystemMenu.get(), m->Component->Menus.Active);
}

TkaDialogWnd::~TkaDialogWnd() {
  FreeTitleButtonAnimations();
  // The border window asks this wrapper on its way: it goes first.
  BorderForm.reset();
  Destroy();
}

void TkaDialogWnd::FreeTitleButtonAnimations() {
  for (TitleBtnData* b : {&MinBtn, &MaxBtn, &CloseBtn, &HelpBtn}) b->Timer.reset();
}

void TkaDialogWnd::PopupSystemMenu(QPoint screen) {
  SetDialogHotButton(0, true);
  if (!SystemMenu) return;
  SystemMenu->UpdateItems();
  SystemMenu->popup(screen);
}

void TkaDialogWnd::Release(bool frameMode) {
  GiveFrameBack();
  TkaScrollWnd::Release(frameMode);
}

bool TkaDialogWnd::Minimized() const {
  QWidget* w = ws::WidgetOf(WndHandle);
  return w && w->isMinimized();
}
bool TkaDialogWnd::Maximized() const {
  QWidget* w = ws::WidgetOf(WndHandle);
  return w && w->isMaximized();
}
bool TkaDialogWnd::HasSysMenu() const {
  return WndStyle & ws::WS_SYSMENU;
}
bool TkaDialogWnd::HasMaxBox() const {
  return WndStyle & ws::WS_MAXIMIZEBOX;
}
bool TkaDialogWnd::HasMinBox() const {
  return WndStyle & ws::WS_MINIMIZEBOX;
}
bool TkaDialogWnd::DialogHasHelpButton() const {
  return WndExStyle & WS_EX_CONTEXTHELP;
}
bool TkaDialogWnd::CloseEnabled() const {
  // A dialog whose window cannot be closed by the user (Qt's close button
  // switched off) stands for the class without a close item.
  QWidget* w = ws::WidgetOf(WndHandle);
  return HasSysMenu() && !(w && (savedFlags_ & Qt::CustomizeWindowHint) &&
                           !(savedFlags_ & Qt::WindowCloseButtonHint));
}
bool TkaDialogWnd::MaxAllowed() const {
  return HasMaxBox() && !Maximized() && (FrameKind == 1 || FrameKind == 3 || FrameKind == 5);
}
bool TkaDialogWnd::MinAllowed() const {
  return HasMinBox() && !Minimized();
}
bool TkaDialogWnd::RestoreAllowed() const {
  return HasMaxBox() && (Minimized() || Maximized());
}

int TkaDialogWnd::FrameWidth(bool ext) const {
  if (ext && BorderForm) {
    const TkSkinManager* m = LinkManager();
    if (m && m->SkinData.BorderWidthEx != 0) return m->SkinData.BorderWidthEx;
  }
  return FrameKind == 3 || FrameKind == 5 ? Metric(ws::SM_CXFRAME) : Metric(ws::SM_CXDLGFRAME);
}

int TkaDialogWnd::PlainFrameWidth(bool ext) const {
  return ext && BorderForm ? 0 : FrameWidth();
}

int TkaDialogWnd::CaptionHeight(bool ext) const {
  if ((WndStyle & ws::WS_CAPTION) != ws::WS_CAPTION && !Minimized()) return 0;
  if (ext && BorderForm) {
    const TkSkinManager* m = LinkManager();
    if (m && m->SkinData.TitleHeightEx != 0) return m->SkinData.TitleHeightEx;
  }
  return FrameKind == 4 || FrameKind == 5 ? Metric(ws::SM_CYSMCAPTION) : Metric(ws::SM_CYCAPTION);
}

Rect TkaDialogWnd::Margins() const {
  return BorderForm ? BorderForm->ShadowMargins() : Rect{};
}

int TkaDialogWnd::ClientOffsetX() const {
  if (!BorderForm) return FrameWidth();
  return FrameWidth() + BorderForm->ExtBorderExtra() + Margins().left;
}

int TkaDialogWnd::ClientOffsetY() const {
  if (!BorderForm) return CaptionOffset();
  return CaptionOffset() + Margins().top + BorderForm->ExtTitleExtra();
}

bool TkaDialogWnd::BorderModeOne() const {
  const TkSkinManager* m = LinkManager();
  return BorderForm && m && m->SkinData.BorderModeEx == 1;
}

Rect TkaDialogWnd::TitleIconRect() const {
  const TkSkinManager* m = LinkManager();
  const Rect sm = Margins();
  const int left = FrameWidth(true) + (m ? m->SkinData.TitleBtnLeftMargin : 0) + sm.left;
  int top = (PlainFrameWidth(true) + CaptionHeight(true) - Metric(ws::SM_CYSMICON)) / 2 + sm.top;
  if (BorderModeOne()) top += m->SkinData.CenterOffsetEx;
  return Rect::Sized(left, top, Metric(ws::SM_CXSMICON), Metric(ws::SM_CYSMICON));
}

void TkaDialogWnd::SetExtBorders(bool on) {
  QWidget* w = ws::WidgetOf(WndHandle);
  SetBorderWindow(BorderForm, *this, SkinLink, on && !Released, w && w->isVisible());
  RgnChanged = true;
}

void TkaDialogWnd::UpdateBorder(bool repaint) {
  QWidget* w = ws::WidgetOf(WndHandle);
  if (BorderForm && w && w->isVisible()) BorderForm->UpdateExBorder(repaint, 255);
}

void TkaDialogWnd::InitStyles() {
  WndStyle = ws::GetWindowLong(WndHandle, ws::GWL_STYLE);
  WndExStyle = ws::GetWindowLong(WndHandle, ws::GWL_EXSTYLE);
  if ((WndStyle & ws::WS_POPUP) && (WndStyle & ws::WS_CAPTION) != ws::WS_CAPTION)
    FrameKind = 2;
  else if (WndStyle & ws::WS_THICKFRAME)
    FrameKind = 3;
  else if (WndStyle & DS_MODALFRAME)
    FrameKind = 0;
  else
    FrameKind = 3;
  if (QWidget* w = ws::WidgetOf(WndHandle)) IconHandle = w->windowIcon();
  LoadButtonImages();
  TakeFrame();
  if (SystemMenu) SystemMenu->UpdateItems();
}

void TkaDialogWnd::LoadButtonImages() {
  TkSkinManager* m = LinkManager();
  if (!m || !m->IsValidSkinIndex(m->ConstData.IndexGlobalInfo)) return;
  const int gi = m->ConstData.IndexGlobalInfo;
  const QString global = QStringLiteral("GLOBALINFO");
  auto mask = [&](const char* name) { return m->GetMaskIndex(gi, global, QLatin1String(name)); };
  MinBtn.HitCode = ws::HTMINBUTTON;
  MaxBtn.HitCode = ws::HTMAXBUTTON;
  CloseBtn.HitCode = ws::HTCLOSE;
  auto big = [&] {
    MinBtn.ImageIndex = mask("BICONMIN");
    MaxBtn.ImageIndex = mask("BICONMAX");
    CloseBtn.ImageIndex = mask("BICONCLOSE");
    HelpBtn.ImageIndex = mask("BICONHELP");
    for (TitleBtnData* b : {&MinBtn, &MaxBtn, &CloseBtn, &HelpBtn}) b->TopAligned = true;
  };
  if (FrameKind == 1 || FrameKind == 3) {
    big();
    return;
  }
  CloseBtn.ImageIndex = mask("SICONCLOSE");
  if (!m->IsValidImgIndex(CloseBtn.ImageIndex)) {
    big();
    return;
  }
  MinBtn.ImageIndex = mask("SICONMIN");
  MaxBtn.ImageIndex = mask("SICONMAX");
  HelpBtn.ImageIndex = mask("SICONHELP");
  if (!m->IsValidImgIndex(HelpBtn.ImageIndex)) HelpBtn.ImageIndex = mask("BICONHELP");
  for (TitleBtnData* b : {&MinBtn, &MaxBtn, &CloseBtn, &HelpBtn}) b->TopAligned = false;
}

void TkaDialogWnd::TakeFrame() {
  QWidget* w = ws::WidgetOf(WndHandle);
  if (!w || frameTaken_ || !w->isWindow()) return;
  const bool visible = w->isVisible();
  const QRect client = w->geometry();
  savedFlags_ = w->windowFlags();
  savedMargins_ = w->contentsMargins();
  frameMargins_ = QMargins(FrameWidth(), CaptionOffset(), FrameWidth(), FrameWidth());
  frameTaken_ = true;
  // The window's own frame goes; the skin's lies in the margins, which
  // the dialog's layout keeps its children out of.
  w->setWindowFlags(savedFlags_ | Qt::FramelessWindowHint);
  w->setContentsMargins(savedMargins_ + frameMargins_);
  ShiftPlacedChildren(*w, QPoint(frameMargins_.left(), frameMargins_.top()));
  w->setGeometry(client.marginsAdded(frameMargins_));
  ws::SetWindowLong(WndHandle, ws::GWL_STYLE, WndStyle & ~ws::WS_SYSMENU);
  ws::SetWindowLong(WndHandle, ws::GWL_EXSTYLE, WndExStyle);
  ws::RecalcNonClient(WndHandle);
  if (visible) w->show();
  if (SkinLink) SkinLink->BGChanged = true;
  RgnChanged = true;
}

void TkaDialogWnd::GiveFrameBack() {
  QWidget* w = ws::WidgetOf(WndHandle);
  SetBorderWindow(BorderForm, *this, SkinLink, false, false);
  if (!frameTaken_) return;
  frameTaken_ = false;
  if (!w) return;
  const bool visible = w->isVisible();
  const QRect outer = w->geometry();
  ws::SetWindowRgn(w, QRegion(), false);
  w->setWindowFlags(savedFlags_);
  w->setContentsMargins(savedMargins_);
  ShiftPlacedChildren(*w, -QPoint(frameMargins_.left(), frameMargins_.top()));
  w->setGeometry(outer.marginsRemoved(frameMargins_));
  ws::SetWindowLong(WndHandle, ws::GWL_STYLE,
                    ws::GetWindowLong(WndHandle, ws::GWL_STYLE) | (WndStyle & ws::WS_SYSMENU));
  ws::ResetNonClient(WndHandle);
  if (visible) w->show();
}

TitleBtnData* TkaDialogWnd::ButtonOf(int code) {
  switch (code) {
    case ws::HTMINBUTTON:
      return &MinBtn;
    case ws::HTMAXBUTTON:
      return &MaxBtn;
    case ws::HTCLOSE:
      return &CloseBtn;
    case ws::HTHELP:
      return &HelpBtn;
    default:
      return nullptr;
  }
}

int TkaDialogWnd::ButtonImageWidth(const TitleBtnData& b) const {
  const TkSkinManager* m = LinkManager();
  if (!m || !m->IsValidImgIndex(b.ImageIndex)) return 21;
  return MaskImageWidth(m->ma[std::size_t(b.ImageIndex)]);
}

int TkaDialogWnd::ButtonImageHeight(const TitleBtnData& b) const {
  const TkSkinManager* m = LinkManager();
  if (!m || !m->IsValidImgIndex(b.ImageIndex)) return 21;
  return MaskImageHeight(m->ma[std::size_t(b.ImageIndex)]);
}

int TkaDialogWnd::HitTest(QPoint screen, int result) {
  const QPoint p = screen - QPoint(WndRect.left, WndRect.top);
  const int fw = FrameWidth();
  const int h = ButtonImageHeight(CloseBtn);
  const int t = (fw + CaptionHeight() - h) / 2;
  if (CaptionHeight() > 0 && p.y() >= t && p.y() <= t + h) {
    if (p.x() >= fw && p.x() <= fw + Metric(ws::SM_CXSMICON)) return ws::HTSYSMENU;
    // The buttons present, numbered from the right.
    int number = 0;
    if (HasSysMenu()) {
      std::vector<const TitleBtnData*> shown{&CloseBtn};
      if (HasMaxBox()) shown.push_back(&MaxBtn);
      if (HasMinBox()) shown.push_back(&MinBtn);
      if (DialogHasHelpButton()) shown.push_back(&HelpBtn);
      for (std::size_t i = 0; i < shown.size(); ++i)
        if (p.x() >= shown[i]->Rect.left && p.x() <= shown[i]->Rect.right) {
          number = int(i) + 1;
          break;
        }
    }
    const int n = int(HasSysMenu()) + int(HasMaxBox()) + int(HasMinBox() || Minimized());
    const bool help = DialogHasHelpButton();
    int code = -1;
    if (number == 0 || number > n + int(help)) {
      code = ws::HTCAPTION;
      return code;
    }
    switch (number) {
      case 1:
        code = ws::HTCLOSE;
        break;
      case 2:
        if (HasMaxBox())
          code = MaxAllowed() || RestoreAllowed() ? ws::HTMAXBUTTON : ws::HTCAPTION;
        else if (HasMinBox() || Minimized())
          code = MinAllowed() ? ws::HTMINBUTTON : ws::HTCAPTION;
        else if (help)
          code = ws::HTHELP;
        break;
      case 3:
        if (HasMinBox() || Minimized())
          code = Minimized() || MinAllowed() ? ws::HTMINBUTTON : ws::HTCAPTION;
        else if (help)
          code = ws::HTHELP;
        break;
      case 4:
        if (help && HasMaxBox()) code = ws::HTHELP;
        break;
      default:
        break;
    }
    if (code != -1) {
      SetDialogHotButton(code, true);
      return code;
    }
  }
  if (Maximized() &&
      !Rect{2, 2, WndSize.width() - 4, WndSize.height() - 4}.Contains(p.x(), p.y())) {
    SetDialogHotButton(0, true);
    return -1;  // HTTRANSPARENT
  }
  return result;
}

int TkaDialogWnd::DefaultHitTest(QPoint p) const {
  const int fw = FrameWidth(), w = WndSize.width(), h = WndSize.height();
  if (!Rect{0, 0, w, h}.Contains(p.x(), p.y())) return ws::HTNOWHERE;
  const bool sizing = (WndStyle & ws::WS_THICKFRAME) && !Maximized();
  const bool left = p.x() < fw, right = p.x() >= w - fw, top = p.y() < fw, bottom = p.y() >= h - fw;
  if (left || right || top || bottom) {
    if (!sizing) return ws::HTBORDER;
    if (top) return left ? ws::HTTOPLEFT : right ? ws::HTTOPRIGHT : ws::HTTOP;
    if (bottom) return left ? ws::HTBOTTOMLEFT : right ? ws::HTBOTTOMRIGHT : ws::HTBOTTOM;
    return left ? ws::HTLEFT : ws::HTRIGHT;
  }
  if (p.y() < CaptionOffset()) return ws::HTCAPTION;
  return ws::HTCLIENT;
}

void TkaDialogWnd::SetDialogHotButton(int code, bool repaint) {
  if (code == ActiveButtonCode) return;
  const int previous = ActiveButtonCode;
  if (TitleBtnData* b = ButtonOf(previous)) b->State = 0;
  if (previous != 0 && repaint) RepaintTitleButton(previous);
  ActiveButtonCode = code;
  if (TitleBtnData* b = ButtonOf(code)) b->State = 1;
  dlgButtonPressed = false;
  if (repaint) RepaintTitleButton(code);
}

void TkaDialogWnd::SetPressedButton(int code) {
  if (code != ActiveButtonCode) {
    if (TitleBtnData* b = ButtonOf(ActiveButtonCode)) {
      b->State = 0;
      RepaintTitleButton(ActiveButtonCode);
    } else if (ActiveButtonCode != 0) {
      RepaintTitleButton(ActiveButtonCode);
    }
  }
  ActiveButtonCode = code;
  if (TitleBtnData* b = ButtonOf(code)) {
    if (code != ws::HTMAXBUTTON || MaxAllowed() || (Maximized() && RestoreAllowed())) b->State = 2;
  }
  dlgButtonPressed = true;
  RepaintTitleButton(code);
}

void TkaDialogWnd::PaintButton(QImage& cache, const TitleBtnData& b, bool dimmed) {
  TkSkinManager* m = LinkManager();
  if (!m || !m->IsValidImgIndex(b.ImageIndex) || b.Rect.IsEmpty()) return;
  PaintMaskImage(cache, {b.Rect.left, b.Rect.top}, b.State, m->ma[std::size_t(b.ImageIndex)],
                 BgSourceFromBmp(&cache, 0, 0), dimmed ? 0 : 1);
}

void TkaDialogWnd::RepaintTitleButton(int code) {
  TitleBtnData* b = ButtonOf(code);
  if (!b || !SkinLink || SkinLink->FCacheBmp.isNull()) return;
  // With glowing the button fades between its images on the clock.
  if (TkSkinManager* m = LinkManager(); m && m->AllowGlowing) {
    if (b->State == 1)
      AnimateTitleButton(*b, 1, 10, *this, true);
    else if (b->State == 2)
      AnimateTitleButton(*b, 2, 1, *this, true);
    else
      AnimateTitleButton(*b, 0, 10, *this, false);
    return;
  }
  // On the border window the frame is painted again and pushed whole.
  if (BorderForm) {
    SkinLink->BGChanged = true;
    UpdateBorder(true);
    return;
  }
  if (b->Rect.left <= FrameWidth() + Metric(ws::SM_CXSMICON)) return;
  QImage& cache = SkinLink->FCacheBmp;
  // The strip under the button from the caption's copy, then its image.
  if (!CaptionCopy.isNull()) {
    ws::Dc dst(cache), src(CaptionCopy);
    dst.BitBlt(b->Rect.left, b->Rect.top, b->Rect.Width(), b->Rect.Height(), src, b->Rect.left,
               b->Rect.top, ws::SRCCOPY);
  }
  const bool allowed = code == ws::HTCLOSE       ? CloseEnabled()
                       : code == ws::HTMAXBUTTON ? MaxAllowed() || RestoreAllowed()
                       : code == ws::HTMINBUTTON ? MinAllowed() || Minimized()
                                                 : true;
  PaintButton(cache, *b, !allowed || (b->State == 0 && !FormActive));
  if (auto dc = ws::GetWindowDC(WndHandle)) {
    ws::Dc src(cache);
    dc->BitBlt(b->Rect.left, b->Rect.top, b->Rect.Width(), b->Rect.Height(), src, b->Rect.left,
               b->Rect.top, ws::SRCCOPY);
    ws::ReleaseDC(WndHandle, std::move(dc));
  }
}

void TkaDialogWnd::PlaceButtons(QImage& cache, int w) {
  TkSkinManager* m = LinkManager();
  if (!m) return;
  const TkSkinData& sd = m->SkinData;
  const Rect sm = Margins();
  int x = w - sd.TitleBtnRightMargin - sm.right - FrameWidth(true);
  const bool maxExt = BorderForm && Maximized();
  const bool bigIcons = FrameKind == 1 || FrameKind == 3;
  auto place = [&](TitleBtnData& b, bool shown, bool dimmed) {
    if (!shown) {
      b.Rect = {};
      return;
    }
    const int iw = ButtonImageWidth(b), ih = ButtonImageHeight(b);
    b.Rect.right = x;
    b.Rect.left = x - iw;
    if (b.TopAligned && sd.TitleBtnVAlign == 1) {
      b.Rect.top = sm.top + (maxExt ? 3 : 0);
    } else {
      b.Rect.top = (PlainFrameWidth(true) + CaptionHeight(true) - ih) / 2 + sm.top +
                   (maxExt ? FrameWidth() / 2 : 0) + (BorderModeOne() ? sd.CenterOffsetEx : 0);
    }
    b.Rect.bottom = b.Rect.top + ih;
    PaintButton(cache, b, dimmed || !FormActive);
    x = bigIcons ? b.Rect.left - sd.TitleBtnSpacing : b.Rect.left;
  };
  place(CloseBtn, (WndStyle & ws::WS_SYSMENU) && m->IsValidImgIndex(CloseBtn.ImageIndex),
        !CloseEnabled());
  place(MaxBtn, HasMaxBox(), !(MaxAllowed() || (Maximized() && RestoreAllowed())));
  place(MinBtn, HasMinBox(), !MinAllowed());
  place(HelpBtn, DialogHasHelpButton(), false);
}

void TkaDialogWnd::PaintCaption(QImage& cache, int w, int captionBottom) {
  TkSkinManager* m = LinkManager();
  const Rect sm = Margins();
  const int fw = FrameWidth(true);
  const int title = m->GetSkinIndex(QStringLiteral("FORMTITLE"));
  // With border mode 1 the border's picture is the caption's background.
  if (title >= 0 && !BorderModeOne()) {
    const Rect strip{sm.left + fw, sm.top + PlainFrameWidth(true), w - sm.right - fw,
                     captionBottom};
    PaintItem(title, QStringLiteral("FORMTITLE"), BgSourceFromBmp(&cache, strip.left, strip.top),
              -1, -1, m, cache, {strip.left, strip.top}, strip, FormActive ? 1 : 0, true);
  }
  ws::Dc dc(cache);
  const Rect iconRect = TitleIconRect();
  if (!IconHandle.isNull())
    dc.DrawIconEx(iconRect.left, iconRect.top,
                  IconHandle.pixmap(iconRect.Width(), iconRect.Height())
                      .toImage()
                      .convertToFormat(QImage::Format_ARGB32),
                  iconRect.Width(), iconRect.Height());
  QFont font = QApplication::font();
  font.setBold(true);
  dc.SelectFont(ws::Font{font, 0});
  dc.SetBkMode(ws::TRANSPARENT);
  int buttons = 0;
  for (const TitleBtnData* b : {&CloseBtn, &MaxBtn, &MinBtn, &HelpBtn})
    if (!b->Rect.IsEmpty()) buttons += b->Rect.Width();
  Rect textRect{fw + (IconHandle.isNull() ? 0 : iconRect.Width()) + m->SkinData.TitleBtnLeftMargin +
                    sm.left + 4,
                sm.top + 2, w - buttons - sm.right - 6, captionBottom};
  if (BorderModeOne()) textRect = textRect.Offset(0, m->SkinData.CenterOffsetEx);
  DrawSectionText(dc, WindowTextOf(WndHandle), true, m, false, title,
                  ws::DT_SINGLELINE | ws::DT_VCENTER | ws::DT_NOPREFIX | ws::DT_END_ELLIPSIS,
                  textRect);
}

void TkaDialogWnd::LayFrameImage(QImage& cache, const Rect& frame) {
  TkSkinManager* m = LinkManager();
  const TkSkinManagerComponent* component = m ? m->Component : nullptr;
  BorderForm->FrameImage =
      component ? (FormActive ? &component->ShadowActive : &component->ShadowInactive) : nullptr;
  const QImage* picture = BorderForm->FrameImage;
  if (!picture || picture->isNull()) return;
  const Rect all{0, 0, cache.width(), cache.height()};
  const Rect source{0, 0, picture->width(), picture->height()};
  const NinePartModes stretched{1, 1, 1, 1};
  if (BorderModeOne() && m->IsValidImgIndex(m->ConstData.ExBorder)) {
    // The picture is the frame itself: laid at its mask's corner sizes.
    const TkMaskData& mask = m->ma[std::size_t(m->ConstData.ExBorder)];
    const Rect corners{mask.WL, mask.WT, mask.WR, mask.WB};
    PaintBmpNinePart(cache, *picture, all, false, 0, stretched, corners, corners, source);
    return;
  }
  // Only the shadow around the frame: the frame's own pixels stay.
  const int f = m->SkinData.FormOffsetEx;
  const Rect sm = Margins();
  const Rect corners{sm.left + f, sm.top + f, sm.right + f, sm.bottom + f};
  PaintBmpNinePart(cache, *picture, all, false, 0, stretched,
                   {frame.left, frame.top, all.right - frame.right, all.bottom - frame.bottom},
                   corners, source);
}

void TkaDialogWnd::PaintDialogFrame() {
  QWidget* wdg = ws::WidgetOf(WndHandle);
  TkSkinManager* m = LinkManager();
  if (!wdg || !SkinLink || !m) return;
  GetWndGeometry(*this);
  WndRect = ScreenRect;
  WndSize = Extent;
  int W = WndSize.width(), H = WndSize.height();
  if (W <= 0 || H <= 0) return;
  const Rect sm = Margins();
  if (BorderForm) {
    // The extended frame is wider than the window's own, the shadow around it.
    if (!Minimized()) W += 2 * BorderForm->ExtBorderExtra() + sm.left + sm.right;
    H += BorderForm->ExtTitleExtra() + BorderForm->ExtBorderExtra() + sm.top + sm.bottom;
  }
  QImage& cache = SkinLink->FCacheBmp;
  if (!SkinLink->BGChanged && cache.size() == QSize(W, H)) return;
  RgnChanged = true;
  const int ch = CaptionHeight(true);
  const int captionBottom = PlainFrameWidth(true) + ch + sm.top;
  Rect frame{sm.left, sm.top, W - sm.right, H - sm.bottom};
  if (Minimized()) frame.bottom = captionBottom - sm.bottom + 1;
  QImage canvas = CreateBmp24(W, H);
  if (m->IsValidSkinIndex(SkinLink->SkinIndex)) {
    if (BorderModeOne())
      PaintItemBg(SkinLink->SkinIndex, SkinLink->SkinSection,
                  TBgSource{nullptr, 0, 0, kTransparentKey, false}, -1, -1, -1, m, canvas, {0, 0},
                  frame, FormActive);
    else
      PaintControlItem(*SkinLink, kEmptyBgSource, true, false, canvas, {}, frame,
                       FormActive ? 1 : 0);
  }
  if (ch > 0 && !BorderModeOne()) PaintCaption(canvas, W, captionBottom);
  if (!BorderForm) {
    CaptionCopy = canvas.copy(0, 0, W, std::max(1, captionBottom));
    if (ch > 0) PlaceButtons(canvas, W);
    cache = canvas;
    SkinLink->BGChanged = false;
    return;
  }
  QImage c32 = canvas.convertToFormat(QImage::Format_ARGB32);
  MakeOpaqueInside(c32, frame);
  LayFrameImage(c32, frame);
  // The caption (in border mode 1) and the buttons go opaque over the
  // border's picture: every pixel they change.
  QImage top = c32.convertToFormat(QImage::Format_BGR888);
  const QImage under = top.copy();
  if (ch > 0 && BorderModeOne()) PaintCaption(top, W, captionBottom);
  CaptionCopy = top.copy(0, 0, W, std::max(1, captionBottom));
  if (ch > 0) PlaceButtons(top, W);
  for (int y = 0; y < std::min(H, std::max(captionBottom, 0) + 1); ++y) {
    auto* line = reinterpret_cast<QRgb*>(c32.scanLine(y));
    for (int x = 0; x < W; ++x)
      if (top.pixel(x, y) != under.pixel(x, y)) line[x] = top.pixel(x, y) | 0xFF000000u;
  }
  cache = c32;
  SkinLink->BGChanged = false;
}

void TkaDialogWnd::UpdateRegion(bool redraw) {
  QWidget* w = ws::WidgetOf(WndHandle);
  if (!w || (FrameKind == 2 && !Minimized())) return;
  if (SendSkinCommand(WndHandle, 0xBC4D - SM_SKINCMD, 0) == 0x41A2) return;
  QRegion region(0, 0, w->width(), w->height());
  if (BorderForm) {
    // The border window behind draws frame and caption: the window keeps
    // its client area only, from the caption's foot.
    const int f = FrameWidth();
    region =
        QRegion(f, f + CaptionHeight(), w->width() - 2 * f, w->height() - 2 * f - CaptionHeight());
  } else {
    for (const Rect& r : RgnAreas) region -= QRegion(r.ToQRect());
  }
  ws::SetWindowRgn(w, region, redraw);
}

void TkaDialogWnd::PaintNonClient() {
  WalkChildren();
  TkSkinManager* m = LinkManager();
  if (RgnChanged && (FrameKind != 2 || (WndStyle & ws::WS_THICKFRAME)) && m && SkinLink) {
    RgnAreas.clear();
    if (m->IsValidImgIndex(SkinLink->BorderIndex)) {
      const TkMaskData& mask = m->ma[std::size_t(SkinLink->BorderIndex)];
      AddTransparentAreas(RgnAreas, WndSize.width(), mask, false, 0);
      AddTransparentAreas(RgnAreas, WndSize.width(), mask, true, WndSize.height() - mask.WB);
    }
    RgnChanged = false;
    UpdateRegion(true);
  }
  if (SkinLink && SkinLink->BGChanged) PaintDialogFrame();
  if (!SkinLink || SkinLink->FCacheBmp.isNull()) return;
  // With a border window the frame is shown by that window.
  if (auto dc = BorderForm ? nullptr : ws::GetWindowDC(WndHandle)) {
    const QImage& cache = SkinLink->FCacheBmp;
    ws::Dc src(const_cast<QImage&>(cache));
    const int W = cache.width(), H = cache.height(), fw = FrameWidth(), co = CaptionOffset();
    dc->BitBlt(0, 0, W, co, src, 0, 0, ws::SRCCOPY);
    dc->BitBlt(0, co, fw, H - co, src, 0, co, ws::SRCCOPY);
    dc->BitBlt(W - fw, co, fw, H - co, src, W - fw, co, ws::SRCCOPY);
    dc->BitBlt(0, H - fw, W, fw, src, 0, H - fw, ws::SRCCOPY);
    ws::ReleaseDC(WndHandle, std::move(dc));
  }
  SkinLink->SetHot(false);
}

void TkaDialogWnd::PaintClientBg(ws::Dc* dc) {
  if (!SkinLink) return;
  SkinLink->SetHot(false);
  if (SkinLink->BGChanged || SkinLink->FCacheBmp.isNull()) PaintDialogFrame();
  if (!dc || SkinLink->FCacheBmp.isNull()) return;
  const QMargins nc = ws::NonClientMargins(WndHandle);
  const Rect client = ws::GetClientRect(WndHandle);
  ws::Dc src(SkinLink->FCacheBmp);
  dc->BitBlt(nc.left(), nc.top(), client.Width(), client.Height(), src, ClientOffsetX(),
             ClientOffsetY(), ws::SRCCOPY);
  // The children held back while the dialog had not painted paint now.
  RecheckHotChildren(ws::WidgetOf(WndHandle));
}

void TkaDialogWnd::WalkChildren() {
  if (Provider) Provider->SkinChildWindows(WndHandle);
}

void TkaDialogWnd::SysCommand(unsigned command) {
  ws::SendMessage(WndHandle, ws::WM_SYSCOMMAND, command, 0);
}

void TkaDialogWnd::NcButtonDown(int code, QPoint screen, Msg& msg, const NextHandler& next) {
  switch (code) {
    case ws::HTSYSMENU:
      PopupSystemMenu(QPoint(WndRect.left + FrameWidth(),
                             WndRect.top + FrameWidth() + Metric(ws::SM_CYSMICON)));
      return;
    case ws::HTMINBUTTON:
    case ws::HTMAXBUTTON:
    case ws::HTCLOSE:
    case ws::HTHELP:
      SetPressedButton(code);
      return;
    default:
      break;
  }
  if (Minimized()) {
    SysCommand(ws::SC_MOVE + 2);
    return;
  }
  SetDialogHotButton(0, true);
  const QPoint p = screen - QPoint(WndRect.left, WndRect.top);
  if (Maximized() && p.y() <= FrameWidth() + CaptionHeight()) return;
  CallPrevWndProc(msg, next);
  // The platform moves and sizes the window by the hit code of a press.
  QWidget* w = ws::WidgetOf(WndHandle);
  QWindow* window = w ? w->windowHandle() : nullptr;
  if (!window) return;
  if (code == ws::HTCAPTION) {
    window->startSystemMove();
    return;
  }
  static const std::pair<int, Qt::Edges> kEdges[] = {
      {ws::HTLEFT, Qt::LeftEdge},
      {ws::HTRIGHT, Qt::RightEdge},
      {ws::HTTOP, Qt::TopEdge},
      {ws::HTBOTTOM, Qt::BottomEdge},
      {ws::HTTOPLEFT, Qt::TopEdge | Qt::LeftEdge},
      {ws::HTTOPRIGHT, Qt::TopEdge | Qt::RightEdge},
      {ws::HTBOTTOMLEFT, Qt::BottomEdge | Qt::LeftEdge},
      {ws::HTBOTTOMRIGHT, Qt::BottomEdge | Qt::RightEdge}};
  for (const auto& [hit, edges] : kEdges)
    if (hit == code) window->startSystemResize(edges);
}

void TkaDialogWnd::NcButtonUp(int code, QPoint screen, Msg& msg, const NextHandler& next) {
  // The buttons lie in the border window's picture when there is one.
  const QPoint p = screen - (BorderForm && BorderForm->AForm ? BorderForm->AForm->pos()
                                                             : QPoint(WndRect.left, WndRect.top));
  const bool pressed = dlgButtonPressed;
  switch (code) {
    case ws::HTMINBUTTON:
      if (pressed && MinBtn.Rect.Contains(p.x(), p.y())) {
        SetDialogHotButton(0, true);
        SysCommand(Minimized() ? ws::SC_RESTORE : ws::SC_MINIMIZE);
      } else if (pressed) {
        CallPrevWndProc(msg, next);
      } else {
        SetDialogHotButton(0, true);
      }
      break;
    case ws::HTMAXBUTTON:
      if (Minimized() && !MaxAllowed()) break;
      SetDialogHotButton(0, true);
      if (pressed) {
        SysCommand(Maximized() ? ws::SC_RESTORE : ws::SC_MAXIMIZE);
        QCoreApplication::processEvents();
        if (SystemMenu) SystemMenu->UpdateItems();
      }
      break;
    case ws::HTCLOSE:
      if (pressed) {
        CloseBtn.State = 0;
        SetDialogHotButton(0, true);
        SysCommand(ws::SC_CLOSE);
      }
      break;
    case ws::HTHELP:
      if (pressed) SysCommand(ws::SC_CONTEXTHELP);
      SetDialogHotButton(0, true);
      if (SystemMenu) SystemMenu->UpdateItems();
      if (pressed) ws::SendMessage(WndHandle, ws::WM_NCPAINT, 1, 0);
      break;
    default:
      CallPrevWndProc(msg, next);
      break;
  }
  dlgButtonPressed = false;
  msg.wParam = 0;
}

void TkaDialogWnd::SkinCommand(Msg& msg, const NextHandler& next) {
  TkSkinManager* m = LinkManager();
  switch (ws::HiWord(msg.wParam)) {
    case scNewSkin:
      SetExtBorders(ExtendedBordersWanted());
      if (SkinLink && msg.lParam == ws::LPARAM(m)) {
        SkinLink->UpdateIndexes();
        LoadButtonImages();
        for (HWND child : ws::GetChildren(WndHandle))
          ws::SendMessage(child, msg.msg, msg.wParam, msg.lParam);
      }
      return;
    case scRepaint:
      if (SkinLink) {
        SkinLink->UpdateIndexes();
        SkinLink->BGChanged = true;
      }
      SetExtBorders(ExtendedBordersWanted());
      Invalidate(WndHandle);
      UpdateBorder(true);
      return;
    case scFormActivated:
      UpdateBorder(false);
      break;
    case scIsHot:
      msg.result = SkinLink && SkinLink->FHot;
      return;
    case scBgDepends:
      if (SkinLink && m && m->IsValidSkinIndex(SkinLink->SkinIndex)) {
        const TkGeneralData& g = m->gd[std::size_t(SkinLink->SkinIndex)];
        msg.result = g.GradientPercent + g.ImagePercent > 0;
      }
      return;
    case scGetBgColor:
      msg.result = SkinLink ? SkinLink->BgColor(0) : 0;
      return;
    case 28:
      WalkChildren();
      break;
    case scGetBgInfo:
      if (auto* info = reinterpret_cast<TParentBgInfo*>(msg.lParam); info && SkinLink) {
        if (SkinLink->BGChanged || SkinLink->FCacheBmp.isNull()) PaintDialogFrame();
        info->Bitmap = &SkinLink->FCacheBmp;
        info->X += ClientOffsetX();
        info->Y += ClientOffsetY();
        info->Ready = 2;
        msg.result = 1;
      }
      return;
    case scGetClientOffset:
      msg.result = ws::LRESULT(ClientOffsetY()) << 16 | ClientOffsetX();
      return;
    default:
      break;
  }
  TkaScrollWnd::WndProc(msg, next);
}

void TkaDialogWnd::WndProc(Msg& msg, const NextHandler& next) {
  QWidget* w = ws::WidgetOf(WndHandle);
  const bool visible = w && w->isVisible();
  switch (msg.msg) {
    case ws::WM_DESTROY:
    case ws::WM_NCDESTROY:
      if (Attached() && !Released) {
        frameTaken_ = false;  // the window is going with its frame
        Release(false);
      }
      CallPrevWndProc(msg, next);
      Released = true;
      return;
    case SM_SKINCMD:
      if (ws::HiWord(msg.wParam) == scRemoveSkin || !SkinInForce()) break;
      SkinCommand(msg, next);
      return;
    case ws::WM_NCCALCSIZE:
      if (frameTaken_ && msg.lParam) {
        auto* p = reinterpret_cast<ws::NCCALCSIZE_PARAMS*>(msg.lParam);
        p->rgrc[0] = {p->rgrc[0].left + frameMargins_.left(), p->rgrc[0].top + frameMargins_.top(),
                      p->rgrc[0].right - frameMargins_.right(),
                      p->rgrc[0].bottom - frameMargins_.bottom()};
        msg.result = 0;
        return;
      }
      break;
    case ws::WM_SIZE:
    case ws::WM_WINDOWPOSCHANGED:
      if (SkinLink) SkinLink->BGChanged = true;
      RgnChanged = true;
      CallPrevWndProc(msg, next);
      UpdateBorder(msg.msg == ws::WM_SIZE);
      Invalidate(WndHandle);
      return;
    case ws::WM_MOVE:
      TkaScrollWnd::WndProc(msg, next);
      UpdateBorder(false);
      return;
    case ws::WM_ACTIVATE:
      CallPrevWndProc(msg, next);
      Invalidate(WndHandle);
      return;
    case ws::WM_ENABLE:
    case ws::CM_TEXTCHANGED:
      if (!visible) break;
      CallPrevWndProc(msg, next);
      if (SkinLink) SkinLink->BGChanged = true;
      if (BorderForm && msg.msg == ws::CM_TEXTCHANGED)
        UpdateBorder(false);
      else
        ws::SendMessage(WndHandle, ws::WM_NCPAINT, 1, 0);
      return;
    case ws::WM_PAINT:
      if (SkipClientPaint) {
        msg.result = 0;
        return;
      }
      CallPrevWndProc(msg, next);
      return;
    case ws::WM_ERASEBKGND:
      GetWndGeometry(*this);
      WndRect = ScreenRect;
      WndSize = Extent;
      if (!ChildrenSkinned) {
        ChildrenSkinned = true;
        WalkChildren();
      }
      PaintClientBg(DcOf(msg));
      msg.result = 1;
      return;
    case ws::WM_NCHITTEST: {
      GetWndGeometry(*this);
      WndRect = ScreenRect;
      WndSize = Extent;
      const QPoint screen(ws::XOf(msg.lParam), ws::YOf(msg.lParam));
      const int code = HitTest(screen, 0);
      if (code == 0 || code == ws::HTCAPTION) {
        CallPrevWndProc(msg, next);
        if (msg.result == 0)
          msg.result = DefaultHitTest(screen - QPoint(WndRect.left, WndRect.top));
        SetDialogHotButton(0, true);
        return;
      }
      msg.result = code;
      return;
    }
    case ws::WM_NCPAINT:
      if (!visible) break;
      GetWndGeometry(*this);
      WndRect = ScreenRect;
      WndSize = Extent;
      KeptText = WindowTextOf(WndHandle);
      // A border window not shown yet while the dialog is: placed and painted.
      if (BorderForm && BorderForm->AForm && !BorderForm->AForm->isVisible())
        BorderForm->UpdateExBorder(true, 255);
      PaintNonClient();
      msg.result = 1;
      return;
    case ws::WM_NCACTIVATE:
      if (!visible) break;
      ws::SendMessage(WndHandle, ws::WM_SETREDRAW, 0);
      CallPrevWndProc(msg, next);
      FormActive = ws::LoWord(msg.wParam) != 0;
      ws::SendMessage(WndHandle, ws::WM_SETREDRAW, 1);
      if (SkinLink) SkinLink->BGChanged = true;
      Invalidate(WndHandle);
      UpdateBorder(false);
      return;
    case WM_GETDLGCODE:
      return;
    case ws::WM_NCLBUTTONDOWN: {
      const QPoint screen(ws::XOf(msg.lParam), ws::YOf(msg.lParam));
      int code = int(msg.wParam);
      // The border window's presses: its hit code, or its own (the shadow).
      if (BorderForm && code == kHtObject) {
        CallPrevWndProc(msg, next);
        return;
      }
      if (BorderForm && code == -1)
        code = BorderForm->HitTest(msg);
      else if (code != ws::HTBOTTOMRIGHT)
        code = HitTest(screen, code);
      NcButtonDown(code, screen, msg, next);
      return;
    }
    case ws::WM_NCLBUTTONUP:
      if (BorderForm && int(msg.wParam) == -1) msg.wParam = ws::WPARAM(BorderForm->HitTest(msg));
      NcButtonUp(int(msg.wParam), QPoint(ws::XOf(msg.lParam), ws::YOf(msg.lParam)), msg, next);
      return;
    case ws::WM_NCLBUTTONDBLCLK:
      if (int(msg.wParam) == ws::HTCAPTION && (MaxAllowed() || RestoreAllowed())) {
        SysCommand(Maximized() || Minimized() ? ws::SC_RESTORE : ws::SC_MAXIMIZE);
        if (SystemMenu) SystemMenu->UpdateItems();
      } else if (int(msg.wParam) == ws::HTSYSMENU)
        SysCommand(ws::SC_CLOSE);
      msg.wParam = 0;
      return;
    case ws::WM_NCRBUTTONDOWN:
      if (int(msg.wParam) == ws::HTCAPTION || int(msg.wParam) == ws::HTSYSMENU) return;
      break;
    case ws::WM_NCRBUTTONUP:
      if (BorderForm && int(msg.wParam) == -1) msg.wParam = ws::WPARAM(BorderForm->HitTest(msg));
      if (int(msg.wParam) == ws::HTCAPTION || int(msg.wParam) == ws::HTSYSMENU)
        PopupSystemMenu(QPoint(ws::XOf(msg.lParam), ws::YOf(msg.lParam)));
      return;
    case WM_CTLCOLORDLG:
      msg.result = LinkManager() ? LinkManager()->GetGlobalColor() : 0;
      return;
    case ws::WM_MOUSELEAVE:
      SetDialogHotButton(0, true);
      break;
    case DM_SETDEFID:
      TkaScrollWnd::WndProc(msg, next);
      WalkChildren();
      return;
    case WM_COMMONDIALOG:
      CallPrevWndProc(msg, next);
      WalkChildren();
      Invalidate(WndHandle);
      return;
    case ws::WM_SYSCOMMAND:
      TkaScrollWnd::WndProc(msg, next);
      if ((msg.wParam & 0xFFF0) == ws::SC_MAXIMIZE || (msg.wParam & 0xFFF0) == ws::SC_RESTORE) {
        if (HasMaxBox()) ActiveButtonCode = ws::HTMAXBUTTON;
        SetDialogHotButton(0, true);
      }
      return;
    case kCmVisibleChanged:
      TkaScrollWnd::WndProc(msg, next);
      if (msg.wParam == 0) FreeTitleButtonAnimations();
      return;
    case ws::WM_SHOWWINDOW:
      TkaScrollWnd::WndProc(msg, next);
      if (msg.wParam == 0) {
        FreeTitleButtonAnimations();
        // A hidden dialog leaves no border; the next new skin or repaint
        // makes it again.
        SetExtBorders(false);
      }
      return;
    default:
      break;
  }
  TkaScrollWnd::WndProc(msg, next);
}

}  // namespace kelmo::skinwnd
