// Drawing steps that several looks share (internal to the painters).
#pragma once

#include <initializer_list>
#include <utility>

#include "lookandfeel/painters.h"

namespace kelmo::le {

void PaintScrollTrack(TleCanvas& c, const Rect& r, ElementState s);
void RaisedPair(TleCanvas& c, const Rect& r, TColor outerFirst, TColor outerSecond,
                TColor innerFirst, TColor innerSecond, TleBorders sides = bsAll);
void PaintClassicDropDown(const TleCustomLookAndFeelPainter& p, TleCanvas& c, const Rect& r,
                          ElementState s, bool active);
void PaintClassicTabBorder(TleCanvas& c, const Rect& band, TleBorder side, TleBorders borders,
                           bool vertical);
void PaintSplitter(TleCanvas& c, Rect r, const ViewParameters& vp, bool horizontal,
                   std::initializer_list<std::pair<TColor, TColor>> rings);
// A one-pixel frame in one colour on the given sides.
inline void Frame(TleCanvas& c, const Rect& r, TColor color, TleBorders sides = bsAll) {
  c.DrawTwoColorFrame(r, color, 1, sides, color);
}

}  // namespace kelmo::le
