// Closing the tuning loop against the simulated module: an engine that needs
// other fuel than its map, driven while the scanner runs, the recording analysed,
// the proposal applied and sent, and driven again until its map is right.
#include "sim_harness.h"

#include "analysis/correction.h"
#include "app/correction_view.h"
#include "link/frame_receiver.h"
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

// A scanner set as the window decoded it, taken after each frame 31: the bytes
// go on to the window group by group, so each set is read before the next begins.
class SetTap {
public:
    explicit SetTap(Form& form) : form_(form) {
        forward_ = form.link.onReceived;
        form.link.onReceived = [this](std::span<const std::uint8_t> bytes) { take(bytes); };
    }
    void start() {
        recording = {};
        clock_.start();
        on_ = true;
    }
    void stop() { on_ = false; }
    // No frame for a while: the line is quiet.
    [[nodiscard]] bool quiet() const {
        return sinceLastFrame_.isValid() && sinceLastFrame_.elapsed() > 300;
    }
    recording::Recording recording;

private:
    void take(std::span<const std::uint8_t> bytes) {
        sinceLastFrame_.start();
        stream_.append(bytes);
        while (auto group = stream_.next()) {
            if (!group->frame) {
                continue;
            }
            const auto encoded = frames::encodeFrame(*group->frame);
            forward_(encoded);
            if (on_ && group->frame->id == 31) {
                append();
            }
        }
    }
    void append() {
        namespace col = recording::col;
        const auto& c = form_.controls;
        const auto& s = form_.state;
        const auto integer = [&](std::string_view name) {
            const std::string& text = c.text(name);
            return text.empty() ? 0.0 : numtext::parseDecimal(text.substr(0, text.find(' ')));
        };
        std::array<double, recording::kValueColumns.size()> v{};
        v[col::rpm] = integer("eRpm");
        v[col::ti] = s.injectionTimeMs;
        v[col::lambdaMv] = integer("eValorSonda");
        v[col::temperature] = integer("eTemperatura");
        v[col::shortTrim] = integer("eCorSondaCurto");
        v[col::longTrim] = integer("eCorSondaLongo");
        v[col::tpsVolts] = std::round(s.tpsVoltage * 100) / 100;
        v[col::rpmPosition] = s.rpmPosition;
        v[col::loadPosition] = s.loadPosition;
        recording.append(static_cast<double>(clock_.nsecsElapsed()) / 1e9, v, {});
    }

    Form& form_;
    std::function<void(std::span<const std::uint8_t>)> forward_;
    FrameStream stream_;
    QElapsedTimer clock_;
    QElapsedTimer sinceLastFrame_;
    bool on_ = false;
};

} // namespace

class CorrectionConvergence : public QObject {
    Q_OBJECT

private slots:
    void twoPassesBringEveryCoveredCellWithinOneAndAHalfPerCent() {
        QTemporaryDir files;
        qputenv("XDG_DATA_HOME", files.path().toLocal8Bit()); // recordings stay here
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
        SetTap tap(rig.form());

        // The filters' times are the engine's: the recording runs kTimeScale times faster.
        analysis::Options options;
        options.settleSeconds = 2.0 / kTimeScale;
        options.maxTpsVoltsPerSecond = 0.5 * kTimeScale;

        std::set<int> everCovered;
        const std::array<double, 2> limits{3.0, 1.5};
        for (std::size_t pass = 0; pass < limits.size(); ++pass) {
            const auto ownMap = analysis::contextFromStore(rig.form().controls);
            tap.start();
            QVERIFY(rig.click("Button3"));
            QTest::qWait(static_cast<int>(kCyclesPerPass * kCycleSeconds * 1000 / kTimeScale));
            QVERIFY(rig.click("Button3"));
            tap.stop();
            QVERIFY(waitUntil(
                [&] { return tap.quiet() && rig.form().controls.enabled("btnEnvia"); }, 3000));

            analysis::Input input{"passada", tap.recording, ownMap};
            app::CorrectionWindow view(*rig.window, {input});
            view.setOptions(options);
            QVERIFY2(view.proposal(), qPrintable(view.status()));
            QVERIFY2(view.apply(), qPrintable(view.status()));

            const std::size_t logged = rig.sim->log.size();
            QVERIFY(rig.click("btnEnvia"));
            QVERIFY(rig.sim->waitForLog("upload applied", 5000, logged));
            QVERIFY(waitUntil([&] { return rig.form().controls.enabled("btnLerDados"); }, 2000));

            double worst = 0;
            QStringList cells;
            for (int n = 0; n < config::kMapCells; ++n) {
                if (!view.proposal()->cells[static_cast<std::size_t>(n)].covered) {
                    continue;
                }
                everCovered.insert(n);
                const double now = numtext::parseDecimal(rig.text(config::injectionKey(n)));
                const double remaining = (tenthsOf(n) / 10.0 * factorOf(n) / now - 1) * 100;
                worst = std::max(worst, std::abs(remaining));
                cells << QStringLiteral("%1: %2 %").arg(n).arg(remaining, 0, 'f', 2);
            }
            qInfo("pass %zu: %.1f simulated minutes, %zu sets (%.0f per second), %d cells covered, "
                  "worst remaining error %.2f %% (%s)",
                  pass + 1, kCyclesPerPass * kCycleSeconds / 60, tap.recording.rows(),
                  static_cast<double>(tap.recording.rows()) /
                      tap.recording.time(tap.recording.rows() - 1),
                  static_cast<int>(cells.size()), worst, qPrintable(cells.join(", ")));
            QVERIFY2(worst <= limits[pass], qPrintable(cells.join(", ")));
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
