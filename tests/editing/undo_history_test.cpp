#include "link/frames.h"
#include "model/config.h"
#include "support/fakes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

namespace orvel::test {
namespace {

constexpr const char* kWaitTransfer =
    " Atenção ! !  Desfazer e Refazer esperam o fim da transferência. ";
constexpr const char* kWaitScanner =
    " Atenção ! !  Desfazer e Refazer não funcionam com o scanner ativo. ";
constexpr const char* kInPercent = " Atenção ! !  Desfazer e Refazer funcionam com o mapa de "
                                   "injeção em mS. Volte o mapa para mS. ";

class UndoHistoryTest : public CoreTest {
protected:
    // The user types into a field and leaves it for another.
    void type(const std::string& field, const std::string& value) {
        form.typing(field);
        setText(field, value);
        form.controls.noteFocus("eGanho");
        form.exit(field);
    }
    [[nodiscard]] int steps() { return form.history.stack().count(); }
    [[nodiscard]] std::string undoText() { return form.history.stack().undoText().toStdString(); }
    [[nodiscard]] std::string injectionMap() const {
        std::string all;
        for (int n = 0; n < config::kMapCells; ++n) {
            all += text(config::injectionKey(n)) + ";";
        }
        return all;
    }
};

TEST_F(UndoHistoryTest, AnAcceptedTypedValueIsOneStepThatUndoAndRedoSwapWithoutSending) {
    activate();
    (void)takeWrites();
    type("eLimiteRpm", "9000");
    ASSERT_EQ(steps(), 1);
    EXPECT_EQ(undoText(), "Valor digitado");
    form.undo();
    EXPECT_EQ(text("eLimiteRpm"), "6000");
    form.redo();
    EXPECT_EQ(text("eLimiteRpm"), "9000");
    EXPECT_TRUE(takeWrites().empty());
}

TEST_F(UndoHistoryTest, ARefusedTextIsNoStepAndUndoPutsTheFieldBack) {
    dialogs.expectMessage(" Atenção ! !  Valor máximo 12.000 PRM   ");
    type("eLimiteRpm", "13000");
    EXPECT_EQ(text("eLimiteRpm"), "12000");
    EXPECT_EQ(steps(), 0);
    form.undo();
    EXPECT_EQ(text("eLimiteRpm"), "6000");
    EXPECT_EQ(steps(), 0);
}

TEST_F(UndoHistoryTest, TextStillBeingTypedWaitsUntilItsFieldIsLeft) {
    form.typing("e5");
    setText("e5", "4");
    form.dispatch([] {}); // a timer tick meanwhile
    EXPECT_EQ(steps(), 0);
    form.exit("e5");
    EXPECT_EQ(steps(), 1);
}

TEST_F(UndoHistoryTest, AListChoiceIsAStepAndItsUndoBringsBackTheColumnCaptions) {
    form.typing("cbCombinacaoMapa");
    setText("cbCombinacaoMapa", "MAP X RPM");
    form.picked("cbCombinacaoMapa");
    form.exit("cbCombinacaoMapa");
    EXPECT_EQ(text("Label57"), "-820");
    ASSERT_EQ(steps(), 1);
    form.undo();
    EXPECT_EQ(text("cbCombinacaoMapa"), "TPS X RPM");
    EXPECT_EQ(text("Label57"), "0 %");
}

TEST_F(UndoHistoryTest, AlterarMapasIsOneStepForBothMaps) {
    ASSERT_TRUE(form.click("btnAlterarMapas"));
    setText("eAltera", "2");
    setText("eAlterar", "10");
    ASSERT_TRUE(form.click("btnAlterar"));
    ASSERT_EQ(steps(), 1);
    EXPECT_EQ(undoText(), "Alterar Mapas");
    EXPECT_EQ(text("e0"), "12");
    form.undo();
    EXPECT_EQ(text("e0"), "10");
    EXPECT_EQ(text("e0i"), "3,5");
}

TEST_F(UndoHistoryTest, AUnitRoundTripIsOneStepInMillisecondsAndUndoWaitsForIt) {
    const std::string before = injectionMap();
    ASSERT_TRUE(form.click("btnAlterarMapas"));
    ASSERT_TRUE(form.click("btnPercentual"));
    dialogs.expectMessage(kInPercent);
    form.undo();
    EXPECT_EQ(steps(), 0);
    ASSERT_TRUE(form.click("btnmS"));
    ASSERT_EQ(steps(), 1) << "the round trip rounds some cells";
    form.undo();
    EXPECT_EQ(injectionMap(), before);
}

TEST_F(UndoHistoryTest, InPercentOtherEditsAreStepsOfTheirOwnAndTheInjectionMapWaitsForMs) {
    const std::string before = injectionMap();
    ASSERT_TRUE(form.click("btnAlterarMapas"));
    ASSERT_TRUE(form.click("btnPercentual"));
    form.edit("Definir valor", [this] { setText("e0", "15"); });
    form.edit("Somar", [this] { setText("e0i", "30,0"); });
    type("eLimiteRpm", "9000");
    ASSERT_EQ(steps(), 2);
    EXPECT_EQ(undoText(), "Valor digitado");
    ASSERT_TRUE(form.click("btnmS"));
    ASSERT_EQ(steps(), 3);
    EXPECT_EQ(undoText(), "Conversão do mapa de injeção");
    form.undo();
    EXPECT_EQ(injectionMap(), before);
    EXPECT_EQ(text("eLimiteRpm"), "9000");
    form.undo();
    form.undo();
    EXPECT_EQ(text("e0"), "10");
    EXPECT_EQ(text("e0i"), "3,5");
}

TEST_F(UndoHistoryTest, AWholeDownloadIsOneStepTakenAtItsLastFrame) {
    activate();
    ASSERT_TRUE(form.click("btnLerDados"));
    link.feedFrame(1, {20, 20, 20, 20, 20, 20, 20, 20});
    link.feedFrame(10, {50, 50, 50, 50, 50, 50, 50, 50});
    EXPECT_EQ(steps(), 0);
    dialogs.expectMessage(kWaitTransfer);
    form.undo();
    for (int id = 11; id <= frames::kLastConfigurationId; ++id) {
        link.feedFrame(static_cast<std::uint8_t>(id), {});
    }
    ASSERT_EQ(steps(), 1);
    EXPECT_EQ(undoText(), "Lêr Dados");
    form.undo();
    EXPECT_EQ(text("e0"), "10");
    EXPECT_EQ(text("e0i"), "3,5");
    EXPECT_EQ(text("eLimiteRpm"), "6000");
}

TEST_F(UndoHistoryTest, ALoadedFileIsOneStepWithTheTpsNumbers) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("mapa.txt").toStdString();
    std::string line;
    for (const auto& p : config::fileOrder()) {
        line += (p.key == "e0" ? std::string("7") : std::string(p.defaultText)) + ";";
    }
    std::ofstream(file) << line << "100;200\r\n";
    dialogs.expectOpen(file);
    ASSERT_TRUE(form.click("btnCarregar"));
    ASSERT_EQ(steps(), 1);
    form.undo();
    EXPECT_EQ(text("e0"), "10");
    EXPECT_EQ(form.state.tpsClosedValue, 130);
    EXPECT_EQ(form.state.tpsOpenValue, 230);
    form.redo();
    EXPECT_EQ(form.state.tpsOpenValue, 200);
}

TEST_F(UndoHistoryTest, TheTpsCalibrationsResultIsOneStepAtItsEnd) {
    activate();
    offerTpsCalibration();
    auto frame29 = [this](int raw) {
        link.feedFrame(29, {20, 0, 0, 0, static_cast<std::uint8_t>(raw & 0xFF),
                            static_cast<std::uint8_t>(raw >> 8), 0, 0});
    };
    dialogs.expectMessage(" Deixar  a  borboleta  Fechada  e  Seguir  as  instruções,  teclar "
                          "Enter ou \" OK \" para continuar...  ");
    ASSERT_TRUE(form.click("btnConfigurarTps"));
    clock.advance(500);
    frame29(100);
    dialogs.expectMessage(
        " Abrir  totalmente  a  Borboleta,  teclar Enter ou \" OK \" para continuar.... ");
    clock.advance(1500);
    for (int i = 0; i < 6; ++i) {
        frame29(900);
    }
    clock.advance(5500);
    EXPECT_EQ(steps(), 0) << "still running";
    dialogs.expectMessage("  CONFIGURAÇÃO  CONCLUIDA . . .  Abrir toda a borboleta e conferir "
                          "se o sinal do TPS esta de 0 a 100% ");
    clock.advance(1000);
    ASSERT_EQ(steps(), 1);
    dialogs.expectMessage(kWaitScanner);
    form.undo(); // the procedure leaves the scanner on
    ASSERT_TRUE(form.click("Button3"));
    form.undo();
    EXPECT_EQ(form.state.tpsClosedValue, 130);
    EXPECT_EQ(form.state.tpsOpenValue, 230);
}

TEST_F(UndoHistoryTest, ABlockEditIsOneNamedStep) {
    form.edit("Suavizar", [this] {
        setText("e9", "11");
        setText("e10", "11");
    });
    ASSERT_EQ(steps(), 1);
    EXPECT_EQ(undoText(), "Suavizar");
    form.undo();
    EXPECT_EQ(text("e9"), "10");
    EXPECT_EQ(text("e10"), "12");
}

TEST_F(UndoHistoryTest, TwoHundredStepsGoBackToTheStart) {
    for (int i = 1; i <= 250; ++i) {
        type("eLimiteRpm", std::to_string(i));
    }
    for (int i = 0; i < 250; ++i) {
        form.undo();
    }
    EXPECT_EQ(text("eLimiteRpm"), "6000");
    EXPECT_FALSE(form.history.canUndo());
}

TEST_F(UndoHistoryTest, AnUploadRefusesUndo) {
    activate();
    type("eLimiteRpm", "9000");
    ASSERT_TRUE(form.click("btnEnvia"));
    dialogs.expectMessage(kWaitTransfer);
    form.undo();
    EXPECT_EQ(text("eLimiteRpm"), "9000");
}

} // namespace
} // namespace orvel::test
