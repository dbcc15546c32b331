#include "core/manual_clock.h"

#include <algorithm>
#include <limits>

namespace orvel {

ManualClock::ManualClock() = default;

ManualClock::~ManualClock() {
    for (auto* t : timers_) {
        t->enabled_ = false;
    }
}

std::unique_ptr<Timer> ManualClock::createTimer(const std::string& name) {
    return std::make_unique<ManualTimer>(*this, name);
}

ManualClock::ManualTimer::ManualTimer(ManualClock& clock, std::string name)
    : clock_(clock), name_(std::move(name)) {
    clock_.timers_.push_back(this);
}

ManualClock::ManualTimer::~ManualTimer() {
    auto& v = clock_.timers_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void ManualClock::ManualTimer::setInterval(int ms) {
    if (ms == interval_) {
        return;
    }
    interval_ = ms;
    if (enabled_) {
        due_ = clock_.now_ + interval_; // a new interval restarts a running timer
    }
}

void ManualClock::ManualTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) {
        return; // enabling a running timer does not restart it
    }
    enabled_ = enabled;
    if (enabled_) {
        due_ = clock_.now_ + interval_;
    }
}

bool ManualClock::fireNext(std::int64_t limitMs) {
    ManualTimer* next = nullptr;
    for (auto* t : timers_) {
        if (t->enabled_ && t->interval_ > 0 && (next == nullptr || t->due_ < next->due_)) {
            next = t;
        }
    }
    if (next == nullptr || next->due_ > now_ + limitMs) {
        return false;
    }
    now_ = std::max(now_, next->due_);
    // Re-arm before the handler runs, so that changes made by the handler win.
    next->due_ = now_ + next->interval_;
    if (next->onTimer) {
        next->onTimer();
    }
    return true;
}

void ManualClock::advance(std::int64_t ms) {
    const std::int64_t end = now_ + ms;
    while (fireNext(end - now_)) {
    }
    now_ = end;
}

} // namespace orvel
