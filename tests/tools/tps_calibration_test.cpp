#include "link/frames.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace orvel::test {
namespace {

constexpr const char* kT1 = " Deixar  a  borboleta  Fechada  e  Seguir  as  instruções,  teclar "
                            "Enter ou \" OK \" para continuar...  ";
constexpr const char* kT2 = "  ATENÇÃO ! ! !    A tensão do Tps esta muito alta para borboleta "
                            "fechada, favor ver manual Pág. 13 ";
constexpr const char* kT3 = " A configuração foi cancelada ! ! ! ";
constexpr const char* kT4 =
    " Abrir  totalmente  a  Borboleta,  teclar Enter ou \" OK \" para continuar.... ";
constexpr const char* kT5 = "  CONFIGURAÇÃO  CONCLUIDA . . .  Abrir toda a borboleta e conferir se "
                            "o sinal do TPS esta de 0 a 100% ";

constexpr const char* kSilent = "Módulo não responde";

class TpsCalibrationTest : public CoreTest {
protected:
    void SetUp() override {
        activate();
        // The procedure is offered once a configuration has been read.
        offerTpsCalibration();
        takeWrites();
    }

    void frame29(int raw) {
        link.feedFrame(29, {20, 0, 0, 0, static_cast<std::uint8_t>(raw & 0xFF),
                            static_cast<std::uint8_t>(raw >> 8), 0, 0});
    }

    // Click, T1, tick 1 starts the scanner and the first frame 29 brings the closed reading.
    void startWithClosedReading(int closed) {
        dialogs.expectMessage(kT1);
        ASSERT_TRUE(form.click("btnConfigurarTps"));
        clock.advance(500);
        ASSERT_TRUE(scannerOn());
        frame29(closed);
    }

    // Seven frames 29 since tick 1: the first was the closed reading.
    void openReadings(int open, int frames = 6) {
        for (int i = 0; i < frames; ++i) {
            frame29(open);
        }
    }

    [[nodiscard]] bool scannerOn() const { return text("Button3") == "Desativar &Scanner"; }

    [[nodiscard]] std::optional<frames::ConfigPacket> sentPacket(int number) {
        for (const auto& w : link.writes) {
            if (w.size() == frames::kPacketSize) {
                const auto p = frames::decodePacket(
                    std::span<const std::uint8_t, frames::kPacketSize>(w.data(), w.size()));
                if (p.number == number) {
                    return p;
                }
            }
        }
        return std::nullopt;
    }

