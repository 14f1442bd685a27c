#include "energy/fun_find_sum.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fringel {

bool fitsInImage(const Plane& plane, std::int64_t x, std::int64_t y, std::int64_t n) {
    return x + n < plane.width() && y + n < plane.height() && x - n >= 0 && y - n >= 0;
}

bool insideDisc(std::int64_t i, std::int64_t j, std::int64_t r, std::int64_t x, std::int64_t y) {
    // trunc(distance) < r is the same as distance^2 < r^2 for a whole radius.
    return r > 0 && (i - x) * (i - x) + (j - y) * (j - y) < r * r;
}

std::int32_t clampRange(std::int32_t range, std::int32_t x, std::int32_t y, const Plane& plane) {
    std::int64_t r = range;
    const std::int64_t w = plane.width();
    const std::int64_t h = plane.height();
    if (w < r + x + 1) r = w - x - 1;
    if (r >= x) r = std::int64_t{x} - 1;
    if (h < r + y + 1) r = h - y - 1;
    if (r >= y) r = std::int64_t{y} - 1;
    return static_cast<std::int32_t>(r);
}

namespace {

// Quick: climbs along the axes in steps of 2, shortens the step when nothing brighter is found
// and widens it while nothing brighter than the start has been found.
bool quickSearch(funFindSum& record, const Plane& plane, float start, Host& host) {
    std::int32_t px = record.peakX;
    std::int32_t py = record.peakY;
    float best = start;
    float candidate = 0;
    std::int32_t n = 2;
    do {
        // The four points of a pass are all taken around the pass's starting point and
        // compared with the same best value; the last brighter one wins.
        const std::int32_t cx = px;
        const std::int32_t cy = py;
        const std::int32_t points[4][2] = {{cx + n, cy}, {cx, cy + n}, {cx - n, cy}, {cx, cy - n}};
        for (const auto& p : points) {
            const float v = plane.at(p[0], p[1]);
            if (v > best) {
                candidate = v;
                px = p[0];
                py = p[1];
            }
        }
        if (candidate > start) {
            if (candidate > best)
                best = candidate;
            else
                --n;
        } else if (fitsInImage(plane, px, py, std::int64_t{n} + 2)) {
            n += 2;
        } else {
            host.log("!!! OutOfImg !!!");
            return false;
        }
    } while (n > 1);
    record.peakValue = best;
    record.peakX = px;
    record.peakY = py;
    return true;
}

struct DiscMaximum {
    bool found = false;
    float value = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The largest value of the search disc, the start's row and column left out; among equal
// values the last in scan order. Values below 0 never count.
DiscMaximum discMaximum(const funFindSum& record, const Plane& plane) {
    const std::int32_t x = record.peakX;
    const std::int32_t y = record.peakY;
    const std::int32_t r = record.range;
    DiscMaximum m;
    for (std::int32_t i = x - r; i < x + r; ++i)
        for (std::int32_t j = y - r; j < y + r; ++j) {
            if (i == x || j == y || !insideDisc(i, j, r, x, y)) continue;
            const float v = plane.at(i, j);
            if (v >= m.value) m = {true, v, i, j};
        }
    return m;
}

// Fine: the largest value of the disc, then the centroid of the pixels at or above
// fineTuning percent of it in the square around it.
bool fineSearch(funFindSum& record, const Plane& plane, int fineTuning) {
    const std::int32_t r = record.range;
    const DiscMaximum peak = discMaximum(record, plane);
    if (!peak.found) return false;
    const float best = peak.value;
    const std::int32_t mx = peak.x;
    const std::int32_t my = peak.y;

    const double threshold = static_cast<double>(best) * (fineTuning * 0.01);
    float sumX = 0;
    float sumY = 0;
    std::int32_t count = 0;
    for (std::int32_t i = mx - r; i < mx + r; ++i)
        for (std::int32_t j = my - r; j < my + r; ++j) {
            if (i == mx || j == my) continue;
            if (plane.at(i, j) >= threshold) {
                sumX += static_cast<float>(i);
                sumY += static_cast<float>(j);
                ++count;
            }
        }
    // No pixel at the threshold (possible only when the maximum is not above 0 and the level
    // is above 0): the maximum itself is the peak.
    record.peakX = count > 0 ? static_cast<std::int32_t>(std::trunc(sumX / count)) : mx;
    record.peakY = count > 0 ? static_cast<std::int32_t>(std::trunc(sumY / count)) : my;
    record.peakValue = best;
    return true;
}

// A Gaussian fitted to samples v(t) by weighted least squares on ln v (weights v^2, which
// keeps the noisy tails from dominating): centre and standard deviation, if the samples peak.
struct GaussFit {
    bool ok = false;
    double centre = 0;
    double width = 0;
};

template <typename Sample>
GaussFit fitGauss(std::int32_t from, std::int32_t to, double floor, Sample sample) {
    // Normal equations of ln v = a + b t + c t^2, t relative to the middle for conditioning.
    const double mid = (from + to) / 2.0;
    double m[3][4] = {};
    for (std::int32_t k = from; k <= to; ++k) {
        const double v = sample(k);
        if (!(v > floor)) continue;
        const double t = k - mid;
        const double w = v * v;
        const double basis[3] = {1, t, t * t};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                m[i][j] += w * basis[i] * basis[j];
            m[i][3] += w * basis[i] * std::log(v);
        }
    }
    // Gaussian elimination with partial pivoting on the 3 x 4 system.
    for (int c = 0; c < 3; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 3; ++r)
            if (std::abs(m[r][c]) > std::abs(m[pivot][c])) pivot = r;
        if (std::abs(m[pivot][c]) < 1e-300) return {};
        std::swap(m[c], m[pivot]);
        for (int r = 0; r < 3; ++r) {
            if (r == c) continue;
            const double f = m[r][c] / m[c][c];
            for (int k = c; k < 4; ++k)
                m[r][k] -= f * m[c][k];
        }
    }
    const double b = m[1][3] / m[1][1];
    const double c = m[2][3] / m[2][2];
    if (!(c < 0)) return {};
    return {true, mid - b / (2 * c), std::sqrt(-1 / (2 * c))};
}

