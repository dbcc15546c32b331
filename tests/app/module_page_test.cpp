// The "Módulo" page offscreen: the kept configurations' list and what it does
// with one, and a check's result on the manual clock.

#include "window_fixture.h"

#include "app/cell_frames.h"
#include "app/kept_files_group.h"
#include "app/module_page.h"
#include "app/send_reminder.h"
#include "files/map_file.h"
#include "files/module_files.h"
#include "link/frames.h"
#include "transfer/module_check.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using orvel::test::WindowRig;

namespace {

struct Rig : WindowRig {
    Rig() : WindowRig({"COM7"}) {}
    orvel::app::ModulePage& page() { return window->modulePage(); }
    template <typename T> T* find(const char* name) {
        return page().findChild<T*>(QString::fromLatin1(name));
    }
    // The window's configuration with one text changed, as a kept file.
    void keep(const QString& name, const std::string& key, const std::string& text) {
        const std::string before = controls().text(key);
        controls().setText(key, text);
        const auto bytes =
            orvel::mapfile::encodeLine(orvel::mapfile::collect(controls(), 130, 230));
        controls().setText(key, before);
        QDir().mkpath(page().keptFiles().folder());
        QFile file(QDir(page().keptFiles().folder()).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
};

} // namespace

class ModulePageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit()); }

    void keptFilesListNewestFirstWithNotesLoadAndTrash() {
        Rig rig;
        rig.keep(QStringLiteral("2026-12-01_08-00-00-lido.txt"), "cbCilindros", "6");
        rig.keep(QStringLiteral("2026-12-02_09-30-00-enviado.txt"), "eLimiteRpm", "6500");
        rig.keep(QStringLiteral("2026-12-02_09-00-00-lido.txt"), "eLimiteRpm", "5000");
        rig.keep(QStringLiteral("carro.txt"), "e0", "1"); // not the history's
        auto& group = rig.page().keptFiles();
        group.refresh();
        auto* list = rig.find<QTreeWidget>("listaModulo");
        QCOMPARE(list->topLevelItemCount(), 3);
        const auto row = [&](int i) {
            const auto* item = list->topLevelItem(i);
            return QStringList{item->text(0), item->text(1), item->text(2), item->text(3)};
        };
        QCOMPARE(row(0), (QStringList{"02/12/2026 09:30:00", "Enviado", "4", "6500"}));
        QCOMPARE(row(1), (QStringList{"02/12/2026 09:00:00", "Lido", "4", "5000"}));
        QCOMPARE(row(2), (QStringList{"01/12/2026 08:00:00", "Lido", "6", "6000"}));

        // A note goes beside the file, which stays a map file as it was.
        const QString oldest = list->topLevelItem(2)->data(0, Qt::UserRole).toString();
        const QByteArray mapBytes = [&] {
            QFile f(oldest);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        list->topLevelItem(2)->setText(4, QStringLiteral("ABC-1D23 sedã prata"));
        QCOMPARE(orvel::readNote(oldest), QStringLiteral("ABC-1D23 sedã prata"));
        group.refresh();
        QCOMPARE(list->topLevelItem(2)->text(4), QStringLiteral("ABC-1D23 sedã prata"));
        QFile again(oldest);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), mapBytes);

        // Loaded into the window in one step.
        list->setCurrentItem(list->topLevelItem(2));
        rig.find<QPushButton>("btnCarregarGuardado")->click();
        QCOMPARE(rig.controls().text("cbCilindros"), std::string("6"));
        rig.window->form().undo();
        QCOMPARE(rig.controls().text("cbCilindros"), std::string("4"));

        // To the trash only when the user says so, with its note.
        if (!orvel::test::trashWorksHere()) {
            QSKIP("no trash on this system");
        }
        QStringList asked;
        group.confirm = [&](const QString& q) { return asked << q, asked.size() > 1; };
        rig.find<QPushButton>("btnExcluirGuardado")->click();
        QVERIFY(QFile::exists(oldest));
        rig.find<QPushButton>("btnExcluirGuardado")->click();
        QCOMPARE(asked.back(),
                 QStringLiteral("Mover 2026-12-01_08-00-00-lido.txt para a lixeira?"));
        QVERIFY(!QFile::exists(oldest));
        QVERIFY(!QFile::exists(orvel::notePathOf(oldest)));
        QCOMPARE(list->topLevelItemCount(), 2);
    }

    void checkShowsItsResultAndTheSendReminds() {
        Rig rig;
        auto& form = rig.window->form();
        rig.controls().setText("cbPorta", "COM7");
        QTest::mouseClick(rig.widget("btnAtivar"), Qt::LeftButton);
        auto* check = rig.find<QPushButton>("btnConferirModulo");
        QVERIFY(check->isEnabled());

        auto module = orvel::modulecheck::storedFrames(form.upload.packetsFromWindow());
        module[9][3] = 64; // injection, 500 RPM, column 4
        rig.link.writes.clear();
        check->click();
        QCOMPARE(rig.link.writes.size(), std::size_t{1});
        QVERIFY(!check->isEnabled());
        QVERIFY(!rig.widget("btnLerDados")->isEnabled());
        for (std::size_t i = 0; i < module.size(); ++i) {
            rig.link.onReceived(
                orvel::frames::encodeFrame({static_cast<std::uint8_t>(i + 1), module[i]}));
        }
        rig.link.onReceived(orvel::frames::encodeFrame({orvel::frames::kLastConfigurationId, {}}));

        QVERIFY(check->isEnabled());
        auto* list = rig.find<QListWidget>("listaDiferencasModulo");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(),
                 QStringLiteral("Mapa de Injeção, 500 RPM, coluna 4: na janela %1, no módulo 6,4 "
                                "(pacote 10)")
                     .arg(QString::fromStdString(rig.controls().text("e3i"))));
        auto* frames = rig.window->findChild<orvel::app::CellFrames*>("moduleCheckFrames");
        QVERIFY(frames != nullptr);
        QCOMPARE(frames->framedCount(), 1);

        // "Enviar de novo" sends the window; the send reminds of the check.
        rig.find<QPushButton>("btnEnviarDeNovo")->click();
        QVERIFY(form.activity.uploading());
        rig.clock.advance(2000);
        auto* reminder = rig.window->findChild<orvel::app::SendReminder*>();
        QVERIFY(!reminder->isHidden());
        QVERIFY(rig.window->findChild<QWidget*>("moduleCheckFrames") == nullptr);
    }

private:
    QTemporaryDir configHome;
};

QTEST_MAIN(ModulePageTest)
#include "module_page_test.moc"
