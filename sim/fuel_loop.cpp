#include "fuel_loop.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orvel::sim {

namespace {

// The narrow-band probe: about 450 mV at the switching point, flat outside a
// few per cent of mixture either way.
constexpr double kProbeMidMv = 450;
constexpr double kProbeSpanMv = 450;
constexpr double kProbeWidthPercent = 3;
// The short trim moves at this rate per per cent of mixture error (read off the
// probe's slope at the target), at most kShortRampLimit per second.
constexpr double kShortGainPerSecond = 2.5;
constexpr double kShortRampLimit = 10;
constexpr double kMixtureJitterPercent = 1; // combustion from cycle to cycle
constexpr double kElectricalNoiseMv = 10;
constexpr double kLongTrimSeconds = 20;
constexpr double kTrimLimit = 25;
constexpr int kFullLoadPosition = 36;
constexpr int kProbeOff = 10;
constexpr int kProbeOffAtIdle = 15;

// The module reads its map between cells the way its own firmware does:
// bilinear in the whole steps of the RPM and load positions, six to a cell.
double mapReading(const ModuleConfig& config, const EngineState& e) {
    const auto atCell = [&](int row, int column) {
        return config.injection[static_cast<std::size_t>(std::clamp(row, 0, 8) * 8 +
                                                         std::clamp(column, 0, 7))] /
               10.0;
    };
    const int rpmPosition = std::clamp(e.rpmPosition, 0, 48);
    const int loadPosition = std::clamp(e.loadPosition, 0, 42);
    const int row = rpmPosition / 6;
    const int column = loadPosition / 6;
    const double down = rpmPosition % 6 / 6.0;
    const double right = loadPosition % 6 / 6.0;
    return (1 - down) * ((1 - right) * atCell(row, column) + right * atCell(row, column + 1)) +
           down * ((1 - right) * atCell(row + 1, column) + right * atCell(row + 1, column + 1));
}

double targetMv(const ModuleConfig& config, LambdaRegion region) {
    switch (region) {
    case LambdaRegion::Idle:
        return config.probeLow * 10.0;
    case LambdaRegion::Full:
        return config.probeFull * 10.0;
    case LambdaRegion::Part:
        break;
    }
    return config.probePartial * 10.0;
}

double atTarget(double target) {
    return std::clamp((target - kProbeMidMv) / kProbeSpanMv, -0.95, 0.95);
}

// The probe's voltage for a mixture `error` per cent richer than the one that
// gives `target`.
double probeMv(double target, double error) {
    return kProbeMidMv +
           kProbeSpanMv * std::tanh(std::atanh(atTarget(target)) + error / kProbeWidthPercent);
}

// Millivolts per per cent of mixture at the target.
double probeSlope(double target) {
    const double t = atTarget(target);
    return kProbeSpanMv * (1 - t * t) / kProbeWidthPercent;
}

} // namespace

LambdaRegion regionOf(const EngineState& engine) {
    if (engine.loadPosition == 0) {
        return LambdaRegion::Idle;
    }
    return engine.loadPosition >= kFullLoadPosition ? LambdaRegion::Full : LambdaRegion::Part;
}

FuelLoop::FuelLoop(const ModuleConfig& initial, FuelError error)
    : need_(initial, std::move(error)) {}

LoopReading FuelLoop::step(const EngineState& e, const ModuleConfig& config, double seconds) {
    const LambdaRegion region = regionOf(e);
    double& longTrim = longTrim_[static_cast<std::size_t>(region)];
    LoopReading reading;
    reading.longTrim = static_cast<int>(std::lround(longTrim));
    if (e.rpm <= 0) {
        shortTrim_ = 0;
        cut_ = false;
        return reading;
    }
    // Deceleration cut-off: throttle closed above eDeslCutOff, back below eLigaCutOff.
    if (e.loadPosition > 0 || e.rpm < config.cutOffOnHundreds * 100) {
        cut_ = false;
    } else if (e.rpm > config.cutOffOffHundreds * 100) {
        cut_ = true;
    }
    const double jitter = kMixtureJitterPercent * noise_(random_);
    const double electrical = kElectricalNoiseMv * noise_(random_);
    if (cut_) {
        shortTrim_ = 0;
        reading.lambdaMv = static_cast<int>(std::clamp(60 + electrical, 0.0, 990.0));
        return reading;
    }

    const bool closedLoop = e.coolantC >= config.probeTemperature &&
                            config.probeMode != kProbeOff &&
                            !(config.probeMode == kProbeOffAtIdle && region == LambdaRegion::Idle);
    if (!closedLoop) {
        shortTrim_ = 0;
    }
    const double delivered = mapReading(config, e) * (1 + (shortTrim_ + longTrim) / 100);
    const double need = need_.ms(e.rpm, e.throttle);
    const double error = need > 0 ? (delivered / need - 1) * 100 : 0;
    const double target = targetMv(config, region);
    const double measured = std::clamp(probeMv(target, error + jitter) + electrical, 0.0, 990.0);

    reading.injectionMs = delivered;
    reading.shortTrim = static_cast<int>(std::lround(shortTrim_));
    reading.lambdaMv = static_cast<int>(std::lround(measured));
    if (closedLoop) {
        const double limit = kShortRampLimit * seconds;
        shortTrim_ +=
            std::clamp(kShortGainPerSecond * seconds * (target - measured) / probeSlope(target),
                       -limit, limit);
        shortTrim_ = std::clamp(shortTrim_, -kTrimLimit, kTrimLimit);
        longTrim =
            std::clamp(longTrim + shortTrim_ * seconds / kLongTrimSeconds, -kTrimLimit, kTrimLimit);
    }
    return reading;
}

void applyReading(std::array<Data, 3>& frames, const LoopReading& reading) {
    const auto steps = static_cast<int>(std::lround(reading.injectionMs * 40)); // 25 µs steps
    frames[0][3] = static_cast<std::uint8_t>(std::clamp(reading.lambdaMv / 10, 0, 255));
    frames[1][2] = static_cast<std::uint8_t>(steps & 0xFF);
    frames[1][3] = static_cast<std::uint8_t>((steps >> 8) & 0xFF);
    frames[2][0] = static_cast<std::uint8_t>(static_cast<std::int8_t>(reading.shortTrim));
    frames[2][1] = static_cast<std::uint8_t>(static_cast<std::int8_t>(reading.longTrim));
}

} // namespace orvel::sim
