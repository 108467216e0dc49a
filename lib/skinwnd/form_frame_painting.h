// The frame of a skinned form: painted whole into the frame cache (the
// link's cache picture, window-sized, or larger by the shadow margins with
// a border window) and copied to the window's non-client space and, for
// the client background, to its client area.
#pragma once

#include "skinwnd/form_provider.h"
#include "winshim/dc.h"

namespace kelmo::skinwnd {

// Repaints the cache when it is stale (BgChanged).
void PaintFormFrame(TkSkinProvider& p);
// The body of WM_NCPAINT: the frame painted when stale and shown.
void PaintNonClient(TkSkinProvider& p);
// The frame parts of the cache copied into a DC over the whole window.
void PaintAllToDC(TkSkinProvider& p, winshim::Dc& dc);
// The frame painted now and shown.
void PaintFrameNow(TkSkinProvider& p);
// The client background (the cache's client part, or the form's colour)
// into a DC over the window.
void PaintClientBg(TkSkinProvider& p, winshim::Dc& dc);
// A rect of the cache (cache coordinates) shown on the window.
void CopyCacheToWindow(TkSkinProvider& p, const winshim::Rect& cacheRect);
// The window's top-left in cache coordinates.
QPoint WindowOffsetInCache(const TkSkinProvider& p);
// Paints the caption strip (title section, icon, title-bar mask) and its text.
void PaintCaption(TkSkinProvider& p);
void PaintTitleIcon(TkSkinProvider& p);
void PaintGrip(TkSkinProvider& p, winshim::Dc& dc);
void SaveCaptionCopy(TkSkinProvider& p);

}  // namespace kelmo::skinwnd
