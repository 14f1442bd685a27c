#include "filters/median_kernel.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using fringel::ByteChannelIn;
using fringel::ByteChannelOut;
using fringel::medianAllRows;
using fringel::medianRows;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // row-major, width * height

    std::uint8_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)];
    }
    ByteChannelIn in() const { return {pixels.data(), width, 1}; }
};

enum class Content { Random, SmoothNoise, TwoLevels, Constant };

const char* contentName(Content c) {
    switch (c) {
    case Content::Random:
        return "random";
    case Content::SmoothNoise:
        return "smooth+noise";
    case Content::TwoLevels:
        return "two levels";
    case Content::Constant:
        return "constant";
    }
    return "?";
}

Picture makePicture(int width, int height, Content content, unsigned seed) {
    Picture p{width, height, std::vector<std::uint8_t>(std::size_t(width) * height)};
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255), noise(-12, 12);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int v = 0;
            switch (content) {
            case Content::Random:
                v = byte(rng);
                break;
            case Content::SmoothNoise:
                // A slow ramp with ripples, so medians wander across many coarse buckets.
                v = (x * 7 + y * 5) % 256 / 2 + 60 + (x * y) % 37 + noise(rng);
                break;
            case Content::TwoLevels:
                // Patches of two extreme values with a few stray samples: many ties, medians
                // in the first and last buckets, and one bin holding most of a large window.
                v = ((x / 9 + y / 7) % 10 == 0) ? 5 : 250;
                if (byte(rng) < 8) v = byte(rng);
                break;
            case Content::Constant:
                v = 77;
                break;
            }
            p.pixels[std::size_t(y) * width + x] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
        }
    return p;
}

// The oracle: collect the clipped window, take the element of rank (n - 1) / 2.
std::uint8_t referencePixel(const Picture& p, int radius, int x, int y) {
    const std::int64_t r = radius;
    const auto x0 = static_cast<int>(std::max<std::int64_t>(0, x - r));
    const auto x1 = static_cast<int>(std::min<std::int64_t>(p.width - 1, x + r));
    const auto y0 = static_cast<int>(std::max<std::int64_t>(0, y - r));
    const auto y1 = static_cast<int>(std::min<std::int64_t>(p.height - 1, y + r));
    // Reused between calls: sanitizer builds are slow at growing vectors.
    thread_local std::vector<std::uint8_t> window;
    window.resize(std::size_t(x1 - x0 + 1) * std::size_t(y1 - y0 + 1));
    std::uint8_t* w = window.data();
    for (int yy = y0; yy <= y1; ++yy)
        for (int xx = x0; xx <= x1; ++xx)
            *w++ = p.pixels[std::size_t(yy) * p.width + std::size_t(xx)];
    const auto k = static_cast<std::ptrdiff_t>((window.size() - 1) / 2);
    std::nth_element(window.begin(), window.begin() + k, window.end());
    return window[static_cast<std::size_t>(k)];
}

std::vector<std::uint8_t> referenceMedian(const Picture& p, int radius) {
    std::vector<std::uint8_t> out(p.pixels.size());
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            out[std::size_t(y) * p.width + x] = referencePixel(p, radius, x, y);
    return out;
}

std::vector<std::uint8_t> filterAll(const Picture& p, int radius,
                                    std::atomic<std::int64_t>* rowsDone = nullptr) {
    std::vector<std::uint8_t> out(p.pixels.size(), 0xCD);
    medianAllRows(p.in(), p.width, p.height, radius, {out.data(), p.width, 1}, rowsDone);
    return out;
}

// Empty when equal, else where the first difference is.
std::string firstDifference(const std::vector<std::uint8_t>& got,
                            const std::vector<std::uint8_t>& want, int width) {
    for (std::size_t i = 0; i < want.size(); ++i)
        if (got[i] != want[i]) {
            std::ostringstream s;
            s << "at x=" << i % std::size_t(width) << " y=" << i / std::size_t(width) << ": got "
              << int(got[i]) << ", want " << int(want[i]);
            return s.str();
        }
    return {};
}

