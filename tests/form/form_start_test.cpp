#include "core/errors.h"
#include "model/config.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace orvel::test {
namespace {

class FormStartTest : public CoreTest {};

TEST_F(FormStartTest, EveryConfigurationKeyIsAFieldHoldingItsDefault) {
    for (const auto& p : config::fileOrder()) {
        ASSERT_TRUE(form.controls.has(p.key)) << p.key;
        EXPECT_EQ(text(p.key), p.defaultText) << p.key;
        EXPECT_EQ(form.controls.get(p.key).maxLength, p.maxLength) << p.key;
    }
    EXPECT_EQ(config::fileOrder().size() + 2, static_cast<std::size_t>(config::kValueCount));
    EXPECT_EQ(form.state.tpsClosedValue, 130);
    EXPECT_EQ(form.state.tpsOpenValue, 230);
}

TEST_F(FormStartTest, ButtonsStartAsTheWindowDefinesThem) {
    struct Expect {
        const char* name;
        bool enabled;
        bool visible;
    };
    const Expect table[] = {
        {"btnAtivar", true, true},
        {"btnCarregar", true, true},
        {"Button2", true, true},
        {"btnSalvar", true, true},
        {"Button1", true, true},
        {"btnAlterarMapas", true, true},
        {"btnDesativar", false, true},
        {"Button3", false, true},
        {"Button6", false, true},
        {"btnLerDados", false, true},
        {"Button8", false, true},
        {"btnEnvia", false, true},
        {"btnConfigurarTps", false, true},
        {"btnCalibrar", true, false},
        {"btnRecalcular", false, false},
        {"btnAnular", false, false},
        {"GroupBox10", true, false},
        {"btnmS", false, true},
        {"btnVoltarTelaPrincipal", true, false},
        {"eC0ig", true, false},
        {"eL8inj", true, false},
        {"Gauge1", true, false},
        {"Gauge8", true, false},
        {"pnAguarde", true, false},
        {"Panel1", true, false},
        {"Label89", true, false},
    };
    for (const auto& e : table) {
        EXPECT_EQ(form.controls.enabled(e.name), e.enabled) << e.name;
        EXPECT_EQ(form.controls.visible(e.name), e.visible) << e.name;
    }
}

TEST_F(FormStartTest, PairButtonsShareOneEnabledState) {
    const std::pair<const char*, const char*> pairs[] = {
        {"btnCarregar", "Button2"},
        {"btnSalvar", "Button1"},
        {"btnLerDados", "Button6"},
        {"btnEnvia", "Button8"},
    };
    for (const auto& [a, b] : pairs) {
        form.controls.setEnabled(a, false);
        EXPECT_FALSE(form.controls.enabled(b)) << b;
        form.controls.setEnabled(b, true);
        EXPECT_TRUE(form.controls.enabled(a)) << a;
    }
}

TEST_F(FormStartTest, ClicksOnDisabledOrHiddenButtonsRunNothing) {
    EXPECT_FALSE(form.click("btnEnvia"));  // disabled until a port is open
    EXPECT_FALSE(form.click("btnAnular")); // hidden
    EXPECT_TRUE(link.writes.empty());
}

TEST(ErrorBoxTest, FullStopIsAddedOnlyAfterLettersAndDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"'x' is not a valid integer value", "'x' is not a valid integer value."},
        {"Unable to open com port (win error code: 2)",
         "Unable to open com port (win error code: 2)"},
        {"ends with 5", "ends with 5."},
        {"ends with blank ", "ends with blank "},
        {"ends with bang!", "ends with bang!"},
        {"already.", "already."},
        {"", ""},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(withFullStop(in), out) << in;
    }
}

TEST(ManualClockTest, TimersKeepTheWindowTimerSemantics) {
    ManualClock clock;
    auto timer = clock.createTimer("T");
    std::vector<std::int64_t> ticks;
    timer->onTimer = [&] {
        ticks.push_back(clock.now());
        timer->setInterval(50); // as the upload does on every tick
    };
    timer->setInterval(1);
    timer->setEnabled(true);
    clock.advance(120);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{1, 51, 101}));

    // Enabling a running timer does not restart it; a new interval does.
    clock.advance(40);
    ticks.clear();
    timer->setEnabled(true);
    clock.advance(50);
    ASSERT_EQ(ticks.size(), 1U);
    timer->setInterval(200);
    const auto restartedAt = clock.now();
    ticks.clear();
    timer->onTimer = [&] { ticks.push_back(clock.now()); };
    clock.advance(200);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{restartedAt + 200}));
}

} // namespace
} // namespace orvel::test
