#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Number texts as the window shows them: always the decimal comma, whatever the
// system locale, no thousands separator.
namespace orvel::numtext {

// Optional sign and decimal digits, blanks around allowed, 32-bit range.
// Throws ConversionError "'<text>' is not a valid integer value".
[[nodiscard]] std::int32_t parseInteger(std::string_view text);

// Optional sign, digits, optional comma with fraction, optional exponent.
// Throws ConversionError "'<text>' is not a valid floating point value".
[[nodiscard]] double parseDecimal(std::string_view text);

// 15 significant digits, no trailing zeros, exponent form below 1E-4 and from 1E15.
[[nodiscard]] std::string formatGeneral(double value);

// Pattern of up to three sections (positive; negative; zero): "0" digits, "."
// the comma, other characters copied; halves away from zero, rounded from the
// 15-significant-digit decimal text.
[[nodiscard]] std::string formatPattern(double value, std::string_view pattern);

[[nodiscard]] std::string formatInteger(std::int64_t value);

// Ten times a decimal text as a whole number, exactly what
// parseInteger(formatGeneral(parseDecimal(text) * 10)) gives or throws: 8,1 is 81
// and 3,55 fails as "35,5". Digits with at most one decimal, the usual texts, are
// read without going through a double.
[[nodiscard]] std::int32_t parseTenths(std::string_view text);

} // namespace orvel::numtext
