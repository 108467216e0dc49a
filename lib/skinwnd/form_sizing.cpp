// The rubber band of the border resize mode.
#include "skinwnd/form_sizing.h"

#include <QRubberBand>
#include <QWidget>
#include <memory>

#include "skinwnd/form_frame_geometry.h"
#include "winshim/non_client.h"
#include "winshim/system_menu.h"

namespace kelmo::skinwnd {
namespace ws = winshim;

namespace {

struct Outline {
  std::unique_ptr<QRubberBand> band;
  QRect shown;
};

Outline& TheOutline() {
  static Outline* outline = new Outline;  // lives to the end of the process
  return *outline;
}

// The outline shown at the rect (the screen's inverted frame of the
// platform: drawing it again takes it away).
void ShowOutline(const QRect& r) {
  Outline& o = TheOutline();
  if (!o.band) {
    o.band = std::make_unique<QRubberBand>(QRubberBand::Rectangle);
    o.band->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  o.shown = r;
  o.band->setGeometry(r);
  o.band->show();
}

void HideOutline() {
  Outline& o = TheOutline();
  o.shown = QRect();
  if (o.band) o.band->hide();
}

bool BorderCode(int code) {
  return code >= ws::HTLEFT && code <= ws::HTBOTTOMRIGHT;
}

}  // namespace

RubberBandState& RubberBand() {
  static RubberBandState state;
  return state;
}

QRect RubberBandOutline() {
  return TheOutline().shown;
}

void NoteSizingEdge(TkSkinProvider& p, int code) {
  if (p.ResizeMode == TkResizeMode::rmBorder && RubberBand().SizingEdge == 0 && BorderCode(code))
    RubberBand().SizingEdge = code;
}

void PrepareRubberBand(TkSkinProvider& p, unsigned command) {
  RubberBandState& s = RubberBand();
  if (p.ResizeMode != TkResizeMode::rmBorder || s.Active) return;
  if (command == ws::SC_MOVE) {
    ws::SetCapture(p.FormHandle());
    s.FirstMovePending = true;
    s.Moving = true;
  } else if (command == ws::SC_SIZE) {
    ws::SetCapture(p.FormHandle());
    s.SizingEdge = 0;
    s.FirstMovePending = true;
    s.Moving = false;
  }
}

void BeginRubberBand(TkSkinProvider& p, int code, QPoint screen) {
  RubberBandState& s = RubberBand();
  const bool moving = !BorderCode(code);
  // The move or size command captures the mouse; the drag starts at the point.
  ws::SendMessage(p.FormHandle(), ws::WM_SYSCOMMAND, moving ? ws::SC_MOVE : ws::SC_SIZE, 0);
  s.Moving = moving;
  // The press is the grab point: the first move need not record it.
  s.FirstMovePending = false;
  if (!moving) s.SizingEdge = code;
  s.GrabX = screen.x();
  s.GrabY = screen.y();
  StartRubberBand(p, screen);
}

void StartRubberBand(TkSkinProvider& p, QPoint screen) {
  if (p.ResizeMode != TkResizeMode::rmBorder) return;
  QWidget* form = p.FormWidget();
  if (!form) return;
  RubberBandState& s = RubberBand();
  s.Active = true;
  const QPoint origin = WindowOrigin(p);
  s.Left = origin.x();
  s.Top = origin.y();
  if (s.Moving) {
    s.GrabX = screen.x();
    s.GrabY = screen.y();
    DrawRubberBand(p, QPoint(s.Left, s.Top));
    return;
  }
  s.MinHeight = form->minimumHeight();
  s.MinWidth = form->minimumWidth();
  s.Bottom = s.Top + form->height();
  s.Right = s.Left + form->width();
  DrawRubberBand(p, QPoint(s.Left, s.Top));
}

void DrawRubberBand(TkSkinProvider& p, QPoint at) {
  if (p.ResizeMode != TkResizeMode::rmBorder || !p.FormWidget()) return;
  const RubberBandState& s = RubberBand();
  if (s.Moving)
    ShowOutline(QRect(at, p.FormWidget()->size()));
  else
    ShowOutline(QRect(QPoint(s.Left, s.Top), QPoint(s.Right - 1, s.Bottom - 1)));
}

void TrackRubberBand(TkSkinProvider& p, const ws::Msg& msg) {
  if (p.ResizeMode != TkResizeMode::rmBorder || !p.FormWidget()) return;
  RubberBandState& s = RubberBand();
  const QPoint pt =
      ws::ClientToScreen(p.FormHandle(), QPoint(ws::XOf(msg.lParam), ws::YOf(msg.lParam)));
  const int px = pt.x(), py = pt.y();
  const QPoint origin = WindowOrigin(p);
  const int fl = origin.x(), ft = origin.y();
  const int fw = p.FormWidget()->width(), fh = p.FormWidget()->height();
  if (s.Moving) {
    s.FirstMovePending = false;
    if (!s.Active) return;
    s.Left += px - s.GrabX;
    s.Top += py - s.GrabY;
    s.GrabX = px;
    s.GrabY = py;
    DrawRubberBand(p, QPoint(s.Left, s.Top));
    return;
  }
  if (s.FirstMovePending) {
    s.GrabX = px;
    s.GrabY = py;
    s.FirstMovePending = false;
  }
  if (!s.Active) return;
  auto top = [&] { s.Top = std::min(py + ft - s.GrabY, s.Bottom - s.MinHeight); };
  auto left = [&] { s.Left = std::min(px + fl - s.GrabX, s.Right - s.MinWidth); };
  auto bottom = [&] { s.Bottom = std::max(py + ft + fh - s.GrabY, ft + s.MinHeight); };
  auto right = [&] { s.Right = std::max(px + fl + fw - s.GrabX, fl + s.MinWidth); };
  switch (s.SizingEdge) {
    case ws::HTTOP:
      top();
      break;
    case ws::HTTOPLEFT:
      top();
      left();
      break;
    case ws::HTLEFT:
      left();
      break;
    case ws::HTTOPRIGHT:
      top();
      right();
      break;
    case ws::HTBOTTOM:
      bottom();
      break;
    case ws::HTBOTTOMLEFT:
      bottom();
      left();
      break;
    case ws::HTRIGHT:
      right();
      break;
    default:
      bottom();
      right();
      break;
  }
  DrawRubberBand(p, QPoint(s.Left, s.Top));
}

void StopRubberBand(TkSkinProvider& p) {
  if (p.ResizeMode != TkResizeMode::rmBorder) return;
  RubberBandState& s = RubberBand();
  ws::ReleaseCapture();
  s.Active = false;
  HideOutline();
  QWidget* form = p.FormWidget();
  if (form) {
    if (s.Moving)
      form->move(s.Left, s.Top);
    else if (!s.FirstMovePending)
      form->setGeometry(s.Left, s.Top, s.Right - s.Left, s.Bottom - s.Top);
  }
  s.FirstMovePending = false;
  s.SizingEdge = 0;
}

}  // namespace kelmo::skinwnd
