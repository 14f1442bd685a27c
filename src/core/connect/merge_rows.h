// The row kernels of connecting: merging one output row from the rows of every exposure.
//
// They work on plain row pointers and per-band scratch rows, allocate nothing, and give the
// same bits as the per-pixel loop of conImg (the sums of each pixel are formed in exposure
// order; a sample outside the band adds an exact zero).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace fringel {

// The smallest and largest of a set of values, from given start values (the merges start
// from max 0 and a min far above any value they store).
struct ValueRange {
    ValueRange(float startMin, float startMax) : min(startMin), max(startMax) {}
    float min;
    float max;
    void include(float v) {
        if (v < min) min = v;
        if (v > max) max = v;
    }
    void merge(const ValueRange& other) {
        if (other.min < min) min = other.min;
        if (other.max > max) max = other.max;
    }
};

// Lookup tables of the single-channel merge for one band of levels and n exposures:
// weighted[i][v] = F(i) x v x v and counted[v] = v for low <= v <= top, else 0.
struct SingleMergeTables {
    SingleMergeTables(const std::vector<float>& factors, int low, int top);
    std::vector<std::array<double, 256>> weighted;
    std::array<std::int32_t, 256> counted{};
    double inverseFirstFactor; // 1 / F(0)
};

// One output row of the single-channel merge. rows[i] points at the first sample of the
// region in exposure i's row; consecutive samples are `step` bytes apart. sum and count are
// scratch rows of `width` entries. Writes the merged value E into linear[x] and
// ln((1 / F(0)) x E) into display[x]; pixels without a sample in the band get 0 in both.
// displayRange takes in every display value written.
void mergeSingleRow(const std::uint8_t* const* rows, int exposures, int step, int width,
                    const SingleMergeTables& tables, double* sum, std::int32_t* count,
                    float* linear, float* display, ValueRange& displayRange);

// Tables of the three-channel merge: inBand[v] is 1 for low <= v <= top, else 0.
struct RgbMergeTables {
    RgbMergeTables(const std::vector<float>& factors, int low, int top);
    std::vector<float> factors;
    std::array<std::uint8_t, 256> inBand{};
};

// Scratch rows of the three-channel merge: a 32-bit float sum and a count per channel.
struct RgbScratch {
    explicit RgbScratch(int width);
    std::array<std::vector<float>, 3> sum;
    std::array<std::vector<std::int32_t>, 3> count;
};

// One output row of the three-channel merge. rows[i] points at exposure i's row of blue,
// green, red pixels. A sample counts only when all three of its bytes lie in the band. A
// channel with samples gets log10(F(0) x A), A = sum / count as a 32-bit float (0 when A is
// not above 0), and moves `range`; a channel without samples stays as it is.
void mergeRgbRow(const std::uint8_t* const* rows, int exposures, int width,
                 const RgbMergeTables& tables, RgbScratch& scratch, float* red, float* green,
                 float* blue, ValueRange& range);

} // namespace fringel
