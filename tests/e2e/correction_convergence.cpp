// Closing the tuning loop against the simulated module: an engine that needs
// other fuel than its map, driven while the scanner runs, the recording analysed,
// the proposal applied and sent, and driven again until its map is right.
#include "sim_harness.h"

#include "analysis/correction.h"
#include "analysis/inputs.h"
#include "app/correction_view.h"
#include "model/number_text.h"

#include <QTest>

#include <cmath>
#include <fstream>
#include <set>

namespace orvel::e2e {

namespace {

constexpr int kTimeScale = 10;
constexpr double kCycleSeconds = 194; // the simulator's driving cycle
constexpr int kCyclesPerPass = 1;
const std::set<int> kRicher{8, 18, 27, 60}; // 60 is never reached
const std::set<int> kLeaner{36, 45, 47};

int tenthsOf(int cell) {
    return 40 + cell / 8 * 8 + cell % 8 * 6; // 4,0 ms at 500 RPM idle to 14,6 ms
}

double factorOf(int cell) {
    return kRicher.count(cell) ? 1.10 : kLeaner.count(cell) ? 0.92 : 1.0;
}

} // namespace

class CorrectionConvergence : public QObject {
    Q_OBJECT

private slots:
    void twoPassesBringEveryCoveredCellWithinOneAndAHalfPerCent() {
        QTemporaryDir files;
        qputenv("XDG_DATA_HOME", files.path().toLocal8Bit()); // the recordings go here
        std::map<std::string, std::string> texts{{"cbCilindros", "4"}};
        std::string factors;
        for (int n = 0; n < config::kMapCells; ++n) {
            texts[config::injectionKey(n)] = tenthsText(tenthsOf(n));
            factors += numtext::formatGeneral(factorOf(n)) + (n % 8 == 7 ? "\n" : ";");
        }
        const QString mapPath = files.filePath(QStringLiteral("mapa.txt"));
        const QString factorPath = files.filePath(QStringLiteral("erro.txt"));
        std::ofstream(mapPath.toStdString(), std::ios::binary) << mapFileWith(texts, 130, 230);
        std::ofstream(factorPath.toStdString(), std::ios::binary) << factors;

        Rig rig;
        QVERIFY(rig.startSim({QStringLiteral("--config"), mapPath, QStringLiteral("--fuel-error"),
                              factorPath, QStringLiteral("--time-scale"),
                              QString::number(kTimeScale)}));
        rig.openWindow();
        QVERIFY(rig.click("btnAtivar"));
        QVERIFY(rig.read());

        // The filters' times are the engine's: the recording runs kTimeScale times faster.
        analysis::Options options;
        options.timeScale = kTimeScale;

        std::set<int> everCovered;
        const std::array<double, 2> limits{3.0, 1.5};
        constexpr double kAwayLimit = 0.5; // no cell moves further from its need, any pass
        std::array<double, config::kMapCells> was{};
        for (int n = 0; n < config::kMapCells; ++n) {
            was[static_cast<std::size_t>(n)] = std::abs(factorOf(n) - 1) * 100;
        }
        for (std::size_t pass = 0; pass < limits.size(); ++pass) {
            // The recorder writes the session and the map beside it, as for a user.
            QVERIFY(rig.click("Button3"));
            QTest::qWait(static_cast<int>(kCyclesPerPass * kCycleSeconds * 1000 / kTimeScale));
            QVERIFY(rig.click("Button3"));
            QVERIFY(waitUntil([&] { return rig.form().controls.enabled("btnEnvia"); }, 3000));
            rig.form().recorder.drain();
            const std::string file = rig.form().recorder.lastFile();
            QVERIFY(!file.empty());
            analysis::Input input = analysis::loadInput(file);
            const std::size_t sets = input.recording.rows();
            const double seconds = input.recording.time(sets - 1);
            app::CorrectionWindow view(*rig.window, {std::move(input)});
            view.setOptions(options);
            QVERIFY2(view.proposal(), qPrintable(view.status()));
            QVERIFY2(view.apply(), qPrintable(view.status()));

            const std::size_t logged = rig.sim->log.size();
            QVERIFY(rig.click("btnEnvia"));
            QVERIFY(rig.sim->waitForLog("upload applied", 5000, logged));
            QVERIFY(waitUntil([&] { return rig.form().controls.enabled("btnLerDados"); }, 2000));

            double worst = 0;
            double away = 0;
            QStringList cells;
            for (int n = 0; n < config::kMapCells; ++n) {
                const double now = numtext::parseDecimal(rig.text(config::injectionKey(n)));
                const double remaining = (tenthsOf(n) / 10.0 * factorOf(n) / now - 1) * 100;
                auto& before = was[static_cast<std::size_t>(n)];
                away = std::max(away, std::abs(remaining) - before);
                before = std::abs(remaining);
                const auto& c = view.proposal()->cells[static_cast<std::size_t>(n)];
                if (!c.covered) {
                    continue;
                }
                everCovered.insert(n);
                worst = std::max(worst, std::abs(remaining));
                cells << QStringLiteral("%1: %2 % (correction %3 over %4 s%5)")
                             .arg(n)
                             .arg(remaining, 0, 'f', 2)
                             .arg(c.correctionPercent, 0, 'f', 2)
                             .arg(c.seconds, 0, 'f', 1)
                             .arg(c.withinTolerance ? QStringLiteral(", within tolerance")
                                                    : QString());
            }
            qInfo("pass %zu: %.1f simulated minutes, %zu sets (%.0f per second), %d cells covered, "
                  "worst remaining error %.2f %%, most moved away %.2f %% (%s)",
                  pass + 1, kCyclesPerPass * kCycleSeconds / 60, sets,
                  static_cast<double>(sets) / seconds, static_cast<int>(cells.size()), worst, away,
                  qPrintable(cells.join(", ")));
            QVERIFY2(worst <= limits[pass], qPrintable(cells.join(", ")));
            QVERIFY2(away <= kAwayLimit, qPrintable(cells.join(", ")));
        }
        for (int cell : {8, 27, 36, 45}) { // the cruises and idle are always covered
            QVERIFY(everCovered.count(cell));
        }
        for (int n = 0; n < config::kMapCells; ++n) {
            if (!everCovered.count(n)) {
                QCOMPARE(rig.text(config::injectionKey(n)), tenthsText(tenthsOf(n)));
            }
        }
        QVERIFY(rig.dialogs.unexpected.empty());
    }
};

} // namespace orvel::e2e

QTEST_MAIN(orvel::e2e::CorrectionConvergence)
#include "correction_convergence.moc"
