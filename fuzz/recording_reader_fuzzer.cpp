// Hostile recordings: the input is the file's bytes.
//
// Checked: the reader either loads the file or refuses it with a FileError,
// nothing else escapes; what it loads holds only values the frames can give
// (or unknown ones); and what loads writes back so that reading and writing again gives the
// same bytes, whole (no line is lost or cut on the way).
#include "fuzz_support.h"

#include "core/errors.h"
#include "recording/reader.h"
#include "recording/writer.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::fuzz {
namespace {

void checkRanges(const recording::Recording& r) {
    for (std::size_t row = 0; row < r.rows(); ++row) {
        require(row == 0 || r.timeMs(row) >= r.timeMs(row - 1), "times go back");
        for (int c = 0; c < static_cast<int>(recording::kValueCount); ++c) {
            const auto range = recording::fixedRange(c);
            const auto v = r.fixedValue(c, row);
            require(v == recording::kUnknown || (v >= range.min && v <= range.max),
                    "a value out of its column's range");
        }
    }
    for (const auto& column : r.extraValues) {
        require(column.size() == r.rows(), "an extra column of another length");
    }
}

} // namespace
} // namespace orvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvel;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    recording::ReadResult first;
    try {
        first = recording::readRecording(bytes);
    } catch (const FileError&) {
        return 0; // refused whole
    }
    fuzz::checkRanges(first.recording);
    const std::string once = recording::writeRecording(first.recording);
    recording::ReadResult second;
    try {
        second = recording::readRecording(once);
    } catch (const FileError&) {
        fuzz::violated("what was loaded does not read back");
    }
    fuzz::require(!second.lastLineCut, "a written recording reads as cut");
    fuzz::require(second.recording.rows() == first.recording.rows(), "rows lost on the way back");
    fuzz::require(second.recording.extraColumns == first.recording.extraColumns,
                  "extra columns changed on the way back");
    fuzz::require(recording::writeRecording(second.recording) == once,
                  "writing what was read back gives other bytes");
    return 0;
}
