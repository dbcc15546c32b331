#pragma once

#include "core/platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvel {

// A clock for tests, fuzzing and benchmarks: timers fire only when advance() is called,
// in time order, with the same semantics as the window's timers.
class ManualClock : public TimerFactory {
public:
    ManualClock();
    ~ManualClock() override;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    [[nodiscard]] std::unique_ptr<Timer> createTimer(const std::string& name) override;

    // Moves time forward by ms, firing every tick due on the way.
    void advance(std::int64_t ms);
    // Fires ticks until `ms` passes or `until` returns true.
    [[nodiscard]] std::int64_t now() const { return now_; }
    // Runs the next due tick of any timer (if one is enabled); returns false if none.
    bool fireNext(std::int64_t limitMs = 1'000'000);

    class ManualTimer;

private:
    friend class ManualTimer;
    std::int64_t now_ = 0;
    std::vector<ManualTimer*> timers_;
};

class ManualClock::ManualTimer : public Timer {
public:
    ManualTimer(ManualClock& clock, std::string name);
    ~ManualTimer() override;
    void setInterval(int ms) override;
    [[nodiscard]] int interval() const override { return interval_; }
    void setEnabled(bool enabled) override;
    [[nodiscard]] bool enabled() const override { return enabled_; }
    [[nodiscard]] const std::string& name() const { return name_; }
    [[nodiscard]] std::int64_t due() const { return due_; }

private:
    friend class ManualClock;
    ManualClock& clock_;
    std::string name_;
    int interval_ = 1000;
    bool enabled_ = false;
    std::int64_t due_ = 0;
};

} // namespace orvel
