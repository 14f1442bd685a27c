// The median kernel. Two methods, both exact:
//
// - Radius 1 and 2 on pictures at least one window wide and tall: sorting networks that work
//   on 16 pixels at a time with SSE2 byte min/max. Each row's window columns are first sorted
//   vertically (shared by all windows that contain the column), then a small network picks the
//   median of the window from its sorted columns. Missing samples at the borders are replaced
//   by extreme values (0 and 255) in a balance that keeps the rank of the median in place, so
//   the same network serves border pixels too; only the corners are done one by one.
//
// - Everything else: the constant-time method of Perreault and Hebert. Each column keeps a
//   histogram of the samples of its window rows (one row in, one row out per output row); the
//   window histogram slides along the row by adding one column histogram and removing one.
//   Histograms have two levels: 16 coarse bins (upper 4 bits) and 16 x 16 fine bins. Counts
//   are 16-bit when the largest window fits, else 32-bit.
//
// Each method is a row processor: start(y, upward) prepares it for row y, then row(y)
// computes consecutive rows going down (or up). medianAllRows gives each thread a band from
// parallelRows; a thread that finishes its band goes on with rows nobody has taken yet, so a
// thread that starts late or runs on a busy core does not hold up the call.
#include "filters/median_kernel.h"

#include "base/parallel.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <emmintrin.h>
#include <memory>
#include <utility>
#include <vector>

