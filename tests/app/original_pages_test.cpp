// The two original pages against what the newer parts of the window bring: text
// entering a guarded list by any way, the replay's keys, the Tab chain and a
// screen too small for the window.

#include "window_fixture.h"

#include "app/recordings_page.h"
#include "app/screen_fit.h"
#include "sample_drive.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>

using orvel::app::fitOnScreen;
using orvel::test::WindowRig;

namespace {

constexpr char kPickAnItem[] = "M: Atenção ! !  Selecione um dos Valores.  ";

} // namespace

class OriginalPagesTest : public QObject {
    Q_OBJECT

private slots:
    void textPastedOrDroppedIntoAGuardedListIsRefusedLikeTyping() {
        // The middle click, a drop and the edit's menu all insert through the edit.
        const std::vector<std::function<void(QLineEdit*)>> ways = {
            [](QLineEdit* edit) { edit->insert(QStringLiteral("46000")); },
            [](QLineEdit* edit) {
                QApplication::clipboard()->setText(QStringLiteral("6000"));
                edit->paste();
            },
            [](QLineEdit* edit) { QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier); },
        };
        for (const char* name : {"cbCilindros", "cbTipoDistribuidor", "cbCombinacaoMapa"}) {
            for (const auto& enter : ways) {
                WindowRig rig;
                auto* combo = rig.widget<QComboBox>(name);
                const std::string before = rig.controls().text(name);
                QApplication::clipboard()->setText(QStringLiteral("6000"));
                enter(combo->lineEdit());
                QCoreApplication::processEvents();
                QCOMPARE(rig.controls().text(name), before);
                QCOMPARE(combo->currentText().toStdString(), before);
                QCOMPARE(rig.dialogs.shown, std::vector<std::string>{kPickAnItem});
            }
        }
        WindowRig rig; // an unguarded list takes pasted text
        rig.widget<QComboBox>("cbSondaTipo")->lineEdit()->insert(QStringLiteral("x"));
        QVERIFY(rig.dialogs.shown.empty());
    }

    void theReplayKeysLeaveTheOriginalPagesAlone() {
        WindowRig rig;
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        auto& page = rig.window->recordingsPage();
        page.showRecording(
            std::make_shared<const orvel::recording::Recording>(orvel::test::sampleDrive(20)),
            QStringLiteral("teste.csv"));
        auto* tabs = rig.widget<QTabWidget>("Mapas");
        auto* field = rig.widget("eAvancoPartida");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_F5);
        QVERIFY(!rig.window->form().replay.active());
        QCOMPARE(tabs->currentWidget(), rig.widget("TabSheet2"));

        tabs->setCurrentWidget(&page);
        QTest::keyClick(rig.window.get(), Qt::Key_F5);
        QVERIFY(rig.window->form().replay.active());
        // Running, the replay answers its keys on the maps' page too.
        QCOMPARE(tabs->currentWidget(), rig.widget("TabSheet1"));
        QTest::keyClick(rig.window.get(), Qt::Key_F5, Qt::ShiftModifier);
        QVERIFY(!rig.window->form().replay.active());
    }

    void noTabStopIsOutOfSight() {
        WindowRig rig;
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        rig.widget("eAvancoPartida")->setFocus();
        for (int i = 0; i < 200; ++i) {
            QWidget* focused = QApplication::focusWidget();
            QVERIFY(focused != nullptr);
            QVERIFY2(focused->isVisible() && !focused->visibleRegion().isEmpty(),
                     qPrintable(QString::fromLatin1(focused->metaObject()->className()) +
                                QLatin1Char(' ') + focused->objectName() + QLatin1Char(' ') +
                                (focused->parentWidget() ? focused->parentWidget()->objectName()
                                                         : QString())));
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(rig.widget("ListBox1")->focusPolicy(), Qt::NoFocus);
    }

    void theWindowFitsTheWorkAreaOfASmallScreen() {
        // Work areas of 1280 x 720 logical pixels (150 % of 1920 x 1080) less a task
        // bar of 48; a title bar of 31.
        const QMargins frame(1, 31, 1, 1);
        struct Case {
            QRect workArea;
            bool scrolls;
        };
        for (const Case& c : {Case{{0, 0, 1280, 672}, true}, Case{{0, 0, 1366, 728}, false},
                              Case{{0, 0, 1024, 560}, true}, Case{{0, 48, 1920, 1032}, false}}) {
            const auto fit = fitOnScreen({972, 670}, c.workArea, frame, 16);
            QCOMPARE(fit.scrolls, c.scrolls);
            QVERIFY(c.workArea.contains(fit.client.marginsAdded(frame)));
            if (!c.scrolls) {
                QCOMPARE(fit.client.size(), QSize(972, 670));
            }
        }

        WindowRig rig;
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        const QRect workArea(0, 0, 1280, 672);
        rig.window->fitInto(workArea, frame);
        QVERIFY(rig.window->height() <= workArea.height() - frame.top() - frame.bottom());
        // The content keeps its size and places; the bottom row scrolls into sight.
        QCOMPARE(rig.widget("Form1")->size(), QSize(972, 670));
        auto* scroll = rig.window->findChild<QScrollArea*>();
        QWidget* send = rig.widget("Button1");
        scroll->ensureWidgetVisible(send);
        const QPoint atWindow = send->mapTo(rig.window.get(), QPoint(0, send->height()));
        QVERIFY(rig.window->rect().contains(atWindow - QPoint(0, 1)));
    }
};

QTEST_MAIN(OriginalPagesTest)
#include "original_pages_test.moc"
