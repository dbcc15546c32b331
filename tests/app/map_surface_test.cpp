// The 3D map view, where the toolkit has its 3D module.

#include "map_view_rig.h"

#include "app/map_surface.h"
#include "app/map_surface_3d.h"
#include "app/map_view_window.h"

#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/QSurfaceDataProxy>

namespace orvel::test {

class MapSurfaceTest : public QObject {
    Q_OBJECT
private slots:
    void surfaceTakesTheMapsHeights() {
        Rig rig;
        // The surface takes the map's heights; an edit moves only its cell.
        rig.controls().setText("e1", "");
        QSurfaceDataProxy proxy;
        app::fillSurface(proxy, mapview::readCells(rig.controls(), mapview::Map::Ignition));
        QCOMPARE(proxy.itemAt(0, 1)->y(), 6.0f); // a cell being typed lies at the lowest value
        QCOMPARE(proxy.itemAt(8, 7)->position(), QVector3D(8, 27, 7200));
        rig.controls().setText("e71", "30");
        app::fillSurface(proxy, mapview::readCells(rig.controls(), mapview::Map::Ignition));
        QCOMPARE(proxy.itemAt(8, 7)->position(), QVector3D(8, 30, 7200));
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
};

} // namespace orvel::test

QTEST_MAIN(orvel::test::MapSurfaceTest)
#include "map_surface_test.moc"
