#pragma once
#ifndef _WIN32

#include "core/platform.h"

#include <QObject>
#include <QSerialPort>

#include <string>

namespace orvel {

// ComPort1 on Qt Serial Port (Linux and other POSIX systems): 38400 8N1, no
// flow control, DTR and RTS held off. Received bytes are handed over on the GUI
// thread through onReceived.
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
    [[nodiscard]] std::string description(const std::string& name) override;

    // How long one message may take to leave before the write counts as failed.
    static constexpr int kWriteTimeoutMs = 2000;

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void scheduleRead();
    void reportFailure(const std::string& message);
    [[nodiscard]] int codeOf(QSerialPort::SerialPortError error) const;

    QSerialPort port_;
    bool writing_ = false;
    bool deferredRead_ = false; // bytes came while a write waited
    bool readQueued_ = false;
    int lastCode_ = 0;        // system error number of the port's last failure
    bool failed_ = false;     // the port broke while open; closed on the next turn
    unsigned generation_ = 0; // counts opens, so a stale failure notice is dropped
};

} // namespace orvel
#endif
