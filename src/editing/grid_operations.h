#pragma once

#include "model/config.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Block operations on one map's values, apart from the window: each returns the
// new texts of the cells it changes, or why it refuses (and then changes nothing).
namespace orvel::editing {

// A rectangle of cells, inclusive, in map rows (RPM) and columns (load).
struct CellRect {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;

    // The rectangle with two cells (numbers 0..71) at opposite corners.
    [[nodiscard]] static CellRect spanning(int cellA, int cellB);
    [[nodiscard]] int rows() const { return bottom - top + 1; }
    [[nodiscard]] int columns() const { return right - left + 1; }
    [[nodiscard]] int cellCount() const { return rows() * columns(); }
    [[nodiscard]] bool contains(int cell) const;
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

[[nodiscard]] constexpr int cellAt(int row, int column) {
    return row * config::kMapColumns + column;
}

// What a cell of a map accepts: a number in [min, max] with so many decimals.
struct CellRule {
    double min;
    double max;
    int decimals;
    std::string_view unit;
};
inline constexpr CellRule kIgnitionRule{0, 50, 0, "graus"};
inline constexpr CellRule kInjectionMsRule{0, 25, 1, "ms"};
// Percent of injector opening, while the injection map shows percent.
inline constexpr CellRule kInjectionPercentRule{0, 100, 1, "%"};

// A map's values in cell order; empty where a cell's text is not a number.
using Grid = std::array<std::optional<double>, config::kMapCells>;

struct CellText {
    int cell;
    std::string text;
    friend bool operator==(const CellText&, const CellText&) = default;
};

struct Outcome {
    std::vector<CellText> cells;
    std::string refusal; // empty when the operation may be applied

    [[nodiscard]] bool refused() const { return !refusal.empty(); }
};

// The value given must lie in the rule's range before it is rounded to the cells' decimals.
[[nodiscard]] Outcome setValue(const Grid& grid, CellRect rect, double value, const CellRule& rule);
[[nodiscard]] Outcome addValue(const Grid& grid, CellRect rect, double delta, const CellRule& rule);
[[nodiscard]] Outcome scaleByPercent(const Grid& grid, CellRect rect, double percent,
                                     const CellRule& rule);
// Fills the cells between the corners: bilinear over a rectangle, linear along a
// row or a column. The corner cells keep their texts. Needs a cell between the corners.
[[nodiscard]] Outcome interpolate(const Grid& grid, CellRect rect, const CellRule& rule);
// 3 x 3 weighted average (1 2 1 / 2 4 2 / 1 2 1) of the inner cells; the cells on
// the rectangle's border keep their texts. Needs 3 x 3 cells at least.
[[nodiscard]] Outcome smooth(const Grid& grid, CellRect rect, const CellRule& rule);

using Block = std::vector<std::vector<double>>;
// Writes a block with its top left at the given cell; its values are checked as setValue checks.
[[nodiscard]] Outcome paste(const Grid& grid, int topLeftCell, const Block& block,
                            const CellRule& rule);

// The cells' texts as the clipboard takes them: tab-separated, one line per row.
[[nodiscard]] std::string copyText(const std::array<std::string, config::kMapCells>& texts,
                                   CellRect rect);

struct ParsedBlock {
    Block rows;
    std::string refusal;
};
// A block from the clipboard: tab-separated numbers with a decimal comma or point.
[[nodiscard]] ParsedBlock parseBlock(std::string_view text);

// A number the user typed: digits with an optional sign and one decimal comma or
// point ("-0,5", "12.25"); nothing else.
[[nodiscard]] std::optional<double> parseUserNumber(std::string_view text);

// The refusal of an operation that would leave a cell with result ("26,0 ms").
[[nodiscard]] Outcome refusedCell(int cell, const std::string& result, const CellRule& rule);

// "a célula de 1800 RPM, coluna 3"
[[nodiscard]] std::string describeCell(int cell);

} // namespace orvel::editing
