#include "support/fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace orvel::test {
namespace {

using Data = std::array<std::uint8_t, 8>;
using Texts = std::vector<std::pair<std::string, std::string>>;

const std::vector<std::string> kBlockedByADownload{
    "btnSalvar",   "Button1", "btnCarregar",     "Button2",          "btnEnvia",     "Button8",
    "btnLerDados", "Button6", "btnAlterarMapas", "btnConfigurarTps", "btnDesativar", "Button3"};

class DownloadTest : public CoreTest {
protected:
    void startDownload() {
        activate();
        (void)takeWrites();
        ASSERT_TRUE(form.click("btnLerDados"));
    }
    void feedConfiguration(int first, int last) {
        for (int id = first; id <= last; ++id) {
            link.feedFrame(static_cast<std::uint8_t>(id), {});
        }
    }
    void expectEnabled(const std::vector<std::string>& names, bool enabled) {
        for (const auto& n : names) {
            EXPECT_EQ(form.controls.enabled(n), enabled) << n;
        }
    }
};

struct FieldCase {
    std::uint8_t id;
    Data data;
    Texts texts;
};

TEST_F(DownloadTest, EachFrameWritesItsFieldsInTheirFormats) {
    const FieldCase cases[] = {
        {1,
         {10, 255, 0, 0xFE, 6, 6, 6, 7},
         {{"e0", "10"}, {"e1", "255"}, {"e2", "0"}, {"e3", "254"}, {"e7", "7"}}},
        {9, {40, 1, 2, 3, 4, 5, 6, 99}, {{"e64", "40"}, {"e71", "99"}}},
        {10,
         {81, 40, 0, 35, 1, 2, 3, 255},
         {{"e0i", "8,1"},
          {"e1i", "4,0"},
          {"e2i", "0,0"},
          {"e3i", "3,5"},
          {"e4i", "0,1"},
          {"e7i", "25,5"}}},
        {18, {12, 0, 0, 0, 0, 0, 0, 99}, {{"e64i", "1,2"}, {"e71i", "9,9"}}},
        {19,
         {0xFE, 5, 0, 0, 0, 0, 0, 0x7F},
         {{"eCorrecaoTi0", "-2"},
          {"eCorrecaoTi15", "5"},
          {"eCorrecaoTi30", "0"},
          {"eCorrecaoTi105", "127"}}},
        {20, {1, 0, 0, 0, 0, 0, 0, 0x80}, {{"eCorrecaoIg0", "1"}, {"eCorrecaoIg105", "-128"}}},
        {21, {99, 0, 0, 0, 0, 0, 0xFF, 0}, {{"eCorrecaoMl0", "99"}, {"eCorrecaoMl90", "-1"}}},
        {22,
         {0xFF, 1, 0, 0x80, 10, 35, 7, 9},
         {{"eAtm820", "-1"},
          {"eAtm880", "1"},
          {"eAtm940", "0"},
          {"eAtm1000", "-128"},
          {"cbRapidaTpsxMap", "MAP"},
          {"eBasico", "3,5"},
          {"eGanho", "7"},
          {"eDecremento", "9"}}},
        {22, {0, 0, 0, 0, 5, 0, 0, 0}, {{"cbRapidaTpsxMap", "TPS"}, {"eBasico", "0,0"}}},
        {23,
         {10, 99, 10, 45, 40, 75, 90, 5},
         {{"cbSondaTipo", "Banda Larga (1)"},
          {"cbSondaAtiva", "Desativada"},
          {"eSondaTemp", "45"},
          {"eSondaLenta", "400"},
          {"eSondaParcial", "750"},
          {"eSondaPlena", "900"},
          {"cbSondaCorrecao", "TPS"}}},
        {23,
         {5, 0, 15, 0, 0, 0, 0, 10},
         {{"cbSondaTipo", "Normal"},
          {"cbSondaAtiva", "Des em Marcha Lenta"},
          {"cbSondaCorrecao", "MAP"},
          {"eSondaLenta", "0"}}},
        {24,
         {25, 12, 95, 85, 15, 30, 12, 60},
         {{"eDeslCutOff", "2500"},
          {"eLigaCutOff", "1200"},
          {"eLigaEletro", "95"},
          {"eDesligaEletro", "85"},
          {"emSCorrecaoEletro", "1,5"},
          {"ePercEletro", "30"},
          {"emSAr", "1,2"},
          {"ePercentualAr", "60"}}},
        {24,
         {0, 0, 0, 0, 0, 0, 0, 0},
         {{"eDeslCutOff", "0"},
          {"emSCorrecaoEletro", "0,0"},
          {"ePercEletro", "0"},
          {"emSAr", "0,0"},
          {"ePercentualAr", "0"}}},
        {25,
         {8, 10, 65, 10, 9, 130, 230, 0},
         {{"cbCilindros", "8"},
          {"cbTipoDistribuidor", "Carburado"},
          {"eLimiteRpm", "6500"},
          {"cbCombinacaoMapa", "MAP X RPM"},
          {"Label57", "-820"},
          {"Label71", "0 mbar"},
          {"Label72", "-820"},
          {"Label79", "0 mbar"},
          {"eAvancoPartida", "9"}}},
        {25,
         {4, 5, 0, 5, 0, 0, 0, 0},
         {{"cbTipoDistribuidor", "3+1 VW Mi"},
          {"cbCombinacaoMapa", "TPS X RPM"},
          {"Label57", "0 %"},
          {"Label79", "100 %"},
          {"eLimiteRpm", "0"}}},
    };
    activate();
    for (const auto& c : cases) {
        link.feedFrame(c.id, c.data);
        for (const auto& [field, expected] : c.texts) {
            EXPECT_EQ(text(field), expected) << "frame " << int(c.id) << " field " << field;
        }
    }
}

struct CodeCase {
    std::uint8_t id;
    std::size_t byte;
    std::uint8_t code;
    const char* list;
    const char* expected; // nullptr: the list keeps its text
};

TEST_F(DownloadTest, ChoiceCodesSelectTheirTextAndOthersLeaveTheListAlone) {
    const CodeCase cases[] = {
        {22, 4, 5, "cbRapidaTpsxMap", "TPS"},
        {22, 4, 10, "cbRapidaTpsxMap", "MAP"},
        {22, 4, 7, "cbRapidaTpsxMap", nullptr},
        {23, 0, 5, "cbSondaTipo", "Normal"},
        {23, 0, 10, "cbSondaTipo", "Banda Larga (1)"},
        {23, 0, 0, "cbSondaTipo", nullptr},
        {23, 2, 5, "cbSondaAtiva", "Ativada"},
        {23, 2, 10, "cbSondaAtiva", "Desativada"},
        {23, 2, 15, "cbSondaAtiva", "Des em Marcha Lenta"},
        {23, 2, 20, "cbSondaAtiva", nullptr},
        {23, 7, 5, "cbSondaCorrecao", "TPS"},
        {23, 7, 10, "cbSondaCorrecao", "MAP"},
        {23, 7, 15, "cbSondaCorrecao", nullptr},
        {25, 1, 0, "cbTipoDistribuidor", "Injetado"},
        {25, 1, 5, "cbTipoDistribuidor", "3+1 VW Mi"},
        {25, 1, 10, "cbTipoDistribuidor", "Carburado"},
        {25, 1, 1, "cbTipoDistribuidor", nullptr},
        {25, 3, 5, "cbCombinacaoMapa", "TPS X RPM"},
        {25, 3, 10, "cbCombinacaoMapa", "MAP X RPM"},
        {25, 3, 7, "cbCombinacaoMapa", nullptr},
    };
    activate();
    for (const auto& c : cases) {
        setText(c.list, "(before)");
        Data data{};
        data[c.byte] = c.code;
        link.feedFrame(c.id, data);
        EXPECT_EQ(text(c.list), c.expected ? c.expected : "(before)")
            << c.list << " code " << int(c.code);
    }
}

TEST_F(DownloadTest, UnknownCombinationCodeKeepsTheColumnCaptions) {
    activate();
    link.feedFrame(25, {4, 0, 60, 10, 6, 130, 230, 0});
    link.feedFrame(25, {4, 0, 60, 7, 6, 130, 230, 0});
    EXPECT_EQ(text("cbCombinacaoMapa"), "MAP X RPM");
    EXPECT_EQ(text("Label57"), "-820");
    EXPECT_EQ(text("Label72"), "-820");
}

TEST_F(DownloadTest, CylinderCountFollowsFrame25EvenOutsideTheList) {
    activate();
    link.feedFrame(25, {6, 0, 60, 5, 6, 130, 230, 0});
    EXPECT_EQ(text("cbCilindros"), "6");
    EXPECT_EQ(form.state.cylinderCount, 6);
    link.feedFrame(25, {5, 0, 60, 5, 6, 130, 230, 0});
    EXPECT_EQ(text("cbCilindros"), "5");
    EXPECT_EQ(form.state.cylinderCount, 5);
}

struct TpsCase {
    std::uint8_t closed;
    std::uint8_t open;
    int expectedOpen;
    int barMin;
};

TEST_F(DownloadTest, Frame25TakesTheTpsEndPointsAndFallsBackToTheClosedValue) {
    const TpsCase cases[] = {
        {130, 230, 230, 32},                    // as read
        {130, 0, 130, 32},                      // below 1
        {130, 251, 130, 32},                    // above 250
        {130, 250, 250, 32}, {130, 1, 130, 32}, // 1 is below 130 div 4
        {200, 40, 200, 50},                     // 40 is below 200 div 4
        {200, 50, 50, 50},   {0, 1, 1, 0},      {255, 0, 255, 63},
    };
    activate();
    for (const auto& c : cases) {
        link.feedFrame(25, {4, 0, 60, 5, 6, c.closed, c.open, 0});
        const auto& bar = form.controls.get("BarraTps");
        EXPECT_EQ(form.state.tpsClosedValue, c.closed) << int(c.closed) << "/" << int(c.open);
        EXPECT_EQ(form.state.tpsOpenValue, c.expectedOpen) << int(c.closed) << "/" << int(c.open);
        EXPECT_EQ(bar.min, c.barMin) << int(c.closed) << "/" << int(c.open);
        EXPECT_EQ(bar.max, c.expectedOpen) << int(c.closed) << "/" << int(c.open);
    }
}

TEST_F(DownloadTest, BarMinimumAboveTheOldMaximumIsTaken) {
    activate();
    link.feedFrame(25, {4, 0, 60, 5, 6, 200, 50, 0});
    link.feedFrame(25, {4, 0, 60, 5, 6, 255, 250, 0});
    EXPECT_EQ(form.controls.get("BarraTps").min, 63);
    EXPECT_EQ(form.controls.get("BarraTps").max, 250);
}

TEST_F(DownloadTest, ReadClickSendsTheReadCommandAndShowsTheFirstPanel) {
    startDownload();
    const auto writes = takeWrites();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(hex(writes[0]), "00 33 61 61 61 61");
    for (auto bar : {"pbCarregando", "pbCarregando1"}) {
        const auto& b = form.controls.get(bar);
        EXPECT_EQ(b.min, 0) << bar;
        EXPECT_EQ(b.max, 26) << bar;
        EXPECT_EQ(b.position, 0) << bar;
    }
    EXPECT_TRUE(form.controls.visible("Panel1"));
    EXPECT_FALSE(form.controls.visible("pnAguarde"));
    EXPECT_TRUE(form.controls.enabled("btnEnvia"));
}

TEST_F(DownloadTest, FirstFrameBlocksTheButtonsAndLastFrameReleasesThem) {
    startDownload();
    link.feedFrame(1, {});
    EXPECT_TRUE(form.controls.visible("pnAguarde"));
    expectEnabled(kBlockedByADownload, false);
    EXPECT_FALSE(form.controls.enabled("btnAtivar"));

    feedConfiguration(2, 25);
    EXPECT_EQ(form.controls.position("pbCarregando"), 25);
    link.feedFrame(26, {});
    EXPECT_EQ(form.controls.position("pbCarregando"), 26);
    EXPECT_EQ(form.controls.position("pbCarregando1"), 26);
    EXPECT_FALSE(form.controls.visible("pnAguarde"));
    EXPECT_FALSE(form.controls.visible("Panel1"));
    expectEnabled(kBlockedByADownload, true);
    EXPECT_FALSE(form.controls.enabled("btnAtivar"));
    clock.advance(10'000); // the silence watchdog went with frame 26
}

TEST_F(DownloadTest, AllFramesInOneNotificationCompleteTheDownload) {
    startDownload();
    std::vector<std::uint8_t> stream;
    for (int id = 1; id <= 26; ++id) {
        const auto f =
            frames::encodeFrame({static_cast<std::uint8_t>(id), {7, 7, 7, 7, 7, 7, 7, 7}});
        stream.insert(stream.end(), f.begin(), f.end());
    }
    link.feed(stream);
    EXPECT_EQ(text("e71"), "7");
    EXPECT_EQ(text("e71i"), "0,7");
    EXPECT_FALSE(form.controls.visible("Panel1"));
    expectEnabled(kBlockedByADownload, true);
}

TEST_F(DownloadTest, SilenceBeforeTheLastFrameEndsTheDownloadWithoutTpsCalibration) {
    startDownload();
    feedConfiguration(1, 10);
    clock.advance(2999);
    feedConfiguration(11, 20); // each frame restarts the watchdog
    clock.advance(2999);
    EXPECT_TRUE(form.controls.visible("pnAguarde"));
    dialogs.expectMessage("Módulo não responde", [this] {
        EXPECT_FALSE(form.controls.visible("pnAguarde"));
        EXPECT_FALSE(form.controls.visible("Panel1"));
    });
    clock.advance(1);
    ASSERT_TRUE(dialogs.done());
    std::vector<std::string> released = kBlockedByADownload;
    std::erase(released, "btnConfigurarTps");
    expectEnabled(released, true);
    EXPECT_FALSE(form.controls.enabled("btnConfigurarTps"));
    EXPECT_FALSE(form.controls.enabled("btnAtivar"));
    clock.advance(10'000); // said once
}

TEST_F(DownloadTest, NoAnswerAtAllIsReportedAfterThreeSeconds) {
    startDownload();
    clock.advance(2999);
    dialogs.expectMessage("Módulo não responde");
    clock.advance(1);
    EXPECT_FALSE(form.controls.visible("Panel1"));
    EXPECT_TRUE(form.controls.enabled("btnLerDados"));
}

TEST_F(DownloadTest, LateLastFrameStillEndsTheDisplayAndFreesTpsCalibration) {
    startDownload();
    feedConfiguration(1, 5);
    dialogs.expectMessage("Módulo não responde");
    clock.advance(3000);
    link.feedFrame(26, {});
    EXPECT_TRUE(form.controls.enabled("btnConfigurarTps"));
}

TEST_F(DownloadTest, StrayFramesOutsideADownloadStartNoWatchdog) {
    activate();
    link.feedFrame(5, {});
    link.feedFrame(25, {4, 0, 60, 5, 6, 130, 230, 0});
    clock.advance(10'000);
    EXPECT_TRUE(form.controls.enabled("btnEnvia"));
}

TEST_F(DownloadTest, WatchdogAfterThePortClosedReleasesOnlyWhatWorksWithoutIt) {
    startDownload();
    ASSERT_TRUE(form.click("btnDesativar"));
    clock.advance(3000);
    EXPECT_FALSE(form.controls.visible("Panel1"));
    EXPECT_FALSE(form.controls.enabled("btnLerDados"));
    EXPECT_FALSE(form.controls.enabled("btnEnvia"));
    EXPECT_FALSE(form.controls.enabled("btnDesativar"));
    EXPECT_TRUE(form.controls.enabled("btnSalvar"));
}

// The read's silence check belongs to the read: whatever takes the port over
// first ends it, and its expiry must not unlock what the other operation holds.
TEST_F(DownloadTest, AnUploadStartedDuringTheReadIsOneWholeUpload) {
    startDownload();
    (void)takeWrites();
    clock.advance(2500);
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(500); // the read's three seconds are over
    EXPECT_TRUE(form.controls.visible("pnAguarde"));
    EXPECT_FALSE(form.controls.enabled("btnEnvia"));
    EXPECT_FALSE(form.click("btnEnvia"));
    clock.advance(10'000);
    const auto sent = takeWrites();
    ASSERT_EQ(sent.size(), 33u);
    for (std::size_t k = 0; k < 32; ++k) {
        EXPECT_EQ(sent[k][0], k + 1) << "packet order";
    }
    EXPECT_EQ(hex(sent.back()), "00 48 61 61 61 61");
}

TEST_F(DownloadTest, TheScannerTakesOverFromARequestedRead) {
    startDownload();
    clock.advance(2500);
    ASSERT_TRUE(form.click("Button3"));
    clock.advance(600);
    EXPECT_TRUE(form.scanner.isOn());
    expectEnabled({"btnLerDados", "btnEnvia", "btnSalvar", "btnCarregar"}, false);
}

TEST_F(DownloadTest, AStrayFirstFrameDuringTheScannerStartsNoSilenceCheck) {
    activate();
    ASSERT_TRUE(form.click("Button3"));
    link.feedFrame(1, {});
    for (int t = 0; t < 8; ++t) {
        clock.advance(500);
        link.feedFrame(29, {});
    }
    EXPECT_TRUE(form.scanner.isOn());
    expectEnabled({"btnLerDados", "btnEnvia"}, false);
}

TEST_F(DownloadTest, ClosingThePortEndsARequestedRead) {
    startDownload();
    ASSERT_TRUE(form.click("btnDesativar"));
    EXPECT_FALSE(form.downloadTimeout->enabled());
    EXPECT_FALSE(form.controls.visible("Panel1"));
}

TEST_F(DownloadTest, FailedReadCommandShowsNoPanel) {
    activate();
    link.failWrites = true;
    dialogs.expectError("WriteFile function failed (win error code: 22)");
    ASSERT_TRUE(form.click("btnLerDados"));
    EXPECT_FALSE(form.controls.visible("Panel1"));
    clock.advance(10'000);
}

} // namespace
} // namespace orvel::test
