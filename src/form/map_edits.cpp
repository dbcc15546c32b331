#include "form/map_edits.h"

#include "form/form.h"
#include "model/number_text.h"

namespace orvel::mapedit {

namespace {

// The map in percent goes back to mS before any upload: a cell whose way back
// leaves 0..25 ms is refused now, not when "Enviar Dados" meets it.
editing::Outcome checkedWayBack(const UnitConversion& units, editing::Outcome outcome) {
    for (const auto& c : outcome.cells) {
        const std::string ms = units.millisecondText(c.cell, numtext::parseDecimal(c.text));
        const double value = numtext::parseDecimal(ms);
        const auto& rule = editing::kInjectionMsRule;
        if (value < rule.min || value > rule.max) {
            return editing::refusedCell(c.cell, c.text + " %, que são " + ms + " ms", rule);
        }
    }
    return outcome;
}

} // namespace

const editing::CellRule& ruleOf(const Activity& activity, mapview::Map map) {
    if (map == mapview::Map::Ignition) {
        return editing::kIgnitionRule;
    }
    return activity.percent() ? editing::kInjectionPercentRule : editing::kInjectionMsRule;
}

bool apply(Form& form, mapview::Map map, const std::string& stepName, const Operation& operation) {
    bool applied = false;
    form.edit(stepName, [&] {
        auto outcome =
            operation(mapview::readCells(form.controls, map), ruleOf(form.activity, map));
        if (!outcome.refused() && map == mapview::Map::Injection && form.activity.percent()) {
            outcome = checkedWayBack(form.units, std::move(outcome));
        }
        if (outcome.refused()) {
            form.boxes.message(outcome.refusal);
            return;
        }
        for (const auto& c : outcome.cells) {
            form.controls.setText(mapview::cellKey(map, c.cell), c.text);
        }
        applied = true;
    });
    return applied;
}

} // namespace orvel::mapedit
