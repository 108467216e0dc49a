// The painters of the library's controls: one stateless painter per look
// (standard 3-D edges, flat, ultra-flat, Office-2003 and the native visual
// style), each drawing buttons, borders, arrows, check boxes, radio buttons,
// expand buttons, headers, sort marks, footers, drop-down and close buttons,
// tabs, row indicators, scroll-bar parts, navigation headers and panes on a
// TleCanvas, and answering their metrics and default colours.
//
// The root class gives the base behaviour; each look overrides what it draws
// differently. Every drawing operation leaves the canvas's brush solid. The
// painters hold no state: one immutable instance per look (PainterOf).
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>

#include "lookandfeel/canvas.h"
#include "lookandfeel/look_and_feel.h"
#include "lookandfeel/theme_manager.h"

namespace kelmo::le {

enum ElementState : std::uint8_t {
  esDefault = 0,
  esNormal = 1,
  esHot = 2,
  esPressed = 3,
  esDisabled = 4
};
enum ArrowDirection : std::uint8_t { adUp = 0, adDown = 1, adLeft = 2, adRight = 3 };
enum ScrollBarPart : std::uint8_t {
  sbpNone = 0,
  sbpLineUp = 1,
  sbpLineDown = 2,
  sbpThumb = 3,
  sbpPageUp = 4,
  sbpPageDown = 5
};
enum HorizontalAlignment : std::uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum VerticalAlignment : std::uint8_t { vaTop = 0, vaBottom = 1, vaCenter = 2 };

// A background handler: answers true when it painted the background itself.
using BackgroundHandler = std::function<bool(TleCanvas&, const Rect&)>;

// The text of a cell: alignment, wrapping, the text and how it is coloured.
struct CellText {
  HorizontalAlignment hAlign = taLeftJustify;
  VerticalAlignment vAlign = vaCenter;
  bool multiLine = false;
  bool endEllipsis = false;
  QString text;
  QFont font;
  TColor textColor = clBtnText;
  TColor backgroundColor = clBtnFace;
};
std::uint32_t CellTextFlags(const CellText& t);

struct ViewParameters {
  const QImage* bitmap = nullptr;
  TColor color = clBtnFace;
  QFont font;
  TColor textColor = clBtnText;
};

struct Margins {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Margins&) const = default;
};

class TleCustomLookAndFeelPainter {
 public:
  virtual ~TleCustomLookAndFeelPainter() = default;

  // General.
  virtual void PaintDownTriangle(TleCanvas& c, const Rect& r, TColor color) const;
  virtual void PaintCellContent(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                                ElementState state, const CellText& t,
                                const BackgroundHandler& handler, bool plain) const;
  virtual Rect FooterCellInnerRect(const Rect& bounds) const;
  virtual Rect FooterCellTextRect(const Rect& bounds) const;
  virtual std::uint8_t StyleCode() const { return 1; }
  // ElementColor01 .. ElementColor51 by number; 27 is PaneBorderColor.
  virtual TColor ElementColor(int n) const;
  virtual TColor PaneBorderColor() const { return 0x0000FF; }

  // Arrows and borders.
  virtual void PaintArrow(TleCanvas& c, const Rect& r, ArrowDirection d, TColor color) const;
  virtual void PaintArrowButton(TleCanvas& c, const Rect& r, ElementState s, ArrowDirection d,
                                bool framed) const;
  virtual void PaintArrowButtonFrame(TleCanvas& c, const Rect& r, ElementState s) const;
  virtual void PaintScrollButtonArrow(TleCanvas& c, const Rect& r, ElementState s,
                                      ArrowDirection d) const;
  virtual int BorderWidth() const { return 0; }
  virtual void PaintBorder(TleCanvas&, const Rect&) const {}

  // Buttons.
  virtual Rect GroupButtonDisplayRect(const Rect& r, int, int) const { return r; }
  virtual int ButtonBorderWidth(ElementState) const { return 0; }
  virtual TColor ButtonFaceColor(ElementState) const { return clBtnFace; }
  virtual Rect FocusFrameRect(TleCanvas& c, const Rect& r) const;
  virtual Margins GroupButtonMargins(int count, int index) const;
  virtual int ButtonIndent() const { return 0; }
  virtual int PressedContentShift() const { return 0; }
  virtual TColor ButtonGlyphColor(ElementState s, TColor color) const;
  virtual ElementState GlyphStateFor(ElementState s) const { return s; }
  virtual void PaintPushButton(TleCanvas& c, const Rect& r, const QString& caption, ElementState s,
                               bool framed, TColor background, TColor textColor) const;
  virtual void PaintGroupButton(TleCanvas& c, const Rect& r, ElementState s, int count, int index,
                                TColor background) const;
  virtual void PaintButtonBorder(TleCanvas&, const Rect&, ElementState) const {}
  virtual void PaintButtonGroupBorder(TleCanvas&, const Rect&, bool, bool) const {}

