// The buttons and wait panels of the real window through a port's life, a download,
// an upload and the scanner: the widgets, not only the store, must follow.

#include "window_fixture.h"

#include "link/frames.h"

#include <QTabWidget>
#include <QTest>

namespace orvel::test {
namespace {

constexpr const char* kTransferButtons[] = {"btnLerDados", "Button6", "btnEnvia", "Button8"};
constexpr const char* kFileButtons[] = {"btnSalvar", "Button1", "btnCarregar", "Button2"};

struct Rig : WindowRig {
    Rig() : WindowRig({"COM7"}) {
        controls().setText("cbPorta", "COM7");
        QTest::mouseClick(widget("btnAtivar"), Qt::LeftButton);
    }
    void frame(std::uint8_t id, std::array<std::uint8_t, 8> data = {}) {
        const auto bytes = frames::encodeFrame({id, data});
        link.onReceived(bytes);
    }
    [[nodiscard]] bool enabled(const char* name) const { return widget(name)->isEnabled(); }
    [[nodiscard]] bool shown(const char* name) const { return !widget(name)->isHidden(); }
};

void expectAll(const Rig& rig, std::initializer_list<const char*> names, bool enabled) {
    for (const char* name : names) {
        QVERIFY2(rig.enabled(name) == enabled, name);
    }
}

} // namespace

class TransferStatesTest : public QObject {
    Q_OBJECT

private slots:
    void portOpenedThenClosed() {
        Rig rig;
        expectAll(rig, {"btnDesativar", "Button3", "btnLerDados", "Button6", "btnEnvia", "Button8"},
                  true);
        expectAll(rig, {"btnAtivar"}, false);
        QTest::mouseClick(rig.widget("btnDesativar"), Qt::LeftButton);
        expectAll(rig,
                  {"btnDesativar", "Button3", "btnLerDados", "Button6", "btnEnvia", "Button8",
                   "btnConfigurarTps"},
                  false);
        expectAll(
            rig, {"btnAtivar", "btnSalvar", "Button1", "btnCarregar", "Button2", "btnAlterarMapas"},
            true);
    }

    void downloadLocksTheWindowFromFirstToLastFrame() {
        Rig rig;
        QTest::mouseClick(rig.widget("btnLerDados"), Qt::LeftButton);
        QVERIFY(rig.shown("Panel1"));
        QVERIFY(rig.enabled("btnEnvia")); // requested: still usable until frame 1
        rig.frame(1);
        QVERIFY(rig.shown("pnAguarde"));
        expectAll(rig,
                  {"btnSalvar", "Button1", "btnCarregar", "Button2", "btnEnvia", "Button8",
                   "btnLerDados", "Button6", "Button3", "btnAlterarMapas", "btnConfigurarTps",
                   "btnDesativar", "btnAtivar"},
                  false);
        for (std::uint8_t id = 2; id <= 26; ++id) {
            rig.frame(id);
        }
        QVERIFY(!rig.shown("Panel1"));
        QVERIFY(!rig.shown("pnAguarde"));
        expectAll(rig,
                  {"btnConfigurarTps", "btnDesativar", "btnSalvar", "Button1", "btnCarregar",
                   "Button2", "btnEnvia", "Button8", "btnLerDados", "Button6", "Button3",
                   "btnAlterarMapas"},
                  true);
        expectAll(rig, {"btnAtivar"}, false);
    }

    void uploadLocksTheWindowUntilItsLastTick() {
        Rig rig;
        QTest::mouseClick(rig.widget("Button8"), Qt::LeftButton);
        QVERIFY(rig.shown("Panel1") && rig.shown("pnAguarde"));
        for (const char* name : kTransferButtons) {
            QVERIFY2(!rig.enabled(name), name);
        }
        for (const char* name : kFileButtons) {
            QVERIFY2(!rig.enabled(name), name);
        }
        expectAll(rig, {"Button3", "btnDesativar", "btnAlterarMapas", "btnConfigurarTps"}, false);
        rig.clock.advance(1701);
        QVERIFY(!rig.shown("Panel1") && !rig.shown("pnAguarde"));
        expectAll(rig,
                  {"btnLerDados", "Button6", "btnEnvia", "Button8", "Button3", "btnDesativar",
                   "btnAlterarMapas", "btnCarregar", "Button2", "btnSalvar", "Button1",
                   "btnConfigurarTps"},
                  true);
        const auto end = frames::encodeCommand(frames::Command::UploadEnd);
        QCOMPARE(rig.link.writes.back(), std::vector<std::uint8_t>(end.begin(), end.end()));
    }

    void scannerHidesTheSettingsTabAndLocksTransfers() {
        Rig rig;
        auto* tabs = rig.widget<QTabWidget>("Mapas");
        QTest::mouseClick(rig.widget("Button3"), Qt::LeftButton);
        QVERIFY(!tabs->isTabVisible(1));
        QVERIFY(!rig.shown("GroupBox3"));
        QVERIFY(rig.shown("Gauge1") && rig.shown("Gauge7"));
        expectAll(rig,
                  {"btnLerDados", "Button6", "btnEnvia", "Button8", "btnSalvar", "Button1",
                   "btnCarregar", "Button2", "btnAlterarMapas", "btnDesativar", "btnConfigurarTps"},
                  false);
        QTest::mouseClick(rig.widget("Button3"), Qt::LeftButton);
        QVERIFY(tabs->isTabVisible(1));
        QVERIFY(rig.shown("GroupBox3"));
        QVERIFY(!rig.shown("Gauge1"));
        expectAll(rig,
                  {"btnLerDados", "Button6", "btnEnvia", "Button8", "btnSalvar", "Button1",
                   "btnCarregar", "Button2", "btnAlterarMapas", "btnDesativar"},
                  true);
        expectAll(rig, {"btnConfigurarTps"}, false);
    }
};

} // namespace orvel::test

QTEST_MAIN(orvel::test::TransferStatesTest)
#include "transfer_states_test.moc"
