// Number texts: parsing against an independent grammar and the C library's
// correctly rounded strtod, and both number forms against each other.
//
// The input is a text to parse; its first 8 bytes are also taken as a double
// and its first 4 as an integer, to be formatted and read back.
#include "fuzz_support.h"

#include "core/errors.h"
#include "model/number_text.h"

#include <array>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::fuzz {
namespace {

struct PatternInUse {
    std::string_view pattern;
    int decimals;
};

// Every pattern the window formats with, and its number of decimals.
constexpr std::array<PatternInUse, 9> kPatterns{{{"0.0; -0.0; 0.0", 1},
                                                 {"0.0", 1},
                                                 {"0;-0;0", 0},
                                                 {"0.0;-0.0;0.0", 1},
                                                 {"0.00 ", 2},
                                                 {"0.0;-0.0", 1},
                                                 {"0;-0;", 0},
                                                 {"0.00;-0.00;0.00", 2},
                                                 {"0", 0}}};

std::string_view trimBlanks(std::string_view t) {
    while (!t.empty() && t.front() == ' ') {
        t.remove_prefix(1);
    }
    while (!t.empty() && t.back() == ' ') {
        t.remove_suffix(1);
    }
    return t;
}

bool digit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t digitRun(std::string_view t, std::size_t& i) {
    const std::size_t from = i;
    while (i < t.size() && digit(t[i])) {
        ++i;
    }
    return i - from;
}

void skipSign(std::string_view t, std::size_t& i) {
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
    }
}

bool integerGrammar(std::string_view t) {
    std::size_t i = 0;
    skipSign(t, i);
    return digitRun(t, i) > 0 && i == t.size();
}

bool decimalGrammar(std::string_view t) {
    std::size_t i = 0;
    skipSign(t, i);
    if (digitRun(t, i) == 0) {
        return false;
    }
    if (i < t.size() && t[i] == ',') {
        ++i;
        if (digitRun(t, i) == 0) {
            return false;
        }
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        skipSign(t, i);
        if (digitRun(t, i) == 0) {
            return false;
        }
    }
    return i == t.size();
}

