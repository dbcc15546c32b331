#pragma once

#include "engine_model.h"
#include "module_config.h"

#include <array>
#include <random>
#include <string_view>

// The module's lambda closed loop over an engine whose real fuel need differs
// from the injection map: see README.md beside this file for the model.
namespace orvel::sim {

// The engine's fuel need over what the map it started with gives, cell by cell.
using FuelFactors = std::array<double, 72>;

[[nodiscard]] FuelFactors noFuelError();
// The built-in pattern of "--fuel-error exemplo".
[[nodiscard]] FuelFactors exampleFuelFactors();
// 72 factors in the map file's style ("1,1;0,92;1;..."; blanks and line ends
// also separate them). Throws std::invalid_argument with a message.
[[nodiscard]] FuelFactors parseFuelFactors(std::string_view text);

// What the module reports for one scanner set.
struct LoopReading {
    double injectionMs = 0; // 0 while the injection is cut
    int shortTrim = 0;      // per cent
    int longTrim = 0;
    int lambdaMv = 0;
};

enum class LambdaRegion { Idle, Part, Full };
[[nodiscard]] LambdaRegion regionOf(const EngineState& engine);

class FuelLoop {
public:
    // The fuel need is fixed from the map the module starts with; maps sent later
    // change what is injected, not what the engine needs.
    FuelLoop(const ModuleConfig& initial, const FuelFactors& factors);

    // Runs the loop for `seconds` at an engine state with the module's current
    // configuration and returns what the scanner set reports.
    LoopReading step(const EngineState& engine, const ModuleConfig& config, double seconds);

    // The fuel the engine needs in a cell, ms.
    [[nodiscard]] double needMs(int cell) const { return needMs_[static_cast<std::size_t>(cell)]; }

private:
    std::array<double, 72> needMs_{};
    double shortTrim_ = 0;
    std::array<double, 3> longTrim_{};
    bool cut_ = false;
    std::mt19937 random_{20261208};
    std::normal_distribution<double> noise_{0, 1};
};

// Frames 29, 30 and 31 with the loop's injection time, lambda and trims.
void applyReading(std::array<Data, 3>& frames, const LoopReading& reading);

} // namespace orvel::sim