// Gauss: the largest value of the disc, then Gaussians fitted to the row and the column
// through it over the search range; the peak is the fitted centre (rounded), the width their
// mean standard deviation. Samples below 5 % of the maximum are left out of the fits.
bool gaussSearch(funFindSum& record, const Plane& plane) {
    const DiscMaximum peak = discMaximum(record, plane);
    if (!peak.found) return false;
    const std::int32_t r = record.range;
    const double floor = 0.05 * peak.value;
    const auto inside = [&](std::int64_t x, std::int64_t y) {
        return x >= 0 && y >= 0 && x < plane.width() && y < plane.height();
    };
    const GaussFit fx = fitGauss(peak.x - r, peak.x + r, floor, [&](std::int32_t k) {
        return inside(k, peak.y) ? double(plane.at(k, peak.y)) : 0.0;
    });
    const GaussFit fy = fitGauss(peak.y - r, peak.y + r, floor, [&](std::int32_t k) {
        return inside(peak.x, k) ? double(plane.at(peak.x, k)) : 0.0;
    });
    record.peakValue = peak.value;
    // A fit whose centre leaves the range is no fit of this peak: keep the maximum there.
    const bool xFits = fx.ok && std::abs(fx.centre - peak.x) <= r;
    const bool yFits = fy.ok && std::abs(fy.centre - peak.y) <= r;
    record.peakX = xFits ? static_cast<std::int32_t>(std::lround(fx.centre)) : peak.x;
    record.peakY = yFits ? static_cast<std::int32_t>(std::lround(fy.centre)) : peak.y;
    record.gaussWidth = xFits && yFits ? static_cast<float>((fx.width + fy.width) / 2) : 0.0f;
    return true;
}

std::int32_t outerFor(std::int32_t r) {
    const float square = static_cast<float>(r) * static_cast<float>(r);
    return static_cast<std::int32_t>(std::trunc(std::sqrt(2.0 * square)));
}

void quickRadii(funFindSum& record, const Plane& plane, double q, Host& host) {
    const std::int32_t x = record.peakX;
    const std::int32_t y = record.peakY;
    std::int64_t plusX = 0, minusX = 0, plusY = 0, minusY = 0;
    for (std::int64_t n = 0; fitsInImage(plane, x, y, n); ++n) {
        if (plane.at(x + n, y) >= q) plusX = n;
        if (plane.at(x - n, y) >= q) minusX = n;
        if (plane.at(x, y + n) >= q) plusY = n;
        // Only the -y direction ends the scan.
        if (plane.at(x, y - n) >= q)
            minusY = n;
        else
            break;
    }
    const auto r = static_cast<std::int32_t>(
        std::trunc(static_cast<double>(plusX + minusX + plusY + minusY) * 0.25 + 0.5));
    record.innerRadius = r;
    record.outerRadius = outerFor(r);
    if (!fitsInImage(plane, x, y, record.outerRadius)) host.showMessage(kRadiusTooLargeMessage);
}

