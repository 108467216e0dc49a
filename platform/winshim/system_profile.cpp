#include "winshim/system_profile.h"

#include <QGuiApplication>
#include <QScreen>
#include <array>

namespace kelmo::winshim {
namespace {

struct Profile {
  std::array<int, SM_METRIC_COUNT> metrics{};
  std::array<ColorRef, COLOR_COUNT> colors{};
};

// The classic look at 96 dots per inch.
Profile ClassicProfile() {
  Profile p;
  auto& m = p.metrics;
  int sw = 1024, sh = 768;
  if (qGuiApp && QGuiApplication::primaryScreen()) {
    const QSize s = QGuiApplication::primaryScreen()->size();
    sw = s.width();
    sh = s.height();
  }
  m[SM_CXSCREEN] = sw;
  m[SM_CYSCREEN] = sh;
  m[SM_CXVSCROLL] = m[SM_CYHSCROLL] = m[SM_CYVSCROLL] = m[SM_CXHSCROLL] = 16;
  m[SM_CYVTHUMB] = m[SM_CXHTHUMB] = 16;
  m[SM_CYCAPTION] = 19;
  m[SM_CXBORDER] = m[SM_CYBORDER] = 1;
  m[SM_CXDLGFRAME] = m[SM_CYDLGFRAME] = 3;
  m[SM_CXICON] = m[SM_CYICON] = 32;
  m[SM_CXCURSOR] = m[SM_CYCURSOR] = 32;
  m[SM_CYMENU] = 19;
  m[SM_CXFULLSCREEN] = sw;
  m[SM_CYFULLSCREEN] = sh - 19;
  m[SM_CXMIN] = 112;
  m[SM_CYMIN] = 27;
  m[SM_CXSIZE] = m[SM_CYSIZE] = 18;
  m[SM_CXFRAME] = m[SM_CYFRAME] = 4;
  m[SM_CXMINTRACK] = 112;
  m[SM_CYMINTRACK] = 27;
  m[SM_CXEDGE] = m[SM_CYEDGE] = 2;
  m[SM_CXSMICON] = m[SM_CYSMICON] = 16;
  m[SM_CYSMCAPTION] = 15;
  m[SM_CXSMSIZE] = 12;
  m[SM_CYSMSIZE] = 14;
  m[SM_CXMENUSIZE] = m[SM_CYMENUSIZE] = 18;
  m[SM_CXMENUCHECK] = m[SM_CYMENUCHECK] = 13;
  m[SM_CXPADDEDBORDER] = 0;
  auto& c = p.colors;
  c[COLOR_SCROLLBAR] = RGB(0xD4, 0xD0, 0xC8);
  c[COLOR_BACKGROUND] = RGB(0x3A, 0x6E, 0xA5);
  c[COLOR_ACTIVECAPTION] = RGB(0x0A, 0x24, 0x6A);
  c[COLOR_INACTIVECAPTION] = RGB(0x80, 0x80, 0x80);
  c[COLOR_MENU] = RGB(0xD4, 0xD0, 0xC8);
  c[COLOR_WINDOW] = RGB(0xFF, 0xFF, 0xFF);
  c[COLOR_WINDOWFRAME] = RGB(0, 0, 0);
  c[COLOR_MENUTEXT] = RGB(0, 0, 0);
  c[COLOR_WINDOWTEXT] = RGB(0, 0, 0);
  c[COLOR_CAPTIONTEXT] = RGB(0xFF, 0xFF, 0xFF);
  c[COLOR_ACTIVEBORDER] = RGB(0xD4, 0xD0, 0xC8);
  c[COLOR_INACTIVEBORDER] = RGB(0xD4, 0xD0, 0xC8);
  c[COLOR_APPWORKSPACE] = RGB(0x80, 0x80, 0x80);
  c[COLOR_HIGHLIGHT] = RGB(0x0A, 0x24, 0x6A);
  c[COLOR_HIGHLIGHTTEXT] = RGB(0xFF, 0xFF, 0xFF);
  c[COLOR_BTNFACE] = RGB(0xD4, 0xD0, 0xC8);
  c[COLOR_BTNSHADOW] = RGB(0x80, 0x80, 0x80);
  c[COLOR_GRAYTEXT] = RGB(0x80, 0x80, 0x80);
  c[COLOR_BTNTEXT] = RGB(0, 0, 0);
  c[COLOR_INACTIVECAPTIONTEXT] = RGB(0xD4, 0xD0, 0xC8);
  c[COLOR_BTNHIGHLIGHT] = RGB(0xFF, 0xFF, 0xFF);
  c[COLOR_3DDKSHADOW] = RGB(0x40, 0x40, 0x40);
  c[COLOR_3DLIGHT] = RGB(0xD4, 0xD0, 0xC8);
  c[COLOR_INFOTEXT] = RGB(0, 0, 0);
  c[COLOR_INFOBK] = RGB(0xFF, 0xFF, 0xE1);
  c[COLOR_HOTLIGHT] = RGB(0, 0, 0x80);
  c[COLOR_GRADIENTACTIVECAPTION] = RGB(0xA6, 0xCA, 0xF0);
  c[COLOR_GRADIENTINACTIVECAPTION] = RGB(0xC0, 0xC0, 0xC0);
  c[COLOR_MENUHILIGHT] = RGB(0x0A, 0x24, 0x6A);
  c[COLOR_MENUBAR] = RGB(0xD4, 0xD0, 0xC8);
  return p;
}

Profile& TheProfile() {
  static Profile profile = ClassicProfile();
  return profile;
}

}  // namespace

int GetSystemMetrics(int index) {
  if (index < 0 || index >= SM_METRIC_COUNT) return 0;
  return TheProfile().metrics[std::size_t(index)];
}

ColorRef GetSysColor(int index) {
  if (index < 0 || index >= COLOR_COUNT) return 0;
  return TheProfile().colors[std::size_t(index)];
}

void SetSystemMetric(int index, int value) {
  if (index >= 0 && index < SM_METRIC_COUNT) TheProfile().metrics[std::size_t(index)] = value;
}

void SetSysColor(int index, ColorRef value) {
  if (index >= 0 && index < COLOR_COUNT) TheProfile().colors[std::size_t(index)] = value & 0xFFFFFF;
}

void ResetSystemProfile() {
  TheProfile() = ClassicProfile();
}

ColorRef ColorToRGB(TColor color) {
  const auto c = static_cast<std::uint32_t>(color);
  if ((c & 0xFF000000u) == 0xFF000000u) return GetSysColor(int(c & 0xFF));
  return c & 0xFFFFFF;
}

}  // namespace kelmo::winshim
