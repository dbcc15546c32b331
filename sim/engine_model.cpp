#include "engine_model.h"

#include "model/config.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace orvel::sim {

namespace {

constexpr double kWarmCoolantC = 90;
constexpr double kWarmUpSeconds = 180;
constexpr int kIdleRpm = 900;

struct Demand {
    double rpm;
    double throttle; // 0..1
};

// The driving cycle, point by point (seconds, RPM, load position 0..42), straight
// lines between the points. Cruises hold the middle of a cell (a row's RPM, a
// column's first load step) so the closed loop settles there; the throttle
// closes above the cut-off RPM on every deceleration.
struct Point {
    double t;
    double rpm;
    double load;
};
constexpr std::array<Point, 27> kCycle{{
    {0, kIdleRpm, 0},   {10, kIdleRpm, 0},  {11, 1400, 30},     {22, 6000, 42},
    {23, 6000, 0},      {30, kIdleRpm, 0},  {40, kIdleRpm, 0},  {44, 2700, 18}, // cruise
    {60, 2700, 18},     {63, 3600, 24},     {80, 3600, 24},     {81, 3600, 0},  // cut-off
    {87, 1800, 0},      {89, 1800, 12},     {105, 1800, 12},    {109, 4500, 30},
    {124, 4500, 30},    {126, 4500, 42},    {138, 4500, 42},    {139, 4500, 0}, // cut-off
    {146, kIdleRpm, 0}, {154, kIdleRpm, 0}, {155, 1800, 6},     {169, 1800, 6},
    {171, 2700, 12},    {184, 2700, 12},    {190, kIdleRpm, 0},
}};
constexpr double kCycleSeconds = 194;

// Idle with a throttle blip, full-throttle acceleration to 6000 and a coasting
// cut-off back to idle, then cruises in several cells with decelerations between.
Demand cycle(double t) {
    const double s = std::fmod(t, kCycleSeconds);
    auto next = std::upper_bound(kCycle.begin(), kCycle.end(), s,
                                 [](double time, const Point& p) { return time < p.t; });
    Point point = kCycle.back();
    if (next != kCycle.end()) {
        const Point& a = *(next - 1);
        const double x = (s - a.t) / (next->t - a.t);
        point = {s, a.rpm + x * (next->rpm - a.rpm), a.load + x * (next->load - a.load)};
    }
    double rpm = point.rpm;
    double throttle = point.load / 42;
    const bool steady = next != kCycle.end() && next != kCycle.begin() &&
                        (next - 1)->rpm == next->rpm && (next - 1)->load == next->load;
    if (steady) {
        // A live engine: a few RPM above the row, never across into the row below.
        rpm += 15 + 15 * std::sin(2 * std::numbers::pi * s / 2.5);
    }
    const double blip = (s - 4) / 0.6; // 0..1 over a blip at idle
    if (blip >= 0 && blip <= 1) {
        const double b = std::sin(std::numbers::pi * blip);
        rpm += b * (2200 - kIdleRpm);
        throttle = 0.35 * b;
    }
    return {rpm, throttle};
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
    e.throttle = std::clamp(throttle, 0.0, 1.0);
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
