#include "core/errors.h"
#include "editing/compare.h"

#include <gtest/gtest.h>

namespace orvel::compare {
namespace {

mapfile::Values defaults() {
    mapfile::Values values;
    for (const auto& p : config::fileOrder()) {
        values.emplace_back(p.defaultText);
    }
    values.emplace_back("130");
    values.emplace_back("230");
    return values;
}

TEST(Compare, FindsWhatDiffersAndByHowMuch) {
    struct Case {
        std::size_t position;
        std::string other;
        bool differs;
        std::optional<double> delta;
        std::string caption;
    };
    const Case cases[] = {
        {kIgnitionFirst, "12", true, 2.0, "Mapa de ignição, 500 RPM, coluna 1"},
        {kInjectionFirst + 71, "8", true, -0.1, "Mapa de injeção, 7200 RPM, coluna 8"},
        {kInjectionFirst, "3,50", false, {}, ""},  // same number, other spelling
        {kInjectionFirst, "  3,5", false, {}, ""}, // blanks around a number
        {0, "MAP X RPM", true, {}, "Combinação dos Mapas"},
        {2, "abc", true, {}, "Limite de RPM"}, // not a number: text only
        {197, "140", true, 10.0, "TPS fechado (calibração)"},
        // Not a caption the window shows: it has no field there.
        {3, "120", true, -8.0, "Valor sem campo na tela (posição 4 do arquivo)"},
    };
    for (const auto& c : cases) {
        auto other = defaults();
        other[c.position] = c.other;
        const auto found = differences(defaults(), other);
        ASSERT_EQ(found.size(), c.differs ? 1U : 0U) << c.position << " " << c.other;
        if (!c.differs) {
            continue;
        }
        EXPECT_EQ(found[0].position, c.position);
        EXPECT_EQ(found[0].caption, c.caption);
        EXPECT_EQ(found[0].other, c.other);
        ASSERT_EQ(found[0].delta.has_value(), c.delta.has_value());
        if (c.delta) {
            EXPECT_NEAR(*found[0].delta, *c.delta, 1e-9);
        }
    }
}

TEST(Compare, EverySettingHasACaptionOfItsOwn) {
    const auto& order = config::fileOrder();
    for (std::size_t i = 0; i < config::kValueCount; ++i) {
        const auto caption = captionAt(i);
        EXPECT_FALSE(caption.empty()) << i;
        if (i < order.size()) {
            EXPECT_NE(caption, order[i].key) << "no caption for " << order[i].key;
        }
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i].key == "eCorrecaoMl105") {
            EXPECT_EQ(captionAt(i), "Atuador de M. lenta (%) a 105 °C");
        }
    }
}

TEST(Compare, SlotsAreTakenAsTheLoaderTakesThem) {
    // A short file leaves the rest empty; the TPS numbers must be integers.
    std::vector<std::string> slots{"TPS X RPM", "Injetado"};
    EXPECT_THROW((void)valuesFromSlots(slots), ConversionError);
    slots.resize(config::kValueCount);
    slots[197] = "140";
    slots[198] = "220";
    const auto values = valuesFromSlots(slots);
    EXPECT_EQ(values[1], "Injetado");
    EXPECT_EQ(values[2], "");
    EXPECT_EQ(values[198], "220");
    slots[198] = "2,5";
    EXPECT_THROW((void)valuesFromSlots(slots), ConversionError);
}

TEST(Compare, DeltasReadAsTheWindowWritesNumbers) {
    EXPECT_EQ(formatDelta(0.4 - 1e-15), "+0,4");
    EXPECT_EQ(formatDelta(-2), "-2");
    EXPECT_EQ(formatDelta(1e-12), "0");
}

} // namespace
} // namespace orvel::compare
