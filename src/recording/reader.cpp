#include "recording/reader.h"

#include "core/errors.h"
#include "recording/writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>

namespace orvel::recording {

namespace {

constexpr std::size_t kFieldBytes = 27 * 3 - 1; // "1D 55 03 ..."
constexpr std::size_t kMaxDigits = 15;          // whole digits: beyond every column's range

[[noreturn]] void refuse(std::size_t line, const std::string& why) {
    throw FileError("Registro inválido na linha " + std::to_string(line) + ": " + why);
}

[[noreturn]] void notARecording(const std::string& why) {
    throw FileError("O arquivo não é um registro do Orvel (linha 1: " + why + ")");
}

std::string quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string out = "\"";
    out += text.substr(0, kShown);
    out += text.size() > kShown ? "...\"" : "\"";
    return out;
}

// The fields of one line. Quoted fields are unescaped into storage that lives
// until the next line; the rest are views into the file's bytes.
class FieldSplitter {
public:
    // False when a quoted field is not closed properly.
    bool split(std::string_view line) {
        fields.clear();
        unescaped_.clear();
        std::size_t at = 0;
        while (true) {
            if (at < line.size() && line[at] == '"') {
                auto& text = unescaped_.emplace_back();
                std::size_t i = at + 1;
                while (true) {
                    if (i >= line.size()) {
                        return false;
                    }
                    if (line[i] == '"') {
                        if (i + 1 < line.size() && line[i + 1] == '"') {
                            text += '"';
                            i += 2;
                            continue;
                        }
                        break;
                    }
                    text += line[i++];
                }
                fields.emplace_back(text);
                at = i + 1;
                if (at == line.size()) {
                    return true;
                }
                if (line[at] != ';') {
                    return false;
                }
                ++at;
                continue;
            }
            const std::size_t end = line.find(';', at);
            if (end == std::string_view::npos) {
                fields.push_back(line.substr(at));
                return true;
            }
            fields.push_back(line.substr(at, end - at));
            at = end + 1;
        }
    }

    std::vector<std::string_view> fields;

private:
    std::deque<std::string> unescaped_;
};

// A number with a decimal comma in fixed point with `decimals` places, rounded
// half away from zero; nullopt when the text is not such a number.
std::optional<std::int64_t> parseFixed(std::string_view text, int decimals) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    i += negative ? 1 : 0;
    std::int64_t value = 0;
    const std::size_t wholeStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (i - wholeStart >= kMaxDigits) {
            return std::nullopt;
        }
        value = value * 10 + (text[i++] - '0');
    }
    if (i == wholeStart) {
        return std::nullopt;
    }
    int places = 0;
    bool roundUp = false;
    if (i < text.size() && text[i] == ',') {
        const std::size_t fractionStart = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            const int digit = text[i] - '0';
            if (places < decimals) {
                value = value * 10 + digit;
                ++places;
            } else if (i - fractionStart == static_cast<std::size_t>(decimals)) {
                roundUp = digit >= 5;
            }
            ++i;
        }
        if (i == fractionStart) {
            return std::nullopt;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    for (; places < decimals; ++places) {
        value *= 10;
    }
    value += roundUp ? 1 : 0;
    return negative ? -value : value;
}

int hexDigit(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    return -1;
}

std::optional<FrameSet> parseFrames(std::string_view text) {
    if (text.size() != kFieldBytes) {
        return std::nullopt;
    }
    FrameSet set{};
    std::size_t at = 0;
    for (auto& frame : set) {
        for (std::size_t b = 0; b < 9; ++b, at += 3) {
            const int high = hexDigit(text[at]);
            const int low = hexDigit(text[at + 1]);
            if (high < 0 || low < 0 || (at + 2 < text.size() && text[at + 2] != ' ')) {
                return std::nullopt;
            }
            const auto byte = static_cast<std::uint8_t>(high << 4 | low);
            if (b == 0) {
                frame.id = byte;
            } else {
                frame.data[b - 1] = byte;
            }
        }
    }
    return set;
}

// Where each column the program knows sits in the file's lines.
struct Layout {
    std::size_t fields = 0;
    std::size_t time = 0;
    std::array<std::size_t, kValueCount> values{};
    std::size_t frames = 0;
    std::vector<std::size_t> extras;
};

Layout readHeader(const std::vector<std::string_view>& names, Recording& recording) {
    constexpr std::size_t kMissing = std::numeric_limits<std::size_t>::max();
    Layout layout;
    layout.fields = names.size();
    layout.time = layout.frames = kMissing;
    layout.values.fill(kMissing);
    const auto claim = [&](std::size_t& slot, std::size_t index, std::string_view name) {
        if (slot != kMissing) {
            notARecording("a coluna " + quoted(name) + " aparece duas vezes");
        }
        slot = index;
    };
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto name = names[i];
        if (name == kTimeColumn) {
            claim(layout.time, i, name);
            continue;
        }
        if (name == kFramesColumn) {
            claim(layout.frames, i, name);
            continue;
        }
        const auto known = std::find_if(kValueColumns.begin(), kValueColumns.end(),
                                        [&](const Column& c) { return c.name == name; });
        if (known != kValueColumns.end()) {
            claim(layout.values[static_cast<std::size_t>(known - kValueColumns.begin())], i, name);
            continue;
        }
        const auto former = std::find_if(kFormerNames.begin(), kFormerNames.end(),
                                         [&](const FormerName& f) { return f.name == name; });
        if (former != kFormerNames.end()) {
            claim(layout.values[static_cast<std::size_t>(former->column)], i, name);
            continue;
        }
        layout.extras.push_back(i);
        recording.extraColumns.emplace_back(name);
    }
    if (layout.time == kMissing) {
        notARecording("falta a coluna " + quoted(kTimeColumn));
    }
    for (std::size_t c = 0; c < kValueCount; ++c) {
        if (layout.values[c] == kMissing) {
            notARecording("falta a coluna " + quoted(kValueColumns[c].name));
        }
    }
    if (layout.frames == kMissing) {
        notARecording("falta a coluna " + quoted(kFramesColumn));
    }
    recording.extraValues.resize(layout.extras.size());
    return layout;
}

