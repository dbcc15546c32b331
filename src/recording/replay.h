#pragma once

#include "core/platform.h"
#include "link/frames.h"
#include "recording/recording.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace orvel::recording {

// Plays a recording's frame sets in their recorded rhythm, sped up by a whole
// factor, into a frame sink (the scanner's handler). Time is counted in timer
// ticks, so a test drives it with the manual clock.
class Replay {
public:
    using FrameSink = std::function<void(const frames::ModuleFrame&)>;
    static constexpr int kTickMs = 20;

    Replay(std::unique_ptr<Timer> timer, FrameSink sink);

    // Stopped at the start.
    void load(std::shared_ptr<const Recording> recording);
    [[nodiscard]] const std::shared_ptr<const Recording>& recording() const { return recording_; }
    void play(); // from the start again when the end was reached
    void pause();
    [[nodiscard]] bool playing() const { return timer_->enabled(); }
    void setSpeed(int factor); // 1, 2, 4, 8
    [[nodiscard]] int speed() const { return speed_; }
    // Moves to a moment and plays the set shown at that moment (the last one
    // at or before it), so the window shows it also while paused.
    void seek(double seconds);
    [[nodiscard]] double position() const { return static_cast<double>(positionMs_) / 1000; }
    [[nodiscard]] double duration() const;

    // The tick runs at the owner's event boundary: the owner may wrap onTimer.
    [[nodiscard]] Timer& timer() { return *timer_; }

    std::function<void()> onTick; // after each tick's sets were played
    std::function<void()> onEnd;  // the last set was played; paused at the end

private:
    void tick();
    void playRow(std::size_t row);

    std::unique_ptr<Timer> timer_;
    FrameSink sink_;
    std::shared_ptr<const Recording> recording_;
    std::size_t next_ = 0; // the next row to play
    std::int64_t positionMs_ = 0;
    int speed_ = 1;
};

// The cylinder count the recorded RPM was worked out with (the scanner's formula
// from frame 30's period), or none when no row tells.
[[nodiscard]] std::optional<int> recordedCylinderCount(const Recording& recording);

} // namespace orvel::recording
