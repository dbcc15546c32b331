#include "core/errors.h"
#include "tools/map_arithmetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace orvel::maparith {
namespace {

struct InjectionShiftCase {
    double cell, whole, column, row, expected;
};

TEST(MapArithmetic, InjectionShiftsAddTheirPercentagesBeforeScaling) {
    const InjectionShiftCase cases[] = {
        {8, 0, 0, 0, 8},      {8, 50, 0, 0, 12},    {8, -100, 0, 0, 0}, {8, -150, 0, 0, -4},
        {8, 10, 5, -3, 8.96}, {10, 0, 10, 5, 11.5}, {10, 0, 10, 0, 11}, {10, 0, 0, 5, 10.5},
        {3.5, 0, 0, 0, 3.5},  {-2, 20, 0, 0, -2.4},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(scaledInjection(c.cell, c.whole, c.column, c.row), c.expected, 1e-12)
            << c.cell << " " << c.whole << " " << c.column << " " << c.row;
    }
}

TEST(MapArithmetic, IgnitionShiftsAddDegrees) {
    EXPECT_DOUBLE_EQ(shiftedIgnition(6, -5, 0, 0), 1);
    EXPECT_DOUBLE_EQ(shiftedIgnition(10, 2.5, 0, 0), 12.5);
    EXPECT_DOUBLE_EQ(shiftedIgnition(10, 1, 2, 3), 16);
    EXPECT_DOUBLE_EQ(shiftedIgnition(33, 30, 0, 0), 63);
}

TEST(MapArithmetic, SixteenCellsMayDropToZeroAdvance) {
    const std::set<int> zeroFloor{9, 27, 28, 29, 37, 38, 39, 47, 48, 49, 57, 58, 59, 67, 68, 69};
    for (int n = 0; n < 72; ++n) {
        EXPECT_EQ(ignitionFloor(n), zeroFloor.count(n) ? 0 : 1) << "cell " << n;
    }
}

struct CellTextCase {
    double value;
    bool milliseconds;
    const char* expected;
};

TEST(MapArithmetic, InjectionCellsGetOneDecimalAndTheMillisecondCeiling) {
    const CellTextCase cases[] = {
        {8, true, "8,0"},        {12, true, "12,0"},    {3.5, true, "3,5"}, {0, true, " 0,0"},
        {-4, true, " -4,0"},     {-0.04, true, " 0,0"}, {25, true, "25,0"}, {25.04, true, "25,0"},
        {25.06, true, "25"},     {25.1, true, "25"},    {40, true, "25"},   {40, false, "40,0"},
        {145.8, false, "145,8"}, {8.96, true, "9,0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(injectionCellText(c.value, c.milliseconds), c.expected)
            << c.value << (c.milliseconds ? " ms" : " %");
    }
}

struct IgnitionTextCase {
    int cell;
    double value;
    const char* expected;
};

TEST(MapArithmetic, IgnitionCellsKeepTheirFloorAndCeiling) {
    const IgnitionTextCase cases[] = {
        {0, 10, "10"},   {0, 1, "1"},    {0, 0.5, "0"},    {9, 0.5, "0,5"},   {0, 0, "0"},
        {9, 0, "0"},     {0, -3, "0"},   {9, -3, "0"},     {0, 12.5, "12,5"}, {0, 50, "50"},
        {0, 50.5, "50"}, {69, 63, "50"}, {27, 0.9, "0,9"}, {26, 0.9, "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ignitionCellText(c.cell, c.value), c.expected)
            << "cell " << c.cell << " value " << c.value;
    }
}

struct FactorCase {
    int cylinders;
    double k, bigK;
};

TEST(MapArithmetic, CylinderFactorsKeepTheTableAndExtendToOtherCounts) {
    const FactorCase cases[] = {
        {4, 30, 600}, {6, 20, 400}, {8, 15, 300}, {5, 24, 480}, {3, 40, 800}, {1, 120, 2400},
    };
    for (const auto& c : cases) {
        const auto f = cylinderFactors(c.cylinders);
        EXPECT_EQ(f.toPercent, c.k) << c.cylinders;
        EXPECT_EQ(f.toMilliseconds, c.bigK) << c.cylinders;
    }
}

TEST(MapArithmetic, NoCylindersIsRefused) {
    for (int count : {0, -1, -8}) {
        try {
            (void)cylinderFactors(count);
            ADD_FAILURE() << count << " was accepted";
        } catch (const RefusedError& e) {
            EXPECT_EQ(std::string(e.what()),
                      " Atenção ! !  Número de cilindros inválido: " + std::to_string(count) + " ");
        }
    }
}

struct ConversionCase {
    int cylinders;
    int rpm;
    double ms;
    const char* percentText;
};

TEST(MapArithmetic, MillisecondsBecomeTheShareOfTheReferencePeriod) {
    const ConversionCase cases[] = {
        {4, 500, 3.5, "2,9"}, {4, 500, 8.1, "6,8"},   {4, 7200, 8.1, "97,2"},
        {6, 500, 3.5, "4,4"}, {8, 500, 3.5, "5,8"},   {4, 3600, 6, "36,0"},
        {4, 500, 0, "0,0"},   {4, 500, -3.5, "-2,9"}, {6, 7200, 8.1, "145,8"},
    };
    for (const auto& c : cases) {
        const auto f = cylinderFactors(c.cylinders);
        EXPECT_EQ(convertedCellText(toPercent(c.ms, c.rpm, f.toPercent)), c.percentText)
            << c.cylinders << " cylinders, " << c.rpm << " rpm, " << c.ms << " ms";
    }
}

TEST(MapArithmetic, BothDirectionsAreInverseForAnyCylinderCount) {
    const int rows[] = {500, 900, 1800, 2700, 3600, 4500, 5400, 6300, 7200};
    for (int cylinders : {1, 2, 3, 4, 5, 6, 7, 8, 10, 12}) {
        const auto f = cylinderFactors(cylinders);
        for (int rpm : rows) {
            for (double ms : {0.1, 3.5, 8.1, 14.9}) {
                const double back =
                    toMilliseconds(toPercent(ms, rpm, f.toPercent), rpm, f.toMilliseconds);
                EXPECT_NEAR(back, ms, 1e-9) << cylinders << " cylinders at " << rpm;
            }
        }
    }
}

} // namespace
} // namespace orvel::maparith
