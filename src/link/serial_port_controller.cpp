#include "link/serial_port_controller.h"
#include "core/form.h"

namespace orvel {
void SerialPortController::fillPortList() { (void)form_; }
void SerialPortController::btnAtivarClick() {}
void SerialPortController::btnDesativarClick() {}
void SerialPortController::ComPort1AfterOpen() {}
void SerialPortController::ComPort1AfterClose() {}
void SerialPortController::send(std::span<const std::uint8_t> bytes) { form_.link.write(bytes); }
void SerialPortController::portFailed(const std::string& message) { (void)message; }
void SerialPortController::closeOnExit() {}
} // namespace orvel
