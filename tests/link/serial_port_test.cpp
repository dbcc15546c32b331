#include "core/errors.h"
#include "link/port_hints.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <string_view>
#include <vector>

namespace orvel::test {
namespace {

class SerialPortTest : public CoreTest {
protected:
    void expectEnabled(std::initializer_list<std::string_view> names, bool enabled) {
        for (auto n : names) {
            EXPECT_EQ(form.controls.enabled(n), enabled) << n;
        }
    }
    // What every way of closing the port leaves behind.
    void expectClosedAndReadyToActivate() {
        EXPECT_FALSE(link.isOpen());
        EXPECT_FALSE(form.activity.portOpen());
        expectEnabled({"btnAtivar"}, true);
        expectEnabled({"btnDesativar", "Button3", "btnLerDados", "Button6", "btnEnvia", "Button8",
                       "btnConfigurarTps"},
                      false);
    }
};

TEST_F(SerialPortTest, ActivationOpensTheListedPortAndEnablesWhatNeedsIt) {
    setText("cbPorta", "COM3");
    ASSERT_TRUE(form.click("btnAtivar"));

    EXPECT_EQ(link.openName, "COM3");
    EXPECT_TRUE(form.activity.portOpen());
    expectEnabled({"btnDesativar", "Button3", "btnLerDados", "Button6", "btnEnvia", "Button8"},
                  true);
    expectEnabled({"btnAtivar", "btnConfigurarTps"}, false);
    expectEnabled({"btnSalvar", "btnCarregar", "btnAlterarMapas"}, true);
}

TEST_F(SerialPortTest, FailedActivationReportsThePortErrorAndChangesNothing) {
    setText("cbPorta", "!!");
    dialogs.expectError("Unable to open com port (win error code: 2)");
    ASSERT_TRUE(form.click("btnAtivar"));

    expectClosedAndReadyToActivate();
    expectEnabled({"btnSalvar", "btnCarregar", "btnAlterarMapas"}, true);
}

TEST_F(SerialPortTest, AnotherPortCanBeTriedAfterAFailedActivation) {
    setText("cbPorta", "COM7");
    dialogs.expectError("Unable to open com port (win error code: 2)");
    form.click("btnAtivar");
    activate();
    EXPECT_EQ(link.openName, "COM1");
    EXPECT_TRUE(form.activity.portOpen());
}

TEST_F(SerialPortTest, ARefusedOpenTellsBelowTheMessageWhatToDo) {
    struct Case {
        int code;
        std::string_view hintHolds; // empty: no hint at all
    };
#ifdef _WIN32
    // Windows' own error numbers: access denied, file not found.
    const Case cases[] = {{5, "em uso por outro programa: feche o outro programa"}, {2, ""}};
#else
    const Case cases[] = {
        {EACCES, "\n    sudo usermod -aG dialout $USER\n"}, {EBUSY, "ModemManager"}, {ENOENT, ""}};
#endif
    for (const Case& c : cases) {
        const std::string hint = openFailureHint(c.code);
        EXPECT_EQ(hint.empty(), c.hintHolds.empty()) << c.code;
        EXPECT_NE(hint.find(c.hintHolds), std::string::npos) << hint;

        link.refused["/dev/ttyACM0"] = c.code;
        setText("cbPorta", "/dev/ttyACM0");
        const std::string message =
            "Unable to open com port (win error code: " + std::to_string(c.code) + ")";
        dialogs.expectError(hint.empty() ? message : message + "\n\n" + hint);
        form.click("btnAtivar");
        expectClosedAndReadyToActivate();
    }
}

TEST_F(SerialPortTest, DeactivationClosesThePortAndDisablesTheTpsButton) {
    activate();
    offerTpsCalibration();
    ASSERT_TRUE(form.click("btnDesativar"));

    EXPECT_EQ(link.closes, 1);
    expectClosedAndReadyToActivate();
    activate();
    EXPECT_EQ(link.opens, 2);
}

TEST_F(SerialPortTest, OpeningDropsTheBytesOfAnEarlierSession) {
    activate();
    link.feed({0x01, 0x02, 0x03});
    ASSERT_EQ(form.receiver.pendingSize(), 3u);
    form.click("btnDesativar");
    activate();
    EXPECT_EQ(form.receiver.pendingSize(), 0u);
}

TEST_F(SerialPortTest, PortListSelectsItsFirstNameOrKeepsThePlaceholder) {
    setText("cbPorta", "!!"); // as before any list, whatever this system listed at the start
    form.port.showPorts({});
    EXPECT_EQ(text("cbPorta"), "!!");
    EXPECT_TRUE(form.controls.get("cbPorta").items.empty());

    form.port.showPorts({"/dev/ttyUSB0", "/dev/ttyS0"});
    EXPECT_EQ(text("cbPorta"), "/dev/ttyUSB0");
    EXPECT_EQ(form.controls.get("cbPorta").items,
              (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyS0"}));
}

TEST_F(SerialPortTest, ClosingTheWindowClosesAnOpenPort) {
    activate();
    form.close();
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(form.controls.enabled("btnDesativar"));
}

TEST_F(SerialPortTest, WriteFailureIsReportedAndTheSenderStops) {
    activate();
    link.failWrites = true;
    dialogs.expectError("WriteFile function failed (win error code: 22)");
    form.click("btnLerDados");
    EXPECT_FALSE(form.controls.visible("Panel1")); // the read never went out
    EXPECT_TRUE(link.isOpen());
}

// An adapter pulled out: one report, then everything as after "Desativar".
TEST_F(SerialPortTest, UnplugWhileIdleReportsOnceAndClosesThePort) {
    activate();
    dialogs.expectError("ReadFile function failed (win error code: 5)");
    link.unplug();
    EXPECT_EQ(link.closes, 1);
    expectClosedAndReadyToActivate();

    link.unplug(); // a late second notice of the same loss
    EXPECT_EQ(dialogs.shown.size(), 1u);
    activate();
    EXPECT_TRUE(form.activity.portOpen());
}

TEST_F(SerialPortTest, UnplugWithTheScannerOnSwitchesItOffWithoutFurtherSends) {
    activate();
    form.click("Button3");
    clock.advance(10);
    ASSERT_EQ(takeWrites().size(), 1u);

    dialogs.expectError("ReadFile function failed (win error code: 5)");
    link.unplug();
    EXPECT_FALSE(form.scanner.isOn());
    EXPECT_EQ(text("Button3"), "Ativar &Scanner");
    EXPECT_FALSE(form.timer1->enabled());
    EXPECT_TRUE(form.controls.get("TabSheet2").tabVisible);
    EXPECT_FALSE(form.controls.visible("Gauge1"));
    expectEnabled({"btnSalvar", "Button1", "btnCarregar", "Button2", "btnAlterarMapas"}, true);
    expectClosedAndReadyToActivate();

    clock.advance(5000); // neither a stop command nor "Módulo não responde"
    EXPECT_TRUE(takeWrites().empty());
}

TEST_F(SerialPortTest, UnplugDuringADownloadEndsItQuietly) {
    activate();
    form.click("btnLerDados");
    link.feedFrame(1, {10, 10, 10, 10, 10, 10, 10, 10});
    ASSERT_TRUE(form.downloadTimeout->enabled());

    dialogs.expectError("ReadFile function failed (win error code: 5)");
    link.unplug();
    EXPECT_FALSE(form.downloadTimeout->enabled());
    EXPECT_FALSE(form.controls.visible("pnAguarde"));
    EXPECT_FALSE(form.controls.visible("Panel1"));
    expectEnabled({"btnSalvar", "Button1", "btnCarregar", "Button2", "btnAlterarMapas"}, true);
    expectClosedAndReadyToActivate();
    clock.advance(10'000); // the download's silence check must not fire any more
}

TEST_F(SerialPortTest, UnplugDuringAnUploadStopsThePacketsAndHidesTheWaitPanels) {
    activate();
    form.click("btnEnvia");
    ASSERT_TRUE(form.timer2->enabled());
    clock.advance(100);
    takeWrites();

    dialogs.expectError("ReadFile function failed (win error code: 5)");
    link.unplug();
    EXPECT_FALSE(form.timer2->enabled());
    EXPECT_FALSE(form.controls.visible("pnAguarde"));
    EXPECT_FALSE(form.controls.visible("Panel1"));
    expectEnabled({"btnSalvar", "Button1", "btnCarregar", "Button2", "btnAlterarMapas"}, true);
    expectClosedAndReadyToActivate();
    clock.advance(5000);
    EXPECT_TRUE(takeWrites().empty());
}

TEST_F(SerialPortTest, UnplugDuringTpsCalibrationStopsItsTimer) {
    activate();
    form.timerTps->setInterval(500);
    form.timerTps->setEnabled(true);
    form.activity.tpsPhase(Activity::Tps::ClosedWait);
    dialogs.expectError("ReadFile function failed (win error code: 5)");
    link.unplug();
    EXPECT_FALSE(form.timerTps->enabled());
    EXPECT_EQ(form.activity.tps(), Activity::Tps::None);
}

// The Qt link closes itself when a write finds the device gone; the write's
// error is the report and the notice that follows only closes.
TEST_F(SerialPortTest, LossFoundByAWriteIsReportedOnlyOnce) {
    activate();
    form.click("Button3");
    link.close(); // the device vanished under the open port
    dialogs.expectError("WriteFile function failed (win error code: 22)");
    clock.advance(10);
    link.unplug();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    expectClosedAndReadyToActivate();
}

TEST_F(SerialPortTest, DeactivatingWhileTheScannerStopsSendsNothingToTheClosedPort) {
    activate();
    form.click("Button3");
    clock.advance(10);
    link.feedFrame(29, {});
    form.click("Button3");
    ASSERT_TRUE(form.controls.enabled("btnDesativar"));
    form.click("btnDesativar");
    takeWrites();
    clock.advance(2000); // an error box here would fail the test
    EXPECT_TRUE(takeWrites().empty());
    EXPECT_FALSE(form.timer1->enabled());
}

} // namespace
} // namespace orvel::test
