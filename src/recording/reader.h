#pragma once

#include "recording/recording.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace orvel::recording {

struct ReadResult {
    Recording recording;
    // A last line cut off (a crash while writing) is ignored; the user is told.
    bool lastLineCut = false;
};

// Reads a recording this program wrote. Throws FileError (an OrvelError)
// with a Portuguese message naming the line when the text is not a recording.
[[nodiscard]] ReadResult readRecording(std::string_view bytes);
[[nodiscard]] ReadResult readRecordingFile(const std::string& path);

// What to tell the user when the last line was cut: how many rows were read.
[[nodiscard]] std::string cutLineNotice(const ReadResult& result);

} // namespace orvel::recording