namespace fringel {
namespace {

using u8 = std::uint8_t;

// Everything one call needs to know.
struct Job {
    ByteChannelIn in;
    int width, height, radius;
    ByteChannelOut out;
    std::atomic<std::int64_t>* rowsDone;
};

constexpr int roundUp16(int v) {
    return (v + 15) & ~15;
}

const u8* inRow(const ByteChannelIn& in, int y) {
    return in.data + std::ptrdiff_t{y} * in.stride;
}

void reportRow(const Job& job) {
    if (job.rowsDone) job.rowsDone->fetch_add(1, std::memory_order_relaxed);
}

// Writes one row of medians (one byte per pixel) into every byte of each output pixel and
// reports the row as done.
void finishRow(const Job& job, int y, const u8* values) {
    u8* p = job.out.data + std::ptrdiff_t{y} * job.out.stride;
    const int step = job.out.step;
    if (step == 1) {
        std::memcpy(p, values, static_cast<std::size_t>(job.width));
    } else if (step == 3) {
        for (int x = 0; x < job.width; ++x, p += 3)
            p[0] = p[1] = p[2] = values[x];
    } else {
        for (int x = 0; x < job.width; ++x, p += step)
            std::memset(p, values[x], std::size_t(step));
    }
    reportRow(job);
}

// Copies row y of the input channel into a contiguous buffer.
void gatherRow(const ByteChannelIn& in, int y, int width, u8* dst) {
    const u8* src = inRow(in, y);
    if (in.step == 1) {
        std::memcpy(dst, src, static_cast<std::size_t>(width));
    } else {
        for (int x = 0; x < width; ++x)
            dst[x] = src[std::ptrdiff_t{x} * in.step];
    }
}

// ---------------------------------------------------------------------------------------------
// Radius 0: the median of one sample is the sample.

class CopyProcessor {
public:
    explicit CopyProcessor(const Job& job) : job_(job), row_(std::size_t(job.width)) {}
    void start(int, bool) {}
    void row(int y) {
        gatherRow(job_.in, y, job_.width, row_.data());
        finishRow(job_, y, row_.data());
    }

private:
    Job job_;
    std::vector<u8> row_;
};

// ---------------------------------------------------------------------------------------------
// Radius 1 and 2: sorting networks on 16 pixels at a time.
//
// The same network code runs on a byte (for the few columns left over at the end of a row)
// and on 16 bytes in an SSE2 register.

inline u8 lanesMin(u8 a, u8 b) {
    return a < b ? a : b;
}
inline u8 lanesMax(u8 a, u8 b) {
    return a < b ? b : a;
}
inline __m128i lanesMin(__m128i a, __m128i b) {
    return _mm_min_epu8(a, b);
}
inline __m128i lanesMax(__m128i a, __m128i b) {
    return _mm_max_epu8(a, b);
}

// Leaves the smaller value in a and the larger in b.
template <typename V> inline void sort2(V& a, V& b) {
    const V lo = lanesMin(a, b);
    b = lanesMax(a, b);
    a = lo;
}

template <typename V> inline V median3(V a, V b, V c) {
    return lanesMax(lanesMin(a, b), lanesMin(lanesMax(a, b), c));
}

// Sorts the values of one window column (2R + 1 rows) in ascending order.
template <int R, typename V> inline void sortColumn(V (&v)[2 * R + 1]) {
    if constexpr (R == 1) {
        sort2(v[0], v[1]);
        sort2(v[1], v[2]);
        sort2(v[0], v[1]);
    } else {
        static_assert(R == 2);
        // Nine comparators, a minimal network for five values.
        sort2(v[0], v[1]);
        sort2(v[3], v[4]);
        sort2(v[2], v[4]);
        sort2(v[2], v[3]);
        sort2(v[1], v[4]);
        sort2(v[0], v[3]);
        sort2(v[0], v[2]);
        sort2(v[1], v[3]);
        sort2(v[1], v[2]);
    }
}

// Median of a 3 x 3 window whose three columns are sorted (s[c][rank]): the median is the
// median of the largest minimum, the median of the middles and the smallest maximum.
template <typename V> inline V medianOfSortedColumns3(const V (&s)[3][3]) {
    const V lo = lanesMax(lanesMax(s[0][0], s[1][0]), s[2][0]);
    const V mid = median3(s[0][1], s[1][1], s[2][1]);
    const V hi = lanesMin(lanesMin(s[0][2], s[1][2]), s[2][2]);
    return median3(lo, mid, hi);
}

// Median (rank 12) of a 5 x 5 window whose five columns are sorted; v[5 * column + rank].
// The network sorts the rows of the matrix (which keeps the columns sorted), then only 13
// entries can still be the median: 6 entries are below each of them and 6 above, so the
// median is the 7th of those 13. They are merged as sorted rows with Batcher's odd-even
// merge. Comparators whose results are never used were dropped (120 min/max operations
// instead of 144). Checked on every input of zeros and ones with sorted columns, which by
// the 0-1 principle covers all inputs.
template <typename V> inline V medianOfSortedColumns5(V (&v)[25]) {
    sort2(v[0], v[5]);
    sort2(v[15], v[20]);
    sort2(v[10], v[20]);
    v[15] = lanesMax(v[10], v[15]);
    sort2(v[5], v[20]);
    v[15] = lanesMax(v[0], v[15]);
    v[15] = lanesMax(v[5], v[15]);
    sort2(v[1], v[6]);
    sort2(v[16], v[21]);
    sort2(v[11], v[21]);
    sort2(v[11], v[16]);
    sort2(v[6], v[21]);
    sort2(v[1], v[16]);
    v[11] = lanesMax(v[1], v[11]);
    sort2(v[6], v[16]);
    v[11] = lanesMax(v[6], v[11]);
    sort2(v[2], v[7]);
    sort2(v[17], v[22]);
    sort2(v[12], v[22]);
    sort2(v[12], v[17]);
    v[7] = lanesMin(v[7], v[22]);
    sort2(v[2], v[17]);
    v[12] = lanesMax(v[2], v[12]);
    sort2(v[7], v[17]);
    sort2(v[7], v[12]);
    sort2(v[3], v[8]);
    sort2(v[18], v[23]);
    sort2(v[13], v[23]);
    sort2(v[13], v[18]);
    v[8] = lanesMin(v[8], v[23]);
    sort2(v[3], v[18]);
    sort2(v[3], v[13]);
    v[8] = lanesMin(v[8], v[18]);
    sort2(v[8], v[13]);
    sort2(v[4], v[9]);
    sort2(v[19], v[24]);
    sort2(v[14], v[24]);
    sort2(v[14], v[19]);
    v[9] = lanesMin(v[9], v[24]);
    sort2(v[4], v[19]);
    sort2(v[4], v[14]);
    v[9] = lanesMin(v[9], v[19]);
    v[9] = lanesMin(v[9], v[14]);
    sort2(v[15], v[4]);
    sort2(v[20], v[9]);
    sort2(v[20], v[4]);
    sort2(v[15], v[11]);
    sort2(v[4], v[21]);
    sort2(v[4], v[11]);
    sort2(v[20], v[16]);
    sort2(v[9], v[16]);
    sort2(v[20], v[4]);
    sort2(v[9], v[11]);
    sort2(v[16], v[21]);
    sort2(v[7], v[3]);
    sort2(v[17], v[13]);
    sort2(v[17], v[3]);
    sort2(v[12], v[8]);
    sort2(v[12], v[17]);
    sort2(v[8], v[3]);
    v[7] = lanesMax(v[15], v[7]);
    v[11] = lanesMin(v[11], v[3]);
    v[7] = lanesMax(v[11], v[7]);
    v[17] = lanesMax(v[4], v[17]);
    v[21] = lanesMin(v[21], v[17]);
    v[21] = lanesMin(v[21], v[7]);
    v[12] = lanesMax(v[20], v[12]);
    v[16] = lanesMin(v[16], v[13]);
    v[16] = lanesMin(v[16], v[12]);
    v[9] = lanesMin(v[9], v[8]);
    v[16] = lanesMax(v[9], v[16]);
    v[21] = lanesMax(v[16], v[21]);
    return v[21];
}

inline __m128i loadBytes(const u8* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void storeBytes(u8* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Reads lane values at offset x from the sorted column rows, for a byte or 16 bytes.
template <typename V> inline V loadLanes(const u8* p);
template <> inline u8 loadLanes<u8>(const u8* p) {
    return *p;
}
template <> inline __m128i loadLanes<__m128i>(const u8* p) {
    return loadBytes(p);
}
template <typename V> inline void storeLanes(u8* p, V v);
template <> inline void storeLanes<u8>(u8* p, u8 v) {
    *p = v;
}
template <> inline void storeLanes<__m128i>(u8* p, __m128i v) {
    storeBytes(p, v);
}

template <int R, typename V>
inline void sortColumnsAt(const u8* const* rows, u8* const* sorted, int x) {
    constexpr int D = 2 * R + 1;
    V v[D];
    for (int k = 0; k < D; ++k)
        v[k] = loadLanes<V>(rows[k] + x);
    sortColumn<R>(v);
    for (int k = 0; k < D; ++k)
        storeLanes<V>(sorted[k] + x, v[k]);
}

template <int R> inline __m128i windowMedianAt(const u8* const* sorted, int x) {
    if constexpr (R == 1) {
        __m128i s[3][3];
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                s[c][k] = loadBytes(sorted[k] + x + c - 1);
        return medianOfSortedColumns3(s);
    } else {
        __m128i v[25];
        for (int c = 0; c < 5; ++c)
            for (int k = 0; k < 5; ++k)
                v[5 * c + k] = loadBytes(sorted[k] + x + c - 2);
        return medianOfSortedColumns5(v);
    }
}

// Median of the clipped window at (x, y) by partial sorting; only for the corner pixels of
// the small-window path, where radius <= 2.
u8 clippedMedianSmall(const Job& job, int x, int y) {
    const int r = job.radius;
    u8 values[25];
    int n = 0;
    for (int yy = std::max(0, y - r); yy <= std::min(job.height - 1, y + r); ++yy) {
        const u8* row = inRow(job.in, yy);
        for (int xx = std::max(0, x - r); xx <= std::min(job.width - 1, x + r); ++xx)
            values[n++] = row[std::ptrdiff_t{xx} * job.in.step];
    }
    const int k = (n - 1) / 2;
    std::nth_element(values, values + k, values + n);
    return values[k];
}

// Needs width >= 2R + 1 and height >= 2R + 1, so no window is clipped on two opposite sides.
//
// Border windows: if m samples of a window are missing, adding ceil(m/2) zeros and floor(m/2)
// bytes of 255 leaves the median of the full-size window equal to the median of the clipped
// one (rank (n - 1) / 2 of n samples sits at rank (N - 1) / 2 of N = n + m once the zeros are
// placed below). Missing rows above or below are filled with rows of zeros and 255s whose
// zero count per column is chosen so every window gets the right total; missing columns left
// and right are stored as already sorted virtual columns. Corner pixels, where both happen,
// are computed directly.
template <int R> class SmallWindowProcessor {
public:
    static constexpr int D = 2 * R + 1;

    explicit SmallWindowProcessor(const Job& job)
        : job_(job), padded_(roundUp16(job.width)),
          // Sorted column rows, with R virtual columns on each side and room for the last
          // vector.
          sortedStride_(padded_ + 2 * R + 16), sortedStore_(std::size_t(sortedStride_) * D, 0),
          virtualStore_(std::size_t(job.width) * R * (R + 1) / 2),
          ringStore_(job.in.step != 1 ? std::size_t(job.width) * D : 0),
          medians_(std::size_t(padded_)) {
        const int w = job.width;
        for (int k = 0; k < D; ++k)
            sorted_[k] = sortedStore_.data() + std::size_t(k) * sortedStride_ + R;
        // A missing column at distance j (1, 2, ...) from the picture holds R + 1 zeros when j
        // is odd and R zeros when j is even, so d missing columns hold ceil(d * D / 2) zeros.
        for (int j = 1; j <= R; ++j) {
            const int zeros = (j % 2 == 1) ? R + 1 : R;
            for (int k = 0; k < D; ++k) {
                const u8 value = k < zeros ? 0 : 255;
                sorted_[k][-j] = value;
                sorted_[k][w - 1 + j] = value;
            }
        }
        // Rows standing in for q missing rows (q = 1..R): in column c the first z(c) rows are
        // 0 and the rest 255, where z = q / 2 for even q; for odd q, z = (q - 1) / 2 plus one
        // for R + 1 of every D consecutive columns, so each window gets ceil(q * D / 2) zeros.
        u8* p = virtualStore_.data();
        for (int q = 1; q <= R; ++q) {
            for (int m = 0; m < q; ++m, p += w) {
                for (int c = 0; c < w; ++c) {
                    const int zeros = (q % 2 == 0) ? q / 2 : (q - 1) / 2 + (c % D <= R ? 1 : 0);
                    p[c] = m < zeros ? 0 : 255;
                }
                virtualRows_[q][m] = p;
            }
        }
        std::fill(ringRow_, ringRow_ + D, -1);
    }

    void start(int, bool) {}

    void row(int y) {
        const int w = job_.width, h = job_.height;
        const u8* rows[D];
        const int missingAbove = std::max(0, R - y);
        const int missingBelow = std::max(0, y + R - (h - 1));
        for (int k = 0; k < D; ++k) {
            const int yy = y - R + k;
            if (yy < 0)
                rows[k] = virtualRows_[missingAbove][k];
            else if (yy >= h)
                rows[k] = virtualRows_[missingBelow][yy - h];
            else
                rows[k] = contiguousRow(yy);
        }
        // Local copies of the pointers: byte stores may alias anything, and the compiler would
        // reload members after each one.
        u8* sorted[D];
        std::copy(sorted_, sorted_ + D, sorted);
        const int vectorEnd = w & ~15;
        int x = 0;
        for (; x < vectorEnd; x += 16)
            sortColumnsAt<R, __m128i>(rows, sorted, x);
        for (; x < w; ++x)
            sortColumnsAt<R, u8>(rows, sorted, x);
        // Into the output row itself when it is a plane at least one vector wide (the last
        // vector then overlaps the one before), else into a row buffer.
        const bool direct = job_.out.step == 1 && w >= 16;
        u8* const medians =
            direct ? job_.out.data + std::ptrdiff_t{y} * job_.out.stride : medians_.data();
        for (x = 0; x < vectorEnd; x += 16)
            storeBytes(medians + x, windowMedianAt<R>(sorted, x));
        if (x < w) {
            x = direct ? w - 16 : x;
            storeBytes(medians + x, windowMedianAt<R>(sorted, x));
        }
        if (missingAbove > 0 || missingBelow > 0) {
            for (int c = 0; c < R; ++c) {
                medians[c] = clippedMedianSmall(job_, c, y);
                medians[w - 1 - c] = clippedMedianSmall(job_, w - 1 - c, y);
            }
        }
        if (direct)
            reportRow(job_);
        else
            finishRow(job_, y, medians);
    }

private:
    // Input row yy as contiguous bytes: the row itself for planes, else a copy kept in a ring
    // (each row is copied once while it is in the window).
    const u8* contiguousRow(int yy) {
        if (job_.in.step == 1) return inRow(job_.in, yy);
        const int slot = yy % D;
        u8* p = ringStore_.data() + std::size_t(slot) * job_.width;
        if (ringRow_[slot] != yy) {
            gatherRow(job_.in, yy, job_.width, p);
            ringRow_[slot] = yy;
        }
        return p;
    }

    Job job_;
    int padded_, sortedStride_;
    std::vector<u8> sortedStore_, virtualStore_, ringStore_, medians_;
    u8* sorted_[D];
    const u8* virtualRows_[R + 1][R] = {};
    int ringRow_[D];
};

// ---------------------------------------------------------------------------------------------
// Any radius: constant-time column histograms.
//
// Per pixel the window histogram adds one column histogram and removes one, at both levels:
// the 16 coarse bins, and the fine bins of two neighbouring buckets (the active pair). To keep
// the processor's branch predictions right, the active pair follows every pixel without any
// test and the median is looked up in it without branches; the median leaving the pair is
// the only (rare) branch. Then a scan of the coarse bins finds its bucket, and the fine bins
// of the buckets that enter the pair are caught up from where they were last used, or summed
// again when that is cheaper.

// Masks for sixteen counters: row k has lanes 0 .. k - 1 set, for k = 0..16.
template <typename Count> struct LowLanes { alignas(16) Count lanes[17][16]; };
template <typename Count> constexpr LowLanes<Count> makeLowLanes() {
    LowLanes<Count> m{};
    for (int k = 0; k <= 16; ++k)
        for (int i = 0; i < 16; ++i)
            m.lanes[k][i] = i < k ? static_cast<Count>(~Count{0}) : Count{0};
    return m;
}
template <typename Count> constexpr LowLanes<Count> kLowLanes = makeLowLanes<Count>();

// Sixteen counters (one coarse histogram, or one bucket of a fine histogram) in SSE2
// registers.
template <typename Count> struct Bins16;

template <> struct Bins16<std::uint16_t> {
    __m128i a, b;

    static Bins16 zero() { return {_mm_setzero_si128(), _mm_setzero_si128()}; }
    static Bins16 load(const std::uint16_t* p) {
        return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8))};
    }
    void store(std::uint16_t* p) const {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 8), b);
    }
    void add(const std::uint16_t* p) {
        const Bins16 o = load(p);
        a = _mm_add_epi16(a, o.a);
        b = _mm_add_epi16(b, o.b);
    }
    void sub(const std::uint16_t* p) {
        const Bins16 o = load(p);
        a = _mm_sub_epi16(a, o.a);
        b = _mm_sub_epi16(b, o.b);
    }

    // Sum of bins 0 .. bucket - 1. No 16-bit sum overflows: all are parts of the window's
    // sample count, which fits 16 bits on this path.
    std::uint32_t sumBelow(int bucket) const {
        const std::uint16_t* m = kLowLanes<std::uint16_t>.lanes[bucket];
        __m128i s = _mm_add_epi16(
            _mm_and_si128(a, _mm_load_si128(reinterpret_cast<const __m128i*>(m))),
            _mm_and_si128(b, _mm_load_si128(reinterpret_cast<const __m128i*>(m + 8))));
        s = _mm_add_epi16(s, _mm_srli_si128(s, 8));
        s = _mm_add_epi16(s, _mm_srli_si128(s, 4));
        s = _mm_add_epi16(s, _mm_srli_si128(s, 2));
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(s)) & 0xFFFF;
    }

    static __m128i runningTotals(__m128i v) {
        v = _mm_add_epi16(v, _mm_slli_si128(v, 2));
        v = _mm_add_epi16(v, _mm_slli_si128(v, 4));
        return _mm_add_epi16(v, _mm_slli_si128(v, 8));
    }
    static __m128i broadcastLast(__m128i v) {
        const __m128i t = _mm_shufflehi_epi16(v, 0xFF);
        return _mm_unpackhi_epi64(t, t);
    }

    // For the 16 * N bins of N consecutive buckets: returns the first bin whose running total
    // exceeds rank (16 * N if none) and sets total to the count of all those bins. Branch
    // free.
    template <int N>
    static int findInRange(const Bins16 (&buckets)[N], std::uint32_t rank, std::uint32_t& total) {
        // Lanes whose total is >= rank + 1 (unsigned): rank + 1 - total saturates to zero.
        const __m128i limit = _mm_set1_epi16(static_cast<short>(rank + 1));
        const __m128i zero = _mm_setzero_si128();
        auto reached = [&](__m128i t) { return _mm_cmpeq_epi16(_mm_subs_epu16(limit, t), zero); };
        __m128i carry = zero;
        std::uint64_t mask = 0;
        for (int i = 0; i < N; ++i) {
            const __m128i t0 = _mm_add_epi16(runningTotals(buckets[i].a), carry);
            carry = broadcastLast(t0);
            const __m128i t1 = _mm_add_epi16(runningTotals(buckets[i].b), carry);
            carry = broadcastLast(t1);
            mask |= std::uint64_t(static_cast<std::uint32_t>(
                        _mm_movemask_epi8(_mm_packs_epi16(reached(t0), reached(t1)))))
                    << (16 * i);
        }
        total = static_cast<std::uint32_t>(_mm_cvtsi128_si32(carry)) & 0xFFFF;
        return std::countr_zero(mask);
    }
};

