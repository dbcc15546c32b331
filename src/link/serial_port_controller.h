#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orvel {

class Form;

// Owns ComPort1: the port list, activation and deactivation, sends, and the
// buttons that follow the port's state.
class SerialPortController {
public:
    explicit SerialPortController(Form& form) : form_(form) {}

    void fillPortList(); // FormCreate step 1
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

private:
    Form& form_;
};

} // namespace orvel
