#include "link/frames.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace orvel::test {
namespace {

using Data = std::array<std::uint8_t, 8>;

const std::vector<std::uint8_t> kPoll{0x00, 0x7F, 0x61, 0x61, 0x61, 0x61};
const std::vector<std::uint8_t> kStop{0x00, 0xD9, 0x61, 0x61, 0x61, 0x61};

class ScannerTest : public CoreTest {
protected:
    void frame(std::uint8_t id, Data data) { form.scanner.handleFrame({id, data}); }
    void positions(int rpm, int load) {
        frame(29, {0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(load)});
        frame(30, {0, static_cast<std::uint8_t>(rpm), 0, 0, 0, 0, 0, 0});
    }
    [[nodiscard]] std::vector<int> redCells() const {
        std::vector<int> red;
        for (int n = 0; n < 72; ++n) {
            const auto ign = form.controls.get("e" + std::to_string(n)).color;
            const auto inj = form.controls.get("e" + std::to_string(n) + "i").color;
            EXPECT_EQ(ign, inj) << "cell " << n << " differs between the maps";
            if (ign == colors::red) {
                red.push_back(n);
            }
        }
        return red;
    }
    [[nodiscard]] Rgb textColor(std::string_view name) const {
        return form.controls.get(name).textColor;
    }
};

TEST_F(ScannerTest, SwitchingOnHidesTheSettingsAndPollsFirstAfterTenMilliseconds) {
    activate();
    ASSERT_TRUE(form.click("Button3"));
    EXPECT_TRUE(form.scanner.isOn());
    EXPECT_EQ(text("Button3"), "Desativar &Scanner");
    EXPECT_FALSE(form.controls.get("TabSheet2").tabVisible);
    EXPECT_FALSE(form.controls.visible("GroupBox3"));
    for (int g = 1; g <= 8; ++g) {
        EXPECT_TRUE(form.controls.visible("Gauge" + std::to_string(g))) << g;
    }
    for (auto n :
         {"btnLerDados", "Button6", "btnEnvia", "Button8", "btnSalvar", "Button1", "btnCarregar",
          "Button2", "btnAlterarMapas", "btnDesativar", "btnConfigurarTps"}) {
        EXPECT_FALSE(form.controls.enabled(n)) << n;
    }
    EXPECT_TRUE(form.controls.enabled("Button3"));

    clock.advance(9);
    EXPECT_TRUE(takeWrites().empty());
    clock.advance(1);
    EXPECT_EQ(takeWrites(), std::vector<std::vector<std::uint8_t>>{kPoll});
    EXPECT_EQ(form.timer1->interval(), 1000);
}

TEST_F(ScannerTest, SwitchingOffRestoresTheButtonsAndTheNextTickSendsTheStopOnce) {
    activate();
    form.click("Button3");
    clock.advance(10);
    link.feedFrame(29, {});
    takeWrites();
    form.click("Button3");

    EXPECT_FALSE(form.scanner.isOn());
    EXPECT_EQ(text("Button3"), "Ativar &Scanner");
    EXPECT_TRUE(form.controls.get("TabSheet2").tabVisible);
    EXPECT_TRUE(form.controls.visible("GroupBox3"));
    EXPECT_FALSE(form.controls.visible("Gauge5"));
    for (auto n : {"btnLerDados", "Button6", "btnEnvia", "Button8", "btnSalvar", "Button1",
                   "btnCarregar", "Button2", "btnAlterarMapas", "btnDesativar"}) {
        EXPECT_TRUE(form.controls.enabled(n)) << n;
    }
    EXPECT_FALSE(form.controls.enabled("btnConfigurarTps"));
    EXPECT_TRUE(form.timer1->enabled());

    clock.advance(1000);
    EXPECT_EQ(takeWrites(), std::vector<std::vector<std::uint8_t>>{kStop});
    EXPECT_FALSE(form.timer1->enabled());
    clock.advance(5000);
    EXPECT_TRUE(takeWrites().empty());
}

// The module keeps sending until it gets the stop command, also when the port
// is closed right after the scanner was switched off.
TEST_F(ScannerTest, ClosingThePortWhileStoppingSendsTheStopFirst) {
    for (bool byWindow : {false, true}) {
        activate();
        form.click("Button3");
        clock.advance(10);
        link.feedFrame(29, {});
        form.click("Button3");
        takeWrites();
        if (byWindow) {
            form.close();
        } else {
            ASSERT_TRUE(form.click("btnDesativar"));
        }
        EXPECT_EQ(takeWrites(), std::vector<std::vector<std::uint8_t>>{kStop}) << byWindow;
        EXPECT_FALSE(link.isOpen());
        clock.advance(5000);
        EXPECT_TRUE(takeWrites().empty());
    }
}

TEST_F(ScannerTest, ExplicitStartAndStopLeaveTheMatchingStateAlone) {
    activate();
    form.scanner.stop();
    EXPECT_FALSE(form.scanner.isOn());
    form.scanner.start();
    form.scanner.start();
    EXPECT_TRUE(form.scanner.isOn());
    form.scanner.stop();
    form.scanner.stop();
    EXPECT_FALSE(form.scanner.isOn());
}

TEST_F(ScannerTest, SilentModuleSwitchesOffTellsTheUserThenSendsTheStopOnce) {
    activate();
    form.click("Button3");
    clock.advance(10); // t = 10: first poll
    clock.advance(500);
    link.feedFrame(30, {});
    clock.advance(500); // t = 1010: a frame came, poll again
    EXPECT_EQ(takeWrites().size(), 2u);

    dialogs.expectMessage("Módulo não responde", [&] {
        EXPECT_FALSE(form.scanner.isOn());
        EXPECT_FALSE(form.timer1->enabled());
        EXPECT_TRUE(link.writes.empty()) << "the stop goes out after the box is closed";
    });
    clock.advance(999);
    EXPECT_TRUE(dialogs.shown.empty());
    clock.advance(1); // t = 2010: a whole second without a group
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(takeWrites(), std::vector<std::vector<std::uint8_t>>{kStop});
    clock.advance(5000);
    EXPECT_TRUE(takeWrites().empty());
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(ScannerTest, PortLostWhileTheSilenceBoxIsOpenSendsNoStopToTheDeadPort) {
    activate();
    form.click("Button3");
    clock.advance(10);
    dialogs.expectMessage("Módulo não responde", [&] { link.unplug(); });
    dialogs.expectError("ReadFile function failed (win error code: 5)");
    clock.advance(1000);
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(takeWrites().size(), 1u); // the first poll only
    EXPECT_FALSE(form.timer1->enabled());
}

TEST_F(ScannerTest, StartedAfterThePortWasLostItSwitchesOffQuietly) {
    activate();
    dialogs.expectError("ReadFile function failed (win error code: 5)");
    link.unplug();
    form.scanner.start(); // as the TPS procedure would, its box having been open
    clock.advance(10);
    EXPECT_FALSE(form.scanner.isOn());
    EXPECT_FALSE(form.timer1->enabled());
    EXPECT_TRUE(takeWrites().empty());
    for (auto n : {"Button3", "btnDesativar", "btnLerDados", "btnEnvia"}) {
        EXPECT_FALSE(form.controls.enabled(n)) << n;
    }
    EXPECT_TRUE(form.controls.enabled("btnAtivar"));
}

TEST_F(ScannerTest, AnyGroupOfTwelveBytesKeepsTheLinkAlive) {
    activate();
    form.click("Button3");
    clock.advance(10);
    for (int second = 0; second < 3; ++second) {
        link.feed(std::vector<std::uint8_t>(12, 0x55)); // fits no frame layout
        clock.advance(1000);
    }
    EXPECT_TRUE(form.scanner.isOn());
    EXPECT_EQ(takeWrites().size(), 4u);
}

TEST_F(ScannerTest, TemperatureTurnsYellowFromNinetyFive) {
    struct Case {
        std::uint8_t d0;
        const char* text;
        Rgb color;
    };
    for (const auto& c : {Case{94, "94", colors::lime}, Case{95, "95", colors::yellow},
                          Case{0, "0", colors::lime}, Case{255, "255", colors::yellow}}) {
        frame(29, {c.d0, 0, 0, 0, 0, 0, 0, 0});
        EXPECT_EQ(text("eTemperatura"), c.text);
        EXPECT_EQ(textColor("eTemperatura"), c.color) << int(c.d0);
    }
}

TEST_F(ScannerTest, SensorFrameFillsTheLiveDisplay) {
    form.controls.setRange("BarraTps", 0, 255);
    frame(29, {80, 45, 12, 75, 0x00, 0x02, 3, 20});
    EXPECT_EQ(text("eValorMap"), "45");
    EXPECT_EQ(text("eAtuadorML"), "12");
    EXPECT_EQ(text("eValorSonda"), "750");
    EXPECT_EQ(form.state.tpsRawValue, 512);
    EXPECT_NEAR(form.state.tpsVoltage, 2.502443, 1e-6);
    EXPECT_EQ(text("eValorTps"), "2,50 ");
    EXPECT_EQ(form.controls.position("BarraTps"), 128);
    EXPECT_EQ(text("eColunaTps"), "3");
    EXPECT_EQ(form.state.loadPosition, 20);
    for (auto g : {"Gauge1", "Gauge2", "Gauge6", "Gauge8"}) {
        EXPECT_EQ(form.controls.position(g), 20) << g;
    }
}

TEST_F(ScannerTest, EngineFrameShowsRpmInjectionTimeAndDuty) {
    struct Case {
        int cylinders;
        int period;
        int injection;
        const char* rpm;
        const char* ti;
        Rgb color;
    };
    const Case cases[] = {
        {4, 1200, 280, "1000", "7,0  12", colors::lime},
        {4, 200, 356, "6000", "8,9  89", colors::lime},
        {4, 200, 360, "6000", "9,0  90", colors::yellow},
        {6, 800, 100, "1000", "2,5  3", colors::lime},
    };
    for (const auto& c : cases) {
        form.state.cylinderCount = c.cylinders;
        frame(30, {12, 30, static_cast<std::uint8_t>(c.injection & 0xFF),
                   static_cast<std::uint8_t>(c.injection >> 8), 9,
                   static_cast<std::uint8_t>(c.period & 0xFF),
                   static_cast<std::uint8_t>(c.period >> 8), 0});
        EXPECT_EQ(text("eRpm"), c.rpm) << c.ti;
        EXPECT_EQ(text("eTi"), c.ti);
        EXPECT_EQ(textColor("eTi"), c.color) << c.ti;
    }
    EXPECT_EQ(text("eAvanco"), "12°");
    EXPECT_EQ(text("ePresAtm"), "1000");
    EXPECT_EQ(text("eLinhaMapa"), "30");
    EXPECT_EQ(form.controls.position("Gauge3"), 18);
}

TEST_F(ScannerTest, StoppedEngineKeepsTheLastRpmAndPumpState) {
    form.state.cylinderCount = 4;
    frame(30, {0, 0, 0x18, 0x01, 0, 0xB0, 0x04, 1});
    ASSERT_EQ(textColor("eScannerBomba"), colors::yellow);
    frame(30, {0, 0, 0x00, 0x00, 0, 0, 0, 0});
    EXPECT_EQ(text("eRpm"), "1000");
    EXPECT_EQ(text("eTi"), "7,0  12");
    EXPECT_EQ(textColor("eScannerBomba"), colors::yellow);
    frame(30, {0, 0, 0x00, 0x00, 0, 0xB0, 0x04, 0});
    EXPECT_EQ(textColor("eScannerBomba"), colors::grey);
}

TEST_F(ScannerTest, UnknownCylinderCountShowsNoRpmOrDutyInsteadOfDividingByZero) {
    ASSERT_EQ(form.state.cylinderCount, 0);
    frame(30, {10, 12, 0x18, 0x01, 9, 0xB0, 0x04, 1});
    EXPECT_EQ(text("eRpm"), "");
    EXPECT_NE(form.controls.get("eRpm").hint.find("cilindros"), std::string::npos);
    EXPECT_EQ(text("eTi"), "");
    EXPECT_EQ(text("ePresAtm"), "1000");
    form.state.cylinderCount = 4;
    frame(30, {10, 12, 0x18, 0x01, 9, 0xB0, 0x04, 1});
    EXPECT_EQ(form.controls.get("eRpm").hint, "");
    EXPECT_EQ(textColor("eScannerBomba"), colors::yellow);
}

TEST_F(ScannerTest, NegativeRpmPositionIsShownSignedAndTheBarsClamp) {
    frame(30, {0, 0xF0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(text("eLinhaMapa"), "-16");
    EXPECT_EQ(form.state.rpmPosition, -16);
    EXPECT_EQ(form.controls.position("Gauge7"), 0);
}

TEST_F(ScannerTest, CorrectionFrameShowsSignedValuesAndSwitchStates) {
    frame(31, {0xFB, 7, 3, 0xFE, 0, 1, 0, 0});
    EXPECT_EQ(text("eCorSondaCurto"), "-5");
    EXPECT_EQ(text("eCorSondaLongo"), "7");
    EXPECT_EQ(text("eCorTemperatura"), "3 %");
    EXPECT_EQ(text("eCorPresAtm"), "-2 %");
    EXPECT_EQ(text("eCorAvanco"), "0 °");
    EXPECT_EQ(textColor("eScannerEletro"), colors::yellow);
    EXPECT_EQ(textColor("eScannerAr"), colors::grey);
    frame(31, {0, 0, 0, 0, 0, 0, 9, 0});
    EXPECT_EQ(textColor("eScannerEletro"), colors::grey);
    EXPECT_EQ(textColor("eScannerAr"), colors::yellow);
}

TEST_F(ScannerTest, DiagnosticFramesAddLinesToTheHiddenList) {
    frame(32, {0x00, 0x02, 1, 2, 3, 4, 5, 6});
    frame(33, {0, 1, 2, 3, 4, 5, 6, 7});
    frame(34, {255, 0, 0, 0, 0, 0, 0, 9});
    EXPECT_EQ(form.controls.get("ListBox1").items,
              (std::vector<std::string>{"1 2 3 4 5 6 ", "0 1 2 3 4 5 6 7 ", "255 0 0 0 0 0 0 9 "}));
    EXPECT_EQ(text("Label51"), "Vcc MAP = 2,50 = 512");
}

TEST_F(ScannerTest, DiagnosticListKeepsOnlyItsLatestLines) {
    for (std::size_t i = 0; i < Scanner::kDiagnosticLines + 10; ++i) {
        frame(33, {static_cast<std::uint8_t>(i % 256), 0, 0, 0, 0, 0, 0, 0});
    }
    const auto& items = form.controls.get("ListBox1").items;
    ASSERT_EQ(items.size(), Scanner::kDiagnosticLines);
    EXPECT_EQ(items.back(),
              std::to_string((Scanner::kDiagnosticLines + 9) % 256) + " 0 0 0 0 0 0 0 ");
}

TEST_F(ScannerTest, MarksTheCellsTowardWhichTheEngineMoved) {
    positions(14, 20);
    EXPECT_EQ(redCells(), (std::vector<int>{19, 20, 27, 28}));
    positions(13, 20);
    EXPECT_EQ(redCells(), (std::vector<int>{19, 20}));
    EXPECT_EQ(form.controls.get("e27").color, colors::black);
    EXPECT_EQ(form.controls.get("e28i").color, colors::black);
}

TEST_F(ScannerTest, MarkingAtTheEdgesOfTheMaps) {
    struct Case {
        int rpm;
        int load;
        std::vector<int> red;
    };
    const Case cases[] = {
        {0, 0, {0}},
        {47, 0, {56, 64}},    // fraction above 20 of the last step: the row below
        {48, 0, {64}},        // the last row has none below
        {48, 42, {71}},       // the last column has none beside it
        {48, 41, {70, 71}},   // column 6 toward column 7
        {2, 2, {0, 1, 8, 9}}, // 33 % toward both
        {1, 1, {0}},          // 16.7 % is not enough
        {0xF9, 0, {}},        // RPM position -7: off the map, nothing marked
        {0, 48, {}},          // load past the last column: no wrapped cell
    };
    for (const auto& c : cases) {
        positions(c.rpm, c.load);
        EXPECT_EQ(redCells(), c.red) << "rpm " << c.rpm << " load " << c.load;
    }
}

TEST_F(ScannerTest, MarksStayWhenTheScannerStops) {
    activate();
    form.click("Button3");
    positions(14, 20);
    form.click("Button3");
    EXPECT_EQ(redCells(), (std::vector<int>{19, 20, 27, 28}));
}

TEST_F(ScannerTest, CalibrationCapturesBeforeTheBarAndVoltageTakeTheSameFrame) {
    activate();
    form.click("Button3"); // the calibration's tick 1 started the scanner
    form.activity.tpsPhase(Activity::Tps::ClosedWait);
    form.state.tpsCalibrationFrameCount = 1;
    form.state.tpsCalibrationTick = 1;
    frame(29, {0, 0, 0, 0, 0xF4, 0x01, 0, 0}); // 500 counts
    EXPECT_EQ(form.state.tpsClosedValue, 500);
    EXPECT_FALSE(form.scanner.isOn()); // the capture stops the scanner
    EXPECT_EQ(form.controls.get("BarraTps").max, 500);
    EXPECT_EQ(form.controls.position("BarraTps"), 125);
    EXPECT_EQ(text("eValorTps"), "2,44 ");
}

TEST_F(ScannerTest, NoCaptureOutsideTheCalibration) {
    frame(29, {0, 0, 0, 0, 0xF4, 0x01, 0, 0});
    EXPECT_EQ(form.state.tpsClosedValue, 130);
}

} // namespace
} // namespace orvel::test