template <> struct Bins16<std::uint32_t> {
    __m128i v[4];

    static Bins16 zero() {
        Bins16 r;
        for (auto& x : r.v)
            x = _mm_setzero_si128();
        return r;
    }
    static Bins16 load(const std::uint32_t* p) {
        Bins16 r;
        for (int i = 0; i < 4; ++i)
            r.v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i));
        return r;
    }
    void store(std::uint32_t* p) const {
        for (int i = 0; i < 4; ++i)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * i), v[i]);
    }
    void add(const std::uint32_t* p) {
        for (int i = 0; i < 4; ++i)
            v[i] =
                _mm_add_epi32(v[i], _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i)));
    }
    void sub(const std::uint32_t* p) {
        for (int i = 0; i < 4; ++i)
            v[i] =
                _mm_sub_epi32(v[i], _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i)));
    }
    // Lanes 0 .. k - 1 set, for k = 0..16.
    std::uint32_t sumBelow(int bucket) const {
        const std::uint32_t* m = kLowLanes<std::uint32_t>.lanes[bucket];
        __m128i s = _mm_setzero_si128();
        for (int i = 0; i < 4; ++i)
            s = _mm_add_epi32(
                s,
                _mm_and_si128(v[i], _mm_load_si128(reinterpret_cast<const __m128i*>(m + 4 * i))));
        s = _mm_add_epi32(s, _mm_srli_si128(s, 8));
        s = _mm_add_epi32(s, _mm_srli_si128(s, 4));
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(s));
    }

    // As for 16-bit counts. SSE2 compares 32-bit lanes as signed: flipping the top bit of
    // both sides makes that an unsigned compare.
    template <int N>
    static int findInRange(const Bins16 (&buckets)[N], std::uint32_t rank, std::uint32_t& total) {
        const __m128i bias = _mm_set1_epi32(INT_MIN);
        const __m128i limit = _mm_xor_si128(_mm_set1_epi32(static_cast<int>(rank)), bias);
        __m128i carry = _mm_setzero_si128();
        std::uint64_t mask = 0;
        for (int i = 0; i < N; ++i)
            for (int j = 0; j < 4; ++j) {
                __m128i t = buckets[i].v[j];
                t = _mm_add_epi32(t, _mm_slli_si128(t, 4));
                t = _mm_add_epi32(t, _mm_slli_si128(t, 8));
                t = _mm_add_epi32(t, carry);
                carry = _mm_shuffle_epi32(t, 0xFF);
                const int reached = _mm_movemask_ps(
                    _mm_castsi128_ps(_mm_cmpgt_epi32(_mm_xor_si128(t, bias), limit)));
                mask |= std::uint64_t(static_cast<unsigned>(reached)) << (16 * i + 4 * j);
            }
        total = static_cast<std::uint32_t>(_mm_cvtsi128_si32(carry));
        return std::countr_zero(mask);
    }
};

