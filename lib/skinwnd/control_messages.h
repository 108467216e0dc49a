// The documented messages of the list-like common controls the wrappers
// send and handle: list views, their headers and combo boxes, with the
// records some of them carry, the scroll messages, and the style bits the
// wrappers read. The numbers are the platform's own.
#pragma once

#include <QPoint>
#include <QString>

#include "winshim/messages.h"

namespace kelmo::skinwnd {

enum : unsigned {
  WM_GETTEXTLENGTH = 0x000E,
  WM_DRAWITEM = 0x002B,
  WM_WINDOWPOSCHANGING = 0x0046,
  WM_CTLCOLORLISTBOX = 0x0134,
  // Combo boxes.
  CB_GETCOUNT = 0x0146,
  CB_GETCURSEL = 0x0147,
  CB_GETLBTEXT = 0x0148,
  CB_GETLBTEXTLEN = 0x0149,
  CB_GETITEMHEIGHT = 0x0154,
  CB_GETDROPPEDSTATE = 0x0157,
  // List views.
  LVM_GETBKCOLOR = 0x1000,
  LVM_SETBKCOLOR = 0x1001,
  LVM_INSERTITEMA = 0x1007,
  LVM_GETITEMRECT = 0x100E,
  LVM_SCROLL = 0x1014,
  LVM_ARRANGE = 0x1016,
  LVM_GETTEXTCOLOR = 0x1023,
  LVM_SETTEXTCOLOR = 0x1024,
  LVM_SETTEXTBKCOLOR = 0x1026,
  LVM_GETVIEW = 0x108F,
  // Headers.
  HDM_GETITEMCOUNT = 0x1200,
  HDM_HITTEST = 0x1206,
  HDM_GETITEMRECT = 0x1207,
  HDM_GETITEM = 0x120B,
  HDM_ORDERTOINDEX = 0x120F,
  HDM_GETORDERARRAY = 0x1211,
};

// LVM_GETVIEW's answers and LVM_GETITEMRECT's rectangle kind.
enum : int { LV_VIEW_ICON = 0, LV_VIEW_DETAILS = 1, LV_VIEW_SMALLICON = 2, LV_VIEW_LIST = 3 };
enum : int { LVIR_BOUNDS = 0 };

// Style bits: combo boxes, headers, the right-to-left reading order.
enum : std::uint32_t {
  CBS_SIMPLE = 0x1,
  CBS_DROPDOWN = 0x2,
  CBS_DROPDOWNLIST = 0x3,
  HDS_DRAGDROP = 0x40,
  WS_EX_RTLREADING = 0x2000,
};

// HDM_HITTEST's record and flags.
enum : unsigned { HHT_NOWHERE = 0x1, HHT_ONHEADER = 0x2, HHT_ONDIVIDER = 0x4, HHT_ONDIVOPEN = 0x8 };
struct HdHitTestInfo {
  QPoint pt;  // in the header's client coordinates
  unsigned flags = 0;
  int iItem = -1;
};

// HDM_GETITEM's record: the mask says what to fill.
enum : unsigned { HDI_TEXT = 0x2, HDI_FORMAT = 0x4, HDI_BITMAP = 0x10, HDI_IMAGE = 0x20 };
enum : int {
  HDF_LEFT = 0x0,
  HDF_RIGHT = 0x1,
  HDF_CENTER = 0x2,
  HDF_JUSTIFYMASK = 0x3,
  HDF_SORTDOWN = 0x200,
  HDF_SORTUP = 0x400,
  HDF_IMAGE = 0x800,
  HDF_OWNERDRAW = 0x8000,
};
struct HdItem {
  unsigned mask = 0;
  QString text;  // at most cchTextMax - 1 characters
  int cchTextMax = 129;
  int fmt = 0;
  int iImage = -1;
};

}  // namespace kelmo::skinwnd