  // Expand buttons.
  virtual void PaintExpandButton(TleCanvas&, const Rect&, bool, TColor) const {}
  virtual bool ExpandButtonFirst() const { return true; }
  virtual void PaintGroupExpandButton(TleCanvas& c, const Rect& r, bool expanded,
                                      ElementState s) const;
  virtual void PaintSmallExpandButton(TleCanvas& c, const Rect& r, bool expanded, TColor border,
                                      TColor fill) const;
  virtual int ExpandButtonExtent() const { return 0; }
  virtual int GroupExpandButtonExtent() const { return 15; }
  virtual bool HotTracksButtons() const { return false; }
  virtual bool HitsGroupExpandButton(const Rect& r, QPoint p) const {
    return r.Contains(p.x(), p.y());
  }
  virtual int SmallExpandButtonExtent() const { return 9; }

  // Check boxes and radio buttons.
  virtual int CheckFrameWidth() const { return 2; }
  virtual TColor CheckFaceColor(ElementState s) const;
  virtual QSize CheckBoxExtent() const;
  virtual void PaintCheckInterior(TleCanvas& c, const Rect& r, ElementState s, bool checked,
                                  TColor mark) const;
  virtual void PaintCheckFrame(TleCanvas&, const Rect&, ElementState) const {}
  virtual void PaintFramedCheck(TleCanvas& c, const Rect& r, ElementState s, bool checked) const;
  virtual void PaintRadioButton(TleCanvas& c, int x, int y, ElementState s, bool checked,
                                bool focused, TColor background, bool marked) const;
  virtual QSize RadioButtonExtent() const;

  // Column headers and header sections.
  virtual void PaintHeader(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                           TleBorders neighbours, TleBorders borders, ElementState s,
                           const CellText& t, const BackgroundHandler& handler, bool extra) const;
  virtual void PaintHeaderNoExtra(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                                  TleBorders neighbours, TleBorders borders, ElementState s,
                                  const CellText& t, const BackgroundHandler& handler) const;
  virtual void PaintHeaderBorder(TleCanvas&, const Rect&, TleBorders, TleBorders) const {}
  virtual void PaintHeaderPressed(TleCanvas& c, const Rect& r) const { c.InvertArea(r); }
  virtual void PaintHeaderSection(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                                  TleBorders neighbours, TleBorders borders, ElementState s,
                                  const CellText& t) const;
  virtual void PaintHeaderSectionBorder(TleCanvas&, const Rect&, TleBorders, ElementState) const {}
  virtual void PaintHeaderSectionContent(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                                         ElementState s, const CellText& t) const;
  virtual void PaintSectionText(TleCanvas& c, const Rect& r, ElementState s,
                                const CellText& t) const;
  virtual void PaintSortMark(TleCanvas&, const Rect&, bool) const {}
  virtual TleBorders HeaderBordersFor(TleBorders) const { return bsAll; }
  virtual int HeaderBorderWidth() const { return 0; }
  virtual Rect HeaderOuterRect(const Rect& bounds, TleBorders neighbours, TleBorders borders) const;
  virtual Rect HeaderContentRect(const Rect& bounds, TleBorders borders) const;
  virtual bool HeaderCellsFirst() const { return true; }
  virtual int HeaderHeightFor(int fontHeight) const {
    return fontHeight + 2 * HeaderBorderWidth() + 4;
  }
  virtual int HeaderSectionBorderWidth(ElementState) const { return 1; }
  virtual Rect HeaderSectionTextRect(const Rect& r, ElementState s) const;
  virtual Rect HeaderSectionContentRect(const Rect& r, ElementState s) const;
  virtual int HeaderWidthFor(TleCanvas& c, TleBorders borders, const QFont& font,
                             const QString& text) const;
  virtual bool HotTracksHeaders() const { return false; }
  virtual QPoint SortMarkAreaSize() const { return {16, SortMarkSize().y()}; }
  virtual QPoint SortMarkSize() const { return {0, 0}; }