void fineRadii(funFindSum& record, const Plane& plane, double q, Host& host) {
    const std::int32_t x = record.peakX;
    const std::int32_t y = record.peakY;
    std::int32_t rad = record.range / 2;
    float previousMean = 100000000.0f;
    // The previous sample point carries over from ring to ring.
    std::int32_t lastX = 0;
    std::int32_t lastY = 0;
    while (true) {
        if (!fitsInImage(plane, x, y, rad)) {
            host.log("Indexes out of Array dimentions. Nothig found");
            return;
        }
        float sum = 0;
        std::int32_t count = 0;
        for (int k = 0; k < 900; ++k) {
            const auto theta = static_cast<float>(k * std::numbers::pi / 1800.0);
            const auto cx = static_cast<float>(rad * std::cos(static_cast<double>(theta)));
            const auto cy = static_cast<float>(std::sqrt(
                std::max(0.0, static_cast<double>(rad) * rad - static_cast<double>(cx) * cx)));
            const auto ix = static_cast<std::int32_t>(std::trunc(cx + 0.5));
            const auto iy = static_cast<std::int32_t>(std::trunc(cy + 0.5));
            if (ix == lastX && iy == lastY) continue;
            lastX = ix;
            lastY = iy;
            sum += plane.at(x + ix, y + iy);
            sum += plane.at(x + ix, y - iy);
            sum += plane.at(x - ix, y + iy);
            sum += plane.at(x - ix, y - iy);
            count += 4;
        }
        const double mean =
            count > 0 ? static_cast<double>(sum / static_cast<float>(count)) : q + 1.0;
        // The ring has fallen to the level, or the rings passed a minimum and climb into the
        // next bright structure.
        if (mean <= q || mean > previousMean) {
            record.innerRadius = rad;
            record.outerRadius = outerFor(rad);
            return;
        }
        previousMean = static_cast<float>(mean);
        ++rad;
    }
}

float discSum(const Plane& plane, std::int32_t x, std::int32_t y, std::int32_t r) {
    float sum = 0;
    for (std::int64_t i = std::int64_t{x} - r; i < std::int64_t{x} + r; ++i)
        for (std::int64_t j = std::int64_t{y} - r; j < std::int64_t{y} + r; ++j)
            if (insideDisc(i, j, r, x, y)) sum += plane.at(i, j);
    return sum;
}

} // namespace

bool findPeak(funFindSum& record, const Plane& plane, int method, int fineTuning, Host& host,
              const std::function<void(std::int32_t)>& rangeClamped) {
    const float start = plane.at(record.peakX, record.peakY);
    record.range = clampRange(record.range, record.peakX, record.peakY, plane);
    if (rangeClamped) rangeClamped(record.range);
    switch (method) {
    case kQuickMethod:
        return quickSearch(record, plane, start, host);
    case kFineMethod:
        return fineSearch(record, plane, fineTuning);
    case kGaussMethod:
        return gaussSearch(record, plane);
    default:
        // No method chosen: the start point is the peak.
        return true;
    }
}

void findRadii(funFindSum& record, const Plane& plane, int method, float level, Host& host) {
    const double q = 0.001 * level * record.peakValue;
    if (method == kQuickMethod) {
        quickRadii(record, plane, q, host);
    } else if (method == kFineMethod) {
        fineRadii(record, plane, q, host);
    } else if (method == kGaussMethod && record.gaussWidth > 0 && q > 0 && q < record.peakValue) {
        // Where peakValue x exp(-d^2 / 2 sigma^2) falls to q, rounded.
        const double d = record.gaussWidth * std::sqrt(2 * std::log(record.peakValue / q));
        record.innerRadius = static_cast<std::int32_t>(std::lround(d));
        record.outerRadius = outerFor(record.innerRadius);
        if (!fitsInImage(plane, record.peakX, record.peakY, record.outerRadius))
            host.showMessage(kRadiusTooLargeMessage);
    }
}

EnergySums sumEnergy(funFindSum& record, const Plane& plane, Host& host) {
    EnergySums result;
    float inner = 0;
    if (fitsInImage(plane, record.peakX, record.peakY, record.outerRadius)) {
        inner = discSum(plane, record.peakX, record.peakY, record.innerRadius);
        const float outer = discSum(plane, record.peakX, record.peakY, record.outerRadius);
        record.energyNoise = outer - inner;
        if (inner != 0) result.noisePercent = 100.0 * record.energyNoise / inner;
        result.fitted = true;
    } else {
        host.showMessage(kRadiusTooLargeMessage);
    }
    result.energy = inner - record.energyNoise;
    return result;
}

void readDiode(funFindSum& record, const Plane& plane,
               const std::function<void(std::int32_t, std::int32_t)>& paint) {
    const std::int32_t h = record.diodeSize / 2;
    float sum = 0;
    std::int32_t count = 0;
    for (std::int32_t i = record.peakX - h; i <= record.peakX + h; ++i)
        for (std::int32_t j = record.peakY - h; j <= record.peakY + h; ++j) {
            sum += plane.at(i, j);
            if (paint) paint(i, j);
            ++count;
        }
    record.diodeReading = count > 0 ? sum / static_cast<float>(count) : 0.0f;
}

} // namespace fringel
