// A synthetic exposure series of a fabric's diffraction pattern, with its true radiance, so
// that connecting and measuring can be checked against a known answer.
//
// The radiance holds one smooth spot per order of the trapezium model, its height the order's
// intensity, on a dim background. Exposure i is taken with the time 1 / F(i), F(i) the factor
// the connect uses for it (the shutter table from the chosen time index), so the connect gives
// back the radiance itself: v = min(255, round(L / F(i) + noise)).
#pragma once

#include "document/planes.h"
#include "image/bitmap.h"
#include "trapez/trapezium_model.h"

#include <cstdint>
#include <vector>

namespace fringel {

struct SynthSettings {
    std::int32_t exposures = 5;
    std::int32_t width = 320;
    std::int32_t height = 240;
    float period = 169;  // b0
    float diameter = 51; // 2r
    int angleDegrees = 20;
    std::int32_t timeIndex = 0;
    double noise = 0; // standard deviation of the read noise, in grey levels
    std::uint32_t seed = 1;
};

// Pixels between neighbouring orders, and the spots' Gaussian width, in the synthetic picture.
inline constexpr std::int32_t kSynthSpacing = 32;
inline constexpr double kSynthSpotSigma = 2.5;

struct SyntheticSeries {
    Plane radiance;                // the truth L
    std::vector<Bitmap> exposures; // 8-bit grey
    std::vector<float> factors;    // F(i) of each exposure
    TrapeziumModel model;
    std::int32_t spacing = kSynthSpacing;
    double zeroOrderPeak = 0; // the zero order's height above the background
};

// Raises FringelError for sizes or a time index outside what a series can have, and the
// model's ArithmeticError for impossible meshes.
SyntheticSeries synthesizeSeries(const SynthSettings& settings);

// Where the spot of the order (i down, j right) of a synthetic series lies.
struct PixelPoint {
    int x;
    int y;
};
PixelPoint synthOrderCentre(const SyntheticSeries& series, int i, int j);

} // namespace fringel
