#pragma once

#include <stdexcept>
#include <string>

namespace orvel {

// Every failure that the window shows in its error box derives from this.
// Handlers let it propagate; Form::dispatch catches it at the event boundary.
class OrvelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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

} // namespace orvel
