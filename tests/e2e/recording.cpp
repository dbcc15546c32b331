// A scanner session against the simulated module is recorded as it runs, and
// the recording reads back with what the window showed.
#include "sim_harness.h"

#include "recording/reader.h"
#include "recording/recorder.h"

#include <QDir>
#include <QTest>

namespace orvel::e2e {

class RecordingE2e : public QObject {
    Q_OBJECT

private slots:
    void aScannerSessionIsRecordedAndReadsBack() {
        Rig rig;
        QVERIFY(rig.startSim({QStringLiteral("--coolant"), QStringLiteral("95")}));
        rig.openWindow();
        QVERIFY(rig.click("btnAtivar"));
        QVERIFY(rig.read());
        const std::string map = mapfile::encodeLine(mapfile::collect(
            rig.form().controls, rig.form().state.tpsClosedValue, rig.form().state.tpsOpenValue));

        QVERIFY(rig.click("Button3"));
        QVERIFY(waitUntil([&] { return rig.text("eTemperatura").starts_with("9"); }, 2000));
        QTest::qWait(100); // and its frame 31
        QVERIFY(rig.sim->control("coolant 70"));
        QVERIFY(waitUntil([&] { return rig.text("eTemperatura") == "70"; }, 3000));
        QTest::qWait(1500); // a few sets more at 5 a second
        QVERIFY(rig.click("Button3"));
        rig.form().recorder.drain();

        const QDir folder(rig.dataHome.filePath(QStringLiteral("orvel/registros")));
        const auto recordings = folder.entryList({QStringLiteral("*.csv")}, QDir::Files);
        const auto maps = folder.entryList({QStringLiteral("*-mapa.txt")}, QDir::Files);
        QCOMPARE(recordings.size(), 1);
        QCOMPARE(maps.size(), 1);
        QCOMPARE(maps[0], recordings[0].chopped(4) + QStringLiteral("-mapa.txt"));
        QFile mapFile(folder.filePath(maps[0]));
        QVERIFY(mapFile.open(QIODevice::ReadOnly));
        QCOMPARE(mapFile.readAll().toStdString(), map);

        const auto read =
            recording::readRecordingFile(folder.filePath(recordings[0]).toStdString());
        const auto& r = read.recording;
        QVERIFY(!read.lastLineCut);
        QVERIFY2(r.rows() >= 5, std::to_string(r.rows()).c_str());
        const int cylinders = rig.form().state.cylinderCount;
        for (std::size_t row = 0; row < r.rows(); ++row) {
            const auto frames = r.frames(row);
            QCOMPARE(frames[0].id, 29);
            QCOMPARE(frames[2].id, 31);
            QVERIFY(recording::decodeSet(frames, cylinders) == r.row(row).values);
            QVERIFY(row == 0 || r.timeMs(row) >= r.timeMs(row - 1));
        }
        using recording::col::rpm;
        using recording::col::temperature;
        QVERIFY2(r.value(temperature, 0) >= 94, std::to_string(r.value(temperature, 0)).c_str());
        QCOMPARE(r.value(temperature, r.rows() - 1), 70.0);
        QVERIFY(r.value(rpm, r.rows() - 1) > 800 && r.value(rpm, r.rows() - 1) < 6100);
        QVERIFY(rig.dialogs.unexpected.empty());
    }
};

} // namespace orvel::e2e

QTEST_MAIN(orvel::e2e::RecordingE2e)
#include "recording.moc"
