#pragma once

#include "module_config.h"

#include <array>
#include <functional>
#include <string_view>

// The engine's own fuel need, continuous in RPM and throttle: see README.md
// beside this file for the model.
namespace orvel::sim {

// Factors at the injection map's nodes, cell by cell.
using FuelFactors = std::array<double, 72>;

// How the engine's need departs from the map it starts with: factors at the
// nodes, read between them with the engine's own smooth interpolation, times a
// field of the continuous row and column coordinates (none: 1 everywhere).
struct FuelError {
    FuelFactors factors{};
    std::function<double(double row, double column)> field;
};

[[nodiscard]] FuelFactors noFuelFactors();
[[nodiscard]] FuelError noFuelError();
// The built-in pattern of "--fuel-error exemplo": steps between cells.
[[nodiscard]] FuelError exampleFuelError();
// "--fuel-error onda": a smooth wave of ±6 % that varies inside cells.
[[nodiscard]] FuelError waveFuelError();
// 72 factors in the map file's style ("1,1;0,92;1;..."; blanks and line ends
// also separate them). Throws std::invalid_argument with a message.
[[nodiscard]] FuelFactors parseFuelFactors(std::string_view text);

// The continuous row coordinate of an RPM: 0 at the first row's RPM, 8 at the
// last, straight between rows.
[[nodiscard]] double rowCoordinate(double rpm);

class FuelNeed {
public:
    // The engine breathes better between the map's nodes than straight lines
    // between them say: at most this much more fuel in a cell's middle.
    static constexpr double kBreathing = 0.04;

    // The surface is laid through the starting map's nodes; maps sent later
    // change what is injected, not what the engine needs.
    FuelNeed(const ModuleConfig& initial, FuelError error);

    // Milliseconds the engine needs at an RPM and a throttle opening (0..1).
    [[nodiscard]] double ms(double rpm, double throttle) const;
    // At a cell's node: its row's RPM, its column's first load step.
    [[nodiscard]] double atNode(int cell) const;
    // At continuous map coordinates (row 0..8, column 0..7).
    [[nodiscard]] double at(double row, double column) const;

private:
    std::array<double, 72> baseMs_{};
    FuelError error_;
};

} // namespace orvel::sim
