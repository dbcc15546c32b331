#include "link/qt_serial_link.h"

namespace orvel {

QtSerialLink::QtSerialLink(QObject* parent) : QObject(parent) {}
QtSerialLink::~QtSerialLink() = default;
void QtSerialLink::open(const std::string& name) { (void)name; }
void QtSerialLink::close() {}
bool QtSerialLink::isOpen() const { return port_.isOpen(); }
void QtSerialLink::write(std::span<const std::uint8_t> bytes) { (void)bytes; }
bool QtSerialLink::probe(const std::string& name) { (void)name; return false; }
void QtSerialLink::onReadyRead() {}
void QtSerialLink::onError(QSerialPort::SerialPortError error) { (void)error; }

} // namespace orvel
