// The correction window over the real main window: the grid shows the proposal,
// clicks exclude cells, "Aplicar" writes the map only when it may.

#include "window_fixture.h"

#include "app/correction_view.h"
#include "app/correction_window.h"
#include "model/config.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

namespace orvel::test {
namespace {

namespace col = recording::col;

// Thirty seconds cruising in cell 27 with the trims at +6 and +4, then thirty in
// cell 28 at -5 and -3.
analysis::Input cruise(const ControlStore& store) {
    analysis::Input input;
    input.name = "2026-12-08_10-00-00.csv";
    input.map = analysis::contextFromStore(store);
    for (int i = 0; i < 300; ++i) {
        const bool first = i < 150;
        std::array<double, recording::kValueColumns.size()> v{};
        v[col::rpm] = 2700;
        v[col::ti] = 3.5;
        v[col::temperature] = 90;
        v[col::shortTrim] = first ? 6 : -5;
        v[col::longTrim] = first ? 4 : -3;
        v[col::lambdaMv] = 700;
        v[col::tpsVolts] = first ? 2 : 2.4;
        v[col::rpmPosition] = 18;
        v[col::loadPosition] = first ? 18 : 24;
        input.recording.append(i * 0.2, v, {});
    }
    return input;
}

QString cellText(QTableWidget* grid, int cell) {
    return grid->item(cell / 8, cell % 8)->text();
}

} // namespace

class CorrectionWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theGridShowsTheProposalAndAplicarWritesTheIncludedCells() {
        WindowRig rig;
        rig.controls().setText("e27i", "5,0");
        rig.controls().setText("e28i", "5,0");
        app::CorrectionWindow view(*rig.window, {cruise(rig.controls())});
        QVERIFY(view.analyse().isEmpty());
        view.show();

        QCOMPARE(cellText(view.proposalGrid(), 27), QStringLiteral("5,5\n+10,0 %"));
        QCOMPARE(cellText(view.proposalGrid(), 28), QStringLiteral("4,6\n-8,0 %"));
        QCOMPARE(cellText(view.currentGrid(), 27), QStringLiteral("5,0"));
        QVERIFY(view.proposalGrid()->item(3, 3)->toolTip().startsWith("Leituras: 140,0"));
        QVERIFY(view.filterText().contains("Leituras: 300, aproveitadas: 280"));
        QCOMPARE(cellText(view.proposalGrid(), 0), QString()); // no sets there

        // Nothing changes in the map until "Aplicar"; not while the scanner runs.
        QCOMPARE(rig.controls().text("e27i"), std::string("5,0"));
        rig.window->form().state.scannerActive = true;
        QVERIFY(!view.apply());
        QVERIFY(view.status().contains("scanner"));
        rig.window->form().state.scannerActive = false;

        // A click excludes cell 28; Aplicar writes only 27.
        const QRect cell28 = view.proposalGrid()->visualItemRect(view.proposalGrid()->item(3, 4));
        QTest::mouseClick(view.proposalGrid()->viewport(), Qt::LeftButton, {}, cell28.center());
        QVERIFY(cellText(view.proposalGrid(), 28).endsWith("excluída"));
        QVERIFY(view.apply());
        QCOMPARE(rig.controls().text("e27i"), std::string("5,5"));
        QCOMPARE(rig.controls().text("e28i"), std::string("5,0"));
        QCOMPARE(rig.widget<QLineEdit>("e27i")->text(), QStringLiteral("5,5"));
        // The recording now ran with another map than the window's: shown, and
        // nothing left to change in 27.
        QVERIFY(view.proposal()->mapsDiffer);
        QCOMPARE(cellText(view.proposalGrid(), 27), QStringLiteral("5,5\n0,0 %"));
    }

    void badInputGivesAMessageAndNoWindow() {
        WindowRig rig;
        QTemporaryDir dir;
        const std::string path = dir.filePath("2026-12-08_10-00-00.csv").toStdString();
        std::ofstream(path) << "\xEF\xBB\xBFTempo (s);RPM;Ti (ms);Sonda (mV);Temperatura "
                               "(°C);% Curto;TPS (V);Quadros\r\n";
        app::openCorrectionWindow(rig.window.get(), *rig.window, {path});
        QCOMPARE(rig.dialogs.shown.size(), std::size_t(1));
        QVERIFY(rig.dialogs.shown[0].find("\"% Longo\"") != std::string::npos);
        QVERIFY(rig.window->findChild<app::CorrectionWindow*>() == nullptr);

        // Another cylinder count than the window's map: no proposal.
        analysis::Input six = cruise(rig.controls());
        six.map.cylinders = 6;
        app::CorrectionWindow view(*rig.window, {six});
        QVERIFY(view.analyse().contains("6 cilindros"));
        QVERIFY(!view.apply());
    }
};

} // namespace orvel::test

QTEST_MAIN(orvel::test::CorrectionWindowTest)
#include "correction_window_test.moc"
