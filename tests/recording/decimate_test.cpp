#include "recording/decimate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace orvel::recording {

void PrintTo(const PlotPoint& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}

namespace {

struct Case {
    std::string name;
    std::vector<double> times;
    std::vector<float> values;
    double from;
    double to;
    int columns;
    std::vector<PlotPoint> expected;
};

const std::vector<double> kEight{0, 1, 2, 3, 4, 5, 6, 7};
const std::vector<float> kPi{3, 1, 4, 1, 5, 9, 2, 6};
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const std::vector<float> kGaps{kNaN, 1, 4, kNaN, kNaN, 9, 2, 6};

class DecimateTest : public ::testing::TestWithParam<Case> {};

TEST_P(DecimateTest, KeepsWhatTheColumnsCanShow) {
    const Case& c = GetParam();
    std::vector<PlotPoint> out{{99, 99}}; // reused buffers start over
    decimateMinMax(c.times, c.values, c.from, c.to, c.columns, out);
    EXPECT_EQ(out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecimateTest,
    ::testing::Values(
        // Per column its minimum and maximum, in the order they occur.
        Case{"MinAndMaxInTimeOrder", kEight, kPi, 0, 7, 2, {{1, 1}, {2, 4}, {5, 9}, {6, 2}}},
        // The samples just outside the range carry the line to the edges.
        Case{"NeighboursOutsideTheRange",
             kEight,
             kPi,
             1,
             6,
             2,
             {{0, 3}, {1, 1}, {2, 4}, {5, 9}, {6, 2}, {7, 6}}},
        Case{"FewSamplesAreAllKept", kEight, kPi, 2.5, 4.5, 10, {{2, 4}, {3, 1}, {4, 5}, {5, 9}}},
        Case{"ARangeBetweenTwoSamples", {0, 10}, {1, 2}, 2, 3, 100, {{0, 1}, {10, 2}}},
        Case{"NoWidthNoPoints", kEight, kPi, 3, 3, 100, {}},
        Case{"NoColumnsNoPoints", kEight, kPi, 0, 7, 0, {}},
        Case{"NoSamplesNoPoints", {}, {}, 0, 7, 100, {}},
        // Unknown samples break the line once, in either mode, and start no line.
        Case{"GapsBreakTheLineWhenAllAreKept",
             kEight,
             kGaps,
             0,
             7,
             10,
             {{1, 1}, {2, 4}, {3, kNaN}, {5, 9}, {6, 2}, {7, 6}}},
        Case{"GapsBreakTheLineBetweenColumns",
             kEight,
             kGaps,
             0,
             7,
             2,
             {{1, 1}, {2, 4}, {3, kNaN}, {5, 9}, {6, 2}}},
        Case{"AllUnknownNoPoints", kEight, std::vector<float>(8, kNaN), 0, 7, 2, {}}),
    [](const auto& param) { return param.param.name; });

TEST(DecimateLongTest, ASingleSpikeSurvivesAndTheOutputFitsTheColumns) {
    std::vector<double> times(180'000);
    std::vector<float> values(times.size(), 1.0F);
    for (std::size_t i = 0; i < times.size(); ++i) {
        times[i] = static_cast<double>(i) * 0.2;
    }
    values[123'457] = 50;
    values[170'001] = -7;
    std::vector<PlotPoint> out;
    decimateMinMax(times, values, 0, times.back(), 700, out);
    EXPECT_LE(out.size(), 2U * 701);
    EXPECT_TRUE(std::is_sorted(out.begin(), out.end(),
                               [](const auto& a, const auto& b) { return a.x < b.x; }));
    const auto [low, high] = std::minmax_element(
        out.begin(), out.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
    EXPECT_EQ(high->y, 50);
    EXPECT_EQ(low->y, -7);
}

} // namespace
} // namespace orvel::recording
