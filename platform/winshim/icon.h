// Icons: a colour bitmap and a 1-bit mask (1 where the colour does not
// show), as an icon handle holds them.
#pragma once

#include <QImage>

namespace kelmo::winshim {

struct Icon {
  QImage color;  // 32-bit
  QImage mask;   // Format_Mono, same size
  bool IsNull() const { return color.isNull(); }
  // The icon as one image with alpha: the colour's own alpha when it has
  // any, otherwise opaque where the mask is 0.
  QImage ToArgb() const;
};

}  // namespace kelmo::winshim
