#include "model/entry_rules.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace orvel::test {
namespace {

constexpr const char* kCutOffTooLow =
    " Atenção ! !  Esse valor deve ser maior que o valor para ligar os injetores .   ";
constexpr const char* kCutOffTooHigh =
    " Atenção ! !  Esse valor deve ser menor que o valor para Desligar os injetores .   ";
constexpr const char* kRpmLimit = " Atenção ! !  Valor máximo 12.000 PRM   ";
constexpr const char* kCrankingAdvance = " Atenção ! !  Valor máximo 15 graus   ";
constexpr const char* kPickAnItem = " Atenção ! !  Selecione um dos Valores.  ";

const std::vector<std::string> kColumnLabels{
    "Label57", "Label63", "Label64", "Label65", "Label66", "Label69", "Label70", "Label71",
    "Label72", "Label73", "Label74", "Label75", "Label76", "Label77", "Label78", "Label79"};

class EntryRulesTest : public CoreTest {
protected:
    // Text changes of one control, in order, from now on.
    std::vector<std::string>& recordTexts(const std::string& name) {
        form.controls.setObserver([this, name](const std::string& changed, Prop prop) {
            if (changed == name && prop == Prop::Text) {
                texts_.push_back(form.controls.text(name));
            }
        });
        return texts_;
    }
    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (const auto& label : kColumnLabels) {
            out.push_back(form.controls.caption(label));
        }
        return out;
    }

private:
    std::vector<std::string> texts_;
};

struct CutOffCase {
    const char* exited;
    const char* off;
    const char* on;
    const char* message; // nullptr: accepted
};

TEST_F(EntryRulesTest, CutOffPairRefusesTheFieldLeftWhenItCrossesTheOther) {
    const CutOffCase cases[] = {
        {"eDeslCutOff", "1500", "1500", nullptr},
        {"eLigaCutOff", "1500", "1500", nullptr},
        {"eDeslCutOff", "2200", "1500", nullptr},
        {"eDeslCutOff", "1400", "1500", kCutOffTooLow},
        {"eDeslCutOff", "1500", "1500,5", kCutOffTooLow},
        {"eLigaCutOff", "2200", "2300", kCutOffTooHigh},
        {"eLigaCutOff", "2200", "2200,1", kCutOffTooHigh},
        {"eLigaCutOff", " 2200 ", "-5", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.exited) + " off=" + c.off + " on=" + c.on);
        setText("eDeslCutOff", c.off);
        setText("eLigaCutOff", c.on);
        form.controls.noteFocus("btnSalvar");
        if (c.message != nullptr) {
            dialogs.expectMessage(c.message);
        }
        ASSERT_TRUE(form.exit(c.exited));
        EXPECT_TRUE(dialogs.done());
        const std::string other =
            std::string(c.exited) == "eDeslCutOff" ? "eLigaCutOff" : "eDeslCutOff";
        const std::string original = std::string(c.exited) == "eDeslCutOff" ? c.off : c.on;
        EXPECT_EQ(text(c.exited), c.message != nullptr ? "" : original);
        EXPECT_EQ(text(other), std::string(other) == "eDeslCutOff" ? c.off : c.on);
        EXPECT_EQ(form.controls.focused(), c.message != nullptr ? c.exited : "btnSalvar");
    }
}

TEST_F(EntryRulesTest, CutOffWithAnEmptyPartnerFailsAsAConversionAndChangesNothing) {
    setText("eDeslCutOff", "2200");
    setText("eLigaCutOff", "");
    dialogs.expectError("'' is not a valid floating point value.");
    form.exit("eDeslCutOff");
    EXPECT_EQ(text("eDeslCutOff"), "2200");
    EXPECT_EQ(text("eLigaCutOff"), "");

    setText("eLigaCutOff", "1500");
    setText("eDeslCutOff", "abc");
    dialogs.expectError("'abc' is not a valid floating point value.");
    form.exit("eLigaCutOff");
    EXPECT_EQ(text("eDeslCutOff"), "abc");
    EXPECT_EQ(text("eLigaCutOff"), "1500");
}

TEST_F(EntryRulesTest, RefusedCutOffFieldFailsAgainUntilAValidNumberIsEntered) {
    setText("eDeslCutOff", "1000");
    dialogs.expectMessage(kCutOffTooLow);
    form.exit("eDeslCutOff");
    ASSERT_EQ(text("eDeslCutOff"), "");

    dialogs.expectError("'' is not a valid floating point value.");
    form.exit("eDeslCutOff");

    setText("eDeslCutOff", "1600");
    form.exit("eDeslCutOff");
    EXPECT_EQ(text("eDeslCutOff"), "1600");
}

struct MaximumCase {
    const char* field;
    const char* typed;
    const char* message; // nullptr: accepted
    const char* putBack;
};

