#include "core/errors.h"
#include "model/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace orvel::numtext {
namespace {

struct IntegerCase {
    const char* text;
    std::int32_t value;
};

TEST(NumberTextTest, IntegerTextsThatParse) {
    const IntegerCase cases[] = {
        {"6000", 6000},
        {"-2", -2},
        {"+7", 7},
        {"0", 0},
        {"-0", 0},
        {"  42  ", 42},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseInteger(c.text), c.value) << c.text;
    }
}

TEST(NumberTextTest, IntegerTextsThatFailNameTheTextInTheMessage) {
    const char* cases[] = {"",     " ",          "abc",         "3,5",
                           "1 2",  "+",          "-",           "1e3",
                           "0x10", "2147483648", "-2147483649", "99999999999999999999",
                           "12a",  "- 3",        "\t5"};
    for (const char* text : cases) {
        try {
            (void)parseInteger(text);
            ADD_FAILURE() << "parsed: '" << text << "'";
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(NumberTextTest, TenthsAgreeWithTheRouteThroughADouble) {
    const char* texts[] = {"8,1",      "0",         "0,0",   "25,5", "255",   "1234567,8",
                           "12345678", "9999999,9", " 3,5",  "-1,5", "3,55",  "3,",
                           ",5",       "",          "2,5E1", "07,0", "1e308", "abc"};
    for (const char* text : texts) {
        std::string longError;
        std::int32_t longRoute = 0;
        try {
            longRoute = parseInteger(formatGeneral(parseDecimal(text) * 10));
        } catch (const ConversionError& e) {
            longError = e.what();
        }
        try {
            EXPECT_EQ(parseTenths(text), longRoute) << text;
            EXPECT_EQ(longError, "") << text;
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), longError) << text;
        }
    }
    EXPECT_EQ(parseTenths("8,1"), 81);
    EXPECT_EQ(parseTenths("1234567,8"), 12345678);
}

struct DecimalCase {
    const char* text;
    double value;
};

TEST(NumberTextTest, DecimalTextsThatParse) {
    const DecimalCase cases[] = {
        {"3,5", 3.5},          {"8", 8.0},         {"-2,46", -2.46}, {" -2,5", -2.5},
        {" 0,0", 0.0},         {"+1,25", 1.25},    {"1E3", 1000.0},  {"1,5e-2", 0.015},
        {"5E-5", 5e-5},        {"1,5E15", 1.5e15}, {"-2E-7", -2e-7}, {"2E+2", 200.0},
        {"12000,5 ", 12000.5}, {"0,00005", 5e-5},  {"1E-400", 0.0},  {"000123,4500", 123.45},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDecimal(c.text), c.value) << c.text;
    }
}

