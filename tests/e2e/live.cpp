// The live scanner and the TPS calibration through the real window and serial
// layer against the simulated module's engine.
#include "sim_harness.h"

#include <QTest>

namespace orvel::e2e {

namespace {

const std::string kT1 = " Deixar  a  borboleta  Fechada  e  Seguir  as  instruções,  teclar Enter "
                        "ou \" OK \" para continuar...  ";
const std::string kT4 =
    " Abrir  totalmente  a  Borboleta,  teclar Enter ou \" OK \" para continuar.... ";
const std::string kT5 = "  CONFIGURAÇÃO  CONCLUIDA . . .  Abrir toda a borboleta e conferir se o "
                        "sinal do TPS esta de 0 a 100% ";

} // namespace

class Live : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Rig> rig;

    // Starts the simulator, activates its port and reads the configuration, so
    // that the cylinder count is known.
    void activateAndRead(const QStringList& simArgs = {}) {
        QVERIFY(rig->startSim(simArgs));
        rig->openWindow();
        QCOMPARE(rig->text("cbPorta"), rig->sim->linkPath);
        QVERIFY(rig->click("btnAtivar"));
        QVERIFY(rig->read());
    }

    [[nodiscard]] const ControlState& control(std::string_view name) {
        return rig->form().controls.get(name);
    }

    // The cell the last frames put the engine in is marked in both maps, and
    // "Ti" shows that cell's injection time.
    [[nodiscard]] bool cellAgrees() {
        const auto& s = rig->form().state;
        const int cell = s.rpmPosition / 6 * 8 + s.loadPosition / 6;
        const std::string injection = rig->text(config::injectionKey(cell));
        return s.highlightedCells[0] == cell &&
               control(config::ignitionKey(cell)).color == colors::red &&
               control(config::injectionKey(cell)).color == colors::red &&
               rig->text("eTi").starts_with(injection + "  ");
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

    void theScannerShowsTheEngineAndMarksItsCell() {
        activateAndRead({QStringLiteral("--coolant"), QStringLiteral("95")});
        const std::string rpmAtStart = rig->text("eRpm");
        QVERIFY(rig->click("Button3"));
        QCOMPARE(rig->text("Button3"), std::string("Desativar &Scanner"));
        QVERIFY(waitUntil([&] { return rig->text("eRpm") != rpmAtStart; }, 2000));
        QVERIFY(control("Gauge1").visible);
        QVERIFY(!rig->text("eTemperatura").empty());
        QVERIFY(!rig->text("eValorSonda").empty());
        const int rpm = std::stoi(rig->text("eRpm"));
        QVERIFY2(rpm > 800 && rpm < 6100, rig->text("eRpm").c_str());
        QVERIFY(waitUntil([this] { return cellAgrees(); }, 2000));
        QCOMPARE(control("eScannerBomba").textColor, colors::yellow);
        // 95 °C, on above 87; frame 31 may still be on its way.
        QVERIFY(waitUntil([this] { return control("eScannerEletro").textColor == colors::yellow; },
                          1000));

        QVERIFY(rig->sim->control("coolant 70")); // off below 80
        QVERIFY(waitUntil([this] { return control("eScannerEletro").textColor == colors::grey; },
                          2000));

        const std::size_t before = rig->sim->log.size();
        QVERIFY(rig->click("Button3"));
        QCOMPARE(rig->text("Button3"), std::string("Ativar &Scanner"));
        QVERIFY(rig->sim->waitForLog("command: scanner stop", 1500, before));
        QVERIFY(!control("Gauge1").visible);
    }

    void aSilentModuleSwitchesTheScannerOff() {
        activateAndRead();
        QVERIFY(rig->sim->control("silent on"));
        rig->dialogs.expectMessage("Módulo não responde");
        QVERIFY(rig->click("Button3"));
        QVERIFY(waitUntil([this] { return rig->dialogs.allShown(); }, 3000));
        QCOMPARE(rig->text("Button3"), std::string("Ativar &Scanner"));
        QVERIFY(!rig->form().activity.scanning());
        QVERIFY(rig->sim->waitForLog("command: scanner stop", 1000));
        QVERIFY(rig->form().controls.enabled("btnLerDados"));
    }

    void theTpsCalibrationTeachesTheModuleBothEnds() {
        activateAndRead({QStringLiteral("--tps-closed"), QStringLiteral("100"),
                         QStringLiteral("--tps-open"), QStringLiteral("900")});
        QVERIFY(rig->form().controls.enabled("btnConfigurarTps"));
        rig->dialogs.expectMessage(kT1);
        rig->dialogs.expectMessage(kT4);
        rig->dialogs.expectMessage(kT5);
        QVERIFY(rig->click("btnConfigurarTps"));
        QVERIFY(waitUntil([this] { return rig->dialogs.allShown(); }, 15000));
        QCOMPARE(rig->form().state.tpsClosedValue, 100);
        QCOMPARE(rig->form().state.tpsOpenValue, 225);
        QCOMPARE(control("BarraTps").min, 25);
        QCOMPARE(control("BarraTps").max, 225);

        const auto packet31 = rig->sim->findLog(packetLog(31, {5, 6, 1, 1, 1, 100, 225}));
        QVERIFY(packet31.has_value());
        QVERIFY(rig->sim->findLog("upload applied").has_value());

        // The procedure ends with the scanner on; off again, the module returns the new ends.
        const std::size_t before = rig->sim->log.size();
        QVERIFY(rig->click("Button3"));
        QVERIFY(rig->sim->waitForLog("command: scanner stop", 2000, before));
        rig->form().state.tpsClosedValue = 0;
        rig->form().state.tpsOpenValue = 0;
        QVERIFY(rig->read());
        QCOMPARE(rig->form().state.tpsClosedValue, 100);
        QCOMPARE(rig->form().state.tpsOpenValue, 225);
    }
};

} // namespace orvel::e2e

QTEST_MAIN(orvel::e2e::Live)
#include "live.moc"
