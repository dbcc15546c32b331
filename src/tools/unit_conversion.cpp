#include "tools/unit_conversion.h"

#include "core/errors.h"
#include "form/form.h"
#include "model/config.h"
#include "model/number_text.h"
#include "tools/map_arithmetic.h"

#include <utility>

namespace orvel {

std::array<std::string, config::kMapCells> UnitConversion::convertedMap(Direction direction) const {
    auto& ui = form_.controls;
    // The user sees which text stopped the conversion.
    auto number = [&ui](std::string_view key, auto parse) {
        try {
            return parse(ui.text(key));
        } catch (const ConversionError&) {
            ui.focus(key);
            throw;
        }
    };
    const auto factors = maparith::cylinderFactors(
        number("cbCilindros", [](const std::string& t) { return numtext::parseInteger(t); }));
    std::array<std::string, config::kMapCells> texts;
    for (int n = 0; n < config::kMapCells; ++n) {
        const int rpm = config::kRowRpm[static_cast<std::size_t>(n / config::kMapColumns)];
        const double v = number(config::injectionKey(n),
                                [](const std::string& t) { return numtext::parseDecimal(t); });
        const double converted = direction == Direction::ToPercent
                                     ? maparith::toPercent(v, rpm, factors.toPercent)
                                     : maparith::toMilliseconds(v, rpm, factors.toMilliseconds);
        texts[static_cast<std::size_t>(n)] = maparith::convertedCellText(converted);
    }
    return texts;
}

void UnitConversion::checkWayBack() const {
    (void)convertedMap(Direction::ToMilliseconds);
}

void UnitConversion::btnPercentualClick() {
    auto texts = convertedMap(Direction::ToPercent);
    auto& ui = form_.controls;
    ui.setEnabled({"btnEnvia", "Button8", "btnLerDados", "Button6", "btnSalvar", "Button1",
                   "btnCarregar", "Button2", "btnAtivar"},
                  false);
    for (int n = 0; n < config::kMapCells; ++n) {
        ui.setText(config::injectionKey(n), std::move(texts[static_cast<std::size_t>(n)]));
    }
    ui.setEnabled("btnmS", true);
    ui.setEnabled("btnPercentual", false);
    ui.setText("Label46", " Valores em  \" % \" ");
    form_.state.injectionMapInPercent = true;
    tpsOffered_ = false;
    holdTransfers();
}

void UnitConversion::btnmSClick() {
    showMilliseconds();
    auto& ui = form_.controls;
    // Buttons that a running scanner, upload or download holds come back at its end.
    const bool busy = form_.scanner.isOn() || form_.timer2->enabled() || ui.visible("pnAguarde");
    if (busy) {
        return;
    }
    ui.setEnabled({"btnSalvar", "Button1", "btnCarregar", "Button2"}, true);
    if (form_.state.portActive) {
        ui.setEnabled({"btnEnvia", "Button8", "btnLerDados", "Button6"}, true);
    }
    if (std::exchange(tpsOffered_, false) && form_.port.isOpen() && form_.timerTps->tag == 0) {
        ui.setEnabled("btnConfigurarTps", true);
    }
}

void UnitConversion::showMilliseconds() {
    auto texts = convertedMap(Direction::ToMilliseconds);
    auto& ui = form_.controls;
    for (int n = 0; n < config::kMapCells; ++n) {
        ui.setText(config::injectionKey(n), std::move(texts[static_cast<std::size_t>(n)]));
    }
    ui.setEnabled("btnmS", false);
    ui.setEnabled("btnPercentual", true);
    ui.setText("Label46", " Valores em Ti \" mS \" ");
    form_.state.injectionMapInPercent = false;
}

void UnitConversion::holdTransfers() {
    if (!form_.state.injectionMapInPercent) {
        return;
    }
    auto& ui = form_.controls;
    if (ui.enabled("btnConfigurarTps")) {
        tpsOffered_ = true;
        ui.setEnabled("btnConfigurarTps", false);
    }
    for (auto name : {"btnEnvia", "btnLerDados", "btnSalvar", "btnCarregar"}) {
        if (ui.enabled(name)) {
            ui.setEnabled(name, false);
        }
    }
}

void UnitConversion::beforeMillisecondsArrive() {
    if (form_.state.injectionMapInPercent) {
        btnmSClick(); // the buttons stay with a download that holds them
    }
}

} // namespace orvel
