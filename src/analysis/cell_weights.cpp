#include "analysis/cell_weights.h"

#include "model/config.h"

namespace orvel::analysis {

namespace {

// The fraction towards the next row or column that gets a share: the scanner's
// 20 % threshold, with the position's own step as the scanner computes it.
double markedFraction(int position, int cellIndex, int lastPosition) {
    const double fraction = position / double(kStepsPerCell) - cellIndex;
    return fraction * 100 > 20 && position < lastPosition ? fraction : 0.0;
}

} // namespace

Spread spreadOf(int rpmPosition, int loadPosition) {
    Spread spread;
    const int row = rpmPosition / kStepsPerCell;
    const int column = loadPosition / kStepsPerCell;
    if (rpmPosition < 0 || loadPosition < 0 || row >= config::kMapRows ||
        column >= config::kMapColumns) {
        return spread;
    }
    const double down = markedFraction(rpmPosition, row, kLastRpmPosition);
    const double right = markedFraction(loadPosition, column, kLastLoadPosition);
    const int current = row * config::kMapColumns + column;
    const auto add = [&](int cell, double weight) {
        if (weight > 0) {
            spread.cells[static_cast<std::size_t>(spread.count++)] = {cell, weight};
        }
    };
    add(current, (1 - down) * (1 - right));
    add(current + config::kMapColumns, down * (1 - right));
    add(current + 1, (1 - down) * right);
    add(current + config::kMapColumns + 1, down * right);
    return spread;
}

} // namespace orvel::analysis
