// The "Registros" page offscreen: the folder's list, a plot of a small
// recording, and a short replay through the window on the manual clock.

#include "window_fixture.h"

#include "app/chart_canvas.h"
#include "app/recording_plot.h"
#include "app/recordings_page.h"
#include "sample_drive.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QValueAxis>

#include <memory>

using orvel::test::WindowRig;

class RecordingsPageTest : public QObject {
    Q_OBJECT

private slots:
    void listsTheFolderNewestFirstAndRefusesWhatIsNoRecording() {
        WindowRig rig; // its own data folder
        auto& page = rig.window->recordingsPage();
        const QString folder = page.folder();
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(orvel::test::writeSampleFile(folder + "/2026-12-01_08-00-00.csv",
                                             orvel::test::sampleDrive(10)));
        QVERIFY(orvel::test::writeSampleFile(folder + "/2026-12-02_08-00-00.csv",
                                             orvel::test::sampleDrive(75)));
        page.refresh();
        auto* list = page.findChild<QTreeWidget*>(QStringLiteral("listaRegistros"));
        QCOMPARE(list->topLevelItemCount(), 2);
        const auto* newest = list->topLevelItem(0);
        QCOMPARE(newest->text(0), QStringLiteral("02/12/2026 08:00:00"));
        QCOMPARE(newest->text(1), QStringLiteral("1:14")); // the last row's time
        QCOMPARE(newest->text(2), QStringLiteral("375"));

        // Showing the page again reads only what changed; a second session of the
        // same second comes first, numbered.
        const int reads = page.catalog().reads();
        page.refresh();
        QCOMPARE(page.catalog().reads(), reads);
        QVERIFY(orvel::test::writeSampleFile(folder + "/2026-12-02_08-00-00-2.csv",
                                             orvel::test::sampleDrive(4)));
        page.refresh();
        QCOMPARE(page.catalog().reads(), reads + 1);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("02/12/2026 08:00:00 (2)"));
        QVERIFY(QFile::remove(folder + "/2026-12-02_08-00-00-2.csv"));
        page.refresh();
        QCOMPARE(list->topLevelItemCount(), 2);

        // Enter opens the selected recording in the plot.
        list->setCurrentItem(list->topLevelItem(0));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(page.plot().valuesAt(74.8).contains(QStringLiteral("74,800 s")));

