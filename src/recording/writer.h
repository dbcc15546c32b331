#pragma once

#include "recording/recording.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvel::recording {

// The text of a recording file, made to open as it is in a spreadsheet with
// Brazilian settings: UTF-8 with a byte-order mark, CR LF, ';' between fields,
// decimal comma, no thousands separator, quotes only where a field needs them.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The byte-order mark and the column names, extra columns after the frames.
[[nodiscard]] std::string header(const std::vector<std::string>& extraColumns = {});
// One row without extra columns, line end included.
void appendRow(std::string& out, const Row& row);
// A value in fixed point with that many decimals: (-5, 2) gives "-0,05".
void appendFixed(std::string& out, std::int64_t value, int decimals);
// The three frames as 27 upper-case hex bytes separated by single blanks.
void appendFrames(std::string& out, const FrameSet& frames);
// A text field, quoted (with doubled quotes) only when it holds ';', a quote or a line break.
void appendText(std::string& out, std::string_view text);

// A whole recording, extra columns included.
[[nodiscard]] std::string writeRecording(const Recording& recording);

} // namespace orvel::recording
