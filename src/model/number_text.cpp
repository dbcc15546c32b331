#include "model/number_text.h"

#include "core/errors.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace orvel::numtext {

namespace {

constexpr int kSignificantDigits = 15;

[[noreturn]] void failInteger(std::string_view text) {
    throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
}

[[noreturn]] void failDecimal(std::string_view text) {
    throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
}

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Consumes a run of digits starting at pos; returns how many there were.
std::size_t skipDigits(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && isDigit(text[pos])) {
        ++pos;
    }
    return pos - start;
}

// A finite non-zero value as its 15 significant decimal digits: value =
// 0.d0 d1 ... d14 x 10^(exponent + 1), i.e. d0 is the digit of 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits; // exactly kSignificantDigits digits, d0 != '0'
    int exponent = 0;
};

Decimal toDecimal(double value) {
    // Scientific form with 14 digits after the point: d.dddddddddddddde±XX.
    // to_chars is correctly rounded and never looks at the locale.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    Decimal d;
    d.negative = std::signbit(value);
    const auto e = text.find('e');
    d.digits.reserve(kSignificantDigits);
    for (std::size_t i = 0; i < e; ++i) {
        if (isDigit(text[i])) {
            d.digits.push_back(text[i]);
        }
    }
    std::string_view expText = text.substr(e + 1);
    if (!expText.empty() && expText.front() == '+') {
        expText.remove_prefix(1);
    }
    std::from_chars(expText.data(), expText.data() + expText.size(), d.exponent);
    return d;
}

std::string nonFinite(double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    return value < 0 ? "-INF" : "INF";
}

// The digits of |value| rounded to `decimals` places, halves away from zero,
// working on the 15-digit decimal text so that 2.25 rounds up even though no
// binary double lies exactly there.
struct Rounded {
    std::string integer;  // no leading zeros, empty for zero
    std::string fraction; // exactly `decimals` digits
    [[nodiscard]] bool isZero() const {
        return integer.empty() && fraction.find_first_not_of('0') == std::string::npos;
    }
};

Rounded roundDecimal(double value, int decimals) {
    Rounded r;
    if (value == 0) {
        r.fraction.assign(static_cast<std::size_t>(decimals), '0');
        return r;
    }
    const Decimal d = toDecimal(value);
    // All digits from 10^exponent down to 10^-decimals, as one number.
    const int kept = d.exponent + 1 + decimals;
    std::string digits;
    if (kept > 0) {
        for (int i = 0; i < kept; ++i) {
            digits.push_back(i < kSignificantDigits ? d.digits[static_cast<std::size_t>(i)] : '0');
        }
    }
    const bool roundUp =
        kept >= 0 && kept < kSignificantDigits && d.digits[static_cast<std::size_t>(kept)] >= '5';
    if (roundUp) {
        auto it = digits.rbegin();
        while (it != digits.rend() && *it == '9') {
            *it = '0';
            ++it;
        }
        if (it == digits.rend()) {
            digits.insert(digits.begin(), '1');
        } else {
            ++*it;
        }
    }
    // Split into integer and fraction, padding the fraction on the left.
    const auto dec = static_cast<std::size_t>(decimals);
    if (digits.size() < dec) {
        digits.insert(0, dec - digits.size(), '0');
    }
    r.integer = digits.substr(0, digits.size() - dec);
    r.fraction = digits.substr(digits.size() - dec);
    const auto firstNonZero = r.integer.find_first_not_of('0');
    r.integer.erase(0, firstNonZero == std::string::npos ? r.integer.size() : firstNonZero);
    return r;
}

// Up to three sections; anything after a third ';' is ignored. Views into the
// pattern, without an allocation: every number the window shows comes through here.
struct Sections {
    std::array<std::string_view, 3> part;
    std::size_t count = 0;
};

Sections splitSections(std::string_view pattern) {
    Sections sections;
    std::size_t start = 0;
    while (sections.count < sections.part.size()) {
        const auto semi = pattern.find(';', start);
        sections.part[sections.count++] =
            pattern.substr(start, semi == std::string_view::npos ? semi : semi - start);
        if (semi == std::string_view::npos) {
            break;
        }
        start = semi + 1;
    }
    return sections;
}

