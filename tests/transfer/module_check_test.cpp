#include "support/fakes.h"

#include "link/frames.h"
#include "transfer/module_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orvel::test {
namespace {

using modulecheck::ReceivedFrames;

class ModuleCheckTest : public CoreTest {
protected:
    void SetUp() override { activate(); }

    // What the module holds once the window, with `key` set to `text`, was sent.
    modulecheck::StoredFrames stored(const std::string& key, const std::string& text) {
        const std::string before = form.controls.text(key);
        setText(key, text);
        auto frames = modulecheck::storedFrames(form.upload.packetsFromWindow());
        setText(key, before);
        return frames;
    }
    static ReceivedFrames answered(const modulecheck::StoredFrames& frames) {
        ReceivedFrames out;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            out[i] = frames[i];
        }
        return out;
    }
};

// The expected side goes through what a send does to each value, so only a
// value the module holds otherwise at its own precision is a difference.
TEST_F(ModuleCheckTest, ComparesAtTheModulesOwnPrecision) {
    struct Case {
        std::string key;
        std::string sent;     // the window's text at the send
        std::string inModule; // the text whose send left the module as it is
        std::optional<modulecheck::Difference> found;
    };
    const std::vector<Case> cases{
        {"e13i", "6,20", "6,2", std::nullopt},
        {"e13i", "6,2", "6,4", modulecheck::Difference{"e13i", 11, "6,2", "6,4"}},
        {"e71i", "25,5", "0", modulecheck::Difference{"e71i", 18, "25,5", "0,0"}},
        {"e0", "0", "255", modulecheck::Difference{"e0", 1, "0", "255"}},
        {"eLimiteRpm", "6550", "6500", std::nullopt},
        {"eLimiteRpm", "6550", "6600", modulecheck::Difference{"eLimiteRpm", 30, "6500", "6600"}},
        {"eDeslCutOff", "2599", "2500", std::nullopt},
        {"eLigaCutOff", "1800", "1900", modulecheck::Difference{"eLigaCutOff", 32, "1800", "1900"}},
        {"eSondaLenta", "455", "450", std::nullopt},
        {"eSondaPlena", "800", "810", modulecheck::Difference{"eSondaPlena", 29, "800", "810"}},
        {"eBasico", "2,5", "2,50", std::nullopt},
        // Corrections travel interpolated; the module answers the entered points.
        {"eCorrecaoTi105", "-128", "127",
         modulecheck::Difference{"eCorrecaoTi105", 21, "-128", "127"}},
        {"eCorrecaoMl0", "+7", "7", std::nullopt},
        {"eAtm1000", "5", "-5", modulecheck::Difference{"eAtm1000", 29, "5", "-5"}},
        {"eAtm880", "3", "-3", modulecheck::Difference{"eAtm880", 28, "3", "-3"}},
        {"cbSondaTipo", "Normal", "Banda Larga (1)",
         modulecheck::Difference{"cbSondaTipo", 29, "Normal", "Banda Larga (1)"}},
        {"cbSondaAtiva", "Desativada", "Ativada",
         modulecheck::Difference{"cbSondaAtiva", 30, "Desativada", "Ativada"}},
        {"cbCombinacaoMapa", "TPS X RPM", "MAP X RPM",
         modulecheck::Difference{"cbCombinacaoMapa", 31, "TPS X RPM", "MAP X RPM"}},
        // A text no item has sends the code of the last send, here none yet.
        {"cbSondaAtiva", "nenhuma", "Ativada",
         modulecheck::Difference{"cbSondaAtiva", 30, "código 0", "Ativada"}},
        {"cbCilindros", "6", "4", modulecheck::Difference{"cbCilindros", 30, "6", "4"}},
        {"eAvancoPartida", "015", "15", std::nullopt},
        {"emSAr", "0", "0,1", modulecheck::Difference{"emSAr", 32, "0,0", "0,1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key + " " + c.sent + " / " + c.inModule);
        const auto outcome =
            modulecheck::compare(stored(c.key, c.sent), answered(stored(c.key, c.inModule)));
        ASSERT_TRUE(outcome.missingFrames.empty());
        if (!c.found) {
            EXPECT_TRUE(outcome.differences.empty()) << outcome.differences.front().key;
            continue;
        }
        ASSERT_EQ(outcome.differences.size(), 1u);
        const auto& d = outcome.differences.front();
        EXPECT_EQ(d.key, c.found->key);
        EXPECT_EQ(d.packet, c.found->packet);
        EXPECT_EQ(d.sent, c.found->sent);
        EXPECT_EQ(d.module, c.found->module);
    }
}

TEST_F(ModuleCheckTest, TpsEndPointsAndLostFramesAreReported) {
    const auto sent = stored("e0", "10");
    auto module = answered(sent);
    (*module[24])[6] = 99;
    module[2].reset();
    const auto outcome = modulecheck::compare(sent, module);
    ASSERT_EQ(outcome.differences.size(), 1u);
    EXPECT_EQ(outcome.differences[0].key, modulecheck::kTpsOpenKey);
    EXPECT_EQ(outcome.differences[0].packet, 31);
    EXPECT_EQ(outcome.missingFrames, std::vector<int>{3});
}

TEST_F(ModuleCheckTest, SilenceEndsTheCheckAsItEndsARead) {
    form.dispatch([this] { form.moduleCheck.start(); });
    ASSERT_TRUE(form.activity.checking());
    dialogs.expectMessage("Módulo não responde");
    clock.advance(3000);
    EXPECT_FALSE(form.activity.checking());
    EXPECT_TRUE(form.controls.enabled("btnLerDados"));
}

} // namespace
} // namespace orvel::test