// Column histograms and the sliding window histogram of one thread.
template <typename Count> class HistogramProcessor {
public:
    // Buckets whose fine bins follow every pixel. Two cover the common case (the median
    // hovering around a bucket boundary); each extra bucket costs more per pixel than the
    // moves it saves, even for small windows on random data.
    static constexpr int kActive = 2;

    HistogramProcessor(const Job& job, int rx, int ry)
        : job_(job), rx_(rx), ry_(ry),
          // Columns -rx - 1 .. width + rx: the ones outside the picture stay empty, so the
          // window can always add column x + rx and remove column x - rx - 1.
          bucketStride_(std::size_t(job.width + 2 * rx + 2) * 16),
          medians_(std::size_t(job.width)) {
        for (int v = 0; v < 256; ++v)
            fineOffset_[v] = std::size_t(v >> 4) * bucketStride_ + std::size_t(v & 15);
    }

    // Column histograms as they are just before row y: its window rows less the one that
    // enters next, plus the one that leaves next.
    void start(int y, bool upward) {
        if (coarseStore_.empty()) {
            coarseStore_.assign(bucketStride_, 0);
            fineStore_.assign(bucketStride_ * 16, 0);
            coarse0_ = coarseStore_.data() + std::size_t(rx_ + 1) * 16;
            fine0_ = fineStore_.data() + std::size_t(rx_ + 1) * 16;
        } else {
            std::fill(coarseStore_.begin(), coarseStore_.end(), Count{0});
            std::fill(fineStore_.begin(), fineStore_.end(), Count{0});
        }
        upward_ = upward;
        const int shift = upward ? 1 : -1;
        const int first = std::max(0, y - ry_ + shift);
        const int last = std::min(job_.height - 1, y + ry_ + shift);
        for (int yy = first; yy <= last; ++yy) {
            const u8* row = inRow(job_.in, yy);
            for (int c = 0; c < job_.width; ++c)
                addSample(c, row[std::ptrdiff_t{c} * job_.in.step]);
        }
    }

    void row(int y) {
        const int h = job_.height;
        const int enterRow = upward_ ? y - ry_ : y + ry_;
        const int leaveRow = upward_ ? y + ry_ + 1 : y - ry_ - 1;
        const u8* enter = enterRow >= 0 && enterRow < h ? inRow(job_.in, enterRow) : nullptr;
        const u8* leave = leaveRow >= 0 && leaveRow < h ? inRow(job_.in, leaveRow) : nullptr;
        const int rows = std::min(y + ry_, h - 1) - std::max(y - ry_, 0) + 1;
        u8* medians = medians_.data();
        if (enter && leave)
            medianRow<true, true>(enter, leave, rows, medians);
        else if (enter)
            medianRow<true, false>(enter, leave, rows, medians);
        else if (leave)
            medianRow<false, true>(enter, leave, rows, medians);
        else
            medianRow<false, false>(enter, leave, rows, medians);
        finishRow(job_, y, medians);
    }

private:
    const Count* coarseAt(int c) const { return coarse0_ + std::ptrdiff_t{c} * 16; }
    const Count* fineAt(int bucket, int c) const {
        return fine0_ + std::size_t(bucket) * bucketStride_ + std::ptrdiff_t{c} * 16;
    }
    void addSample(int c, u8 v) {
        ++coarse0_[std::ptrdiff_t{c} * 16 + (v >> 4)];
        ++fine0_[fineOffset_[v] + std::size_t(c) * 16];
    }
    void removeSample(int c, u8 v) {
        --coarse0_[std::ptrdiff_t{c} * 16 + (v >> 4)];
        --fine0_[fineOffset_[v] + std::size_t(c) * 16];
    }

    // Fine bins of one bucket for the window of pixel x (columns x - rx .. x + rx), from
    // where that bucket was left: caught up column by column, or summed again when the
    // stored window is more than rx columns behind.
    Bins16<Count> catchUp(int bucket, int x) {
        const int rx = rx_;
        const int end = x + rx + 1;
        Bins16<Count> bins;
        if (end - fineEnd_[bucket] > rx) {
            bins = Bins16<Count>::zero();
            const int last = std::min(x + rx, job_.width - 1);
            for (int c = std::max(x - rx, 0); c <= last; ++c)
                bins.add(fineAt(bucket, c));
        } else {
            bins = Bins16<Count>::load(fineSaved_[bucket]);
            for (int c = fineEnd_[bucket]; c < end; ++c) {
                bins.add(fineAt(bucket, c));
                bins.sub(fineAt(bucket, c - 2 * rx - 1));
            }
        }
        return bins;
    }

    template <bool Enter, bool Leave>
    void medianRow(const u8* enter, const u8* leave, int rows, u8* medians) {
        const int rx = rx_, w = job_.width;
        const std::ptrdiff_t step = job_.in.step;
        auto updateColumn = [&](int c) {
            if constexpr (Enter) addSample(c, enter[c * step]);
            if constexpr (Leave) removeSample(c, leave[c * step]);
        };
        // The window of pixel -1: columns 0 .. rx - 1 (the others are empty).
        for (int c = 0; c < std::min(rx, w); ++c)
            updateColumn(c);
        Bins16<Count> window = Bins16<Count>::zero();
        // The active pair starts where the previous row started: medians change slowly.
        int first = std::min(firstAtRowStart_, 16 - kActive);
        Bins16<Count> active[kActive];
        for (auto& bins : active)
            bins = Bins16<Count>::zero();
        for (int c = 0; c < rx; ++c) {
            window.add(coarseAt(c));
            for (int i = 0; i < kActive; ++i)
                active[i].add(fineAt(first + i, c));
        }
        // Saved fine bins of other buckets are from the previous row: all stale.
        std::fill(fineEnd_, fineEnd_ + 16, INT_MIN / 2);

        // The median left the active buckets: scan the coarse bins for its bucket, move the
        // active buckets there (leaving room in the direction it went), save the buckets that
        // leave and catch up the ones that enter.
        auto moveActive = [&](int x, std::uint32_t rank) {
            alignas(16) Count coarse[16];
            window.store(coarse);
            std::uint32_t below = 0;
            int bucket = 0;
            while (bucket < 15 && below + coarse[bucket] <= rank)
                below += coarse[bucket++];
            const int next =
                std::clamp(bucket < first ? bucket - kActive / 2 : bucket - (kActive / 2 - 1), 0,
                           16 - kActive);
            Bins16<Count> old[kActive];
            for (int i = 0; i < kActive; ++i) {
                old[i] = active[i];
                const int b = first + i;
                if (b < next || b >= next + kActive) {
                    active[i].store(fineSaved_[b]);
                    fineEnd_[b] = x + rx + 1;
                }
            }
            for (int i = 0; i < kActive; ++i) {
                const int b = next + i;
                active[i] = (b >= first && b < first + kActive) ? old[b - first] : catchUp(b, x);
            }
            first = next;
        };

        auto pixel = [&](int x) {
            window.add(coarseAt(x + rx));
            window.sub(coarseAt(x - rx - 1));
            for (int i = 0; i < kActive; ++i) {
                active[i].add(fineAt(first + i, x + rx));
                active[i].sub(fineAt(first + i, x - rx - 1));
            }
            const int columns = std::min(x + rx, w - 1) - std::max(x - rx, 0) + 1;
            const auto rank =
                static_cast<std::uint32_t>((static_cast<std::int64_t>(rows) * columns - 1) / 2);
            std::uint32_t total = 0;
            std::uint32_t inRange = rank - window.sumBelow(first);
            int bin = Bins16<Count>::findInRange(active, inRange, total);
            if (inRange >= total) [[unlikely]] {
                moveActive(x, rank);
                inRange = rank - window.sumBelow(first);
                bin = Bins16<Count>::findInRange(active, inRange, total);
            }
            medians[x] = static_cast<u8>(first * 16 + bin);
            if (x == 0) firstAtRowStart_ = first;
        };

        // Columns are updated a block ahead of the pixels that read them, so the wide loads
        // of the window do not wait on the narrow counter stores just made.
        constexpr int kBlock = 32;
        for (int x0 = 0; x0 < w; x0 += kBlock) {
            const int x1 = std::min(x0 + kBlock, w);
            const int updateEnd = std::min(x1 + rx, w);
            for (int c = x0 + rx; c < updateEnd; ++c)
                updateColumn(c);
            for (int x = x0; x < x1; ++x)
                pixel(x);
        }
    }

    Job job_;
    int rx_, ry_;
    bool upward_ = false;
    std::size_t bucketStride_; // counters per bucket of the fine histograms (all columns)
    std::vector<Count> coarseStore_;
    std::vector<Count> fineStore_;
    Count* coarse0_ = nullptr;
    Count* fine0_ = nullptr;
    std::size_t fineOffset_[256];
    // Fine bins of buckets outside the active pair, for columns fineEnd_ - 2 rx - 1 ..
    // fineEnd_ - 1.
    alignas(16) Count fineSaved_[16][16] = {};
    int fineEnd_[16] = {};
    int firstAtRowStart_ = 7;
    std::vector<u8> medians_;
};

