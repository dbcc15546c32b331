#include "model/config.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace orvel::test {
namespace {

std::vector<std::string> shiftFieldNames() {
    std::vector<std::string> names{"eAltera", "eAlterar"};
    for (const char* map : {"ig", "inj"}) {
        for (int c = 0; c < 8; ++c) {
            names.push_back("eC" + std::to_string(c) + map);
        }
        for (int r = 0; r < 9; ++r) {
            names.push_back("eL" + std::to_string(r) + map);
        }
    }
    return names;
}

class MapAlterationTest : public CoreTest {
protected:
    void enterMode() { ASSERT_TRUE(form.click("btnAlterarMapas")); }
    void alter() { ASSERT_TRUE(form.click("btnAlterar")); }

    std::map<std::string, std::string> snapshotMaps() const {
        std::map<std::string, std::string> out;
        for (int n = 0; n < config::kMapCells; ++n) {
            out[config::ignitionKey(n)] = text(config::ignitionKey(n));
            out[config::injectionKey(n)] = text(config::injectionKey(n));
        }
        return out;
    }
};

TEST_F(MapAlterationTest, EnteringHidesTheTransferButtonsAndShowsTheShiftFields) {
    enterMode();
    const auto& ui = form.controls;
    for (const char* hidden :
         {"Button3", "Button6", "Button8", "btnCarregar", "btnSalvar", "GroupBox3", "btnAnular",
          "btnRecalcular", "Gauge4", "btnAlterarMapas"}) {
        EXPECT_FALSE(ui.visible(hidden)) << hidden;
    }
    for (const auto& name : shiftFieldNames()) {
        if (name != "eAltera" && name != "eAlterar") {
            EXPECT_TRUE(ui.visible(name)) << name;
        }
    }
    EXPECT_TRUE(ui.visible("GroupBox10"));
    EXPECT_TRUE(ui.visible("btnVoltarTelaPrincipal"));
    for (const char* disabled : {"Button3", "btnAlterarMapas", "btnDesativar", "btnAtivar"}) {
        EXPECT_FALSE(ui.enabled(disabled)) << disabled;
    }
    // The settings page keeps its own transfer buttons.
    EXPECT_TRUE(ui.visible("Button1"));
    EXPECT_TRUE(ui.visible("Button2"));
}

TEST_F(MapAlterationTest, LeavingWithThePortClosedRestoresThePortButtons) {
    enterMode();
    ASSERT_TRUE(form.click("btnVoltarTelaPrincipal"));
    const auto& ui = form.controls;
    for (const auto& name : shiftFieldNames()) {
        if (name != "eAltera" && name != "eAlterar") {
            EXPECT_FALSE(ui.visible(name)) << name;
        }
    }
    EXPECT_FALSE(ui.visible("GroupBox10"));
    EXPECT_FALSE(ui.visible("btnVoltarTelaPrincipal"));
    for (const char* shown : {"GroupBox3", "Button3", "Button6", "Button8", "btnCarregar",
                              "btnSalvar", "btnAlterarMapas"}) {
        EXPECT_TRUE(ui.visible(shown)) << shown;
    }
    EXPECT_FALSE(ui.visible("btnAnular"));
    EXPECT_FALSE(ui.visible("btnRecalcular"));
    EXPECT_FALSE(ui.visible("Gauge4"));
    EXPECT_TRUE(ui.enabled("btnAlterarMapas"));
    EXPECT_FALSE(ui.enabled("Button3"));
    EXPECT_TRUE(ui.enabled("btnAtivar"));
    EXPECT_FALSE(ui.enabled("btnDesativar"));
}

TEST_F(MapAlterationTest, LeavingWithThePortOpenEnablesTheScannerButton) {
    activate();
    enterMode();
    ASSERT_TRUE(form.click("btnVoltarTelaPrincipal"));
    EXPECT_TRUE(form.controls.enabled("Button3"));
    EXPECT_FALSE(form.controls.enabled("btnAtivar"));
    EXPECT_TRUE(form.controls.enabled("btnDesativar"));
}

TEST_F(MapAlterationTest, LeavingInPercentConvertsTheMapBackToMilliseconds) {
    enterMode();
    ASSERT_TRUE(form.click("btnPercentual"));
    ASSERT_EQ(text("e0i"), "2,9");
    ASSERT_TRUE(form.click("btnVoltarTelaPrincipal"));
    EXPECT_FALSE(form.activity.percent());
    EXPECT_EQ(text("e0i"), "3,5");
    EXPECT_TRUE(form.controls.enabled("btnPercentual"));
    EXPECT_TRUE(form.controls.enabled("btnSalvar"));
}

TEST_F(MapAlterationTest, UnappliedShiftsStayForTheNextVisit) {
    enterMode();
    setText("eC3ig", "7");
    ASSERT_TRUE(form.click("btnVoltarTelaPrincipal"));
    enterMode();
    EXPECT_EQ(text("eC3ig"), "7");
}

TEST_F(MapAlterationTest, ZeroShiftsOnlyReformatAndBoundTheCells) {
    enterMode();
    setText("e7i", "8");
    setText("e8i", "26");
    setText("e0", "10");
    setText("e1", "0,5");
    setText("e9", "0,5");
    setText("e2", "55");
    alter();
    EXPECT_EQ(text("e0i"), "3,5");
    EXPECT_EQ(text("e7i"), "8,0");
    EXPECT_EQ(text("e8i"), "25");
    EXPECT_EQ(text("e0"), "10");
    EXPECT_EQ(text("e1"), "0");
    EXPECT_EQ(text("e9"), "0,5");
    EXPECT_EQ(text("e2"), "50");
}

TEST_F(MapAlterationTest, RowAndColumnShiftsMeetInTheirCell) {
    enterMode();
    for (int n = 0; n < 72; ++n) {
        setText(config::injectionKey(n), "10");
    }
    setText("eC2inj", "10");
    setText("eL3inj", "5");
    alter();
    for (int n = 0; n < 72; ++n) {
        const bool inColumn = n % 8 == 2;
        const bool inRow = n / 8 == 3;
        const char* expected = inColumn && inRow ? "11,5"
                               : inColumn        ? "11,0"
                               : inRow           ? "10,5"
                                                 : "10,0";
        EXPECT_EQ(text(config::injectionKey(n)), expected) << "cell " << n;
    }
}

struct WholeMapCase {
    const char* field;
    const char* shift;
    const char* cell;
    const char* before;
    const char* after;
};

TEST_F(MapAlterationTest, WholeMapShiftsFollowTheirEdgeCases) {
    const WholeMapCase cases[] = {
        {"eAlterar", "50", "e7i", "8", "12,0"},    {"eAlterar", "-100", "e7i", "8", " 0,0"},
        {"eAlterar", "-150", "e7i", "8", " -4,0"}, {"eAltera", "-5", "e2", "6", "1"},
        {"eAltera", "-5", "e2", "4", "0"},         {"eAltera", "30", "e40", "33", "50"},
    };
    enterMode();
    for (const auto& c : cases) {
        setText(c.cell, c.before);
        setText(c.field, c.shift);
        alter();
        EXPECT_EQ(text(c.cell), c.after) << c.field << " " << c.shift << " on " << c.before;
    }
}

TEST_F(MapAlterationTest, PercentMapHasNoCeiling) {
    enterMode();
    ASSERT_TRUE(form.click("btnPercentual"));
    setText("e71i", "97,2");
    setText("eAlterar", "50");
    alter();
    EXPECT_EQ(text("e71i"), "145,8");
}

TEST_F(MapAlterationTest, AResultTooLargeForANumberIsRefusedInPercentToo) {
    enterMode();
    ASSERT_TRUE(form.click("btnPercentual"));
    setText("e30i", "1E308");
    setText("eAlterar", "900");
    const auto before = snapshotMaps();
    dialogs.expectError("'INF' is not a valid floating point value.");
    alter();
    EXPECT_EQ(snapshotMaps(), before);
    EXPECT_EQ(text("eAlterar"), "900");
}

TEST_F(MapAlterationTest, ASuccessfulRunClearsEveryShiftField) {
    enterMode();
    for (const auto& name : shiftFieldNames()) {
        setText(name, "1");
    }
    alter();
    for (const auto& name : shiftFieldNames()) {
        EXPECT_EQ(text(name), "0") << name;
    }
}

struct BadTextCase {
    std::map<std::string, std::string> texts;
    const char* reported;
};

TEST_F(MapAlterationTest, ABadTextChangesNothingAndReportsTheFirstInReadingOrder) {
    const BadTextCase cases[] = {
        {{{"e0i", "a"}, {"eAlterar", "b"}}, "a"},
        {{{"eAlterar", "b"}, {"eC0inj", "c"}}, "b"},
        {{{"eC0inj", "c"}, {"eL0inj", "d"}}, "c"},
        {{{"eL0inj", "d"}, {"e0", "e"}}, "d"},
        {{{"eC1inj", "c"}, {"e0", "x"}}, "c"},
        {{{"e71", "z"}, {"eAltera", "w"}}, "w"},
        {{{"e5", "q"}, {"eL0ig", "p"}}, "p"},
        {{{"e71", "z"}}, "z"},
        {{{"e71i", ""}}, ""},
    };
    enterMode();
    for (const auto& c : cases) {
        for (const auto& name : shiftFieldNames()) {
            setText(name, "5");
        }
        for (const auto& [name, value] : c.texts) {
            setText(name, value);
        }
        const auto before = snapshotMaps();
        dialogs.expectError(std::string("'") + c.reported +
                            "' is not a valid floating point value.");
        alter();
        EXPECT_EQ(snapshotMaps(), before) << "reported " << c.reported;
        for (const auto& name : shiftFieldNames()) {
            const auto it = c.texts.find(name);
            EXPECT_EQ(text(name), it == c.texts.end() ? "5" : it->second) << name;
        }
        // Put the defaults back for the next case.
        for (const auto& [name, value] : c.texts) {
            if (name.rfind("eC", 0) != 0 && name.rfind("eL", 0) != 0 && name != "eAltera" &&
                name != "eAlterar") {
                setText(name, std::string(config::parameter(name).defaultText));
            }
        }
    }
}

// Leaving in percent converts back; a text that cannot be converted keeps the
// user in the mode with the map as it was and the focus on that text.
TEST_F(MapAlterationTest, LeavingInPercentWithAnUnreadableTextStaysInTheMode) {
    struct Case {
        const char* field;
        const char* error;
    };
    const Case cases[] = {{"e70i", "'x' is not a valid floating point value."},
                          {"cbCilindros", "'x' is not a valid integer value."}};
    enterMode();
    ASSERT_TRUE(form.click("btnPercentual"));
    for (const auto& c : cases) {
        const std::string kept = text(c.field);
        setText(c.field, "x");
        const auto before = snapshotMaps();
        dialogs.expectError(c.error);
        ASSERT_TRUE(form.click("btnVoltarTelaPrincipal"));
        EXPECT_EQ(snapshotMaps(), before) << c.field;
        EXPECT_EQ(form.controls.focused(), c.field);
        EXPECT_TRUE(form.activity.percent()) << c.field;
        EXPECT_TRUE(form.controls.visible("GroupBox10")) << c.field;
        EXPECT_TRUE(form.controls.visible("eC0inj")) << c.field;
        EXPECT_FALSE(form.controls.visible("btnAlterarMapas")) << c.field;
        setText(c.field, kept);
    }
    ASSERT_TRUE(form.click("btnVoltarTelaPrincipal"));
    EXPECT_FALSE(form.activity.percent());
    EXPECT_TRUE(form.controls.enabled("btnSalvar"));
}

// The ignition map holds whole degrees: a shift that would leave a fraction in
// it is refused before anything changes, naming the shift as the user sees it.
TEST_F(MapAlterationTest, AFractionalIgnitionShiftIsRefusedBeforeAnythingChanges) {
    struct Case {
        const char* field;
        const char* shift;
        std::string box;
    };
    const Case cases[] = {
        {"eAltera", "2,5",
         " Atenção ! !  Use graus inteiros em \"Alterar todo o Mapa de Ignição\".  "},
        {"eC2ig", "0,5", " Atenção ! !  Use graus inteiros na coluna \"3\" do Mapa de Ignição.  "},
        {"eL3ig", "-1,5",
         " Atenção ! !  Use graus inteiros na linha de 2700 RPM do Mapa de Ignição.  "},
    };
    enterMode();
    setText("eAlterar", "10");
    for (const auto& c : cases) {
        setText(c.field, c.shift);
        const auto before = snapshotMaps();
        dialogs.expectMessage(c.box);
        alter();
        EXPECT_EQ(snapshotMaps(), before) << c.field;
        EXPECT_EQ(text(c.field), c.shift);
        EXPECT_EQ(text("eAlterar"), "10") << "no shift field is cleared";
        EXPECT_EQ(form.controls.focused(), c.field);
        setText(c.field, "0");
    }
    setText("eC2ig", "0,5"); // meeting a row shift of 0,5 only in cell 26 ...
    setText("eL3ig", "0,5");
    setText("e26", "9");
    dialogs.expectMessage(cases[1].box); // ... the rest of column 2 still gets a fraction
    alter();
}

} // namespace
} // namespace orvel::test
