// Reading and sending the configuration through the real window and serial
// layer against the simulated module on a pseudo-terminal.
#include "sim_harness.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <filesystem>

namespace orvel::e2e {

namespace {

// A module configuration that differs from the window's start values wherever
// the formats differ: one-decimal zero, whole tenths, negatives, codes.
const std::map<std::string, std::string> kModuleTexts{
    {"cbCombinacaoMapa", "MAP X RPM"},
    {"cbTipoDistribuidor", "3+1 VW Mi"},
    {"eLimiteRpm", "6500"},
    {"e0", "20"},
    {"e5", "25"},
    {"e8", "21"},
    {"e70", "40"},
    {"e0i", "4"},
    {"e13i", "9,9"},
    {"e71i", "0"},
    {"eCorrecaoTi0", "40"},
    {"eCorrecaoIg105", "-3"},
    {"eCorrecaoMl15", "-7"},
    {"eAtm820", "-5"},
    {"eAtm1000", "7"},
    {"cbCilindros", "6"},
    {"emSCorrecaoEletro", "0"},
    {"ePercEletro", "0"},
    {"emSAr", "0,5"},
    {"cbSondaAtiva", "Des em Marcha Lenta"},
    {"cbSondaCorrecao", "MAP"},
    {"cbSondaTipo", "Banda Larga (1)"},
    {"cbRapidaTpsxMap", "MAP"},
    {"eBasico", "2,5"},
    {"eSondaLenta", "420"},
    {"eDeslCutOff", "2500"},
    {"eLigaEletro", "95"},
};

} // namespace

class Transfer : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Rig> rig;

    // Starts the simulator, opens the window and activates the simulator's port.
    void activate(const QStringList& simArgs = {}) {
        QVERIFY(rig->startSim(simArgs));
        rig->openWindow();
        QCOMPARE(rig->text("cbPorta"), rig->sim->linkPath);
        QVERIFY(rig->click("btnAtivar"));
        QVERIFY(rig->form().activity.portOpen());
    }

    QString moduleFile() {
        const QString path = rig->runtime.filePath(QStringLiteral("module.txt"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QByteArray::fromStdString(mapFileWith(kModuleTexts, 120, 240)));
        }
        return path;
    }

private slots:
    void init() { rig = std::make_unique<Rig>(); }

    void cleanup() {
        const auto unexpected = rig->dialogs.unexpected;
        const bool allShown = rig->dialogs.allShown();
        rig.reset();
        QVERIFY2(unexpected.empty(), unexpected.empty() ? "" : unexpected.front().c_str());
        QVERIFY2(allShown, "an expected box was not shown");
    }

    void readShowsTheModulesConfigurationInExactFormats() {
        const QString file = moduleFile();
        activate({QStringLiteral("--config"), file});
        QVERIFY(rig->read());

        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const auto module = sim::configFromMapFile(in.readAll().toStdString());
        const std::string wrong = mismatches(rig->form().controls, expectedTexts(module));
        QVERIFY2(wrong.empty(), wrong.c_str());

        // The formats, spelt out.
        QCOMPARE(rig->text("e0i"), std::string("4,0"));
        QCOMPARE(rig->text("e71i"), std::string("0,0"));
        QCOMPARE(rig->text("emSCorrecaoEletro"), std::string("0,0"));
        QCOMPARE(rig->text("ePercEletro"), std::string("0"));
        QCOMPARE(rig->text("eCorrecaoIg105"), std::string("-3"));
        QCOMPARE(rig->text("eSondaLenta"), std::string("420"));
        QCOMPARE(rig->text("Label57"), std::string("-820"));
        QCOMPARE(rig->text("Label79"), std::string("0 mbar"));
        QCOMPARE(rig->form().state.cylinderCount, 6);
        QCOMPARE(rig->form().state.tpsClosedValue, 120);
        QCOMPARE(rig->form().state.tpsOpenValue, 240);
        // And the widget the user sees.
        auto* cell = qobject_cast<QLineEdit*>(rig->window->control(QStringLiteral("e13i")));
        QVERIFY(cell != nullptr);
        QCOMPARE(cell->text(), QStringLiteral("9,9"));
        QVERIFY(rig->form().controls.enabled("btnEnvia"));
        QVERIFY(!rig->form().controls.visible("pnAguarde"));
    }

