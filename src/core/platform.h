#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvel {

// The serial port as the core sees it. Implementations: QtSerialLink and
// Win32SerialLink (real ports), FakeLink (tests). open/write throw PortError with the port layer's
// texts.
class SerialLink {
public:
    virtual ~SerialLink() = default;
    virtual void open(const std::string& name) = 0;
    virtual void close() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;
    virtual void write(std::span<const std::uint8_t> bytes) = 0;

    // Set by the core. Received bytes, in order, on the GUI thread.
    std::function<void(std::span<const std::uint8_t>)> onReceived;
    // Set by the core. The port failed while open (read error, adapter pulled out).
    std::function<void(const std::string& message)> onFailure;
};

// Tells whether a port can be opened right now (open exclusively, close).
class PortProber {
public:
    virtual ~PortProber() = default;
    [[nodiscard]] virtual bool probe(const std::string& name) = 0;
    // What the device calls itself ("FT232R USB UART"), or empty.
    [[nodiscard]] virtual std::string description(const std::string& name) {
        (void)name;
        return {};
    }
};

// A repeating timer with the semantics the handlers rely on: enabling a running
// timer does not restart it; changing the interval of a running timer does.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int ms) = 0;
    [[nodiscard]] virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    [[nodiscard]] virtual bool enabled() const = 0;

    std::function<void()> onTimer; // set by the core; runs at the event boundary
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    [[nodiscard]] virtual std::unique_ptr<Timer> createTimer(const std::string& name) = 0;
};

struct FileDialogOptions {
    std::string name;       // "sdSalvar" / "odCarregar"
    std::string filter;     // "Arquivos Compatíveis (.txt)|*.txt|Todos os arquivos|*.*"
    std::string defaultExt; // "*.txt"
    std::string initialDir;
    std::string fileName; // last file chosen with this dialog during the run
};

// Modal boxes and file dialogs. A real modal box keeps timers and received
// bytes flowing; scripted test boxes may run code "while open".
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Plain message box with one OK button, titled "Orvel".
    virtual void message(const std::string& text) = 0;
    // Error box with the error icon and one OK button, titled "Orvel".
    virtual void error(const std::string& text) = 0;
    [[nodiscard]] virtual std::optional<std::string>
    saveFileName(const FileDialogOptions& options) = 0;
    [[nodiscard]] virtual std::optional<std::string>
    openFileName(const FileDialogOptions& options) = 0;
};

} // namespace orvel
