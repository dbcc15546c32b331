#pragma once
#ifdef _WIN32

#include "core/platform.h"

#include <QObject>
#include <QTimer>

#include <string>

namespace orvel {

// ComPort1 on Windows' own communication functions: 38400 8N1, no flow
// control, DTR and RTS held off. What the driver has received is read on a
// short timer of the GUI thread and handed over through onReceived. A port
// read on line events instead (WaitCommEvent, as the serial layer does) never
// hears of arriving bytes on some drivers, Wine's among them; a read of what is
// already there works on every one, and at 38400 baud a 5 ms turn is a few
// bytes in a buffer that holds thousands.
class Win32SerialLink : public QObject, public SerialLink, public PortProber {
    Q_OBJECT
public:
    explicit Win32SerialLink(QObject* parent = nullptr);
    ~Win32SerialLink() override;

    void open(const std::string& name) override;
    void close() override;
    [[nodiscard]] bool isOpen() const override;
    void write(std::span<const std::uint8_t> bytes) override;
    [[nodiscard]] bool probe(const std::string& name) override;
    [[nodiscard]] std::string description(const std::string& name) override;

    static constexpr int kReadTurnMs = 5;
    // How long one message may take to leave before the write counts as failed.
    static constexpr int kWriteTimeoutMs = 2000;

private:
    void readWaiting();
    void fail(const char* what, unsigned long code);

    void* handle_; // the port's HANDLE; INVALID_HANDLE_VALUE when closed
    QTimer reads_;
    bool delivering_ = false; // a handler is still busy with the last bytes
};

} // namespace orvel
#endif
