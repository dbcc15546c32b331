#pragma once

#include <array>

namespace orvel::analysis {

inline constexpr int kStepsPerCell = 6;
inline constexpr int kLastRpmPosition = 48;
inline constexpr int kLastLoadPosition = 42;

struct CellWeight {
    int cell = 0;
    double weight = 0;
};

// The injection cells one scanner set belongs to and the share of it each gets.
struct Spread {
    std::array<CellWeight, 4> cells{};
    int count = 0; // 0 when the position lies off the map
};

// How a set is shared between cells, as the scanner marks them: the cell the
// positions fall in, and the next row, next column and diagonal cells only where
// the scanner would mark them too (more than 20 % of a step towards them, not
// past the last row or column). Between marked cells the weights are bilinear in
// the fractions towards them; a fraction the scanner ignores counts as 0, so an
// unmarked cell never gets a share. The weights add up to 1.
[[nodiscard]] Spread spreadOf(int rpmPosition, int loadPosition);

} // namespace orvel::analysis
