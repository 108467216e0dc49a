// The wrappers of text and picture windows (statics and links) of standard
// dialogs: each keeps a picture of the whole window in its link's cache,
// built on every erase of the background, and copies it to the window.
// TkaStaticWnd writes the static's text over its section, TkaIconWnd draws
// its icon or bitmap, TkaLinkWnd writes a link's text underlined in the
// message font without its "<A>" tags.
#pragma once

#include <QImage>
#include <memory>
#include <optional>

#include "skinwnd/main_wnd.h"
#include "winshim/dc.h"

namespace kelmo::skinwnd {

class TkaStaticWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;
  // Draws the window's content into the cache after the background.
  virtual void PaintText(winshim::Dc& cache);

 protected:
  // The static's own messages; with handleEnable false WM_ENABLE is left to
  // `other`, which takes every message outside the table.
  void StaticProc(Msg& msg, const NextHandler& next, bool handleEnable,
                  void (TkaStaticWnd::*other)(Msg&, const NextHandler&));
  void RootProc(Msg& msg, const NextHandler& next) { TkaMainWnd::WndProc(msg, next); }
  void StaticWndProc(Msg& msg, const NextHandler& next) { TkaStaticWnd::WndProc(msg, next); }
  // The section over the parent's background, the content, then the copy.
  void PaintStaticCache(Msg& msg);
};

class TkaIconWnd : public TkaStaticWnd {
 public:
  TkaIconWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
             bool repaint);
  void PaintText(winshim::Dc& cache) override;
  bool ShowsBitmap = false;
  // The bitmap taken over on first use; a later one is not seen.
  std::optional<QImage> BitmapCopy;
};

class TkaLinkWnd : public TkaStaticWnd {
 public:
  using TkaStaticWnd::TkaStaticWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;
  void PaintText(winshim::Dc& cache) override;
};

// Which wrapper a static window gets, by its type field: the text kinds a
// static wrapper, icons and bitmaps an icon wrapper, every other kind
// (rectangles, frames, simple, owner-drawn, metafile, etched) none.
enum class StaticWrapperKind { None, Text, Picture };
StaticWrapperKind StaticWrapperKindOf(std::uint32_t style);
// The wrapper of a dialog's static ("CHECKBOX" section), or none.
std::unique_ptr<TkaMainWnd> WrapStaticWnd(HWND wnd, TkSkinManager* manager);

}  // namespace kelmo::skinwnd
