#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvel {

class Form;

// Owns ComPort1: the port list, activation and deactivation, sends, and the
// buttons that follow the port's state.
class SerialPortController {
public:
    explicit SerialPortController(Form& form) : form_(form) {}

    void fillPortList(); // FormCreate step 1
    // The user opens the port list: it shows the ports of now, in the same order,
    // keeping the chosen port while it is still there and a name the user typed.
    void cbPortaDropDown();
    // Puts the names into cbPorta and selects the first; none keeps its text.
    void showPorts(std::vector<std::string> names);
    void btnAtivarClick();
    void btnDesativarClick();
    void ComPort1AfterOpen();
    void ComPort1AfterClose();
    // Writes one message; throws PortError.
    void send(std::span<const std::uint8_t> bytes);
    // The port layer failed while open (adapter pulled out): report once, close.
    void portFailed(const std::string& message);
    // FormClose: closes the port if open.
    void closeOnExit();

    [[nodiscard]] const std::string& portName() const { return portName_; }
    [[nodiscard]] bool isOpen() const { return open_; }

private:
    void openPort();
    void closePort();
    // Ends whatever runs over the port, leaving the buttons as its normal end would.
    void stopTransfers();

    Form& form_;
    std::string portName_ = "COM1";
    bool open_ = false;
    // A failed write already told the user that the port is gone.
    bool lossReported_ = false;
};

} // namespace orvel