// ---------------------------------------------------------------------------------------------
// Choosing the method, and sharing rows between threads.

// The sorting networks serve radius 1 and 2 when the picture is at least a window wide and
// tall.
bool usesNetworks(const Job& job) {
    const int r = job.radius;
    return r >= 1 && r <= 2 && job.width >= 2 * r + 1 && job.height >= 2 * r + 1;
}

// Calls fn with the row processor that suits the job.
template <typename Fn> void withProcessor(const Job& job, Fn&& fn) {
    const int r = job.radius, w = job.width, h = job.height;
    if (r == 0) {
        CopyProcessor p(job);
        fn(p);
    } else if (usesNetworks(job)) {
        if (r == 1) {
            SmallWindowProcessor<1> p(job);
            fn(p);
        } else {
            SmallWindowProcessor<2> p(job);
            fn(p);
        }
    } else {
        // A radius beyond the picture covers the whole picture in that direction.
        const int rx = std::min(r, w - 1), ry = std::min(r, h - 1);
        const std::int64_t largestWindow = std::min<std::int64_t>(2 * std::int64_t{rx} + 1, w) *
                                           std::min<std::int64_t>(2 * std::int64_t{ry} + 1, h);
        if (largestWindow <= 0xFFFF) {
            HistogramProcessor<std::uint16_t> p(job, rx, ry);
            fn(p);
        } else {
            HistogramProcessor<std::uint32_t> p(job, rx, ry);
            fn(p);
        }
    }
}

