// The Qt platform seams: timer semantics on QTimer, the file dialogs' filters and
// the JPEG decoder.

#include "app/jpeg_image.h"
#include "app/qt_platform.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using orvel::app::decodeJpeg;
using orvel::app::QtTimerFactory;

namespace {

struct TickLog {
    explicit TickLog(orvel::Timer& timer) {
        clock.start();
        timer.onTimer = [this] { ticks.push_back(clock.elapsed()); };
    }
    QElapsedTimer clock;
    std::vector<qint64> ticks;
};

QByteArray logoBytes() {
    QFile file(QStringLiteral(":/logo.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void timersStartStoppedWithAOneSecondInterval() {
        QtTimerFactory factory;
        auto timer = factory.createTimer("Timer1");
        QVERIFY(!timer->enabled());
        QCOMPARE(timer->interval(), 1000);
    }

    void enablingARunningTimerDoesNotRestartIt() {
        QtTimerFactory factory;
        auto timer = factory.createTimer("Timer1");
        TickLog log(*timer);
        timer->setInterval(600);
        timer->setEnabled(true);
        QTest::qWait(300);
        timer->setEnabled(true);
        timer->setInterval(600);
        QTRY_VERIFY_WITH_TIMEOUT(!log.ticks.empty(), 2000);
        // A restart at 300 ms would have put the first tick at 900 ms or later.
        QVERIFY2(log.ticks.front() < 880, qPrintable(QString::number(log.ticks.front())));
    }

    void changingTheIntervalOfARunningTimerRestartsIt() {
        QtTimerFactory factory;
        auto timer = factory.createTimer("Timer1");
        TickLog log(*timer);
        timer->setInterval(600);
        timer->setEnabled(true);
        QTest::qWait(300);
        timer->setInterval(500);
        QTRY_VERIFY_WITH_TIMEOUT(!log.ticks.empty(), 2000);
        QVERIFY2(log.ticks.front() >= 790, qPrintable(QString::number(log.ticks.front())));
    }

    void aTimerWithIntervalZeroNeverFires() {
        QtTimerFactory factory;
        auto timer = factory.createTimer("Timer2");
        TickLog log(*timer);
        timer->setInterval(0);
        timer->setEnabled(true);
        QTest::qWait(100);
        QVERIFY(log.ticks.empty());
        QVERIFY(timer->enabled());
        timer->setInterval(20);
        QTRY_VERIFY_WITH_TIMEOUT(!log.ticks.empty(), 1000);
    }

    void aDisabledTimerStopsFiring() {
        QtTimerFactory factory;
        auto timer = factory.createTimer("Timer2");
        TickLog log(*timer);
        timer->setInterval(10);
        timer->setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(log.ticks.size() >= 2, 1000);
        timer->setEnabled(false);
        const auto count = log.ticks.size();
        QTest::qWait(60);
        QCOMPARE(log.ticks.size(), count);
    }

    void aTimerMayStopItselfFromItsTick() {
        QtTimerFactory factory;
        auto timer = factory.createTimer("Timer1");
        int ticks = 0;
        timer->onTimer = [&] {
            ++ticks;
            timer->setEnabled(false);
        };
        timer->setInterval(10);
        timer->setEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(ticks, 1, 1000);
        QTest::qWait(50);
        QCOMPARE(ticks, 1);
    }

    void fileFiltersBecomeQtNameFilters() {
#ifdef Q_OS_WIN
        const QString everyFile = QStringLiteral("Todos os arquivos (*.*)");
#else
        const QString everyFile = QStringLiteral("Todos os arquivos (*)");
#endif
        QCOMPARE(
            orvel::app::nameFilters("Arquivos Compatíveis (.txt)|*.txt|Todos os arquivos|*.*"),
            (QStringList{QString::fromUtf8("Arquivos Compatíveis (.txt) (*.txt)"), everyFile}));
        QCOMPARE(orvel::app::nameFilters("Mapas|*.txt;*.map"),
                 QStringList{QStringLiteral("Mapas (*.txt *.map)")});
        // A description without its pattern is dropped rather than shown broken.
        QCOMPARE(orvel::app::nameFilters("Mapas|*.txt|Resto"),
                 QStringList{QStringLiteral("Mapas (*.txt)")});
        QVERIFY(orvel::app::nameFilters("").isEmpty());
    }

    void defaultExtensionLosesItsWildcard() {
        QCOMPARE(orvel::app::defaultSuffix("*.txt"), QStringLiteral("txt"));
        QCOMPARE(orvel::app::defaultSuffix(".txt"), QStringLiteral("txt"));
        QCOMPARE(orvel::app::defaultSuffix("txt"), QStringLiteral("txt"));
    }

    void theLogoDecodesToItsSize() {
        const QImage logo = decodeJpeg(logoBytes());
        QCOMPARE(logo.size(), QSize(276, 104));
        // Qt's own reader, where present, sees the same picture.
        const QImage reference = QImage::fromData(logoBytes(), "JPG");
        if (!reference.isNull()) {
            const QColor a = logo.pixelColor(138, 52);
            const QColor b = reference.pixelColor(138, 52);
            QVERIFY(std::abs(a.red() - b.red()) < 8 && std::abs(a.blue() - b.blue()) < 8);
        }
    }

    void dataThatIsNotAJpegGivesNoImage_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("not a picture at all");
        QTest::newRow("header only") << logoBytes().left(20);
        QByteArray png;
        QFile icon(QStringLiteral(":/icon-48.png"));
        if (icon.open(QIODevice::ReadOnly)) {
            png = icon.readAll();
        }
        QTest::newRow("png") << png;
    }

    void dataThatIsNotAJpegGivesNoImage() {
        QFETCH(QByteArray, data);
        QVERIFY(decodeJpeg(data).isNull());
    }

    void aJpegCutShortStillDecodesWhatItHas() {
        const QImage image = decodeJpeg(logoBytes().left(logoBytes().size() / 2));
        QCOMPARE(image.size(), QSize(276, 104));
    }
};

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
