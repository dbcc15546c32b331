// The window's buttons in the flows its handlers used to set them in one by one:
// the table that derives them from the activity must show the same.
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace orvel::test {
namespace {

class Flows;

struct Flow {
    std::string name;
    std::function<void(Flows&)> steps;
    std::vector<std::string> enabled;
    std::vector<std::string> disabled;
};

class Flows : public CoreTest, public ::testing::WithParamInterface<Flow> {
public:
    void open() { activate(); }
    void read() {
        ASSERT_TRUE(form.click("btnLerDados"));
        for (int id = 1; id <= 26; ++id) {
            std::array<std::uint8_t, 8> d{};
            if (id == 25) {
                d = {4, 0, 60, 5, 6, 130, 230, 0};
            }
            link.feedFrame(static_cast<std::uint8_t>(id), d);
        }
    }
    bool click(const char* name) { return form.click(name); }
    void advance(int ms) { clock.advance(ms); }
};

TEST_P(Flows, ShowTheButtonsTheirHandlersGave) {
    const Flow& flow = GetParam();
    flow.steps(*this);
    for (const auto& n : flow.enabled) {
        EXPECT_TRUE(form.controls.enabled(n)) << n;
    }
    for (const auto& n : flow.disabled) {
        EXPECT_FALSE(form.controls.enabled(n)) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, Flows,
    ::testing::Values(
        Flow{"AtStart",
             [](Flows&) {},
             {"btnAtivar", "btnCarregar", "Button2", "btnSalvar", "Button1", "btnAlterarMapas",
              "btnPercentual"},
             {"btnDesativar", "Button3", "btnLerDados", "Button8", "btnConfigurarTps", "btnmS"}},
        Flow{"PortOpened",
             [](Flows& f) { f.open(); },
             {"btnDesativar", "Button3", "btnLerDados", "Button6", "btnEnvia", "Button8"},
             {"btnAtivar", "btnConfigurarTps"}},
        Flow{"ReadDone",
             [](Flows& f) {
                 f.open();
                 f.read();
             },
             {"btnConfigurarTps", "btnDesativar", "Button3", "btnSalvar", "btnAlterarMapas"},
             {"btnAtivar"}},
        Flow{"ScannerOffAfterARead",
             [](Flows& f) {
                 f.open();
                 f.read();
                 ASSERT_TRUE(f.click("Button3"));
                 ASSERT_TRUE(f.click("Button3"));
             },
             {"btnLerDados", "btnEnvia", "btnSalvar", "btnCarregar", "btnAlterarMapas",
              "btnDesativar", "Button3"},
             {"btnConfigurarTps"}},
        // The mode holds the port buttons until an operation's end gives them back.
        Flow{"AlterationWithThePortOpen",
             [](Flows& f) {
                 f.open();
                 ASSERT_TRUE(f.click("btnAlterarMapas"));
             },
             {"btnLerDados", "btnEnvia", "Button1", "Button2"},
             {"btnDesativar", "btnAtivar", "Button3", "btnAlterarMapas"}},
        Flow{"AnUploadEndInTheModeGivesTheCloseButtonBack",
             [](Flows& f) {
                 f.open();
                 f.read();
                 ASSERT_TRUE(f.click("btnAlterarMapas"));
                 ASSERT_TRUE(f.click("btnEnvia"));
                 f.advance(2000);
             },
             {"btnDesativar", "Button3", "btnConfigurarTps"},
             {"btnAtivar"}},
        Flow{"PercentInTheMode",
             [](Flows& f) {
                 f.open();
                 ASSERT_TRUE(f.click("btnAlterarMapas"));
                 ASSERT_TRUE(f.click("btnPercentual"));
             },
             {"btnmS"},
             {"btnPercentual", "btnEnvia", "btnLerDados", "Button1", "Button2"}},
        Flow{"BackToMillisecondsAndOut",
             [](Flows& f) {
                 ASSERT_TRUE(f.click("btnAlterarMapas"));
                 ASSERT_TRUE(f.click("btnPercentual"));
                 ASSERT_TRUE(f.click("btnmS"));
                 ASSERT_TRUE(f.click("btnVoltarTelaPrincipal"));
             },
             {"btnAtivar", "btnPercentual", "btnSalvar", "btnAlterarMapas"},
             {"btnmS", "Button3", "btnDesativar"}}),
    [](const auto& param) { return param.param.name; });

} // namespace
} // namespace orvel::test