// Which rows some thread has taken.
class RowClaims {
public:
    explicit RowClaims(int height)
        : height_(height),
          taken_(std::make_unique<std::atomic<std::uint8_t>[]>(std::size_t(height))) {}

    // True when the caller gets row y (no one had it).
    bool claim(int y) { return taken_[std::size_t(y)].exchange(1, std::memory_order_relaxed) == 0; }

    // The longest run of rows no one has taken, as [begin, end).
    std::pair<int, int> longestFreeRun() const {
        std::pair<int, int> best{0, 0};
        for (int y = 0; y < height_;) {
            if (taken_[std::size_t(y)].load(std::memory_order_relaxed)) {
                ++y;
                continue;
            }
            int end = y + 1;
            while (end < height_ && !taken_[std::size_t(end)].load(std::memory_order_relaxed))
                ++end;
            if (end - y > best.second - best.first) best = {y, end};
            y = end;
        }
        return best;
    }

private:
    int height_;
    std::unique_ptr<std::atomic<std::uint8_t>[]> taken_;
};

// One thread's work. The last band is worked up from the picture's bottom and the others
// down from their first row, each for as long as no one else has the next row: so the last
// two threads meet wherever they meet, and a band whose thread starts late is worked by its
// neighbour. Then, while a long enough run of rows is left, the thread works up from the end
// of that run, towards whoever works down on it.
template <typename Processor>
void runBand(Processor& p, RowClaims& claims, int begin, int end, int height, int minRunToHelp) {
    auto work = [&](int y, bool upward) {
        if (!claims.claim(y)) return;
        p.start(y, upward);
        p.row(y);
        if (upward) {
            for (--y; y >= 0 && claims.claim(y); --y)
                p.row(y);
        } else {
            for (++y; y < height && claims.claim(y); ++y)
                p.row(y);
        }
    };
    if (begin > 0 && end == height)
        work(height - 1, true);
    else
        work(begin, false);
    for (;;) {
        const auto [runBegin, runEnd] = claims.longestFreeRun();
        if (runEnd - runBegin < minRunToHelp) return;
        work(runEnd - 1, true);
    }
}

} // namespace

