// The energy measurement's computations: the measurement record, the peak searches, the
// radii, the energy sums and the diode reading.
//
// Everything works on one plane (channel 0 of the measured layer), addressed by column x and
// row y; every read is checked and raises DynArrayOutOfRange outside the plane. The window
// (or the command line) fills the record from its controls, calls these steps in order and
// shows what they leave in the record.
#pragma once

#include "base/host.h"
#include "document/planes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace fringel {

// The message shown when the search finds nothing.
inline constexpr const char* kNothingFoundMessage = "Zbyt blisko brzegu lub nic nie znaleziono";
// The message shown when the outer radius does not fit around the peak.
inline constexpr const char* kRadiusTooLargeMessage =
    "Nierealnie duze promienie lub zbyt blisko brzegu, zmień parametry i policz jeszcze raz !!!";

// The search methods, by the item index of the "Method" list.
enum PeakMethod : int { kQuickMethod = 0, kFineMethod = 1, kGaussMethod = 2 };

// One measurement: made fresh for every measurement and discarded after it.
class funFindSum {
public:
    std::int32_t peakX = 0; // the start point on entry, the found peak after the search
    std::int32_t peakY = 0;
    std::int32_t range = 0; // the search range; the clamped range after the search
    std::int32_t diodeSize = 0;
    float diodeReading = 0;
    std::string markText;
    float energy = 0;
    float energyNoise = 0; // the energy in the ring between r and R
    float peakValue = 0;
    float maxEnergy = 0;
    float maxDiodeReading = 0;
    std::int32_t innerRadius = 0; // r
    std::int32_t outerRadius = 0; // R
    float gaussWidth = 0;         // "Gauss": the fitted standard deviation, 0 when none
};

// True when the square of half-size n around (x, y) lies inside the plane:
// x + n < W, y + n < H, x - n >= 0 and y - n >= 0.
bool fitsInImage(const Plane& plane, std::int64_t x, std::int64_t y, std::int64_t n);

// True when the distance from (i, j) to (x, y), truncated to an integer, is less than r;
// never for r <= 0.
bool insideDisc(std::int64_t i, std::int64_t j, std::int64_t r, std::int64_t x, std::int64_t y);

// Lowers the range until the square of that half-size around (x, y) keeps one pixel off
// every edge of the plane (at the border it becomes 1, 0 or negative).
std::int32_t clampRange(std::int32_t range, std::int32_t x, std::int32_t y, const Plane& plane);

// Searches the peak next to (peakX, peakY) with the given method (the "Method" list's item
// index). Reads the start value, clamps `range` and reports the clamped range through
// `rangeClamped` before searching. Quick climbs along the axes; Fine takes the largest value
// of the disc and centres on the pixels at or above `fineTuning` percent of it; Gauss takes
// the same largest value and fits a Gaussian to the row and the column through it (centre
// and width). Returns false when nothing was found ("Quick" leaving the image logs
// "!!! OutOfImg !!!").
bool findPeak(funFindSum& record, const Plane& plane, int method, int fineTuning, Host& host,
              const std::function<void(std::int32_t)>& rangeClamped = {});

// Sets innerRadius and outerRadius around the peak: where the peak falls to `level` tenths of
// a percent of peakValue (Quick: edge distances along the axes; Fine: rings of growing
// radius; Gauss: where the fitted Gaussian falls to that level). Other methods keep the radii.
// Shows kRadiusTooLargeMessage (Quick) or logs "Indexes out of Array dimentions. Nothig found"
// (Fine) when they leave the plane.
void findRadii(funFindSum& record, const Plane& plane, int method, float level, Host& host);

// The result of the energy sums.
struct EnergySums {
    float energy = 0;                   // E = Er - (ER - Er)
    std::optional<double> noisePercent; // 100 x ring / Er; none when the disc sum Er is 0
    bool fitted = false;                // the outer disc lay inside the plane
};

// Er = sum inside r, ER = sum inside R (32-bit float sums), energyNoise = ER - Er, and the
// energy Er - energyNoise. When the disc of radius R does not fit, shows
// kRadiusTooLargeMessage and the sums stay 0.
EnergySums sumEnergy(funFindSum& record, const Plane& plane, Host& host);

// The mean over the square of diodeSize / 2 pixels on every side of the peak; calls
// `paint(x, y)` for every pixel of the square after reading it.
void readDiode(funFindSum& record, const Plane& plane,
               const std::function<void(std::int32_t, std::int32_t)>& paint = {});

} // namespace fringel
