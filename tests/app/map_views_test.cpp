// The map views and the comparison with a file, opened from the cells' context
// menu entries: they follow the store and leave the pages as they are.

#include "window_fixture.h"

#include "app/comparison_panel.h"
#include "app/heat_grid.h"
#include "app/map_view_actions.h"
#include "app/map_view_window.h"
#include "model/entry_rules.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QSaveFile>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/QSurfaceDataProxy>

namespace orvel::test {

namespace {

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
void saveScreen(const char* name, const QRect& area) {
    const QByteArray folder = qgetenv("ORVEL_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        return;
    }
    QTest::qWait(200);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(),
                                                                      area.width(), area.height());
    QVERIFY(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath(QLatin1String(name)), "PNG"));
}

// The window, the panel beside it and one differing cell's tool tip.
void showForScreenshot(app::MainWindow& window, QWidget& panel) {
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    panel.resize(panel.width(), 240);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    panel.move(screen.right() - panel.width() - 10, screen.bottom() - panel.height() - 10);
    panel.raise();
    QWidget* cell = window.control("e3i");
    const QPoint at(cell->width() / 2, cell->height() / 2);
    QHelpEvent help(QEvent::ToolTip, at, cell->mapToGlobal(at));
    QCoreApplication::sendEvent(cell, &help);
    saveScreen("comparacao.png", window.frameGeometry().united(panel.frameGeometry()));
}

std::size_t positionOf(std::string_view key) {
    const auto& order = config::fileOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i].key == key) {
            return i;
        }
    }
    return order.size();
}

} // namespace

class MapViewsTest : public QObject {
    Q_OBJECT
private slots:
    void viewFollowsEditsAndMarksTheCellInUse() {
        Rig rig;
        rig.trigger(app::MapKind::Ignition, "actionViewMap");
        auto* view = rig.window->findChild<app::MapViewWindow*>("mapViewIgnition");
        QVERIFY(view != nullptr && view->isVisible());
        // Without OpenGL (offscreen): the grid alone, and the reason.
        const bool without3d = app::reasonWithout3d().has_value();
        QCOMPARE(view->surface() == nullptr, without3d);
        QCOMPARE(view->findChild<QLabel*>("note3d")->text().contains("indisponível"), without3d);

        auto* grid = view->grid();
        QCOMPARE(grid->cellColor(2), QColor(0, 0, 255));  // 6 degrees, the lowest
        QCOMPARE(grid->cellColor(48), QColor(255, 0, 0)); // 34, the highest
        rig.controls().setText("e0", "40");
        rig.controls().setColor("e5", colors::red); // the scanner's mark
        QCoreApplication::processEvents();
        QCOMPARE(grid->cells()[0].text, QString("40"));
        QCOMPARE(grid->cellColor(0), QColor(255, 0, 0));
        QVERIFY(grid->cells()[5].inUse);
        rig.controls().setText("e1", "");
        view->refresh();
        QCOMPARE(grid->cellColor(1), QColor(170, 170, 170));

        // The surface takes the map's heights; an edit moves only its cell.
        QSurfaceDataProxy proxy;
        app::fillSurface(proxy, mapview::readCells(rig.controls(), mapview::Map::Ignition));
        QCOMPARE(proxy.itemAt(0, 1)->y(), 6.0f); // a cell being typed lies at the lowest value
        QCOMPARE(proxy.itemAt(8, 7)->position(), QVector3D(8, 27, 7200));
        rig.controls().setText("e71", "30");
        app::fillSurface(proxy, mapview::readCells(rig.controls(), mapview::Map::Ignition));
        QCOMPARE(proxy.itemAt(8, 7)->position(), QVector3D(8, 30, 7200));

        // Headed and scaled as the window shows the map: its column captions, and
        // the scale's ends in the cells' own texts.
        QCOMPARE(grid->lowText(), QString("6"));
        QCOMPARE(grid->columnCaptions()[0], QString("1"));
        rig.trigger(app::MapKind::Injection, "actionViewMap");
        auto* injection = rig.window->findChild<app::MapViewWindow*>("mapViewInjection");
        setMapColumnCaptions(rig.controls(), "TPS X RPM");
        rig.controls().setText("e0i", "9,0");
        QCoreApplication::processEvents();
        QCOMPARE(injection->grid()->columnCaptions()[0], QString("0 %"));
        QCOMPARE(injection->grid()->columnCaptions()[7], QString("100 %"));
        QCOMPARE(injection->grid()->highText(), QString("9,0"));
        QCOMPARE(injection->grid()->lowText(), QString("2,2"));

        // The injection map's view is its own window; the ignition one is reused.
        rig.trigger(app::MapKind::Injection, "actionViewMap");
        rig.trigger(app::MapKind::Ignition, "actionViewMap");
        QCOMPARE(rig.window->findChildren<app::MapViewWindow*>().size(), 2);
    }

