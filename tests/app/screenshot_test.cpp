// Grabs each page of the window as the user sees it at start and in the map
// alteration mode. With ORVEL_SCREENSHOT_DIR set (scripts/screenshots.sh) the
// pictures are written there as PNG files.

#include "window_fixture.h"

#include "app/recording_plot.h"
#include "app/recordings_page.h"
#include "app/system_style.h"
#include "sample_drive.h"

#include <QDir>
#include <QGraphicsView>
#include <QImage>
#include <QTabWidget>
#include <QTest>

#include <set>

using orvel::test::WindowRig;

namespace {

// Enough different colours tell a drawn page from a blank one.
int colourCount(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            colours.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(colours.size());
}

} // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { orvel::app::installSystemStyle(); } // as the program draws itself

    void pagesAreDrawnAtTheWindowsSize_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("alteration");
        QTest::addColumn<QString>("file");
        QTest::newRow("maps") << 0 << false << "mapas.png";
        QTest::newRow("settings") << 1 << false << "configuracoes.png";
        QTest::newRow("alteration") << 0 << true << "alteracao.png";
    }

    void pagesAreDrawnAtTheWindowsSize() {
        QFETCH(int, page);
        QFETCH(bool, alteration);
        QFETCH(QString, file);
        WindowRig rig;
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        if (alteration) {
            QTest::mouseClick(rig.widget("btnAlterarMapas"), Qt::LeftButton);
        }
        rig.widget<QTabWidget>("Mapas")->setCurrentIndex(page);
        QTest::qWait(50);
        const QImage image = rig.window->grab().toImage();
        QCOMPARE(image.size() / image.devicePixelRatio(), QSize(972, 670));
        QVERIFY(colourCount(image) > 20);
        // The window is white where no control lies.
        const QPoint empty = QPoint(940, 600) * image.devicePixelRatio();
        QCOMPARE(image.pixelColor(empty), QColor(Qt::white));

        save(image, file);
    }

    // "Registros" with three recordings in the folder and the first one plotted.
    void recordingsPageShowsAPlot() {
        WindowRig rig; // its own data folder
        auto& page = rig.window->recordingsPage();
        const QString folder = page.folder();
        QVERIFY(QDir().mkpath(folder));
        const QString shown = folder + "/2026-12-08_09-14-03.csv";
        QVERIFY(orvel::test::writeSampleFile(shown, orvel::test::sampleDrive(300)));
        QVERIFY(orvel::test::writeSampleFile(folder + "/2026-12-07_17-40-51.csv",
                                             orvel::test::sampleDrive(95)));
        QVERIFY(orvel::test::writeSampleFile(folder + "/2026-12-07_17-22-10.csv",
                                             orvel::test::sampleDrive(610)));
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        rig.widget<QTabWidget>("Mapas")->setCurrentWidget(&page);
        page.openFile(shown);
        QVERIFY(rig.dialogs.shown.empty());
        page.plot().setRange(20, 140);
        QTest::qWait(100);
        // The cursor's values over the cruise.
        auto* chart = rig.window->findChild<QGraphicsView*>(QStringLiteral("grafico"));
        QVERIFY(chart != nullptr);
        QTest::mouseMove(chart->viewport(), QPoint(chart->width() * 62 / 100, 120));
        QTest::qWait(100);
        const QImage image = rig.window->grab().toImage();
        QCOMPARE(image.size() / image.devicePixelRatio(), QSize(972, 670));
        QVERIFY(colourCount(image) > 20);
        save(image, QStringLiteral("registros.png"));
    }

private:
    static void save(const QImage& image, const QString& file) {
        const QByteArray folder = qgetenv("ORVEL_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QVERIFY(image.save(QDir(QString::fromLocal8Bit(folder)).filePath(file), "PNG"));
        }
    }
};

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
