#pragma once

// A window on fakes: a serial link that records writes, boxes that are recorded
// instead of shown, and timers that fire only when the test advances the clock.

#include "app/main_window.h"
#include "core/errors.h"
#include "core/manual_clock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace orvel::test {

// Whether files can go to the trash on this system (Wine keeps no trash).
inline bool trashWorksHere() {
    QTemporaryDir dir;
    const QString probe = dir.filePath(QStringLiteral("probe"));
    QFile file(probe);
    return file.open(QIODevice::WriteOnly) && (file.close(), QFile::moveToTrash(probe));
}

class WindowLink : public SerialLink, public PortProber {
public:
    void open(const std::string& name) override {
        if (openable.count(name) == 0) {
            throw PortError("Could not open port " + name);
        }
        open_ = true;
    }
    void close() override { open_ = false; }
    [[nodiscard]] bool isOpen() const override { return open_; }
    void write(std::span<const std::uint8_t> bytes) override {
        writes.emplace_back(bytes.begin(), bytes.end());
    }
    [[nodiscard]] bool probe(const std::string& name) override { return openable.count(name) > 0; }
    [[nodiscard]] std::string description(const std::string& name) override {
        const auto it = descriptions.find(name);
        return it != descriptions.end() ? it->second : std::string();
    }

    std::set<std::string> openable;
    std::map<std::string, std::string> descriptions;
    std::vector<std::vector<std::uint8_t>> writes;

private:
    bool open_ = false;
};

// Records every box; a test may run code while a box is "open".
class RecordingDialogs : public Dialogs {
public:
    void message(const std::string& text) override { show("M:" + text); }
    void error(const std::string& text) override { show("E:" + text); }
    std::optional<std::string> saveFileName(const FileDialogOptions&) override { return {}; }
    std::optional<std::string> openFileName(const FileDialogOptions&) override { return {}; }

    std::vector<std::string> shown;
    std::function<void()> whileOpen;

private:
    void show(std::string text) {
        shown.push_back(std::move(text));
        if (auto step = std::exchange(whileOpen, nullptr)) {
            step();
        }
    }
};

struct WindowRig {
    explicit WindowRig(std::set<std::string> ports = {}) {
        // Scanner sessions are recorded: never into the real home.
        qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
        link.openable = std::move(ports);
        window = std::make_unique<app::MainWindow>(link, link, clock, dialogs);
    }

    template <typename T = QWidget> [[nodiscard]] T* widget(const char* name) const {
        return qobject_cast<T*>(window->control(QString::fromLatin1(name)));
    }
    [[nodiscard]] ControlStore& controls() const { return window->form().controls; }

    QTemporaryDir dataHome;
    WindowLink link;
    ManualClock clock;
    RecordingDialogs dialogs;
    std::unique_ptr<app::MainWindow> window;
};

} // namespace orvel::test
