#include "engine_model.h"

#include <gtest/gtest.h>

#include <chrono>

namespace orvel::sim {
namespace {

using namespace std::chrono_literals;

// What the program derives from a scanner set.
struct Seen {
    int rpm;
    int cell;
    double injectionMs;
    int advance;
};

Seen programView(const std::array<Data, 3>& f, int cylinders) {
    const int period = f[1][5] | f[1][6] << 8;
    const int row = static_cast<std::int8_t>(f[1][1]) / 6;
    const int column = f[0][7] / 6;
    return {period > 0 ? 4'800'000 / cylinders / period : 0, row * 8 + column,
            ((f[1][2] | f[1][3] << 8) >> 2) / 10.0, f[1][0]};
}

// A configuration whose every cell names itself, so a frame tells which cell it used.
ModuleConfig numberedCells(std::uint8_t cylinders) {
    ModuleConfig c = defaultConfig();
    for (std::size_t n = 0; n < 72; ++n) {
        c.ignition[n] = static_cast<std::uint8_t>(n);
        c.injection[n] = static_cast<std::uint8_t>(100 + n);
    }
    c.cylinders = cylinders;
    return c;
}

TEST(EngineModel, FramesAgreeWithTheCellTheEngineIsIn) {
    for (const int cylinders : {4, 6, 8}) {
        const ModuleConfig c = numberedCells(static_cast<std::uint8_t>(cylinders));
        EngineModel engine;
        for (auto t = 0ms; t < 40s; t += 700ms) {
            const EngineState e = engine.at(t, c);
            const Seen seen = programView(scannerFrames(e, c), cylinders);
            EXPECT_NEAR(seen.rpm, e.rpm, e.rpm / 100 + 1) << "t=" << t.count();
            EXPECT_EQ(seen.advance, seen.cell);
            EXPECT_DOUBLE_EQ(seen.injectionMs, (100 + seen.cell) / 10.0);
        }
    }
}

TEST(EngineModel, IdlesSweepsToSixThousandAndComesBack) {
    const ModuleConfig c = defaultConfig();
    EngineModel engine;
    int lowest = 100000;
    int highest = 0;
    int lowLambda = 1000;
    int highLambda = 0;
    for (auto t = 0ms; t < 40s; t += 50ms) {
        const EngineState e = engine.at(t, c);
        lowest = std::min(lowest, e.rpm);
        highest = std::max(highest, e.rpm);
        lowLambda = std::min(lowLambda, e.lambdaMv);
        highLambda = std::max(highLambda, e.lambdaMv);
        EXPECT_TRUE(e.pump);
        EXPECT_GE(e.loadPosition, 0);
        EXPECT_LE(e.loadPosition, 42);
    }
    EXPECT_NEAR(lowest, 900, 30);
    EXPECT_NEAR(highest, 6000, 30);
    EXPECT_LE(lowLambda, 110);
    EXPECT_GE(highLambda, 890);
}

TEST(EngineModel, WarmsFromTwentyToNinetyOverThreeMinutes) {
    const ModuleConfig c = defaultConfig();
    EngineModel engine;
    EXPECT_DOUBLE_EQ(engine.at(0s, c).coolantC, 20);
    EXPECT_DOUBLE_EQ(engine.at(90s, c).coolantC, 55);
    EXPECT_DOUBLE_EQ(engine.at(300s, c).coolantC, 90);
}

TEST(EngineModel, FanSwitchesOnAboveAndOffBelowTheConfiguredTemperatures) {
    const ModuleConfig c = defaultConfig(); // on above 87, off below 80
    EngineModel engine;
    const auto fanAt = [&](double coolant) {
        engine.setCoolant(coolant, 0s);
        return engine.at(0s, c).fan;
    };
    EXPECT_FALSE(fanAt(86));
    EXPECT_TRUE(fanAt(88));
    EXPECT_TRUE(fanAt(81));
    EXPECT_FALSE(fanAt(79));
    EXPECT_FALSE(fanAt(84));
}

TEST(EngineModel, AStoppedEngineSendsPeriodZeroAndThePumpOff) {
    const ModuleConfig c = defaultConfig();
    EngineModel engine;
    engine.setRunning(false);
    const auto f = scannerFrames(engine.at(1s, c), c);
    EXPECT_EQ(f[1][5], 0);
    EXPECT_EQ(f[1][6], 0);
    EXPECT_EQ(f[1][7], 0);
}

TEST(EngineModel, AFixedThrottleCountIsSentAsIs) {
    const ModuleConfig c = defaultConfig();
    EngineModel engine;
    engine.setThrottleCount(512);
    const auto f = scannerFrames(engine.at(1s, c), c);
    EXPECT_EQ(f[0][4], 0x00);
    EXPECT_EQ(f[0][5], 0x02);
}

struct PositionCase {
    int rpm;
    int position;
};

class RpmPosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(RpmPosition, HasSixStepsBetweenRows) {
    EXPECT_EQ(rpmPositionOf(GetParam().rpm), GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(Rows, RpmPosition,
                         ::testing::Values(PositionCase{0, 0}, PositionCase{500, 0},
                                           PositionCase{899, 5}, PositionCase{900, 6},
                                           PositionCase{1350, 9}, PositionCase{7199, 47},
                                           PositionCase{7200, 48}, PositionCase{9000, 48}));

} // namespace
} // namespace orvel::sim
