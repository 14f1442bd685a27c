#include "trapez/synthetic_series.h"

#include "base/errors.h"
#include "document/image_document.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

namespace fringel {

namespace {

// Adds a Gaussian spot of the given height at (cx, cy), within four widths of its centre.
void addSpot(Plane& radiance, double cx, double cy, double height) {
    const int reach = static_cast<int>(std::ceil(4 * kSynthSpotSigma));
    const double twoSigma2 = 2 * kSynthSpotSigma * kSynthSpotSigma;
    for (int y = std::max(0, static_cast<int>(cy) - reach);
         y <= std::min(radiance.height() - 1, static_cast<int>(cy) + reach); ++y) {
        float* row = radiance.row(y);
        for (int x = std::max(0, static_cast<int>(cx) - reach);
             x <= std::min(radiance.width() - 1, static_cast<int>(cx) + reach); ++x) {
            const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            row[x] += static_cast<float>(height * std::exp(-d2 / twoSigma2));
        }
    }
}

} // namespace

PixelPoint synthOrderCentre(const SyntheticSeries& series, int i, int j) {
    return {series.radiance.width() / 2 + j * series.spacing,
            series.radiance.height() / 2 + i * series.spacing};
}

SyntheticSeries synthesizeSeries(const SynthSettings& s) {
    if (s.exposures < 1 || s.timeIndex < 0 ||
        s.timeIndex + s.exposures > ImageDocument::kExposureTimeCount)
        throw FringelError("A series has 1 to " +
                           std::to_string(ImageDocument::kExposureTimeCount) +
                           " exposures from a time index that keeps all in the shutter table");
    if (s.width < 16 || s.height < 16 || !bitmapSizeAllowed(s.width, s.height))
        throw FringelError("A synthetic picture has at least 16 x 16 pixels and at most " +
                           std::to_string(kMaxBitmapPixels) + " pixels");
    SyntheticSeries out;
    out.spacing = kSynthSpacing;
    for (int i = 0; i < s.exposures; ++i)
        out.factors.push_back(
            ImageDocument::exposureTable()[static_cast<std::size_t>(s.timeIndex + i)]);

    TrapeziumInput mesh;
    mesh.period = s.period;
    mesh.diameter = s.diameter;
    mesh.angleDegrees = s.angleDegrees;
    mesh.spacing = kSynthSpacing;
    mesh.imageWidth = std::max(s.width, s.height);
    out.model = computeTrapeziumModel(mesh);

    // Heights relative to the zero order; the zero order just fits the band in the shortest
    // exposure, the background shows a few levels in the longest.
    const double peak = 180.0 * out.factors.back();
    out.zeroOrderPeak = peak;
    const double background = 2.0 * out.factors.front();
    out.radiance = Plane(s.width, s.height);
    for (int y = 0; y < s.height; ++y)
        std::fill(out.radiance.row(y), out.radiance.row(y) + s.width,
                  static_cast<float>(background));
    const IntensityGrid& grid = out.model.intensities;
    const double origin = out.model.originIntensity;
    const double cx = s.width / 2;
    const double cy = s.height / 2;
    for (std::int64_t p = 0; p < grid.length(); ++p)
        for (std::int64_t q = 0; q < grid[p].length(); ++q) {
            const double v = grid[p][q];
            if (v <= 0 || origin <= 0) continue;
            const double u = p * 0.5 * kSynthSpacing;
            const double w = q * 0.5 * kSynthSpacing;
            // The mirrored places, each once (the axes mirror onto themselves).
            std::set<std::pair<double, double>> places;
            for (const double sx : {1.0, -1.0})
                for (const double sy : {1.0, -1.0})
                    places.insert({cx + sx * w, cy + sy * u});
            for (const auto& [x, y] : places)
                if (x > -10 && x < s.width + 10 && y > -10 && y < s.height + 10)
                    addSpot(out.radiance, x, y, peak * v / origin);
        }

    std::mt19937 rng(s.seed);
    std::normal_distribution<double> noise(0.0, s.noise > 0 ? s.noise : 1.0);
    for (int i = 0; i < s.exposures; ++i) {
        Bitmap b(s.width, s.height, PixelFormat::Gray8);
        const double t = 1.0 / out.factors[static_cast<std::size_t>(i)];
        for (int y = 0; y < s.height; ++y) {
            const float* l = out.radiance.row(y);
            std::uint8_t* row = b.row(y);
            for (int x = 0; x < s.width; ++x) {
                const double v = l[x] * t + (s.noise > 0 ? noise(rng) : 0.0);
                row[x] = static_cast<std::uint8_t>(std::clamp(std::round(v), 0.0, 255.0));
            }
        }
        out.exposures.push_back(std::move(b));
    }
    return out;
}

} // namespace fringel
