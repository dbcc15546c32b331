// Ports that come and go while the program runs: the list the user opens shows
// a simulated module started after the window, and forgets it once it ends,
// while the port the program holds open stays chosen.
#include "sim_harness.h"

#include "app/drop_down_combo_box.h"

#include <QTest>

#include <algorithm>

namespace orvel::e2e {

class PortHotplug : public QObject {
    Q_OBJECT

private slots:
    void theListFollowsPortsThatAppearAndDisappear() {
        Rig rig;
        rig.openWindow();
        auto* combo =
            qobject_cast<app::DropDownComboBox*>(rig.window->control(QStringLiteral("cbPorta")));
        QVERIFY(combo != nullptr);
        const auto items = [&] { return rig.form().controls.get("cbPorta").items; };
        const auto listed = [&](const std::string& name) {
            const auto now = items();
            return std::find(now.begin(), now.end(), name) != now.end();
        };
        const auto openList = [&] {
            combo->showPopup();
            combo->hidePopup();
        };
        const std::string atStart = rig.text("cbPorta");

        QVERIFY(rig.startSim());
        const std::string first = rig.sim->linkPath;
        QVERIFY(!listed(first));
        openList();
        QCOMPARE(items().front(), first);
        // The port chosen at start is still there; with none, the new one is chosen.
        QCOMPARE(rig.text("cbPorta"), atStart == "!!" ? first : atStart);

        rig.setText("cbPorta", first);
        QVERIFY(rig.click("btnAtivar"));
        SimProcess second(rig.runtime.path());
        QVERIFY(second.start());
        openList();
        QVERIFY(listed(second.linkPath));
        QCOMPARE(items().front(), first); // held open by us, still listed first
        QCOMPARE(rig.text("cbPorta"), first);

        second.stop();
        QVERIFY(!QFileInfo::exists(QString::fromStdString(second.linkPath)));
        openList();
        QVERIFY(!listed(second.linkPath));
        QCOMPARE(rig.text("cbPorta"), first);
        QVERIFY(rig.click("btnDesativar"));
        QVERIFY(rig.dialogs.unexpected.empty());
    }
};

} // namespace orvel::e2e

QTEST_MAIN(orvel::e2e::PortHotplug)
#include "port_hotplug.moc"
