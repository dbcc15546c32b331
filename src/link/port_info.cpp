#include "link/port_info.h"

#include <QFileInfo>

namespace orvel::portinfo {

namespace {
constexpr char kLongPrefix[] = "\\\\.\\";
}

std::string plainName(const std::string& name) {
    return name.rfind(kLongPrefix, 0) == 0 ? name.substr(sizeof kLongPrefix - 1) : name;
}

QSerialPortInfo infoFor(const std::string& name) {
    const QString given = QString::fromStdString(name);
    const QString bare = QString::fromStdString(plainName(name));
    // A link (a simulator's, /dev/serial/by-id/...) names the device it points at.
    const QString resolved = QFileInfo(given).canonicalFilePath();
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        const QString location = info.systemLocation();
        if (location == given || (!resolved.isEmpty() && location == resolved) ||
            info.portName() == bare) {
            return info;
        }
    }
    return {};
}

std::string withCode(const char* text, int code) {
    return std::string(text) + " (win error code: " + std::to_string(code) + ")";
}

} // namespace orvel::portinfo
