// The QStyle-backed visual-style engine.
#include "lookandfeel/qstyle_theme.h"

#include <QApplication>
#include <QPainter>
#include <QStringList>
#include <QStyle>
#include <QStyleOption>
#include <vector>

#include "winshim/draw_text.h"

namespace kelmo::le {
namespace {

using winshim::Rect;

const QStringList& KnownClasses() {
  static const QStringList classes = {"BUTTON",  "COMBOBOX", "EDIT",      "EXPLORERBAR",
                                      "HEADER",  "LISTVIEW", "SCROLLBAR", "TAB",
                                      "TOOLBAR", "TRACKBAR", "TREEVIEW",  "WINDOW"};
  return classes;
}

// Margins between a part's bounds and its content, per class.
int ContentMargin(const QString& cls, int part) {
  if (cls == "BUTTON") return part == 1 ? 3 : 0;
  if (cls == "HEADER" || cls == "EDIT" || cls == "TRACKBAR" || cls == "LISTVIEW") return 1;
  if (cls == "TAB") return 2;
  return 1;
}

class QStyleTheme : public UxThemeApi {
 public:
  ThemeHandle OpenThemeData(const QString& classList) override {
    for (const QString& c : classList.split(';')) {
      const QString cls = c.trimmed().toUpper();
      if (KnownClasses().contains(cls)) {
        opened_.push_back(cls);
        return opened_.size();
      }
    }
    return 0;
  }
  HResult CloseThemeData(ThemeHandle theme) override { return Valid(theme) ? S_OK : E_FAIL; }

  HResult DrawThemeBackground(ThemeHandle theme, winshim::Dc& dc, int part, int state,
                              const Rect& r, const Rect* clip) override {
    if (!Valid(theme)) return E_FAIL;
    const QString cls = ClassOf(theme);
    dc.Paint([&](QPainter& p) {
      if (clip) p.setClipRect(clip->ToQRect(), Qt::IntersectClip);
      Draw(p, cls, part, state, r.ToQRect());
    });
    return S_OK;
  }

  HResult DrawThemeText(ThemeHandle theme, winshim::Dc& dc, int part, int state,
                        const QString& text, int count, unsigned flags, unsigned,
                        const Rect& r) override {
    if (!Valid(theme)) return E_FAIL;
    winshim::ColorRef color = 0;
    if (GetThemeColor(theme, part, state, 3803, color) != S_OK) {
      color = winshim::FromQColor(qApp->palette().color(QPalette::ButtonText));
    }
    const winshim::ColorRef oldColor = dc.SetTextColor(color);
    const winshim::BkMode oldMode = dc.SetBkMode(winshim::TRANSPARENT);
    Rect copy = r;
    winshim::DrawText(dc, count < 0 ? text : text.left(count), copy, flags);
    dc.SetBkMode(oldMode);
    dc.SetTextColor(oldColor);
    return S_OK;
  }

  HResult GetThemeBackgroundContentRect(ThemeHandle theme, winshim::Dc*, int part, int,
                                        const Rect& bounding, Rect& content) override {
    if (!Valid(theme)) return E_FAIL;
    const int m = ContentMargin(ClassOf(theme), part);
    content = bounding.Inflate(-m, -m);
    return S_OK;
  }

  HResult GetThemePartSize(ThemeHandle theme, winshim::Dc*, int part, int, const Rect*, ThemeSize,
                           QSize& size) override {
    if (!Valid(theme)) return E_FAIL;
    const QString cls = ClassOf(theme);
    QStyle* s = qApp->style();
    if (cls == "BUTTON" && part == 2) {
      size = {s->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth),
              s->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight)};
    } else if (cls == "BUTTON" && part == 3) {
      size = {s->pixelMetric(QStyle::PM_IndicatorWidth),
              s->pixelMetric(QStyle::PM_IndicatorHeight)};
    } else if (cls == "TREEVIEW") {
      size = {9, 9};
    } else if (cls == "EXPLORERBAR") {
      size = {18, 18};
    } else if (cls == "WINDOW") {
      size = {13, 13};
    } else {
      size = {16, 16};
    }
    return S_OK;
  }

