#include "model/config.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel::test {
namespace {

constexpr const char* kM1 =
    " Para utilizar essa função deve ser determinado um valor que você deseja para a sonda Lambda "
    "fazer a correção . . .e deve ser selecionado a opção \"ATIVADA\"  (Canto esquerdo, inferior "
    "da tela) e após clicar no Botão enviar. ";
constexpr const char* kM2 =
    "  Essa função vai ajuda-lo no acerto do Mapa, agora você tem um Calibrador virtual, siga as "
    "orientações dele e acerte o mapa... Você pode se orientar pelo Manual na pag. 31. ";
constexpr const char* kM3 =
    " Os valores na cor Azul, informam o valor de correção da sonda, podem ser negativos  ou "
    "positivos ... Para anular esses valores e voltar o Mapa, Botão ANULAR, para recalcular o "
    "valor das posições marcadas Botão RECALCULAR . ";
constexpr const char* kM4 = " Os Valores marcados na cor Cinza foram recalculados, são os valores "
                            "certos para a mistura que você definiu na Sonda. ";
constexpr const char* kM5 =
    " Devem ser avaliados os valores nas Linhas e Colunas próximas ao valor recalculado, devem ser "
    "alterados se necessário para que os valores fiquem coerentes  (mapa sem buracos). ";

class CalibratorTest : public CoreTest {
protected:
    void SetUp() override {
        activate();
        // The window never shows these buttons; the operations are there all the same.
        form.controls.setVisible({"btnCalibrar", "btnRecalcular", "btnAnular"}, true);
    }