  // Footer.
  virtual void PaintFooterCell(TleCanvas& c, const Rect& bounds, const CellText& t,
                               const BackgroundHandler& handler) const;
  virtual TleBorders FooterBorders() const { return bsAll; }
  virtual int FooterBorderWidth() const { return 0; }
  virtual int FooterCellBorderWidth() const { return 0; }
  virtual int FooterCellOffset() const { return 0; }
  virtual bool FooterCellsFirst() const { return true; }
  virtual TColor FooterSeparatorColor() const { return clBtnShadow; }
  virtual int FooterSeparatorWidth() const { return 1; }
  virtual void PaintFooterBorder(TleCanvas&, const Rect&) const {}
  virtual void PaintFooterCellBorder(TleCanvas&, const Rect&) const {}
  virtual void PaintFooterSeparator(TleCanvas& c, const Rect& r) const;

  // Small buttons.
  virtual void PaintActivationCheck(TleCanvas& c, const Rect& r, ElementState s,
                                    bool checked) const {
    PaintFramedCheck(c, r, s, checked);
  }
  virtual void PaintCloseButton(TleCanvas& c, const Rect& r, ElementState s) const;
  virtual void PaintDropDownButton(TleCanvas&, const Rect&, ElementState, bool) const {}
  virtual QPoint ActivationCheckSize() const { return {13, 13}; }
  virtual QPoint CloseButtonSize() const { return {16, 14}; }
  virtual QPoint DropDownButtonSize() const { return {15, 0}; }
  virtual std::uint8_t PopupBorderKind() const { return 1; }

  // Tabs.
  virtual void PaintTab(TleCanvas&, const Rect&, TleBorders, const QString&, ElementState, bool,
                        const QFont&, TColor, TColor, bool) const {}
  virtual void PaintTabBorder(TleCanvas&, const Rect&, TleBorder, TleBorders, bool) const {}
  virtual void PaintTabArea(TleCanvas&, const Rect&, TleBorders, bool) const {}
  virtual bool HasTabPainting(bool) const { return false; }
  virtual bool HotTracksTabs(bool) const { return false; }
  virtual int TabBorderWidth(bool) const { return 0; }

  // Row indicators, scroll bars, navigation headers and panes.
  virtual void PaintIndicator(TleCanvas& c, const Rect& r, int kind, TColor background,
                              const BackgroundHandler& handler) const;
  virtual void PaintIndicatorNoExtra(TleCanvas& c, const Rect& r, int kind, TColor background,
                                     const BackgroundHandler& handler) const;
  virtual bool IndicatorCellsFirst() const { return true; }
  virtual void PaintScrollBarPart(TleCanvas&, bool, const Rect&, ScrollBarPart,
                                  ElementState) const {}
  virtual void PaintNavigationHeader(TleCanvas& c, const Rect& r, const QString& text,
                                     TleBorders neighbours, const ViewParameters& vp, int arrows,
                                     int sideWidth, const BackgroundHandler& handler) const;
  virtual void PaintPaneBorder(TleCanvas& c, const Rect& r) const { PaintBorder(c, r); }
  virtual void PaintPaneNavigationButton(TleCanvas& c, const Rect& r, ElementState s) const {
    PaintPushButton(c, r, {}, s, true, clDefault, clDefault);
  }
  virtual void PaintPaneSplitter(TleCanvas&, const Rect&, const ViewParameters&, bool) const {}
  virtual int InfoFrameWidth() const { return 1; }
};