        // "Excluir" asks first and takes the recording's map along to the trash.
        QFile map(folder + "/2026-12-01_08-00-00-mapa.txt");
        QVERIFY(map.open(QIODevice::WriteOnly));
        map.close();
        list->clearSelection();
        list->topLevelItem(1)->setSelected(true);
        if (!orvel::test::trashWorksHere()) {
            QSKIP("no trash on this system");
        }
        auto* erase = page.findChild<QPushButton*>(QStringLiteral("btnExcluirRegistro"));
        QStringList asked;
        bool agree = false;
        page.confirm = [&](const QString& question) {
            asked << question;
            return agree;
        };
        QTest::mouseClick(erase, Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 2);
        agree = true;
        QTest::mouseClick(erase, Qt::LeftButton);
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.back(),
                 QStringLiteral("Mover o registro 2026-12-01_08-00-00.csv para a lixeira?"));
        QCOMPARE(list->topLevelItemCount(), 1);
        QVERIFY(!map.exists());

        QFile junk(folder + "/notas.csv");
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("compras;pão\r\n");
        junk.close();
        page.openFile(junk.fileName());
        QCOMPARE(rig.dialogs.shown.size(), std::size_t{1});
        QVERIFY(rig.dialogs.shown.front().rfind("E:", 0) == 0);

        // A header and no rows: the plot says so instead of empty axes.
        const QString bare = folder + "/2026-12-03_08-00-00.csv";
        QVERIFY(orvel::test::writeSampleFile(bare, orvel::recording::Recording{}));
        page.openFile(bare);
        QCOMPARE(rig.dialogs.shown.size(), std::size_t{1});
        bool told = false;
        for (const auto* label : page.findChildren<QLabel*>()) {
            told = told || (label->isVisibleTo(&page) && label->text().contains("não tem linhas"));
        }
        QVERIFY(told);
    }

    void abrirPastaSaysSoWhenNoFileManagerTakesTheFolder() {
        WindowRig rig;
        QTemporaryDir bin;
        QFile fake(bin.filePath("xdg-open"));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("#!/bin/sh\nexit 3\n"); // as when no application handles folders
        fake.close();
        fake.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        auto& page = rig.window->recordingsPage();
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("btnAbrirPasta")),
                          Qt::LeftButton);
        qputenv("PATH", path);
        QTRY_COMPARE(rig.dialogs.shown.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(rig.dialogs.shown.front())
                    .contains(QDir::toNativeSeparators(page.folder())));
    }

    void timeAxisHasFewRoundTicksAndClockLabelsOnLongRecordings() {
        const struct {
            double from, to, end;
            const char* title;
            QStringList labels;
        } cases[] = {
            {0,
             36'000,
             36'000,
             "Tempo (h:mm:ss)",
             {"0:00:00", "1:30:00", "3:00:00", "4:30:00", "6:00:00", "7:30:00", "9:00:00"}},
            {1000,
             1030,
             36'000,
             "Tempo (h:mm:ss)",
             {"0:16:40", "0:16:45", "0:16:50", "0:16:55", "0:17:00", "0:17:05", "0:17:10"}},
            {7200.5,
             7201.5,
             36'000,
             "Tempo (h:mm:ss)",
             {"2:00:00,6", "2:00:00,8", "2:00:01,0", "2:00:01,2", "2:00:01,4"}},
            {0, 1200, 1200, "Tempo (m:ss)", {"0:00", "5:00", "10:00", "15:00", "20:00"}},
            {0, 74.8, 74.8, "Tempo (s)", {"0", "10", "20", "30", "40", "50", "60", "70"}},
            {3, 3.5, 74.8, "Tempo (s)", {"3,0", "3,1", "3,2", "3,3", "3,4", "3,5"}},
        };
        for (const auto& c : cases) {
            const auto got = orvel::app::timeTicks(c.from, c.to, c.end);
            QStringList labels;
            for (const auto& tick : got.ticks) {
                labels << tick.second;
            }
            QCOMPARE(got.title, QString::fromUtf8(c.title));
            QCOMPARE(labels, c.labels);
            QVERIFY(labels.size() <= 8);
        }
    }

    void theChannelUnderTheCursorShowsItsScale() {
        WindowRig rig;
        rig.window->show();
        auto& page = rig.window->recordingsPage();
        rig.widget<QTabWidget>("Mapas")->setCurrentWidget(&page);
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        auto drive =
            std::make_shared<const orvel::recording::Recording>(orvel::test::sampleDrive(60));
        page.showRecording(drive, QStringLiteral("teste.csv"));
        auto* channels = page.findChild<QListWidget*>(QStringLiteral("listaCanais"));
        for (int c = 0; c < channels->count(); ++c) {
            channels->item(c)->setCheckState(Qt::Checked);
        }
        page.plot().redraw();
        QApplication::processEvents();
        auto* canvas = page.findChild<orvel::app::ChartCanvas*>(QStringLiteral("grafico"));
        const QRectF area = canvas->chart()->plotArea();
        const auto axes = canvas->chart()->axes(Qt::Vertical);
        QCOMPARE(axes.size(), channels->count());
        const auto yOf = [&](int c, std::size_t row) {
            const auto* axis = static_cast<QValueAxis*>(axes[c]);
            return area.bottom() - (drive->value(c, row) - axis->min()) /
                                       (axis->max() - axis->min()) * area.height();
        };
        int checked = 0;
        for (int c = 0; c < channels->count(); ++c) {
            const double t = 5.0 + c * 2.5;
            const auto row = drive->rowAt(t);
            const double x = area.left() + t / page.plot().to() * area.width();
            bool alone = true; // no other curve within a few pixels there
            for (int other = 0; other < channels->count(); ++other) {
                alone = alone && (other == c || std::abs(yOf(other, row) - yOf(c, row)) > 4);
            }
            if (!alone) {
                continue;
            }
            QTest::mouseMove(canvas->viewport(),
                             QPoint(static_cast<int>(x), static_cast<int>(yOf(c, row))));
            QCOMPARE(canvas->shownScale(), std::size_t(c));
            int visible = 0;
            for (auto* axis : axes) {
                visible += axis->isVisible() ? 1 : 0;
            }
            QCOMPARE(visible, 1);
            QVERIFY(axes[c]->titleText().startsWith(channels->item(c)->text().section(" (", 0, 0)));
            ++checked;
        }
        QVERIFY(checked >= 5);
    }

    void hidingTheSettingsPageStillShowsTheMapsPage() {
        WindowRig rig;
        auto* tabs = rig.widget<QTabWidget>("Mapas");
        QCOMPARE(tabs->currentWidget(), rig.widget("TabSheet2"));
        rig.controls().setTabVisible("TabSheet2", false); // the scanner's start
        QCOMPARE(tabs->currentWidget(), rig.widget("TabSheet1"));
    }

    void plotsTheChosenChannelsAndReplaysThroughTheWindow() {
        WindowRig rig;
        rig.window->show();
        auto& page = rig.window->recordingsPage();
        auto* tabs = rig.widget<QTabWidget>("Mapas");
        tabs->setCurrentWidget(&page);
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        auto drive =
            std::make_shared<const orvel::recording::Recording>(orvel::test::sampleDrive(20));
        page.showRecording(drive, QStringLiteral("teste.csv"));

        auto* view = page.findChild<QChartView*>(QStringLiteral("grafico"));
        QTRY_COMPARE(view->chart()->series().size(), 4); // RPM, Ti, Sonda, TPS
        auto* channels = page.findChild<QListWidget*>(QStringLiteral("listaCanais"));
        channels->item(orvel::recording::col::lambdaMv)->setCheckState(Qt::Unchecked);
        QCOMPARE(view->chart()->series().size(), 3);
        page.plot().zoom(10, 0.5);
        QCOMPARE(page.plot().to() - page.plot().from(), drive->time(drive->rows() - 1) / 2);
        QVERIFY(page.plot().valuesAt(4.1).contains(QStringLiteral("RPM: <b>")));

        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("btnReproduzir")),
                          Qt::LeftButton);
        QCOMPARE(tabs->currentWidget(), rig.widget("TabSheet1"));
        QVERIFY(rig.widget("Gauge1")->isVisible());
        QVERIFY(!rig.widget("btnCarregar")->isEnabled());
        rig.clock.advance(1000);
        const auto row = drive->rowAt(1.0);
        QCOMPARE(rig.widget<QLineEdit>("eTemperatura")->text(),
                 QString::number(drive->value(orvel::recording::col::temperature, row)));
        QCOMPARE(rig.widget<QLineEdit>("eRpm")->text(),
                 QString::number(drive->value(orvel::recording::col::rpm, row)));

        // The maps' page shows the replay in a strip of its own, which pauses it.
        auto* strip = rig.window->findChild<QWidget*>(QStringLiteral("faixaReproducao"));
        QVERIFY(strip->isVisible());
        QVERIFY(rig.window->rect().contains(strip->geometry()));
        auto* pause = strip->findChild<QToolButton*>(QStringLiteral("btnFaixaPausar"));
        QCOMPARE(pause->text(), QStringLiteral("Pausar (F5)"));
        QTest::mouseClick(pause, Qt::LeftButton);
        QVERIFY(!rig.window->form().replay.player.playing());
        QCOMPARE(pause->text(), QStringLiteral("Continuar (F5)"));
        tabs->setCurrentWidget(&page);
        QVERIFY(!strip->isVisible()); // the page has its own bar

        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("btnPararReproducao")),
                          Qt::LeftButton);
        QVERIFY(!rig.widget("Gauge1")->isVisible());
        QVERIFY(rig.widget("btnCarregar")->isEnabled());
        QVERIFY(rig.dialogs.shown.empty());
        QVERIFY(rig.link.writes.empty());
    }
};

QTEST_MAIN(RecordingsPageTest)
#include "recordings_page_test.moc"