  HResult GetThemeBackgroundRegion(ThemeHandle theme, winshim::Dc*, int, int, const Rect& r,
                                   QRegion& region) override {
    if (!Valid(theme)) return E_FAIL;
    region = QRegion(r.ToQRect());
    return S_OK;
  }

  HResult DrawThemeEdge(ThemeHandle theme, winshim::Dc& dc, int, int, const Rect& r, unsigned edge,
                        unsigned flags, Rect* content) override {
    if (!Valid(theme)) return E_FAIL;
    Rect copy = r;
    dc.DrawEdge(copy, edge, flags | winshim::BF_ADJUST);
    if (content) *content = copy;
    return S_OK;
  }

  bool IsThemeBackgroundPartiallyTransparent(ThemeHandle, int, int) override { return false; }

  HResult GetThemeColor(ThemeHandle theme, int, int state, int property,
                        winshim::ColorRef& color) override {
    if (!Valid(theme)) return E_FAIL;
    const QPalette pal = qApp->palette();
    const QPalette::ColorGroup g = state == 4 ? QPalette::Disabled : QPalette::Active;
    switch (property) {
      case 3801:  // border colour
        color = winshim::FromQColor(pal.color(g, QPalette::Mid));
        return S_OK;
      case 204:  // fill colour
        color = winshim::FromQColor(pal.color(g, QPalette::Button));
        return S_OK;
      case 3803:  // text colour
        color = winshim::FromQColor(pal.color(g, QPalette::ButtonText));
        return S_OK;
      default:
        return E_FAIL;
    }
  }

  bool IsThemeActive() override { return true; }

  HResult GetCurrentThemeName(QString& fileName, QString& colorName, QString& sizeName) override {
    fileName = qApp->style()->name() + ".qstyle";
    colorName = "Normal";
    sizeName = "Normal";
    return S_OK;
  }

 private:
  bool Valid(ThemeHandle h) const { return h >= 1 && h <= opened_.size(); }
  QString ClassOf(ThemeHandle h) const { return opened_[h - 1]; }

  // Hot, pressed and disabled by the common state numbers 1..4.
  static void ApplyState(QStyleOption& o, int s) {
    o.palette = qApp->palette();
    o.state = QStyle::State_Enabled;
    if (s == 2) o.state |= QStyle::State_MouseOver;
    if (s == 3) o.state |= QStyle::State_Sunken;
    if (s == 4) o.state &= ~QStyle::State(QStyle::State_Enabled);
    if (s != 3) o.state |= QStyle::State_Raised;
  }

