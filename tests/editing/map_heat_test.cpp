#include "editing/map_heat.h"
#include "model/form_definition.h"

#include <gtest/gtest.h>

namespace orvel::mapview {
namespace {

TEST(MapHeat, RunsFromBlueThroughGreenToRed) {
    const Range range{10, 30};
    struct Case {
        double value;
        Rgb expected;
    };
    const Case cases[] = {
        {10, {0, 0, 255}},     {30, {255, 0, 0}}, {20, {0, 210, 0}},
        {5, {0, 0, 255}},      {99, {255, 0, 0}}, // outside the range: clamped
        {12.5, {0, 100, 255}},                    // halfway between two stops
    };
    for (const auto& c : cases) {
        EXPECT_EQ(heatColor(c.value, range), c.expected) << c.value;
    }
    EXPECT_EQ(heatColor(7, {7, 7}), (Rgb{0, 210, 0})); // a flat map
}

TEST(MapHeat, HotterMeansRedderAndLessBlue) {
    const Range range{0, 1};
    for (double v = 0; v < 1; v += 0.05) {
        const auto a = heatColor(v, range);
        const auto b = heatColor(v + 0.05, range);
        EXPECT_GE(b.r, a.r) << v;
        EXPECT_LE(b.b, a.b) << v;
    }
}

TEST(MapHeat, ValueTextStaysReadable) {
    EXPECT_EQ(textColorOn({0, 0, 255}), colors::white);
    EXPECT_EQ(textColorOn({0, 100, 255}), colors::white);
    EXPECT_EQ(textColorOn({255, 0, 0}), colors::black);
    EXPECT_EQ(textColorOn({255, 220, 0}), colors::black);
    EXPECT_EQ(textColorOn({0, 210, 0}), colors::black);
}

TEST(MapHeat, CellsBeingTypedHaveNoValue) {
    ControlStore store;
    formdef::populate(store);
    store.setText("e3i", "");
    store.setText("e4i", "7,");
    store.setText("e5", "-");
    const auto injection = readCells(store, Map::Injection);
    EXPECT_FALSE(injection[3].has_value());
    EXPECT_DOUBLE_EQ(injection[0].value(), 3.5);
    EXPECT_FALSE(readCells(store, Map::Ignition)[5].has_value());
    const auto range = rangeOf(readCells(store, Map::Ignition));
    ASSERT_TRUE(range);
    EXPECT_DOUBLE_EQ(range->low, 6);
    EXPECT_DOUBLE_EQ(range->high, 34);
    EXPECT_FALSE(rangeOf(Cells{}));
}

} // namespace
} // namespace orvel::mapview