class TleStandardLookAndFeelPainter : public TleCustomLookAndFeelPainter {
 public:
  std::uint8_t StyleCode() const override { return 1; }
  TColor ElementColor(int n) const override;
  int BorderWidth() const override { return 2; }
  void PaintBorder(TleCanvas& c, const Rect& r) const override;
  int ButtonBorderWidth(ElementState s) const override { return s == esDefault ? 3 : 2; }
  int ButtonIndent() const override { return 1; }
  int PressedContentShift() const override { return 1; }
  void PaintButtonBorder(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintGroupExpandButton(TleCanvas& c, const Rect& r, bool expanded,
                              ElementState s) const override;
  int ExpandButtonExtent() const override { return 12; }
  bool HotTracksButtons() const override { return false; }
  void PaintExpandButton(TleCanvas& c, const Rect& r, bool expanded, TColor color) const override;
  void PaintCheckFrame(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintHeaderBorder(TleCanvas& c, const Rect& r, TleBorders neighbours,
                         TleBorders borders) const override;
  void PaintHeaderSectionBorder(TleCanvas& c, const Rect& r, TleBorders borders,
                                ElementState s) const override;
  void PaintSortMark(TleCanvas& c, const Rect& r, bool ascending) const override;
  int HeaderBorderWidth() const override { return 1; }
  int HeaderSectionBorderWidth(ElementState s) const override { return s == esPressed ? 1 : 2; }
  QPoint SortMarkSize() const override { return {8, 7}; }
  int FooterBorderWidth() const override { return 1; }
  int FooterCellBorderWidth() const override { return 1; }
  int FooterCellOffset() const override { return 1; }
  void PaintFooterBorder(TleCanvas& c, const Rect& r) const override;
  void PaintFooterCellBorder(TleCanvas& c, const Rect& r) const override;
  void PaintDropDownButton(TleCanvas& c, const Rect& r, ElementState s, bool active) const override;
  void PaintTabBorder(TleCanvas& c, const Rect& r, TleBorder side, TleBorders borders,
                      bool vertical) const override;
  void PaintTabArea(TleCanvas& c, const Rect& r, TleBorders borders, bool) const override;
  int TabBorderWidth(bool) const override { return 1; }
  void PaintScrollBarPart(TleCanvas& c, bool horizontal, const Rect& r, ScrollBarPart part,
                          ElementState s) const override;
  void PaintNavigationHeader(TleCanvas& c, const Rect& r, const QString& text,
                             TleBorders neighbours, const ViewParameters& vp, int arrows,
                             int sideWidth, const BackgroundHandler& handler) const override;
  void PaintPaneSplitter(TleCanvas& c, const Rect& r, const ViewParameters& vp,
                         bool horizontal) const override;
};

class TleFlatLookAndFeelPainter : public TleCustomLookAndFeelPainter {
 public:
  std::uint8_t StyleCode() const override { return 0; }
  int BorderWidth() const override { return 1; }
  void PaintBorder(TleCanvas& c, const Rect& r) const override;
  int ButtonBorderWidth(ElementState s) const override { return s == esDefault ? 2 : 1; }
  int ButtonIndent() const override { return 1; }
  int PressedContentShift() const override { return 1; }
  void PaintButtonBorder(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintExpandButton(TleCanvas& c, const Rect& r, bool expanded, TColor color) const override;
  int ExpandButtonExtent() const override { return 11; }
  void PaintCheckFrame(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintHeaderBorder(TleCanvas& c, const Rect& r, TleBorders neighbours,
                         TleBorders borders) const override;
  void PaintHeaderSectionBorder(TleCanvas& c, const Rect& r, TleBorders borders,
                                ElementState s) const override;
  void PaintSortMark(TleCanvas& c, const Rect& r, bool ascending) const override;
  int HeaderBorderWidth() const override { return 1; }
  QPoint SortMarkSize() const override { return {8, 7}; }
  int FooterBorderWidth() const override { return 1; }
  int FooterCellBorderWidth() const override { return 1; }
  int FooterCellOffset() const override { return 1; }
  void PaintFooterBorder(TleCanvas& c, const Rect& r) const override;
  void PaintFooterCellBorder(TleCanvas& c, const Rect& r) const override;
  void PaintDropDownButton(TleCanvas& c, const Rect& r, ElementState s, bool active) const override;
  void PaintTabBorder(TleCanvas& c, const Rect& r, TleBorder side, TleBorders borders,
                      bool vertical) const override;
  void PaintTabArea(TleCanvas& c, const Rect& r, TleBorders borders, bool) const override;
  int TabBorderWidth(bool) const override { return 1; }
  void PaintScrollBarPart(TleCanvas& c, bool horizontal, const Rect& r, ScrollBarPart part,
                          ElementState s) const override;
  void PaintPaneSplitter(TleCanvas& c, const Rect& r, const ViewParameters& vp,
                         bool horizontal) const override;
};

class TleUltraFlatLookAndFeelPainter : public TleCustomLookAndFeelPainter {
 public:
  std::uint8_t StyleCode() const override { return 2; }
  TColor PaneBorderColor() const override { return clBtnShadow; }
  int BorderWidth() const override { return 1; }
  void PaintBorder(TleCanvas& c, const Rect& r) const override;
  int ButtonBorderWidth(ElementState s) const override { return s == esDefault ? 2 : 1; }
  TColor ButtonFaceColor(ElementState s) const override;
  Rect FocusFrameRect(TleCanvas& c, const Rect& r) const override;
  Margins GroupButtonMargins(int count, int index) const override;
  TColor ButtonGlyphColor(ElementState s, TColor color) const override;
  ElementState GlyphStateFor(ElementState) const override { return esNormal; }
  int ButtonIndent() const override { return 2; }
  int PressedContentShift() const override { return 0; }
  void PaintButtonBorder(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintGroupButton(TleCanvas& c, const Rect& r, ElementState s, int count, int index,
                        TColor background) const override;
  void PaintButtonGroupBorder(TleCanvas& c, const Rect& r, bool dark,
                              bool highlighted) const override;
  void PaintExpandButton(TleCanvas& c, const Rect& r, bool expanded, TColor color) const override;
  void PaintHeaderSectionBorder(TleCanvas& c, const Rect& r, TleBorders borders,
                                ElementState s) const override;
  void PaintHeaderSectionContent(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                                 ElementState s, const CellText& t) const override;
  int ExpandButtonExtent() const override { return 11; }
  bool HotTracksButtons() const override { return true; }
  void PaintCheckFrame(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintHeaderBorder(TleCanvas& c, const Rect& r, TleBorders neighbours,
                         TleBorders borders) const override;
  void PaintHeaderNoExtra(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                          TleBorders neighbours, TleBorders borders, ElementState s,
                          const CellText& t, const BackgroundHandler& handler) const override;
  void PaintSortMark(TleCanvas& c, const Rect& r, bool ascending) const override;
  TleBorders HeaderBordersFor(TleBorders neighbours) const override;
  int HeaderBorderWidth() const override { return 1; }
  QPoint SortMarkSize() const override { return {7, 8}; }
  TleBorders FooterBorders() const override { return bsRight | bsBottom; }
  int FooterBorderWidth() const override { return 1; }
  int FooterCellBorderWidth() const override { return 1; }
  int FooterCellOffset() const override { return 2; }
  void PaintFooterBorder(TleCanvas& c, const Rect& r) const override;
  void PaintFooterCellBorder(TleCanvas& c, const Rect& r) const override;
  void PaintDropDownButton(TleCanvas& c, const Rect& r, ElementState s, bool active) const override;
  QPoint CloseButtonSize() const override { return {16, 15}; }
  void PaintTabBorder(TleCanvas& c, const Rect& r, TleBorder side, TleBorders borders,
                      bool vertical) const override;
  void PaintTabArea(TleCanvas& c, const Rect& r, TleBorders borders, bool vertical) const override;
  int TabBorderWidth(bool) const override { return 1; }
  void PaintScrollBarPart(TleCanvas& c, bool horizontal, const Rect& r, ScrollBarPart part,
                          ElementState s) const override;
  void PaintPaneNavigationButton(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintPaneSplitter(TleCanvas& c, const Rect& r, const ViewParameters& vp,
                         bool horizontal) const override;
  virtual TColor ButtonFrameColor(ElementState s) const;
  virtual TColor TabEdgeColor() const { return clBtnShadow; }
  virtual TColor TabShadowColor() const { return clBtnText; }
  virtual TColor GroupHighlightColor() const { return clHighlight; }
};

class TleOffice11LookAndFeelPainter : public TleUltraFlatLookAndFeelPainter {
 public:
  std::uint8_t StyleCode() const override { return 4; }
  TColor ElementColor(int n) const override;
  TColor PaneBorderColor() const override;
  void PaintCellContent(TleCanvas& c, const Rect& bounds, const Rect& textRect, ElementState s,
                        const CellText& t, const BackgroundHandler& handler,
                        bool plain) const override;
  void PaintBorder(TleCanvas& c, const Rect& r) const override;
  TColor ButtonFaceColor(ElementState s) const override;
  TColor ButtonGlyphColor(ElementState s, TColor color) const override;
  void PaintButtonBorder(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintExpandButton(TleCanvas& c, const Rect& r, bool expanded, TColor color) const override;
  bool ExpandButtonFirst() const override { return false; }
  void PaintSmallExpandButton(TleCanvas& c, const Rect& r, bool expanded, TColor border,
                              TColor fill) const override;
  int ExpandButtonExtent() const override { return 11; }
  int SmallExpandButtonExtent() const override { return ExpandButtonExtent(); }
  TColor CheckFaceColor(ElementState s) const override;
  void PaintHeader(TleCanvas& c, const Rect& bounds, const Rect& textRect, TleBorders neighbours,
                   TleBorders borders, ElementState s, const CellText& t,
                   const BackgroundHandler& handler, bool extra) const override;
  void PaintHeaderBorder(TleCanvas& c, const Rect& r, TleBorders neighbours,
                         TleBorders borders) const override;
  void PaintHeaderSection(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                          TleBorders neighbours, TleBorders borders, ElementState s,
                          const CellText& t) const override;
  void PaintSortMark(TleCanvas& c, const Rect& r, bool ascending) const override;
  TleBorders HeaderBordersFor(TleBorders) const override { return bsAll; }
  bool HotTracksHeaders() const override { return true; }
  TColor FooterSeparatorColor() const override { return HeaderLineColor(); }
  void PaintScrollBarPart(TleCanvas& c, bool horizontal, const Rect& r, ScrollBarPart part,
                          ElementState s) const override;
  void PaintNavigationHeader(TleCanvas& c, const Rect& r, const QString& text,
                             TleBorders neighbours, const ViewParameters& vp, int arrows,
                             int sideWidth, const BackgroundHandler& handler) const override;
  void PaintPaneBorder(TleCanvas& c, const Rect& r) const override;
  void PaintPaneNavigationButton(TleCanvas& c, const Rect& r, ElementState s) const override;
  TColor ButtonFrameColor(ElementState s) const override;
  TColor TabEdgeColor() const override { return HeaderLineColor(); }
  TColor GroupHighlightColor() const override;
  virtual TColor HeaderBottomColor() const;
  virtual TColor HeaderLineColor() const;
  virtual TColor HeaderLightLineColor() const;
  virtual TColor HeaderTopColor() const;
};

class TleWinXPLookAndFeelPainter : public TleStandardLookAndFeelPainter {
 public:
  std::uint8_t StyleCode() const override { return 3; }
  TColor ElementColor(int n) const override;
  TColor PaneBorderColor() const override;
  void PaintArrowButton(TleCanvas& c, const Rect& r, ElementState s, ArrowDirection d,
                        bool framed) const override;
  void PaintArrowButtonFrame(TleCanvas& c, const Rect& r, ElementState s) const override;
  int BorderWidth() const override;
  void PaintBorder(TleCanvas& c, const Rect& r) const override;
  Rect GroupButtonDisplayRect(const Rect& r, int count, int index) const override;
  int ButtonBorderWidth(ElementState s) const override;
  TColor ButtonFaceColor(ElementState s) const override;
  Rect FocusFrameRect(TleCanvas& c, const Rect& r) const override;
  Margins GroupButtonMargins(int count, int index) const override;
  int ButtonIndent() const override { return 2; }
  int PressedContentShift() const override { return 0; }
  TColor ButtonGlyphColor(ElementState s, TColor color) const override;
  void PaintPushButton(TleCanvas& c, const Rect& r, const QString& caption, ElementState s,
                       bool framed, TColor background, TColor textColor) const override;
  void PaintExpandButton(TleCanvas& c, const Rect& r, bool expanded, TColor color) const override;
  bool ExpandButtonFirst() const override { return false; }
  void PaintGroupExpandButton(TleCanvas& c, const Rect& r, bool expanded,
                              ElementState s) const override;
  void PaintSmallExpandButton(TleCanvas& c, const Rect& r, bool expanded, TColor border,
                              TColor fill) const override;
  int ExpandButtonExtent() const override;
  int GroupExpandButtonExtent() const override;
  bool HotTracksButtons() const override { return true; }
  bool HitsGroupExpandButton(const Rect& r, QPoint p) const override;
  int SmallExpandButtonExtent() const override;
  int CheckFrameWidth() const override;
  QSize CheckBoxExtent() const override;
  void PaintCheckInterior(TleCanvas& c, const Rect& r, ElementState s, bool checked,
                          TColor mark) const override;
  void PaintCheckFrame(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintRadioButton(TleCanvas& c, int x, int y, ElementState s, bool checked, bool focused,
                        TColor background, bool marked) const override;
  QSize RadioButtonExtent() const override;
  void PaintHeader(TleCanvas& c, const Rect& bounds, const Rect& textRect, TleBorders neighbours,
                   TleBorders borders, ElementState s, const CellText& t,
                   const BackgroundHandler& handler, bool extra) const override;
  void PaintHeaderPressed(TleCanvas&, const Rect&) const override {}
  void PaintHeaderSection(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                          TleBorders neighbours, TleBorders borders, ElementState s,
                          const CellText& t) const override;
  void PaintSortMark(TleCanvas& c, const Rect& r, bool ascending) const override;
  int HeaderBorderWidth() const override;
  int HeaderSectionBorderWidth(ElementState) const override { return HeaderBorderWidth(); }
  Rect HeaderSectionContentRect(const Rect& r, ElementState s) const override;
  bool HeaderCellsFirst() const override { return false; }
  bool HotTracksHeaders() const override { return true; }
  QPoint SortMarkSize() const override { return {7, 8}; }
  void PaintFooterBorder(TleCanvas& c, const Rect& r) const override;
  void PaintFooterCell(TleCanvas& c, const Rect& bounds, const CellText& t,
                       const BackgroundHandler& handler) const override;
  int FooterBorderWidth() const override { return 1; }
  int FooterCellBorderWidth() const override;
  int FooterCellOffset() const override { return 1; }
  bool FooterCellsFirst() const override { return false; }
  void PaintCloseButton(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintDropDownButton(TleCanvas& c, const Rect& r, ElementState s, bool active) const override;
  QPoint ActivationCheckSize() const override;
  QPoint CloseButtonSize() const override;
  void PaintTab(TleCanvas& c, const Rect& r, TleBorders borders, const QString& caption,
                ElementState s, bool vertical, const QFont& font, TColor textColor,
                TColor background, bool showPrefix) const override;
  void PaintTabBorder(TleCanvas& c, const Rect& r, TleBorder side, TleBorders borders,
                      bool vertical) const override;
  void PaintTabArea(TleCanvas& c, const Rect& r, TleBorders borders, bool vertical) const override;
  bool HasTabPainting(bool) const override;
  bool HotTracksTabs(bool) const override;
  int TabBorderWidth(bool) const override { return 1; }
  void PaintIndicator(TleCanvas& c, const Rect& r, int kind, TColor background,
                      const BackgroundHandler& handler) const override;
  void PaintScrollBarPart(TleCanvas& c, bool horizontal, const Rect& r, ScrollBarPart part,
                          ElementState s) const override;
  void PaintNavigationHeader(TleCanvas& c, const Rect& r, const QString& text,
                             TleBorders neighbours, const ViewParameters& vp, int arrows,
                             int sideWidth, const BackgroundHandler& handler) const override;
  void PaintPaneNavigationButton(TleCanvas& c, const Rect& r, ElementState s) const override;
  void PaintPaneSplitter(TleCanvas& c, const Rect& r, const ViewParameters& vp,
                         bool horizontal) const override;
  virtual void PaintThemedContent(TleCanvas& c, ThemeHandle theme, int part, int state,
                                  const Rect& clip, Rect r, HorizontalAlignment h,
                                  VerticalAlignment v, bool multiLine, bool endEllipsis,
                                  bool showPrefix, const CellText& t) const;
};

// The painter of each kind (flat, standard, ultra-flat, Office-2003), and
// the native one.
const TleCustomLookAndFeelPainter& PainterOf(TleLookAndFeelKind kind);
const TleWinXPLookAndFeelPainter& NativePainter();
TleLookAndFeelKind StyleToKind(std::uint8_t code);
ArrowDirection ArrowDirectionFor(bool horizontal, ScrollBarPart part);

// Shared drawing helpers.
void PaintExpandSign(TleCanvas& c, const Rect& r, bool expanded, TColor color);
void PaintCrossSign(const TleCustomLookAndFeelPainter& p, TleCanvas& c, const Rect& r,
                    ElementState s, TColor color);
void PaintSortArrow(const TleCustomLookAndFeelPainter& p, TleCanvas& c, const Rect& r,
                    TColor second, TColor first, bool ascending);
void PaintNavigationArrows(const TleCustomLookAndFeelPainter& p, TleCanvas& c, const Rect& bounds,
                           int arrows, int sideWidth, TColor color);
void PaintIndicatorImage(TleCanvas& c, const Rect& r, int kind);
// The three corners of an arrow of the box; square makes the box square first.
QPolygon ArrowPoints(Rect r, ArrowDirection d, bool square);
void FillRectColor(TleCanvas& c, const Rect& r, TColor color);

}  // namespace kelmo::le
