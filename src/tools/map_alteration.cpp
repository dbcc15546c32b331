#include "tools/map_alteration.h"

#include "core/control_store.h"
#include "core/platform.h"
#include "model/config.h"
#include "model/number_text.h"
#include "tools/map_arithmetic.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace orvel {

namespace {

std::string columnField(int column, const char* map) {
    return "eC" + std::to_string(column) + map;
}
std::string rowField(int row, const char* map) {
    return "eL" + std::to_string(row) + map;
}

// The 34 shift fields in the order they are cleared after a run.
std::vector<std::string> shiftFields() {
    std::vector<std::string> names;
    for (const char* map : {"inj", "ig"}) {
        for (int c = 0; c < config::kMapColumns; ++c) {
            names.push_back(columnField(c, map));
        }
        for (int r = 0; r < config::kMapRows; ++r) {
            names.push_back(rowField(r, map));
        }
    }
    names.emplace_back("eAlterar");
    names.emplace_back("eAltera");
    return names;
}

bool isWhole(double value) {
    return value == std::trunc(value);
}

// The ignition shift fields as the user sees them: the whole-map field by its
// label, a column by its caption, a row by its engine speed.
std::string shiftPlace(const ControlStore& ui, int column, int row) {
    if (column < 0) {
        return "em \"Alterar todo o Mapa de Ignição\"";
    }
    if (row < 0) {
        return "na coluna \"" + ui.caption("Label" + std::to_string(72 + column)) +
               "\" do Mapa de Ignição";
    }
    return "na linha de " + std::to_string(config::kRowRpm[static_cast<std::size_t>(row)]) +
           " RPM do Mapa de Ignição";
}

} // namespace

void MapAlteration::btnAlterarMapasClick() {
    if (!activity_.mayEnterAlteration()) {
        return;
    }
    // The calibrator's ways out make no sense beside the mode's tools.
    controls_.setVisible({"btnAnular", "btnRecalcular"}, false);
    activity_.alterationEntered();
}

void MapAlteration::btnAlterarClick() {
    if (!activity_.mayChangeMapAsWhole()) {
        return; // a transfer sends or reads the map as it stands
    }
    auto& ui = controls_;
    auto number = [&ui](const std::string& name) { return numtext::parseDecimal(ui.text(name)); };
    const bool milliseconds = !activity_.percent();

    // Every text is read and every result formed before the first cell is
    // written, so a text that is not a number leaves both maps as they were.
    std::vector<std::pair<std::string, std::string>> results;
    results.reserve(2 * config::kMapCells);
    for (int n = 0; n < config::kMapCells; ++n) {
        const int r = n / config::kMapColumns;
        const int c = n % config::kMapColumns;
        const double v = number(config::injectionKey(n));
        const double whole = number("eAlterar");
        const double column = number(columnField(c, "inj"));
        const double row = number(rowField(r, "inj"));
        results.emplace_back(config::injectionKey(n),
                             maparith::injectionCellText(
                                 maparith::scaledInjection(v, whole, column, row), milliseconds));
    }
    for (int n = 0; n < config::kMapCells; ++n) {
        const int r = n / config::kMapColumns;
        const int c = n % config::kMapColumns;
        const double v = number(config::ignitionKey(n));
        const double whole = number("eAltera");
        const double column = number(columnField(c, "ig"));
        const double row = number(rowField(r, "ig"));
        std::string cell =
            maparith::ignitionCellText(n, maparith::shiftedIgnition(v, whole, column, row));
        // The map holds whole degrees (the upload sends them as such): a fraction
        // that a shift brought in is refused before anything changes.
        if (!isWhole(numtext::parseDecimal(cell))) {
            if (refuseFractionalShift(whole, column, row, c, r)) {
                return;
            }
        }
        results.emplace_back(config::ignitionKey(n), std::move(cell));
    }

    for (auto& [name, text] : results) {
        ui.setText(name, std::move(text));
    }
    for (const auto& name : shiftFields()) {
        ui.setText(name, "0");
    }
}

bool MapAlteration::refuseFractionalShift(double whole, double column, double row, int c, int r) {
    auto& ui = controls_;
    std::string field;
    std::string place;
    if (!isWhole(whole)) {
        field = "eAltera";
        place = shiftPlace(ui, -1, -1);
    } else if (!isWhole(column)) {
        field = columnField(c, "ig");
        place = shiftPlace(ui, c, -1);
    } else if (!isWhole(row)) {
        field = rowField(r, "ig");
        place = shiftPlace(ui, c, r);
    } else {
        return false; // the cell itself held the fraction
    }
    dialogs_.message(" Atenção ! !  Use graus inteiros " + place + ".  ");
    ui.focus(field);
    return true;
}

void MapAlteration::btnVoltarTelaPrincipalClick() {
    if (!activity_.alteration()) {
        return;
    }
    // The map goes back to milliseconds on the way out: a text that cannot be
    // converted keeps the user here, with nothing changed.
    const bool percent = activity_.percent();
    if (percent) {
        wayBack_.check();
    }
    activity_.alterationLeft();
    if (percent) {
        wayBack_.toMilliseconds();
    }
}

} // namespace orvel