TEST_F(EntryRulesTest, FieldAboveItsMaximumIsEmptiedFocusedAndSetToTheMaximum) {
    const MaximumCase cases[] = {
        {"eLimiteRpm", "12000", nullptr, nullptr},
        {"eLimiteRpm", "6050", nullptr, nullptr}, // multiples of 100 are not enforced
        {"eLimiteRpm", "12001", kRpmLimit, "12000"},
        {"eLimiteRpm", "12000,5", kRpmLimit, "12000"},
        {"eLimiteRpm", "99999", kRpmLimit, "12000"},
        {"eAvancoPartida", "15", nullptr, nullptr},
        {"eAvancoPartida", "-5", nullptr, nullptr},
        {"eAvancoPartida", "16", kCrankingAdvance, "15"},
        {"eAvancoPartida", "15,1", kCrankingAdvance, "15"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.typed);
        setText(c.field, c.typed);
        form.controls.noteFocus("eSondaTemp");
        auto& texts = recordTexts(c.field);
        texts.clear();
        if (c.message != nullptr) {
            dialogs.expectMessage(c.message);
        }
        ASSERT_TRUE(form.exit(c.field));
        EXPECT_TRUE(dialogs.done());
        if (c.message != nullptr) {
            EXPECT_EQ(texts, (std::vector<std::string>{"", c.putBack}));
            EXPECT_EQ(form.controls.focused(), c.field);
        } else {
            EXPECT_TRUE(texts.empty());
            EXPECT_EQ(text(c.field), c.typed);
            EXPECT_EQ(form.controls.focused(), "eSondaTemp");
        }
    }
}

TEST_F(EntryRulesTest, MaximumRuleReportsATextThatIsNotANumber) {
    setText("eAvancoPartida", "");
    dialogs.expectError("'' is not a valid floating point value.");
    form.exit("eAvancoPartida");
    EXPECT_EQ(text("eAvancoPartida"), "");

    setText("eLimiteRpm", "12.000");
    dialogs.expectError("'12.000' is not a valid floating point value.");
    form.exit("eLimiteRpm");
    EXPECT_EQ(text("eLimiteRpm"), "12.000");
}

TEST_F(EntryRulesTest, TypingIntoAGuardedListWarnsAndPutsTheFocusBack) {
    const std::pair<const char*, const char*> cases[] = {
        {"cbCilindros", "8"},
        {"cbTipoDistribuidor", "Carburado"},
        {"cbCombinacaoMapa", "MAP X RPM"},
    };
    for (const auto& [list, shown] : cases) {
        SCOPED_TRACE(list);
        setText(list, shown);
        form.controls.noteFocus("btnSalvar");
        dialogs.expectMessage(kPickAnItem);
        ASSERT_TRUE(form.keyPress(list));
        EXPECT_EQ(form.controls.focused(), list);
        // Only the cylinder list falls back to "4".
        EXPECT_EQ(text(list), std::string(list) == "cbCilindros" ? "4" : shown);
    }
}

TEST_F(EntryRulesTest, TypingIntoAnUnguardedListIsAccepted) {
    for (const char* list : {"cbSondaTipo", "cbSondaCorrecao", "cbSondaAtiva", "cbRapidaTpsxMap"}) {
        setText(list, "digitado");
        EXPECT_FALSE(form.keyPress(list));
        EXPECT_EQ(text(list), "digitado");
    }
}

TEST_F(EntryRulesTest, LeavingTheCombinationListSetsBothMapsColumnCaptions) {
    ASSERT_EQ(captions(), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "1",
                                                    "2", "3", "4", "5", "6", "7", "8"}));
    setText("cbCombinacaoMapa", "MAP X RPM");
    std::vector<std::string> order;
    form.controls.setObserver([&](const std::string& name, Prop prop) {
        if (prop == Prop::Text) {
            order.push_back(name);
        }
    });
    form.exit("cbCombinacaoMapa");
    const std::vector<std::string> map{"-820", "-720", "-600", "-480",
                                       "-370", "-250", "-130", "0 mbar"};
    std::vector<std::string> both = map;
    both.insert(both.end(), map.begin(), map.end());
    EXPECT_EQ(captions(), both);
    EXPECT_EQ(order, kColumnLabels); // injection labels first, left to right

    setText("cbCombinacaoMapa", "TPS X RPM");
    form.exit("cbCombinacaoMapa");
    const std::vector<std::string> tps{"0 %", "14", "28", "42", "56", "70", "84", "100 %"};
    both = tps;
    both.insert(both.end(), tps.begin(), tps.end());
    EXPECT_EQ(captions(), both);
}

TEST_F(EntryRulesTest, CombinationTextThatIsNoItemLeavesTheCaptionsAlone) {
    setText("cbCombinacaoMapa", "MAP X RPM");
    form.exit("cbCombinacaoMapa");
    const auto before = captions();
    for (const char* typed : {"map x rpm", "TPS X RPM ", ""}) {
        setText("cbCombinacaoMapa", typed);
        form.exit("cbCombinacaoMapa");
        EXPECT_EQ(captions(), before) << typed;
    }
}

} // namespace
} // namespace orvel::test