    void start() {
        dialogs.expectMessage(kM2);
        ASSERT_TRUE(form.click("btnCalibrar"));
    }
    void stop() {
        dialogs.expectMessage(kM3);
        ASSERT_TRUE(form.click("btnCalibrar"));
    }
    void mark(int cell, const std::string& correction) {
        setText(config::injectionKey(cell), correction);
        form.controls.setTag(config::injectionKey(cell), 1);
    }
    [[nodiscard]] bool scannerOn() const { return text("Button3") == "Desativar &Scanner"; }
    [[nodiscard]] const ControlState& cell(int n) const {
        return form.controls.get(config::injectionKey(n));
    }
};

TEST_F(CalibratorTest, ProbeSwitchedOffRefusesForGood) {
    setText("cbSondaAtiva", "Desativada");
    dialogs.expectMessage(kM1);
    ASSERT_TRUE(form.click("btnCalibrar"));
    EXPECT_FALSE(form.controls.enabled("btnCalibrar"));
    EXPECT_EQ(text("btnCalibrar"), "&Calibrar");
    EXPECT_FALSE(scannerOn());
    EXPECT_FALSE(form.click("btnCalibrar"));
}

TEST_F(CalibratorTest, StartSavesTheMapClearsMarksAndRunsTheScanner) {
    setText("cbSondaAtiva", "Des em Marcha Lenta");
    form.controls.setTag("e3i", 1);
    form.controls.setColor("e4i", colors::red);
    setText("e5i", "9,25");
    start();
    EXPECT_EQ(text("btnCalibrar"), "&Parar");
    EXPECT_EQ(form.controls.tag("e3i"), 0);
    EXPECT_EQ(cell(4).color, colors::black);
    EXPECT_DOUBLE_EQ(form.state.calibrationBackup[0], 3.5);
    EXPECT_DOUBLE_EQ(form.state.calibrationBackup[5], 9.25);
    EXPECT_DOUBLE_EQ(form.state.calibrationBackup[71], 8.1);
    EXPECT_TRUE(scannerOn());
    EXPECT_FALSE(form.controls.enabled("Button3"));
}

TEST_F(CalibratorTest, StartWithTheScannerRunningTogglesItOff) {
    ASSERT_TRUE(form.click("Button3"));
    ASSERT_TRUE(scannerOn());
    start();
    EXPECT_FALSE(scannerOn());
    EXPECT_FALSE(form.controls.enabled("Button3"));
}

TEST_F(CalibratorTest, StartStopsAtACellThatIsNotANumber) {
    form.controls.setTag("e40i", 1);
    setText("e30i", "abc");
    dialogs.expectError("'abc' is not a valid floating point value.");
    ASSERT_TRUE(form.click("btnCalibrar"));
    EXPECT_EQ(text("btnCalibrar"), "&Calibrar");
    EXPECT_EQ(form.controls.tag("e40i"), 0);
    EXPECT_FALSE(scannerOn());
}

TEST_F(CalibratorTest, StopOffersRecalculateAndCancel) {
    start();
    stop();
    EXPECT_FALSE(scannerOn());
    EXPECT_FALSE(form.activity.scanning());
    EXPECT_FALSE(form.controls.enabled("btnCalibrar"));
    EXPECT_EQ(text("btnCalibrar"), "&Calibrar");
    EXPECT_TRUE(form.controls.enabled("btnRecalcular"));
    EXPECT_TRUE(form.controls.enabled("btnAnular"));
    EXPECT_TRUE(form.controls.enabled("btnLerDados"));
    EXPECT_TRUE(form.controls.enabled("btnEnvia"));
    EXPECT_FALSE(form.controls.enabled("Button3"));
}

struct RecalcCase {
    int cell;
    const char* backup;
    const char* correction;
    const char* expected;
};

TEST_F(CalibratorTest, RecalculateScalesMarkedCellsFromTheirSavedValues) {
    const RecalcCase cases[] = {
        {0, "10", "0", "10,1"},   {1, "5", "10", "5,5"},   {2, "5", "-10", "4,5"},
        {3, "5", "-100", "0,0"},  {4, "14", "10", "15,0"}, {5, "12", "25", "15,0"},
        {6, "5", "-150", "-2,5"}, {7, "7", "10", "7,7"},   {70, "3,5", "2,5", "3,6"},
    };
    for (const auto& c : cases) {
        setText(config::injectionKey(c.cell), c.backup);
    }
    start();
    stop();
    for (const auto& c : cases) {
        mark(c.cell, c.correction);
    }
    setText("e20i", "4,4"); // unmarked: keeps its text and colour
    form.controls.setColor("e20i", colors::red);
    form.controls.setTag("e21i", 2); // only 1 marks a cell
    dialogs.expectMessage(kM4);
    dialogs.expectMessage(kM5);
    ASSERT_TRUE(form.click("btnRecalcular"));
    for (const auto& c : cases) {
        EXPECT_EQ(text(config::injectionKey(c.cell)), c.expected)
            << c.correction << " % on " << c.backup;
        EXPECT_EQ(cell(c.cell).tag, 0);
        EXPECT_EQ(cell(c.cell).color, colors::darkGrey);
    }
    EXPECT_EQ(text("e20i"), "4,4");
    EXPECT_EQ(cell(20).color, colors::red);
    EXPECT_EQ(cell(21).tag, 2);
    EXPECT_EQ(cell(21).color, colors::black);
    for (const char* b : {"btnRecalcular", "btnCalibrar", "btnAnular"}) {
        EXPECT_FALSE(form.controls.enabled(b)) << b;
    }
    for (const char* b :
         {"btnSalvar", "Button1", "btnCarregar", "Button2", "btnAlterarMapas", "Button3"}) {
        EXPECT_TRUE(form.controls.enabled(b)) << b;
    }
    EXPECT_FALSE(form.click("btnAnular")) << "no cancel after recalculating";
}

TEST_F(CalibratorTest, RecalculateStopsAtABadMarkAndCanBeRepeated) {
    start();
    stop();
    mark(1, "10");
    mark(2, "x");
    dialogs.expectError("'x' is not a valid floating point value.");
    ASSERT_TRUE(form.click("btnRecalcular"));
    EXPECT_EQ(text("e1i"), "5,7");
    EXPECT_FALSE(form.controls.enabled("btnAnular"));
    EXPECT_TRUE(form.controls.enabled("btnRecalcular"));

    setText("e2i", "0");
    dialogs.expectMessage(kM4);
    dialogs.expectMessage(kM5);
    ASSERT_TRUE(form.click("btnRecalcular"));
    EXPECT_EQ(text("e1i"), "5,7");
    EXPECT_EQ(text("e2i"), "5,9");
}

TEST_F(CalibratorTest, CancelPutsBackEveryCellAsItWasAtStart) {
    setText("e9i", "4,25");
    start();
    setText("e0i", "9,9"); // edited by hand while calibrating
    stop();
    mark(9, "12");
    form.controls.setColor("e10i", colors::darkGrey);
    ASSERT_TRUE(form.click("btnAnular"));
    EXPECT_EQ(text("e0i"), "3,5");
    EXPECT_EQ(text("e9i"), "4,25");
    EXPECT_EQ(text("e6i"), "8");
    for (int n = 0; n < config::kMapCells; ++n) {
        EXPECT_EQ(cell(n).tag, 0) << n;
        EXPECT_EQ(cell(n).color, colors::black) << n;
    }
    EXPECT_FALSE(form.controls.enabled("btnRecalcular"));
    EXPECT_FALSE(form.controls.enabled("btnAnular"));
    EXPECT_TRUE(form.controls.enabled("Button3"));
    EXPECT_TRUE(form.controls.enabled("btnAlterarMapas"));
}

} // namespace
} // namespace orvel::test
