// "Conferir módulo" through the real window and serial layer: the simulated
// module changes a byte of one packet or loses one, and the check names the value.
#include "sim_harness.h"

#include "app/kept_files_group.h"
#include "app/module_page.h"
#include "app/send_reminder.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTreeWidget>

namespace orvel::e2e {

class ModuleCheck : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Rig> rig;
    QTemporaryDir configHome;

    template <typename T> T* find(const char* name) {
        return rig->window->modulePage().findChild<T*>(QString::fromLatin1(name));
    }
    QString status() { return find<QLabel>("lblResultadoConferir")->text(); }
    QStringList differences() {
        QStringList out;
        auto* list = find<QListWidget>("listaDiferencasModulo");
        for (int i = 0; i < list->count(); ++i) {
            out << list->item(i)->text();
        }
        return out;
    }

    // The window holds what the module holds, then `name` is edited and sent.
    void readEditAndSend(const std::string& name, const std::string& text) {
        QVERIFY(rig->startSim());
        rig->openWindow();
        QVERIFY(rig->click("btnAtivar"));
        QVERIFY(rig->read());
        rig->setText(name, text);
        const std::size_t seen = rig->sim->log.size();
        QVERIFY(rig->click("btnEnvia"));
        QVERIFY(rig->sim->waitForLog("upload ", 4000, seen));
        QVERIFY(waitUntil([this] { return rig->form().controls.enabled("btnLerDados"); }, 1000));
    }
    void checkAndWait() {
        auto* button = find<QPushButton>("btnConferirModulo");
        QVERIFY(button->isEnabled());
        button->click();
        QVERIFY(rig->form().activity.checking());
        QVERIFY(!rig->form().controls.enabled("btnEnvia"));
        QVERIFY(waitUntil([this] { return !rig->form().activity.checking(); }, 3000));
    }

private slots:
    void initTestCase() {
        // The check-after-send option is kept in the settings: never the real ones.
        qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    }
    void init() { rig = std::make_unique<Rig>(); }
    void cleanup() {
        const auto unexpected = rig->dialogs.unexpected;
        rig.reset();
        QVERIFY2(unexpected.empty(), unexpected.empty() ? "" : unexpected.front().c_str());
    }

    void aCleanSendAgreesAndBothCopiesAreListed() {
        readEditAndSend("e24i", "6,20"); // the module keeps tenths: 6,2 is no difference
        QVERIFY(rig->window->findChild<app::SendReminder*>()->isVisible());
        rig->setText("e24i", "9,0"); // after the send: the module should still hold 6,2
        checkAndWait();
        QCOMPARE(status(), QStringLiteral("O módulo confere com o que foi enviado."));
        QVERIFY(differences().isEmpty());
        QCOMPARE(rig->text("e24i"), std::string("9,0"));

        auto* kept = find<QTreeWidget>("listaModulo");
        rig->window->modulePage().keptFiles().refresh();
        QCOMPARE(kept->topLevelItemCount(), 2);
        QCOMPARE(kept->topLevelItem(0)->text(1), QStringLiteral("Enviado"));
        QCOMPARE(kept->topLevelItem(1)->text(1), QStringLiteral("Lido"));
        QCOMPARE(kept->topLevelItem(0)->text(2), QStringLiteral("4"));
        QCOMPARE(kept->topLevelItem(0)->text(3), QStringLiteral("6000"));
    }

    void aChangedByteIsNamedWithItsPacket() {
        QVERIFY(rig->startSim());
        rig->openWindow();
        QVERIFY(rig->click("btnAtivar"));
        QVERIFY(rig->read());
        rig->setText("e24i", "6,2"); // 62 tenths; the line flips 0x04: 58
        QVERIFY(rig->sim->control("corrupt-packet 13"));
        QVERIFY(rig->click("btnEnvia"));
        QVERIFY(rig->sim->waitForLog("upload applied", 4000));
        QVERIFY(waitUntil([this] { return rig->form().controls.enabled("btnLerDados"); }, 1000));
        checkAndWait();
        QCOMPARE(differences(),
                 QStringList{QStringLiteral("Mapa de Injeção, 2700 RPM, coluna 1: enviado 6,2, "
                                            "no módulo 5,8 (pacote 13)")});
        QVERIFY(find<QPushButton>("btnEnviarDeNovo")->isVisibleTo(&rig->window->modulePage()));
        auto* frames = rig->window->findChild<QWidget*>(QStringLiteral("moduleCheckFrames"));
        QVERIFY(frames != nullptr);

        // Sent again cleanly: the module agrees, the frames go.
        find<QPushButton>("btnEnviarDeNovo")->click();
        QVERIFY(waitUntil([this] { return rig->form().controls.enabled("btnLerDados"); }, 4000));
        checkAndWait();
        QCOMPARE(status(), QStringLiteral("O módulo confere com o que foi enviado."));
        QVERIFY(rig->window->findChild<QWidget*>(QStringLiteral("moduleCheckFrames")) == nullptr);
    }

    void aLostPacketLeavesTheOldValueAndTheCheckRunsAfterTheSend() {
        QVERIFY(rig->startSim());
        rig->openWindow();
        find<QCheckBox>("cbConferirAposEnviar")->setChecked(true);
        QVERIFY(rig->click("btnAtivar"));
        QVERIFY(rig->read());
        rig->setText("eLimiteRpm", "6850"); // the module keeps hundreds: 6800
        QVERIFY(rig->sim->control("drop-packet 30"));
        QVERIFY(rig->click("btnEnvia"));
        QVERIFY(rig->sim->waitForLog("upload incomplete", 4000));
        QVERIFY(waitUntil([this] { return !differences().isEmpty(); }, 5000));
        QCOMPARE(differences(),
                 QStringList{QStringLiteral("Configurações: Limite de RPM: enviado 6800, no "
                                            "módulo 6000 (pacote 30)")});
        QVERIFY(QSettings(QStringLiteral("orvel"), QStringLiteral("orvel"))
                    .value(app::ModulePage::kCheckAfterSendKey)
                    .toBool());

        // The page as the README shows it.
        if (const auto folder = qgetenv("ORVEL_SCREENSHOT_DIR"); !folder.isEmpty()) {
            rig->window->showPage(&rig->window->modulePage());
            QTest::qWait(100);
            find<QTreeWidget>("listaModulo")->topLevelItem(1)->setText(4, "ABC-1D23, sedã prata");
            QVERIFY(rig->window->grab().save(
                QDir(QString::fromLocal8Bit(folder)).filePath(QStringLiteral("modulo.png"))));
        }
        find<QCheckBox>("cbConferirAposEnviar")->setChecked(false);
    }
};

} // namespace orvel::e2e

QTEST_MAIN(orvel::e2e::ModuleCheck)
#include "module_check.moc"
