#pragma once

#include "link/frames.h"
#include "recording/columns.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvel::recording {

// The three frames of one scanner set (ids 29, 30, 31) as received.
using FrameSet = std::array<frames::ModuleFrame, 3>;

// A recording in memory, read from a file or built by tests. Columnar and
// compact (a ten-hour recording must stay under 100 bytes per row): values are
// kept as fixed-point integers with their column's decimals.
class Recording {
public:
    [[nodiscard]] std::size_t rows() const;
    [[nodiscard]] double time(std::size_t row) const; // seconds since the start
    // A fixed value column (see kValueColumns / col::) as a number.
    [[nodiscard]] double value(int column, std::size_t row) const;
    [[nodiscard]] FrameSet frames(std::size_t row) const;
    // First row whose time is at or after t (rows() if none): binary search.
    [[nodiscard]] std::size_t rowAt(double seconds) const;

    // Appends a row; values in kValueColumns order, already rounded to their decimals.
    void append(double seconds, const std::array<double, kValueColumns.size()>& values,
                const FrameSet& frames);

    // Columns found in the file that this program does not write; kept, by name,
    // so a recording loads and writes back whole.
    std::vector<std::string> extraColumns;
    std::vector<std::vector<std::string>> extraValues; // [column][row], text as read

private:
    // The representation is free to change (the public interface is shared).
    std::vector<std::int32_t> timesMs_;
    std::vector<std::int32_t> values_; // rows() * kValueColumns.size(), fixed point
    std::vector<std::uint8_t> frames_; // rows() * 27: id and 8 data bytes, three times
};

} // namespace orvel::recording
