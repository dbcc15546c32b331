// Block editing on the real window: selecting cells with the mouse and keys, the
// cells' menu, the clipboard, and undo and redo keys from an edit field.

#include "window_fixture.h"

#include "app/map_context_menu.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace orvel::test {
namespace {

using app::MapKind;
using editing::CellRect;

struct Rig : WindowRig {
    Rig() {
        window->show();
        widget<QTabWidget>("Mapas")->setCurrentIndex(0);
        (void)QTest::qWaitForWindowExposed(window.get());
        editing().askNumber = [this](const QString&, const QString&) { return answer; };
    }
    [[nodiscard]] app::MapEditing& editing() const { return window->editing(); }
    [[nodiscard]] QLineEdit* cell(const char* name) const { return widget<QLineEdit>(name); }
    [[nodiscard]] std::string text(const char* name) const { return controls().text(name); }
    // Left button pressed on one cell, dragged to another, released.
    void drag(const char* from, const char* to) {
        QLineEdit* a = cell(from);
        QTest::mousePress(a, Qt::LeftButton, {}, a->rect().center());
        const QPoint over = a->mapFrom(window.get(), cell(to)->mapTo(window.get(), QPoint(5, 5)));
        QMouseEvent move(QEvent::MouseMove, over, a->mapToGlobal(over), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(a, &move);
        QTest::mouseRelease(a, Qt::LeftButton, {}, over);
    }
    void trigger(MapKind map, const QString& entry) {
        const auto menu = editing().buildMenu(map);
        for (QAction* a : menu->actions()) {
            if (a->text() == entry) {
                a->trigger();
                return;
            }
        }
        QFAIL(qPrintable("no menu entry " + entry));
    }

    std::optional<QString> answer;
};

} // namespace

class MapEditingTest : public QObject {
    Q_OBJECT

private slots:
    void dragShiftArrowsAndShiftClickSelectRectangles() {
        Rig rig;
        rig.drag("e0", "e10");
        auto& sel = rig.editing().selection(MapKind::Ignition);
        QCOMPARE(sel.rect(), (CellRect{0, 0, 1, 2}));
        QTest::keyClick(rig.cell("e0"), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(sel.rect(), (CellRect{0, 0, 2, 2}));
        QTest::mouseClick(rig.cell("e3"), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(sel.rect(), (CellRect{0, 0, 0, 3}));
        // Choosing on the other map lets go of this one.
        rig.drag("e5i", "e6i");
        QCOMPARE(sel.rect().cellCount(), 1);
        QCOMPARE(rig.editing().selection(MapKind::Injection).rect(), (CellRect{0, 5, 0, 6}));
    }

    void theFrameLeavesAScannerMarkedCellRed() {
        Rig rig;
        rig.controls().setColor("e9", colors::red);
        rig.drag("e0", "e18");
        QTest::qWait(20);
        const QImage shot = rig.window->grab().toImage();
        const qreal ratio = shot.devicePixelRatio();
        auto colourIn = [&](const char* name) {
            return shot.pixelColor(rig.cell(name)->mapTo(rig.window.get(), QPoint(6, 4)) * ratio);
        };
        const QColor marked = colourIn("e9");
        QVERIFY2(marked.red() > 180 && marked.green() < 90, qPrintable(marked.name()));
        const QColor plain = colourIn("e10");
        QVERIFY2(plain.red() < 90 && plain.green() < 90, qPrintable(plain.name()));
    }

    void aRightClickOnTheSelectionOpensTheBlockMenu() {
        Rig rig;
        rig.drag("e0i", "e9i");
        QStringList entries;
        // The menu is modal: read it and close it once it is up.
        QTimer::singleShot(0, [&entries] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            for (QAction* a : menu->actions()) {
                if (!a->isSeparator()) {
                    entries << a->text();
                }
            }
            menu->close();
        });
        QLineEdit* cell = rig.cell("e1i");
        QTest::mousePress(cell, Qt::RightButton, {}, QPoint(5, 5));
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                                  cell->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(cell, &request);
        QTest::mouseRelease(cell, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(rig.editing().selection(MapKind::Injection).rect(), (CellRect{0, 0, 1, 1}));
        const QStringList expected{"Definir valor...",
                                   "Somar...",
                                   "Multiplicar por %...",
                                   "Interpolar",
                                   "Suavizar",
                                   "Copiar",
                                   "Colar",
                                   "Desfazer",
                                   "Refazer"};
        QCOMPARE(entries.mid(0, expected.size()), expected);
    }

    void aBlockOperationIsOneStepThatTheKeysUndoAndRedo() {
        Rig rig;
        rig.drag("e0", "e9");
        rig.answer = QStringLiteral("12");
        rig.trigger(MapKind::Ignition, QStringLiteral("Definir valor..."));
        for (const char* name : {"e0", "e1", "e8", "e9"}) {
            QCOMPARE(rig.text(name), std::string("12"));
        }
        QCOMPARE(rig.cell("e9")->text(), QStringLiteral("12"));
        QTest::keyClick(rig.cell("e0"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(rig.text("e9"), std::string("10"));
        QCOMPARE(rig.cell("e9")->text(), QStringLiteral("10"));
        QTest::keyClick(rig.widget("eLimiteRpm"), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(rig.text("e9"), std::string("12"));
        QTest::keyClick(rig.cell("e0"), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(rig.cell("e0"), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(rig.text("e9"), std::string("12"));
        QStringList undoEntries;
        const auto menu = rig.editing().buildMenu(MapKind::Ignition);
        for (QAction* a : menu->actions()) {
            if (a->text().startsWith(QStringLiteral("Desfazer"))) {
                undoEntries << a->text();
            }
        }
        QCOMPARE(undoEntries, QStringList{QStringLiteral("Desfazer Definir valor")});
        QVERIFY(rig.dialogs.shown.empty());
    }

    void inPercentTheMenusUndoEntriesAreOffAndSayWhy() {
        Rig rig;
        rig.drag("e0", "e9");
        rig.answer = QStringLiteral("12");
        rig.trigger(MapKind::Ignition, QStringLiteral("Definir valor..."));
        QVERIFY(rig.window->form().click("btnAlterarMapas"));
        QVERIFY(rig.window->form().click("btnPercentual"));
        const auto menu = rig.editing().buildMenu(MapKind::Ignition);
        int entries = 0;
        for (QAction* a : menu->actions()) {
            if (a->text().startsWith(QStringLiteral("Desfazer")) ||
                a->text().startsWith(QStringLiteral("Refazer"))) {
                ++entries;
                QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
                QCOMPARE(a->toolTip(), QStringLiteral("Desfazer e Refazer funcionam com o mapa "
                                                      "de injeção em mS. Volte o mapa para mS."));
            }
        }
        QCOMPARE(entries, 2);
        QVERIFY(menu->toolTipsVisible());
    }

    void aResultOutOfRangeOrATextNotANumberChangesNothing() {
        Rig rig;
        rig.drag("e0i", "e71i");
        rig.answer = QStringLiteral("30");
        rig.trigger(MapKind::Injection, QStringLiteral("Somar..."));
        rig.answer = QStringLiteral("dez");
        rig.trigger(MapKind::Injection, QStringLiteral("Multiplicar por %..."));
        rig.answer = QStringLiteral("1e1");
        rig.trigger(MapKind::Injection, QStringLiteral("Definir valor..."));
        QCOMPARE(rig.dialogs.shown.size(), std::size_t{3});
        QVERIFY(rig.dialogs.shown[0].find("a célula de 500 RPM, coluna 1") != std::string::npos);
        QVERIFY(rig.dialogs.shown[1].find("\"dez\" não é um número") != std::string::npos);
        QVERIFY(rig.dialogs.shown[2].find("\"1e1\" não é um número") != std::string::npos);
        QCOMPARE(rig.text("e0i"), std::string("3,5"));
        QVERIFY(!rig.window->form().history.canUndo());
    }

    void copyGivesSpreadsheetTextAndPasteTakesItBack() {
        Rig rig;
        rig.drag("e0i", "e9i");
        QTest::keyClick(rig.cell("e0i"), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("3,5\t5,2\n3,1\t4,3\n"));

        QGuiApplication::clipboard()->setText(QStringLiteral("1.5\t2,5\r\n"));
        QTest::mouseClick(rig.cell("e70i"), Qt::LeftButton);
        QTest::keyClick(rig.cell("e70i"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(rig.text("e70i"), std::string("1,5"));
        QCOMPARE(rig.text("e71i"), std::string("2,5"));

        QTest::mouseClick(rig.cell("e71i"), Qt::LeftButton);
        rig.trigger(MapKind::Injection, QStringLiteral("Colar"));
        QGuiApplication::clipboard()->setText(QStringLiteral("1\tum"));
        rig.trigger(MapKind::Injection, QStringLiteral("Colar"));
        QCOMPARE(rig.dialogs.shown.size(), std::size_t{2});
        QVERIFY(rig.dialogs.shown[0].find("não cabe") != std::string::npos);
        QVERIFY(rig.dialogs.shown[1].find("\"um\"") != std::string::npos);
        QCOMPARE(rig.text("e71i"), std::string("2,5"));
    }

    // With ORVEL_SCREENSHOT_DIR set (scripts/screenshots.sh) the selection with its
    // open menu is saved there as selecao.png.
    void theMenuOpensBesideTheSelection() {
        Rig rig;
        rig.controls().setColor("e27i", colors::red);
        rig.drag("e18i", "e45i");
        rig.answer = QStringLiteral("0,5");
        rig.trigger(MapKind::Injection, QStringLiteral("Somar..."));
        const auto menu = rig.editing().buildMenu(MapKind::Injection);
        menu->popup(rig.cell("e45i")->mapToGlobal(QPoint(30, -20)));
        QVERIFY(QTest::qWaitForWindowExposed(menu.get()));
        QTest::qWait(100);
        const QByteArray folder = qgetenv("ORVEL_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            const QRect area = rig.window->frameGeometry().united(menu->geometry());
            const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
                0, area.x(), area.y(), area.width(), area.height());
            QVERIFY(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath("selecao.png")));
        }
        menu->close();
    }
};

} // namespace orvel::test

QTEST_MAIN(orvel::test::MapEditingTest)
#include "map_editing_test.moc"
