#include "engine_model.h"

#include "model/config.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvel::sim {

namespace {

constexpr double kWarmCoolantC = 90;
constexpr double kWarmUpSeconds = 180;
constexpr double kCycleSeconds = 40;
constexpr int kIdleRpm = 900;
constexpr int kTopRpm = 6000;

struct Demand {
    double rpm;
    double throttle; // 0..1
};

// One driving cycle: idle with two blips, a slow sweep up, back down, idle.
Demand cycle(double t) {
    const double s = std::fmod(t, kCycleSeconds);
    const double idle = kIdleRpm + 15 * std::sin(2 * std::numbers::pi * s / 2.5);
    const auto blip = [&](double start) {
        const double x = (s - start) / 0.6; // 0..1 over the blip
        return x >= 0 && x <= 1 ? std::sin(std::numbers::pi * x) : 0.0;
    };
    if (s < 10) {
        const double b = std::max(blip(3), blip(7));
        return {idle + b * (2200 - kIdleRpm), 0.35 * b};
    }
    if (s < 30) {
        const double x = (s - 10) / 20;
        return {kIdleRpm + x * (kTopRpm - kIdleRpm), 0.1 + 0.9 * x};
    }
    if (s < 36) {
        const double x = (s - 30) / 6;
        return {kTopRpm - x * (kTopRpm - kIdleRpm), 0.0};
    }
    return {idle, 0.0};
}

int clampInt(double value, int low, int high) {
    return std::clamp(static_cast<int>(std::lround(value)), low, high);
}

std::uint8_t tableAt(const TemperatureTable& table, double temperatureC) {
    const int point = clampInt(temperatureC / 5, 0, kTemperaturePoints - 1);
    return table[static_cast<std::size_t>(point)];
}

} // namespace

int rpmPositionOf(int rpm) {
    const auto& rows = config::kRowRpm;
    if (rpm <= rows.front()) {
        return 0;
    }
    for (std::size_t row = 0; row + 1 < rows.size(); ++row) {
        if (rpm < rows[row + 1]) {
            const double fraction =
                static_cast<double>(rpm - rows[row]) / (rows[row + 1] - rows[row]);
            return static_cast<int>(row) * 6 + static_cast<int>(fraction * 6);
        }
    }
    return 48;
}

void EngineModel::setCoolant(double startC, std::chrono::microseconds now) {
    coolantStartC_ = startC;
    coolantFrom_ = now;
}

EngineState EngineModel::at(std::chrono::microseconds sinceStart, const ModuleConfig& config) {
    const double t = std::chrono::duration<double>(sinceStart).count();
    const double warming = std::chrono::duration<double>(sinceStart - coolantFrom_).count();
    EngineState e;
    e.coolantC = coolantStartC_ +
                 (kWarmCoolantC - coolantStartC_) * std::clamp(warming / kWarmUpSeconds, 0.0, 1.0);

    const Demand demand = cycle(t);
    double throttle = demand.throttle;
    if (throttleCount_) {
        throttle = std::clamp(static_cast<double>(*throttleCount_ - kClosedCount) /
                                  (kOpenCount - kClosedCount),
                              0.0, 1.0);
        e.tpsCount = std::clamp(*throttleCount_, 0, 1023);
    } else {
        e.tpsCount = clampInt(kClosedCount + throttle * (kOpenCount - kClosedCount), 0, 1023);
    }
    e.loadPosition = clampInt(throttle * 42, 0, 42);

    if (running_) {
        e.rpm = static_cast<int>(std::lround(demand.rpm));
        e.rpmPosition = rpmPositionOf(e.rpm);
        e.pump = true;
    }
    e.lambdaMv = clampInt(500 + 400 * std::sin(2 * std::numbers::pi * t / 1.3), 100, 900);

    if (e.coolantC > config.fanOn) {
        fan_ = true;
    } else if (e.coolantC < config.fanOff) {
        fan_ = false;
    }
    e.fan = fan_;
    return e;
}

std::array<Data, 3> scannerFrames(const EngineState& e, const ModuleConfig& config) {
    const auto row = static_cast<std::size_t>(e.rpmPosition / 6);
    const auto column = static_cast<std::size_t>(std::min(e.loadPosition / 6, 7));
    const std::size_t cell = std::min<std::size_t>(row, 8) * 8 + column;
    const int cylinders = config.cylinders == 0 ? 4 : config.cylinders;
    const int period = e.rpm > 0 ? 4'800'000 / cylinders / e.rpm : 0;
    // The module counts injection time in 25 µs steps: tenths of a ms times four.
    const int injection = config.injection[cell] * 4;
    const auto tempByte = static_cast<std::uint8_t>(std::clamp(e.coolantC, 0.0, 255.0));
    const auto tps = static_cast<std::uint16_t>(e.tpsCount);
    const auto lambdaTrim = static_cast<std::int8_t>((e.lambdaMv - 500) / 100);

    Data frame29{tempByte,
                 static_cast<std::uint8_t>(column),
                 tableAt(config.ml, e.coolantC),
                 static_cast<std::uint8_t>(e.lambdaMv / 10),
                 static_cast<std::uint8_t>(tps & 0xFF),
                 static_cast<std::uint8_t>(tps >> 8),
                 static_cast<std::uint8_t>(column),
                 static_cast<std::uint8_t>(e.loadPosition)};
    Data frame30{config.ignition[cell],
                 static_cast<std::uint8_t>(e.rpmPosition),
                 static_cast<std::uint8_t>(injection & 0xFF),
                 static_cast<std::uint8_t>((injection >> 8) & 0xFF),
                 9, // 1000 mbar
                 static_cast<std::uint8_t>(period & 0xFF),
                 static_cast<std::uint8_t>((period >> 8) & 0xFF),
                 static_cast<std::uint8_t>(e.pump ? 1 : 0)};
    Data frame31{static_cast<std::uint8_t>(lambdaTrim),
                 2,
                 tableAt(config.ti, e.coolantC),
                 config.atm[kPressurePoints - 1],
                 tableAt(config.ig, e.coolantC),
                 static_cast<std::uint8_t>(e.fan ? 1 : 0),
                 0,
                 0};
    return {frame29, frame30, frame31};
}

} // namespace orvel::sim
