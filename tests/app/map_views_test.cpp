// The map views and the comparison with a file, opened from the cells' context
// menu entries: they follow the store and leave the pages as they are.

#include "window_fixture.h"

#include "app/comparison_panel.h"
#include "app/heat_grid.h"
#include "app/map_view_actions.h"
#include "app/map_view_window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

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
        // Offscreen has no OpenGL: the grid alone, and the reason.
        QVERIFY(view->surface() == nullptr);
        QVERIFY(view->findChild<QLabel*>("note3d")->text().contains("indisponível"));

        auto* grid = view->grid();
        QCOMPARE(grid->cellColor(2), QColor(0, 0, 255));  // 6 degrees, the lowest
        QCOMPARE(grid->cellColor(48), QColor(255, 0, 0)); // 34, the highest
        rig.controls().setText("e0", "40");
        rig.controls().setColor("e5", colors::red);     // the scanner's mark
        QCoreApplication::processEvents();
        QCOMPARE(grid->cells()[0].text, QString("40"));
        QCOMPARE(grid->cellColor(0), QColor(255, 0, 0));
        QVERIFY(grid->cells()[5].inUse);
        rig.controls().setText("e1", "");
        view->refresh();
        QCOMPARE(grid->cellColor(1), QColor(170, 170, 170));

        // The injection map's view is its own window; the ignition one is reused.
        rig.trigger(app::MapKind::Injection, "actionViewMap");
        rig.trigger(app::MapKind::Ignition, "actionViewMap");
        QCOMPARE(rig.window->findChildren<app::MapViewWindow*>().size(), 2);
    }

    void comparisonFramesCellsListsOthersAndEnds() {
        Rig rig;
        auto* page = rig.window->control("TabSheet1");
        const QImage before = page->grab().toImage();
        QMenu idle;
        app::addViewEntries(idle, *rig.window, app::MapKind::Injection);
        QVERIFY(!idle.findChild<QAction*>("actionCloseComparison")->isEnabled());

        auto values = rig.current();
        values[positionOf("e0")] = "20";
        values[positionOf("e3i")] = "6,5";
        values[positionOf("eLimiteRpm")] = "6500";
        rig.dialogs.file = rig.writeFile(values);
        rig.trigger(app::MapKind::Injection, "actionCompareFile");
        auto* panel = app::ComparisonPanel::of(*rig.window);
        QVERIFY(panel != nullptr);
        QCOMPARE(panel->differences().size(), 3U);
        QVERIFY(panel->cellToolTip("e0").contains("No arquivo: 20"));
        QVERIFY(panel->cellToolTip("e0").contains("+10"));
        QVERIFY(panel->cellToolTip("e3i").contains("-0,3"));
        auto* others = panel->findChild<QTreeWidget*>("otherDifferences");
        QCOMPARE(others->topLevelItemCount(), 1);
        QCOMPARE(others->topLevelItem(0)->text(0), QString("Limite de RPM"));
        QCOMPARE(rig.controls().text("e0"), std::string("10")); // the window is not changed
        QVERIFY(page->grab().toImage() != before);              // frames drawn over it

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
        QVERIFY(app::ComparisonPanel::of(*rig.window) == nullptr);
        QCOMPARE(rig.dialogs.shown,
                 (std::vector<std::string>{"E:'abc' is not a valid integer value.",
                                           "E:File not found."}));
    }
};

} // namespace orvel::test

QTEST_MAIN(orvel::test::MapViewsTest)
#include "map_views_test.moc"
