// The map views and the comparison with a file, opened from the cells' context
// menu entries: they follow the store and leave the pages as they are.

#include "map_view_rig.h"

#include "app/comparison_panel.h"
#include "app/heat_grid.h"
#include "app/map_surface.h"
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

namespace orvel::test {

namespace {

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
