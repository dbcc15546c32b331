#include "model/config.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace orvel::test {
namespace {

const char* const kTransferButtons[] = {"btnEnvia",  "Button8", "btnLerDados", "Button6",
                                        "btnSalvar", "Button1", "btnCarregar", "Button2"};

class UnitConversionTest : public CoreTest {
protected:
    void SetUp() override { ASSERT_TRUE(form.click("btnAlterarMapas")); }

    // Everything a conversion may touch.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> out;
        for (int n = 0; n < config::kMapCells; ++n) {
            out[config::injectionKey(n)] = text(config::injectionKey(n));
        }
        out["Label46"] = text("Label46");
        for (const char* b : kTransferButtons) {
            out[b] = form.controls.enabled(b) ? "on" : "off";
        }
        for (const char* b : {"btnAtivar", "btnmS", "btnPercentual"}) {
            out[b] = form.controls.enabled(b) ? "on" : "off";
        }
        out["inPercent"] = form.activity.percent() ? "yes" : "no";
        return out;
    }
};

TEST_F(UnitConversionTest, ToPercentRewritesTheMapAndLocksTheTransfers) {
    ASSERT_TRUE(form.click("btnPercentual"));
    EXPECT_EQ(text("e0i"), "2,9");
    EXPECT_EQ(text("e7i"), "6,8");
    EXPECT_EQ(text("e71i"), "97,2");
    for (const char* b : kTransferButtons) {
        EXPECT_FALSE(form.controls.enabled(b)) << b;
    }
    EXPECT_FALSE(form.controls.enabled("btnAtivar"));
    EXPECT_TRUE(form.controls.enabled("btnmS"));
    EXPECT_FALSE(form.controls.enabled("btnPercentual"));
    EXPECT_EQ(text("Label46"), " Valores em  \" % \" ");
    EXPECT_TRUE(form.activity.percent());
}

TEST_F(UnitConversionTest, BackToMillisecondsMayMoveACellByATenth) {
    ASSERT_TRUE(form.click("btnPercentual"));
    ASSERT_TRUE(form.click("btnmS"));
    EXPECT_EQ(text("e0i"), "3,5");
    EXPECT_EQ(text("e7i"), "8,2");
    EXPECT_EQ(text("e71i"), "8,1");
    EXPECT_EQ(text("Label46"), " Valores em Ti \" mS \" ");
    EXPECT_FALSE(form.activity.percent());
    EXPECT_FALSE(form.controls.enabled("btnmS"));
    EXPECT_TRUE(form.controls.enabled("btnPercentual"));
    for (const char* b : {"btnSalvar", "Button1", "btnCarregar", "Button2"}) {
        EXPECT_TRUE(form.controls.enabled(b)) << b;
    }
    // Reading and sending need the port.
    for (const char* b : {"btnEnvia", "Button8", "btnLerDados", "Button6", "btnAtivar"}) {
        EXPECT_FALSE(form.controls.enabled(b)) << b;
    }
}

TEST_F(UnitConversionTest, BackToMillisecondsWithThePortOpenReenablesReadAndSend) {
    ASSERT_TRUE(form.click("btnVoltarTelaPrincipal"));
    activate();
    ASSERT_TRUE(form.click("btnAlterarMapas"));
    ASSERT_TRUE(form.click("btnPercentual"));
    ASSERT_TRUE(form.click("btnmS"));
    for (const char* b : kTransferButtons) {
        EXPECT_TRUE(form.controls.enabled(b)) << b;
    }
}

struct CylinderCase {
    const char* cylinders;
    const char* cell0; // 3,5 ms at 500 rpm
};

TEST_F(UnitConversionTest, TheCylinderCountSetsTheReferencePeriod) {
    const CylinderCase cases[] = {
        {"4", "2,9"}, {"6", "4,4"}, {"8", "5,8"}, {"5", "3,6"}, {"3", "2,2"}, {" 6 ", "4,4"},
    };
    for (const auto& c : cases) {
        setText("cbCilindros", c.cylinders);
        setText("e0i", "3,5");
        ASSERT_TRUE(form.click("btnPercentual"));
        EXPECT_EQ(text("e0i"), c.cell0) << c.cylinders << " cylinders";
        ASSERT_TRUE(form.click("btnmS"));
        EXPECT_EQ(text("e0i"), "3,5") << c.cylinders << " cylinders, back";
    }
}

double commaNumber(std::string s) {
    const auto comma = s.find(',');
    if (comma != std::string::npos) {
        s[comma] = '.';
    }
    return std::stod(s);
}

