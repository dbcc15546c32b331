#include "files/module_history.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel {
namespace {

struct HistoryRig {
    QTemporaryDir dir;
    std::vector<std::string> told;
    QDateTime now{QDate(2026, 12, 9), QTime(8, 30, 5)};
    ModuleHistory history{[this](const std::string& m) { told.push_back(m); },
                          [this] { return now; }};
    [[nodiscard]] QStringList files() const {
        return QDir(dir.filePath(QStringLiteral("orvel/modulo")))
            .entryList(QDir::Files, QDir::Name);
    }
};

TEST(ModuleHistory, KeepsEveryReadAndSendWholeUnderItsTime) {
    HistoryRig rig;
    rig.history.setFolder(moduleHistoryFolder(rig.dir.filePath("orvel/registros").toStdString()));
    const std::string bytes = "6;12;\xe7\r\n";
    ASSERT_TRUE(rig.history.keep(ModuleHistory::Kind::Read, bytes));
    ASSERT_TRUE(rig.history.keep(ModuleHistory::Kind::Sent, bytes));
    ASSERT_TRUE(rig.history.keep(ModuleHistory::Kind::Sent, bytes)); // the same second
    EXPECT_EQ(rig.files(),
              (QStringList{"2026-12-09_08-30-05-enviado-2.txt", "2026-12-09_08-30-05-enviado.txt",
                           "2026-12-09_08-30-05-lido.txt"}));
    QFile file(rig.dir.filePath("orvel/modulo/2026-12-09_08-30-05-lido.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), bytes);
    EXPECT_TRUE(rig.told.empty());
}

TEST(ModuleHistory, AFolderThatCannotBeWrittenIsToldOnceAndNothingElse) {
    HistoryRig rig;
    QFile blocker(rig.dir.filePath("orvel")); // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    rig.history.setFolder(rig.dir.filePath("orvel/modulo").toStdString());
    EXPECT_FALSE(rig.history.keep(ModuleHistory::Kind::Read, "x"));
    EXPECT_FALSE(rig.history.keep(ModuleHistory::Kind::Sent, "x"));
    ASSERT_EQ(rig.told.size(), 1u);
    EXPECT_NE(rig.told[0].find("lida"), std::string::npos);
}

} // namespace
} // namespace orvel
