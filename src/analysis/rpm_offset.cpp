#include "analysis/rpm_offset.h"

#include "analysis/cell_weights.h"
#include "model/config.h"

#include <algorithm>
#include <cmath>

namespace orvel::analysis {

namespace {

// The injection map at a row's node and a whole load position, straight
// between the columns as the module reads it.
double rowAt(const MapContext& map, int row, int loadPosition) {
    const auto cell = [&](int column) {
        return map.injectionMs[static_cast<std::size_t>(row * config::kMapColumns +
                                                        std::min(column, config::kMapColumns - 1))];
    };
    const int column = loadPosition / kStepsPerCell;
    const double right = static_cast<double>(loadPosition % kStepsPerCell) / kStepsPerCell;
    return (1 - right) * cell(column) + right * cell(column + 1);
}

// The map's slope in ms per RPM step at a whole step: on a row, from the rows
// either side (a cell corrected on its own must not read as a cliff in the
// need on one side of it); between rows, the straight line the module reads.
double slopeAt(const MapContext& map, int rpmPosition, int loadPosition) {
    const int row = rpmPosition / kStepsPerCell;
    if (rpmPosition % kStepsPerCell != 0) {
        return (rowAt(map, row + 1, loadPosition) - rowAt(map, row, loadPosition)) / kStepsPerCell;
    }
    const int below = std::max(row - 1, 0);
    const int above = std::min(row + 1, config::kMapRows - 1);
    return (rowAt(map, above, loadPosition) - rowAt(map, below, loadPosition)) /
           (kStepsPerCell * (above - below));
}

} // namespace

double rpmSteps(double rpm) {
    const auto& rows = config::kRowRpm;
    if (rpm <= rows.front()) {
        return 0;
    }
    for (std::size_t row = 0; row + 1 < rows.size(); ++row) {
        if (rpm < rows[row + 1]) {
            return kStepsPerCell *
                   (static_cast<double>(row) + (rpm - rows[row]) / (rows[row + 1] - rows[row]));
        }
    }
    return kLastRpmPosition;
}

double rpmOffsetFactor(const MapContext& map, double rpm, int rpmPosition, int loadPosition) {
    if (!std::isfinite(rpm) || rpmPosition < 0 || rpmPosition >= kLastRpmPosition ||
        loadPosition < 0 || loadPosition > kLastLoadPosition) {
        return 1;
    }
    const double steps = rpmSteps(rpm);
    if (steps < rpmPosition || steps >= rpmPosition + 1) {
        return 1;
    }
    const int row = rpmPosition / kStepsPerCell;
    const double down = static_cast<double>(rpmPosition % kStepsPerCell) / kStepsPerCell;
    const double atStep =
        (1 - down) * rowAt(map, row, loadPosition) + down * rowAt(map, row + 1, loadPosition);
    const double atRpm = atStep + slopeAt(map, rpmPosition, loadPosition) * (steps - rpmPosition);
    return atStep > 0 && atRpm > 0 ? atStep / atRpm : 1;
}

} // namespace orvel::analysis
