#include "link/serial_port_controller.h"

#include "core/errors.h"
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
    showPorts(ListSerialPorts(prober_));
}

void SerialPortController::showPorts(std::vector<std::string> names) {
    std::string first = names.empty() ? std::string() : names.front();
    controls_.setItems("cbPorta", std::move(names));
    if (!first.empty()) {
        controls_.setText("cbPorta", std::move(first));
    }
}

void SerialPortController::cbPortaDropDown() {
    auto& c = controls_;
    HeldPortProber prober(prober_, isOpen() ? portName_ : std::string());
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
    if (!activity_.mayOpenPort()) {
        return;
    }
    const std::string& name = controls_.text("cbPorta");
    if (name != portName_) {
        portName_ = name;
    }
    openPort();
}

void SerialPortController::btnDesativarClick() {
    if (!activity_.mayClosePort()) {
        return;
    }
    closePort(Closed::ByTheUser);
}

void SerialPortController::openPort() {
    try {
        link_.open(portName_);
    } catch (PortError& e) {
        e.setHint(openFailureHint(e.systemError()));
        throw;
    }
    lossReported_ = false;
    hooks_.opened();
    activity_.portOpened();
}

void SerialPortController::closePort(Closed how) {
    if (how != Closed::Lost) {
        hooks_.beforeClose();
    }
    link_.close();
    if (activity_.portOpen()) {
        hooks_.closing();
        activity_.portClosed();
        hooks_.closed(how);
    }
}

void SerialPortController::send(std::span<const std::uint8_t> bytes) {
    try {
        link_.write(bytes);
    } catch (const PortError&) {
        // A write that lost the port has told the user; the failure notice that
        // follows only has to close.
        if (isOpen() && !link_.isOpen()) {
            lossReported_ = true;
        }
        throw;
    }
}

void SerialPortController::portFailed(const std::string& message) {
    if (!isOpen()) {
        return; // closed already: nothing runs over it any more
    }
    const bool report = !lossReported_;
    closePort(Closed::Lost);
    if (report) {
        throw PortError(message);
    }
}

void SerialPortController::closeOnExit() {
    closePort(Closed::OnExit);
}

} // namespace orvel
