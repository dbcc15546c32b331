// The real window: one widget per control, captions and states as the store
// holds them, and the two kept in step both ways.

#include "window_fixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using orvel::ControlKind;
using orvel::test::WindowRig;

namespace {

const char* qtClassOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Form: // the window's content, inside the window
    case ControlKind::TabSheet:
        return "QWidget";
    case ControlKind::PageControl:
        return "QTabWidget";
    case ControlKind::GroupBox:
        return "QGroupBox";
    case ControlKind::Panel:
    case ControlKind::Label:
    case ControlKind::StaticText:
    case ControlKind::Image:
        return "QLabel";
    case ControlKind::Edit:
        return "QLineEdit";
    case ControlKind::ComboBox:
        return "QComboBox";
    case ControlKind::Button:
        return "QPushButton";
    case ControlKind::ProgressBar:
    case ControlKind::Gauge:
        return "QProgressBar";
    case ControlKind::ListBox:
        return "QListWidget";
    }
    return "";
}

// What the user sees of a control: its caption, title or text.
QString shownText(QWidget* w) {
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return edit->text();
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        return combo->currentText();
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        return button->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        return group->title();
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return label->text();
    }
    return {};
}

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlIsAWidgetOfItsKindNamedAfterIt() {
        WindowRig rig;
        const auto& controls = rig.controls();
        QVERIFY(controls.names().size() > 400);
        for (const auto& name : controls.names()) {
            QWidget* w = rig.window->control(QString::fromStdString(name));
            QVERIFY2(w != nullptr, name.c_str());
            QCOMPARE(w->objectName(), QString::fromStdString(name));
            // Lists are a subclass that refreshes its items before the drop-down opens.
            QVERIFY2(w->inherits(qtClassOf(controls.get(name).kind)), name.c_str());
        }
    }

    void everyControlHasItsPlaceInTheLayout() {
        WindowRig rig;
        const orvel::app::LayoutTable layout;
        for (const auto& name : rig.controls().names()) {
            QVERIFY2(layout.find(name) != nullptr, name.c_str());
        }
    }

    void widgetsSitInsideTheirParentControls() {
        WindowRig rig;
        const auto& controls = rig.controls();
        for (const auto& name : controls.names()) {
            const auto& state = controls.get(name);
            if (state.parent.empty()) {
                continue;
            }
            QWidget* w = rig.window->control(QString::fromStdString(name));
            QWidget* parent = rig.window->control(QString::fromStdString(state.parent));
            QVERIFY2(parent->isAncestorOf(w), name.c_str());
            if (state.kind != ControlKind::TabSheet) {
                QCOMPARE(w->parentWidget(), parent);
            }
        }
    }

    void captionsAndHintsAreShownExactly_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hint");
        const QString carregar = q("Carrega na Tela um Arquivo do Computador.");
        const QString salvar = q("Salva no Computador Todos os Dados da Tela.");
        const QString ler = q("Le todos os Dados do Módulo e mostra na Tela.");
        const QString envia = q("Envia todos os Dados da Tela para o Módulo.");
        QTest::newRow("Label46") << "Label46" << q("Valores em Ti   \" mS \"") << QString();
        QTest::newRow("btnPercentual")
            << "btnPercentual" << q("Converter Mapa de Inj.  para  \" % \" de abertura")
            << q("Mostra o % de abertura dos Injetores em cada posição do Mapa.");
        QTest::newRow("btnmS") << "btnmS" << q("Converter Mapa de Inj. para Ti   \" mS \"")
                               << q("Mostra os Valores do Mapa em Tempo de Injeção mS.");
        QTest::newRow("btnCarregar") << "btnCarregar" << q("&Carregar") << carregar;
        QTest::newRow("Button2") << "Button2" << q("&Carregar") << carregar;
        QTest::newRow("btnSalvar") << "btnSalvar" << q("&Salvar") << salvar;
        QTest::newRow("Button1") << "Button1" << q("&Salvar") << salvar;
        QTest::newRow("Button6") << "Button6" << q("&Lêr  Dados") << ler;
        QTest::newRow("btnLerDados") << "btnLerDados" << q("&Lêr  Dados") << ler;
        QTest::newRow("Button8") << "Button8" << q("&Enviar  Dados") << envia;
        QTest::newRow("btnEnvia") << "btnEnvia" << q("&Enviar  Dados") << envia;
        QTest::newRow("Button3") << "Button3" << q("Ativar &Scanner")
                                 << q("Mostra todas as Leituras dos sensores e atuadores.");
        QTest::newRow("btnAlterarMapas") << "btnAlterarMapas" << q("Alterar &Mapas")
                                         << q("Abre Novas Ferramentas para Alteração dos Mapas.");
        QTest::newRow("btnConfigurarTps") << "btnConfigurarTps" << q("Configurar &TPS")
                                          << q("Configura o TPS. Sensor de Posição Da Borboleta.");
        QTest::newRow("btnVoltarTelaPrincipal")
            << "btnVoltarTelaPrincipal" << q("&Voltar  Tela Principal ") << QString();
        QTest::newRow("pnColunaOkIgn")
            << "pnColunaOkIgn" << q(" Mapa de ignição                Valores em  Graus  ")
            << QString();
        QTest::newRow("GroupBox10") << "GroupBox10" << q(" Alteração dos Mapas ") << QString();
        QTest::newRow("GroupBox6") << "GroupBox6" << q("  Eletro  Ventilador ") << QString();
        QTest::newRow("lblTi") << "lblTi" << q("Ti (mS)                         % de Abertura")
                               << QString();
        QTest::newRow("eScannerAr") << "eScannerAr" << q(" AR / C   Ligado") << QString();
        QTest::newRow("StaticText9")
            << "StaticText9" << q("7200") << q("Posição de Rotação no Mapa.");
        QTest::newRow("eC3ig") << "eC3ig" << q("0") << q("Altera Individual cada Coluna do Mapa.");
        QTest::newRow("eCorrecaoIg105")
            << "eCorrecaoIg105" << q("-2")
            << q("  Ajuda ? ?  Dois  clicks  no  Título  em  Bordô. !  ");
        QTest::newRow("e8") << "e8" << q("10") << q("Mapa de Ignição, Valores em Graus");
        QTest::newRow("e0i") << "e0i" << q("3,5") << q("Mapa de Injeção");
        QTest::newRow("cbTipoDistribuidor") << "cbTipoDistribuidor" << q("Injetado") << QString();
    }

    void captionsAndHintsAreShownExactly() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, hint);
        WindowRig rig;
        QWidget* w = rig.window->control(name);
        QVERIFY(w != nullptr);
        QCOMPARE(shownText(w), text);
        QCOMPARE(w->toolTip(), hint);
    }

    void windowCaptionIsTheLongTitleWithItsBlanks() {
        WindowRig rig;
        const QString expected = QString(45, QLatin1Char(' ')) +
                                 q("Injeção  Orvel  para  Motores  com  Distribuidor") +
                                 QString(31, QLatin1Char(' ')) + q("Versão  2.03");
        QCOMPARE(rig.window->windowTitle(), expected);
    }

    void windowHasAFixedSizeAndNoMaximizeButton() {
        WindowRig rig;
        QCOMPARE(rig.window->size(), QSize(972, 670));
        QCOMPARE(rig.window->minimumSize(), QSize(972, 670));
        QCOMPARE(rig.window->maximumSize(), QSize(972, 670));
        const auto flags = rig.window->windowFlags();
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!rig.window->windowIcon().isNull());
    }

    void startsOnTheSettingsPageWithBothTabs() {
        WindowRig rig;
        auto* tabs = rig.widget<QTabWidget>("Mapas");
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(0), q("Mapas e Scanner"));
        QCOMPARE(tabs->tabText(1), q("Configurações e Correções"));
        QCOMPARE(tabs->tabText(2), q("Registros"));
        QCOMPARE(tabs->tabText(3), q("Módulo"));
        QCOMPARE(tabs->currentWidget(), rig.widget("TabSheet2"));
    }

    void buttonsAtStart_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("visible");
        auto row = [](const char* name, bool enabled, bool visible) {
            QTest::newRow(name) << QString::fromLatin1(name) << enabled << visible;
        };
        for (const char* usable :
             {"btnAtivar", "btnCarregar", "Button2", "btnSalvar", "Button1", "btnAlterarMapas"}) {
            row(usable, true, true);
        }
        for (const char* greyed : {"btnDesativar", "Button3", "Button6", "btnLerDados", "Button8",
                                   "btnEnvia", "btnConfigurarTps"}) {
            row(greyed, false, true);
        }
        row("btnCalibrar", true, false);
        row("btnRecalcular", false, false);
        row("btnAnular", false, false);
        row("GroupBox10", true, false);
        row("btnVoltarTelaPrincipal", true, false);
        row("eL8inj", true, false);
        row("eC0ig", true, false);
        row("Gauge4", true, false);
        row("pnAguarde", true, false);
        row("Panel1", true, false);
        // Inside the hidden group: greyed as the unit it converts to is already shown.
        row("btnmS", false, true);
        row("btnPercentual", true, true);
    }

    void buttonsAtStart() {
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        QFETCH(bool, visible);
        WindowRig rig;
        QWidget* w = rig.window->control(name);
        QCOMPARE(w->isEnabled(), enabled);
        QCOMPARE(!w->isHidden(), visible);
    }

    void displaysAndShiftFieldsStayOutOfTheTabOrder_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("tabStop");
        for (const char* display :
             {"eTemperatura", "eRpm", "eTi", "eCorPresAtm", "eScannerAr", "eLinhaMapa"}) {
            QTest::newRow(display) << QString::fromLatin1(display) << true << false;
        }
        for (const char* shift : {"eC0ig", "eL8ig", "eC7inj", "eL0inj", "eRepousoTps"}) {
            QTest::newRow(shift) << QString::fromLatin1(shift) << false << false;
        }
        for (const char* field : {"e0", "e71i", "eLimiteRpm", "eAltera", "eCorrecaoMl105"}) {
            QTest::newRow(field) << QString::fromLatin1(field) << false << true;
        }
    }

    void displaysAndShiftFieldsStayOutOfTheTabOrder() {
        QFETCH(QString, name);
        QFETCH(bool, readOnly);
        QFETCH(bool, tabStop);
        WindowRig rig;
        auto* edit = qobject_cast<QLineEdit*>(rig.window->control(name));
        QVERIFY(edit != nullptr);
        QCOMPARE(edit->isReadOnly(), readOnly);
        QCOMPARE(bool(edit->focusPolicy() & Qt::TabFocus), tabStop);
    }

    void pairButtonsStayInStep() {
        WindowRig rig;
        auto& controls = rig.controls();
        const std::vector<std::pair<const char*, const char*>> pairs{{"btnCarregar", "Button2"},
                                                                     {"btnSalvar", "Button1"},
                                                                     {"btnLerDados", "Button6"},
                                                                     {"btnEnvia", "Button8"}};
        for (bool enabled : {true, false, true}) {
            for (const auto& [a, b] : pairs) {
                controls.setEnabled(a, enabled);
                QCOMPARE(rig.widget(a)->isEnabled(), enabled);
                QCOMPARE(rig.widget(b)->isEnabled(), enabled);
                controls.setEnabled(b, !enabled);
                QCOMPARE(rig.widget(a)->isEnabled(), !enabled);
                QCOMPARE(rig.widget(b)->isEnabled(), !enabled);
            }
        }
    }

    void storeChangesReachTheWidgets() {
        WindowRig rig;
        auto& controls = rig.controls();
        controls.setText("eTemperatura", "96");
        QCOMPARE(rig.widget<QLineEdit>("eTemperatura")->text(), q("96"));
        controls.setTextColor("eTemperatura", orvel::colors::yellow);
        QCOMPARE(rig.widget("eTemperatura")->palette().color(QPalette::Text), QColor(Qt::yellow));
        controls.setColor("e19", orvel::colors::red);
        QCOMPARE(rig.widget("e19")->palette().color(QPalette::Base), QColor(Qt::red));
        controls.setText("Button3", "Desativar &Scanner");
        QCOMPARE(rig.widget<QPushButton>("Button3")->text(), q("Desativar &Scanner"));
        controls.setVisible("Gauge2", true);
        QVERIFY(!rig.widget("Gauge2")->isHidden());
        controls.setPosition("Gauge2", 30);
        QCOMPARE(rig.widget<QProgressBar>("Gauge2")->value(), 30);
        controls.setRange("BarraTps", 32, 57);
        controls.setPosition("BarraTps", 128);
        auto* bar = rig.widget<QProgressBar>("BarraTps");
        QCOMPARE(bar->maximum(), 57);
        QCOMPARE(bar->value(), 57);
        controls.setText("cbCombinacaoMapa", "MAP X RPM");
        QCOMPARE(rig.widget<QComboBox>("cbCombinacaoMapa")->currentText(), q("MAP X RPM"));
        QCOMPARE(rig.widget<QComboBox>("cbCombinacaoMapa")->currentIndex(), 1);
        controls.setItems("ListBox1", {"1 2 3 "});
        QCOMPARE(rig.widget<QListWidget>("ListBox1")->count(), 1);
        controls.setTabVisible("TabSheet2", false);
        QVERIFY(!rig.widget<QTabWidget>("Mapas")->isTabVisible(1));
        controls.setTabVisible("TabSheet2", true);
        QVERIFY(rig.widget<QTabWidget>("Mapas")->isTabVisible(1));
    }

    void portListFillsTheComboBoxWithoutLosingItsText() {
        WindowRig rig;
        auto& controls = rig.controls();
        QCOMPARE(rig.widget<QComboBox>("cbPorta")->currentText(), q("!!"));
        controls.setItems("cbPorta", {"COM1", "COM3"});
        auto* combo = rig.widget<QComboBox>("cbPorta");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), q("!!"));
        QCOMPARE(controls.text("cbPorta"), std::string("!!"));
    }

    void aTextLongerThanTheTypingLimitIsShownWhole() {
        WindowRig rig;
        auto& controls = rig.controls();
        auto* cell = rig.widget<QLineEdit>("e0i");
        controls.setText("e0i", " -12,5");
        QCOMPARE(cell->text(), q(" -12,5"));
        // The user can shorten it but not lengthen it.
        cell->setFocus();
        cell->end(false);
        QTest::keyClick(cell, Qt::Key_Backspace);
        QCOMPARE(controls.text("e0i"), std::string(" -12,"));
        QTest::keyClick(cell, '7');
        QCOMPARE(controls.text("e0i"), std::string(" -12,"));
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(cell, Qt::Key_Backspace);
        }
        QTest::keyClicks(cell, "345");
        QCOMPARE(controls.text("e0i"), std::string(" -34"));
    }

    void typingIntoAFieldUpdatesTheStore() {
        WindowRig rig;
        auto* edit = rig.widget<QLineEdit>("eLimiteRpm");
        edit->selectAll();
        QTest::keyClicks(edit, "7500");
        QCOMPARE(rig.controls().text("eLimiteRpm"), std::string("7500"));
        // The typing limit of 5 characters holds.
        QTest::keyClicks(edit, "12");
        QCOMPARE(rig.controls().text("eLimiteRpm"), std::string("75001"));
    }

    void pickingAnItemUpdatesTheStore() {
        WindowRig rig;
        auto* combo = rig.widget<QComboBox>("cbSondaAtiva");
        combo->setCurrentIndex(2);
        QCOMPARE(rig.controls().text("cbSondaAtiva"), std::string("Des em Marcha Lenta"));
    }

    void unguardedListsAcceptTypedText() {
        WindowRig rig;
        auto* combo = rig.widget<QComboBox>("cbSondaTipo");
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo, "Outro");
        QCOMPARE(rig.controls().text("cbSondaTipo"), std::string("Outro"));
        QVERIFY(rig.dialogs.shown.empty());
    }

    void typingIntoAGuardedListWarnsAndPutsFourBack() {
        WindowRig rig;
        auto* combo = rig.widget<QComboBox>("cbCilindros");
        combo->setCurrentIndex(2);
        QCOMPARE(rig.controls().text("cbCilindros"), std::string("8"));
        QTest::keyClick(combo, 'x');
        QCOMPARE(rig.dialogs.shown,
                 std::vector<std::string>{"M: Atenção ! !  Selecione um dos Valores.  "});
        QCOMPARE(rig.controls().text("cbCilindros"), std::string("4"));
        QCOMPARE(combo->currentText(), q("4"));
    }

    void keysReachTheGuardWhereverTheListsFocusIs() {
        WindowRig rig;
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        auto* combo = rig.widget<QComboBox>("cbTipoDistribuidor");
        QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
        QCOMPARE(rig.controls().focused(), std::string("cbTipoDistribuidor"));
        QTest::keyClick(QApplication::focusWidget(), 'a');
        QCOMPARE(rig.dialogs.shown.size(), std::size_t{1});
        QCOMPARE(combo->currentText(), q("Injetado"));
    }

    void backspaceInAGuardedListCountsAsTyping() {
        WindowRig rig;
        QTest::keyClick(rig.widget("cbCombinacaoMapa"), Qt::Key_Backspace);
        QCOMPARE(rig.dialogs.shown.size(), std::size_t{1});
        QCOMPARE(rig.controls().text("cbCombinacaoMapa"), std::string("TPS X RPM"));
    }

    void textComposedThroughTheInputMethodIsGuardedToo() {
        WindowRig rig;
        // A dead key shows "~" while composing; the letter commits "ã".
        auto compose = [](QComboBox* combo) {
            QInputMethodEvent accent(QStringLiteral("~"), {});
            QApplication::sendEvent(combo, &accent);
            QInputMethodEvent letter;
            letter.setCommitString(q("ã"));
            QApplication::sendEvent(combo, &letter);
        };
        for (const char* name : {"cbTipoDistribuidor", "cbCilindros", "cbCombinacaoMapa"}) {
            auto* combo = rig.widget<QComboBox>(name);
            const std::string before = rig.controls().text(name);
            compose(combo);
            QCOMPARE(rig.controls().text(name), before);
            QCOMPARE(combo->currentText().toStdString(), before);
        }
        QCOMPARE(rig.dialogs.shown,
                 std::vector<std::string>(3, "M: Atenção ! !  Selecione um dos Valores.  "));
        compose(rig.widget<QComboBox>("cbSondaTipo"));
        QVERIFY(rig.controls().text("cbSondaTipo").find("ã") != std::string::npos);
        QCOMPARE(rig.dialogs.shown.size(), std::size_t{3});
    }

    void longTextsShowTheirStartAndLiveValuesFit() {
        WindowRig rig;
        auto* probe = rig.widget<QComboBox>("cbSondaAtiva");
        rig.controls().setText("cbSondaAtiva", "Des em Marcha Lenta");
        QCOMPARE(probe->lineEdit()->cursorPosition(), 0);
        auto* ti = rig.widget<QLineEdit>("eTi");
        const QFont full = ti->font();
        for (const char* text : {"3,5  100", "12,5  100", "25,5  233"}) {
            rig.controls().setText("eTi", text);
            // The frame and the edit's margins take 8 pixels.
            QVERIFY2(QFontMetrics(ti->font()).horizontalAdvance(ti->text()) <=
                         ti->contentsRect().width() - 8,
                     text);
        }
        rig.controls().setText("eTi", "0");
        QCOMPARE(ti->font(), full);
    }

    void leavingAFieldRunsItsRuleAndTheFocusComesBack() {
        WindowRig rig;
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        auto* limit = rig.widget<QLineEdit>("eLimiteRpm");
        limit->setFocus(Qt::TabFocusReason);
        QCOMPARE(rig.controls().focused(), std::string("eLimiteRpm"));
        limit->selectAll();
        QTest::keyClicks(limit, "20000");
        rig.widget("eAvancoPartida")->setFocus(Qt::TabFocusReason);
        QCOMPARE(rig.dialogs.shown,
                 std::vector<std::string>{"M: Atenção ! !  Valor máximo 12.000 PRM   "});
        QCOMPARE(limit->text(), q("12000"));
        QCOMPARE(QApplication::focusWidget(), limit);
        QCOMPARE(rig.controls().focused(), std::string("eLimiteRpm"));
    }

    void leavingAFieldWithoutARuleShowsNothing() {
        WindowRig rig;
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        rig.widget("eSondaTemp")->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(rig.widget("eSondaTemp"), "abc");
        rig.widget("eSondaLenta")->setFocus(Qt::TabFocusReason);
        QVERIFY(rig.dialogs.shown.empty());
        QCOMPARE(rig.controls().focused(), std::string("eSondaLenta"));
    }

    void aFocusRequestSwitchesToTheControlsPage() {
        WindowRig rig;
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        auto* tabs = rig.widget<QTabWidget>("Mapas");
        tabs->setCurrentIndex(0);
        rig.controls().focus("eDeslCutOff");
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), rig.widget("eDeslCutOff"));
    }

    void clickingAButtonRunsItsHandler() {
        WindowRig rig;
        QTest::mouseClick(rig.widget("btnAlterarMapas"), Qt::LeftButton);
        QVERIFY(!rig.widget("GroupBox10")->isHidden());
        QVERIFY(rig.widget("btnAlterarMapas")->isHidden());
    }

    void clicksOnGreyedButtonsDoNothing() {
        WindowRig rig;
        QTest::mouseClick(rig.widget("Button3"), Qt::LeftButton);
        QCOMPARE(rig.widget<QPushButton>("Button3")->text(), q("Ativar &Scanner"));
        QVERIFY(rig.link.writes.empty());
    }

    void alterationModeShowsItsToolsAndHidesTheTransferButtons() {
        WindowRig rig;
        QTest::mouseClick(rig.widget("btnAlterarMapas"), Qt::LeftButton);
        const auto hidden = {"Button3",   "Button6",        "Button8",   "btnCarregar",
                             "btnSalvar", "GroupBox3",      "btnAnular", "btnRecalcular",
                             "Gauge4",    "btnAlterarMapas"};
        for (const char* name : hidden) {
            QVERIFY2(rig.widget(name)->isHidden(), name);
        }
        for (const char* name : {"GroupBox10", "btnVoltarTelaPrincipal", "eC0ig", "eC7inj", "eL0ig",
                                 "eL8inj", "btnmS", "btnPercentual", "eAltera"}) {
            QVERIFY2(!rig.widget(name)->isHidden(), name);
        }
        for (const char* name : {"Button3", "btnAlterarMapas", "btnDesativar", "btnAtivar"}) {
            QVERIFY2(!rig.widget(name)->isEnabled(), name);
        }
        // The settings page keeps its transfer buttons.
        for (const char* name : {"Button1", "Button2"}) {
            QVERIFY2(!rig.widget(name)->isHidden() && rig.widget(name)->isEnabled(), name);
        }

        QTest::mouseClick(rig.widget("btnVoltarTelaPrincipal"), Qt::LeftButton);
        for (const char* name : {"GroupBox10", "btnVoltarTelaPrincipal", "eC0ig", "eL8inj"}) {
            QVERIFY2(rig.widget(name)->isHidden(), name);
        }
        for (const char* name : {"Button3", "Button6", "Button8", "btnCarregar", "btnSalvar",
                                 "btnAlterarMapas", "GroupBox3"}) {
            QVERIFY2(!rig.widget(name)->isHidden(), name);
        }
        QVERIFY(rig.widget("btnAtivar")->isEnabled());
        QVERIFY(!rig.widget("Button3")->isEnabled());
        QVERIFY(rig.widget("btnAnular")->isHidden());
    }

    void percentStateGreysTheTransferButtonsUntilMillisecondsReturn() {
        WindowRig rig;
        QTest::mouseClick(rig.widget("btnAlterarMapas"), Qt::LeftButton);
        QTest::mouseClick(rig.widget("btnPercentual"), Qt::LeftButton);
        QVERIFY(rig.dialogs.shown.empty());
        QCOMPARE(rig.widget<QLabel>("Label46")->text(), q(" Valores em  \" % \" "));
        QCOMPARE(rig.widget<QLineEdit>("e0i")->text(), q("2,9"));
        QVERIFY(rig.widget("btnmS")->isEnabled());
        QVERIFY(!rig.widget("btnPercentual")->isEnabled());
        for (const char* name : {"btnEnvia", "Button8", "btnLerDados", "Button6", "btnSalvar",
                                 "Button1", "btnCarregar", "Button2", "btnAtivar"}) {
            QVERIFY2(!rig.widget(name)->isEnabled(), name);
        }

        QTest::mouseClick(rig.widget("btnmS"), Qt::LeftButton);
        QCOMPARE(rig.widget<QLabel>("Label46")->text(), q(" Valores em Ti \" mS \" "));
        QCOMPARE(rig.widget<QLineEdit>("e0i")->text(), q("3,5"));
        QVERIFY(!rig.widget("btnmS")->isEnabled());
        QVERIFY(rig.widget("btnPercentual")->isEnabled());
        for (const char* name : {"btnSalvar", "Button1", "btnCarregar", "Button2"}) {
            QVERIFY2(rig.widget(name)->isEnabled(), name);
        }
        // No port was opened: reading and sending stay greyed.
        for (const char* name : {"btnEnvia", "Button8", "btnLerDados", "Button6"}) {
            QVERIFY2(!rig.widget(name)->isEnabled(), name);
        }
    }

    void leavingTheModeInPercentConvertsBackToMilliseconds() {
        WindowRig rig;
        QTest::mouseClick(rig.widget("btnAlterarMapas"), Qt::LeftButton);
        QTest::mouseClick(rig.widget("btnPercentual"), Qt::LeftButton);
        QTest::mouseClick(rig.widget("btnVoltarTelaPrincipal"), Qt::LeftButton);
        // "8,1" at 7200 RPM goes to 97,2 % and back unchanged.
        QCOMPARE(rig.widget<QLineEdit>("e71i")->text(), q("8,1"));
        QVERIFY(rig.widget("btnPercentual")->isEnabled());
        QVERIFY(rig.widget("Button1")->isEnabled());
    }

    void openingThePortEnablesTheTransferButtons() {
        WindowRig rig({"COM7"});
        rig.controls().setText("cbPorta", "COM7");
        QTest::mouseClick(rig.widget("btnAtivar"), Qt::LeftButton);
        QVERIFY(rig.link.isOpen());
        for (const char* name :
             {"btnDesativar", "Button3", "Button6", "btnLerDados", "Button8", "btnEnvia"}) {
            QVERIFY2(rig.widget(name)->isEnabled(), name);
        }
        QVERIFY(!rig.widget("btnAtivar")->isEnabled());
    }

    void closingTheWindowClosesThePort() {
        WindowRig rig({"COM7"});
        rig.controls().setText("cbPorta", "COM7");
        QTest::mouseClick(rig.widget("btnAtivar"), Qt::LeftButton);
        QVERIFY(rig.link.isOpen());
        rig.window->show();
        QVERIFY(rig.window->close());
        QVERIFY(!rig.link.isOpen());
    }

    void everyPictureShowsTheLogo() {
        WindowRig rig;
        for (const char* name : {"Image1", "Image2", "Image3", "Image4"}) {
            const QPixmap logo = rig.widget<QLabel>(name)->pixmap();
            QCOMPARE(logo.size(), QSize(276, 104));
        }
    }

    void everyControlLiesInsideItsParent() {
        WindowRig rig;
        const auto& controls = rig.controls();
        for (const auto& name : controls.names()) {
            const auto& state = controls.get(name);
            // The tab control is cut off by the window on purpose, and the fields
            // nobody sees lie below it.
            if (state.parent.empty() || state.parent == "Form1" ||
                state.kind == ControlKind::TabSheet) {
                continue;
            }
            QWidget* w = rig.window->control(QString::fromStdString(name));
            QWidget* parent = w->parentWidget();
            const QRect bounds = state.parent.rfind("TabSheet", 0) == 0
                                     ? QRect(0, 0, 970, 690)
                                     : QRect(QPoint(0, 0), parent->size());
            QVERIFY2(bounds.contains(w->geometry()), name.c_str());
        }
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
