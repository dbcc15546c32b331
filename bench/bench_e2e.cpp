// End-to-end timings of the real window and serial layer against the simulated
// module on a pseudo-terminal: "Lêr Dados" until frame 26 is handled, and an
// upload from the click until the end command. Baselines in the same run: the
// line time at 38400 baud, a raw read of the same pseudo-terminal without the
// program, and the program against a simulator that does not pace its bytes.
//
// Not a test: run it by hand, on a quiet machine, and copy the figures.

#include "app/main_window.h"
#include "app/qt_platform.h"
#include "link/qt_serial_link.h"
#include "wire.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kReads = 20;
constexpr int kUploads = 5;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Message boxes have no place in a timing run: count them and say so.
class CountingDialogs : public orvel::Dialogs {
public:
    void message(const std::string& text) override { note("message", text); }
    void error(const std::string& text) override { note("error", text); }
    std::optional<std::string> saveFileName(const orvel::FileDialogOptions&) override { return {}; }
    std::optional<std::string> openFileName(const orvel::FileDialogOptions&) override { return {}; }
    int boxes = 0;

private:
    void note(const char* kind, const std::string& text) {
        ++boxes;
        std::fprintf(stderr, "unexpected %s box: %s\n", kind, text.c_str());
    }
};

// Handles events until the condition holds; checks right after each batch.
bool runUntil(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

class Simulator {
public:
    Simulator(const QString& runtimeDir, const QStringList& args) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        process_.setProcessEnvironment(env);
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(QStringLiteral(ORVEL_SIM_PATH), args);
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000)) {
            link = QString::fromUtf8(process_.readLine()).trimmed().toStdString();
        }
    }
    ~Simulator() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(1000);
        }
    }
    std::string link;

private:
    QProcess process_;
};

struct Stats {
    double min;
    double median;
    double max;
};

Stats statsOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

void row(const char* what, const Stats& s, const char* target) {
    std::printf("| %s | %.1f | %.1f | %.1f | %s |\n", what, s.min, s.median, s.max, target);
}

// The read command written straight to the terminal, until 312 bytes are back.
std::vector<double> rawReads(const std::string& link) {
    std::vector<double> times;
    const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        return times;
    }
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
    const std::uint8_t command[] = {0x00, 0x33, 0x61, 0x61, 0x61, 0x61};
    for (int i = 0; i < kReads; ++i) {
        const auto start = Clock::now();
        if (::write(fd, command, sizeof command) != sizeof command) {
            break;
        }
        std::size_t got = 0;
        std::uint8_t buffer[512];
        while (got < 312) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) {
                break;
            }
            const auto n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        if (got != 312) {
            break;
        }
        times.push_back(msSince(start));
    }
    ::close(fd);
    return times;
}

struct WindowRun {
    std::vector<double> reads;
    std::vector<double> uploads;
    int boxes = 0;
};

WindowRun windowRun(int uploads) {
    WindowRun run;
    orvel::QtSerialLink link;
    orvel::app::QtTimerFactory timers;
    CountingDialogs dialogs;
    orvel::app::MainWindow window(link, link, timers, dialogs);
    window.show();
    auto& form = window.form();
    if (!form.click("btnAtivar") || !form.activity.portOpen()) {
        std::fprintf(stderr, "could not activate %s\n", form.controls.text("cbPorta").c_str());
        return run;
    }
    const auto idle = [&form] {
        return !form.controls.visible("Panel1") && form.controls.enabled("btnLerDados");
    };
    for (int i = 0; i < kReads; ++i) {
        const auto start = Clock::now();
        form.click("btnLerDados");
        if (!runUntil(idle, 3000)) {
            std::fprintf(stderr, "read %d did not end\n", i);
            break;
        }
        run.reads.push_back(msSince(start));
    }
    for (int i = 0; i < uploads; ++i) {
        const auto start = Clock::now();
        form.click("btnEnvia");
        // The last tick sends the end command and enables the buttons again.
        if (!runUntil([&form] { return form.controls.enabled("btnLerDados"); }, 5000)) {
            std::fprintf(stderr, "upload %d did not end\n", i);
            break;
        }
        run.uploads.push_back(msSince(start));
    }
    form.click("btnDesativar");
    run.boxes = dialogs.boxes;
    return run;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

    std::vector<double> raw;
    WindowRun paced;
    {
        Simulator sim(runtime.path(), {});
        if (sim.link.empty()) {
            std::fprintf(stderr, "the simulator did not start\n");
            return 1;
        }
        raw = rawReads(sim.link);
        paced = windowRun(kUploads);
    }
    WindowRun unpaced;
    {
        Simulator sim(runtime.path(), {QStringLiteral("--no-pace")});
        unpaced = windowRun(0);
    }
    if (raw.empty() || paced.reads.empty() || paced.uploads.empty() || unpaced.reads.empty()) {
        std::fprintf(stderr, "a measurement failed\n");
        return 1;
    }

    const double wire =
        std::chrono::duration<double, std::milli>(orvel::sim::wireTime(312)).count();
    std::printf("| Measurement | min ms | median ms | max ms | target |\n|---|---|---|---|---|\n");
    std::printf("| line time of 312 bytes at 38400 baud | %.1f | %.1f | %.1f | |\n", wire, wire,
                wire);
    row("raw read of the pseudo-terminal (baseline)", statsOf(raw), "");
    row("\"Lêr Dados\" to frame 26 handled", statsOf(paced.reads), "<= 131");
    row("\"Lêr Dados\", unpaced simulator", statsOf(unpaced.reads), "");
    row("upload click to end command", statsOf(paced.uploads), "1700..1800");
    std::printf("\n%d read(s) + %d upload(s); %d unexpected box(es)\n", kReads, kUploads,
                paced.boxes + unpaced.boxes);
    if (std::FILE* load = std::fopen("/proc/loadavg", "r")) {
        char text[64] = {};
        if (std::fgets(text, sizeof text, load) != nullptr) {
            std::printf("load average: %s", text);
        }
        std::fclose(load);
    }
    return paced.boxes + unpaced.boxes == 0 ? 0 : 1;
}
