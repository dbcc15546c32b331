// Hostile field texts through every operation that reads them: each one ends in
// its error box or in a mended value, never in a crash or a wrong byte on the wire.
#include "model/config.h"
#include "model/number_text.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace orvel::test {
namespace {

std::string integerError(const std::string& text) {
    return "'" + text + "' is not a valid integer value.";
}
std::string decimalError(const std::string& text) {
    return "'" + text + "' is not a valid floating point value.";
}

// The texts, and what reading them as a whole number, as a decimal and as
// tenths (decimal x 10 read back whole) gives: an error box, or nullopt when the
// text reads as zero.
struct Hostile {
    std::string text;
    std::optional<std::string> asInteger;
    std::optional<std::string> asDecimal;
    std::optional<std::string> asTenths;
};

const std::vector<Hostile>& hostileTexts() {
    static const std::vector<Hostile> texts{
        {"", integerError(""), decimalError(""), decimalError("")},
        {"abc", integerError("abc"), decimalError("abc"), decimalError("abc")},
        {"NaN", integerError("NaN"), decimalError("NaN"), decimalError("NaN")},
        {"-0", std::nullopt, std::nullopt, std::nullopt},
        // Ten times 1e308 is beyond the doubles: its text no longer reads as a number.
        {"1e308", integerError("1e308"), std::nullopt, integerError("INF")},
        {"9999999999999999999", integerError("9999999999999999999"), std::nullopt,
         integerError("1E20")},
        {"3,55", integerError("3,55"), std::nullopt, integerError("35,5")},
    };
    return texts;
}

class HostileInputTest : public CoreTest {
protected:
    void SetUp() override {
        activate();
        (void)takeWrites();
    }

    // Texts of every configuration field, in map-file order.
    [[nodiscard]] std::vector<std::string> configuration() const {
        std::vector<std::string> out;
        for (const auto& p : config::fileOrder()) {
            out.push_back(text(p.key));
        }
        return out;
    }

    // Runs a whole upload and returns the payload of packet `number`.
    std::vector<std::uint8_t> uploadedPacket(int number) {
        EXPECT_TRUE(form.click("btnEnvia"));
        clock.advance(2000);
        for (const auto& w : takeWrites()) {
            if (w.size() == 9 && w[0] == number) {
                return {w.begin() + 1, w.end()};
            }
        }
        ADD_FAILURE() << "packet " << number << " was not sent";
        return {};
    }

