#include "fuel_loop.h"

#include "analysis/cell_weights.h"
#include "model/number_text.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

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

double interpolated(const std::array<double, 72>& cells, const EngineState& e) {
    const analysis::Spread spread = analysis::spreadOf(e.rpmPosition, e.loadPosition);
    if (spread.count == 0) {
        const int row = std::clamp(e.rpmPosition / 6, 0, 8);
        const int column = std::clamp(e.loadPosition / 6, 0, 7);
        return cells[static_cast<std::size_t>(row * 8 + column)];
    }
    double sum = 0;
    for (int i = 0; i < spread.count; ++i) {
        const auto& c = spread.cells[static_cast<std::size_t>(i)];
        sum += c.weight * cells[static_cast<std::size_t>(c.cell)];
    }
    return sum;
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

FuelFactors noFuelError() {
    FuelFactors f;
    f.fill(1.0);
    return f;
}

FuelFactors exampleFuelFactors() {
    FuelFactors f = noFuelError();
    for (int cell : {8, 9, 17, 18, 19, 26, 27}) { // idle and light load: lean, needs more
        f[static_cast<std::size_t>(cell)] = 1.10;
    }
    for (int cell : {35, 36, 37, 44, 45, 46, 47}) { // mid RPM, higher load: rich
        f[static_cast<std::size_t>(cell)] = 0.92;
    }
    return f;
}

FuelFactors parseFuelFactors(std::string_view text) {
    FuelFactors f{};
    std::size_t count = 0;
    std::size_t at = 0;
    const auto separator = [](char c) {
        return c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    while (at < text.size()) {
        while (at < text.size() && separator(text[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < text.size() && !separator(text[end])) {
            ++end;
        }
        if (end == at) {
            break;
        }
        const std::string field(text.substr(at, end - at));
        double value = 0;
        try {
            value = numtext::parseDecimal(field);
        } catch (const std::exception&) {
            throw std::invalid_argument("fuel error: '" + field + "' is not a number");
        }
        if (value < 0.5 || value > 2) {
            throw std::invalid_argument("fuel error: factor '" + field + "' is outside 0,5 to 2");
        }
        if (count == f.size()) {
            throw std::invalid_argument("fuel error: more than 72 factors");
        }
        f[count++] = value;
        at = end;
    }
    if (count != f.size()) {
        throw std::invalid_argument("fuel error: 72 factors needed, found " +
                                    std::to_string(count));
    }
    return f;
}

LambdaRegion regionOf(const EngineState& engine) {
    if (engine.loadPosition == 0) {
        return LambdaRegion::Idle;
    }
    return engine.loadPosition >= kFullLoadPosition ? LambdaRegion::Full : LambdaRegion::Part;
}

FuelLoop::FuelLoop(const ModuleConfig& initial, const FuelFactors& factors) {
    for (std::size_t n = 0; n < needMs_.size(); ++n) {
        needMs_[n] = initial.injection[n] / 10.0 * factors[n];
    }
}

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

    std::array<double, 72> mapMs{};
    for (std::size_t n = 0; n < mapMs.size(); ++n) {
        mapMs[n] = config.injection[n] / 10.0;
    }
    const bool closedLoop = e.coolantC >= config.probeTemperature &&
                            config.probeMode != kProbeOff &&
                            !(config.probeMode == kProbeOffAtIdle && region == LambdaRegion::Idle);
    if (!closedLoop) {
        shortTrim_ = 0;
    }
    const double delivered = interpolated(mapMs, e) * (1 + (shortTrim_ + longTrim) / 100);
    const double need = interpolated(needMs_, e);
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
