#include "editing/grid_operations.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace orvel::editing {
namespace {

// A map whose cell n holds n / 10: every value different, all within both rules.
Grid rampGrid() {
    Grid grid;
    for (int n = 0; n < config::kMapCells; ++n) {
        grid[static_cast<std::size_t>(n)] = n / 10.0;
    }
    return grid;
}

std::vector<CellText> texts(std::initializer_list<std::pair<int, const char*>> cells) {
    std::vector<CellText> out;
    for (const auto& [cell, text] : cells) {
        out.push_back({cell, text});
    }
    return out;
}

struct Case {
    const char* name;
    std::function<Outcome(const Grid&)> operation;
    std::vector<CellText> expected;
};

TEST(GridOperations, ResultsFollowTheCellsRules) {
    const CellRect row0{0, 0, 0, 3};
    const Case cases[] = {
        {"set one injection cell",
         [](const Grid& g) {
             return setValue(g, {1, 1, 1, 1}, 12.34, kInjectionMsRule);
         },
         texts({{9, "12,3"}})},
        {"set ignition rounds to whole degrees",
         [&](const Grid& g) {
             return setValue(g, {0, 0, 0, 1}, 12.5, kIgnitionRule);
         },
         texts({{0, "13"}, {1, "13"}})},
        {"add in a column",
         [](const Grid& g) {
             return addValue(g, {0, 7, 2, 7}, 1, kInjectionMsRule);
         },
         texts({{7, "1,7"}, {15, "2,5"}, {23, "3,3"}})},
        {"scale by percent",
         [](const Grid& g) {
             return scaleByPercent(g, {7, 0, 7, 1}, 110, kInjectionMsRule);
         },
         texts({{56, "6,2"}, {57, "6,3"}})},
        {"interpolate a row between its ends",
         [&](const Grid& g) {
             Grid h = g;
             h[3] = 3.0;
             return interpolate(h, row0, kInjectionMsRule);
         },
         texts({{1, "1,0"}, {2, "2,0"}})},
        {"interpolate a rectangle from its corners",
         [](const Grid& g) {
             Grid h = g;
             h[0] = 0.0;
             h[2] = 2.0;
             h[16] = 4.0;
             h[18] = 10.0;
             return interpolate(h, {0, 0, 2, 2}, kInjectionMsRule);
         },
         texts({{1, "1,0"}, {8, "2,0"}, {9, "4,0"}, {10, "6,0"}, {17, "7,0"}})},
        {"smooth keeps the border",
         [](const Grid& g) {
             Grid h = g;
             h[9] = 5.0; // a spike in the middle of a 3 x 3 block
             return smooth(h, {0, 0, 2, 2}, kInjectionMsRule);
         },
         texts({{9, "1,9"}})},
        {"smooth at the map's last corner",
         [](const Grid& g) {
             return smooth(g, {6, 5, 8, 7}, kIgnitionRule);
         },
         texts({{62, "6"}})},
        {"paste a block",
         [](const Grid& g) {
             return paste(g, 70, {{1.25, 2}}, kInjectionMsRule);
         },
         texts({{70, "1,3"}, {71, "2,0"}})},
    };
    const Grid grid = rampGrid();
    for (const auto& c : cases) {
        const Outcome out = c.operation(grid);
        EXPECT_FALSE(out.refused()) << c.name << ": " << out.refusal;
        EXPECT_EQ(out.cells, c.expected) << c.name;
    }
}

TEST(GridOperations, AResultOutsideTheRangeRefusesTheWholeOperationNamingTheFirstCell) {
    const Grid grid = rampGrid();
    const struct {
        Outcome outcome;
        const char* cell;
    } cases[] = {
        {addValue(grid, {0, 0, 8, 7}, 20, kInjectionMsRule), "5400 RPM, coluna 4"},
        {scaleByPercent(grid, {0, 0, 0, 7}, -10, kInjectionMsRule), "500 RPM, coluna 6"},
        {setValue(grid, {8, 7, 8, 7}, 51, kIgnitionRule), "7200 RPM, coluna 8"},
        {setValue(grid, {0, 0, 0, 0}, 25.05, kInjectionMsRule), "500 RPM, coluna 1"},
        {paste(grid, 0, {{1, 2}, {3, 1e300}}, kIgnitionRule), "900 RPM, coluna 2"},
        // A given value is judged before it is rounded to what the cell shows.
        {setValue(grid, {0, 0, 0, 0}, 25.04, kInjectionMsRule), "coluna 1 ficaria com 25,04 ms"},
        {setValue(grid, {0, 1, 0, 1}, -0.04, kInjectionMsRule), "coluna 2 ficaria com -0,04 ms"},
        {paste(grid, 2, {{-0.4}}, kIgnitionRule), "coluna 3 ficaria com -0,4 graus"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.outcome.refused()) << c.cell;
        EXPECT_TRUE(c.outcome.cells.empty()) << c.cell;
        EXPECT_NE(c.outcome.refusal.find(c.cell), std::string::npos) << c.outcome.refusal;
        EXPECT_NE(c.outcome.refusal.find("Nada foi alterado"), std::string::npos);
    }
    EXPECT_NE(interpolate(grid, {4, 4, 5, 5}, kInjectionMsRule).refusal.find("entre as dos cantos"),
              std::string::npos);
    EXPECT_NE(smooth(grid, {0, 0, 0, 7}, kInjectionMsRule).refusal.find("3 x 3"),
              std::string::npos);
    EXPECT_EQ(addValue(grid, {0, 0, 0, 0}, 25.04, kInjectionMsRule).cells, texts({{0, "25,0"}}))
        << "a result is judged on the tenth the cell shows";
}

TEST(GridOperations, ACellThatIsNotANumberRefusesWhatNeedsIt) {
    Grid grid = rampGrid();
    grid[10].reset();
    EXPECT_NE(addValue(grid, {1, 0, 1, 3}, 1, kInjectionMsRule).refusal.find("900 RPM, coluna 3"),
              std::string::npos);
    EXPECT_TRUE(smooth(grid, {0, 0, 2, 3}, kInjectionMsRule).refused());
    EXPECT_FALSE(setValue(grid, {1, 0, 1, 3}, 1, kInjectionMsRule).refused());
}

TEST(GridOperations, CopiedTextPastesBackAsTheSameBlock) {
    std::array<std::string, config::kMapCells> cells;
    for (int n = 0; n < config::kMapCells; ++n) {
        cells[static_cast<std::size_t>(n)] = " " + std::to_string(n) + ",5";
    }
    const std::string text = copyText(cells, {1, 6, 2, 7});
    EXPECT_EQ(text, "14,5\t15,5\n22,5\t23,5\n");
    const ParsedBlock block = parseBlock(text);
    ASSERT_TRUE(block.refusal.empty());
    EXPECT_EQ(block.rows, (Block{{14.5, 15.5}, {22.5, 23.5}}));
}

TEST(GridOperations, OnlyPlainDecimalsAreNumbersTheUserTyped) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {" 7 ", 7},  {"-0,04", -0.04}, {"12.25", 12.25}, {"+3", 3},  {"1e1", {}},     {"inf", {}},
        {"nan", {}}, {"0x10", {}},     {"1,", {}},       {",5", {}}, {"1.234,5", {}}, {"1 2", {}},
        {"-", {}},   {"", {}},         {"1,2,3", {}},    {"١", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseUserNumber(c.text), c.value) << c.text;
    }
}

