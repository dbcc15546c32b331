#pragma once

// The end-to-end rig: the real window on the real serial layer, talking over a
// pseudo-terminal to the simulated module started as a child process.

#include "app/main_window.h"
#include "app/qt_platform.h"
#include "core/control_store.h"
#include "files/map_file.h"
#include "link/qt_serial_link.h"
#include "model/config.h"
#include "module_config.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace orvel::e2e {

// Waits, turning the event loop, until the condition holds or the time is up.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qWait(2);
    }
    return true;
}

// Boxes expected in order; any other box is recorded as a fault for the test to report.
class E2eDialogs : public Dialogs {
public:
    void expectMessage(std::string text) { expected_.push_back("M:" + std::move(text)); }
    void expectErrorStartingWith(std::string text) { expected_.push_back("E:" + std::move(text)); }

    void message(const std::string& text) override { take("M:" + text, false); }
    void error(const std::string& text) override { take("E:" + text, true); }
    std::optional<std::string> saveFileName(const FileDialogOptions&) override {
        unexpected.push_back("save dialog");
        return std::nullopt;
    }
    std::optional<std::string> openFileName(const FileDialogOptions&) override {
        unexpected.push_back("open dialog");
        return std::nullopt;
    }

    [[nodiscard]] bool allShown() const { return expected_.empty(); }
    std::vector<std::string> shown;
    std::vector<std::string> unexpected;

private:
    void take(const std::string& box, bool prefixMatch) {
        shown.push_back(box);
        if (!expected_.empty() &&
            (box == expected_.front() || (prefixMatch && box.starts_with(expected_.front())))) {
            expected_.pop_front();
            return;
        }
        unexpected.push_back(box);
    }
    std::deque<std::string> expected_;
};

// orvel-module-sim as a child process with its own runtime folder.
class SimProcess {
public:
    explicit SimProcess(const QString& runtimeDir) : runtimeDir_(runtimeDir) {
        QObject::connect(&process_, &QProcess::readyReadStandardError, [this] {
            buffer_ += QString::fromUtf8(process_.readAllStandardError());
            qsizetype end = 0;
            while ((end = buffer_.indexOf(QLatin1Char('\n'))) >= 0) {
                const QString line = buffer_.left(end);
                buffer_.remove(0, end + 1);
                log.push_back(line.section(QStringLiteral(": "), 1).toStdString());
            }
        });
    }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator and reads the link it publishes.
    bool start(const QStringList& args = {}) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir_);
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(ORVEL_SIM_PATH), args);
        if (!process_.waitForStarted(5000)) {
            return false;
        }
        const bool printed = waitUntil([this] { return process_.canReadLine(); }, 5000);
        linkPath = QString::fromUtf8(process_.readLine()).trimmed().toStdString();
        return printed && !linkPath.empty();
    }

    // A control line, confirmed by the simulator.
    bool control(const std::string& line) {
        const std::size_t seen = log.size();
        process_.write(QByteArray::fromStdString(line + "\n"));
        return waitForLog("ok " + line, 3000, seen);
    }

    // Waits for a log line starting with `start`, looking from line `from` on.
    bool waitForLog(const std::string& start, int timeoutMs, std::size_t from = 0) {
        return waitUntil([&] { return findLog(start, from).has_value(); }, timeoutMs);
    }
    [[nodiscard]] std::optional<std::string> findLog(const std::string& start,
                                                     std::size_t from = 0) const {
        for (std::size_t i = from; i < log.size(); ++i) {
            if (log[i].starts_with(start)) {
                return log[i];
            }
        }
        return std::nullopt;
    }
    [[nodiscard]] int countLog(const std::string& start) const {
        int n = 0;
        for (const auto& line : log) {
            n += line.starts_with(start) ? 1 : 0;
        }
        return n;
    }

    void stop() {
        if (process_.state() == QProcess::NotRunning) {
            return;
        }
        process_.closeWriteChannel(); // end of standard input: the simulator leaves
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(1000);
        }
    }
    [[nodiscard]] bool running() const { return process_.state() != QProcess::NotRunning; }
    [[nodiscard]] bool waitForExit(int timeoutMs) {
        return waitUntil([this] { return process_.state() == QProcess::NotRunning; }, timeoutMs);
    }

    std::string linkPath;
    std::vector<std::string> log;

private:
    QString runtimeDir_;
    QProcess process_;
    QString buffer_;
};

// The window with the real serial layer and timers, on a private runtime folder
// so that it lists this test's simulator first.
class Rig {
public:
    Rig() {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        // Scanner sessions are recorded: never into the real home.
        qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
        sim = std::make_unique<SimProcess>(runtime.path());
    }
    ~Rig() {
        window.reset();
        sim.reset();
    }

    bool startSim(const QStringList& args = {}) { return sim->start(args); }
    void openWindow() {
        window = std::make_unique<app::MainWindow>(link, link, timers, dialogs);
        window->show();
    }
    Form& form() { return window->form(); }
    const std::string& text(std::string_view name) { return form().controls.text(name); }
    void setText(std::string_view name, std::string value) {
        form().controls.setText(name, std::move(value));
    }
    bool click(std::string_view name) { return form().click(name); }

