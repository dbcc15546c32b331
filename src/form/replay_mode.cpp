#include "form/replay_mode.h"

#include "core/errors.h"

namespace orvel {

ReplayMode::ReplayMode(FormState& state, Activity& activity, std::unique_ptr<Timer> timer,
                       recording::Replay::FrameSink sink, World world)
    : player(std::move(timer), std::move(sink)), state_(state), activity_(activity),
      world_(std::move(world)) {
    player.onTick = [this] {
        if (onChange) {
            onChange();
        }
    };
    player.onEnd = [this] { end(); };
}

void ReplayMode::start(std::shared_ptr<const recording::Recording> recording) {
    if (const std::string why = world_.refusal(); !why.empty()) {
        throw RefusedError(why);
    }
    if (recording->rows() == 0) {
        throw RefusedError("O registro não tem linhas para reproduzir");
    }
    if (active()) {
        end();
    }
    activity_.replayStarted();
    // The RPM and duty show as they did live: with the cylinder count they were
    // worked out with, not the window's.
    cylinderCount_ = state_.cylinderCount;
    if (auto recorded = recording::recordedCylinderCount(*recording)) {
        state_.cylinderCount = *recorded;
    }
    player.load(std::move(recording));
    player.seek(0);
    if (onChange) {
        onChange();
    }
}

void ReplayMode::play() {
    if (!active()) {
        return;
    }
    if (const std::string why = world_.refusal(); !why.empty()) {
        throw RefusedError(why);
    }
    player.play();
    if (onChange) {
        onChange();
    }
}

void ReplayMode::end() {
    if (!active()) {
        return;
    }
    activity_.replayEnded();
    player.pause();
    state_.cylinderCount = cylinderCount_;
    if (onChange) {
        onChange();
    }
}

} // namespace orvel
