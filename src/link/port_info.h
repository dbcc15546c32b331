#pragma once

#include <QSerialPortInfo>

#include <string>

// What the system tells of a serial port, the same for every link: its plain
// name, its description, and the words its failures are reported in.
namespace orvel::portinfo {

// "\\.\COM12" and "COM12" name the same port.
[[nodiscard]] std::string plainName(const std::string& name);
// What the system knows of the port the list shows as `name`: a path
// ("/dev/ttyUSB0", or a link to it) or a COM name; null when it knows nothing.
[[nodiscard]] QSerialPortInfo infoFor(const std::string& name);
// "Unable to open com port (win error code: 2)": the module's users know the
// failures by these texts, on every system.
[[nodiscard]] std::string withCode(const char* text, int code);

} // namespace orvel::portinfo
