#pragma once

#include "activity/activity.h"
#include "core/control_store.h"
#include "core/platform.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace orvel {

// What a read, the scanner and the module check say when the module falls silent.
inline constexpr char kNoModuleAnswer[] = "Módulo não responde";

// Owns ComPort1: the port list, activation and deactivation and sends. It tells
// the activity when the port opens and closes; the buttons follow from that.
class SerialPortController {
public:
    enum class Closed { ByTheUser, Lost, OnExit };
    // What runs over the port is not this class's: the composition root says how
    // it ends when the port goes.
    struct Hooks {
        std::function<void()> opened;      // pending received bytes are stale
        std::function<void()> beforeClose; // still on the line: the scanner's stop command
        std::function<void()> closing;     // what runs over the port ends now
        std::function<void(Closed how)> closed;
    };

    SerialPortController(ControlStore& controls, SerialLink& link, PortProber& prober,
                         Activity& activity, Hooks hooks)
        : controls_(controls), link_(link), prober_(prober), activity_(activity),
          hooks_(std::move(hooks)) {}

    void fillPortList(); // FormCreate step 1
    // The user opens the port list: it shows the ports of now, in the same order,
    // keeping the chosen port while it is still there and a name the user typed.
    void cbPortaDropDown();
    // Puts the names into cbPorta and selects the first; none keeps its text.
    void showPorts(std::vector<std::string> names);
    void btnAtivarClick();
    void btnDesativarClick();
    // Writes one message; throws PortError.
    void send(std::span<const std::uint8_t> bytes);
    // The port layer failed while open (adapter pulled out): report once, close.
    void portFailed(const std::string& message);
    // FormClose: closes the port if open.
    void closeOnExit();

    [[nodiscard]] const std::string& portName() const { return portName_; }
    [[nodiscard]] bool isOpen() const { return activity_.portOpen(); }
    // The line itself: a port that failed is closed here before its failure
    // notice reaches the window.
    [[nodiscard]] bool lineOpen() const { return link_.isOpen(); }

private:
    void openPort();
    void closePort(Closed how);

    ControlStore& controls_;
    SerialLink& link_;
    PortProber& prober_;
    Activity& activity_;
    Hooks hooks_;
    std::string portName_ = "COM1";
    // A failed write already told the user that the port is gone.
    bool lossReported_ = false;
};

} // namespace orvel
