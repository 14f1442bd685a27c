#include "base/errors.h"
#include "core/recording_host.h"
#include "energy/fun_find_sum.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

using namespace fringel;
using fringel::test::RecordingHost;

namespace {

// A w x h plane holding f(x, y).
template <typename F> Plane makePlane(int w, int h, F f) {
    Plane p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.at(x, y) = static_cast<float>(f(x, y));
    return p;
}

// A cone of height 100 falling by `slope` per pixel of distance from (cx, cy).
Plane cone(int w, int h, int cx, int cy, double slope = 5.0) {
    return makePlane(w, h, [&](int x, int y) {
        return std::max(0.0, 100.0 - slope * std::hypot(x - cx, y - cy));
    });
}

funFindSum startAt(int x, int y, int range = 25) {
    funFindSum r;
    r.peakX = x;
    r.peakY = y;
    r.range = range;
    return r;
}

} // namespace

TEST(MeasurementGeometry, FitsInImageAndInsideDisc) {
    const Plane p(10, 8);
    EXPECT_TRUE(fitsInImage(p, 5, 4, 3));
    EXPECT_FALSE(fitsInImage(p, 5, 4, 4)); // y + 4 = 8 is not below H
    EXPECT_TRUE(fitsInImage(p, 0, 0, 0));
    EXPECT_FALSE(fitsInImage(p, 2, 4, 3));  // x - 3 < 0
    EXPECT_TRUE(insideDisc(3, 4, 6, 0, 0)); // distance 5
    EXPECT_FALSE(insideDisc(3, 4, 5, 0, 0));
    EXPECT_FALSE(insideDisc(0, 0, 0, 0, 0));
    EXPECT_FALSE(insideDisc(0, 0, -3, 0, 0));
    EXPECT_TRUE(insideDisc(1, 1, 2, 0, 0)); // distance 1.41 truncates to 1
}