    // The click is refused with this box: nothing goes out and nothing starts.
    void expectUploadRefused(const std::string& box) {
        dialogs.expectBox(box);
        EXPECT_TRUE(form.click("btnEnvia"));
        clock.advance(2000);
        EXPECT_TRUE(takeWrites().empty()) << box;
        EXPECT_FALSE(form.timer2->enabled());
        EXPECT_TRUE(form.controls.enabled("btnEnvia"));
    }
};

// Where the upload reads a field: its packet, the byte in it, and how it reads the text.
struct UploadField {
    const char* key;
    int packet;
    int byte;
    bool tenths;
};

const UploadField kUploadFields[] = {
    {"e0", 1, 0, false},               // map cell, read at the tick
    {"e71i", 18, 7, true},             // one-decimal map cell
    {"eCorrecaoTi0", 19, 0, false},    // read by the click into a table
    {"eLimiteRpm", 30, 7, false},      // divided by 100
    {"emSCorrecaoEletro", 32, 4, true} // prepared in tenths by the click
};

TEST_F(HostileInputTest, UploadRefusesEachHostileTextWithItsErrorOrSendsTheMendedZero) {
    for (const auto& field : kUploadFields) {
        for (const auto& h : hostileTexts()) {
            SCOPED_TRACE(std::string(field.key) + " = \"" + h.text + "\"");
            const std::string previous = text(field.key);
            setText(field.key, h.text);
            const auto& box = field.tenths ? h.asTenths : h.asInteger;
            if (box) {
                expectUploadRefused(*box);
                EXPECT_EQ(form.controls.focused(), field.key);
            } else {
                EXPECT_EQ(uploadedPacket(field.packet)[static_cast<std::size_t>(field.byte)], 0);
            }
            setText(field.key, previous);
        }
    }
}

TEST_F(HostileInputTest, EveryFieldTheUploadSendsRefusesLettersFilledToItsLimit) {
    for (const auto& p : config::fileOrder()) {
        if (p.kind == config::Kind::Choice) {
            continue;
        }
        SCOPED_TRACE(std::string(p.key));
        const std::string letters(static_cast<std::size_t>(p.maxLength > 0 ? p.maxLength : 8), 'W');
        const std::string previous = text(p.key);
        setText(p.key, letters);
        if (p.key == "eRepousoTps") {
            // Shown and saved, but never sent to the module.
            EXPECT_TRUE(form.click("btnEnvia"));
            clock.advance(2000);
            EXPECT_EQ(takeWrites().size(), 33U);
        } else {
            expectUploadRefused(p.kind == config::Kind::Integer ? integerError(letters)
                                                                : decimalError(letters));
        }
        setText(p.key, previous);
    }
}

TEST_F(HostileInputTest, ValuesOutsideTheirByteAreRefusedInsteadOfWrapped) {
    struct Case {
        const char* key;
        const char* text;
        const char* shown; // the number the message names
    };
    const Case cases[] = {
        {"e0", "256", "256"},
        {"e0", "-1", "-1"},
        {"e0", "-2147483648", "-2147483648"},
        {"e0i", "25,6", "256"},
        {"eLimiteRpm", "2147483647", "21474836"},
        {"eCorrecaoIg105", "128", "128"},
        {"eSondaLenta", "2560", "256"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.text);
        const std::string previous = text(c.key);
        setText(c.key, c.text);
        const std::string range =
            std::string(c.key).rfind("eCorrecao", 0) == 0 ? "(-128 a 127)" : "(0 a 255)";
        expectUploadRefused(" Atenção ! !  Valor fora da faixa " + range + ": " + c.shown + " ");
        setText(c.key, previous);
    }
}

TEST_F(HostileInputTest, UnknownListTextsSendTheCodeTheListHadBefore) {
    // A download sets six cylinders and the carburettor; an upload takes both codes.
    link.feedFrame(25, {6, 10, 60, 5, 6, 130, 230, 0});
    ASSERT_EQ(text("cbTipoDistribuidor"), "Carburado");
    const auto sent = uploadedPacket(30);
    ASSERT_EQ(sent[5], 6);
    ASSERT_EQ(sent[6], 10);
    for (const auto& h : hostileTexts()) {
        SCOPED_TRACE(h.text);
        setText("cbCilindros", h.text);
        setText("cbTipoDistribuidor", h.text);
        const auto packet = uploadedPacket(30);
        EXPECT_EQ(packet[5], 6);
        EXPECT_EQ(packet[6], 10);
    }
}

TEST_F(HostileInputTest, NoCylinderCountYetRefusesTheUploadInsteadOfSendingZero) {
    const std::string box = " Atenção ! !  Número de cilindros inválido: 0 ";
    // A file put a text that is no item into the list before anything was read or sent.
    setText("cbCilindros", "5");
    expectUploadRefused(box);
    EXPECT_EQ(form.controls.focused(), "cbCilindros");
    // A module that reports no cylinders leaves the same gap.
    link.feedFrame(25, {0, 0, 60, 5, 6, 130, 230, 0});
    ASSERT_EQ(text("cbCilindros"), "0");
    expectUploadRefused(box);
    setText("cbCilindros", "4");
    EXPECT_EQ(uploadedPacket(30)[5], 4);
}

TEST_F(HostileInputTest, TypingIntoAGuardedListIsRefusedAndTheCylinderListFallsBackToFour) {
    for (const char* list : {"cbTipoDistribuidor", "cbCilindros", "cbCombinacaoMapa"}) {
        SCOPED_TRACE(list);
        const std::string before = text(list);
        dialogs.expectMessage(" Atenção ! !  Selecione um dos Valores.  ");
        EXPECT_TRUE(form.keyPress(list));
        EXPECT_EQ(form.controls.focused(), list);
        EXPECT_EQ(text(list), std::string(list) == "cbCilindros" ? "4" : before);
    }
}

TEST_F(HostileInputTest, MaximumRulesRefuseHugeNumbersAndReportTextsThatAreNoNumbers) {
    struct Rule {
        const char* key;
        const char* message;
        const char* maximum;
    };
    const Rule rules[] = {{"eLimiteRpm", " Atenção ! !  Valor máximo 12.000 PRM   ", "12000"},
                          {"eAvancoPartida", " Atenção ! !  Valor máximo 15 graus   ", "15"}};
    for (const auto& rule : rules) {
        for (const auto& h : hostileTexts()) {
            SCOPED_TRACE(std::string(rule.key) + " = \"" + h.text + "\"");
            setText(rule.key, h.text);
            if (h.asDecimal) {
                dialogs.expectError(*h.asDecimal);
                EXPECT_TRUE(form.exit(rule.key));
                EXPECT_EQ(text(rule.key), h.text);
            } else if (h.text == "-0" || h.text == "3,55") {
                EXPECT_TRUE(form.exit(rule.key));
                EXPECT_EQ(text(rule.key), h.text);
            } else {
                dialogs.expectMessage(rule.message);
                EXPECT_TRUE(form.exit(rule.key));
                EXPECT_EQ(text(rule.key), rule.maximum);
            }
            ASSERT_TRUE(dialogs.done());
        }
    }
}

TEST_F(HostileInputTest, CutOffPairComparesHugeAndNegativeZeroAsNumbers) {
    struct Case {
        const char* key;
        const char* text;
        std::optional<std::string> message; // refused: emptied with this message
    };
    const std::string tooLow =
        " Atenção ! !  Esse valor deve ser maior que o valor para ligar os injetores .   ";
    const std::string tooHigh =
        " Atenção ! !  Esse valor deve ser menor que o valor para Desligar os injetores .   ";
    const Case cases[] = {
        {"eDeslCutOff", "1e308", std::nullopt},
        {"eDeslCutOff", "-0", tooLow},
        {"eDeslCutOff", "9999999999999999999", std::nullopt},
        {"eLigaCutOff", "1e308", tooHigh},
        {"eLigaCutOff", "-0", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.text);
        setText("eDeslCutOff", "2200");
        setText("eLigaCutOff", "1500");
        setText(c.key, c.text);
        if (c.message) {
            dialogs.expectMessage(*c.message);
        }
        EXPECT_TRUE(form.exit(c.key));
        EXPECT_EQ(text(c.key), c.message ? "" : c.text);
        ASSERT_TRUE(dialogs.done());
    }
    setText("eLigaCutOff", "NaN");
    dialogs.expectError(decimalError("NaN"));
    EXPECT_TRUE(form.exit("eDeslCutOff"));
    EXPECT_EQ(text("eDeslCutOff"), "2200");
}

TEST_F(HostileInputTest, MapAlterationRefusesTextsThatAreNoNumbersAndBoundsHugeResults) {
    ASSERT_TRUE(form.click("btnAlterarMapas"));
    for (const auto& h : hostileTexts()) {
        for (const char* shift : {"eAlterar", "eAltera", "eC0inj", "eL8ig"}) {
            SCOPED_TRACE(std::string(shift) + " = \"" + h.text + "\"");
            for (const auto& p : config::fileOrder()) {
                setText(p.key, std::string(p.defaultText));
            }
            const auto before = configuration();
            setText(shift, h.text);
            if (h.asDecimal) {
                dialogs.expectError(*h.asDecimal);
                EXPECT_TRUE(form.click("btnAlterar"));
                EXPECT_EQ(configuration(), before);
                EXPECT_EQ(text(shift), h.text);
                setText(shift, "0");
                continue;
            }
            const std::string name = shift;
            if (h.text == "3,55" && (name == "eAltera" || name == "eL8ig")) {
                // The ignition map holds whole degrees.
                dialogs.expectMessage(name == "eAltera"
                                          ? " Atenção ! !  Use graus inteiros em \"Alterar todo "
                                            "o Mapa de Ignição\".  "
                                          : " Atenção ! !  Use graus inteiros na linha de 7200 "
                                            "RPM do Mapa de Ignição.  ");
                EXPECT_TRUE(form.click("btnAlterar"));
                EXPECT_EQ(configuration(), before);
                setText(shift, "0");
                continue;
            }
            EXPECT_TRUE(form.click("btnAlterar"));
            EXPECT_EQ(text(shift), "0");
            // Whatever the shift, every cell stays a number within the map's bounds.
            for (int n = 0; n < config::kMapCells; ++n) {
                const double injection = numtext::parseDecimal(text(config::injectionKey(n)));
                const double ignition = numtext::parseDecimal(text(config::ignitionKey(n)));
                EXPECT_TRUE(injection >= 0 && injection <= 25) << n;
                EXPECT_TRUE(ignition >= 0 && ignition <= 50) << n;
            }
            if (h.text == "1e308" || h.text == "9999999999999999999") {
                // e0i lies in column 0, e71 in row 8: both take their ceiling.
                if (name == "eAlterar" || name == "eC0inj") {
                    EXPECT_EQ(text("e0i"), "25");
                } else {
                    EXPECT_EQ(text("e71"), "50");
                }
            } else if (h.text == "-0") {
                EXPECT_EQ(text("e6i"), "8,0"); // only reformatted
                EXPECT_EQ(text("e71"), "27");
            }
        }
    }
}

TEST_F(HostileInputTest, MapAlterationRefusesAResultBeyondTheDoublesAndChangesNothing) {
    ASSERT_TRUE(form.click("btnAlterarMapas"));
    setText("e5i", "1,7e308");
    setText("eAlterar", "100");
    const auto before = configuration();
    dialogs.expectError(decimalError("INF"));
    EXPECT_TRUE(form.click("btnAlterar"));
    EXPECT_EQ(configuration(), before);
}

TEST_F(HostileInputTest, UnitConversionRefusesBadCellsAndCylinderCountsBeforeChangingAnything) {
    for (const auto& h : hostileTexts()) {
        SCOPED_TRACE("e0i = \"" + h.text + "\"");
        setText("e0i", h.text);
        const auto before = configuration();
        if (h.asDecimal) {
            dialogs.expectError(*h.asDecimal);
            EXPECT_TRUE(form.click("btnPercentual"));
            EXPECT_EQ(configuration(), before);
            EXPECT_FALSE(form.activity.percent());
            EXPECT_TRUE(form.controls.enabled("btnEnvia"));
            continue;
        }
        EXPECT_TRUE(form.click("btnPercentual"));
        ASSERT_TRUE(form.activity.percent());
        EXPECT_TRUE(form.click("btnmS"));
        // The huge value comes back as a number of its own size, within the rounding.
        const double back = numtext::parseDecimal(text("e0i"));
        const double sent = numtext::parseDecimal(h.text);
        EXPECT_NEAR(back, sent, std::max(0.1, std::abs(sent) * 1e-13));
        for (const auto& p : config::fileOrder()) {
            setText(p.key, std::string(p.defaultText));
        }
    }
    for (const auto& h : hostileTexts()) {
        SCOPED_TRACE("cbCilindros = \"" + h.text + "\"");
        setText("cbCilindros", h.text);
        const auto before = configuration();
        dialogs.expectBox(h.asInteger ? *h.asInteger
                                      : " Atenção ! !  Número de cilindros inválido: 0 ");
        EXPECT_TRUE(form.click("btnPercentual"));
        EXPECT_EQ(configuration(), before);
    }
}

TEST_F(HostileInputTest, HugeCellConvertedToPercentAndBackIsRefusedByTheUploadNotWrapped) {
    setText("e0i", "1e308");
    ASSERT_TRUE(form.click("btnPercentual"));
    ASSERT_TRUE(form.click("btnmS"));
    dialogs.expectError(integerError("INF"));
    EXPECT_TRUE(form.click("btnEnvia"));
    clock.advance(2000);
    EXPECT_TRUE(takeWrites().empty());
}

class HostileFileTest : public HostileInputTest {
protected:
    void SetUp() override {
        HostileInputTest::SetUp();
        ASSERT_TRUE(temp_.isValid());
        dir_ = temp_.path().toStdString();
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        HostileInputTest::TearDown();
    }
    [[nodiscard]] std::string file(const char* name) const { return (dir_ / name).string(); }
    void save(const std::string& name) {
        dialogs.expectSave(name);
        EXPECT_TRUE(form.click("btnSalvar"));
    }
    void load(const std::string& name, const std::optional<std::string>& box = std::nullopt) {
        dialogs.expectOpen(name);
        if (box) {
            dialogs.expectBox(*box);
        }
        EXPECT_TRUE(form.click("btnCarregar"));
    }

private:
    QTemporaryDir temp_;
    std::filesystem::path dir_;
};

TEST_F(HostileFileTest, HostileTextsSaveAndLoadBackUnchanged) {
    const auto name = file("hostile.txt");
    const std::vector<std::string> keys{
        "e0", "e71i", "eLimiteRpm", "cbCilindros", "eSondaTemp", "ePercEletro", "cbCombinacaoMapa"};
    for (const auto& h : hostileTexts()) {
        SCOPED_TRACE("\"" + h.text + "\"");
        for (const auto& key : keys) {
            setText(key, h.text);
        }
        const auto saved = configuration();
        save(name);
        for (const auto& key : keys) {
            setText(key, "1");
        }
        load(name);
        EXPECT_EQ(configuration(), saved);
    }
}

TEST_F(HostileFileTest, HostileTpsNumbersRefuseTheFileOrLoadAsNumbersTheUploadChecks) {
    const auto name = file("tps.txt");
    save(name);
    std::string line;
    {
        std::ifstream in(name, std::ios::binary);
        std::getline(in, line);
    }
    const std::string head = line.substr(0, line.rfind(';', line.rfind(';') - 1) + 1);
    for (const auto& h : hostileTexts()) {
        SCOPED_TRACE("\"" + h.text + "\"");
        {
            std::ofstream out(name, std::ios::binary | std::ios::trunc);
            out << head << h.text << ";230\r\n";
        }
        setText("e0", "7");
        form.state.tpsClosedValue = 99;
        const auto before = configuration();
        if (h.asInteger) {
            load(name, h.asInteger);
            EXPECT_EQ(configuration(), before);
            EXPECT_EQ(form.state.tpsClosedValue, 99);
        } else {
            load(name);
            EXPECT_EQ(form.state.tpsClosedValue, 0);
            EXPECT_EQ(uploadedPacket(31)[5], 0);
        }
    }
    // A number that loads but does not fit the packet's byte stops the upload.
    {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out << head << "300;230\r\n";
    }
    load(name);
    EXPECT_EQ(form.state.tpsClosedValue, 300);
    expectUploadRefused(" Atenção ! !  Valor fora da faixa (0 a 255): 300 ");
}

} // namespace
} // namespace orvel::test
