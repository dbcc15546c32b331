#include "recording/writer.h"

#include <charconv>

namespace orvel::recording {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

void appendRowFields(std::string& out, const Row& row) {
    appendFixed(out, row.timeMs, 3);
    for (std::size_t c = 0; c < kValueCount; ++c) {
        out += ';';
        if (row.values[c] != kUnknown) { // an unknown value is an empty field
            appendFixed(out, row.values[c], kValueColumns[c].decimals);
        }
    }
    out += ';';
    appendFrames(out, row.frames);
}

} // namespace

std::string header(const std::vector<std::string>& extraColumns) {
    std::string out(kByteOrderMark);
    out += kTimeColumn;
    for (const auto& column : kValueColumns) {
        out += ';';
        out += column.name;
    }
    out += ';';
    out += kFramesColumn;
    for (const auto& name : extraColumns) {
        out += ';';
        appendText(out, name);
    }
    out += kLineEnd;
    return out;
}

void appendFixed(std::string& out, std::int64_t value, int decimals) {
    if (value < 0) {
        out += '-';
    }
    const std::uint64_t magnitude =
        value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    const auto count = static_cast<std::size_t>(end - digits);
    const auto places = static_cast<std::size_t>(decimals);
    if (places == 0) {
        out.append(digits, count);
    } else if (count <= places) { // 5 with two decimals is 0,05
        out += "0,";
        out.append(places - count, '0');
        out.append(digits, count);
    } else {
        out.append(digits, count - places);
        out += ',';
        out.append(digits + count - places, places);
    }
}

void appendFrames(std::string& out, const FrameSet& frames) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    bool first = true;
    const auto put = [&](std::uint8_t b) {
        if (!first) {
            out += ' ';
        }
        first = false;
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    };
    for (const auto& frame : frames) {
        put(frame.id);
        for (auto b : frame.data) {
            put(b);
        }
    }
}

void appendText(std::string& out, std::string_view text) {
    if (text.find_first_of(";\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char ch : text) {
        if (ch == '"') {
            out += '"';
        }
        out += ch;
    }
    out += '"';
}

void appendRow(std::string& out, const Row& row) {
    appendRowFields(out, row);
    out += kLineEnd;
}

std::string writeRecording(const Recording& recording) {
    std::string out = header(recording.extraColumns);
    out.reserve(out.size() + recording.rows() * 200);
    for (std::size_t r = 0; r < recording.rows(); ++r) {
        appendRowFields(out, recording.row(r));
        for (const auto& column : recording.extraValues) {
            out += ';';
            appendText(out, column[r]);
        }
        out += kLineEnd;
    }
    return out;
}

} // namespace orvel::recording
