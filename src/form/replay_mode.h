#pragma once

#include "activity/activity.h"
#include "core/control_store.h"
#include "form/form_state.h"
#include "recording/replay.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orvel {

// A recording played through the window as if the module were sending it: the
// recorded frames go to the scanner's handler, nothing goes to the port. While it
// runs the gauges show and the buttons that would use the port, the map file or
// the scanner are locked (the activity says so).
class ReplayMode {
public:
    struct World {
        // Why a replay cannot start now (the port busy), or empty.
        std::function<std::string()> refusal;
    };

    ReplayMode(FormState& state, Activity& activity, std::unique_ptr<Timer> timer,
               recording::Replay::FrameSink sink, World world);

    // Enters the replay at the recording's start, paused; throws RefusedError.
    void start(std::shared_ptr<const recording::Recording> recording);
    // Leaves it (also at the recording's end); nothing when not running.
    void end();
    [[nodiscard]] bool active() const { return activity_.replay(); }
    // Resumes playing; refused as start is (a paused replay may have let the port get busy).
    void play();

    recording::Replay player;
    std::function<void()> onChange; // entered, left or moved

private:
    FormState& state_;
    Activity& activity_;
    World world_;
    int cylinderCount_ = 0;
};

} // namespace orvel