    // Run under xvfb-run with QT_QPA_PLATFORM=xcb: the surface draws the map in
    // the grid's colours and marks the cell in use.
    void surfaceDrawsTheMapWhereOpenGlIs() {
        if (app::reasonWithout3d()) {
            QSKIP("no OpenGL on this platform");
        }
        Rig rig;
        rig.window->show();
        rig.controls().setColor("e20", colors::red);
        setMapColumnCaptions(rig.controls(), "TPS X RPM"); // as after a read
        rig.trigger(app::MapKind::Ignition, "actionViewMap");
        auto* view = rig.window->findChild<app::MapViewWindow*>("mapViewIgnition");
        QVERIFY(view->surface() != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QTest::qWait(300);
        const QImage image = view->surface()->renderToImage(0, QSize(400, 300));
        int red = 0;
        int blue = 0;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                const QColor c = image.pixelColor(x, y);
                // Lit and shaded: reddish and bluish rather than pure.
                red += c.red() > 120 && c.red() > 2 * c.green() && c.red() > 2 * c.blue() ? 1 : 0;
                blue += c.blue() > 120 && c.blue() > 2 * c.red() ? 1 : 0;
            }
        }
        QVERIFY2(red > 50 && blue > 50, qPrintable(QString("red %1 blue %2").arg(red).arg(blue)));
        saveScreen("mapa_3d.png", view->frameGeometry());
    }

    void comparisonFramesCellsListsOthersAndEnds() {
        Rig rig;
        rig.window->show();
        rig.window->findChild<QTabWidget*>("Mapas")->setCurrentIndex(0);
        auto* page = rig.window->control("TabSheet1");
        const QImage before = page->grab().toImage();
        QMenu idle;
        app::addViewEntries(idle, *rig.window, app::MapKind::Injection);
        QVERIFY(!idle.findChild<QAction*>("actionCloseComparison")->isEnabled());

        auto values = rig.current();
        values[positionOf("e0")] = "20";
        values[positionOf("e3i")] = "6,5";
        values[positionOf("eLimiteRpm")] = "6500";
        values[positionOf("eAtm1000")] = "5";
        rig.dialogs.file = rig.writeFile(values);
        rig.trigger(app::MapKind::Injection, "actionCompareFile");
        auto* panel = app::ComparisonPanel::of(*rig.window);
        QVERIFY(panel != nullptr);
        QCOMPARE(panel->differences().size(), 4U);
        QVERIFY(panel->cellToolTip("e0").contains("No arquivo: 20"));
        QVERIFY(panel->cellToolTip("e0").contains("+10"));
        QVERIFY(panel->cellToolTip("e3i").contains("-0,3"));
        auto* others = panel->findChild<QTreeWidget*>("otherDifferences");
        QCOMPARE(others->topLevelItemCount(), 2);
        QCOMPARE(others->topLevelItem(0)->text(0), QString("Limite de RPM"));
        // At its first size no setting's caption is cut.
        const QString pressure = others->topLevelItem(1)->text(0);
        QCOMPARE(pressure, QString("Pressão Atmosférica 1000 mbar (% do Ti)"));
        const int caption = others->fontMetrics().horizontalAdvance(pressure);
        QVERIFY2(others->header()->sectionSize(0) > caption,
                 qPrintable(QString::number(others->header()->sectionSize(0))));
        QVERIFY(panel->width() >= others->header()->length());
        QCOMPARE(rig.controls().text("e0"), std::string("10")); // the window is not changed
        QVERIFY(page->grab().toImage() != before);              // frames drawn over it
        if (!qEnvironmentVariableIsEmpty("ORVEL_SCREENSHOT_DIR")) {
            showForScreenshot(*rig.window, *panel);
        }

        rig.controls().setText("e0", "20");
        QCoreApplication::processEvents();
        QVERIFY(panel->cellToolTip("e0").isEmpty());
        rig.controls().setText("e0", "10");

        rig.trigger(app::MapKind::Ignition, "actionCloseComparison");
        QVERIFY(app::ComparisonPanel::of(*rig.window) == nullptr);
        QCOMPARE(page->grab().toImage(), before);
        QVERIFY(rig.dialogs.shown.empty());
    }

    void aFileTheLoaderRefusesGivesItsMessageAndNoComparison() {
        Rig rig;
        auto values = rig.current();
        values[198] = "abc";
        rig.dialogs.file = rig.writeFile(values);
        rig.trigger(app::MapKind::Ignition, "actionCompareFile");
        rig.dialogs.file = rig.dir.filePath("nenhum.txt").toStdString();
        rig.trigger(app::MapKind::Ignition, "actionCompareFile");
        // Percent is not what a file holds: no comparison until the map is in mS again.
        rig.window->form().activity.percentShown(true);
        rig.trigger(app::MapKind::Ignition, "actionCompareFile");
        QVERIFY(app::ComparisonPanel::of(*rig.window) == nullptr);
        QCOMPARE(rig.dialogs.shown.size(), 3U);
        QCOMPARE(rig.dialogs.shown[0], std::string("E:'abc' is not a valid integer value."));
        QCOMPARE(rig.dialogs.shown[1], std::string("E:File not found."));
        QVERIFY(rig.dialogs.shown[2].starts_with("M:O mapa de injeção está em %."));
    }
};

} // namespace orvel::test

QTEST_MAIN(orvel::test::MapViewsTest)
#include "map_views_test.moc"
