// The static, icon and link wrappers on labels of a form with the
// controls' fixture skin: which wrapper a static's type gets, the section
// and text painted on a grab, the styles that leave a static to itself,
// the icon read anew and the bitmap kept, the link's text without its tags.
#include <QLabel>

#include "control_test_form.h"
#include "skinwnd/control_queries.h"
#include "skinwnd/static_wnd.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;

namespace {

struct Statics : ControlForm {
  QLabel* label = nullptr;
  ws::HWND h = 0;
  void MakeLabel(const QString& text) {
    label = new QLabel(text, &form);
    label->setGeometry(10, 10, 160, 24);
    h = ws::HandleOf(label);
    // The window's own text setting, below any wrapper.
    ws::Subclass(h, [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      if (m.msg == ws::WM_SETTEXT) label->setText(*reinterpret_cast<const QString*>(m.lParam));
      next(m);
    });
  }
  void AddStyle(int index, std::uint32_t bits) {
    ws::SetWindowLong(h, index, ws::GetWindowLong(h, index) | bits);
  }
  void SetType(std::uint32_t type) {
    ws::SetWindowLong(h, ws::GWL_STYLE,
                      (ws::GetWindowLong(h, ws::GWL_STYLE) & ~SS_TYPEMASK) | type);
  }
};

QImage Solid(int w, int h, QColor c) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(c);
  return img;
}

}  // namespace

TEST(StaticKinds, ByTheTypeField) {
  using K = StaticWrapperKind;
  const K expected[0x13] = {K::Text, K::Text,    K::Text, K::Picture,  // left, centre, right, icon
                            K::None, K::None,    K::None,              // rectangles
                            K::None, K::None,    K::None,              // frames
                            K::None, K::None,                          // user item, simple
                            K::Text,                                   // left without word wrap
                            K::None, K::Picture, K::None,   // owner-drawn, bitmap, metafile
                            K::None, K::None,    K::None};  // etched lines and frame
  for (std::uint32_t type = 0; type < 0x13; ++type)
    EXPECT_EQ(StaticWrapperKindOf(type | 0x100), expected[type]) << type;
}

TEST_F(Statics, TextOverTheSectionAndItsOwnLookAfter) {
  MakeLabel(QStringLiteral("Name"));
  Show();
  const QImage own = Grab(label);
  SkinOn();
  auto w = WrapStaticWnd(h, Manager());
  ASSERT_NE(dynamic_cast<TkaStaticWnd*>(w.get()), nullptr);
  QImage img = Grab(label);
  EXPECT_EQ(PixelOf(img, 150, 20), kCheckBoxColor);
  const QRect ink = InkBox(img, kCheckBoxColor);
  ASSERT_FALSE(ink.isNull());
  EXPECT_LT(ink.left(), 4);  // written from the left edge

  // Setting the text goes to the window once, and the wrapper keeps it.
  const QString text = QStringLiteral("A much longer name");
  ws::SendMessage(h, ws::WM_SETTEXT, 0, ws::LPARAM(&text));
  EXPECT_EQ(w->KeptText, text);
  EXPECT_GT(InkBox(Grab(label), kCheckBoxColor).width(), ink.width());
  // The painting is made on erase; the paint and the frame are swallowed.
  EXPECT_EQ(ws::SendMessage(h, ws::WM_NCPAINT), 0);

  SkinOff();
  w.reset();
  label->setText(QStringLiteral("Name"));
  EXPECT_EQ(Grab(label), own);
}

