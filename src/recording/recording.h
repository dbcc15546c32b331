#pragma once

#include "link/frames.h"
#include "recording/columns.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace orvel::recording {

// The three frames of one scanner set (ids 29, 30, 31) as received.
using FrameSet = std::array<frames::ModuleFrame, 3>;

inline constexpr std::size_t kValueCount = kValueColumns.size();
// A value in its column's fixed point: 12,3 in a one-decimal column is 123.
using FixedValues = std::array<std::int32_t, kValueCount>;
// A value the frames did not tell (RPM before the cylinder count is known, a
// frame not yet received): an empty field in the file, a gap in the plot.
inline constexpr std::int32_t kUnknown = std::numeric_limits<std::int32_t>::min();

// What the frames' decoding can give in a column, in its fixed point. Values
// outside are refused when a file is read.
struct FixedRange {
    std::int32_t min;
    std::int32_t max;
};
[[nodiscard]] FixedRange fixedRange(int column);

// One row as the file holds it: milliseconds since the start, the values in
// fixed point, the raw frames.
struct Row {
    std::int32_t timeMs = 0;
    FixedValues values{};
    FrameSet frames{};
};

// A recording in memory, read from a file or built by tests. Columnar and
// compact (a ten-hour recording must stay under 100 bytes per row): values are
// kept as fixed-point integers with their column's decimals, 16 bits wide where
// the frames' decoding bounds them to that.
class Recording {
public:
    [[nodiscard]] std::size_t rows() const;
    [[nodiscard]] double time(std::size_t row) const; // seconds since the start
    // A fixed value column (see kValueColumns / col::) as a number; NaN when unknown.
    [[nodiscard]] double value(int column, std::size_t row) const;
    [[nodiscard]] bool known(int column, std::size_t row) const {
        return fixedValue(column, row) != kUnknown;
    }
    [[nodiscard]] FrameSet frames(std::size_t row) const;
    // First row whose time is at or after t (rows() if none): binary search.
    [[nodiscard]] std::size_t rowAt(double seconds) const;

    // Appends a row; values in kValueColumns order, already rounded to their decimals,
    // NaN for unknown. Values beyond what a column stores (16 bits, or 32 for RPM and
    // duty) are clamped.
    void append(double seconds, const std::array<double, kValueColumns.size()>& values,
                const FrameSet& frames);

    // The same in the file's terms (kUnknown for an unknown value).
    [[nodiscard]] std::int32_t timeMs(std::size_t row) const { return timesMs_[row]; }
    [[nodiscard]] std::int32_t fixedValue(int column, std::size_t row) const;
    [[nodiscard]] Row row(std::size_t row) const;
    void append(const Row& row);

    // One value column's samples in place, for readers of many rows (the plot).
    class ColumnView {
    public:
        [[nodiscard]] bool known(std::size_t row) const {
            return narrow_ != nullptr ? narrow_[row] != std::numeric_limits<std::int16_t>::min()
                                      : wide_[row] != kUnknown;
        }
        [[nodiscard]] double value(std::size_t row) const { // known rows only
            return (narrow_ != nullptr ? narrow_[row] : wide_[row]) / scale_;
        }

    private:
        friend class Recording;
        const std::int16_t* narrow_ = nullptr;
        const std::int32_t* wide_ = nullptr;
        double scale_ = 1;
    };
    [[nodiscard]] ColumnView column(int column) const;
    [[nodiscard]] const std::vector<std::int32_t>& timesMs() const { return timesMs_; }

    void reserve(std::size_t rows);
    // Bytes held for the rows (capacities included), extra columns not counted.
    [[nodiscard]] std::size_t memoryBytes() const;

    // Columns found in the file that this program does not write; kept, by name,
    // so a recording loads and writes back whole.
    std::vector<std::string> extraColumns;
    std::vector<std::vector<std::string>> extraValues; // [column][row], text as read

private:
    static constexpr std::size_t kWideColumns = 2; // RPM and duty exceed 16 bits
    std::vector<std::int32_t> timesMs_;
    std::array<std::vector<std::int16_t>, kValueCount - kWideColumns> narrow_;
    std::array<std::vector<std::int32_t>, kWideColumns> wide_;
    std::vector<std::uint8_t> frames_; // rows() * 27: id and 8 data bytes, three times
};

} // namespace orvel::recording