    void aSentConfigurationIsReadBack() {
        activate();
        const std::map<std::string, std::string> edits{
            {"e0", "15"},
            {"e71", "40"},
            {"e5i", "4"},
            {"e71i", "9,9"},
            {"eCorrecaoTi0", "30"},
            {"eCorrecaoTi15", "24"},
            {"eCorrecaoTi30", "18"},
            {"eCorrecaoTi45", "9"},
            {"eCorrecaoTi60", "3"},
            {"eCorrecaoTi75", "0"},
            {"eCorrecaoTi90", "-3"},
            {"eCorrecaoTi105", "-6"},
            {"eAtm880", "-4"},
            {"eAtm940", "2"},
            {"cbCilindros", "6"},
            {"cbCombinacaoMapa", "MAP X RPM"},
            {"cbTipoDistribuidor", "Carburado"},
            {"cbSondaAtiva", "Desativada"},
            {"cbSondaTipo", "Banda Larga (1)"},
            {"emSAr", "1,5"},
            {"eLimiteRpm", "6800"},
            {"eDeslCutOff", "2500"},
        };
        for (const auto& [name, text] : edits) {
            rig->setText(name, text);
        }
        rig->form().state.tpsClosedValue = 120;
        rig->form().state.tpsOpenValue = 200;
        const auto sent = sim::encodeTexts([this](std::string_view key) -> std::string {
            if (key == "TpsClosedValue") {
                return "120";
            }
            if (key == "TpsOpenValue") {
                return "200";
            }
            return rig->text(key);
        });

        QElapsedTimer clock;
        clock.start();
        QVERIFY(rig->click("btnEnvia"));
        QVERIFY(rig->sim->waitForLog("upload applied", 4000));
        const auto elapsed = clock.elapsed();
        QVERIFY2(elapsed > 1500 && elapsed < 2500, std::to_string(elapsed).c_str());
        QVERIFY(waitUntil([this] { return rig->form().controls.enabled("btnLerDados"); }, 1000));

        // The tables went out interpolated to 22 points.
        auto& s = *rig->sim;
        QVERIFY(s.findLog(packetLog(19, {30, 28, 26, 24, 22, 20, 18, 15})));
        QVERIFY(s.findLog(packetLog(20, {12, 9, 7, 5, 3, 2, 1, 0})));
        QVERIFY(s.findLog(packetLog(21, {-1, -2, -3, -4, -5, -6}))); // then filler
        QVERIFY(s.findLog(packetLog(28, {0, -1, -2, -4, -2, 0, 2, 2})));
        QVERIFY(s.findLog(packetLog(30, {10, 5, 30, 3, 3, 6, 10, 68})));
        QVERIFY(s.findLog(packetLog(31, {10, 6, 1, 1, 1, 120, 200}))); // then filler

        // Back to the start values, then read: the module returns what it was sent.
        for (const auto& p : config::fileOrder()) {
            rig->setText(p.key, std::string(p.defaultText));
        }
        rig->form().state.tpsClosedValue = 130;
        rig->form().state.tpsOpenValue = 230;
        rig->form().state.cylinderCount = 4;
        QVERIFY(rig->read());
        const std::string wrong = mismatches(rig->form().controls, expectedTexts(sent));
        QVERIFY2(wrong.empty(), wrong.c_str());
        QCOMPARE(rig->text("e5i"), std::string("4,0"));
        QCOMPARE(rig->text("e71i"), std::string("9,9"));
        QCOMPARE(rig->text("eCorrecaoTi90"), std::string("-3"));
        QCOMPARE(rig->text("cbTipoDistribuidor"), std::string("Carburado"));
        QCOMPARE(rig->form().state.cylinderCount, 6);
        QCOMPARE(rig->form().state.tpsClosedValue, 120);
        QCOMPARE(rig->form().state.tpsOpenValue, 200);
    }

    void framesAreRecognisedAgainAfterALostByte() {
        activate({QStringLiteral("--config"), moduleFile()});
        QVERIFY(rig->sim->control("drop-byte"));
        QVERIFY(rig->read());
        QCOMPARE(rig->text("e0"), std::string("10")); // frame 1 was lost
        QCOMPARE(rig->text("e8"), std::string("21")); // frame 2 was found again
        QCOMPARE(rig->form().state.cylinderCount, 6);

        QVERIFY(rig->read());
        QCOMPARE(rig->text("e0"), std::string("20"));
    }

    void shiftedLayoutsInOddChunksAreRead() {
        const QString file = moduleFile();
        activate({QStringLiteral("--config"), file, QStringLiteral("--layout"), QStringLiteral("B"),
                  QStringLiteral("--chunks")});
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const auto expected = expectedTexts(sim::configFromMapFile(in.readAll().toStdString()));
        QVERIFY(rig->read());
        std::string wrong = mismatches(rig->form().controls, expected);
        QVERIFY2(wrong.empty(), wrong.c_str());

        for (const auto& p : config::fileOrder()) {
            rig->setText(p.key, std::string(p.defaultText));
        }
        QVERIFY(rig->sim->control("layout C"));
        QVERIFY(rig->read());
        wrong = mismatches(rig->form().controls, expected);
        QVERIFY2(wrong.empty(), wrong.c_str());
    }

    void theModuleAnswersAgainAfterThePortIsClosedMidStream() {
        const QString file = moduleFile();
        activate({QStringLiteral("--config"), file});
        QVERIFY(rig->click("Button3"));
        QVERIFY(rig->sim->waitForLog("command: scanner poll", 2000));
        QVERIFY(rig->click("Button3")); // off: the module is still sending its sets
        QVERIFY(rig->click("btnDesativar"));
        QVERIFY(!rig->link.isOpen());
        QTest::qWait(300);

        QVERIFY(rig->click("btnAtivar"));
        QVERIFY(rig->read());
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const auto expected = expectedTexts(sim::configFromMapFile(in.readAll().toStdString()));
        const std::string wrong = mismatches(rig->form().controls, expected);
        QVERIFY2(wrong.empty(), wrong.c_str());
    }

    void anUnpluggedPortIsReportedAndClosed() {
        activate();
        QVERIFY(rig->read());
        rig->dialogs.expectErrorStartingWith("ReadFile function failed (win error code: ");
        QVERIFY(rig->sim->control("unplug"));
        QVERIFY(waitUntil([this] { return rig->dialogs.allShown(); }, 3000));
        QVERIFY(!rig->form().activity.portOpen());
        QVERIFY(!rig->link.isOpen());
        QVERIFY(rig->form().controls.enabled("btnAtivar"));
        QVERIFY(!rig->form().controls.enabled("btnDesativar"));
        QVERIFY(!rig->form().controls.enabled("btnLerDados"));
        QVERIFY(rig->sim->waitForExit(3000));
        QVERIFY(!std::filesystem::exists(std::filesystem::symlink_status(rig->sim->linkPath)));
    }
};

} // namespace orvel::e2e

QTEST_MAIN(orvel::e2e::Transfer)
#include "transfer.moc"