int decimalsOf(std::string_view section) {
    const auto point = section.find('.');
    if (point == std::string_view::npos) {
        return 0;
    }
    const auto fraction = section.substr(point + 1);
    return static_cast<int>(std::count(fraction.begin(), fraction.end(), '0'));
}

// Writes the rounded digits into a section: the first integer "0" carries every
// digit the integer part needs beyond its placeholders.
std::string applySection(std::string_view section, const Rounded& r) {
    const auto point = section.find('.');
    const auto integerPart = section.substr(0, point);
    const auto placeholders =
        static_cast<std::size_t>(std::count(integerPart.begin(), integerPart.end(), '0'));
    std::string integer = r.integer;
    if (integer.size() < std::max<std::size_t>(placeholders, 1)) {
        integer.insert(0, std::max<std::size_t>(placeholders, 1) - integer.size(), '0');
    }
    std::string out;
    std::size_t nextInteger = 0;
    std::size_t nextFraction = 0;
    bool seenFirst = false;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        const bool inFraction = point != std::string_view::npos && i > point;
        if (point != std::string_view::npos && i == point) {
            if (placeholders == 0) {
                // No integer placeholder: the integer part still has to be shown.
                out.append(integer);
            }
            out.push_back(',');
        } else if (c == '0' && inFraction) {
            out.push_back(r.fraction[nextFraction++]);
        } else if (c == '0') {
            if (!seenFirst) {
                seenFirst = true;
                const std::size_t extra = integer.size() - placeholders;
                out.append(integer, 0, extra + 1);
                nextInteger = extra + 1;
            } else {
                out.push_back(integer[nextInteger++]);
            }
        } else {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace

std::int32_t parseInteger(std::string_view text) {
    const auto body = trimBlanks(text);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) {
        negative = body[pos] == '-';
        ++pos;
    }
    const auto digitsStart = pos;
    if (skipDigits(body, pos) == 0 || pos != body.size()) {
        failInteger(text);
    }
    // Accumulate towards the negative side, which holds one more value.
    std::int64_t value = 0;
    for (auto i = digitsStart; i < body.size(); ++i) {
        value = value * 10 - (body[i] - '0');
        if (value < std::numeric_limits<std::int32_t>::min()) {
            failInteger(text);
        }
    }
    if (!negative) {
        value = -value;
        if (value > std::numeric_limits<std::int32_t>::max()) {
            failInteger(text);
        }
    }
    return static_cast<std::int32_t>(value);
}

double parseDecimal(std::string_view text) {
    const auto body = trimBlanks(text);
    std::size_t pos = 0;
    if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) {
        ++pos;
    }
    const std::size_t integerStart = pos;
    const std::size_t integerDigits = skipDigits(body, pos);
    if (integerDigits == 0) {
        failDecimal(text);
    }
    std::size_t fractionStart = pos;
    std::size_t fractionDigits = 0;
    if (pos < body.size() && body[pos] == ',') {
        ++pos;
        fractionStart = pos;
        fractionDigits = skipDigits(body, pos);
        if (fractionDigits == 0) {
            failDecimal(text);
        }
    }
    long long exponent = 0;
    if (pos < body.size() && (body[pos] == 'E' || body[pos] == 'e')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) {
            negativeExponent = body[pos] == '-';
            ++pos;
        }
        const std::size_t expStart = pos;
        if (skipDigits(body, pos) == 0) {
            failDecimal(text);
        }
        for (auto i = expStart; i < pos; ++i) {
            // Saturate: beyond this the value is zero or infinite anyway.
            exponent = std::min<long long>(exponent * 10 + (body[i] - '0'), 100000);
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (pos != body.size()) {
        failDecimal(text);
    }

    // Rebuild in the form from_chars reads, which is locale independent.
    // from_chars takes no '+'.
    std::string plain = body.front() == '-' ? "-" : "";
    plain.append(body.substr(integerStart, integerDigits));
    if (fractionDigits > 0) {
        plain.push_back('.');
        plain.append(body.substr(fractionStart, fractionDigits));
    }
    plain.push_back('e');
    plain.append(std::to_string(exponent));

    double value = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Out of range is either overflow (a failure) or underflow (zero): decide by
        // the decimal magnitude of the first significant digit.
        const std::string_view digits = body.substr(integerStart, integerDigits);
        const std::string_view fraction = body.substr(fractionStart, fractionDigits);
        long long magnitude = 0;
        if (const auto nz = digits.find_first_not_of('0'); nz != std::string_view::npos) {
            magnitude = static_cast<long long>(digits.size() - nz) - 1;
        } else if (const auto fz = fraction.find_first_not_of('0'); fz != std::string_view::npos) {
            magnitude = -static_cast<long long>(fz) - 1;
        }
        if (magnitude + exponent > 0) {
            failDecimal(text);
        }
        return body.front() == '-' ? -0.0 : 0.0;
    }
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size() || !std::isfinite(value)) {
        failDecimal(text);
    }
    return value;
}

