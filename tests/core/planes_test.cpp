#include "base/errors.h"
#include "document/planes.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace fringel {
namespace {

// A 4 x 3 plane whose sample at (x, y) is 10 * y + x + 1, so every sample is told apart.
class NumberedPlane : public ::testing::Test {
protected:
    NumberedPlane() : plane(4, 3) {
        for (std::int64_t y = 0; y < 3; ++y)
            for (std::int64_t x = 0; x < 4; ++x)
                plane.at(x, y) = numbered(x, y);
    }
    static float numbered(std::int64_t x, std::int64_t y) {
        return static_cast<float>(10 * y + x + 1);
    }
    Plane plane;
};

struct MissCase {
    std::int64_t x;
    std::int64_t y;
    std::int64_t index;  // the index the error reports
    std::int64_t length; // the length of the dimension that was missed
};

class PlaneMiss : public ::testing::TestWithParam<MissCase> {};

TEST_P(PlaneMiss, ReportsTheIndexAndLengthOfTheMissedDimension) {
    const MissCase& c = GetParam();
    Plane plane(4, 3);
    const Plane& constPlane = plane;
    for (int pass = 0; pass < 2; ++pass) {
        try {
            if (pass == 0)
                plane.at(c.x, c.y) = 1;
            else
                (void)constPlane.at(c.x, c.y);
            FAIL() << "no error at (" << c.x << ", " << c.y << ")";
        } catch (const DynArrayOutOfRange& e) {
            EXPECT_EQ(e.index(), c.index);
            EXPECT_EQ(e.length(), c.length);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Points, PlaneMiss,
                         ::testing::Values(MissCase{4, 0, 4, 4}, MissCase{-1, 0, -1, 4},
                                           MissCase{0, 3, 3, 3}, MissCase{0, -1, -1, 3},
                                           MissCase{3, 3, 3, 3}, MissCase{100, 100, 100, 4},
                                           MissCase{12, 0, 12, 4}));

TEST(Plane, EmptyPlaneRefusesEveryPoint) {
    Plane empty;
    EXPECT_EQ(empty.width(), 0);
    EXPECT_EQ(empty.height(), 0);
    try {
        (void)empty.at(0, 0);
        FAIL() << "no error";
    } catch (const DynArrayOutOfRange& e) {
        EXPECT_EQ(e.index(), 0);
        EXPECT_EQ(e.length(), 0);
    }
}

TEST_F(NumberedPlane, LastColumnAndRowAreReachable) {
    EXPECT_EQ(plane.at(3, 0), numbered(3, 0));
    EXPECT_EQ(plane.at(0, 2), numbered(0, 2));
    EXPECT_EQ(plane.at(3, 2), numbered(3, 2));
}

TEST_F(NumberedPlane, RowsHoldTheSamplesOfOneRowLeftToRight) {
    for (std::int32_t y = 0; y < 3; ++y)
        for (std::int32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(plane.row(y) + x, &plane.at(x, y)) << x << "," << y;
            EXPECT_EQ(plane.row(y)[x], numbered(x, y));
        }
    const Plane& constPlane = plane;
    EXPECT_EQ(constPlane.row(2), plane.row(2));
}

TEST_F(NumberedPlane, GrowingKeepsSamplesInPlaceAndZeroFillsNewOnes) {
    plane.resize(6, 5);
    ASSERT_EQ(plane.width(), 6);
    ASSERT_EQ(plane.height(), 5);
    for (std::int64_t y = 0; y < 5; ++y)
        for (std::int64_t x = 0; x < 6; ++x) {
            const float expected = (x < 4 && y < 3) ? numbered(x, y) : 0.0f;
            EXPECT_EQ(plane.at(x, y), expected) << x << "," << y;
        }
}

TEST_F(NumberedPlane, ShrinkingKeepsTheTopLeftPart) {
    plane.resize(2, 2);
    ASSERT_EQ(plane.width(), 2);
    ASSERT_EQ(plane.height(), 2);
    for (std::int64_t y = 0; y < 2; ++y)
        for (std::int64_t x = 0; x < 2; ++x)
            EXPECT_EQ(plane.at(x, y), numbered(x, y));
    EXPECT_THROW(plane.at(2, 0), DynArrayOutOfRange);
}

TEST_F(NumberedPlane, NarrowerButTallerMovesEveryRowToItsNewPlace) {
    plane.resize(3, 4);
    for (std::int64_t y = 0; y < 4; ++y)
        for (std::int64_t x = 0; x < 3; ++x) {
            const float expected = y < 3 ? numbered(x, y) : 0.0f;
            EXPECT_EQ(plane.at(x, y), expected) << x << "," << y;
        }
}

TEST_F(NumberedPlane, ResizingToNothingAndBackLeavesZeros) {
    plane.resize(0, 3);
    EXPECT_THROW(plane.at(0, 0), DynArrayOutOfRange);
    plane.resize(4, 3);
    for (std::int64_t y = 0; y < 3; ++y)
        for (std::int64_t x = 0; x < 4; ++x)
            EXPECT_EQ(plane.at(x, y), 0.0f);
}

TEST_F(NumberedPlane, SizeBeyondTheLimitsIsRefusedAndChangesNothing) {
    EXPECT_THROW(plane.resize(-1, 3), FringelError);
    EXPECT_THROW(plane.resize(1 << 20, 1 << 20), FringelError);
    EXPECT_THROW(Plane(4, -2), FringelError);
    ASSERT_EQ(plane.width(), 4);
    ASSERT_EQ(plane.height(), 3);
    EXPECT_EQ(plane.at(3, 2), numbered(3, 2));
}

TEST_F(NumberedPlane, CopiesShareSamples) {
    Plane copy = plane;
    EXPECT_TRUE(copy.sharesWith(plane));
    copy.at(1, 1) = -5;
    EXPECT_EQ(plane.at(1, 1), -5);
}

TEST_F(NumberedPlane, ResizingACopyLeavesTheOriginal) {
    Plane copy = plane;
    copy.resize(5, 3);
    copy.at(0, 0) = -1;
    EXPECT_FALSE(copy.sharesWith(plane));
    ASSERT_EQ(plane.width(), 4);
    EXPECT_EQ(plane.at(0, 0), numbered(0, 0));
    EXPECT_EQ(copy.at(3, 2), numbered(3, 2));
}

TEST(Planes, LayersOfChannelsAreCheckedAtEveryLevel) {
    Planes planes(2);
    planes[1].setLength(3);
    planes[1][2] = Plane(2, 2);
    planes[1][2].at(1, 1) = 4.5f;
    EXPECT_EQ(planes[1][2].at(1, 1), 4.5f);
    EXPECT_THROW(planes[2], DynArrayOutOfRange);
    EXPECT_THROW(planes[0][0], DynArrayOutOfRange);
    EXPECT_THROW(planes[1][3], DynArrayOutOfRange);
    EXPECT_THROW(planes[1][0].at(0, 0), DynArrayOutOfRange);
}

} // namespace
} // namespace fringel
