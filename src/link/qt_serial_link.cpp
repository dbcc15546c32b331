#ifndef _WIN32
#include "link/qt_serial_link.h"

#include "core/errors.h"
#include "link/port_info.h"

#include <QDeadlineTimer>
#include <QMetaObject>

#include <cerrno>
#include <utility>

namespace orvel {

using portinfo::plainName;
using portinfo::withCode;

namespace {

void clearSystemError() {
    errno = 0;
}

// The system's error number of the call that just failed; when the layer
// failed without one, a number that stands for the kind of failure.
int systemError(QSerialPort::SerialPortError error) {
    if (errno != 0) {
        return errno;
    }
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return ENOENT;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return EBUSY;
    case QSerialPort::NotOpenError:
        return EBADF;
    case QSerialPort::TimeoutError:
        return ETIMEDOUT;
    case QSerialPort::UnsupportedOperationError:
        return EINVAL;
    default:
        return EIO;
    }
}

} // namespace

QtSerialLink::QtSerialLink(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialLink::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialLink::onError);
}

QtSerialLink::~QtSerialLink() {
    port_.disconnect(this);
    if (port_.isOpen()) {
        port_.close();
    }
}

void QtSerialLink::open(const std::string& name) {
    close();
    port_.setPortName(QString::fromStdString(plainName(name)));
    clearSystemError();
    lastCode_ = 0;
    if (!port_.open(QIODevice::ReadWrite)) {
        int code = codeOf(port_.error());
        // Another program that holds the port's lock file leaves "file exists"
        // behind; what it means is that the port is busy.
        if (port_.error() == QSerialPort::PermissionError && code != EACCES && code != EPERM) {
            code = EBUSY;
        }
        throw PortError(withCode("Unable to open com port", code), code);
    }
    clearSystemError();
    lastCode_ = 0;
    const bool applied =
        port_.setBaudRate(QSerialPort::Baud38400) && port_.setDataBits(QSerialPort::Data8) &&
        port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
        port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) {
        const int code = codeOf(port_.error());
        port_.close();
        throw PortError(withCode("SetCommState function failed", code));
    }
    // Pseudo-terminals have no modem lines, so holding them off is best effort.
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(false);
    port_.clearError();
    port_.clear();
    failed_ = false;
    ++generation_;
}

void QtSerialLink::close() {
    if (port_.isOpen()) {
        const bool broken = std::exchange(failed_, true); // errors of the close itself are no news
        if (!broken) {
            port_.clear();
        }
        port_.close();
    }
    ++generation_; // a failure notice still queued is about a port that no longer is
    failed_ = false;
    deferredRead_ = false;
}

bool QtSerialLink::isOpen() const {
    return port_.isOpen() && !failed_;
}

void QtSerialLink::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen()) {
        throw PortError(withCode("WriteFile function failed", EBADF));
    }
    if (bytes.empty()) {
        return;
    }
    // Bytes that arrive while the write waits are handed over after it, so
    // that frame handling never runs inside the handler that sends.
    writing_ = true;
    clearSystemError();
    lastCode_ = 0;
    const auto size = static_cast<qint64>(bytes.size());
    bool ok = port_.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
    const QDeadlineTimer deadline(kWriteTimeoutMs);
    while (ok && !failed_ && port_.bytesToWrite() > 0) {
        const auto left = static_cast<int>(deadline.remainingTime());
        ok = left > 0 && port_.waitForBytesWritten(left);
    }
    writing_ = false;
    if (deferredRead_) {
        deferredRead_ = false;
        scheduleRead();
    }
    if (!ok || failed_) {
        const int code = codeOf(ok ? QSerialPort::ResourceError : port_.error());
        if (!failed_ && port_.isOpen()) {
            port_.clear(QSerialPort::Output); // what did not leave must not leave later
        }
        throw PortError(withCode("WriteFile function failed", code));
    }
}

bool QtSerialLink::probe(const std::string& name) {
    QSerialPort trial;
    trial.setPortName(QString::fromStdString(plainName(name)));
    if (!trial.open(QIODevice::ReadWrite)) {
        return false;
    }
    trial.close();
    return true;
}

std::string QtSerialLink::description(const std::string& name) {
    return portinfo::infoFor(name).description().toStdString();
}

int QtSerialLink::codeOf(QSerialPort::SerialPortError error) const {
    if (lastCode_ != 0) {
        return lastCode_;
    }
    return systemError(error);
}

void QtSerialLink::onReadyRead() {
    if (writing_) {
        deferredRead_ = true;
        return;
    }
    if (!isOpen()) {
        return;
    }
    const QByteArray data = port_.readAll();
    if (!data.isEmpty() && onReceived) {
        onReceived(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(data.constData()), data.size()));
    }
    // Bytes that came while the handler waited in a message box raise no
    // new notification of their own.
    if (isOpen() && port_.bytesAvailable() > 0) {
        scheduleRead();
    }
}

void QtSerialLink::scheduleRead() {
    if (readQueued_) {
        return;
    }
    readQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            readQueued_ = false;
            onReadyRead();
        },
        Qt::QueuedConnection);
}

void QtSerialLink::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError) {
        return;
    }
    // A line that hangs up (adapter pulled out, pseudo-terminal closed) reads
    // end-of-file: a read error without an error number, so it is told as EIO.
    const bool lost = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
    lastCode_ = error == QSerialPort::ReadError && !writing_ ? EIO : systemError(error);
    if (!lost || failed_ || !port_.isOpen()) {
        return;
    }
    failed_ = true;
    reportFailure(
        withCode(writing_ ? "WriteFile function failed" : "ReadFile function failed", lastCode_));
}

void QtSerialLink::reportFailure(const std::string& message) {
    // Closing inside the port's own signal is not safe; the next turn of the
    // event loop closes and tells the core.
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, message] {
            if (generation != generation_) {
                return;
            }
            close();
            if (onFailure) {
                onFailure(message);
            }
        },
        Qt::QueuedConnection);
}

} // namespace orvel
#endif