TEST(MedianKernel, MatchesNaiveReferenceOnSmallPictures) {
    struct Size {
        int width, height;
    };
    // 1 x N and N x 1 strips, pictures narrower than one vector of 16 and wider (with a
    // partial vector at the end), and pictures smaller than the window.
    const Size sizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {5, 5}, {13, 9}, {33, 6}, {64, 37}};
    std::vector<int> radii;
    for (int r = 0; r <= 12; ++r)
        radii.push_back(r);
    radii.insert(radii.end(), {50, 100, 300, INT_MAX});
    unsigned seed = 1;
    for (const Size s : sizes)
        for (const Content content :
             {Content::Random, Content::SmoothNoise, Content::TwoLevels, Content::Constant}) {
            const Picture p = makePicture(s.width, s.height, content, seed++);
            for (const int r : radii) {
                SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << " "
                                                << contentName(content) << " radius " << r);
                EXPECT_EQ(firstDifference(filterAll(p, r), referenceMedian(p, r), s.width), "");
            }
        }
}

// Large enough to be split across threads (which then work from both ends towards each
// other) and to run many 16-pixel vectors per row.
TEST(MedianKernel, MatchesNaiveReferenceOnLargerPictures) {
    struct Case {
        Picture picture;
        std::vector<int> radii;
    };
    const Case cases[] = {
        {makePicture(300, 451, Content::Random, 7), {3, 6}},
        {makePicture(301, 450, Content::SmoothNoise, 8), {3, 6}},
        // The sorting networks only split larger pictures.
        {makePicture(1603, 1300, Content::Random, 10), {1}},
        {makePicture(701, 500, Content::SmoothNoise, 11), {2}},
    };
    for (const auto& [p, radii] : cases)
        for (const int r : radii) {
            SCOPED_TRACE(testing::Message() << p.width << "x" << p.height << " radius " << r);
            std::atomic<std::int64_t> rowsDone{0};
            EXPECT_EQ(firstDifference(filterAll(p, r, &rowsDone), referenceMedian(p, r), p.width),
                      "");
            EXPECT_EQ(rowsDone.load(), p.height);
        }
}

// Windows of more than 65535 samples need wider counters; checked on a grid of pixels. With
// two levels a single bin holds more than 65535 samples.
TEST(MedianKernel, MatchesNaiveReferenceForWindowsBeyond16BitCounts) {
    for (const Content content : {Content::SmoothNoise, Content::TwoLevels})
        for (const int r : {170, 1000}) {
            const Picture p = makePicture(400, 200, content, 9);
            SCOPED_TRACE(testing::Message() << contentName(content) << " radius " << r);
            const std::vector<std::uint8_t> got = filterAll(p, r);
            for (int y = 0; y < p.height; y += (y < 2 || y > p.height - 3) ? 1 : 23)
                for (int x = 0; x < p.width; x += (x < 2 || x > p.width - 3) ? 1 : 29)
                    ASSERT_EQ(got[std::size_t(y) * p.width + x], referencePixel(p, r, x, y))
                        << "at x=" << x << " y=" << y;
        }
}

