#include "fuel_loop.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orvel::sim {
namespace {

EngineState cruising(int rpmPosition, int loadPosition) {
    EngineState e;
    e.coolantC = 90;
    e.rpm = 2700;
    e.rpmPosition = rpmPosition;
    e.loadPosition = loadPosition;
    e.throttle = loadPosition / 42.0;
    return e;
}

struct SettleCase {
    double factor;
    int loadPosition; // 0: idle target, 18: part load, 42: full load
};

// Held in one cell, the trims settle where the engine's need is met: their
// mean is the error, within the reported whole per cent's dither.
TEST(FuelLoop, TheTrimsSettleOnTheCellsFuelError) {
    for (const SettleCase c : {SettleCase{1.10, 18}, SettleCase{0.92, 18}, SettleCase{1.10, 0},
                               SettleCase{0.92, 42}, SettleCase{1.0, 42}}) {
        const ModuleConfig config = defaultConfig();
        FuelError error = noFuelError();
        const int row = c.loadPosition == 0 ? 1 : 3; // idle at 900, not coasting
        const int cell = row * 8 + c.loadPosition / 6;
        error.factors[static_cast<std::size_t>(cell)] = c.factor;
        FuelLoop loop(config, error);
        EngineState e = cruising(row * 6, c.loadPosition);
        e.rpm = row == 1 ? 900 : 2700;
        double sum = 0;
        int lastLong = 0;
        for (int i = 0; i < 600; ++i) {
            const LoopReading r = loop.step(e, config, 0.2);
            if (i >= 300) {
                sum += r.shortTrim + r.longTrim;
            }
            lastLong = r.longTrim;
        }
        EXPECT_NEAR(sum / 300, (c.factor - 1) * 100, 0.5) << c.factor << " " << c.loadPosition;
        EXPECT_NEAR(lastLong, (c.factor - 1) * 100, 3) << "the long trim learns the error";
    }
}

TEST(FuelLoop, CutsInjectionOnAClosedThrottleAboveTheCutOff) {
    const ModuleConfig config = defaultConfig(); // off above 2200, back below 1500
    FuelLoop loop(config, noFuelError());
    EngineState e = cruising(18, 0);
    e.rpm = 3000;
    EXPECT_EQ(loop.step(e, config, 0.2).injectionMs, 0);
    e.rpm = 1800;
    EXPECT_EQ(loop.step(e, config, 0.2).injectionMs, 0);
    e.rpm = 1400;
    EXPECT_GT(loop.step(e, config, 0.2).injectionMs, 0);
}

TEST(FuelLoop, ReadsSeventyTwoFactorsInTheMapFilesStyle) {
    std::string text = "1,1;0,92";
    for (int i = 2; i < 72; ++i) {
        text += i % 8 == 0 ? "\r\n1" : ";1";
    }
    const FuelFactors f = parseFuelFactors(text);
    EXPECT_DOUBLE_EQ(f[0], 1.1);
    EXPECT_DOUBLE_EQ(f[1], 0.92);
    EXPECT_DOUBLE_EQ(f[71], 1);
    EXPECT_THROW((void)parseFuelFactors("1;1"), std::invalid_argument);
    EXPECT_THROW((void)parseFuelFactors(text + ";1"), std::invalid_argument);
    EXPECT_THROW((void)parseFuelFactors("x" + text.substr(1)), std::invalid_argument);
}

} // namespace
} // namespace orvel::sim