TEST(NumberTextTest, DecimalTextsThatFailNameTheTextInTheMessage) {
    const char* cases[] = {"",     "  ",  "3.5", "3,",    ",5",   "1,2,3", "E5",     "1E",
                           "1E+",  "NaN", "nan", "INF",   "-Inf", "1E309", "-1E400", "1 000",
                           "1,5x", "--1", "+-1", "0x1p3", "١",    "1e5 5"};
    for (const char* text : cases) {
        try {
            (void)parseDecimal(text);
            ADD_FAILURE() << "parsed: '" << text << "'";
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
}

struct GeneralCase {
    double value;
    const char* text;
};

TEST(NumberTextTest, GeneralFormKeepsFifteenDigitsWithoutTrailingZeros) {
    const GeneralCase cases[] = {
        {12, "12"},
        {-3, "-3"},
        {0, "0"},
        {-0.0, "0"},
        {3.5, "3,5"},
        {8.0, "8"},
        {0.1 + 0.2, "0,3"},
        {6.75, "6,75"},
        {0.0001, "0,0001"},
        {0.00005, "5E-5"},
        {1.5e15, "1,5E15"},
        {-2e-7, "-2E-7"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {123456789012345678.0, "1,23456789012346E17"},
        {2.0 / 3.0, "0,666666666666667"},
        {1.0 / 3.0 * 3.0, "1"},
        {12.5, "12,5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatGeneral(c.value), c.text) << c.value;
    }
}

struct PatternCase {
    double value;
    const char* pattern;
    const char* text;
};

TEST(NumberTextTest, PatternFormRoundsHalvesAwayFromZeroOnTheDecimalText) {
    const PatternCase cases[] = {
        // Sections: positive; negative; zero after rounding.
        {12.25, "0.0; -0.0; 0.0", "12,3"},
        {-2.46, "0.0; -0.0; 0.0", " -2,5"},
        {0.04, "0.0; -0.0; 0.0", " 0,0"},
        {-0.04, "0.0; -0.0; 0.0", " 0,0"},
        {4.4, "0.0; -0.0; 0.0", "4,4"},
        {-4.0, "0.0; -0.0; 0.0", " -4,0"},
        {12.0, "0.0; -0.0; 0.0", "12,0"},
        // Binary fractions below the half still round up from their 15-digit text.
        {2.25, "0.0", "2,3"},
        {0.35, "0.0", "0,4"},
        {1.005, "0.00", "1,01"},
        {6.75, "0.0", "6,8"},
        {2.45, "0.0", "2,5"},
        {-2.25, "0.0", "-2,3"},
        {0.0, "0.0", "0,0"},
        {9.96, "0.0", "10,0"},
        {99.95, "0.0", "100,0"},
        {0.0, "0", "0"},
        {11.67, "0", "12"},
        {0.5, "0", "1"},
        {0.49, "0", "0"},
        {7.0, "0.0", "7,0"},
        {-0.04, "0.0", "0,0"},
        // Download and scanner formats.
        {35 / 10.0, "0.0;-0.0;0.0", "3,5"},
        {40 / 10.0, "0.0;-0.0;0.0", "4,0"},
        {0.0, "0.0;-0.0;0.0", "0,0"},
        {-2.0, "0.0;-0.0;0.0", "-2,0"},
        {0.0, "0.0;-0.0", "0,0"},
        {0.2, "0.0;-0.0", "0,2"},
        {-0.5, "0.0;-0.0", "-0,5"},
        {-2, "0;-0;0", "-2"},
        {0, "0;-0;0", "0"},
        {250, "0;-0;0", "250"},
        {0, "0;-0;", "0"},
        {20, "0;-0;", "20"},
        {-20, "0;-0;", "-20"},
        {512 * 5.0 / 1023, "0.00 ", "2,50 "},
        {-1.0, "0.00 ", "-1,00 "},
        {1.0 * 5 / 1023, "0.00;-0.00;0.00", "0,00"},
        {1023 * 5.0 / 1023, "0.00;-0.00;0.00", "5,00"},
        // An empty negative section takes the first with a minus sign.
        {-3.5, "0.0;;z", "-3,5"},
        {0.0, "0.0;;z", "z"},
        // Integer placeholders pad; literals anywhere are copied.
        {5.0, "00.0", "05,0"},
        {123.0, "00.0", "123,0"},
        {7.0, "[0] %", "[7] %"},
        {3.14159, "0.000", "3,142"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatPattern(c.value, c.pattern), c.text)
            << c.value << " with \"" << c.pattern << "\"";
    }
}

// The two-step write of the unit conversion: general form, then one decimal from
// the re-parsed text.
std::string twoStep(double value) {
    return formatPattern(parseDecimal(formatGeneral(value)), "0.0");
}

TEST(NumberTextTest, UnitConversionResultsRoundFromTheirGeneralText) {
    auto toPercent = [](double ms, double rpm, double k) {
        const double period = (1 / (rpm / k)) * 1000 * 2;
        return ms * (100 / period);
    };
    auto toMs = [](double percent, double rpm, double k) { return percent / (rpm / k); };

    EXPECT_EQ(formatGeneral(toPercent(8.1, 500, 30)), "6,75");
    EXPECT_EQ(twoStep(toPercent(8.1, 500, 30)), "6,8");
    EXPECT_EQ(twoStep(toMs(6.8, 500, 600)), "8,2");
    EXPECT_EQ(twoStep(toPercent(3.5, 500, 30)), "2,9");
    EXPECT_EQ(twoStep(toMs(2.9, 500, 600)), "3,5");
    EXPECT_EQ(twoStep(toPercent(8.1, 7200, 30)), "97,2");
    EXPECT_EQ(twoStep(toMs(97.2, 7200, 600)), "8,1");
    EXPECT_EQ(twoStep(toPercent(8.1, 7200, 20)), "145,8");
    EXPECT_EQ(twoStep(toPercent(3.5, 500, 20)), "4,4");
    EXPECT_EQ(twoStep(toPercent(3.5, 500, 15)), "5,8");
    EXPECT_EQ(twoStep(toPercent(6, 3600, 30)), "36,0");
    EXPECT_EQ(twoStep(toPercent(0, 500, 30)), "0,0");
    EXPECT_EQ(twoStep(toPercent(-3.5, 500, 30)), "-2,9");
}

TEST(NumberTextTest, PatternTextsWithALeadingBlankParseAsTheSameNumber) {
    for (double v : {12.25, -2.46, 0.04, -4.0, 0.0}) {
        const std::string text = formatPattern(v, "0.0; -0.0; 0.0");
        EXPECT_EQ(parseDecimal(text), parseDecimal(formatPattern(v, "0.0;-0.0;0.0"))) << text;
    }
}

TEST(NumberTextTest, FormattedValuesParseBackToTheValueTheyWereRoundedTo) {
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-20, 20);
    for (int i = 0; i < 20000; ++i) {
        const double v = mantissa(rng) * std::pow(10.0, exponent(rng));

        // General form: 15 digits survive the trip, and the text is stable.
        const std::string general = formatGeneral(v);
        const double back = parseDecimal(general);
        EXPECT_LE(std::fabs(back - v), std::fabs(v) * 1e-14) << general;
        EXPECT_EQ(formatGeneral(back), general);

        // Two decimals: the text is a whole number of hundredths within half a
        // hundredth of the value, and formatting it again gives the same text.
        const std::string fixed = formatPattern(v, "0.00;-0.00;0.00");
        const double hundredths = parseDecimal(fixed) * 100;
        EXPECT_NEAR(hundredths, std::round(hundredths), 1e-6 * std::max(1.0, std::fabs(hundredths)))
            << fixed;
        EXPECT_LE(std::fabs(parseDecimal(fixed) - v), 0.005 * (1 + 1e-9) + std::fabs(v) * 1e-14)
            << fixed;
        EXPECT_EQ(formatPattern(parseDecimal(fixed), "0.00;-0.00;0.00"), fixed);
    }
}

TEST(NumberTextTest, FormatIntegerWritesPlainDecimal) {
    EXPECT_EQ(formatInteger(130), "130");
    EXPECT_EQ(formatInteger(-5), "-5");
    EXPECT_EQ(formatInteger(0), "0");
}

TEST(NumberTextTest, CommaIsUsedWhateverTheLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"C", "POSIX", "C.UTF-8", "en_US.UTF-8", "en_US", "de_DE.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) == nullptr) {
            continue; // not installed here
        }
        EXPECT_EQ(formatGeneral(3.5), "3,5") << name;
        EXPECT_EQ(formatGeneral(1.5e15), "1,5E15") << name;
        EXPECT_EQ(formatPattern(2.502, "0.00 "), "2,50 ") << name;
        EXPECT_EQ(parseDecimal("3,5"), 3.5) << name;
        EXPECT_THROW((void)parseDecimal("3.5"), ConversionError) << name;
    }
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
} // namespace orvel::numtext
