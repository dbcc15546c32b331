#include "model/config.h"

#include <deque>
#include <stdexcept>
#include <unordered_map>

namespace orvel::config {

namespace {

constexpr std::array<std::string_view, kMapCells> kIgnitionDefaults{
    "10", "10", "6",  "6",  "6",  "6",  "6",  "6",  "10", "10", "12", "12", "12", "12", "12",
    "12", "11", "18", "18", "19", "20", "20", "21", "22", "32", "32", "31", "30", "29", "28",
    "27", "25", "33", "33", "32", "31", "30", "29", "28", "26", "33", "33", "32", "32", "30",
    "29", "28", "26", "34", "34", "33", "33", "31", "30", "29", "27", "34", "34", "33", "33",
    "31", "30", "29", "27", "34", "34", "33", "33", "31", "30", "29", "27"};

constexpr std::array<std::string_view, kMapCells> kInjectionDefaults{
    "3,5", "5,2", "5,8", "6,8", "7,4", "7,8", "8",   "8,1", "3,1", "4,3", "5,3", "6,5",
    "7,3", "7,6", "7,8", "8,1", "2,8", "4",   "5",   "6,2", "7,2", "7,6", "7,8", "8,1",
    "2,5", "3,8", "4,4", "6,2", "7,2", "7,6", "8",   "8,2", "2,4", "3,3", "4,2", "6",
    "7,4", "8,2", "8,2", "8,3", "2,4", "3,1", "4,2", "5,8", "7,6", "8,7", "8,6", "8,6",
    "2,3", "2,9", "4",   "5,7", "7,4", "8,2", "8,3", "8,5", "2,3", "2,8", "3,9", "5,6",
    "7,3", "7,8", "8,3", "8,3", "2,2", "2,8", "3,8", "5,5", "7,2", "7,8", "8,1", "8,1"};

constexpr std::array<std::string_view, 8> kTiDefaults{"45", "35", "25", "15", "5", "0", "0", "0"};
constexpr std::array<std::string_view, 8> kIgDefaults{"5", "4", "3", "2", "1", "0", "0", "-2"};
constexpr std::array<std::string_view, 8> kMlDefaults{"70", "50", "40", "30", "20", "15", "0", "0"};

constexpr std::array<ChoiceItem, 2> kCombinacao{{{"TPS X RPM", 5}, {"MAP X RPM", 10}}};
constexpr std::array<ChoiceItem, 3> kCilindros{{{"4", 4}, {"6", 6}, {"8", 8}}};
constexpr std::array<ChoiceItem, 3> kDistribuidor{
    {{"Carburado", 10}, {"Injetado", 0}, {"3+1 VW Mi", 5}}};
constexpr std::array<ChoiceItem, 2> kSondaTipo{{{"Normal", 5}, {"Banda Larga (1)", 10}}};
constexpr std::array<ChoiceItem, 2> kTpsMap{{{"TPS", 5}, {"MAP", 10}}};
constexpr std::array<ChoiceItem, 3> kSondaAtiva{
    {{"Ativada", 5}, {"Desativada", 10}, {"Des em Marcha Lenta", 15}}};

// Built by appending: GCC 12 at -O3 flags the operator+ form with a false -Wrestrict.
std::array<std::string, kMapCells> cellKeys(std::string_view suffix) {
    std::array<std::string, kMapCells> keys;
    for (int n = 0; n < kMapCells; ++n) {
        auto& key = keys[static_cast<std::size_t>(n)];
        key = "e";
        key += std::to_string(n);
        key += suffix;
    }
    return keys;
}

struct Tables {
    std::deque<std::string> keys; // owns the generated key texts
    std::vector<Parameter> order;
    std::unordered_map<std::string_view, std::size_t> index;

    std::string_view own(std::string key) { return keys.emplace_back(std::move(key)); }
    void add(std::string_view key, Kind kind, std::string_view def, int max) {
        index.emplace(key, order.size());
        order.push_back({key, kind, def, max});
    }

