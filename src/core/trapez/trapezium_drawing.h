// The picture of a trapezium simulation: black background, optional grid and main axes, one
// spot per non-zero cell mirrored into the four quadrants, and optionally the trapezium itself.
#pragma once

#include "image/canvas.h"
#include "trapez/trapezium_model.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace fringel {

// The drawing controls of the simulation window, with their start values.
struct DrawingOptions {
    int peakSize = 5;       // spot radius P in pixels
    int gammaPosition = 25; // brightness exponent x 100
    bool showGrid = false;
    bool showMainAxis = true;
    bool showTrapezium = false;
    bool peakRadius = false; // spot radius proportional to brightness
    bool oldDraw = false;    // plain filled ellipses instead of shaded spots
};

struct PixelOffset {
    int x = 0;
    int y = 0;
    bool operator==(const PixelOffset&) const = default;
};

// The four corners V0..V3 in pixels from the picture's centre (one pixel per length unit).
using TrapeziumCorners = std::array<PixelOffset, 4>;

// What a drawing leaves besides the picture.
struct SimulationDrawing {
    float drawReference = 0;                 // brightness of the zero order
    std::optional<std::string> gammaLabel;   // "Gamma = x^0,25"; only when some cell is non-zero
    std::optional<TrapeziumCorners> corners; // only with the outline shown
};

// Spot colour levels: green rises to full at half the reference brightness, then red and blue
// follow up to white at the reference.
struct SpotLevels {
    std::int64_t a = 0; // red and blue
    std::int64_t b = 0; // green
};

// |trunc(v)|^gamma as float32. The whole part is taken without an integer type's limit, so
// intensities of 2^31 and more get their true brightness.
float spotBrightness(float intensity, float gamma);
// The levels of brightness e against the reference. Raises ArithmeticError when the reference
// is 0 (a zero order fainter than 1 has nothing to relate the other spots to).
SpotLevels spotLevels(float e, float reference);

TrapeziumCorners computeTrapeziumCorners(const TrapeziumParameters& p);

void clearSimulationImage(Canvas& canvas, int width, int height);
// Grid lines every `spacing` pixels and the main axes with ticks, around (300, 300). Raises
// ArithmeticError for a spacing below 1.
void drawGridAndAxes(Canvas& canvas, int spacing, const DrawingOptions& options);
// A filled spot of radius R at (x, y) in colour (a, b, a) with a darker, smoothed rim.
void drawSpot(Canvas& canvas, int x, int y, float radius, std::uint8_t a, std::uint8_t b);
void drawTrapeziumOutline(Canvas& canvas, const TrapeziumCorners& corners);

// The whole picture of `model` into `image` (24-bit). `cellDone` runs after every grid cell.
// Raises ArithmeticError for a zero order too faint to draw; `image` is then partly painted.
SimulationDrawing drawSimulation(Bitmap& image, const TrapeziumModel& model,
                                 const DrawingOptions& options,
                                 const std::function<void()>& cellDone = {});

} // namespace fringel