TEST(MedianKernel, HandPickedCases) {
    struct Case {
        const char* what;
        int width, height, radius;
        std::vector<std::uint8_t> input, expected;
    };
    const Case cases[] = {
        {"radius 0 copies the channel", 3, 2, 0, {9, 0, 255, 4, 4, 200}, {9, 0, 255, 4, 4, 200}},
        {"a single bright pixel in a dark area takes the dark value",
         3,
         3,
         1,
         {10, 10, 10, 10, 250, 10, 10, 10, 10},
         {10, 10, 10, 10, 10, 10, 10, 10, 10}},
        // Every window of a 2 x 2 picture is the whole picture: 4 values, second smallest.
        {"corner with radius 1 takes the second smallest of 4",
         2,
         2,
         1,
         {40, 10, 30, 20},
         {20, 20, 20, 20}},
        // Corners see 4 values (2nd smallest), edge centres 6 (3rd), the centre 9 (5th).
        {"3 x 3 with radius 1", 3, 3, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {2, 3, 3, 4, 5, 5, 5, 6, 6}},
        {"even count takes the lower middle", 2, 1, 5, {200, 100}, {100, 100}},
        {"column strip", 1, 5, 1, {5, 1, 9, 9, 0}, {1, 5, 9, 9, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> out(c.input.size(), 0xCD);
        medianRows({c.input.data(), c.width, 1}, c.width, c.height, c.radius,
                   {out.data(), c.width, 1}, 0, c.height);
        EXPECT_EQ(out, c.expected);
    }
}

// Reads the green byte of padded 24-bit BGR rows (and other layouts), writes grey pixels
// whose every byte is the median, and leaves padding alone.
TEST(MedianKernel, StridedViews) {
    struct Layout {
        const char* what;
        int inStep, inPad, outStep, outPad;
        bool bottomUp; // rows stored last row first, with a negative stride
    };
    const Layout layouts[] = {
        {"green byte of 24-bit rows into 24-bit rows", 3, 2, 3, 3, false},
        {"padded planes", 1, 5, 1, 7, false},
        {"bottom-up 24-bit input into 32-bit pixels", 3, 1, 4, 0, true},
    };
    const Picture p = makePicture(37, 23, Content::SmoothNoise, 11);
    constexpr std::uint8_t kPadding = 0xAB;
    for (const Layout& l : layouts)
        for (const int r : {1, 2, 4}) {
            SCOPED_TRACE(testing::Message() << l.what << " radius " << r);
            const std::ptrdiff_t inStride = std::ptrdiff_t{p.width} * l.inStep + l.inPad;
            std::vector<std::uint8_t> inBuf(std::size_t(inStride) * p.height, kPadding);
            const int channel = l.inStep == 3 ? 1 : 0; // green of blue, green, red
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x) {
                    const int storedRow = l.bottomUp ? p.height - 1 - y : y;
                    std::uint8_t* px = &inBuf[std::size_t(storedRow * inStride + x * l.inStep)];
                    for (int b = 0; b < l.inStep; ++b)
                        px[b] = static_cast<std::uint8_t>(255 - b);
                    px[channel] = p.at(x, y);
                }
            const std::uint8_t* inOrigin =
                (l.bottomUp ? inBuf.data() + (p.height - 1) * inStride : inBuf.data()) + channel;
            const ByteChannelIn in{inOrigin, l.bottomUp ? -inStride : inStride, l.inStep};

            const std::ptrdiff_t outStride = std::ptrdiff_t{p.width} * l.outStep + l.outPad;
            std::vector<std::uint8_t> outBuf(std::size_t(outStride) * p.height, kPadding);
            medianAllRows(in, p.width, p.height, r, {outBuf.data(), outStride, l.outStep});

            const std::vector<std::uint8_t> want = referenceMedian(p, r);
            for (int y = 0; y < p.height; ++y) {
                const std::uint8_t* row = outBuf.data() + y * outStride;
                for (int x = 0; x < p.width; ++x)
                    for (int b = 0; b < l.outStep; ++b)
                        ASSERT_EQ(row[x * l.outStep + b], want[std::size_t(y) * p.width + x])
                            << "x=" << x << " y=" << y << " byte " << b;
                for (int b = p.width * l.outStep; b < outStride; ++b)
                    ASSERT_EQ(row[b], kPadding) << "padding of row " << y;
            }
        }
}

// A band in the middle: its rows match the whole-picture result, rows outside are untouched,
// and the progress counter moves by exactly the band's rows.
TEST(MedianKernel, PartialRowRanges) {
    const Picture p = makePicture(41, 30, Content::Random, 13);
    struct Range {
        int begin, end;
    };
    const Range ranges[] = {{0, 1}, {1, 2}, {7, 19}, {28, 30}, {12, 12}};
    constexpr std::uint8_t kUntouched = 0xEE;
    for (const int r : {0, 1, 2, 3, 9, 40})
        for (const Range range : ranges) {
            SCOPED_TRACE(testing::Message()
                         << "radius " << r << " rows " << range.begin << ".." << range.end);
            const std::vector<std::uint8_t> whole = referenceMedian(p, r);
            std::vector<std::uint8_t> out(p.pixels.size(), kUntouched);
            std::atomic<std::int64_t> rowsDone{0};
            medianRows(p.in(), p.width, p.height, r, {out.data(), p.width, 1}, range.begin,
                       range.end, &rowsDone);
            EXPECT_EQ(rowsDone.load(), range.end - range.begin);
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x) {
                    const std::size_t i = std::size_t(y) * p.width + x;
                    const bool inside = y >= range.begin && y < range.end;
                    ASSERT_EQ(out[i], inside ? whole[i] : kUntouched) << "x=" << x << " y=" << y;
                }
        }
}

} // namespace
