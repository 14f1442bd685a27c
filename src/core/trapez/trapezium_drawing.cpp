#include "trapez/trapezium_drawing.h"

#include "base/errors.h"
#include "base/number_text.h"

#include <cmath>
#include <vector>

namespace fringel {

namespace {

using Extended = long double;

constexpr Rgb kBackground{0, 0, 0};
constexpr Rgb kGridColor{32, 32, 32};
constexpr Rgb kAxisColor{128, 128, 128};
constexpr Rgb kOutlineColor{200, 200, 0};
// The grid, the axes and the outline sit on a fixed centre and extent.
constexpr int kCentre = 300;
constexpr int kNear = 10;
constexpr int kFar = 590;
constexpr int kLineBound = 340; // lines beyond the picture fall outside it

void line(Canvas& canvas, int x1, int y1, int x2, int y2) {
    canvas.moveTo(x1, y1);
    canvas.lineTo(x2, y2);
}

std::uint8_t lowByte(std::int64_t level) {
    return static_cast<std::uint8_t>(level & 0xFF);
}

} // namespace

float spotBrightness(float intensity, float gamma) {
    const double whole = std::fabs(std::trunc(static_cast<double>(intensity)));
    return static_cast<float>(std::pow(whole, static_cast<double>(gamma)));
}

SpotLevels spotLevels(float e, float reference) {
    const Extended h = static_cast<Extended>(reference) * 0.5L;
    if (h == 0)
        throw ArithmeticError("Invalid floating point operation: the zero order is too faint to "
                              "draw (its intensity is below 1)");
    if (e > h) return {static_cast<std::int64_t>(std::trunc((e - h) / h * 255 + 0.5L)), 255};
    return {0, static_cast<std::int64_t>(std::trunc(e / h * 255 + 0.5L))};
}

TrapeziumCorners computeTrapeziumCorners(const TrapeziumParameters& p) {
    const Extended f = p.f, g = p.g, cg = static_cast<Extended>(p.c) * p.g;
    const auto t = [](Extended v) { return static_cast<int>(std::trunc(v)); };
    return {{{t(cg + f - 0.5L), t(g + 0.5L)},
             {t(-f - cg + 0.5L), t(g + 0.5L)},
             {t(-f + cg + 0.5L), t(-g - 0.5L)},
             {t(f - cg - 0.5L), t(-g - 0.5L)}}};
}

void clearSimulationImage(Canvas& canvas, int width, int height) {
    canvas.setPenColor(kBackground);
    canvas.setBrush(kBackground);
    canvas.fillRect(0, 0, width, height);
}

void drawGridAndAxes(Canvas& canvas, int spacing, const DrawingOptions& options) {
    if (spacing < 1)
        throw ArithmeticError("Division by zero: the order spacing is " + std::to_string(spacing));
    if (options.showGrid) {
        canvas.setPenColor(kGridColor);
        for (int k = 0; k < kLineBound; k += spacing) {
            line(canvas, kCentre + k, kNear, kCentre + k, kFar);
            line(canvas, kCentre - k, kNear, kCentre - k, kFar);
            line(canvas, kNear, kCentre + k, kFar, kCentre + k);
            line(canvas, kNear, kCentre - k, kFar, kCentre - k);
        }
    }
    if (options.showMainAxis) {
        canvas.setPenColor(kAxisColor);
        line(canvas, kCentre, kNear, kCentre, kFar);
        line(canvas, kNear, kCentre, kFar, kCentre);
        for (int k = spacing; k < kLineBound; k += spacing) {
            line(canvas, kCentre + k, kCentre - 1, kCentre + k, kCentre + 2);
            line(canvas, kCentre - k, kCentre - 1, kCentre - k, kCentre + 2);
            line(canvas, kCentre - 1, kCentre + k, kCentre + 2, kCentre + k);
            line(canvas, kCentre - 1, kCentre - k, kCentre + 2, kCentre - k);
        }
    }
}

namespace {

// One rim pixel of a spot: its offset in the first quadrant and its shading weight.
struct RimPoint {
    int x;
    int y;
    long double weight; // s; the rim level is trunc(level x s x 0.5)
};

// The rim of a spot of whole radius ri: points of the circle every 2 degrees, shaded by how
// far the exact point lies from the pixel it falls in, so the edge looks smooth.
std::vector<RimPoint> rimOf(int ri) {
    constexpr Extended kPi = 3.141592653589793;
    std::vector<RimPoint> rim;
    int previousX = 0;
    int previousY = 0;
    const Extended r2 = static_cast<Extended>(ri) * ri;
    for (float t = 0; t < 91; t += 2) {
        const auto phi = static_cast<float>(t * kPi * (1.0L / 180));
        const auto px = static_cast<float>(std::cos(static_cast<Extended>(phi)) * ri);
        const auto py = static_cast<float>(std::sqrt(std::max(0.0L, r2 - Extended{px} * px)));
        const auto xi = static_cast<int>(std::trunc(px));
        const auto yi = static_cast<int>(std::trunc(py));
        if (xi == previousX && yi == previousY) continue;
        previousX = xi;
        previousY = yi;
        rim.push_back(
            {xi, yi, Extended{static_cast<float>(px - xi)} + static_cast<float>(py - yi)});
    }
    return rim;
}

// Rims by radius, computed once per drawing: every spot of a drawing mostly has one radius.
class RimCache {
public:
    const std::vector<RimPoint>& rim(int ri) {
        if (static_cast<std::size_t>(ri) >= rims_.size())
            rims_.resize(static_cast<std::size_t>(ri) + 1);
        auto& entry = rims_[static_cast<std::size_t>(ri)];
        if (!entry) entry = rimOf(ri);
        return *entry;
    }

private:
    std::vector<std::optional<std::vector<RimPoint>>> rims_;
};

void paintSpot(Canvas& canvas, RimCache& rims, int x, int y, float radius, std::uint8_t a,
               std::uint8_t b) {
    const Rgb color{a, b, a};
    canvas.setPenColor(color);
    canvas.setBrush(color);
    const auto ri = static_cast<int>(std::trunc(radius));
    if (radius < 1) {
        canvas.setPixel(x, y, color);
        return;
    }
    canvas.ellipse(x - ri + 1, y - ri + 1, x + ri, y + ri);
    // The rim pixels overwrite the ellipse's edge with a darker shade of its colour.
    for (const RimPoint& p : rims.rim(ri)) {
        const auto shade = [&p](std::uint8_t level) {
            return static_cast<std::uint8_t>(static_cast<int>(std::trunc(level * p.weight * 0.5L)));
        };
        const Rgb rim{shade(a), shade(b), shade(a)};
        canvas.setPixel(x + p.x, y + p.y, rim);
        canvas.setPixel(x + p.x, y - p.y, rim);
        canvas.setPixel(x - p.x, y - p.y, rim);
        canvas.setPixel(x - p.x, y + p.y, rim);
    }
}

} // namespace

void drawSpot(Canvas& canvas, int x, int y, float radius, std::uint8_t a, std::uint8_t b) {
    RimCache rims;
    paintSpot(canvas, rims, x, y, radius, a, b);
}

void drawTrapeziumOutline(Canvas& canvas, const TrapeziumCorners& corners) {
    canvas.setPenColor(kOutlineColor);
    canvas.moveTo(kCentre + corners[0].x, kCentre + corners[0].y);
    for (int k : {1, 2, 3, 0})
        canvas.lineTo(kCentre + corners[k].x, kCentre + corners[k].y);
}

SimulationDrawing drawSimulation(Bitmap& image, const TrapeziumModel& model,
                                 const DrawingOptions& options,
                                 const std::function<void()>& cellDone) {
    Canvas canvas(image);
    const int cx = image.width() / 2;
    const int cy = image.height() / 2;
    const auto peak = static_cast<float>(options.peakSize);
    clearSimulationImage(canvas, image.width(), image.height());
    drawGridAndAxes(canvas, model.spacing, options);

    SimulationDrawing drawing;
    RimCache rims;
    const IntensityGrid& grid = model.intensities;
    const std::int64_t columns = grid.length() > 0 ? grid[0].length() : 0;
    for (std::int64_t p = 0; p < grid.length(); ++p) {
        for (std::int64_t q = 0; q < columns; ++q) {
            const float v = grid[p][q];
            float e = 0;
            if (v != 0) {
                const auto gamma = static_cast<float>(options.gammaPosition * 0.01);
                drawing.gammaLabel = "Gamma = x^" + formatGeneral(gamma, 7);
                e = spotBrightness(v, gamma);
            }
            if (p == 0 && q == 0) drawing.drawReference = e;
            const float radius =
                options.peakRadius
                    ? static_cast<float>(static_cast<Extended>(e) / drawing.drawReference * peak)
                    : peak;
            const SpotLevels levels = spotLevels(e, drawing.drawReference);
            if (levels.b > 5) {
                const auto u = static_cast<int>(p * model.spacing / 2);
                const auto w = static_cast<int>(q * model.spacing / 2);
                const std::uint8_t a = lowByte(levels.a);
                const std::uint8_t b = lowByte(levels.b);
                const Rgb color{a, b, a};
                for (const PixelOffset at :
                     {PixelOffset{cx + w, cy + u}, PixelOffset{cx - w, cy + u},
                      PixelOffset{cx - w, cy - u}, PixelOffset{cx + w, cy - u}}) {
                    if (options.oldDraw) {
                        canvas.setPenColor(color);
                        canvas.setBrush(color);
                        canvas.ellipse(static_cast<int>(std::trunc(at.x - radius)),
                                       static_cast<int>(std::trunc(at.y - radius)),
                                       static_cast<int>(std::trunc(at.x + radius)),
                                       static_cast<int>(std::trunc(at.y + radius)));
                    } else {
                        paintSpot(canvas, rims, at.x, at.y, radius, a, b);
                    }
                }
            }
            if (cellDone) cellDone();
        }
    }
    if (options.showTrapezium) {
        drawing.corners = computeTrapeziumCorners(model.parameters);
        drawTrapeziumOutline(canvas, *drawing.corners);
    }
    return drawing;
}

} // namespace fringel