// A round trip loses only the two roundings to a tenth: one of a percent of the
// reference period, one of a millisecond.
TEST_F(UnitConversionTest, RoundTripWithAnyCountLosesOnlyTheRounding) {
    for (int count : {1, 3, 5, 7, 12}) {
        setText("cbCilindros", std::to_string(count));
        const auto original = snapshot();
        ASSERT_TRUE(form.click("btnPercentual"));
        ASSERT_TRUE(form.click("btnmS"));
        for (int n = 0; n < config::kMapCells; ++n) {
            const auto key = config::injectionKey(n);
            const double periodMs = 2000.0 * (120.0 / count) / config::kRowRpm[n / 8];
            const double tolerance = 0.05 * periodMs / 100 + 0.05 + 1e-9;
            EXPECT_NEAR(commaNumber(text(key)), commaNumber(original.at(key)), tolerance)
                << count << " cylinders, cell " << n;
        }
    }
}

struct RefusalCase {
    const char* cylinders;
    const char* cell;
    const char* cellText;
    const char* box;
};

TEST_F(UnitConversionTest, ARefusedConversionChangesNothing) {
    const RefusalCase cases[] = {
        {"x", "e0i", "3,5", "'x' is not a valid integer value."},
        {"", "e0i", "3,5", "'' is not a valid integer value."},
        {"0", "e0i", "3,5", " Atenção ! !  Número de cilindros inválido: 0 "},
        {"-4", "e0i", "3,5", " Atenção ! !  Número de cilindros inválido: -4 "},
        {"4", "e40i", "abc", "'abc' is not a valid floating point value."},
        {"4", "e71i", "7.5", "'7.5' is not a valid floating point value."},
    };
    for (const char* button : {"btnPercentual", "btnmS"}) {
        for (const auto& c : cases) {
            // btnmS only runs in percent; get there with a sound map first.
            setText("cbCilindros", "4");
            if (std::string(button) == "btnmS" && !form.activity.percent()) {
                ASSERT_TRUE(form.click("btnPercentual"));
            }
            setText("cbCilindros", c.cylinders);
            setText(c.cell, c.cellText);
            const auto before = snapshot();
            dialogs.expectBox(c.box);
            ASSERT_TRUE(form.click(button));
            EXPECT_EQ(snapshot(), before) << button << ": " << c.box;
            setText(c.cell, "3,5");
        }
    }
}
// While the map shows percent nothing may read, send, save or load it, nor run
// the TPS procedure (which sends it): only the way back to milliseconds frees them.
class PercentLockTest : public CoreTest {
protected:
    void SetUp() override {
        activate();
        offerTpsCalibration();
        ASSERT_TRUE(form.click("btnAlterarMapas"));
        ASSERT_TRUE(form.click("btnPercentual"));
    }
    void expectLocked(bool locked, const std::string& when) {
        for (const char* b : kTransferButtons) {
            EXPECT_EQ(form.controls.enabled(b), !locked) << b << " " << when;
        }
        EXPECT_EQ(form.controls.enabled("btnConfigurarTps"), !locked) << when;
    }
};

TEST_F(PercentLockTest, OnlyTheWayBackToMillisecondsUnlocksTheTransfers) {
    expectLocked(true, "after the conversion");
    link.feedFrame(26, {}); // a stray end of configuration
    expectLocked(true, "after frame 26");
    ASSERT_TRUE(form.click("btnmS"));
    expectLocked(false, "back in milliseconds");
}

TEST_F(PercentLockTest, TheScannerStoppingInPercentUnlocksNothing) {
    form.dispatch([this] { form.scanner.start(); }); // as the TPS procedure starts it
    dialogs.expectMessage("Módulo não responde");
    clock.advance(1100); // the scanner's watchdog switches it off
    ASSERT_FALSE(form.scanner.isOn());
    expectLocked(true, "after the scanner");
}

TEST_F(PercentLockTest, NoPercentageIsSent) {
    takeWrites();
    dialogs.expectMessage(" Atenção ! !  O mapa de injeção está em \" % \". Converta para Ti \" mS "
                          "\" antes de enviar.  ");
    form.dispatch([this] { form.upload.startForTpsCalibration(); }); // as the TPS procedure does
    clock.advance(2000);
    EXPECT_TRUE(takeWrites().empty());
    EXPECT_EQ(form.controls.focused(), "btnmS");
}

TEST_F(PercentLockTest, AReadInPercentIsConvertedNoSecondTime) {
    for (int id = 10; id <= 18; ++id) {
        link.feedFrame(static_cast<std::uint8_t>(id), {35, 35, 35, 35, 35, 35, 35, 81});
    }
    EXPECT_FALSE(form.activity.percent());
    EXPECT_EQ(text("Label46"), " Valores em Ti \" mS \" ");
    expectLocked(false, "rows that came without a download"); // none holds the buttons
    ASSERT_TRUE(form.click("btnVoltarTelaPrincipal"));
    EXPECT_EQ(text("e0i"), "3,5");
    EXPECT_EQ(text("e7i"), "8,1");
    EXPECT_EQ(text("e71i"), "8,1");
}

} // namespace
} // namespace orvel::test
