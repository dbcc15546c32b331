#include "support/fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel::test {
namespace {

const std::vector<std::string> kBlockedByAnUpload{
    "btnLerDados",     "Button6",     "btnEnvia", "Button8",   "Button3", "btnDesativar",
    "btnAlterarMapas", "btnCarregar", "Button2",  "btnSalvar", "Button1", "btnConfigurarTps"};

const char* const kEndCommand = "00 48 61 61 61 61";

class UploadTest : public CoreTest {
protected:
    void SetUp() override {
        activate();
        (void)takeWrites();
    }
    // Everything written since the last call, one hex text per write.
    std::vector<std::string> wire() {
        std::vector<std::string> out;
        for (const auto& w : takeWrites()) {
            out.push_back(hex(w));
        }
        return out;
    }
    // Clicks and lets the whole upload run.
    std::vector<std::string> upload() {
        EXPECT_TRUE(form.click("btnEnvia"));
        clock.advance(2000);
        return wire();
    }
    void expectEnabled(bool enabled) {
        for (const auto& n : kBlockedByAnUpload) {
            EXPECT_EQ(form.controls.enabled(n), enabled) << n;
        }
    }
    [[nodiscard]] std::vector<bool> buttonStates() const {
        std::vector<bool> out;
        for (const auto& n : kBlockedByAnUpload) {
            out.push_back(form.controls.enabled(n));
        }
        return out;
    }
    void expectIdle() {
        EXPECT_FALSE(form.timer2->enabled());
        EXPECT_FALSE(form.controls.visible("pnAguarde"));
        EXPECT_FALSE(form.controls.visible("Panel1"));
        expectEnabled(true);
    }
};

TEST_F(UploadTest, DefaultWindowSendsTheseThirtyTwoPacketsAndTheEndCommand) {
    const std::vector<std::string> expected{
        "01 0A 0A 06 06 06 06 06 06", "02 0A 0A 0C 0C 0C 0C 0C 0C", "03 0B 12 12 13 14 14 15 16",
        "04 20 20 1F 1E 1D 1C 1B 19", "05 21 21 20 1F 1E 1D 1C 1A", "06 21 21 20 20 1E 1D 1C 1A",
        "07 22 22 21 21 1F 1E 1D 1B", "08 22 22 21 21 1F 1E 1D 1B", "09 22 22 21 21 1F 1E 1D 1B",
        "0A 23 34 3A 44 4A 4E 50 51", "0B 1F 2B 35 41 49 4C 4E 51", "0C 1C 28 32 3E 48 4C 4E 51",
        "0D 19 26 2C 3E 48 4C 50 52", "0E 18 21 2A 3C 4A 52 52 53", "0F 18 1F 2A 3A 4C 57 56 56",
        "10 17 1D 28 39 4A 52 53 55", "11 17 1C 27 38 49 4E 53 53", "12 16 1C 26 37 48 4E 51 51",
        // Ti: 45, 42, 39, 35, 32, 29, 25, 22, 19, 15, 12, 9, 5, 4, 2, 0 ...
        "13 2D 2A 27 23 20 1D 19 16", "14 13 0F 0C 09 05 04 02 00", "15 00 00 00 00 00 00 00 00",
        // Ig ends 0, 0, -1, -2
        "16 05 05 05 04 04 04 03 03", "17 03 02 02 02 01 01 01 00", "18 00 00 00 00 FF FE 00 00",
        // Ml: steps truncate toward zero (70 to 50 gives 64, 57)
        "19 46 40 39 32 2F 2C 28 25", "1A 22 1E 1B 18 14 13 11 0F", "1B 0A 05 00 00 00 00 00 00",
        "1C 00 00 00 00 00 00 00 00", "1D 00 00 37 46 56 05 05 1E", "1E 05 05 1E 03 03 04 00 3C",
        "1F 05 06 01 01 01 82 E6 00", "20 16 0F 57 50 02 14 0A 46", kEndCommand};
    EXPECT_EQ(upload(), expected);
    EXPECT_EQ(form.state.tiCorrectionTable[1], 42);
    EXPECT_EQ(form.state.igCorrectionTable[21], -2);
}

TEST_F(UploadTest, OnePacketEveryFiftyMillisecondsAfterAFirstTickAtOnce) {
    ASSERT_TRUE(form.click("btnEnvia"));
    EXPECT_TRUE(link.writes.empty());
    std::vector<std::int64_t> sentAt;
    std::vector<int> barAt;
    for (int ms = 1; ms <= 2000; ++ms) {
        clock.advance(1);
        if (!takeWrites().empty()) {
            sentAt.push_back(clock.now());
        }
        if (ms == 1601 || ms == 1651) {
            barAt.push_back(form.controls.position("pbCarregando1"));
        }
    }
    std::vector<std::int64_t> expected;
    for (int tick = 1; tick <= 32; ++tick) {
        expected.push_back(1 + 50 * (tick - 1));
    }
    expected.push_back(1701); // ticks 33 and 34 are silent
    EXPECT_EQ(sentAt, expected);
    EXPECT_EQ(barAt, (std::vector<int>{33, 33}));
    EXPECT_EQ(form.controls.position("pbCarregando"), 33);
    EXPECT_EQ(form.state.uploadTick, 35);
}

TEST_F(UploadTest, WaitingDisplayAndBlockedButtonsLastUntilTheEndCommand) {
    form.controls.setRange("pbCarregando", 0, 26);
    form.controls.setPosition("pbCarregando", 20);
    ASSERT_TRUE(form.click("btnEnvia"));
    EXPECT_TRUE(form.controls.visible("pnAguarde"));
    EXPECT_TRUE(form.controls.visible("Panel1"));
    for (auto bar : {"pbCarregando", "pbCarregando1"}) {
        const auto& b = form.controls.get(bar);
        EXPECT_EQ(b.position, 0) << bar;
        EXPECT_EQ(b.min, 0) << bar;
        EXPECT_EQ(b.max, 33) << bar;
    }
    expectEnabled(false);
    clock.advance(1700);
    EXPECT_TRUE(form.controls.visible("pnAguarde"));
    expectEnabled(false);
    clock.advance(1);
    expectIdle();
}

TEST_F(UploadTest, DuringTpsCalibrationNoWaitingDisplayIsShownOrReset) {
    form.activity.tpsPhase(Activity::Tps::Uploading);
    form.controls.setRange("pbCarregando", 0, 26);
    form.controls.setPosition("pbCarregando", 20);
    form.dispatch([this] { form.upload.startForTpsCalibration(); });
    EXPECT_FALSE(form.controls.visible("pnAguarde"));
    EXPECT_FALSE(form.controls.visible("Panel1"));
    EXPECT_EQ(form.controls.get("pbCarregando").max, 26);
    EXPECT_EQ(form.controls.position("pbCarregando"), 20);
    expectEnabled(false);
    clock.advance(2000);
    EXPECT_EQ(wire().back(), kEndCommand);
    EXPECT_EQ(form.activity.tps(), Activity::Tps::Completing);
    expectEnabled(true);
}

TEST_F(UploadTest, ThrottleBarTakesTheTpsRangeRightAfterPacket31) {
    form.state.tpsClosedValue = 100;
    form.state.tpsOpenValue = 225;
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(1 + 50 * 29);
    EXPECT_NE(form.controls.get("BarraTps").max, 225);
    clock.advance(50);
    EXPECT_EQ(wire().back(), "1F 05 06 01 01 01 64 E1 00");
    EXPECT_EQ(form.controls.get("BarraTps").min, 25);
    EXPECT_EQ(form.controls.get("BarraTps").max, 225);
    clock.advance(500);
}

struct CodeCase {
    const char* list;
    const char* text;
    std::size_t packet; // 1-based
    std::size_t byte;   // payload index
    int code;
};

TEST_F(UploadTest, ChoiceListsGiveTheirCodes) {
    const CodeCase cases[] = {
        {"cbSondaTipo", "Banda Larga (1)", 29, 5, 10},
        {"cbSondaCorrecao", "MAP", 29, 6, 10},
        {"cbSondaAtiva", "Desativada", 30, 0, 10},
        {"cbSondaAtiva", "Des em Marcha Lenta", 30, 0, 15},
        {"cbRapidaTpsxMap", "MAP", 30, 1, 10},
        {"cbCilindros", "6", 30, 5, 6},
        {"cbCilindros", "8", 30, 5, 8},
        {"cbTipoDistribuidor", "Carburado", 30, 6, 10},
        {"cbTipoDistribuidor", "3+1 VW Mi", 30, 6, 5},
        {"cbCombinacaoMapa", "MAP X RPM", 31, 0, 10},
    };
    for (const auto& c : cases) {
        const std::string before = text(c.list);
        setText(c.list, c.text);
        const auto sent = upload();
        ASSERT_EQ(sent.size(), 33u);
        const std::string& line = sent[c.packet - 1];
        const int value = std::stoi(line.substr(3 * (c.byte + 1), 2), nullptr, 16);
        EXPECT_EQ(value, c.code) << c.list << " = " << c.text;
        setText(c.list, before);
    }
}

TEST_F(UploadTest, UnknownListTextKeepsTheCodeItHadBefore) {
    setText("cbCilindros", "6");
    setText("cbSondaAtiva", "Desativada");
    (void)upload();
    setText("cbCilindros", "5");
    setText("cbSondaAtiva", "desativada");
    const auto sent = upload();
    EXPECT_EQ(sent[29], "1E 0A 05 1E 03 03 06 00 3C");
    EXPECT_EQ(form.state.cylinderCount, 6);
}

TEST_F(UploadTest, DownloadedCylinderCountStandsWhenTheListTextIsUnknown) {
    link.feedFrame(25, {6, 0, 60, 5, 6, 130, 230, 0});
    setText("cbCilindros", "5");
    EXPECT_EQ(upload()[29].substr(18, 2), "06");
}

TEST_F(UploadTest, PressureCorrectionsAreInterpolatedBetweenTheFourPoints) {
    setText("eAtm820", "-10");
    setText("eAtm880", "5");
    setText("eAtm940", "0");
    setText("eAtm1000", "10");
    const auto sent = upload();
    // -10, -5, 0, 5, 4, 2, 0, 3, 6, 10
    EXPECT_EQ(sent[27], "1C F6 FB 00 05 04 02 00 03");
    EXPECT_EQ(sent[28].substr(0, 8), "1D 06 0A");
}

// The module gets the configuration the click found: an edit made during the
// upload goes with the next one, never half into this one.
TEST_F(UploadTest, AnEditDuringTheUploadGoesWithTheNextOne) {
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(1);
    setText("e70", "20");
    setText("emSAr", "2,5");
    clock.advance(2000);
    auto sent = wire();
    ASSERT_EQ(sent.size(), 33u);
    EXPECT_EQ(sent[8], "09 22 22 21 21 1F 1E 1D 1B");
    EXPECT_EQ(sent[31], "20 16 0F 57 50 02 14 0A 46");
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(2000);
    sent = wire();
    ASSERT_EQ(sent.size(), 33u);
    EXPECT_EQ(sent[8], "09 22 22 21 21 1F 1E 14 1B");
    EXPECT_EQ(sent[31], "20 16 0F 57 50 02 14 19 46");
}

struct RefusalCase {
    const char* field;
    const char* text;
    const char* message;
};

TEST_F(UploadTest, ValueThatDoesNotFitItsByteStopsTheUploadBeforeItStarts) {
    const RefusalCase cases[] = {
        {"e5", "300", " Atenção ! !  Valor fora da faixa (0 a 255): 300 "},
        {"e71", "-2", " Atenção ! !  Valor fora da faixa (0 a 255): -2 "},
        {"e3i", "25,6", " Atenção ! !  Valor fora da faixa (0 a 255): 256 "},
        {"e3i", "-0,1", " Atenção ! !  Valor fora da faixa (0 a 255): -1 "},
        {"eLimiteRpm", "30000", " Atenção ! !  Valor fora da faixa (0 a 255): 300 "},
        {"eDeslCutOff", "25600", " Atenção ! !  Valor fora da faixa (0 a 255): 256 "},
        {"eLigaCutOff", "-100", " Atenção ! !  Valor fora da faixa (0 a 255): -1 "},
        {"eSondaLenta", "2560", " Atenção ! !  Valor fora da faixa (0 a 255): 256 "},
        {"eSondaParcial", "-10", " Atenção ! !  Valor fora da faixa (0 a 255): -1 "},
        {"eSondaPlena", "9999", " Atenção ! !  Valor fora da faixa (0 a 255): 999 "},
        {"eSondaTemp", "256", " Atenção ! !  Valor fora da faixa (0 a 255): 256 "},
        {"eBasico", "26", " Atenção ! !  Valor fora da faixa (0 a 255): 260 "},
        {"eGanho", "256", " Atenção ! !  Valor fora da faixa (0 a 255): 256 "},
        {"eDecremento", "-1", " Atenção ! !  Valor fora da faixa (0 a 255): -1 "},
        {"eAvancoPartida", "400", " Atenção ! !  Valor fora da faixa (0 a 255): 400 "},
        {"eLigaEletro", "300", " Atenção ! !  Valor fora da faixa (0 a 255): 300 "},
        {"eDesligaEletro", "-5", " Atenção ! !  Valor fora da faixa (0 a 255): -5 "},
        {"emSCorrecaoEletro", "25,6", " Atenção ! !  Valor fora da faixa (0 a 255): 256 "},
        {"ePercEletro", "256", " Atenção ! !  Valor fora da faixa (0 a 255): 256 "},
        {"emSAr", "30", " Atenção ! !  Valor fora da faixa (0 a 255): 300 "},
        {"ePercentualAr", "999", " Atenção ! !  Valor fora da faixa (0 a 255): 999 "},
        {"eCorrecaoTi0", "128", " Atenção ! !  Valor fora da faixa (-128 a 127): 128 "},
        {"eCorrecaoIg105", "-129", " Atenção ! !  Valor fora da faixa (-128 a 127): -129 "},
        {"eCorrecaoMl45", "200", " Atenção ! !  Valor fora da faixa (-128 a 127): 200 "},
        {"eAtm1000", "-200", " Atenção ! !  Valor fora da faixa (-128 a 127): -200 "},
        // Conversion failures are refused the same way, with their own texts.
        {"e0i", "3,55", "'35,5' is not a valid integer value."},
        {"eBasico", "0,25", "'2,5' is not a valid integer value."},
        {"e9", "1,5", "'1,5' is not a valid integer value."},
        {"e9i", "abc", "'abc' is not a valid floating point value."},
        {"eCorrecaoTi60", "", "'' is not a valid integer value."},
        {"emSCorrecaoEletro", "x", "'x' is not a valid floating point value."},
    };
    for (const auto& c : cases) {
        const std::string before = text(c.field);
        setText(c.field, c.text);
        setText("cbCilindros", "8");
        form.controls.focus("btnEnvia");
        const auto buttonsBefore = buttonStates();
        dialogs.expectBox(c.message);
        ASSERT_TRUE(form.click("btnEnvia"));
        EXPECT_EQ(form.controls.focused(), c.field) << c.field;
        clock.advance(2000);
        EXPECT_TRUE(link.writes.empty()) << c.field << " = " << c.text;
        EXPECT_FALSE(form.timer2->enabled());
        EXPECT_FALSE(form.controls.visible("pnAguarde"));
        EXPECT_FALSE(form.controls.visible("Panel1"));
        EXPECT_EQ(buttonStates(), buttonsBefore) << c.field;
        EXPECT_EQ(form.state.cylinderCount, 0) << "nothing prepared for " << c.field;
        setText(c.field, before);
    }
    EXPECT_EQ(upload().size(), 33u);
}

TEST_F(UploadTest, ValuesThatFitExactlyAreSent) {
    setText("e5", "255");
    setText("e6", "0");
    setText("e7i", "25,5");
    setText("eCorrecaoTi0", "127");
    setText("eCorrecaoTi15", "-128");
    setText("eLimiteRpm", "25599");
    setText("eCorrecaoIg0", " -2 ");
    const auto sent = upload();
    EXPECT_EQ(sent[0], "01 0A 0A 06 06 06 FF 00 06");
    EXPECT_EQ(sent[9].substr(24), "FF");
    EXPECT_EQ(sent[18].substr(0, 11), "13 7F 2A D5");
    EXPECT_EQ(sent[29].substr(24), "FF");
    EXPECT_EQ(sent[21].substr(0, 5), "16 FE");
}

TEST_F(UploadTest, TpsValueOutsideAByteIsRefusedWithoutMovingTheFocus) {
    form.state.tpsOpenValue = 256; // a closed reading of 255 with the throttle not opened
    form.controls.focus("btnEnvia");
    dialogs.expectMessage(" Atenção ! !  Valor fora da faixa (0 a 255): 256 ");
    ASSERT_TRUE(form.click("btnEnvia"));
    EXPECT_EQ(form.controls.focused(), "btnEnvia");
    clock.advance(2000);
    EXPECT_TRUE(link.writes.empty());
}

TEST_F(UploadTest, AValueSpoiledDuringTheUploadIsRefusedByTheNextOne) {
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(1 + 50 * 4);
    setText("e70", "300");
    clock.advance(2000);
    EXPECT_EQ(wire().size(), 33u);
    dialogs.expectMessage(" Atenção ! !  Valor fora da faixa (0 a 255): 300 ");
    ASSERT_TRUE(form.click("btnEnvia"));
    EXPECT_TRUE(wire().empty());
    EXPECT_EQ(form.controls.focused(), "e70");
    expectIdle();
}

TEST_F(UploadTest, AFailedWriteDuringTpsCalibrationFailsTheProcedure) {
    form.activity.tpsPhase(Activity::Tps::Uploading);
    form.dispatch([this] { form.upload.startForTpsCalibration(); });
    clock.advance(1 + 50 * 20);
    link.failWrites = true;
    dialogs.expectError("WriteFile function failed (win error code: 22)");
    clock.advance(2000);
    EXPECT_EQ(wire().size(), 21u);
    EXPECT_FALSE(form.timer2->enabled());
    EXPECT_EQ(form.activity.tps(), Activity::Tps::Failing);
}

TEST_F(UploadTest, FailedWriteStopsTheUploadAfterOneErrorBox) {
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(1 + 50 * 2);
    link.failWrites = true;
    dialogs.expectError("WriteFile function failed (win error code: 22)");
    clock.advance(2000);
    EXPECT_EQ(wire().size(), 3u);
    expectIdle();
}

TEST_F(UploadTest, PortGoneDuringTheUploadStopsItQuietly) {
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(1);
    link.close(); // the line failed; its notice comes later
    clock.advance(2000);
    EXPECT_EQ(wire().size(), 1u);
    EXPECT_FALSE(form.timer2->enabled());
    dialogs.expectError("ReadFile function failed (win error code: 5)");
    link.unplug();
    EXPECT_FALSE(form.controls.enabled("btnEnvia"));
    EXPECT_TRUE(form.controls.enabled("btnSalvar"));
}

// A second start would cut the first upload short, without its end command.
TEST_F(UploadTest, NoStartWhileSendingCutsTheUploadShort) {
    form.dispatch([this] { form.upload.btnEnviaClick(); });
    clock.advance(1 + 50 * 4);
    form.dispatch([this] { form.upload.btnEnviaClick(); });
    form.dispatch([this] { form.upload.startForTpsCalibration(); });
    clock.advance(2000);
    const auto sent = wire();
    ASSERT_EQ(sent.size(), 33u);
    EXPECT_EQ(sent.back(), kEndCommand);
}

} // namespace
} // namespace orvel::test
