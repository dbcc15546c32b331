#include "transfer/download.h"

#include "transfer/configuration_frames.h"

#include "core/control_store.h"
#include "core/platform.h"
#include "form/form_state.h"
#include "link/serial_port_controller.h"
#include "model/entry_rules.h"

namespace orvel {

void Download::btnLerDadosClick() {
    if (!activity_.mayTransfer()) {
        return;
    }
    hooks_.beforeStart();
    port_.send(frames::encodeCommand(frames::Command::ReadConfig));
    for (auto bar : {"pbCarregando", "pbCarregando1"}) {
        controls_.setMin(bar, 0);
        controls_.setMax(bar, frames::kLastConfigurationId);
        controls_.setPosition(bar, 0);
    }
    activity_.readRequested();
    restartTimeout();
}

void Download::handleFrame(const frames::ModuleFrame& frame) {
    if (!activity_.acceptsConfiguration()) {
        return; // nobody asked: the fields belong to what runs now
    }
    const int id = frame.id;
    if (id == 1) {
        activity_.readReceiving();
    }
    // Only a read watches for silence: a stray frame must not end a display it
    // did not start.
    if (id < frames::kLastConfigurationId && activity_.reading()) {
        restartTimeout();
    }
    if (id >= 1 && id < frames::kLastConfigurationId) {
        write(frame);
    } else if (id == frames::kLastConfigurationId) {
        finish();
    }
}

void Download::write(const frames::ModuleFrame& frame) {
    if (frame.id >= 10 && frame.id <= 18) {
        hooks_.beforeMillisecondsArrive();
    }
    const DecodedFrame decoded = decodeConfigurationFrame(frame);
    for (const auto& [name, text] : decoded.texts) {
        controls_.setText(name, text);
        if (name == "cbCombinacaoMapa") {
            setMapColumnCaptions(controls_, text);
        }
    }
    if (const auto& layout = decoded.layout) {
        auto& s = state_;
        s.cylinderCount = layout->cylinderCount;
        s.tpsClosedValue = layout->tpsClosedValue;
        controls_.setMin("BarraTps", s.tpsClosedValue / 4);
        s.tpsOpenValue = layout->tpsOpenValue;
        if (s.tpsOpenValue < 1 || s.tpsOpenValue > 250 || s.tpsOpenValue < s.tpsClosedValue / 4) {
            s.tpsOpenValue = s.tpsClosedValue;
        }
        controls_.setMax("BarraTps", s.tpsOpenValue);
    }
}

void Download::finish() {
    timeout_.setEnabled(false);
    const bool wasReading = activity_.reading();
    activity_.readCompleted();
    if (wasReading && hooks_.completed) {
        hooks_.completed();
    }
}

void Download::timeoutTick() {
    timeout_.setEnabled(false);
    if (!activity_.reading()) {
        return;
    }
    activity_.readTimedOut();
    // The line went away under the read: its failure notice follows and says so.
    if (port_.lineOpen()) {
        dialogs_.message(kNoModuleAnswer);
    }
}

void Download::abandon() {
    if (!activity_.reading()) {
        return;
    }
    timeout_.setEnabled(false);
    activity_.readAbandoned();
}

void Download::restartTimeout() {
    timeout_.setEnabled(false);
    timeout_.setInterval(kTimeoutMs);
    timeout_.setEnabled(true);
}

} // namespace orvel