    // A whole configuration download: the read command until frame 26 has been handled.
    bool read(int timeoutMs = 3000) {
        if (!click("btnLerDados")) {
            return false;
        }
        return waitUntil(
            [this] {
                return !form().controls.visible("Panel1") && form().controls.enabled("btnLerDados");
            },
            timeoutMs);
    }

    QTemporaryDir runtime;
    QTemporaryDir dataHome;
    QtSerialLink link;
    app::QtTimerFactory timers;
    E2eDialogs dialogs;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<app::MainWindow> window;
};

inline std::string tenthsText(int tenths) {
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

// Every field as the window must show it after reading this configuration.
inline std::map<std::string, std::string> expectedTexts(const sim::ModuleConfig& c) {
    std::map<std::string, std::string> t;
    const auto s8 = [](std::uint8_t b) { return std::to_string(static_cast<std::int8_t>(b)); };
    const auto choice = [](std::string_view key, int code) {
        return std::string(config::textOf(key, code).value_or("?"));
    };
    for (int n = 0; n < config::kMapCells; ++n) {
        t[config::ignitionKey(n)] = std::to_string(c.ignition[n]);
        t[config::injectionKey(n)] = tenthsText(c.injection[n]);
    }
    for (int i = 0; i < 8; ++i) {
        const auto point = static_cast<std::size_t>(i * 3);
        t[config::correctionKey("eCorrecaoTi", i)] = s8(c.ti[point]);
        t[config::correctionKey("eCorrecaoIg", i)] = s8(c.ig[point]);
        t[config::correctionKey("eCorrecaoMl", i)] = s8(c.ml[point]);
    }
    for (std::size_t i = 0; i < config::kPressureKeys.size(); ++i) {
        t[std::string(config::kPressureKeys[i])] = s8(c.atm[i * 3]);
    }
    t["cbRapidaTpsxMap"] = choice("cbRapidaTpsxMap", c.quickAccelSource);
    t["eBasico"] = tenthsText(c.basicTenths);
    t["eGanho"] = std::to_string(c.gain);
    t["eDecremento"] = std::to_string(c.decrement);
    t["cbSondaTipo"] = choice("cbSondaTipo", c.probeType);
    t["cbSondaCorrecao"] = choice("cbSondaCorrecao", c.probeCorrection);
    t["cbSondaAtiva"] = choice("cbSondaAtiva", c.probeMode);
    t["eSondaTemp"] = std::to_string(c.probeTemperature);
    t["eSondaLenta"] = std::to_string(c.probeLow * 10);
    t["eSondaParcial"] = std::to_string(c.probePartial * 10);
    t["eSondaPlena"] = std::to_string(c.probeFull * 10);
    t["eDeslCutOff"] = std::to_string(c.cutOffOffHundreds * 100);
    t["eLigaCutOff"] = std::to_string(c.cutOffOnHundreds * 100);
    t["eLigaEletro"] = std::to_string(c.fanOn);
    t["eDesligaEletro"] = std::to_string(c.fanOff);
    t["emSCorrecaoEletro"] = tenthsText(c.fanCorrectionTenths);
    t["ePercEletro"] = std::to_string(c.fanPercent);
    t["emSAr"] = tenthsText(c.acTenths);
    t["ePercentualAr"] = std::to_string(c.acPercent);
    t["cbTipoDistribuidor"] = choice("cbTipoDistribuidor", c.distributor);
    t["cbCilindros"] = std::to_string(c.cylinders);
    t["eLimiteRpm"] = std::to_string(c.rpmLimitHundreds * 100);
    t["cbCombinacaoMapa"] = choice("cbCombinacaoMapa", c.mapCombination);
    t["eAvancoPartida"] = std::to_string(c.crankingAdvance);
    return t;
}

// Fields whose text differs from what is expected, as "name: 'shown' != 'expected'".
inline std::string mismatches(ControlStore& controls,
                              const std::map<std::string, std::string>& expected) {
    std::string out;
    for (const auto& [name, text] : expected) {
        if (controls.text(name) != text) {
            out += name + ": '" + controls.text(name) + "' != '" + text + "'\n";
        }
    }
    return out;
}

// The texts of the program's start values with some replaced, as a map file.
inline std::string mapFileWith(const std::map<std::string, std::string>& changed, int tpsClosed,
                               int tpsOpen) {
    mapfile::Values values;
    for (const auto& p : config::fileOrder()) {
        const auto it = changed.find(std::string(p.key));
        values.push_back(it != changed.end() ? it->second : std::string(p.defaultText));
    }
    values.push_back(std::to_string(tpsClosed));
    values.push_back(std::to_string(tpsOpen));
    return mapfile::encodeLine(values);
}

// The bytes of an upload packet as the simulator logged them.
inline std::string packetLog(int number, std::initializer_list<int> payload) {
    std::string line = "packet " + std::to_string(number) + ":";
    for (int b : payload) {
        line += " " + std::to_string(b & 0xFF);
    }
    return line;
}

} // namespace orvel::e2e
