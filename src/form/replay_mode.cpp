#include "form/replay_mode.h"

#include "core/errors.h"

#include <array>
#include <string_view>

namespace orvel {

namespace {

// Their pair partners follow (ControlStore::setEnabled). The port buttons are
// locked too, so that a port opened mid-replay cannot bring the scanner back.
constexpr std::array<std::string_view, 9> kLocked{
    "btnLerDados", "btnEnvia",         "btnSalvar",    "btnCarregar",    "Button3",
    "btnAtivar",   "btnConfigurarTps", "btnDesativar", "btnAlterarMapas"};
constexpr std::array<std::string_view, 8> kGauges{"Gauge1", "Gauge2", "Gauge3", "Gauge4",
                                                  "Gauge5", "Gauge6", "Gauge7", "Gauge8"};

} // namespace

ReplayMode::ReplayMode(ControlStore& controls, FormState& state, std::unique_ptr<Timer> timer,
                       recording::Replay::FrameSink sink, World world)
    : player(std::move(timer), std::move(sink)), controls_(controls), state_(state),
      world_(std::move(world)) {
    player.onTick = [this] {
        // A port that failed mid-replay gives "Ativar" back; the lock holds.
        lockButtons();
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
    if (active_) {
        end();
    }
    enabledBefore_.clear();
    for (auto name : kLocked) {
        enabledBefore_.emplace_back(name, controls_.enabled(name));
    }
    portWasOpen_ = world_.portOpen();
    active_ = true;
    lockButtons();
    for (auto g : kGauges) {
        controls_.setVisible(g, true);
    }
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
    if (!active_) {
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
    if (!active_) {
        return;
    }
    active_ = false;
    player.pause();
    state_.cylinderCount = cylinderCount_;
    for (auto g : kGauges) {
        controls_.setVisible(g, false);
    }
    restoreButtons();
    if (onChange) {
        onChange();
    }
}

void ReplayMode::lockButtons() {
    for (auto name : kLocked) {
        controls_.setEnabled(name, false);
    }
}

void ReplayMode::restoreButtons() {
    for (const auto& [name, enabled] : enabledBefore_) {
        controls_.setEnabled(name, enabled);
    }
    const bool open = world_.portOpen();
    if (open != portWasOpen_) {
        // The port failed meanwhile: the buttons it decides follow, as its close does.
        controls_.setEnabled({"btnDesativar", "Button3", "btnLerDados", "btnEnvia"}, open);
        controls_.setEnabled({"btnConfigurarTps"}, false);
        controls_.setEnabled("btnAtivar", !open);
    }
}

} // namespace orvel
