#pragma once

#include "core/platform.h"
#include "link/frames.h"
#include "recording/disk_writer.h"
#include "recording/recording.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvel::recording {

// What a set of frames says, as the window shows it (transfer/scanner_values.h),
// in the columns' fixed point. RPM and duty need the cylinder count, kUnknown
// without it; so is every value of a frame the session has not received (id 0).
[[nodiscard]] FixedValues decodeSet(const FrameSet& set, int cylinders);

// The drive recorder: every scanner session goes to its own file while it runs.
// The scanner tells it when a session starts and ends and hands it frames 29 to
// 31; it never blocks on the disk (see DiskWriter) and tells the user about a
// fault once per session, from its own timer tick, never from inside a handler.
class Recorder {
public:
    using MapText = std::function<std::string()>; // the window as a map file; may throw
    using Tell = std::function<void(const std::string&)>;
    using SteadyMs = std::function<std::int64_t()>;
    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    // Rows that may wait for the disk: about forty seconds at the highest set rate.
    static constexpr std::size_t kQueueRows = 4096;
    static constexpr int kCheckMs = 250;

    Recorder(Timer& check, MapText mapText, Tell tell);

    // Where recordings go; empty (the default) records nothing.
    void setFolder(std::string folder) { folder_ = std::move(folder); }
    [[nodiscard]] const std::string& folder() const { return folder_; }
    void setClocks(SteadyMs steady, WallClock wall);

    void sessionStarted();
    // Frames 29, 30 and 31 of a running session; others are ignored.
    void frameReceived(const frames::ModuleFrame& frame, int cylinders);
    // Whatever ended it; nothing happens when no session runs.
    void sessionEnded();
    [[nodiscard]] bool recording() const { return active_; }

    // The check timer's tick: tells the user what went wrong.
    void check();
    // Blocks until every row so far is written (tests, the end of the program).
    void drain() { writer_.drain(); }
    // The latest session's file; empty until it has a row.
    [[nodiscard]] std::string lastFile() { return writer_.lastPath(); }

private:
    Timer& check_;
    MapText mapText_;
    Tell tell_;
    SteadyMs steady_;
    WallClock wall_;
    std::string folder_;
    DiskWriter writer_{kQueueRows};

    bool active_ = false;
    std::int64_t startMs_ = 0;
    FrameSet latest_{};
    int cylinders_ = 0; // as they were when frame 30 came
    std::size_t dropped_ = 0;
    std::vector<std::string> pending_;
};

} // namespace orvel::recording
