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

// Checks a configuration packet against the texts it was built from: every byte
// that comes from a field must be that field's number, never its lowest 8 bits.
namespace orvel::fuzz {

// The field's whole number divided as the packet divides it; must fit its byte.
inline void requireIntegerByte(const Form& form, std::string_view key, int divisor,
                               std::uint8_t byte) {
    long long value = 0;
    try {
        value = numtext::parseInteger(form.controls.text(key)) / divisor;
    } catch (const ConversionError&) {
        violated("a packet was built from a text that is not a whole number");
    }
    require(value >= 0 && value <= 255, "a packet carries a field value outside 0..255");
    require(value == byte, "a packet byte differs from its field's number");
}

// A one-decimal field in tenths: only whole tenths may travel.
inline void requireTenthsByte(const Form& form, std::string_view key, std::uint8_t byte) {
    double tenths = 0;
    try {
        tenths = numtext::parseDecimal(form.controls.text(key)) * 10;
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

inline void checkPacket(const Form& form, const frames::ConfigPacket& packet) {
    const int k = packet.number;
    const auto& d = packet.payload;
    const auto& s = form.state;
    require(k >= frames::kFirstPacket && k <= frames::kLastPacket, "packet number out of 1..32");
    if (k <= 9) {
        for (int i = 0; i < 8; ++i) {
            requireIntegerByte(form, config::ignitionKey(8 * (k - 1) + i), 1, d[i]);
        }
    } else if (k <= 18) {
        for (int i = 0; i < 8; ++i) {
            requireTenthsByte(form, config::injectionKey(8 * (k - 10) + i), d[i]);
        }
    } else if (k == 29) {
        requireIntegerByte(form, "eSondaLenta", 10, d[2]);
        requireIntegerByte(form, "eSondaParcial", 10, d[3]);
        requireIntegerByte(form, "eSondaPlena", 10, d[4]);
        requireIntegerByte(form, "eSondaTemp", 1, d[7]);
    } else if (k == 30) {
        requireTenthsByte(form, "eBasico", d[2]);
        requireIntegerByte(form, "eGanho", 1, d[3]);
        requireIntegerByte(form, "eDecremento", 1, d[4]);
        requireIntegerByte(form, "eLimiteRpm", 100, d[7]);
    } else if (k == 31) {
        requireIntegerByte(form, "eAvancoPartida", 1, d[1]);
        require(d[2] == 1 && d[3] == 1 && d[4] == 1, "packet 31 lost its constant bytes");
        requireProgramByte(s.tpsClosedValue, d[5]);
        requireProgramByte(s.tpsOpenValue, d[6]);
    } else if (k == 32) {
        requireIntegerByte(form, "eDeslCutOff", 100, d[0]);
        requireIntegerByte(form, "eLigaCutOff", 100, d[1]);
        requireIntegerByte(form, "eLigaEletro", 1, d[2]);
        requireIntegerByte(form, "eDesligaEletro", 1, d[3]);
        requireIntegerByte(form, "ePercEletro", 1, d[5]);
        requireTenthsByte(form, "emSAr", d[6]);
        requireIntegerByte(form, "ePercentualAr", 1, d[7]);
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
