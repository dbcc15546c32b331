// The program on a serial port that a simulated module answers from outside:
// built for Linux it uses the simulator's pseudo-terminal, built for Windows it
// runs under Wine on a COM port that Wine maps onto the same kind of terminal.
// scripts/windows-e2e.sh runs both builds and compares the map files they save
// and the packets the two simulators receive.
#include "app/main_window.h"
#include "app/qt_platform.h"
#include "core/platform.h"
#include "link/system_serial_link.h"
#include "recording/disk_writer.h"
#include "recording/reader.h"
#include "recording/recorder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <algorithm>
#include <functional>

namespace orvel {

namespace {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

// No box is expected; "Salvar" gets the file name it is given.
class ScriptedDialogs : public Dialogs {
public:
    void message(const std::string& text) override { boxes.push_back(text); }
    void error(const std::string& text) override { boxes.push_back(text); }
    std::optional<std::string> saveFileName(const FileDialogOptions&) override { return saveAs; }
    std::optional<std::string> openFileName(const FileDialogOptions&) override {
        return std::nullopt;
    }
    std::string saveAs;
    std::vector<std::string> boxes;
};

} // namespace

class ComPortTest : public QObject {
    Q_OBJECT

private slots:
    void readsSendsAndRecordsThroughTheNamedPort() {
        const QString port = qEnvironmentVariable("ORVEL_E2E_PORT");
        const QString out = qEnvironmentVariable("ORVEL_E2E_OUT");
        if (port.isEmpty() || out.isEmpty()) {
            QSKIP("run by scripts/windows-e2e.sh, which names the port and the folder");
        }
        SystemSerialLink link;
        app::QtTimerFactory timers;
        ScriptedDialogs dialogs;
        dialogs.saveAs = QDir(out).filePath(QStringLiteral("lido.txt")).toStdString();
        app::MainWindow window(link, link, timers, dialogs);
        window.show();
        Form& form = window.form();
        const auto boxes = [&] {
            return QString::fromStdString(dialogs.boxes.empty() ? "" : dialogs.boxes.back());
        };

        const auto& listed = form.controls.get("cbPorta").items;
        QVERIFY2(std::find(listed.begin(), listed.end(), port.toStdString()) != listed.end(),
                 qPrintable(port + QStringLiteral(" is not in the port list")));
        form.controls.setText("cbPorta", port.toStdString());
        QVERIFY(form.click("btnAtivar"));
        QVERIFY2(form.activity.portOpen(), qPrintable(boxes()));

        QVERIFY(form.click("btnLerDados"));
        QVERIFY(waitUntil(
            [&] {
                return !form.controls.visible("Panel1") && form.controls.enabled("btnLerDados");
            },
            5000));
        QVERIFY2(form.state.cylinderCount > 0, qPrintable(boxes()));
        QVERIFY(form.click("btnSalvar"));
        QVERIFY(QFileInfo::exists(QString::fromStdString(dialogs.saveAs)));

        QVERIFY(form.click("btnEnvia"));
        QVERIFY(waitUntil([&] { return form.controls.enabled("btnLerDados"); }, 6000));

        QVERIFY(form.click("Button3"));
        QTest::qWait(2500); // a dozen sets at five a second
        QVERIFY(form.click("Button3"));
        form.recorder.drain();
        const QDir folder(QString::fromStdString(recording::defaultFolder()));
        const auto csv = folder.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Time);
        QVERIFY2(!csv.isEmpty(), qPrintable(folder.path()));
        const auto read = recording::readRecordingFile(folder.filePath(csv.front()).toStdString());
        const auto& r = read.recording;
        QVERIFY2(r.rows() >= 5, std::to_string(r.rows()).c_str());
        for (std::size_t row = 0; row < r.rows(); ++row) {
            QVERIFY(recording::decodeSet(r.frames(row), form.state.cylinderCount) ==
                    r.row(row).values);
        }
        QVERIFY(form.click("btnDesativar"));
        QVERIFY2(dialogs.boxes.empty(), qPrintable(boxes()));
    }
};

} // namespace orvel

QTEST_MAIN(orvel::ComPortTest)
#include "com_port_test.moc"
