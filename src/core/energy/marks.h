// The marks a measurement draws on the shown picture: the search cross and circle, the radius
// circles with their labels, the energy and diode labels, the diode square and the profiles.
#pragma once

#include "energy/fun_find_sum.h"
#include "image/canvas.h"

#include <string>

namespace fringel {

inline constexpr Rgb kSearchMarkColor{128, 0, 0};
inline constexpr Rgb kOuterCircleColor{0, 150, 0};
inline constexpr Rgb kInnerCircleColor{0, 0, 200};
inline constexpr Rgb kPositionLabelColor{255, 0, 0};
inline constexpr Rgb kRadiusLabelColor{192, 220, 192};
inline constexpr Rgb kEnergyLabelColor{0, 255, 255};
inline constexpr Rgb kDiodeLabelColor{255, 255, 0};
inline constexpr Rgb kDiodeSquareColor{0, 255, 0};
inline constexpr Rgb kProfileColor{200, 200, 50};

// The clean layer bitmap, then the cross and the circle of the search range around the peak.
void drawSearchMarks(funFindSum& record, Canvas& canvas, const Bitmap& layerBitmap);

// The circles r and R and the labels "Position [x, y]", "r = ", "R = " right of the outer
// circle (column x + R + 5, from row y - R, 12 pixels a line).
void drawRadiusMarks(funFindSum& record, Canvas& canvas);

// "E = ", "E/Em = ... %" (with a maximum energy), "Ed = " + diodeText and "Ed/Edm = ... %"
// (with a maximum diode reading), continuing the label column from line offset 36.
void drawEnergyLabels(funFindSum& record, Canvas& canvas, const std::string& diodeText);

} // namespace fringel