std::string formatGeneral(double value) {
    if (!std::isfinite(value)) {
        return nonFinite(value);
    }
    if (value == 0) {
        return "0";
    }
    const Decimal d = toDecimal(value);
    std::string digits = d.digits;
    digits.erase(digits.find_last_not_of('0') + 1);

    std::string out = d.negative ? "-" : "";
    if (d.exponent < -4 || d.exponent >= kSignificantDigits) {
        out.push_back(digits.front());
        if (digits.size() > 1) {
            out.push_back(',');
            out.append(digits, 1);
        }
        out.push_back('E');
        out.append(std::to_string(d.exponent));
        return out;
    }
    if (d.exponent < 0) {
        out.append("0,");
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out.append(digits);
        return out;
    }
    const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
    if (digits.size() <= integerDigits) {
        out.append(digits);
        out.append(integerDigits - digits.size(), '0');
    } else {
        out.append(digits, 0, integerDigits);
        out.push_back(',');
        out.append(digits, integerDigits);
    }
    return out;
}

std::string formatPattern(double value, std::string_view pattern) {
    if (!std::isfinite(value)) {
        return nonFinite(value);
    }
    if (pattern.empty()) {
        return formatGeneral(value);
    }
    const auto [sections, count] = splitSections(pattern);
    const bool negative = value < 0;
    const bool hasNegativeSection = count >= 2 && !sections[1].empty();
    std::string_view section = negative && hasNegativeSection ? sections[1] : sections[0];
    Rounded r = roundDecimal(value, decimalsOf(section));
    if (r.isZero()) {
        // Zero after rounding takes the zero section, or the first one when there
        // is none; a value that rounds away to zero carries no sign.
        std::string_view zeroSection = sections[0];
        if (count == 3 && !sections[2].empty()) {
            zeroSection = sections[2];
        }
        return applySection(zeroSection, roundDecimal(0, decimalsOf(zeroSection)));
    }
    const std::string text = applySection(section, r);
    return negative && !hasNegativeSection ? "-" + text : text;
}

std::int32_t parseTenths(std::string_view text) {
    // Up to 7 digits: ten times them stays far inside 32 bits and the double's
    // product rounds back to the same whole number.
    constexpr std::size_t kPlainDigits = 7;
    auto digit = [&](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    std::int32_t whole = 0;
    std::size_t i = 0;
    for (; i < kPlainDigits && digit(i); ++i) {
        whole = whole * 10 + (text[i] - '0');
    }
    if (i > 0 && i == text.size()) {
        return whole * 10;
    }
    if (i > 0 && text.size() == i + 2 && text[i] == ',' && digit(i + 1)) {
        return whole * 10 + (text[i + 1] - '0');
    }
    return parseInteger(formatGeneral(parseDecimal(text) * 10));
}

std::string formatInteger(std::int64_t value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return {buf, res.ptr};
}

} // namespace orvel::numtext
