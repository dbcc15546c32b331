// A click or a frame during another operation must neither cut it short nor
// unlock what it holds. Each case is a way a second operation used to break in.
#include "link/frames.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel::test {
namespace {

constexpr const char* kT1 = " Deixar  a  borboleta  Fechada  e  Seguir  as  instruções,  teclar "
                            "Enter ou \" OK \" para continuar...  ";
constexpr const char* kT4 =
    " Abrir  totalmente  a  Borboleta,  teclar Enter ou \" OK \" para continuar.... ";
constexpr const char* kT5 = "  CONFIGURAÇÃO  CONCLUIDA . . .  Abrir toda a borboleta e conferir se "
                            "o sinal do TPS esta de 0 a 100% ";
constexpr const char* kSilent = "Módulo não responde";
constexpr int kEnd = 0x48;

class OperationOverlapTest : public CoreTest {
protected:
    void SetUp() override { activate(); }

    void answerRead() {
        for (int id = 1; id <= 26; ++id) {
            std::array<std::uint8_t, 8> d{};
            if (id == 25) {
                d = {4, 0, 60, 5, 6, 130, 230, 0}; // four cylinders, TPS 130..230
            }
            link.feedFrame(static_cast<std::uint8_t>(id), d);
        }
    }
    void readConfiguration() {
        ASSERT_TRUE(form.click("btnLerDados"));
        answerRead();
        takeWrites();
    }
    // What went out: packet numbers, and the second byte of every command.
    std::vector<int> wire() {
        std::vector<int> out;
        for (const auto& w : takeWrites()) {
            out.push_back(w.size() == frames::kPacketSize ? w[0] : w[1]);
        }
        return out;
    }
    static std::vector<int> oneUpload() {
        std::vector<int> packets;
        for (int k = 1; k <= 32; ++k) {
            packets.push_back(k);
        }
        packets.push_back(kEnd);
        return packets;
    }
    void frame29(int raw) {
        link.feedFrame(29, {20, 0, 0, 0, static_cast<std::uint8_t>(raw & 0xFF),
                            static_cast<std::uint8_t>(raw >> 8), 0, 0});
    }
    [[nodiscard]] bool scannerOn() const { return text("Button3") == "Desativar &Scanner"; }
    // Click, T1, the closed reading, T4, six open readings: the procedure waits for tick 11.
    void calibrateUpToItsUpload(std::function<void()> duringT4 = {}) {
        dialogs.expectMessage(kT1);
        ASSERT_TRUE(form.click("btnConfigurarTps"));
        clock.advance(500);
        ASSERT_TRUE(scannerOn());
        frame29(100);
        dialogs.expectMessage(kT4, std::move(duringT4));
        clock.advance(1500);
        for (int i = 0; i < 6; ++i) {
            frame29(900);
        }
    }
};

TEST_F(OperationOverlapTest, ALateReadAnswerNeitherUnlocksNorRestartsAnUpload) {
    readConfiguration();
    ASSERT_TRUE(form.click("btnLerDados"));
    clock.advance(300);
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(500);
    answerRead(); // the module answers the abandoned read at 0.8 s
    EXPECT_TRUE(form.controls.visible("pnAguarde"));
    EXPECT_FALSE(form.controls.enabled("btnEnvia"));
    clock.advance(500);
    EXPECT_FALSE(form.click("btnEnvia"));
    clock.advance(3000);
    std::vector<int> expected{0x33};
    for (int k : oneUpload()) {
        expected.push_back(k);
    }
    EXPECT_EQ(wire(), expected);
}

TEST_F(OperationOverlapTest, AReadAnsweredAfterTheScannerStartedUnlocksNoTransfer) {
    ASSERT_TRUE(form.click("btnLerDados"));
    ASSERT_TRUE(form.click("Button3"));
    clock.advance(1000);
    answerRead(); // before the scanner's watchdog looks

    for (const char* b :
         {"btnLerDados", "btnEnvia", "btnSalvar", "btnCarregar", "btnAlterarMapas"}) {
        EXPECT_FALSE(form.controls.enabled(b)) << b;
    }
    EXPECT_TRUE(form.controls.enabled("Button3"));
    EXPECT_FALSE(form.click("btnEnvia"));
}

TEST_F(OperationOverlapTest, NoConversionToPercentDuringAnUpload) {
    readConfiguration();
    ASSERT_TRUE(form.click("btnAlterarMapas"));
    ASSERT_TRUE(form.click("btnEnvia")); // the settings page's button stays usable in the mode
    EXPECT_FALSE(form.click("btnPercentual"));
    clock.advance(2000);
    EXPECT_EQ(wire(), oneUpload());
    EXPECT_TRUE(form.click("btnPercentual")); // free again afterwards
}

TEST_F(OperationOverlapTest, NoConversionToPercentWhileTheProcedureRuns) {
    readConfiguration();
    ASSERT_TRUE(form.click("btnAlterarMapas"));
    calibrateUpToItsUpload([this] { EXPECT_FALSE(form.click("btnPercentual")); });
    EXPECT_NE(text("Label46"), " Valores em  \" % \" ");
}

// Once its upload has given the module the new values, the procedure is complete:
// closing or losing the port before its last tick cancels nothing.
TEST_F(OperationOverlapTest, ACompletedCalibrationSurvivesThePortClosingBeforeItsLastTick) {
    for (const bool unplug : {false, true}) {
        if (!link.isOpen()) {
            activate();
        }
        readConfiguration();
        calibrateUpToItsUpload();
        clock.advance(3500 + 1800); // tick 11 and the whole upload
        ASSERT_EQ(wire().back(), kEnd);
        if (unplug) {
            dialogs.expectError("ReadFile function failed (win error code: 5)");
            link.unplug();
        } else {
            ASSERT_TRUE(form.click("btnDesativar"));
        }
        clock.advance(5000);
        EXPECT_EQ(form.state.tpsClosedValue, 100) << unplug;
        EXPECT_EQ(form.state.tpsOpenValue, 225) << unplug;
        EXPECT_TRUE(dialogs.done()) << unplug;
    }
}

TEST_F(OperationOverlapTest, ClosingTheWindowDuringTheProcedureShowsNoBox) {
    readConfiguration();
    calibrateUpToItsUpload();
    form.close();
    clock.advance(10'000);
    EXPECT_FALSE(link.isOpen());
}

TEST_F(OperationOverlapTest, NoReadDuringTheProcedureOverwritesTheCapturedValues) {
    readConfiguration();
    calibrateUpToItsUpload();
    clock.advance(3000);
    EXPECT_FALSE(form.click("btnLerDados"));
    EXPECT_FALSE(form.click("Button6"));
    dialogs.expectMessage(kT5);
    dialogs.expectMessage(kSilent);
    clock.advance(6000);
    const auto sent = link.writes;
    bool packet31 = false;
    for (const auto& w : sent) {
        EXPECT_NE(w, bytes({0x00, 0x33, 0x61, 0x61, 0x61, 0x61})) << "a read went out";
        if (w.size() == frames::kPacketSize && w[0] == 31) {
            packet31 = true;
            EXPECT_EQ(w[6], 100);
            EXPECT_EQ(w[7], 225);
        }
    }
    EXPECT_TRUE(packet31);
}

TEST_F(OperationOverlapTest, AStrayFirstFrameLeavesTheScannerInTheUsersHands) {
    ASSERT_TRUE(form.click("Button3"));
    link.feedFrame(1, {});
    EXPECT_FALSE(form.controls.visible("pnAguarde"));
    EXPECT_TRUE(form.controls.enabled("Button3"));
    ASSERT_TRUE(form.click("Button3"));
    EXPECT_TRUE(form.controls.get("TabSheet2").tabVisible);
    EXPECT_TRUE(form.controls.enabled("btnDesativar"));
    EXPECT_TRUE(form.controls.enabled("btnLerDados"));
}

TEST_F(OperationOverlapTest, AReadWaitingDuringTheFirstInstructionUnlocksNothing) {
    readConfiguration();
    ASSERT_TRUE(form.click("btnLerDados")); // never answered
    dialogs.expectMessage(kT1, [this] {
        clock.advance(3100);
        EXPECT_FALSE(form.controls.enabled("Button3"));
        EXPECT_FALSE(form.controls.visible("Panel1"));
    });
    ASSERT_TRUE(form.click("btnConfigurarTps"));
    EXPECT_FALSE(form.controls.enabled("Button3"));
}

// The link reports itself closed before its failure notice reaches the window:
// the read's time-out then leaves the telling to that notice.
TEST_F(OperationOverlapTest, AReadTimingOutOnALineAlreadyGoneLeavesTheReportToItsNotice) {
    ASSERT_TRUE(form.click("btnLerDados"));
    link.feedFrame(1, {});
    link.close();
    clock.advance(3100);
    dialogs.expectError("ReadFile function failed (win error code: 5)");
    link.unplug();
    EXPECT_FALSE(form.controls.visible("pnAguarde"));
    EXPECT_TRUE(form.controls.enabled("btnAtivar"));
}

} // namespace
} // namespace orvel::test
