#ifdef _WIN32
#include "link/win32_serial_link.h"

#include "core/errors.h"
#include "link/port_info.h"

#include <QScopedValueRollback>
#include <QString>

#include <array>
#include <utility>

#include <windows.h>

namespace orvel {

using portinfo::withCode;

namespace {

constexpr DWORD kQueueBytes = 1024; // the driver's receive and send queues

std::wstring devicePath(const std::string& name) {
    return L"\\\\.\\" + QString::fromStdString(portinfo::plainName(name)).toStdWString();
}

HANDLE openDevice(const std::string& name) {
    // Exclusive: a second program (or a second "Ativar") gets "access denied".
    return ::CreateFileW(devicePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
}

int codeNow() {
    return static_cast<int>(::GetLastError());
}

// The line, the driver's queues, and reads that return at once with whatever
// has arrived; null when all is applied, else the failing step's text.
const char* configure(HANDLE port) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port, &dcb)) {
        return "SetCommState function failed";
    }
    dcb.BaudRate = CBR_38400;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE; // a framing error must not stop every later read
    if (!::SetCommState(port, &dcb)) {
        return "SetCommState function failed";
    }
    if (!::SetupComm(port, kQueueBytes, kQueueBytes)) {
        return "SetupComm function failed";
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    // Bounded, so that a line that never drains cannot hold the window for ever.
    timeouts.WriteTotalTimeoutConstant = Win32SerialLink::kWriteTimeoutMs;
    if (!::SetCommTimeouts(port, &timeouts)) {
        return "SetCommTimeouts failed";
    }
    return nullptr;
}

} // namespace

Win32SerialLink::Win32SerialLink(QObject* parent) : QObject(parent), handle_(INVALID_HANDLE_VALUE) {
    reads_.setTimerType(Qt::PreciseTimer);
    reads_.setInterval(kReadTurnMs);
    connect(&reads_, &QTimer::timeout, this, &Win32SerialLink::readWaiting);
}

Win32SerialLink::~Win32SerialLink() {
    close();
}

void Win32SerialLink::open(const std::string& name) {
    close();
    const HANDLE port = openDevice(name);
    if (port == INVALID_HANDLE_VALUE) {
        const int code = codeNow();
        throw PortError(withCode("Unable to open com port", code), code);
    }
    if (const char* failed = configure(port)) {
        const int code = codeNow();
        ::CloseHandle(port);
        throw PortError(withCode(failed, code));
    }
    // Nothing of an earlier user of the port is taken for the module's answer.
    ::PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    handle_ = port;
    reads_.start();
}

void Win32SerialLink::close() {
    reads_.stop();
    if (const HANDLE port = std::exchange(handle_, INVALID_HANDLE_VALUE);
        port != INVALID_HANDLE_VALUE) {
        ::PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
        ::CloseHandle(port);
    }
}

bool Win32SerialLink::isOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

void Win32SerialLink::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen()) {
        throw PortError(withCode("WriteFile function failed", ERROR_INVALID_HANDLE));
    }
    if (bytes.empty()) {
        return;
    }
    // A blocking write on the GUI thread: no read turn runs before it ends, so
    // bytes that arrive meanwhile are handed over after it. The port's write
    // time-out covers the whole message; a short count is that time running out.
    DWORD done = 0;
    const auto size = static_cast<DWORD>(bytes.size());
    if (!::WriteFile(handle_, bytes.data(), size, &done, nullptr)) {
        const int code = codeNow();
        ::PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
        throw PortError(withCode("WriteFile function failed", code));
    }
    if (done != size) {
        // What did not leave must not leave later.
        ::PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
        throw PortError(withCode("WriteFile function failed", ERROR_TIMEOUT));
    }
}

void Win32SerialLink::readWaiting() {
    // A handler that waits in a message box turns the event loop; the bytes
    // that came meanwhile wait for the turn after it returns.
    if (delivering_ || !isOpen()) {
        return;
    }
    std::array<std::uint8_t, kQueueBytes> buffer{}; // all the driver can hold
    DWORD got = 0;
    if (!::ReadFile(handle_, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
        fail("ReadFile function failed", ::GetLastError());
        return;
    }
    if (got == 0 || !onReceived) {
        return;
    }
    const QScopedValueRollback busy(delivering_, true);
    onReceived(std::span<const std::uint8_t>(buffer.data(), got));
}

void Win32SerialLink::fail(const char* what, unsigned long code) {
    // An adapter pulled out: the port is closed and the core is told once.
    close();
    if (onFailure) {
        onFailure(withCode(what, static_cast<int>(code)));
    }
}

bool Win32SerialLink::probe(const std::string& name) {
    // An exclusive open and nothing more. "Access denied" is a port that
    // exists and is in use, listed so that "Ativar" can say so.
    const HANDLE port = openDevice(name);
    if (port == INVALID_HANDLE_VALUE) {
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    ::CloseHandle(port);
    return true;
}

std::string Win32SerialLink::description(const std::string& name) {
    return portinfo::infoFor(name).description().toStdString();
}

} // namespace orvel
#endif
