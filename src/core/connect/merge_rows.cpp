#include "connect/merge_rows.h"

#include <algorithm>
#include <cmath>

namespace fringel {

SingleMergeTables::SingleMergeTables(const std::vector<float>& factors, int low, int top)
    : weighted(factors.size()), inverseFirstFactor(1.0 / static_cast<double>(factors.at(0))) {
    for (int v = 0; v < 256; ++v) {
        const bool used = low <= v && v <= top;
        counted[v] = used ? v : 0;
        for (std::size_t i = 0; i < factors.size(); ++i)
            weighted[i][v] = used ? static_cast<double>(factors[i]) * v * v : 0.0;
    }
}

void mergeSingleRow(const std::uint8_t* const* rows, int exposures, int step, int width,
                    const SingleMergeTables& tables, double* sum, std::int32_t* count,
                    float* linear, float* display, ValueRange& displayRange) {
    std::fill(sum, sum + width, 0.0);
    std::fill(count, count + width, 0);
    // Exposure by exposure over the whole row: each sum still grows in exposure order, and a
    // sample outside the band adds 0.0, which leaves a sum unchanged.
    for (int i = 0; i < exposures; ++i) {
        const std::uint8_t* p = rows[i];
        const double* weighted = tables.weighted[static_cast<std::size_t>(i)].data();
        const std::int32_t* counted = tables.counted.data();
        for (int x = 0; x < width; ++x, p += step) {
            const std::uint8_t v = *p;
            sum[x] += weighted[v];
            count[x] += counted[v];
        }
    }
    for (int x = 0; x < width; ++x) {
        float e = 0.0f;
        float d = 0.0f;
        if (count[x] > 0) {
            const double merged = sum[x] / count[x];
            if (merged > 0) {
                e = static_cast<float>(merged);
                d = static_cast<float>(std::log(tables.inverseFirstFactor * merged));
            }
        }
        linear[x] = e;
        display[x] = d;
        displayRange.include(d);
    }
}

RgbMergeTables::RgbMergeTables(const std::vector<float>& f, int low, int top) : factors(f) {
    for (int v = 0; v < 256; ++v)
        inBand[v] = (low <= v && v <= top) ? 1 : 0;
}

RgbScratch::RgbScratch(int width) {
    for (auto& s : sum)
        s.assign(static_cast<std::size_t>(width), 0.0f);
    for (auto& c : count)
        c.assign(static_cast<std::size_t>(width), 0);
}

void mergeRgbRow(const std::uint8_t* const* rows, int exposures, int width,
                 const RgbMergeTables& tables, RgbScratch& scratch, float* red, float* green,
                 float* blue, ValueRange& range) {
    float* sums[3] = {scratch.sum[0].data(), scratch.sum[1].data(), scratch.sum[2].data()};
    std::int32_t* counts[3] = {scratch.count[0].data(), scratch.count[1].data(),
                               scratch.count[2].data()};
    for (int k = 0; k < 3; ++k) {
        std::fill(sums[k], sums[k] + width, 0.0f);
        std::fill(counts[k], counts[k] + width, 0);
    }
    const std::uint8_t* inBand = tables.inBand.data();
    for (int i = 0; i < exposures; ++i) {
        const double f = tables.factors[static_cast<std::size_t>(i)];
        const std::uint8_t* p = rows[i];
        for (int x = 0; x < width; ++x, p += 3) {
            const int b = p[0];
            const int g = p[1];
            const int r = p[2];
            if (!(inBand[r] & inBand[g] & inBand[b])) continue;
            // Each 32-bit sum is kept as a 32-bit float after every addition.
            sums[0][x] = static_cast<float>(sums[0][x] + f * r * r);
            sums[1][x] = static_cast<float>(sums[1][x] + f * g * g);
            sums[2][x] = static_cast<float>(sums[2][x] + f * b * b);
            counts[0][x] += r;
            counts[1][x] += g;
            counts[2][x] += b;
        }
    }
    const double firstFactor = tables.factors.at(0);
    float* outs[3] = {red, green, blue};
    for (int k = 0; k < 3; ++k) {
        for (int x = 0; x < width; ++x) {
            if (counts[k][x] <= 0) continue;
            const float a = static_cast<float>(static_cast<double>(sums[k][x]) / counts[k][x]);
            const float v = a > 0 ? static_cast<float>(std::log10(firstFactor * a)) : 0.0f;
            outs[k][x] = v;
            range.include(v);
        }
    }
}

} // namespace fringel
