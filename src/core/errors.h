#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace orvel {

// Every failure that the window shows in its error box derives from this.
// Handlers let it propagate; Form::dispatch catches it at the event boundary.
class OrvelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    // What the user can do about it, shown under the message; empty for nothing.
    [[nodiscard]] const std::string& hint() const { return hint_; }
    void setHint(std::string hint) { hint_ = std::move(hint); }

private:
    std::string hint_;
};

// A field text that does not parse as the number an operation needs.
class ConversionError : public OrvelError {
public:
    using OrvelError::OrvelError;
};

// A failure of the serial-port layer (open, write, read, unplug).
class PortError : public OrvelError {
public:
    using OrvelError::OrvelError;
    PortError(const std::string& message, int systemError)
        : OrvelError(message), systemError_(systemError) {}

    // The system's error number behind the message; 0 when unknown.
    [[nodiscard]] int systemError() const { return systemError_; }

private:
    int systemError_ = 0;
};

// A file that cannot be read or written.
class FileError : public OrvelError {
public:
    using OrvelError::OrvelError;
};

// A value refused before anything is changed or sent; the handler has already
// put the focus where the user has to look. Shown as a warning, not as an error.
class RefusedError : public OrvelError {
public:
    using OrvelError::OrvelError;
};

// The error box appends a full stop when the last byte sorts after '.'.
[[nodiscard]] std::string withFullStop(const std::string& message);
// The error box's text: the message with its full stop, the hint below it.
[[nodiscard]] std::string errorBoxText(const OrvelError& error);

} // namespace orvel
