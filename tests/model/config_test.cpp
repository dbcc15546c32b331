#include "core/control_store.h"
#include "model/config.h"
#include "model/form_definition.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace orvel::config {
namespace {

TEST(ConfigTest, FileHoldsOneHundredNinetySevenDistinctFieldsAndTwoNumbers) {
    EXPECT_EQ(fileOrder().size(), 197u);
    EXPECT_EQ(kValueCount, 199);
    std::set<std::string_view> keys;
    for (const auto& p : fileOrder()) {
        keys.insert(p.key);
    }
    EXPECT_EQ(keys.size(), 197u);
}

TEST(ConfigTest, MapCellsSitAtTheirFilePositions) {
    const std::pair<int, const char*> positions[] = {
        {1, "cbCombinacaoMapa"},
        {8, "eDeslCutOff"},
        {9, "e0"},
        {16, "e7"},
        {17, "e8"},
        {80, "e71"},
        {81, "e0i"},
        {152, "e71i"},
        {153, "cbSondaTipo"},
        {176, "eCorrecaoIg0"},
        {194, "cbCilindros"},
        {197, "ePercEletro"},
    };
    for (const auto& [position, key] : positions) {
        EXPECT_EQ(fileOrder().at(static_cast<std::size_t>(position - 1)).key, key) << position;
    }
}

TEST(ConfigTest, ChoiceCodesFollowTheTableNotTheListOrder) {
    EXPECT_EQ(codeOf("cbTipoDistribuidor", "Injetado"), 0);
    EXPECT_EQ(codeOf("cbTipoDistribuidor", "Carburado"), 10);
    EXPECT_EQ(textOf("cbTipoDistribuidor", 5), "3+1 VW Mi");
    EXPECT_EQ(codeOf("cbSondaAtiva", "Des em Marcha Lenta"), 15);
    EXPECT_EQ(codeOf("cbCombinacaoMapa", "MAP X RPM"), 10);
    EXPECT_EQ(codeOf("cbCilindros", "6"), 6);
    EXPECT_EQ(codeOf("cbSondaAtiva", "ativada"), std::nullopt);
    EXPECT_EQ(textOf("cbRapidaTpsxMap", 7), std::nullopt);
    EXPECT_TRUE(choices("eLimiteRpm").empty());
}

TEST(ConfigTest, CorrectionEndsTakeOneMoreCharacterThanTheirNeighbours) {
    EXPECT_EQ(parameter("eCorrecaoIg105").maxLength, 3);
    EXPECT_EQ(parameter("eCorrecaoIg90").maxLength, 2);
    EXPECT_EQ(parameter("eCorrecaoTi105").maxLength, 3);
    EXPECT_EQ(parameter("eCorrecaoMl0").maxLength, 3);
    EXPECT_EQ(parameter("eCorrecaoMl15").maxLength, 2);
    EXPECT_EQ(parameter("eSondaTemp").maxLength, 0);
    EXPECT_EQ(findParameter("eRpm"), nullptr);
}

TEST(ConfigTest, EveryParameterIsAWindowFieldStartingAtItsDefault) {
    ControlStore store;
    formdef::populate(store);
    for (const auto& p : fileOrder()) {
        SCOPED_TRACE(std::string(p.key));
        ASSERT_TRUE(store.has(p.key));
        EXPECT_EQ(store.text(p.key), p.defaultText);
        if (p.kind != Kind::Choice) {
            EXPECT_EQ(store.get(p.key).maxLength, p.maxLength);
        }
    }
}

} // namespace
} // namespace orvel::config
