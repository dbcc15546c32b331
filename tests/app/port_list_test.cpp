// The port list as the user opens it: ports of now, a drop-down wide enough for
// a long path, and tool tips with the whole path and the adapter's description.

#include "window_fixture.h"

#include "app/drop_down_combo_box.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

using orvel::test::WindowRig;

class PortListTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir runtime_;
    QString ports_;

    // A port file in the folder the program lists first, as a simulator publishes it.
    std::string plugIn(WindowRig& rig, const QString& name, const std::string& description) {
        QFile file(ports_ + QLatin1Char('/') + name);
        file.open(QIODevice::WriteOnly);
        const std::string path = file.fileName().toStdString();
        rig.link.openable.insert(path);
        rig.link.descriptions[path] = description;
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
        ports_ = runtime_.filePath(QStringLiteral("orvel-ports"));
        QVERIFY(QDir().mkpath(ports_));
    }

#ifdef Q_OS_WIN
    // Windows lists the COM ports that open, and names each by its adapter as
    // the Device Manager does.
    void theDropDownShowsTheComPortsThatOpenAndTheirAdapters() {
        WindowRig rig;
        auto* combo = rig.widget<orvel::app::DropDownComboBox>("cbPorta");
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        rig.link.openable = {"COM5"};
        rig.link.descriptions["COM5"] = "USB-SERIAL CH340";
        combo->showPopup();
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentText(), QStringLiteral("COM5"));
        QCOMPARE(combo->itemData(0, Qt::ToolTipRole).toString(),
                 QStringLiteral("USB-SERIAL CH340 (COM5)"));
        combo->hidePopup();
        rig.link.openable.clear();
        combo->showPopup();
        QCOMPARE(combo->count(), 0);
        QCOMPARE(rig.controls().text("cbPorta"), std::string("!!"));
        combo->hidePopup();
    }
#else
    void theDropDownShowsThePortsOfNowWholeAndDescribed() {
        WindowRig rig;
        auto* combo = rig.widget<orvel::app::DropDownComboBox>("cbPorta");
        QVERIFY(combo != nullptr);
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        const QRect place = combo->geometry();
        QCOMPARE(combo->currentText(), QStringLiteral("!!"));

        const std::string path =
            plugIn(rig, QStringLiteral("module-on-the-long-bench-cable0"), "FT232R USB UART");
        combo->showPopup();
        const QString shown = QString::fromStdString(path);
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentText(), shown);
        QCOMPARE(rig.controls().text("cbPorta"), path);
        QVERIFY(combo->view()->width() > combo->fontMetrics().horizontalAdvance(shown));
        QCOMPARE(combo->geometry(), place);
        const QString tip = shown + QStringLiteral("\nFT232R USB UART");
        QCOMPARE(combo->itemData(0, Qt::ToolTipRole).toString(), tip);
        combo->hidePopup();
        QCOMPARE(combo->lineEdit()->cursorPosition(), 0); // the path's start shows

        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), combo->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(combo, &help);
        QCOMPARE(QToolTip::text(), tip);

        QFile::remove(shown);
        combo->showPopup();
        QCOMPARE(combo->count(), 0);
        QCOMPARE(rig.controls().text("cbPorta"), std::string("!!"));
        combo->hidePopup();
    }
#endif
};

QTEST_MAIN(PortListTest)
#include "port_list_test.moc"
