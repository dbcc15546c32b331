// The map cells' style draws each cell exactly as the application's style does,
// whatever the cell's colours and state, though it copies frames it drew before.

#include "app/cell_panel_style.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

class CellPanelStyleTest : public QObject {
    Q_OBJECT

private slots:
    void cellsLookAsTheApplicationStyleDrawsThem() {
        orvel::app::CellPanelStyle style;
        QWidget window;
        QLineEdit plain(&window);
        QLineEdit cell(&window);
        QLineEdit elsewhere(&window); // holds the focus while the two are compared
        cell.setStyle(&style);
        QApplication::setCursorFlashTime(0); // a steady cursor in the focused ones
        plain.setGeometry(0, 0, 40, 21);
        cell.setGeometry(50, 0, 40, 21);
        elsewhere.setGeometry(100, 0, 40, 21);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const struct {
            const char* look;
            QColor base;
            QColor text;
            bool enabled;
        } looks[] = {
            {"black and yellow", Qt::black, Qt::yellow, true},
            {"the scanner's red", Qt::red, Qt::white, true},
            {"black again (drawn before)", Qt::black, Qt::yellow, true},
            {"disabled", Qt::black, Qt::yellow, false},
        };
        for (const auto& l : looks) {
            for (QLineEdit* edit : {&plain, &cell}) {
                QPalette palette = edit->palette();
                palette.setColor(QPalette::Base, l.base);
                palette.setColor(QPalette::Text, l.text);
                edit->setPalette(palette);
                edit->setEnabled(l.enabled);
                edit->setText(QStringLiteral("12,5"));
            }
            elsewhere.setFocus();
            QVERIFY2(cell.grab().toImage() == plain.grab().toImage(), l.look);
            // Focused, the frame is highlighted: a look of its own, not the copy.
            plain.setFocus(Qt::TabFocusReason);
            const QImage focused = plain.grab().toImage();
            cell.setFocus(Qt::TabFocusReason);
            QVERIFY2(cell.grab().toImage() == focused, l.look);
        }
    }
};

QTEST_MAIN(CellPanelStyleTest)
#include "cell_panel_style_test.moc"
