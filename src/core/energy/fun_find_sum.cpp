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

// Fine: the largest value of the disc (the start's row and column left out), then the
// centroid of the pixels at or above fineTuning percent of it in the square around it.
bool fineSearch(funFindSum& record, const Plane& plane, int fineTuning) {
    const std::int32_t x = record.peakX;
    const std::int32_t y = record.peakY;
    const std::int32_t r = record.range;
    float best = 0;
    bool found = false;
    std::int32_t mx = 0;
    std::int32_t my = 0;
    for (std::int32_t i = x - r; i < x + r; ++i)
        for (std::int32_t j = y - r; j < y + r; ++j) {
            if (i == x || j == y || !insideDisc(i, j, r, x, y)) continue;
            const float v = plane.at(i, j);
            if (v >= best) {
                best = v;
                mx = i;
                my = j;
                found = true;
            }
        }
    if (!found) return false;

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
        return false;
    default:
        // No method chosen: the start point is the peak.
        return true;
    }
}

void findRadii(funFindSum& record, const Plane& plane, int method, float level, Host& host) {
    const double q = 0.001 * level * record.peakValue;
    if (method == kQuickMethod)
        quickRadii(record, plane, q, host);
    else if (method == kFineMethod)
        fineRadii(record, plane, q, host);
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
