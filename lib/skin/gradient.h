// Gradient descriptions of skin sections (GRADIENTDATA, HOTGRADIENTDATA)
// parsed into stops, and the painting of a bitmap rect from them: vertical
// bands, horizontal bands, or four triangles meeting in the centre.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "winshim/win_types.h"

namespace kelmo::skin {

struct TkGradStop {
  winshim::TColor Color1 = 0;
  winshim::TColor Color2 = 0;
  std::uint8_t Percent = 0;
  std::int32_t Mode = 0;  // of the first stop: 0 vertical, 1 horizontal, 2 triangles
};
using TkGradArray = std::vector<TkGradStop>;

// Values separated by ";" (runs count as one), five per stop. A value that
// is not a decimal integer raises std::invalid_argument.
void ParseGradientData(const QString& text, TkGradArray& stops);

// Paints rect of a 24- or 32-bit bitmap from the stops (other formats are
// left alone in modes 0 and 1). The offset adds rows in mode 0.
void PaintGradientRect(QImage& bitmap, winshim::Rect rect, const TkGradArray& stops,
                       int offset = 0);

}  // namespace kelmo::skin
