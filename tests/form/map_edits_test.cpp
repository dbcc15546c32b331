// Block operations on the injection map while it shows percent: a cell whose way
// back to mS would leave 0..25 ms is refused at the operation, naming the cell.

#include "form/map_edits.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace orvel::test {
namespace {

using editing::CellRect;

class MapEditsTest : public CoreTest {
protected:
    [[nodiscard]] std::string injectionMap() const {
        std::string all;
        for (int n = 0; n < config::kMapCells; ++n) {
            all += text(config::injectionKey(n)) + ";";
        }
        return all;
    }
    bool setValue(CellRect rect, double value) {
        return mapedit::apply(form, mapview::Map::Injection, "Definir valor",
                              [&](const editing::Grid& g, const editing::CellRule& rule) {
                                  return editing::setValue(g, rect, value, rule);
                              });
    }
};

TEST_F(MapEditsTest, APercentWhoseMillisecondsLeaveTheMapIsRefusedNamingTheCell) {
    const struct {
        const char* cylinders;
        CellRect rect;
        double percent;
        const char* refused; // the cell and what it would hold; empty when taken
        const char* ms;      // the first cell's text back in mS when taken
    } cases[] = {
        {"4", {0, 0, 0, 0}, 50, "500 RPM, coluna 1 ficaria com 50,0 %, que são 60,0 ms", ""},
        {"4", {0, 0, 0, 0}, 20.8, "", "25,0"}, // 24,96 ms shows as 25,0
        {"4", {0, 0, 0, 0}, 20.9, "500 RPM, coluna 1 ficaria com 20,9 %, que são 25,1 ms", ""},
        {"4", {8, 7, 8, 7}, 50, "", "4,2"},
        {"8", {0, 0, 0, 0}, 20.9, "", "12,5"},
        // The whole block is refused, its cells at 900 RPM (16,7 ms) too.
        {"4", {0, 3, 1, 4}, 25, "500 RPM, coluna 4 ficaria com 25,0 %, que são 30,0 ms", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cylinders) + " cylinders, " + std::to_string(c.percent) + " %");
        setText("cbCilindros", c.cylinders);
        ASSERT_TRUE(form.click("btnAlterarMapas"));
        ASSERT_TRUE(form.click("btnPercentual"));
        const std::string before = injectionMap();
        const bool refused = *c.refused != '\0';
        if (refused) {
            dialogs.expectMessage(" Atenção ! !  Operação recusada: a célula de " +
                                  std::string(c.refused) +
                                  ", e o mapa aceita de 0 a 25 ms. Nada foi alterado. ");
        }
        EXPECT_EQ(setValue(c.rect, c.percent), !refused);
        EXPECT_TRUE(dialogs.done());
        if (refused) {
            EXPECT_EQ(injectionMap(), before);
        }
        ASSERT_TRUE(form.click("btnmS"));
        ASSERT_TRUE(form.click("btnVoltarTelaPrincipal"));
        if (!refused) {
            EXPECT_EQ(text(config::injectionKey(editing::cellAt(c.rect.top, c.rect.left))), c.ms);
        }
    }
    // What was taken goes to the module: no value out of its byte.
    activate();
    ASSERT_TRUE(form.click("btnEnvia"));
    clock.advance(2000);
    EXPECT_EQ(takeWrites().size(), 33U);
}

} // namespace
} // namespace orvel::test
