#include "editing/compare.h"

#include "core/errors.h"
#include "model/number_text.h"

#include <array>
#include <cmath>
#include <string_view>
#include <utility>

namespace orvel::compare {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 29> kCaptions{{
    {"cbCombinacaoMapa", "Combinação dos Mapas"},
    {"cbTipoDistribuidor", "Tipo de Distribuidor"},
    {"eLimiteRpm", "Limite de RPM"},
    // Carried in the file and the window, never shown there.
    {"eRepousoTps", "Valor sem campo na tela (posição 4 do arquivo)"},
    {"emSAr", "Ar Condic.: Incrementa Ti (ms)"},
    {"ePercentualAr", "Ar Condic.: Abre Atuador (%)"},
    {"eLigaCutOff", "Cut Off: Liga os Injet. (RPM)"},
    {"eDeslCutOff", "Cut Off: Desl. os Injet. (RPM)"},
    {"cbSondaTipo", "Sonda Lambda: Tipo de sensor"},
    {"eSondaLenta", "Sonda Lambda: Valor Alvo Lenta (mV)"},
    {"eSondaParcial", "Sonda Lambda: Valor Alvo Parcial (mV)"},
    {"eSondaPlena", "Sonda Lambda: Valor Alvo Plena (mV)"},
    {"cbSondaCorrecao", "Sonda Lambda: Definido por"},
    {"eSondaTemp", "Sonda Lambda: Temperatura (°C)"},
    {"cbSondaAtiva", "Sonda Lambda: Atividade"},
    {"eAtm820", "Pressão Atmosférica 820 mbar (% do Ti)"},
    {"eAtm880", "Pressão Atmosférica 880 mbar (% do Ti)"},
    {"eAtm940", "Pressão Atmosférica 940 mbar (% do Ti)"},
    {"eAtm1000", "Pressão Atmosférica 1000 mbar (% do Ti)"},
    {"cbRapidaTpsxMap", "Aceler. Rápida: Definido por"},
    {"eBasico", "Aceler. Rápida: Curta"},
    {"eGanho", "Aceler. Rápida: Longa"},
    {"eDecremento", "Aceler. Rápida: Decremento"},
    {"eLigaEletro", "Eletro Ventilador: Liga (°C)"},
    {"eDesligaEletro", "Eletro Ventilador: Desliga (°C)"},
    {"cbCilindros", "Cilindros do Motor"},
    {"eAvancoPartida", "Avanço na Partida"},
    {"emSCorrecaoEletro", "Eletro Ventilador: Ti (mS)"},
    {"ePercEletro", "Eletro Ventilador: Atuador M. Lenta (%)"},
}};

// The temperature correction rows as the settings page titles them.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kCorrectionRows{{
    {"eCorrecaoTi", "Correção Ti (%)"},
    {"eCorrecaoIg", "Correção Avanço (°)"},
    {"eCorrecaoMl", "Atuador de M. lenta (%)"},
}};

std::optional<double> numberIn(const std::string& text) {
    try {
        const double value = numtext::parseDecimal(text);
        return std::isfinite(value) ? std::optional(value) : std::nullopt;
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

std::string cellCaption(std::string_view map, int cell) {
    const auto row = static_cast<std::size_t>(cell / config::kMapColumns);
    return std::string(map) + ", " + std::to_string(config::kRowRpm[row]) + " RPM, coluna " +
           std::to_string(cell % config::kMapColumns + 1);
}

} // namespace

mapfile::Values valuesFromSlots(const std::vector<std::string>& slots) {
    mapfile::Values values(config::kValueCount);
    for (std::size_t i = 0; i < values.size() && i < slots.size(); ++i) {
        values[i] = slots[i];
    }
    // The loader refuses a file whose TPS numbers are not integers.
    const auto tps = config::fileOrder().size();
    for (std::size_t i = tps; i < values.size(); ++i) {
        values[i] = numtext::formatInteger(numtext::parseInteger(values[i]));
    }
    return values;
}

std::vector<Difference> differences(const mapfile::Values& current, const mapfile::Values& other) {
    std::vector<Difference> found;
    for (std::size_t i = 0; i < current.size() && i < other.size(); ++i) {
        if (current[i] == other[i]) {
            continue;
        }
        const auto a = numberIn(current[i]);
        const auto b = numberIn(other[i]);
        if (a && b && *a == *b) {
            continue;
        }
        Difference d{i, captionAt(i), current[i], other[i], std::nullopt};
        if (a && b) {
            d.delta = *b - *a;
        }
        found.push_back(std::move(d));
    }
    return found;
}

bool isMapCell(std::size_t position) {
    return position >= kIgnitionFirst && position < kInjectionFirst + config::kMapCells;
}

std::string captionAt(std::size_t position) {
    const auto& order = config::fileOrder();
    if (position == order.size()) {
        return "TPS fechado (calibração)";
    }
    if (position == order.size() + 1) {
        return "TPS aberto (calibração)";
    }
    if (position >= kIgnitionFirst && position < kInjectionFirst) {
        return cellCaption("Mapa de ignição", static_cast<int>(position - kIgnitionFirst));
    }
    if (position >= kInjectionFirst && position < kInjectionFirst + config::kMapCells) {
        return cellCaption("Mapa de injeção", static_cast<int>(position - kInjectionFirst));
    }
    const std::string_view key = order.at(position).key;
    for (const auto& [name, caption] : kCaptions) {
        if (name == key) {
            return std::string(caption);
        }
    }
    for (const auto& [prefix, caption] : kCorrectionRows) {
        if (key.starts_with(prefix)) {
            return std::string(caption) + " a " + std::string(key.substr(prefix.size())) + " °C";
        }
    }
    return std::string(key);
}

std::string formatDelta(double delta) {
    // Map values carry one decimal at most; rounding hides the binary remainder.
    const double rounded = std::round(delta * 1000) / 1000;
    if (rounded == 0) {
        return "0";
    }
    return (rounded > 0 ? "+" : "") + numtext::formatGeneral(rounded);
}

} // namespace orvel::compare
