#pragma once

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
// the scanner are locked; its end gives them back as the port's state decides.
class ReplayMode {
public:
    struct World {
        // Why a replay cannot start now (the port busy), or empty.
        std::function<std::string()> refusal;
        std::function<bool()> portOpen;
    };

    ReplayMode(ControlStore& controls, FormState& state, std::unique_ptr<Timer> timer,
               recording::Replay::FrameSink sink, World world);

    // Enters the replay at the recording's start, paused; throws RefusedError.
    void start(std::shared_ptr<const recording::Recording> recording);
    // Leaves it (also at the recording's end); nothing when not running.
    void end();
    [[nodiscard]] bool active() const { return active_; }
    // Resumes playing; refused as start is (a paused replay may have let the port get busy).
    void play();

    recording::Replay player;
    std::function<void()> onChange; // entered, left or moved

private:
    void lockButtons();
    void restoreButtons();

    ControlStore& controls_;
    FormState& state_;
    World world_;
    bool active_ = false;
    bool portWasOpen_ = false;
    int cylinderCount_ = 0;
    std::vector<std::pair<std::string, bool>> enabledBefore_;
};

} // namespace orvel