    void expectCancelled() {
        EXPECT_EQ(form.activity.tps(), Activity::Tps::None);
        EXPECT_FALSE(form.timerTps->enabled());
        EXPECT_TRUE(form.controls.enabled("btnConfigurarTps"));
        EXPECT_TRUE(form.controls.enabled("Button3"));
        EXPECT_FALSE(scannerOn());
        EXPECT_FALSE(sentPacket(31).has_value()) << "nothing may be sent";
    }
};

TEST_F(TpsCalibrationTest, NormalCourseTeachesBothPointsAndSendsThem) {
    startWithClosedReading(100);
    EXPECT_FALSE(scannerOn()) << "the closed reading stops the scanner";
    EXPECT_EQ(form.state.tpsClosedValue, 100);
    EXPECT_EQ(text("Label89"), "100");
    EXPECT_EQ(text("Label91"), "2");

    dialogs.expectMessage(kT4);
    clock.advance(1500); // tick 4
    EXPECT_TRUE(scannerOn()) << "T4 confirmed starts the scanner again";
    openReadings(900);
    EXPECT_FALSE(scannerOn());
    EXPECT_EQ(form.state.tpsOpenValue, 225);
    EXPECT_EQ(text("Label90"), "225");
    EXPECT_EQ(form.controls.get("BarraTps").min, 25);
    EXPECT_EQ(form.controls.get("BarraTps").max, 225);

    clock.advance(3500); // tick 11: the upload
    EXPECT_EQ(text("Label92"), "11");
    clock.advance(2000); // the upload has ended
    const auto p31 = sentPacket(31);
    ASSERT_TRUE(p31.has_value());
    EXPECT_EQ(p31->payload[5], 100);
    EXPECT_EQ(p31->payload[6], 225);
    EXPECT_FALSE(form.controls.visible("pnAguarde"));

    dialogs.expectMessage(kT5);
    clock.advance(1000); // tick 17
    EXPECT_EQ(text("Label54"), "4,39882697947214");
    EXPECT_EQ(form.activity.tps(), Activity::Tps::None);
    EXPECT_FALSE(form.timerTps->enabled());
    EXPECT_TRUE(scannerOn()) << "left running to check the gauge";
    EXPECT_TRUE(form.controls.enabled("btnConfigurarTps"));
    EXPECT_TRUE(form.controls.enabled("Button3"));
    EXPECT_EQ(form.controls.get("BarraTps").min, 25);
    EXPECT_EQ(form.controls.get("BarraTps").max, 225);
}

TEST_F(TpsCalibrationTest, CompletionLeavesTheScannerOnEvenIfTheUserStartedItMeanwhile) {
    startWithClosedReading(100);
    dialogs.expectMessage(kT4);
    clock.advance(1500);
    openReadings(900);
    clock.advance(5500); // the upload has ended, its buttons are usable again
    ASSERT_TRUE(form.click("Button3"));
    ASSERT_TRUE(scannerOn());
    dialogs.expectMessage(kT5);
    clock.advance(1000); // tick 17
    EXPECT_TRUE(scannerOn());
}

// A read would overwrite the captured values and a send would race the
// procedure's own: neither starts until the module has the new values.
TEST_F(TpsCalibrationTest, NoTransferStartsBeforeTheProcedureSentItsValues) {
    startWithClosedReading(100);
    dialogs.expectMessage(kT4);
    clock.advance(1500);
    openReadings(900);
    takeWrites();
    clock.advance(3400);
    for (const char* button : {"btnEnvia", "Button8", "btnLerDados", "Button6", "btnCarregar"}) {
        EXPECT_FALSE(form.click(button)) << button << " just before tick 11";
    }
    dialogs.expectMessage(kT5);
    dialogs.expectMessage(kSilent); // the scanner it starts hears nothing here
    clock.advance(5500);
    std::vector<int> expected; // the procedure's upload alone
    for (int k = 1; k <= 32; ++k) {
        expected.push_back(k);
    }
    expected.push_back(0x48); // the end command
    std::vector<int> sent;
    for (const auto& w : takeWrites()) {
        const int n = w.size() == frames::kPacketSize ? w[0] : w[1];
        if (n != 0x7F && n != 0xD9) { // the scanner's commands aside
            sent.push_back(n);
        }
    }
    EXPECT_EQ(sent, expected);
}

TEST_F(TpsCalibrationTest, AnUploadAfterItsOwnLeavesTheProcedureComplete) {
    startWithClosedReading(100);
    dialogs.expectMessage(kT4);
    clock.advance(1500);
    openReadings(900);
    clock.advance(5500); // its own upload has ended
    ASSERT_TRUE(form.click("btnEnvia"));
    dialogs.expectMessage(kT5);
    clock.advance(3000);
    EXPECT_EQ(text("Label54"), "4,39882697947214");
    EXPECT_TRUE(scannerOn()) << "started once the user's upload was out";
}

// A cancelled procedure leaves the end points and the bar as they were, so the
// next upload sends what the module had and refuses nothing the user cannot see.
TEST_F(TpsCalibrationTest, EveryCancelRestoresTheEndPointsAndTheBar) {
    struct Case {
        const char* ending;
        int closed;
        int openFrames;
    };
    const Case cases[] = {{"closed reading too high", 900, 0}, {"open reading missing", 100, 3}};
    form.controls.setRange("BarraTps", 32, 230);
    for (const auto& c : cases) {
        startWithClosedReading(c.closed);
        if (c.openFrames == 0) {
            dialogs.expectMessage(kT2);
        } else {
            dialogs.expectMessage(kT4);
            clock.advance(1500);
            openReadings(900, c.openFrames);
            dialogs.expectMessage(kSilent);
        }
        dialogs.expectMessage(kT3);
        clock.advance(c.openFrames == 0 ? 1500 : 3500);
        ASSERT_TRUE(dialogs.done()) << c.ending;
        EXPECT_EQ(form.state.tpsClosedValue, 130) << c.ending;
        EXPECT_EQ(form.state.tpsOpenValue, 230) << c.ending;
        EXPECT_EQ(form.controls.get("BarraTps").min, 32) << c.ending;
        EXPECT_EQ(form.controls.get("BarraTps").max, 230) << c.ending;
    }
    takeWrites();
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(2000);
    const auto p31 = sentPacket(31);
    ASSERT_TRUE(p31.has_value());
    EXPECT_EQ(p31->payload[5], 130);
    EXPECT_EQ(p31->payload[6], 230);
}

// The procedure needs the port at every step; with the port gone its buttons
// stay off instead of leading into a bare cancel.
TEST_F(TpsCalibrationTest, EndingWithThePortClosedLeavesItsButtonsOff) {
    struct Case {
        const char* how;
        bool unplugDuringT4;
    };
    for (const Case c :
         {Case{"unplugged during T4", true}, Case{"port closed by the user", false}}) {
        if (!link.isOpen()) {
            activate();
        }
        offerTpsCalibration();
        startWithClosedReading(100);
        if (c.unplugDuringT4) {
            dialogs.expectMessage(kT4, [this] { link.unplug(); });
            dialogs.expectError("ReadFile function failed (win error code: 5)");
        } else {
            dialogs.expectMessage(kT3);
            ASSERT_TRUE(form.click("btnDesativar"));
        }
        clock.advance(10'000);
        ASSERT_TRUE(dialogs.done()) << c.how;
        EXPECT_FALSE(form.controls.enabled("btnConfigurarTps")) << c.how;
        EXPECT_FALSE(form.controls.enabled("Button3")) << c.how;
        EXPECT_EQ(form.state.tpsClosedValue, 130) << c.how;
        EXPECT_EQ(form.activity.tps(), Activity::Tps::None) << c.how;
    }
}

TEST_F(TpsCalibrationTest, TheButtonLocksTheScannerButtonBeforeTheFirstInstruction) {
    dialogs.expectMessage(kT1, [this] {
        EXPECT_FALSE(form.controls.enabled("Button3"));
        EXPECT_FALSE(form.timerTps->enabled());
    });
    ASSERT_TRUE(form.click("btnConfigurarTps"));
    EXPECT_TRUE(form.timerTps->enabled());
    EXPECT_EQ(form.timerTps->interval(), 500);
    EXPECT_EQ(form.state.tpsCalibrationFrameCount, 1);
    EXPECT_EQ(form.state.tpsCalibrationTick, 0);
}

TEST_F(TpsCalibrationTest, ClosedReadingOf255PassesThe125VoltCheck) {
    startWithClosedReading(255);
    dialogs.expectMessage(kT4);
    clock.advance(1500);
    EXPECT_NE(form.activity.tps(), Activity::Tps::None);
    EXPECT_TRUE(form.timerTps->enabled());
}

TEST_F(TpsCalibrationTest, ClosedReadingOf256CancelsWithoutSending) {
    startWithClosedReading(256);
    dialogs.expectMessage(kT2);
    dialogs.expectMessage(kT3);
    clock.advance(1500);
    expectCancelled();
    EXPECT_EQ(form.state.tpsCalibrationTick, 0);
    clock.advance(10000);
    EXPECT_FALSE(sentPacket(31).has_value());
}

TEST_F(TpsCalibrationTest, ACancelledProcedureCanStartAgainAtOnce) {
    startWithClosedReading(300);
    dialogs.expectMessage(kT2);
    dialogs.expectMessage(kT3);
    clock.advance(1500);

    startWithClosedReading(120);
    EXPECT_EQ(form.state.tpsCalibrationFrameCount, 2);
    EXPECT_EQ(form.state.tpsClosedValue, 120);
    EXPECT_EQ(text("Label92"), "1");
}

struct OpenCase {
    int open;
    int expected;
};

TEST_F(TpsCalibrationTest, AThrottleNotOpenedGivesTheClosedReadingPlusOne) {
    const OpenCase cases[] = {{100, 101}, {50, 101}, {101, 25}, {1023, 255}};
    for (const auto& c : cases) {
        startWithClosedReading(100);
        dialogs.expectMessage(kT4);
        clock.advance(1500);
        openReadings(c.open);
        EXPECT_EQ(form.state.tpsOpenValue, c.expected) << "open reading " << c.open;
        EXPECT_EQ(form.controls.get("BarraTps").max, c.expected);
        clock.advance(5500);
        dialogs.expectMessage(kT5);
        clock.advance(1000);
        ASSERT_TRUE(scannerOn());
        ASSERT_TRUE(form.click("Button3")); // off again for the next round
        clock.advance(1000);
        takeWrites();
    }
}

TEST_F(TpsCalibrationTest, OnlyTheCountedFramesCaptureReadings) {
    startWithClosedReading(100);
    dialogs.expectMessage(kT4);
    clock.advance(1500);
    openReadings(200, 5); // counts 3..7
    EXPECT_EQ(form.state.tpsOpenValue, 230) << "the seventh frame has not come yet";
    EXPECT_TRUE(scannerOn());
    frame29(400); // count 8
    EXPECT_EQ(form.state.tpsOpenValue, 100);
    frame29(800); // count 9 changes nothing
    EXPECT_EQ(form.state.tpsOpenValue, 100);
    EXPECT_EQ(form.state.tpsClosedValue, 100);
    EXPECT_EQ(text("Label91"), "9");
}

TEST_F(TpsCalibrationTest, TicksBetweenTheStepsOnlyCount) {
    startWithClosedReading(100);
    const auto closed = form.state.tpsClosedValue;
    clock.advance(500); // tick 2
    EXPECT_EQ(text("Label92"), "2");
    clock.advance(500); // tick 3
    EXPECT_EQ(text("Label92"), "3");
    EXPECT_FALSE(scannerOn());
    EXPECT_EQ(form.state.tpsClosedValue, closed);
    EXPECT_FALSE(sentPacket(1).has_value());
    dialogs.expectMessage(kT4);
    clock.advance(500);
}

TEST_F(TpsCalibrationTest, NoClosedReadingByTheCheckCancelsInsteadOfUsingAStaleVoltage) {
    form.state.tpsVoltage = 0.5; // a low voltage left from an earlier scanner run
    dialogs.expectMessage(kT1);
    ASSERT_TRUE(form.click("btnConfigurarTps"));
    dialogs.expectMessage(kSilent); // the scanner's watchdog gives up first
    dialogs.expectMessage(kT3);
    clock.advance(2000);
    expectCancelled();
    EXPECT_EQ(form.state.tpsClosedValue, 130);
    clock.advance(10000);
    EXPECT_FALSE(sentPacket(31).has_value());
}

TEST_F(TpsCalibrationTest, NoClosedReadingWhileOtherFramesKeepTheScannerAliveStopsIt) {
    dialogs.expectMessage(kT1);
    dialogs.expectMessage(kT3);
    ASSERT_TRUE(form.click("btnConfigurarTps"));
    for (int t = 0; t < 4; ++t) {
        clock.advance(500);
        link.feedFrame(30, {10, 0, 0, 0, 5, 0, 0, 0});
    }
    // Tick 4 came during the last advance; the scanner was still running.
    EXPECT_FALSE(scannerOn());
    EXPECT_EQ(form.activity.tps(), Activity::Tps::None);
    EXPECT_TRUE(form.controls.enabled("Button3"));
    EXPECT_EQ(form.state.tpsCalibrationFrameCount, 1);
}

TEST_F(TpsCalibrationTest, FewerThanSevenFramesByTheUploadCancelsWithoutSending) {
    startWithClosedReading(100);
    dialogs.expectMessage(kT4);
    clock.advance(1500);
    openReadings(900, 3);
    dialogs.expectMessage(kSilent);
    dialogs.expectMessage(kT3);
    clock.advance(3500); // tick 11
    expectCancelled();
    EXPECT_EQ(form.state.tpsOpenValue, 230);
    // A late frame no longer counts.
    frame29(900);
    EXPECT_EQ(form.state.tpsOpenValue, 230);
    clock.advance(10000);
    EXPECT_FALSE(sentPacket(31).has_value());
}

TEST_F(TpsCalibrationTest, AFailedUploadEndsTheProcedureWithoutReportingSuccess) {
    startWithClosedReading(100);
    dialogs.expectMessage(kT4);
    clock.advance(1500);
    openReadings(900);
    setText("eCorrecaoTi0", "x");
    // The reason first, then the cancellation it caused.
    dialogs.expectError("'x' is not a valid integer value.");
    dialogs.expectMessage(kT3);
    clock.advance(4000); // tick 11 and the next
    EXPECT_EQ(form.activity.tps(), Activity::Tps::None);
    EXPECT_FALSE(form.timerTps->enabled());
    EXPECT_TRUE(form.controls.enabled("btnConfigurarTps"));
    clock.advance(5000); // no T5 follows
    EXPECT_FALSE(sentPacket(31).has_value());
}

TEST_F(TpsCalibrationTest, AnUploadStoppedHalfwayEndsTheProcedureAsCancelled) {
    startWithClosedReading(100);
    dialogs.expectMessage(kT4);
    clock.advance(1500);
    openReadings(900);
    clock.advance(3500); // tick 11: the upload starts
    clock.advance(100);  // a few packets are out
    link.failWrites = true;
    dialogs.expectError("WriteFile function failed (win error code: 22)");
    dialogs.expectMessage(kT3); // not T5: the module was told nothing complete
    clock.advance(3500);
    EXPECT_FALSE(sentPacket(31).has_value());
    expectCancelled();
}

} // namespace
} // namespace orvel::test
