#include "analysis/map_context.h"

#include "core/control_store.h"
#include "core/errors.h"
#include "files/map_file.h"
#include "model/config.h"
#include "model/number_text.h"
#include "recording/columns.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace orvel::analysis {

bool MapContext::sameInjectionMap(const MapContext& other) const {
    for (std::size_t n = 0; n < injectionMs.size(); ++n) {
        if (std::lround(injectionMs[n] * 10) != std::lround(other.injectionMs[n] * 10)) {
            return false;
        }
    }
    return true;
}

MapContext contextFromTexts(const std::function<std::string(std::string_view)>& textOf) {
    MapContext context;
    for (int n = 0; n < config::kMapCells; ++n) {
        context.injectionMs[static_cast<std::size_t>(n)] =
            numtext::parseDecimal(textOf(config::injectionKey(n)));
    }
    context.probeTemperatureC = numtext::parseDecimal(textOf("eSondaTemp"));
    context.cylinders = numtext::parseInteger(textOf("cbCilindros"));
    // The module's codes: 10 off, 15 off at idle; anything else trims everywhere.
    const auto probe = config::codeOf("cbSondaAtiva", textOf("cbSondaAtiva"));
    context.probe = probe == 10   ? ProbeMode::Off
                    : probe == 15 ? ProbeMode::OffAtIdle
                                  : ProbeMode::Active;
    return context;
}

MapContext contextFromStore(const ControlStore& store) {
    return contextFromTexts([&](std::string_view key) { return store.text(key); });
}

MapContext contextFromMapFile(std::string_view bytes) {
    const auto slots = mapfile::decodeSlots(bytes);
    const auto& order = config::fileOrder();
    if (slots.size() < order.size()) {
        throw FileError("O mapa do registro está incompleto (" + std::to_string(slots.size()) +
                        " valores)");
    }
    std::map<std::string_view, std::string_view> texts;
    for (std::size_t i = 0; i < order.size(); ++i) {
        texts[order[i].key] = slots[i];
    }
    try {
        return contextFromTexts([&](std::string_view key) { return std::string(texts.at(key)); });
    } catch (const ConversionError& e) {
        throw FileError(std::string("O mapa do registro tem um valor inválido: ") + e.what());
    }
}

std::vector<std::string_view> requiredColumns() {
    using namespace recording;
    std::vector<std::string_view> names{kTimeColumn};
    for (int c : {col::rpm, col::ti, col::lambdaMv, col::temperature, col::shortTrim, col::longTrim,
                  col::tpsVolts, col::rpmPosition, col::loadPosition}) {
        names.push_back(kValueColumns[static_cast<std::size_t>(c)].name);
    }
    return names;
}

std::vector<std::string> missingColumns(std::string_view headerLine) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (headerLine.starts_with(kByteOrderMark)) {
        headerLine.remove_prefix(kByteOrderMark.size());
    }
    while (!headerLine.empty() && (headerLine.back() == '\r' || headerLine.back() == '\n')) {
        headerLine.remove_suffix(1);
    }
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start <= headerLine.size()) {
        const std::size_t end = std::min(headerLine.find(';', start), headerLine.size());
        fields.push_back(headerLine.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::string> missing;
    for (auto name : requiredColumns()) {
        if (std::find(fields.begin(), fields.end(), name) == fields.end()) {
            missing.emplace_back(name);
        }
    }
    return missing;
}

} // namespace orvel::analysis
