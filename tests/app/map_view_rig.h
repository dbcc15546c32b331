#pragma once

// A window on fakes for the map views, and the screen as the user sees it.

#include "window_fixture.h"

#include "app/map_view_actions.h"
#include "files/map_file.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace orvel::test {

class FileDialogs : public RecordingDialogs {
public:
    std::optional<std::string> openFileName(const FileDialogOptions&) override { return file; }
    std::optional<std::string> file;
};

struct Rig {
    Rig() { window = std::make_unique<app::MainWindow>(link, link, clock, dialogs); }
    ControlStore& controls() const { return window->form().controls; }

    void trigger(app::MapKind map, const char* action) {
        QMenu menu;
        app::addViewEntries(menu, *window, map);
        auto* entry = menu.findChild<QAction*>(QString::fromLatin1(action));
        QVERIFY(entry != nullptr);
        QVERIFY(entry->isEnabled());
        entry->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    std::string writeFile(const mapfile::Values& values) {
        const auto path = dir.filePath(QStringLiteral("outro.txt"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray::fromStdString(mapfile::encodeLine(values)));
        return path.toStdString();
    }
    mapfile::Values current() const { return mapfile::collect(controls(), 130, 230); }

    WindowLink link;
    ManualClock clock;
    FileDialogs dialogs;
    std::unique_ptr<app::MainWindow> window;
    QTemporaryDir dir;
};

// With ORVEL_SCREENSHOT_DIR set, the screen as the user sees it (the 3D view is
// drawn by OpenGL, so the screen, not the widget, holds it).
inline void saveScreen(const char* name, const QRect& area) {
    const QByteArray folder = qgetenv("ORVEL_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        return;
    }
    QTest::qWait(200);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(),
                                                                      area.width(), area.height());
    QVERIFY(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath(QLatin1String(name)), "PNG"));
}

} // namespace orvel::test
