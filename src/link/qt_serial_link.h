#pragma once

#include "core/platform.h"

#include <QObject>
#include <QSerialPort>

namespace orvel {

// ComPort1 on Qt Serial Port: 38400 8N1, no flow control, DTR and RTS held off.
// Received bytes are handed over on the GUI thread through onReceived.
class QtSerialLink : public QObject, public SerialLink, public PortProber {
    Q_OBJECT
public:
    explicit QtSerialLink(QObject* parent = nullptr);
    ~QtSerialLink() override;

    void open(const std::string& name) override;
    void close() override;
    [[nodiscard]] bool isOpen() const override;
    void write(std::span<const std::uint8_t> bytes) override;
    [[nodiscard]] bool probe(const std::string& name) override;

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    QSerialPort port_;
};

} // namespace orvel