TEST_F(Statics, AlignmentAndStylesThatKeepTheirOwnPainting) {
  struct Case {
    const char* what;
    std::uint32_t type, style, exStyle;
    bool linkClass;
    bool painted;
    bool rightAligned;
  };
  const Case cases[] = {
      {"left", SS_LEFT, 0, 0, false, true, false},
      {"centred style alone", SS_CENTER, 0, 0, false, true, false},
      {"right reading", SS_LEFT, 0, WS_EX_RIGHT, false, true, true},
      {"tab stop", SS_LEFT, WS_TABSTOP, 0, false, false, false},
      {"static edge", SS_LEFT, 0, WS_EX_STATICEDGE, false, false, false},
      {"link with tab stop", SS_LEFT, WS_TABSTOP, 0, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeLabel(QStringLiteral("Text"));
    if (c.linkClass) ws::SetClassRole(label, QStringLiteral("SysLink"));
    Show();
    SetType(c.type);
    AddStyle(ws::GWL_STYLE, c.style);
    AddStyle(ws::GWL_EXSTYLE, c.exStyle);
    SkinOn();
    std::unique_ptr<TkaMainWnd> w =
        c.linkClass
            ? MakeWrapper<TkaLinkWnd>(h, nullptr, Manager(), QStringLiteral("CHECKBOX"), false)
            : MakeWrapper<TkaStaticWnd>(h, nullptr, Manager(), QStringLiteral("CHECKBOX"), false);
    const QImage img = Grab(label);
    EXPECT_EQ(PixelOf(img, 80, 22) == kCheckBoxColor, c.painted);
    if (c.painted) {
      const QRect ink = InkBox(img, kCheckBoxColor);
      EXPECT_EQ(ink.left() > 80, c.rightAligned) << ink.left();
    }
    w.reset();
    delete label;
  }
}

TEST_F(Statics, IconReadAnewBitmapKept) {
  MakeLabel(QString());
  label->setPixmap(QPixmap::fromImage(Solid(8, 8, Qt::red)));
  Show();
  SkinOn();
  // A label with a picture is a bitmap static.
  EXPECT_EQ(ws::GetWindowLong(h, ws::GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
  auto bitmap = WrapStaticWnd(h, Manager());
  ASSERT_NE(dynamic_cast<TkaIconWnd*>(bitmap.get()), nullptr);
  EXPECT_EQ(PixelOf(Grab(label), 2, 2), Bgr(255, 0, 0));
  label->setPixmap(QPixmap::fromImage(Solid(8, 8, Qt::green)));
  EXPECT_EQ(PixelOf(Grab(label), 2, 2), Bgr(255, 0, 0));
  EXPECT_EQ(PixelOf(Grab(label), 12, 12), kCheckBoxColor);
  bitmap.reset();

  SetType(SS_ICON);
  auto icon = WrapStaticWnd(h, Manager());
  EXPECT_FALSE(static_cast<TkaIconWnd*>(icon.get())->ShowsBitmap);
  EXPECT_EQ(PixelOf(Grab(label), 2, 2), Bgr(0, 255, 0));
  label->setPixmap(QPixmap::fromImage(Solid(8, 8, Qt::blue)));
  EXPECT_EQ(PixelOf(Grab(label), 2, 2), Bgr(0, 0, 255));
}

TEST_F(Statics, LinkWithoutItsTags) {
  MakeLabel(QStringLiteral("<A>site</A>"));
  label->setTextFormat(Qt::PlainText);
  ws::SetClassRole(label, QStringLiteral("SysLink"));
  Show();
  SkinOn();
  auto w = MakeWrapper<TkaLinkWnd>(h, nullptr, Manager(), QStringLiteral("CHECKBOX"), false);
  EXPECT_EQ(w->KeptText, QStringLiteral("<A>site</A>"));
  const QRect ink = InkBox(Grab(label), kCheckBoxColor);
  QFont font = QApplication::font("QMessageBox");
  font.setUnderline(true);
  const QFontMetrics fm(font);
  // The word alone, underlined: as wide as "site", with the underline below
  // its letters.
  EXPECT_LE(ink.width(), fm.horizontalAdvance(QStringLiteral("site")) + 2);
  EXPECT_GE(ink.bottom(), fm.ascent() + 1);
}
