// The window's style at 150 %: a field of odd size ends half-way through a
// device pixel, and its frame must still close on every side.
#include "app/system_style.h"

#include <QApplication>
#include <QLineEdit>
#include <QStyle>
#include <QTest>

#include <memory>

class SystemStyleTest : public QObject {
    Q_OBJECT

private slots:
    void aFieldKeepsItsWholeFrameAtOneAndAHalf() {
        const std::unique_ptr<QStyle> style(
            orvel::app::createSystemStyle(QStringLiteral("windowsvista")));
        if (!style) {
            QSKIP("only the Windows style needs mending");
        }
        QWidget window;
        window.setStyle(style.get());
        window.setFixedSize(200, 60);
        auto* field = new QLineEdit(QStringLiteral("6000"), &window);
        field->setStyle(style.get());
        field->setGeometry(11, 13, 108, 23);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage image = window.grab().toImage();
        QCOMPARE(image.devicePixelRatio(), 1.5);
        const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 200; };
        // Device pixels: the field spans 16,5..178,5 across and 19,5..54 down.
        const auto across = [&](int y) { return dark(90, y) || dark(90, y + 1); };
        const auto down = [&](int x) { return dark(x, 36) || dark(x + 1, 36); };
        QVERIFY2(across(19), "top");
        QVERIFY2(across(52), "bottom");
        QVERIFY2(down(16), "left");
        QVERIFY2(down(177), "right");
    }
};

int main(int argc, char* argv[]) {
    qputenv("QT_SCALE_FACTOR", "1.5"); // a laptop's 150 %
    QApplication app(argc, argv);
    SystemStyleTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "system_style_test.moc"
