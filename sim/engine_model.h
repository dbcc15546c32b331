#pragma once

#include "module_config.h"

#include <chrono>
#include <optional>

// A small engine that gives the scanner something alive to show: it warms up,
// idles with a throttle blip, accelerates to 6000 RPM, coasts back with the
// injection cut, and cruises in several cells of the configured maps.
namespace orvel::sim {

struct EngineState {
    double coolantC = 0;
    int rpm = 0;          // 0 = stopped
    int tpsCount = 0;     // converter count, 0..1023
    double throttle = 0;  // opening 0..1, what the engine breathes by
    int loadPosition = 0; // 0..42, six steps per load column
    int rpmPosition = 0;  // 0..48, six steps per RPM row
    int lambdaMv = 0;
    bool pump = false;
    bool fan = false;
};

class EngineModel {
public:
    // Sensor counts of a throttle at rest and fully open.
    static constexpr int kClosedCount = 100;
    static constexpr int kOpenCount = 900;

    explicit EngineModel(double coolantStartC = 20) : coolantStartC_(coolantStartC) {}

    // The engine at a time since start. Calls must come in time order: the fan
    // switches with hysteresis between the configured temperatures.
    EngineState at(std::chrono::microseconds sinceStart, const ModuleConfig& config);

    void setRunning(bool running) { running_ = running; }
    [[nodiscard]] bool running() const { return running_; }
    void setCoolant(double startC, std::chrono::microseconds now);
    // A fixed throttle count instead of the driving cycle.
    void setThrottleCount(std::optional<int> count) { throttleCount_ = count; }

private:
    double coolantStartC_;
    std::chrono::microseconds coolantFrom_{0};
    bool running_ = true;
    bool fan_ = false;
    std::optional<int> throttleCount_;
};

// Scanner frames 29, 30 and 31 for an engine state, from the configured maps,
// tables and cylinder count.
[[nodiscard]] std::array<Data, 3> scannerFrames(const EngineState& engine,
                                                const ModuleConfig& config);

// RPM position for an RPM: six steps between neighbouring map rows.
[[nodiscard]] int rpmPositionOf(int rpm);

} // namespace orvel::sim
