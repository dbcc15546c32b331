#pragma once

#include "engine_model.h"
#include "fuel_need.h"
#include "module_config.h"

#include <array>
#include <random>

// The module's lambda closed loop over an engine whose real fuel need differs
// from the injection map: see README.md beside this file for the model.
namespace orvel::sim {

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
    // The engine's need is laid through the map the module starts with (see FuelNeed).
    FuelLoop(const ModuleConfig& initial, FuelError error);

    // Runs the loop for `seconds` at an engine state with the module's current
    // configuration and returns what the scanner set reports.
    LoopReading step(const EngineState& engine, const ModuleConfig& config, double seconds);

    [[nodiscard]] const FuelNeed& need() const { return need_; }

private:
    FuelNeed need_;
    double shortTrim_ = 0;
    std::array<double, 3> longTrim_{};
    bool cut_ = false;
    std::mt19937 random_{20261208};
    std::normal_distribution<double> noise_{0, 1};
};

// Frames 29, 30 and 31 with the loop's injection time, lambda and trims.
void applyReading(std::array<Data, 3>& frames, const LoopReading& reading);

} // namespace orvel::sim
