#include "core/errors.h"
#include "recording/replay.h"
#include "support/fakes.h"
#include "support/recordings.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvel::test {
namespace {

const std::vector<std::string> kLocked{"btnLerDados", "Button6",   "btnEnvia",    "Button8",
                                       "btnSalvar",   "Button1",   "btnCarregar", "Button2",
                                       "Button3",     "btnAtivar", "btnDesativar"};

class ReplayTest : public CoreTest {
protected:
    void start() {
        form.dispatch([this] { form.replay.start(elevenSets()); });
    }
    [[nodiscard]] std::map<std::string, bool> enabledStates() const {
        std::map<std::string, bool> states;
        for (const auto& n : kLocked) {
            states[n] = form.controls.enabled(n);
        }
        return states;
    }
};

struct SpeedCase {
    int speed;
    std::string shown; // temperature after 100 ms
};

class ReplaySpeedTest : public ReplayTest, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(ReplaySpeedTest, PlaysTheSetsDueAtTheChosenSpeed) {
    start();
    EXPECT_EQ(text("eTemperatura"), "40"); // the first set shows at once
    form.replay.player.setSpeed(GetParam().speed);
    form.replay.play();
    clock.advance(100);
    EXPECT_EQ(text("eTemperatura"), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Speeds, ReplaySpeedTest,
                         ::testing::Values(SpeedCase{1, "40"}, SpeedCase{2, "41"},
                                           SpeedCase{4, "42"}, SpeedCase{8, "44"}));

TEST_F(ReplayTest, PauseHoldsTheMomentAndSeekShowsTheSetOfThatMoment) {
    start();
    form.replay.play();
    clock.advance(400);
    form.replay.player.pause();
    clock.advance(1000);
    EXPECT_EQ(text("eTemperatura"), "42");
    form.replay.player.seek(1.05);
    EXPECT_EQ(text("eTemperatura"), "45");
    form.replay.play();
    clock.advance(140);
    EXPECT_EQ(text("eTemperatura"), "45");
    clock.advance(20);
    EXPECT_EQ(text("eTemperatura"), "46");
}

TEST_F(ReplayTest, ShowsTheRecordedRpmAndLocksTheButtonsWithoutWritingToThePort) {
    activate();
    const auto before = enabledStates();
    start();
    EXPECT_EQ(text("eRpm"), "1000"); // four cylinders, from the recording
    for (const auto& n : kLocked) {
        EXPECT_FALSE(form.controls.enabled(n)) << n;
    }
    EXPECT_TRUE(form.controls.visible("Gauge3"));
    EXPECT_FALSE(form.click("Button3"));
    form.replay.play();
    clock.advance(3000); // past the end
    EXPECT_FALSE(form.replay.active());
    EXPECT_EQ(text("eTemperatura"), "50");
    EXPECT_EQ(enabledStates(), before);
    EXPECT_FALSE(form.controls.visible("Gauge3"));
    EXPECT_EQ(form.state.cylinderCount, 0);
    EXPECT_TRUE(link.writes.empty());
}

TEST_F(ReplayTest, APortLostMidReplayLeavesTheButtonsOfAClosedPort) {
    activate();
    start();
    dialogs.expectError("ReadFile function failed (win error code: 5)");
    link.unplug();
    form.dispatch([this] { form.replay.end(); });
    EXPECT_TRUE(form.controls.enabled("btnAtivar"));
    for (auto n : {"Button3", "btnLerDados", "btnEnvia", "btnDesativar"}) {
        EXPECT_FALSE(form.controls.enabled(n)) << n;
    }
    EXPECT_TRUE(form.controls.enabled("btnSalvar"));
}

struct Refusal {
    std::string name;
    std::function<void(ReplayTest&, Form&)> arrange;
    std::string error;
};

class RefusalTest : public ReplayTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, IsRefusedWhileThePortIsBusy) {
    activate();
    GetParam().arrange(*this, form);
    dialogs.expectMessage(GetParam().error);
    form.dispatch([this] { start(); });
    EXPECT_FALSE(form.replay.active());
}

INSTANTIATE_TEST_SUITE_P(
    Busy, RefusalTest,
    ::testing::Values(
        Refusal{"Scanner", [](ReplayTest&, Form& f) { ASSERT_TRUE(f.click("Button3")); },
                "Desative o Scanner antes de reproduzir um registro"},
        Refusal{"Download", [](ReplayTest&, Form& f) { ASSERT_TRUE(f.click("btnLerDados")); },
                "Aguarde o fim da leitura ou do envio dos dados antes de reproduzir um registro"},
        Refusal{"Tps", [](ReplayTest&, Form& f) { f.activity.tpsPhase(Activity::Tps::ClosedWait); },
                "Aguarde o fim da configuração do TPS antes de reproduzir um registro"}),
    [](const auto& param) { return param.param.name; });

} // namespace
} // namespace orvel::test
