#include "trapez/trapezium_readout.h"

#include "base/number_text.h"

#include <cmath>
#include <cstdlib>

namespace fringel {

namespace {

// Rounded to the nearest whole number, halves away from zero.
int nearest(float v) {
    return static_cast<int>(v >= 0 ? std::trunc(v + 0.5f) : std::trunc(v - 0.5f));
}

} // namespace

std::optional<PointerReadout> readPointer(const TrapeziumModel& model, int x, int y, int width,
                                          int height) {
    if (model.spacing < 1) return std::nullopt;
    const int cx = width / 2;
    const int cy = height / 2;
    const auto mx = static_cast<float>(static_cast<double>(x - cx) / model.spacing * 2);
    const auto my = static_cast<float>(static_cast<double>(y - cy) * -1 / model.spacing * 2);
    PointerReadout r;
    r.ix = nearest(mx);
    r.iy = nearest(my);
    const std::int64_t row = std::abs(r.iy);
    const std::int64_t column = std::abs(r.ix);
    if (row >= model.intensities.length() || column >= model.intensities[row].length())
        return std::nullopt;
    r.markX = static_cast<int>(std::trunc(r.ix * model.spacing * 0.5 + cx));
    r.markY = static_cast<int>(std::trunc(r.iy * model.spacing * 0.5 * -1 + cy));
    r.value = model.intensities[row][column];
    const std::string order =
        "F(" + formatGeneral(r.ix * 0.5) + ";" + formatGeneral(r.iy * 0.5) + ") = ";
    r.valueText = order + formatGeneral(r.value, 7);
    r.ratioText = "F/F(0,0) = " +
                  formatGeneral(static_cast<double>(r.value) / model.originIntensity * 100, 3) +
                  " %";
    r.infoText = order + formatGeneral(r.value, 3);
    return r;
}

void drawReadout(Canvas& canvas, const PointerReadout& r, int peakSize) {
    const int p = peakSize;
    canvas.setPenColor({255, 255, 255});
    canvas.setBrush(Rgb{255, 0, 0});
    canvas.ellipse(r.markX - p, r.markY - p, r.markX + p, r.markY + p);
    canvas.setFontColor({255, 255, 255});
    canvas.setBrush(Rgb{0, 0, 0});
    canvas.textOut(r.markX + p + 2, r.markY - p - 5, r.valueText);
    canvas.textOut(r.markX + p + 2, r.markY - p + 7, r.ratioText);
}

} // namespace fringel