  static void Draw(QPainter& p, const QString& cls, int part, int state, const QRect& r) {
    QStyle* st = qApp->style();
    if (cls == "BUTTON" && part == 1) {
      QStyleOptionButton o;
      o.rect = r;
      ApplyState(o, state == 5 ? 1 : state);
      if (state == 5) o.features |= QStyleOptionButton::DefaultButton;
      st->drawControl(QStyle::CE_PushButtonBevel, &o, &p);
    } else if (cls == "BUTTON" && (part == 2 || part == 3)) {
      QStyleOptionButton o;
      o.rect = r;
      ApplyState(o, (state - 1) % 4 + 1);
      o.state |= state >= 5 ? QStyle::State_On : QStyle::State_Off;
      st->drawPrimitive(part == 2 ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox,
                        &o, &p);
    } else if (cls == "HEADER") {
      QStyleOptionHeader o;
      o.rect = r;
      ApplyState(o, state);
      o.position = part == 3 ? QStyleOptionHeader::End : QStyleOptionHeader::Middle;
      st->drawControl(QStyle::CE_HeaderSection, &o, &p);
    } else if (cls == "SCROLLBAR") {
      DrawScrollBar(p, st, part, state, r);
    } else if (cls == "COMBOBOX" || cls == "EXPLORERBAR") {
      QStyleOptionButton o;
      o.rect = r;
      ApplyState(o, state);
      st->drawPrimitive(QStyle::PE_PanelButtonCommand, &o, &p);
      const bool up = cls == "EXPLORERBAR" && part == 6;
      st->drawPrimitive(up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &o, &p);
    } else if (cls == "TAB" && part == 9) {
      QStyleOptionTabWidgetFrame o;
      o.rect = r;
      ApplyState(o, 1);
      st->drawPrimitive(QStyle::PE_FrameTabWidget, &o, &p);
    } else if (cls == "TAB") {
      QStyleOptionTab o;
      o.rect = r;
      ApplyState(o, state);
      if (state == 3) o.state |= QStyle::State_Selected;
      st->drawControl(QStyle::CE_TabBarTabShape, &o, &p);
    } else if (cls == "TOOLBAR") {
      QStyleOptionToolButton o;
      o.rect = r;
      ApplyState(o, state == 5 ? 3 : state);
      o.state |= QStyle::State_AutoRaise;
      st->drawPrimitive(QStyle::PE_PanelButtonTool, &o, &p);
    } else if (cls == "TREEVIEW") {
      // A boxed plus or minus, as tree views draw their expand glyph.
      const QPalette pal = qApp->palette();
      p.fillRect(r, pal.color(QPalette::Base));
      p.setPen(pal.color(QPalette::Mid));
      p.drawRect(r.adjusted(0, 0, -1, -1));
      p.setPen(pal.color(QPalette::Text));
      const QPoint c = r.center();
      p.drawLine(c.x() - 2, c.y(), c.x() + 2, c.y());
      if (state == 1) p.drawLine(c.x(), c.y() - 2, c.x(), c.y() + 2);
    } else if (cls == "WINDOW") {
      QStyleOption o;
      o.rect = r;
      ApplyState(o, state);
      const QIcon icon = st->standardIcon(QStyle::SP_TitleBarCloseButton, &o);
      icon.paint(&p, r, Qt::AlignCenter, state == 4 ? QIcon::Disabled : QIcon::Normal);
    } else {
      // Edit, list view and track bar: a sunken frame.
      QStyleOptionFrame o;
      o.rect = r;
      ApplyState(o, state);
      o.lineWidth = 1;
      o.state |= QStyle::State_Sunken;
      st->drawPrimitive(QStyle::PE_Frame, &o, &p);
    }
  }

  static void DrawScrollBar(QPainter& p, QStyle* st, int part, int state, const QRect& r) {
    QStyleOptionSlider o;
    o.rect = r;
    if (part == 1) {
      // Up 1..4, down 5..8, left 9..12, right 13..16.
      const int dir = (state - 1) / 4;
      ApplyState(o, (state - 1) % 4 + 1);
      st->drawPrimitive(QStyle::PE_PanelButtonBevel, &o, &p);
      static constexpr QStyle::PrimitiveElement kArrows[] = {
          QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown, QStyle::PE_IndicatorArrowLeft,
          QStyle::PE_IndicatorArrowRight};
      st->drawPrimitive(kArrows[dir & 3], &o, &p);
      return;
    }
    ApplyState(o, state == 0 ? 1 : state);
    const bool horizontal = part == 2 || part == 4 || part == 5 || part == 8;
    o.orientation = horizontal ? Qt::Horizontal : Qt::Vertical;
    if (horizontal) o.state |= QStyle::State_Horizontal;
    switch (part) {
      case 2:
      case 3:
        st->drawControl(QStyle::CE_ScrollBarSlider, &o, &p);
        break;
      case 4:
      case 6:
        st->drawControl(QStyle::CE_ScrollBarSubPage, &o, &p);
        break;
      case 5:
      case 7:
        st->drawControl(QStyle::CE_ScrollBarAddPage, &o, &p);
        break;
      default:
        break;  // the gripper is part of the slider here
    }
  }

  std::vector<QString> opened_;
};

}  // namespace

std::unique_ptr<UxThemeApi> CreateQStyleTheme() {
  return std::make_unique<QStyleTheme>();
}

}  // namespace kelmo::le
