#include "files/field_caption.h"

#include "core/control_store.h"
#include "model/config.h"

#include <array>
#include <optional>

namespace orvel {

namespace {

// A caption as the eye reads it: no padding, single spaces, no closing colon.
std::string plain(std::string_view caption) {
    std::string out;
    for (const char c : caption) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        out.push_back(c);
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == ':')) {
        out.pop_back();
    }
    return out;
}

std::optional<std::string> mapCell(std::string_view key) {
    for (int n = 0; n < config::kMapCells; ++n) {
        const char* map = nullptr;
        if (key == config::ignitionKey(n)) {
            map = "Mapa de Ignição";
        } else if (key == config::injectionKey(n)) {
            map = "Mapa de Injeção";
        } else {
            continue;
        }
        return std::string(map) + ", " +
               std::to_string(config::kRowRpm[static_cast<std::size_t>(n / 8)]) + " RPM, coluna " +
               std::to_string(n % 8 + 1);
    }
    return std::nullopt;
}

// A temperature correction: the row's caption and the column's temperature.
std::optional<std::string> correction(const ControlStore& controls, std::string_view key) {
    for (const char* row : {"eCorrecaoTi", "eCorrecaoIg", "eCorrecaoMl"}) {
        for (int column = 0; column < 8; ++column) {
            if (key == config::correctionKey(row, column)) {
                const std::string label = "lbl" + std::string(row).substr(1);
                return plain(controls.text(label)) + " a " +
                       std::to_string(config::kTemperatures[static_cast<std::size_t>(column)]) +
                       " °C";
            }
        }
    }
    return std::nullopt;
}

// The caption beside the field: a label named after it, or one it shares.
std::string ownCaption(const ControlStore& controls, std::string_view key) {
    if (key.starts_with("eAtm")) {
        return std::string(key.substr(4)) + " mbar";
    }
    for (const auto& [field, part] : std::array<std::pair<std::string_view, const char*>, 3>{
             {{"eSondaLenta", "Lenta"}, {"eSondaParcial", "Parcial"}, {"eSondaPlena", "Plena"}}}) {
        if (key == field) {
            return plain(controls.text("lblSondaAlvo")) + " " + part;
        }
    }
    const std::string_view stem = key.substr(key.starts_with("cb") ? 2 : 1);
    if (const std::string label = "lbl" + std::string(stem); controls.has(label)) {
        return plain(controls.text(label));
    }
    return {};
}

} // namespace

std::string fieldCaption(const ControlStore& controls, std::string_view key) {
    if (auto cell = mapCell(key)) {
        return *cell;
    }
    const ControlState& field = controls.get(key);
    std::string caption = correction(controls, key).value_or(ownCaption(controls, key));
    if (field.parent.empty() || controls.get(field.parent).kind != ControlKind::GroupBox) {
        return caption.empty() ? std::string(key) : caption;
    }
    const std::string group = plain(controls.text(field.parent));
    return caption.empty() ? group : group + ": " + caption;
}

} // namespace orvel