    Tables() {
        add("cbCombinacaoMapa", Kind::Choice, "TPS X RPM", 0);
        add("cbTipoDistribuidor", Kind::Choice, "Injetado", 0);
        add("eLimiteRpm", Kind::Integer, "6000", 5);
        add("eRepousoTps", Kind::Integer, "128", 3);
        add("emSAr", Kind::OneDecimal, "1", 3);
        add("ePercentualAr", Kind::Integer, "70", 2);
        add("eLigaCutOff", Kind::Integer, "1500", 4);
        add("eDeslCutOff", Kind::Integer, "2200", 4);
        for (int n = 0; n < kMapCells; ++n) {
            add(ignitionKey(n), Kind::Integer, kIgnitionDefaults[n], 2);
        }
        for (int n = 0; n < kMapCells; ++n) {
            add(injectionKey(n), Kind::OneDecimal, kInjectionDefaults[n], 4);
        }
        add("cbSondaTipo", Kind::Choice, "Normal", 0);
        add("eSondaLenta", Kind::Integer, "550", 3);
        add("eSondaParcial", Kind::Integer, "700", 3);
        add("eSondaPlena", Kind::Integer, "860", 3);
        add("cbSondaCorrecao", Kind::Choice, "TPS", 0);
        add("eSondaTemp", Kind::Integer, "30", 0);
        add("cbSondaAtiva", Kind::Choice, "Ativada", 0);
        for (auto key : kPressureKeys) {
            add(key, Kind::Integer, "0", 3);
        }
        add("cbRapidaTpsxMap", Kind::Choice, "TPS", 0);
        add("eBasico", Kind::OneDecimal, "3", 3);
        add("eGanho", Kind::Integer, "3", 3);
        add("eDecremento", Kind::Integer, "3", 3);
        for (int i = 0; i < 8; ++i) {
            add(own(correctionKey("eCorrecaoTi", i)), Kind::Integer, kTiDefaults[i],
                i == 7 ? 3 : 2);
        }
        for (int i = 0; i < 8; ++i) {
            add(own(correctionKey("eCorrecaoIg", i)), Kind::Integer, kIgDefaults[i],
                i == 7 ? 3 : 2);
        }
        for (int i = 0; i < 8; ++i) {
            add(own(correctionKey("eCorrecaoMl", i)), Kind::Integer, kMlDefaults[i],
                i == 0 ? 3 : 2);
        }
        add("eLigaEletro", Kind::Integer, "87", 3);
        add("eDesligaEletro", Kind::Integer, "80", 3);
        add("cbCilindros", Kind::Choice, "4", 0);
        add("eAvancoPartida", Kind::Integer, "6", 3);
        add("emSCorrecaoEletro", Kind::OneDecimal, "0,2", 3);
        add("ePercEletro", Kind::Integer, "20", 3);
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

// Spelled once: uploads, downloads and the scanner name cells many times a second.
const std::string& ignitionKey(int cell) {
    static const auto keys = cellKeys("");
    return keys.at(static_cast<std::size_t>(cell));
}
const std::string& injectionKey(int cell) {
    static const auto keys = cellKeys("i");
    return keys.at(static_cast<std::size_t>(cell));
}

std::string correctionKey(std::string_view row, int column) {
    return std::string(row) + std::to_string(kTemperatures.at(static_cast<std::size_t>(column)));
}

const std::vector<Parameter>& fileOrder() {
    return tables().order;
}

const Parameter* findParameter(std::string_view key) {
    const auto& t = tables();
    auto it = t.index.find(key);
    return it == t.index.end() ? nullptr : &t.order[it->second];
}

const Parameter& parameter(std::string_view key) {
    if (const auto* p = findParameter(key)) {
        return *p;
    }
    throw std::logic_error("unknown parameter " + std::string(key));
}

std::span<const ChoiceItem> choices(std::string_view key) {
    if (key == "cbCombinacaoMapa") {
        return kCombinacao;
    }
    if (key == "cbCilindros") {
        return kCilindros;
    }
    if (key == "cbTipoDistribuidor") {
        return kDistribuidor;
    }
    if (key == "cbSondaTipo") {
        return kSondaTipo;
    }
    if (key == "cbSondaCorrecao" || key == "cbRapidaTpsxMap") {
        return kTpsMap;
    }
    if (key == "cbSondaAtiva") {
        return kSondaAtiva;
    }
    return {};
}

std::optional<int> codeOf(std::string_view key, std::string_view text) {
    for (const auto& item : choices(key)) {
        if (item.text == text) {
            return item.code;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> textOf(std::string_view key, int code) {
    for (const auto& item : choices(key)) {
        if (item.code == code) {
            return item.text;
        }
    }
    return std::nullopt;
}

} // namespace orvel::config
