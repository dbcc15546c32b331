#include "transfer/module_checker.h"

#include "activity/activity.h"
#include "core/platform.h"
#include "files/field_caption.h"
#include "link/serial_port_controller.h"

namespace orvel {

void ModuleChecker::start() {
    if (!activity_.mayCheckModule()) {
        return;
    }
    // The expected side first: a window that cannot be sent is refused before
    // anything goes to the module.
    auto [basis, packets] = hooks_.expected();
    if (hooks_.beforeStart) {
        hooks_.beforeStart();
    }
    port_.send(frames::encodeCommand(frames::Command::ReadConfig));
    basis_ = basis;
    expected_ = modulecheck::storedFrames(packets);
    received_ = {};
    activity_.checkStarted();
    restartTimeout();
}

void ModuleChecker::handleFrame(const frames::ModuleFrame& frame) {
    if (!activity_.checking()) {
        return;
    }
    if (frame.id >= 1 && frame.id <= modulecheck::kFrames) {
        received_[static_cast<std::size_t>(frame.id - 1)] = frame.data;
        restartTimeout();
        return;
    }
    if (frame.id != frames::kLastConfigurationId) {
        return;
    }
    timeout_.setEnabled(false);
    activity_.checkEnded();
    if (hooks_.completed) {
        hooks_.completed(Result{basis_, modulecheck::compare(expected_, received_)});
    }
}

void ModuleChecker::timeoutTick() {
    timeout_.setEnabled(false);
    if (!activity_.checking()) {
        return;
    }
    activity_.checkEnded();
    // A line gone under the check has its own notice.
    if (port_.lineOpen()) {
        dialogs_.message(kNoModuleAnswer);
    }
}

void ModuleChecker::abandon() {
    timeout_.setEnabled(false);
    if (activity_.checking()) {
        activity_.checkEnded();
    }
}

void ModuleChecker::restartTimeout() {
    timeout_.setEnabled(false);
    timeout_.setInterval(kTimeoutMs);
    timeout_.setEnabled(true);
}

std::string differenceText(const ControlStore& controls, const modulecheck::Difference& d,
                           ModuleChecker::Basis basis) {
    std::string caption;
    if (d.key == modulecheck::kTpsClosedKey) {
        caption = "TPS fechado (calibração)";
    } else if (d.key == modulecheck::kTpsOpenKey) {
        caption = "TPS aberto (calibração)";
    } else {
        caption = fieldCaption(controls, d.key);
    }
    const char* side = basis == ModuleChecker::Basis::LastSend ? "enviado " : "na janela ";
    return caption + ": " + side + d.sent + ", no módulo " + d.module + " (pacote " +
           std::to_string(d.packet) + ")";
}

std::string missingFramesText(const modulecheck::Outcome& outcome) {
    if (outcome.missingFrames.empty()) {
        return {};
    }
    std::string list;
    for (int frame : outcome.missingFrames) {
        list += (list.empty() ? "" : ", ") + std::to_string(frame);
    }
    return "Quadros que não chegaram do módulo: " + list + ". Confira de novo.";
}

} // namespace orvel
