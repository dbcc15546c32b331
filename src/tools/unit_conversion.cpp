#include "tools/unit_conversion.h"

#include "core/control_store.h"
#include "core/errors.h"
#include "model/config.h"
#include "model/number_text.h"
#include "tools/map_arithmetic.h"

#include <utility>

namespace orvel {

std::array<std::string, config::kMapCells> UnitConversion::convertedMap(Direction direction) const {
    auto& ui = controls_;
    // The user sees which text stopped the conversion.
    auto number = [&ui](std::string_view key, auto parse) {
        try {
            return parse(ui.text(key));
        } catch (const OrvelError&) {
            ui.focus(key);
            throw;
        }
    };
    const auto factors = number("cbCilindros", [](const std::string& t) {
        return maparith::cylinderFactors(numtext::parseInteger(t));
    });
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

std::string UnitConversion::millisecondText(int cell, double percent) const {
    const auto factors =
        maparith::cylinderFactors(numtext::parseInteger(controls_.text("cbCilindros")));
    const int rpm = config::kRowRpm[static_cast<std::size_t>(cell / config::kMapColumns)];
    return maparith::convertedCellText(
        maparith::toMilliseconds(percent, rpm, factors.toMilliseconds));
}

void UnitConversion::checkWayBack() const {
    (void)convertedMap(Direction::ToMilliseconds);
}

std::array<std::string, config::kMapCells> UnitConversion::millisecondTexts() const {
    if (activity_.percent()) {
        return convertedMap(Direction::ToMilliseconds);
    }
    std::array<std::string, config::kMapCells> texts;
    for (int n = 0; n < config::kMapCells; ++n) {
        texts[static_cast<std::size_t>(n)] = controls_.text(config::injectionKey(n));
    }
    return texts;
}

void UnitConversion::btnPercentualClick() {
    if (!activity_.mayConvertToPercent()) {
        return;
    }
    show(Direction::ToPercent);
}

void UnitConversion::btnmSClick() {
    if (activity_.percent() && activity_.mayChangeMapAsWhole()) {
        toMilliseconds();
    }
}

void UnitConversion::toMilliseconds() {
    show(Direction::ToMilliseconds);
}

void UnitConversion::show(Direction direction) {
    auto texts = convertedMap(direction);
    for (int n = 0; n < config::kMapCells; ++n) {
        controls_.setText(config::injectionKey(n), std::move(texts[static_cast<std::size_t>(n)]));
    }
    const bool percent = direction == Direction::ToPercent;
    controls_.setText("Label46", percent ? " Valores em  \" % \" " : " Valores em Ti \" mS \" ");
    activity_.percentShown(percent);
}

void UnitConversion::beforeMillisecondsArrive() {
    if (activity_.percent()) {
        toMilliseconds();
    }
}

} // namespace orvel