void medianRows(ByteChannelIn in, int width, int height, int radius, ByteChannelOut out,
                int rowBegin, int rowEnd, std::atomic<std::int64_t>* rowsDone) {
    rowBegin = std::max(rowBegin, 0);
    rowEnd = std::min(rowEnd, height);
    if (width <= 0 || rowBegin >= rowEnd) return;
    const Job job{in, width, height, std::max(radius, 0), out, rowsDone};
    withProcessor(job, [&](auto& p) {
        p.start(rowBegin, false);
        for (int y = rowBegin; y < rowEnd; ++y)
            p.row(y);
    });
}

void medianAllRows(ByteChannelIn in, int width, int height, int radius, ByteChannelOut out,
                   std::atomic<std::int64_t>* rowsDone) {
    if (width <= 0 || height <= 0) return;
    const Job job{in, width, height, std::max(radius, 0), out, rowsDone};
    // A thread only pays off with enough work: starting one takes some 0.1 to 0.2 ms, the time
    // the histograms need for a few ten thousand pixels and the networks for about a million
    // (radius 1) or a few hundred thousand (radius 2).
    const bool networks = usesNetworks(job);
    const std::int64_t minPixels = job.radius == 0               ? 4'000'000
                                   : networks && job.radius == 1 ? 1'000'000
                                   : networks                    ? 150'000
                                                                 : 32'768;
    const std::int64_t minRows = std::max<std::int64_t>(1, minPixels / width);
    // Starting the column histograms for a run of rows costs about as much as finishing an
    // eighth of the window height in rows; helping with a shorter run would not pay.
    const int ry = std::min(job.radius, height - 1);
    const int minRunToHelp = job.radius > 0 && !networks ? (2 * ry + 1) / 8 + 4 : 1;
    RowClaims claims(height);
    parallelRows(0, height, minRows, [&](std::int64_t b, std::int64_t e) {
        withProcessor(job, [&](auto& p) {
            runBand(p, claims, static_cast<int>(b), static_cast<int>(e), height, minRunToHelp);
        });
    });
}

} // namespace fringel
