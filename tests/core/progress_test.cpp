#include "base/progress.h"
#include "recording_host.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace fringel {
namespace {

using test::RecordingHost;
using Kind = RecordingHost::ProgressKind;

struct MaximumCase {
    int barWidth;
    std::int64_t units;
    int maximum;
};

class PixelProgressMaximum : public ::testing::TestWithParam<MaximumCase> {};

TEST_P(PixelProgressMaximum, IsUnitsPerPixelAndPositionStartsAtZero) {
    RecordingHost host;
    host.barWidth = GetParam().barWidth;
    {
        PixelProgress progress(host, GetParam().units);
        EXPECT_EQ(host.values(Kind::Maximum), std::vector<int>{GetParam().maximum});
        EXPECT_EQ(host.progressPosition(), 0);
    }
    EXPECT_EQ(host.progressPosition(), 0);
}

// A bar of width 0 (not shown yet) or less counts as one pixel wide.
INSTANTIATE_TEST_SUITE_P(
    Widths, PixelProgressMaximum,
    ::testing::Values(MaximumCase{10, 1000, 100}, MaximumCase{200, 640, 3}, MaximumCase{7, 6, 0},
                      MaximumCase{1, 480, 480}, MaximumCase{0, 480, 480}, MaximumCase{-5, 480, 480},
                      MaximumCase{1, std::int64_t{1} << 40, std::numeric_limits<int>::max()}));

class PixelProgressSteps : public ::testing::Test {
protected:
    PixelProgressSteps() { host.barWidth = 10; }

    // The positions set since the constructor ran.
    std::vector<int> positionsAfterStart() const {
        std::vector<int> all = host.values(Kind::Position);
        return std::vector<int>(all.begin() + static_cast<std::ptrdiff_t>(startCalls), all.end());
    }

    RecordingHost host;
    std::size_t startCalls = 0;
};

TEST_F(PixelProgressSteps, RaisesThePositionOnlyWhenMoreThanOneStepAhead) {
    PixelProgress progress(host, 1000);
    startCalls = host.values(Kind::Position).size();

    for (std::int64_t done = 0; done <= 1000; done += 5)
        progress.update(done);

    // Steps of one pixel are never shown one by one: from 0 the bar jumps to 2, then 4, ...
    std::vector<int> expected;
    for (int step = 2; step <= 100; step += 2)
        expected.push_back(step);
    EXPECT_EQ(positionsAfterStart(), expected);
}

TEST_F(PixelProgressSteps, JumpsStraightToAStepFarAhead) {
    PixelProgress progress(host, 1000);
    startCalls = host.values(Kind::Position).size();
    progress.update(10); // one step ahead: not shown
    progress.update(735);
    EXPECT_EQ(positionsAfterStart(), std::vector<int>{73});
}

TEST_F(PixelProgressSteps, NeverMovesBack) {
    PixelProgress progress(host, 1000);
    startCalls = host.values(Kind::Position).size();
    progress.update(500);
    progress.update(100);
    progress.update(0);
    EXPECT_EQ(positionsAfterStart(), std::vector<int>{50});
}

TEST_F(PixelProgressSteps, PutsThePositionBackToZeroAtTheEnd) {
    {
        PixelProgress progress(host, 1000);
        progress.update(1000);
        ASSERT_EQ(host.progressPosition(), 100);
    }
    ASSERT_FALSE(host.progressCalls.empty());
    EXPECT_EQ(host.progressCalls.back(), (RecordingHost::ProgressCall{Kind::Position, 0}));
    EXPECT_EQ(host.progressPosition(), 0);
}

TEST_F(PixelProgressSteps, PutsThePositionBackToZeroWhenTheLoopFails) {
    try {
        PixelProgress progress(host, 1000);
        progress.update(600);
        throw std::runtime_error("loop failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(host.progressPosition(), 0);
}

} // namespace
} // namespace fringel
