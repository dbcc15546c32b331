#pragma once

#include "core/manual_clock.h"
#include "core/platform.h"
#include "form/form.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Minimal fakes for the fuzz targets: libFuzzer binaries link no test framework.
namespace orvel::fuzz {

// Stops the run with a message libFuzzer shows beside the crash input.
[[noreturn]] inline void violated(const char* what) {
    std::fprintf(stderr, "\nINVARIANT VIOLATED: %s\n", what);
    std::fflush(stderr);
    __builtin_trap();
}

inline void require(bool condition, const char* what) {
    if (!condition) {
        violated(what);
    }
}

// A port that is always there and swallows every write, handing each one to a checker.
class SinkLink : public SerialLink, public PortProber {
public:
    void open(const std::string&) override { open_ = true; }
    void close() override { open_ = false; }
    [[nodiscard]] bool isOpen() const override { return open_; }
    void write(std::span<const std::uint8_t> bytes) override {
        require(open_, "write on a closed port");
        if (onWrite) {
            onWrite(bytes);
        }
        ++writes;
    }
    [[nodiscard]] bool probe(const std::string& name) override { return name == "COM1"; }

    // Bytes from the module; a closed port hears nothing.
    void feed(std::span<const std::uint8_t> bytes) {
        if (open_ && onReceived) {
            onReceived(bytes);
        }
    }

    std::function<void(std::span<const std::uint8_t>)> onWrite;
    int writes = 0;

private:
    bool open_ = false;
};

// Presses OK on every box; the open dialog offers `openName` when set.
class AcceptingDialogs : public Dialogs {
public:
    void message(const std::string&) override { ++messages; }
    void error(const std::string& text) override {
        ++errors;
        lastError = text;
    }
    std::optional<std::string> saveFileName(const FileDialogOptions&) override { return saveName; }
    std::optional<std::string> openFileName(const FileDialogOptions&) override { return openName; }

    int messages = 0;
    int errors = 0;
    std::string lastError;
    std::optional<std::string> saveName;
    std::optional<std::string> openName;
};

// A whole headless core on a manual clock.
struct Core {
    Core() : form(link, link, clock, dialogs) { form.create(); }
    ManualClock clock;
    SinkLink link;
    AcceptingDialogs dialogs;
    Form form;
};

} // namespace orvel::fuzz