TEST(ClampRange, KeepsOnePixelOffEveryEdge) {
    const Plane p(100, 80);
    struct Case {
        int range, x, y, expected;
    };
    const Case cases[] = {
        {200, 30, 40, 29}, {25, 50, 40, 25}, {25, 90, 40, 9}, {25, 50, 75, 4},
        {25, 1, 40, 0},    {25, 0, 40, -1},  {25, 2, 2, 1},   {25, 99, 40, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(clampRange(c.range, c.x, c.y, p), c.expected) << c.x;
}

TEST(FindPeak, QuickClimbsInStepsOfTwoAndNeverLooksAtDistanceOne) {
    RecordingHost host;
    // A ridge rising to the right along row 20; its top at x = 31 is one step off the even
    // grid the climb walks from x = 20, so the climb stops at x = 30.
    const Plane p =
        makePlane(60, 40, [](int x, int y) { return (y == 20 ? 100.0 : 0.0) - std::abs(x - 31); });
    funFindSum r = startAt(20, 20);
    ASSERT_TRUE(findPeak(r, p, kQuickMethod, 20, host));
    EXPECT_EQ(r.peakX, 30);
    EXPECT_EQ(r.peakY, 20);
    EXPECT_EQ(r.peakValue, 99.0f);
}

TEST(FindPeak, QuickWidensAroundALocalMaximumAndGivesUpAtTheBorder) {
    RecordingHost host;
    // A local maximum at (20, 20) with darker surroundings and a brighter point 6 to the right.
    Plane p = makePlane(60, 40, [](int x, int y) { return (x == 20 && y == 20) ? 5.0 : 0.0; });
    p.at(26, 20) = 9;
    funFindSum r = startAt(20, 20);
    ASSERT_TRUE(findPeak(r, p, kQuickMethod, 20, host));
    EXPECT_EQ(r.peakX, 26);
    EXPECT_EQ(r.peakValue, 9.0f);

    // Nothing brighter anywhere: the widening reaches the border.
    p.at(26, 20) = 0;
    funFindSum lost = startAt(20, 20);
    EXPECT_FALSE(findPeak(lost, p, kQuickMethod, 20, host));
    EXPECT_EQ(host.logLines, std::vector<std::string>{"!!! OutOfImg !!!"});
}

TEST(FindPeak, QuickTakesTheLastBrighterPointOfAPass) {
    RecordingHost host;
    Plane p(40, 40);
    p.at(20, 20) = 1;
    p.at(22, 20) = 50; // +x, brighter but earlier in the order
    p.at(18, 20) = 10; // -x, later: it wins
    funFindSum r = startAt(20, 20);
    ASSERT_TRUE(findPeak(r, p, kQuickMethod, 20, host));
    EXPECT_EQ(r.peakX, 18);
    EXPECT_EQ(r.peakY, 20);
}

TEST(FindPeak, FineTakesTheLastLargestValueAndCentresOnTheBrightCore) {
    RecordingHost host;
    // Two equal maxima: the larger x wins; the start's row and column are left out.
    Plane p(60, 60);
    p.at(25, 27) = 80;
    p.at(33, 27) = 80;
    p.at(30, 30) = 500; // the start itself does not count
    p.at(30, 35) = 500; // nor does its column
    funFindSum r = startAt(30, 30, 10);
    ASSERT_TRUE(findPeak(r, p, kFineMethod, 99, host));
    EXPECT_EQ(r.peakValue, 80.0f);
    // The centring square around (33, 27) has no disc test and leaves out only the maximum's
    // own row and column: the two bright pixels at x = 30 are what reaches 99 %.
    EXPECT_EQ(r.peakX, 30);
    EXPECT_EQ(r.peakY, 32);
}

TEST(FindPeak, FineCentroidFollowsTheFineTuningLevel) {
    RecordingHost host;
    const Plane p = cone(80, 80, 40, 40);
    for (const int level : {1, 50, 99}) {
        funFindSum r = startAt(37, 38, 10);
        ASSERT_TRUE(findPeak(r, p, kFineMethod, level, host)) << level;
        EXPECT_NEAR(r.peakX, 40, 1) << level;
        EXPECT_NEAR(r.peakY, 40, 1) << level;
    }
}

TEST(FindPeak, FineAtTheBorderFindsNothingAndReportsTheClampedRange) {
    RecordingHost host;
    const Plane p = cone(50, 50, 2, 20);
    funFindSum r = startAt(2, 20, 200);
    std::int32_t shown = -99;
    EXPECT_FALSE(findPeak(r, p, kFineMethod, 20, host, [&](std::int32_t v) { shown = v; }));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(r.range, 1);
}

TEST(FindPeak, FineSquareReachingOverTheEdgeRaisesOutOfRange) {
    RecordingHost host;
    Plane p(50, 50);
    p.at(3, 21) = 10; // the maximum lies next to the left edge
    funFindSum r = startAt(10, 20, 9);
    EXPECT_THROW(findPeak(r, p, kFineMethod, 20, host), DynArrayOutOfRange);
}

TEST(FindPeak, GaussFitsCentreAndWidthAndItsRadiusFollowsTheLevel) {
    RecordingHost host;
    // A Gaussian of height 100, standard deviation 3, centred between pixels.
    const Plane p = makePlane(80, 60, [](int x, int y) {
        const double dx = x - 40.3, dy = y - 30.8;
        return 100.0 * std::exp(-(dx * dx + dy * dy) / (2 * 3.0 * 3.0));
    });
    funFindSum r = startAt(37, 28, 12);
    ASSERT_TRUE(findPeak(r, p, kGaussMethod, 20, host));
    EXPECT_EQ(r.peakX, 40);
    EXPECT_EQ(r.peakY, 31);
    EXPECT_NEAR(r.gaussWidth, 3.0, 0.05);
    // Level 20 (2 % of the peak): 3 x sqrt(2 ln 50) = 8.4 pixels.
    findRadii(r, p, kGaussMethod, 20, host);
    EXPECT_EQ(r.innerRadius, 8);
    EXPECT_EQ(r.outerRadius, 11);
    EXPECT_TRUE(host.messages.empty());

    // Nothing above 0 in the disc: nothing found, as with Fine.
    const Plane dark = makePlane(80, 60, [](int, int) { return -1.0; });
    funFindSum none = startAt(37, 28, 12);
    EXPECT_FALSE(findPeak(none, dark, kGaussMethod, 20, host));
}

TEST(FindPeak, NoMethodKeepsTheStart) {
    RecordingHost host;
    const Plane p = cone(50, 50, 25, 25);
    funFindSum none = startAt(20, 22);
    none.peakValue = -5;
    EXPECT_TRUE(findPeak(none, p, -1, 20, host));
    EXPECT_EQ(none.peakX, 20);
    EXPECT_EQ(none.peakY, 22);
    EXPECT_EQ(none.peakValue, -5.0f);
}

TEST(FindRadii, QuickAveragesTheEdgeDistancesRoundingHalfUp) {
    struct Case {
        int plusX, minusX, plusY, minusY, r, outer;
    };
    const Case cases[] = {
        {10, 10, 10, 10, 10, 14},
        {3, 4, 4, 4, 4, 5},
        {3, 3, 4, 4, 4, 5},
        {3, 3, 3, 4, 3, 4},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        // A cross of ones whose arms end at the given distances.
        const Plane p = makePlane(60, 60, [&](int x, int y) {
            const int dx = x - 30, dy = y - 30;
            if (dy == 0 && dx >= 0) return dx <= c.plusX ? 1.0 : 0.0;
            if (dy == 0 && dx < 0) return -dx <= c.minusX ? 1.0 : 0.0;
            if (dx == 0 && dy > 0) return dy <= c.plusY ? 1.0 : 0.0;
            if (dx == 0 && dy < 0) return -dy <= c.minusY ? 1.0 : 0.0;
            return 0.0;
        });
        funFindSum r = startAt(30, 30);
        r.peakValue = 1;
        findRadii(r, p, kQuickMethod, 20, host);
        EXPECT_EQ(r.innerRadius, c.r) << c.plusX << c.minusX << c.plusY << c.minusY;
        EXPECT_EQ(r.outerRadius, c.outer);
        EXPECT_TRUE(host.messages.empty());
    }
}

TEST(FindRadii, QuickOnANegativePeakGivesZeroAndWarnsWhenTheRingLeavesThePlane) {
    RecordingHost host;
    const Plane negative = makePlane(40, 40, [](int, int) { return -1.0; });
    funFindSum r = startAt(20, 20);
    r.peakValue = -1;
    findRadii(r, negative, kQuickMethod, 20, host);
    EXPECT_EQ(r.innerRadius, 0);
    EXPECT_EQ(r.outerRadius, 0);

    const Plane wide = makePlane(40, 40, [](int, int) { return 1.0; });
    funFindSum nearEdge = startAt(5, 20);
    nearEdge.peakValue = 1;
    findRadii(nearEdge, wide, kQuickMethod, 20, host);
    EXPECT_EQ(host.messages, std::vector<std::string>{kRadiusTooLargeMessage});
}

TEST(FindRadii, FineStartsAtHalfTheRangeAndStopsWhereTheRingFallsBelowTheLevel) {
    RecordingHost host;
    const Plane p = cone(200, 200, 100, 100, 2.0); // falls to 2 % (level 20) at 49 pixels
    funFindSum r = startAt(100, 100, 25);
    r.peakValue = 100;
    findRadii(r, p, kFineMethod, 20, host);
    EXPECT_EQ(r.innerRadius, 49);
    EXPECT_EQ(r.outerRadius, 69);

    funFindSum small = startAt(100, 100, 25);
    small.peakValue = 1e-6f; // every ring is above the level: the first ring, 12, stands
    Plane flat = makePlane(200, 200, [](int x, int) { return 1.0 + x * 1e-3; });
    findRadii(small, flat, kFineMethod, 20, host);
    EXPECT_EQ(host.logLines, std::vector<std::string>{});
    EXPECT_GE(small.innerRadius, 12);
}

TEST(FindRadii, FineRingThatNoLongerFitsKeepsTheRadii) {
    RecordingHost host;
    const Plane p = makePlane(40, 40, [](int, int) { return 1.0; });
    funFindSum r = startAt(20, 20, 25);
    r.peakValue = 1;
    r.innerRadius = 7;
    r.outerRadius = 9;
    findRadii(r, p, kFineMethod, 20, host); // flat: never below the level, rings grow out
    EXPECT_EQ(host.logLines,
              std::vector<std::string>{"Indexes out of Array dimentions. Nothig found"});
    EXPECT_EQ(r.innerRadius, 7);
    EXPECT_EQ(r.outerRadius, 9);
}

TEST(SumEnergy, DiscMinusRingAndTheNoisePercentage) {
    RecordingHost host;
    const Plane ones = makePlane(30, 30, [](int, int) { return 1.0; });
    funFindSum r = startAt(15, 15);
    r.innerRadius = 2; // 9 pixels with d^2 < 4
    r.outerRadius = 3; // 25 pixels with d^2 < 9
    const EnergySums sums = sumEnergy(r, ones, host);
    EXPECT_TRUE(sums.fitted);
    EXPECT_EQ(r.energyNoise, 16.0f);
    EXPECT_EQ(sums.energy, -7.0f);
    ASSERT_TRUE(sums.noisePercent);
    EXPECT_DOUBLE_EQ(*sums.noisePercent, 100.0 * 16 / 9);

    funFindSum dark = startAt(15, 15);
    dark.innerRadius = 0;
    dark.outerRadius = 3;
    EXPECT_FALSE(sumEnergy(dark, ones, host).noisePercent);

    funFindSum edge = startAt(2, 15);
    edge.innerRadius = 2;
    edge.outerRadius = 3;
    const EnergySums outside = sumEnergy(edge, ones, host);
    EXPECT_FALSE(outside.fitted);
    EXPECT_EQ(outside.energy, 0.0f);
    EXPECT_EQ(host.messages, std::vector<std::string>{kRadiusTooLargeMessage});
}

TEST(ReadDiode, AveragesAndPaintsTheOddSquare) {
    const Plane p = makePlane(40, 40, [](int x, int y) { return x + 100.0 * y; });
    for (const int size : {10, 11}) {
        funFindSum r = startAt(20, 20);
        r.diodeSize = size;
        std::set<std::pair<int, int>> painted;
        readDiode(r, p, [&](int x, int y) { painted.insert({x, y}); });
        EXPECT_EQ(painted.size(), 121u) << size;
        EXPECT_EQ(painted.begin()->first, 15);
        EXPECT_EQ(painted.rbegin()->second, 25);
        EXPECT_FLOAT_EQ(r.diodeReading, 20 + 100.0f * 20);
    }
    funFindSum border = startAt(2, 20);
    border.diodeSize = 10;
    EXPECT_THROW(readDiode(border, p), DynArrayOutOfRange);
}
