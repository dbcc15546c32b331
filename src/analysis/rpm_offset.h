#pragma once

#include "analysis/map_context.h"

namespace orvel::analysis {

// The RPM as a continuous position: six steps to a row, straight between the
// rows' RPMs, 0 to kLastRpmPosition.
[[nodiscard]] double rpmSteps(double rpm);

// A set's trims describe the engine at its RPM, but the module read its map at
// the whole step below it: a cruise 30 RPM above a row reads the row's node
// while the engine needs the fuel of 30 RPM higher. Taking the map's slope
// there as the shape of the need, the factor on (1 + trims) that carries the
// set back to its step. 1 when the RPM does not lie within the step the
// position says (the two were not measured together) or the map reads nothing.
[[nodiscard]] double rpmOffsetFactor(const MapContext& map, double rpm, int rpmPosition,
                                     int loadPosition);

} // namespace orvel::analysis