// One data line into a row; the reason it is refused otherwise.
std::optional<std::string> parseRow(const std::vector<std::string_view>& fields,
                                    const Layout& layout, std::int32_t previousMs, Row& row) {
    if (fields.size() != layout.fields) {
        return std::to_string(fields.size()) + " campos, mas o cabeçalho tem " +
               std::to_string(layout.fields);
    }
    const auto time = parseFixed(fields[layout.time], 3);
    if (!time || *time < 0 || *time > std::numeric_limits<std::int32_t>::max()) {
        return "a coluna " + quoted(kTimeColumn) + " tem " + quoted(fields[layout.time]) +
               ", que não é um tempo válido";
    }
    if (*time < previousMs) {
        return "o tempo " + quoted(fields[layout.time]) + " é menor que o da linha anterior";
    }
    row.timeMs = static_cast<std::int32_t>(*time);
    for (std::size_t c = 0; c < kValueCount; ++c) {
        const auto text = fields[layout.values[c]];
        if (text.empty()) {
            row.values[c] = kUnknown; // what the frames did not tell
            continue;
        }
        const auto value = parseFixed(text, kValueColumns[c].decimals);
        const auto range = fixedRange(static_cast<int>(c));
        if (!value) {
            return "a coluna " + quoted(kValueColumns[c].name) + " tem " + quoted(text) +
                   ", que não é um número";
        }
        if (*value < range.min || *value > range.max) {
            return "a coluna " + quoted(kValueColumns[c].name) + " tem " + quoted(text) +
                   ", fora da faixa que os quadros podem dar";
        }
        row.values[c] = static_cast<std::int32_t>(*value);
    }
    const auto frames = parseFrames(fields[layout.frames]);
    if (!frames) {
        return "a coluna " + quoted(kFramesColumn) + " tem " + quoted(fields[layout.frames]) +
               ", que não são 27 bytes em hexadecimal";
    }
    row.frames = *frames;
    return std::nullopt;
}

} // namespace

ReadResult readRecording(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark)) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    if (bytes.empty()) {
        notARecording("o arquivo está vazio");
    }
    ReadResult result;
    Recording& recording = result.recording;
    FieldSplitter splitter;

    std::size_t at = 0;
    std::size_t lineNumber = 0;
    // The next line without its end; false at the end of the bytes.
    bool terminated = true;
    const auto nextLine = [&](std::string_view& line) {
        if (at >= bytes.size()) {
            return false;
        }
        const std::size_t end = bytes.find('\n', at);
        terminated = end != std::string_view::npos;
        const std::size_t stop = terminated ? end : bytes.size();
        line = bytes.substr(at, stop - at);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        at = terminated ? end + 1 : bytes.size();
        ++lineNumber;
        return true;
    };

    std::string_view line;
    nextLine(line);
    if (!splitter.split(line)) {
        notARecording("aspas sem fechamento");
    }
    const Layout layout = readHeader(splitter.fields, recording);
    recording.reserve(static_cast<std::size_t>(std::count(bytes.begin() + at, bytes.end(), '\n')) +
                      1);

    Row row;
    std::int32_t previousMs = 0;
    while (nextLine(line)) {
        if (line.empty() && bytes.find_first_not_of("\r\n", at) == std::string_view::npos) {
            break; // blank lines at the end
        }
        std::optional<std::string> fault;
        if (!splitter.split(line)) {
            fault = "aspas sem fechamento";
        } else {
            fault = parseRow(splitter.fields, layout, previousMs, row);
        }
        if (fault) {
            if (!terminated) {
                result.lastLineCut = true; // the crash's last, half-written line
                break;
            }
            refuse(lineNumber, *fault);
        }
        recording.append(row);
        previousMs = row.timeMs;
        for (std::size_t e = 0; e < layout.extras.size(); ++e) {
            recording.extraValues[e].emplace_back(splitter.fields[layout.extras[e]]);
        }
    }
    return result;
}

ReadResult readRecordingFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw FileError("Não foi possível abrir o registro " + path + ": " + std::strerror(errno));
    }
    // In one read: a ten-hour recording is about 30 MB.
    in.seekg(0, std::ios::end);
    std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in) {
        throw FileError("Não foi possível ler o registro " + path);
    }
    return readRecording(bytes);
}

std::string cutLineNotice(const ReadResult& result) {
    const auto rows = result.recording.rows();
    return "A última linha do registro estava incompleta (o programa foi interrompido enquanto "
           "gravava) e foi ignorada; " +
           std::to_string(rows) + (rows == 1 ? " linha lida." : " linhas lidas.");
}

} // namespace orvel::recording
