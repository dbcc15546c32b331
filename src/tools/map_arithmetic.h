#pragma once

#include <string>
#include <string_view>

// The arithmetic of the map tools, apart from the window: shifts, bounds, floors
// and the two unit conversions of the injection map.
namespace orvel::maparith {

inline constexpr double kInjectionCeilingMs = 25;
inline constexpr double kIgnitionCeiling = 50;

// Cell n scaled by the injection shifts in percent; the whole-map shift adds to
// the column shift, and the percentages add up before they scale the cell.
[[nodiscard]] double scaledInjection(double cell, double whole, double column, double row);
// Cell n shifted by the ignition shifts in degrees.
[[nodiscard]] double shiftedIgnition(double cell, double whole, double column, double row);

// The lowest advance an ignition cell may keep: 0 for the cells the engine needs
// to run without advance, 1 elsewhere.
[[nodiscard]] int ignitionFloor(int cell);

// The text an altered injection cell receives; the 25 ms ceiling only applies
// while the map shows milliseconds.
[[nodiscard]] std::string injectionCellText(double value, bool milliseconds);
// The text an altered ignition cell receives, after its floor and ceiling.
[[nodiscard]] std::string ignitionCellText(int cell, double value);

struct CylinderFactors {
    double toPercent;      // k: the reference period is 2000 k / rpm ms
    double toMilliseconds; // K = 20 k, so that the conversions are inverse
};
// Factors for a count of cylinders; throws RefusedError for a count below 1.
[[nodiscard]] CylinderFactors cylinderFactors(int cylinders);

[[nodiscard]] double toPercent(double ms, int rpm, double k);
[[nodiscard]] double toMilliseconds(double percent, int rpm, double bigK);

// A converted cell is written in the general form and re-read before it gets its
// one decimal, so the tenth is rounded from the 15-digit text.
[[nodiscard]] std::string convertedCellText(double value);

} // namespace orvel::maparith
