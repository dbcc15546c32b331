#pragma once

#include "core/errors.h"
#include "form/form.h"
#include "fuzz_support.h"
#include "link/frames.h"
#include "model/config.h"
#include "model/number_text.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

// Checks a configuration packet against the texts it was built from: every byte
// that comes from a field must be that field's number, never its lowest 8 bits.
namespace orvel::fuzz {

// The field's whole number divided as the packet divides it; must fit its byte.
inline void requireIntegerByte(const std::string& text, int divisor, std::uint8_t byte) {
    long long value = 0;
    try {
        value = numtext::parseInteger(text) / divisor;
    } catch (const ConversionError&) {
        violated("a packet was built from a text that is not a whole number");
    }
    require(value >= 0 && value <= 255, "a packet carries a field value outside 0..255");
    require(value == byte, "a packet byte differs from its field's number");
}

// A one-decimal field in tenths: only whole tenths may travel.
inline void requireTenthsByte(const std::string& text, std::uint8_t byte) {
    double tenths = 0;
    try {
        tenths = numtext::parseDecimal(text) * 10;
    } catch (const ConversionError&) {
        violated("a packet was built from a text that is not a number");
    }
    const double whole = std::round(tenths);
    require(std::fabs(tenths - whole) < 1e-6, "a packet carries a value with a second decimal");
    require(whole >= 0 && whole <= 255, "a packet carries a tenths value outside 0..255");
    require(static_cast<int>(whole) == byte, "a packet byte differs from its field's tenths");
}

inline void requireProgramByte(int value, std::uint8_t byte) {
    require(value >= 0 && value <= 255, "a packet carries a program value outside 0..255");
    require(value == byte, "a packet byte differs from the program value");
}

// The map cells' texts, looked up once: the store keeps each text in one place.
struct CellTexts {
    explicit CellTexts(const Form& form) {
        for (int n = 0; n < config::kMapCells; ++n) {
            ignition.push_back(&form.controls.text(config::ignitionKey(n)));
            injection.push_back(&form.controls.text(config::injectionKey(n)));
        }
    }
    std::vector<const std::string*> ignition;
    std::vector<const std::string*> injection;
};

// The one core of the process (see Core) is the only form checked.
inline void checkPacket(const Form& form, const frames::ConfigPacket& packet) {
    static const CellTexts cells(form);
    const int k = packet.number;
    const auto& d = packet.payload;
    const auto& s = form.state;
    const auto field = [&form](std::string_view key) -> const std::string& {
        return form.controls.text(key);
    };
    const auto cell = [](int packetRow, int i) {
        return static_cast<std::size_t>(8 * packetRow + i);
    };
    require(k >= frames::kFirstPacket && k <= frames::kLastPacket, "packet number out of 1..32");
    if (k <= 9) {
        for (int i = 0; i < 8; ++i) {
            requireIntegerByte(*cells.ignition[cell(k - 1, i)], 1, d[i]);
        }
    } else if (k <= 18) {
        for (int i = 0; i < 8; ++i) {
            requireTenthsByte(*cells.injection[cell(k - 10, i)], d[i]);
        }
    } else if (k == 29) {
        requireIntegerByte(field("eSondaLenta"), 10, d[2]);
        requireIntegerByte(field("eSondaParcial"), 10, d[3]);
        requireIntegerByte(field("eSondaPlena"), 10, d[4]);
        requireIntegerByte(field("eSondaTemp"), 1, d[7]);
    } else if (k == 30) {
        requireTenthsByte(field("eBasico"), d[2]);
        requireIntegerByte(field("eGanho"), 1, d[3]);
        requireIntegerByte(field("eDecremento"), 1, d[4]);
        requireIntegerByte(field("eLimiteRpm"), 100, d[7]);
    } else if (k == 31) {
        requireIntegerByte(field("eAvancoPartida"), 1, d[1]);
        require(d[2] == 1 && d[3] == 1 && d[4] == 1, "packet 31 lost its constant bytes");
        requireProgramByte(s.tpsClosedValue, d[5]);
        requireProgramByte(s.tpsOpenValue, d[6]);
    } else if (k == 32) {
        requireIntegerByte(field("eDeslCutOff"), 100, d[0]);
        requireIntegerByte(field("eLigaCutOff"), 100, d[1]);
        requireIntegerByte(field("eLigaEletro"), 1, d[2]);
        requireIntegerByte(field("eDesligaEletro"), 1, d[3]);
        requireIntegerByte(field("ePercEletro"), 1, d[5]);
        requireTenthsByte(field("emSAr"), d[6]);
        requireIntegerByte(field("ePercentualAr"), 1, d[7]);
    }
}

// Every message the core writes is a known command or a packet whose bytes are its fields.
inline void checkWrite(const Form& form, std::span<const std::uint8_t> bytes) {
    if (bytes.size() == frames::kCommandSize) {
        require(frames::decodeCommand(bytes).has_value(), "an unknown command was written");
        return;
    }
    require(bytes.size() == frames::kPacketSize, "a write is neither a command nor a packet");
    checkPacket(form, frames::decodePacket(bytes.first<frames::kPacketSize>()));
}

// A dry run of every packet: each one is either refused with a message or carries
// exactly its fields' numbers.
inline void dryRunUpload(Form& form) {
    for (int k = frames::kFirstPacket; k <= frames::kLastPacket; ++k) {
        std::optional<frames::ConfigPacket> packet;
        try {
            packet = form.upload.buildPacket(k);
        } catch (const RefusedError&) {
        } catch (const ConversionError&) {
        }
        if (packet) {
            checkPacket(form, *packet);
        }
    }
}

} // namespace orvel::fuzz
