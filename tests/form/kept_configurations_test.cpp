// Every completed read and send leaves its configuration in the history folder.
#include "model/config.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace orvel::test {
namespace {

class KeptConfigurationsTest : public CoreTest {
protected:
    void SetUp() override {
        activate();
        form.moduleHistory.setFolder(dir.path().toStdString());
    }
    [[nodiscard]] std::string kept(const char* suffix) const {
        const auto names = QDir(dir.path()).entryList({QStringLiteral("*") + suffix}, QDir::Files);
        if (names.size() != 1) {
            return "<" + std::to_string(names.size()) + " files>";
        }
        QFile file(QDir(dir.path()).filePath(names[0]));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<unreadable>";
    }
    // The value of the first ignition cell in a kept file.
    [[nodiscard]] std::string firstCell(const char* suffix) const {
        const auto& order = config::fileOrder();
        const auto at =
            std::find_if(order.begin(), order.end(),
                         [](const auto& p) { return p.key == config::ignitionKey(0); }) -
            order.begin();
        const auto fields = QString::fromStdString(kept(suffix)).split(QLatin1Char(';'));
        return at < fields.size() ? fields[at].toStdString() : kept(suffix);
    }
    QTemporaryDir dir;
};

TEST_F(KeptConfigurationsTest, AReadKeepsWhatCameAndASendWhatItsClickFound) {
    ASSERT_TRUE(form.click("btnLerDados"));
    for (int id = 1; id <= 26; ++id) {
        std::array<std::uint8_t, 8> d{};
        d[0] = id == 1 ? 33 : id == 25 ? 4 : 0; // four cylinders
        link.feedFrame(static_cast<std::uint8_t>(id), d);
    }
    EXPECT_EQ(firstCell("-lido.txt"), "33");

    setText(config::ignitionKey(0), "21");
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(500);
    setText(config::ignitionKey(0), "22"); // an edit during the send goes with the next one
    clock.advance(2000);
    EXPECT_EQ(firstCell("-enviado.txt"), "21");
    EXPECT_EQ(firstCell("-lido.txt"), "33"); // a file is never rewritten
}

TEST_F(KeptConfigurationsTest, AReadCutShortKeepsNothing) {
    ASSERT_TRUE(form.click("btnLerDados"));
    link.feedFrame(1, {});
    dialogs.expectMessage("Módulo não responde");
    clock.advance(3500);
    EXPECT_EQ(kept("-lido.txt"), "<0 files>");
}

} // namespace
} // namespace orvel::test
