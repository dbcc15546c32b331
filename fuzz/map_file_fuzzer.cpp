// Hostile map files: the input is the file's bytes.
//
// Checked: the first line splits into 1..256 parts as a plain split would; every
// slot can be saved again and reads back as itself; and "Carregar" either fills
// all 199 values from the file or, with an error box, changes nothing at all.
#include "fuzz_support.h"

#include "core/errors.h"
#include "files/map_file.h"
#include "model/config.h"
#include "model/number_text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::fuzz {
namespace {

// The first line as the loader reads it, still in bytes.
std::string firstLine(std::string_view bytes) {
    std::string line;
    for (const char c : bytes) {
        if (c == '\n' || c == 0x1A) {
            break;
        }
        if (c != '\r') {
            line.push_back(c);
        }
    }
    return line;
}

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool isUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t more = 0;
        if (lead < 0x80) {
            more = 0;
        } else if ((lead & 0xE0) == 0xC0 && lead >= 0xC2) {
            more = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            more = 2;
        } else if ((lead & 0xF8) == 0xF0 && lead <= 0xF4) {
            more = 3;
        } else {
            return false;
        }
        if (i + more >= text.size()) {
            return false;
        }
        for (std::size_t k = 1; k <= more; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += more + 1;
    }
    return true;
}

std::vector<std::string> plainSplit(std::string_view line) {
    std::vector<std::string> parts(1);
    for (const char c : line) {
        if (c == ';') {
            if (parts.size() == mapfile::kMaxSlots) {
                break;
            }
            parts.emplace_back();
        } else {
            parts.back().push_back(c);
        }
    }
    return parts;
}

void checkSlots(mapfile::Codec& codec, std::string_view bytes,
                const std::vector<std::string>& parts) {
    require(!parts.empty() && parts.size() <= mapfile::kMaxSlots, "slot count out of 1..256");
    const std::string line = firstLine(bytes);
    if (isAscii(line)) {
        require(parts == plainSplit(line), "the parts differ from a plain split of the line");
    }
    for (const auto& slot : parts) {
        require(isUtf8(slot), "a slot is not valid UTF-8");
        require(slot.find(';') == std::string::npos, "a slot holds a separator");
        require(codec.unwritableCharacter(slot).empty(),
                "a value read from a file cannot be saved again");
    }
    // What was read saves to a line that reads back the same.
    const auto again = codec.decodeSlots(codec.encodeLine(parts));
    require(again == parts, "a decoded line does not survive saving and reading back");
}

struct Window {
    std::vector<std::string> fields;
    int tpsClosed = 0;
    int tpsOpen = 0;
    friend bool operator==(const Window&, const Window&) = default;
};

Window windowOf(const Core& core) {
    Window w;
    w.fields.reserve(core.fieldTexts().size());
    for (const std::string* text : core.fieldTexts()) {
        w.fields.push_back(*text);
    }
    w.tpsClosed = core.form.state.tpsClosedValue;
    w.tpsOpen = core.form.state.tpsOpenValue;
    return w;
}

void checkLoad(std::string_view bytes, const std::vector<std::string>& parts) {
    static Core core;
    const ResetAfterRun resetAfterRun(core);
    auto& form = core.form;
    const Window before = windowOf(core);
    // What "Carregar" does with the file's bytes, at the same event boundary.
    form.dispatch([&] { form.files.load(bytes); });
    const Window after = windowOf(core);

    const auto& order = config::fileOrder();
    auto slot = [&](std::size_t position) {
        return position <= parts.size() ? parts[position - 1] : std::string();
    };
    if (core.dialogs.errors > 0) {
        require(after == before, "a refused file changed the window");
        // Only the TPS numbers are parsed, so only they can refuse a file.
        bool bad = false;
        for (std::size_t position : {order.size() + 1, order.size() + 2}) {
            try {
                (void)numtext::parseInteger(slot(position));
            } catch (const ConversionError&) {
                bad = true;
            }
        }
        require(bad, "a file with good TPS numbers was refused");
        return;
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        require(after.fields[i] == slot(i + 1), "a field does not hold its slot's text");
    }
    require(after.tpsClosed == numtext::parseInteger(slot(order.size() + 1)),
            "TpsClosedValue is not slot 198");
    require(after.tpsOpen == numtext::parseInteger(slot(order.size() + 2)),
            "TpsOpenValue is not slot 199");
}

} // namespace
} // namespace orvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Built once: opening the code page converters costs more than a run.
    static orvel::mapfile::Codec codec;
    const auto parts = codec.decodeSlots(bytes);
    orvel::fuzz::checkSlots(codec, bytes, parts);
    orvel::fuzz::checkLoad(bytes, parts);
    return 0;
}