TEST(GridOperations, PastedTextIsReadOrRefusedWhole) {
    const struct {
        const char* text;
        Block rows;
        const char* refusal; // a piece of the message, or empty
    } cases[] = {
        {"1.5\t2\r\n3\t4,25\r\n", {{1.5, 2}, {3, 4.25}}, ""},
        {" 7 ", {{7}}, ""},
        {"1\tdois\n", {}, "\"dois\" na linha 1, coluna 2"},
        {"1\t\n", {}, "linha 1, coluna 2"},
        {"1\t2\n3\n", {}, "mesmo número de colunas"},
        {"1.234,5", {}, "linha 1, coluna 1"},
        {"\n\n", {}, "Não há números"},
    };
    for (const auto& c : cases) {
        const ParsedBlock parsed = parseBlock(c.text);
        EXPECT_EQ(parsed.rows, c.rows) << c.text;
        if (*c.refusal == '\0') {
            EXPECT_TRUE(parsed.refusal.empty()) << c.text << ": " << parsed.refusal;
        } else {
            EXPECT_NE(parsed.refusal.find(c.refusal), std::string::npos) << parsed.refusal;
        }
    }
    EXPECT_NE(paste(rampGrid(), 64 + 7, {{1, 2}}, kInjectionMsRule).refusal.find("não cabe"),
              std::string::npos);
}

} // namespace
} // namespace orvel::editing
