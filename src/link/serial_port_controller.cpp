#include "link/serial_port_controller.h"

#include "core/errors.h"
#include "form/form.h"
#include "link/frames.h"
#include "link/port_hints.h"
#include "link/port_list.h"

#include <algorithm>
#include <utility>

namespace orvel {

namespace {

constexpr char kNoPortText[] = "!!";

// The port this program holds open cannot be opened a second time, yet it is there.
class HeldPortProber : public PortProber {
public:
    HeldPortProber(PortProber& prober, std::string held)
        : prober_(prober), held_(std::move(held)) {}
    bool probe(const std::string& name) override {
        return (!held_.empty() && name == held_) || prober_.probe(name);
    }

private:
    PortProber& prober_;
    std::string held_;
};

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

void SerialPortController::fillPortList() {
    showPorts(ListSerialPorts(form_.prober));
}

void SerialPortController::showPorts(std::vector<std::string> names) {
    std::string first = names.empty() ? std::string() : names.front();
    form_.controls.setItems("cbPorta", std::move(names));
    if (!first.empty()) {
        form_.controls.setText("cbPorta", std::move(first));
    }
}

void SerialPortController::cbPortaDropDown() {
    auto& c = form_.controls;
    HeldPortProber prober(form_.prober, open_ ? portName_ : std::string());
    std::vector<std::string> names = ListSerialPorts(prober);
    const std::vector<std::string>& before = c.get("cbPorta").items;
    if (names == before) {
        return;
    }
    const std::string current = c.text("cbPorta");
    const bool typed = current != kNoPortText && !contains(before, current);
    const bool keep = typed || contains(names, current);
    std::string shown = keep ? current : names.empty() ? kNoPortText : names.front();
    c.setItems("cbPorta", std::move(names));
    c.setText("cbPorta", std::move(shown));
}

void SerialPortController::btnAtivarClick() {
    const std::string& name = form_.controls.text("cbPorta");
    if (name != portName_) {
        // A port renamed while open is closed and opened again under the new name.
        closePort();
        portName_ = name;
    }
    if (!open_) {
        openPort();
    }
    form_.state.portActive = true;
    form_.controls.setEnabled("btnAtivar", false);
    form_.timerTps->tag = 0;
}

void SerialPortController::btnDesativarClick() {
    closePort();
    form_.state.portActive = false;
    form_.controls.setEnabled("btnConfigurarTps", false);
    form_.controls.setEnabled("btnAtivar", true);
}

void SerialPortController::ComPort1AfterOpen() {
    form_.controls.setEnabled({"btnAtivar", "btnDesativar", "Button3", "btnLerDados", "btnEnvia"},
                              true);
}

void SerialPortController::ComPort1AfterClose() {
    form_.controls.setEnabled({"btnDesativar", "Button3", "btnLerDados", "btnEnvia"}, false);
}

void SerialPortController::openPort() {
    try {
        form_.link.open(portName_);
    } catch (PortError& e) {
        e.setHint(openFailureHint(e.systemError()));
        throw;
    }
    open_ = true;
    lossReported_ = false;
    form_.receiver.reset();
    ComPort1AfterOpen();
}

void SerialPortController::closePort() {
    // A scanner switched off still owes the module its stop command, which
    // Timer1's next tick would send: it goes now, while the port is there.
    if (form_.timer1->enabled() && !form_.scanner.isOn() && form_.link.isOpen()) {
        try {
            send(frames::encodeCommand(frames::Command::ScannerStop));
        } catch (const PortError&) {
            // The port is going away in any case; its failure notice follows.
        }
    }
    form_.timer1->setEnabled(false);
    form_.download.abandon();
    form_.link.close();
    if (std::exchange(open_, false)) {
        ComPort1AfterClose();
    }
}

void SerialPortController::send(std::span<const std::uint8_t> bytes) {
    try {
        form_.link.write(bytes);
    } catch (const PortError&) {
        // A write that lost the port has told the user; the failure notice that
        // follows only has to close.
        if (open_ && !form_.link.isOpen()) {
            lossReported_ = true;
        }
        throw;
    }
}

void SerialPortController::stopTransfers() {
    auto& c = form_.controls;
    const bool transferRan = form_.timer2->enabled() || form_.downloadTimeout->enabled() ||
                             c.visible("pnAguarde") || c.visible("Panel1");
    form_.scanner.stop();
    form_.timer1->setEnabled(false);
    form_.timer2->setEnabled(false);
    form_.downloadTimeout->setEnabled(false);
    form_.tps.endWithThePort();
    c.setVisible({"pnAguarde", "Panel1"}, false);
    if (transferRan) {
        c.setEnabled({"btnSalvar", "btnCarregar", "btnAlterarMapas"}, true);
    }
}

void SerialPortController::portFailed(const std::string& message) {
    if (!open_) {
        return; // closed already: nothing runs over it any more
    }
    const bool report = !lossReported_;
    stopTransfers();
    closePort();
    form_.state.portActive = false;
    form_.controls.setEnabled("btnConfigurarTps", false);
    form_.controls.setEnabled("btnAtivar", true);
    if (report) {
        throw PortError(message);
    }
}

void SerialPortController::closeOnExit() {
    closePort();
}

} // namespace orvel
