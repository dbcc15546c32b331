#include "analysis/rpm_offset.h"

#include "analysis/cell_weights.h"
#include "model/config.h"

#include <algorithm>
#include <cmath>

namespace orvel::analysis {

namespace {

// The injection map read bilinearly at a continuous RPM position and a whole
// load position, as the module reads it between nodes.
double mapAt(const MapContext& map, double rpmPosition, int loadPosition) {
    const auto cell = [&](int row, int column) {
        return map.injectionMs[static_cast<std::size_t>(
            std::clamp(row, 0, config::kMapRows - 1) * config::kMapColumns +
            std::clamp(column, 0, config::kMapColumns - 1))];
    };
    const int row = std::min(static_cast<int>(rpmPosition) / kStepsPerCell, config::kMapRows - 1);
    const int column = loadPosition / kStepsPerCell;
    const double down = rpmPosition / kStepsPerCell - row;
    const double right = static_cast<double>(loadPosition % kStepsPerCell) / kStepsPerCell;
    const auto across = [&](int r) {
        return (1 - right) * cell(r, column) + right * cell(r, column + 1);
    };
    return (1 - down) * across(row) + down * across(row + 1);
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
    const double atStep = mapAt(map, rpmPosition, loadPosition);
    const double atRpm = mapAt(map, steps, loadPosition);
    return atStep > 0 && atRpm > 0 ? atStep / atRpm : 1;
}

} // namespace orvel::analysis
