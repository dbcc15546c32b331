#include "analysis/set_filter.h"

#include "link/frames.h"
#include "recording/recording.h"

#include <algorithm>
#include <cmath>

namespace orvel::analysis {

namespace {

namespace col = recording::col;

// Positions dither by a step on a steady engine (the RPM around a row, the
// throttle sensor's last bit); more than that is the engine going somewhere.
constexpr int kSteadySteps = 1;
constexpr double kTimeSlack = 1e-6; // sets' times are sums of tenths
// A set also needs the engine still there a moment later: the first set of a
// departure is still within a step of the dwell, but its trims describe the
// point it leaves. Over a long drive such sets, one per pass, would add up.
constexpr double kLookAheadSeconds = 0.6;

} // namespace

SetFilter::SetFilter(const recording::Recording& r, const MapContext& own, const Options& options)
    : r_(r), own_(own), options_(options), scale_(std::max(options.timeScale, 1e-6)) {}

int SetFilter::ignitionPeriod(std::size_t row) const {
    const auto engine = r_.frames(row)[1];
    return engine.id == 30 ? frames::u16(engine.data[5], engine.data[6]) : 0;
}

bool SetFilter::probeInactive(int loadPosition) const {
    // The module's idle region is the closed throttle: load position 0.
    return own_.probe == ProbeMode::Off ||
           (own_.probe == ProbeMode::OffAtIdle && loadPosition == 0);
}

bool SetFilter::settled(std::size_t row, double t) const {
    if (recent_.empty() || recent_.front().t > t - options_.settleSeconds + kTimeSlack) {
        return false; // not running long enough since the last break
    }
    int rpmLow = recent_.front().rpmPosition;
    int rpmHigh = rpmLow;
    int loadLow = recent_.front().loadPosition;
    int loadHigh = loadLow;
    const auto take = [&](int rpmPosition, int loadPosition) {
        rpmLow = std::min(rpmLow, rpmPosition);
        rpmHigh = std::max(rpmHigh, rpmPosition);
        loadLow = std::min(loadLow, loadPosition);
        loadHigh = std::max(loadHigh, loadPosition);
    };
    for (const Point& p : recent_) {
        take(p.rpmPosition, p.loadPosition);
    }
    for (std::size_t next = row + 1;
         next < r_.rows() && r_.time(next) * scale_ <= t + kLookAheadSeconds + kTimeSlack; ++next) {
        if (r_.known(col::rpmPosition, next) && r_.known(col::loadPosition, next)) {
            take(r_.fixedValue(col::rpmPosition, next), r_.fixedValue(col::loadPosition, next));
        }
    }
    return rpmHigh - rpmLow <= kSteadySteps && loadHigh - loadLow <= kSteadySteps;
}

SetFilter::Verdict SetFilter::check(std::size_t row, int rpmPosition, int loadPosition) {
    const double t = r_.time(row) * scale_;
    // A set without frame 29 (only at a session's start) keeps the last throttle.
    const double tps = r_.known(col::tpsVolts, row) ? r_.value(col::tpsVolts, row) : previousTps_;
    const double gap = row > 0 ? t - previousTime_ : 0;
    const bool moving = row > 0 && std::abs(tps - previousTps_) >
                                       options_.maxTpsVoltsPerSecond * std::max(gap, 1e-3);
    previousTps_ = tps;
    previousTime_ = t;
    if (gap > kLongestSetGapSeconds) {
        recent_.clear(); // the scanner paused: what happened between is unknown
    }

    const auto breaks = [&](Filter f) {
        // The loop was open or the engine off: the trims restart from there.
        recent_.clear();
        return Verdict{f, 0};
    };
    // The period, not the RPM column: the RPM is unknown while the cylinder
    // count was, and the period tells a running engine all the same.
    if (ignitionPeriod(row) == 0) {
        return breaks(Filter::EngineStopped);
    }
    if (r_.value(col::ti, row) <= 0) {
        return breaks(Filter::InjectionCut);
    }
    if (!r_.known(col::temperature, row) ||
        r_.value(col::temperature, row) < own_.probeTemperatureC) {
        return breaks(Filter::Cold); // not known to be warm enough
    }
    // With the probe off the module does not trim: trims of 0 there say nothing.
    if (probeInactive(loadPosition)) {
        return breaks(Filter::ProbeOff);
    }

    recent_.push_back({t, rpmPosition, loadPosition});
    while (recent_.size() > 1 && recent_[1].t <= t - options_.settleSeconds + kTimeSlack) {
        recent_.pop_front();
    }
    if (moving) {
        return {Filter::ThrottleMoving, 0};
    }
    // Trims lag the engine: while it climbs through a cell they still carry the
    // mixture of where it was, so a set counts only once the positions (not just
    // the whole-number cell) have held still for the settling time.
    if (!settled(row, t)) {
        return {Filter::Settling, 0};
    }
    // A trim at its limit is as far as the loop could go, not the engine's error.
    if (std::abs(r_.value(col::shortTrim, row)) >= kTrimLimitPercent ||
        std::abs(r_.value(col::longTrim, row)) >= kTrimLimitPercent) {
        return {Filter::TrimAtLimit, 0};
    }
    return {std::nullopt, std::min(gap, kLongestSetGapSeconds)};
}

} // namespace orvel::analysis