template <typename F> std::optional<std::string> conversionMessage(F&& f) {
    try {
        f();
    } catch (const ConversionError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

void checkIntegerText(std::string_view text) {
    // The error's text ends at a NUL byte of the text, as what() is a C string.
    const std::string message =
        ("'" + std::string(text) + "' is not a valid integer value").c_str();
    const auto body = trimBlanks(text);
    std::optional<long long> expected;
    if (integerGrammar(body)) {
        const bool negative = body.front() == '-';
        std::string_view digits = body.substr(body.front() == '+' || negative ? 1 : 0);
        while (digits.size() > 1 && digits.front() == '0') {
            digits.remove_prefix(1);
        }
        if (digits.size() <= 10) {
            long long v = std::stoll(std::string(digits));
            v = negative ? -v : v;
            if (v >= INT32_MIN && v <= INT32_MAX) {
                expected = v;
            }
        }
    }
    std::int32_t got = 0;
    const auto error = conversionMessage([&] { got = numtext::parseInteger(text); });
    if (expected) {
        require(!error, "a whole number in range was refused");
        require(got == *expected, "a whole number parsed to another value");
    } else {
        require(error.has_value(), "parseInteger accepted a text that is not a 32-bit integer");
        require(*error == message, "parseInteger failed with another message");
    }
}

// The C library's reading of a text of the grammar, with the comma as its point.
double referenceValue(std::string_view body, bool& overflow) {
    std::string c(body);
    for (char& ch : c) {
        if (ch == ',') {
            ch = '.';
        }
    }
    errno = 0;
    const double v = std::strtod(c.c_str(), nullptr);
    overflow = std::isinf(v);
    return v;
}

std::optional<double> checkDecimalText(std::string_view text) {
    const std::string message =
        ("'" + std::string(text) + "' is not a valid floating point value").c_str();
    const auto body = trimBlanks(text);
    double got = 0;
    const auto error = conversionMessage([&] { got = numtext::parseDecimal(text); });
    if (!decimalGrammar(body)) {
        require(error.has_value(), "parseDecimal accepted a text outside the number grammar");
        require(*error == message, "parseDecimal failed with another message");
        return std::nullopt;
    }
    bool overflow = false;
    const double reference = referenceValue(body, overflow);
    if (overflow) {
        require(error.has_value(), "parseDecimal accepted a number beyond the double range");
        require(*error == message, "parseDecimal failed with another message");
        return std::nullopt;
    }
    require(!error, "parseDecimal refused a number of the grammar within range");
    require(std::isfinite(got), "parseDecimal returned NaN or infinity");
    if (std::fabs(reference) < DBL_MIN) {
        // Below the normal range either the subnormal or zero is a fair reading.
        require(got == reference || got == 0, "parseDecimal misread a tiny number");
    } else {
        require(got == reference, "parseDecimal is not correctly rounded");
    }
    return got;
}

// The short route for tenths gives what the long one gives, or fails the same way.
void checkTenths(std::string_view text) {
    std::int32_t longRoute = 0;
    const auto longError = conversionMessage([&] {
        longRoute = numtext::parseInteger(numtext::formatGeneral(numtext::parseDecimal(text) * 10));
    });
    std::int32_t got = 0;
    const auto error = conversionMessage([&] { got = numtext::parseTenths(text); });
    require(error == longError, "parseTenths fails unlike the route through a double");
    require(error || got == longRoute, "parseTenths gives another number than the long route");
}

bool onlyCharacters(std::string_view text, std::string_view allowed) {
    return text.find_first_not_of(allowed) == std::string_view::npos;
}

void checkFormats(double v) {
    const std::string general = numtext::formatGeneral(v);
    if (!std::isfinite(v)) {
        require(general == "NAN" || general == "INF" || general == "-INF",
                "a non-finite value has an unexpected general form");
        require(conversionMessage([&] { (void)numtext::parseDecimal(general); }).has_value(),
                "the text of a non-finite value parses");
        for (const auto& p : kPatterns) {
            const auto text = numtext::formatPattern(v, p.pattern);
            require(conversionMessage([&] { (void)numtext::parseDecimal(text); }).has_value(),
                    "the pattern text of a non-finite value parses");
        }
        return;
    }
    require(onlyCharacters(general, "-0123456789,E"), "the general form has a foreign character");

    // 15 significant digits, rounded by the C library: the general form must read back as this.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    bool overflow = false;
    const double fifteen = referenceValue(buf, overflow);

    double back = 0;
    const auto error = conversionMessage([&] { back = numtext::parseDecimal(general); });
    if (overflow) {
        // Only the largest doubles round past the range at 15 digits.
        require(error.has_value(), "a general form beyond the double range parsed");
        return;
    }
    require(!error, "the general form of a finite value does not parse");
    require(back == fifteen, "the general form is not the value to 15 significant digits");
    const bool normal = std::fabs(v) >= DBL_MIN;
    if (normal) {
        require(numtext::formatGeneral(back) == general, "the general form is not stable");
    }

    for (const auto& p : kPatterns) {
        const std::string text = numtext::formatPattern(v, p.pattern);
        require(onlyCharacters(text, "-0123456789, "), "a pattern text has a foreign character");
        double parsed = 0;
        const auto patternError = conversionMessage([&] { parsed = numtext::parseDecimal(text); });
        require(!patternError, "a pattern text of a finite value does not parse");
        const double step = 0.5 * std::pow(10.0, -p.decimals);
        const double tolerance = step * (1 + 1e-9) + std::fabs(v) * 1e-14;
        require(std::fabs(parsed - v) <= tolerance, "a pattern text is off by more than its step");
        require(parsed == 0 || std::signbit(parsed) == std::signbit(v),
                "a pattern text has the wrong sign");
        if (normal) {
            // Both forms round from the same 15 digits.
            require(numtext::formatPattern(back, p.pattern) == text,
                    "the pattern text changes after a trip through the general form");
        }
    }
}

void checkInteger(std::int32_t i) {
    const std::string plain = std::to_string(i);
    require(numtext::formatInteger(i) == plain, "formatInteger differs from the plain text");
    require(numtext::parseInteger(plain) == i, "an integer text does not parse back");
    require(numtext::formatGeneral(i) == plain, "the general form of an integer differs");
    require(numtext::formatPattern(i, "0;-0;0") == plain, "the \"0;-0;0\" form differs");
    require(numtext::parseDecimal(plain) == i, "an integer text reads as another decimal");
}

} // namespace
} // namespace orvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    orvel::fuzz::checkIntegerText(text);
    orvel::fuzz::checkTenths(text);
    if (const auto value = orvel::fuzz::checkDecimalText(text)) {
        orvel::fuzz::checkFormats(*value);
    }
    if (size >= sizeof(double)) {
        double v = 0;
        std::memcpy(&v, data, sizeof v);
        orvel::fuzz::checkFormats(v);
    }
    if (size >= sizeof(std::int32_t)) {
        std::int32_t i = 0;
        std::memcpy(&i, data, sizeof i);
        orvel::fuzz::checkInteger(i);
    }
    return 0;
}
