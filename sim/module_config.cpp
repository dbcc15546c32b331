#include "module_config.h"

#include "files/map_file.h"
#include "model/config.h"

#include <cctype>
#include <cmath>
#include <stdexcept>
#include <string>

namespace orvel::sim {

namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

[[noreturn]] void refuse(std::string_view key, std::string_view text) {
    throw std::invalid_argument("field " + std::string(key) + ": '" + std::string(text) +
                                "' cannot be encoded");
}

// Optional sign, digits, optional comma with digits; the value in tenths, rounded.
long tenthsOf(std::string_view key, std::string_view raw) {
    const std::string text = trimmed(raw);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    double value = 0;
    bool digits = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) {
        value = value * 10 + (text[i] - '0');
        digits = true;
        ++i;
    }
    if (i < text.size() && text[i] == ',') {
        ++i;
        double scale = 0.1;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) {
            value += (text[i] - '0') * scale;
            scale /= 10;
            digits = true;
            ++i;
        }
    }
    if (!digits || i != text.size() || value > 1e9) {
        refuse(key, raw);
    }
    const long tenths = std::lround(value * 10);
    return negative ? -tenths : tenths;
}

long integerOf(std::string_view key, std::string_view raw) {
    const std::string text = trimmed(raw);
    if (text.find(',') != std::string::npos) {
        refuse(key, raw);
    }
    return tenthsOf(key, raw) / 10;
}

std::uint8_t low8(long value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

class TextReader {
public:
    explicit TextReader(const std::function<std::string(std::string_view)>& text) : text_(text) {}

    std::uint8_t integer(std::string_view key, long divisor = 1) const {
        return low8(integerOf(key, text_(key)) / divisor);
    }
    std::uint8_t tenths(std::string_view key) const { return low8(tenthsOf(key, text_(key))); }
    std::uint8_t code(std::string_view key) const {
        const std::string text = text_(key);
        const auto code = config::codeOf(key, text);
        if (!code) {
            refuse(key, text);
        }
        return low8(*code);
    }
    std::vector<std::int8_t> entered(std::string_view row) const {
        std::vector<std::int8_t> values;
        for (int column = 0; column < 8; ++column) {
            values.push_back(static_cast<std::int8_t>(integer(config::correctionKey(row, column))));
        }
        return values;
    }

private:
    const std::function<std::string(std::string_view)>& text_;
};

template <std::size_t N>
std::array<std::uint8_t, N> asBytes(const std::vector<std::int8_t>& values) {
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N && i < values.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(values[i]);
    }
    return bytes;
}

// Points 1, 4, 7 ... of a table: the values the user entered.
template <std::size_t N> Data everyThird(const std::array<std::uint8_t, N>& table) {
    Data data{};
    for (std::size_t i = 0; i * 3 < N && i < data.size(); ++i) {
        data[i] = table[i * 3];
    }
    return data;
}

Data slice(const std::array<std::uint8_t, 72>& cells, std::size_t row) {
    Data data{};
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = cells[row * 8 + i];
    }
    return data;
}

template <std::size_t N>
void packTable(Payloads& packets, std::size_t first, const std::array<std::uint8_t, N>& table) {
    for (std::size_t i = 0; i < N; ++i) {
        packets[first + i / 8][i % 8] = table[i];
    }
}

template <std::size_t N>
void unpackTable(const Payloads& packets, std::size_t first, std::array<std::uint8_t, N>& table) {
    for (std::size_t i = 0; i < N; ++i) {
        table[i] = packets[first + i / 8][i % 8];
    }
}

} // namespace

std::vector<std::int8_t> interpolate(std::span<const std::int8_t> entered) {
    std::vector<std::int8_t> points;
    for (std::size_t i = 0; i < entered.size(); ++i) {
        const int left = entered[i];
        points.push_back(entered[i]);
        if (i + 1 < entered.size()) {
            const int right = entered[i + 1];
            points.push_back(static_cast<std::int8_t>(left + (right - left) / 3));
            points.push_back(static_cast<std::int8_t>(left + 2 * (right - left) / 3));
        }
    }
    return points;
}

ModuleConfig encodeTexts(const std::function<std::string(std::string_view)>& text) {
    const TextReader in(text);
    ModuleConfig c;
    for (int n = 0; n < config::kMapCells; ++n) {
        c.ignition[n] = in.integer(config::ignitionKey(n));
        c.injection[n] = in.tenths(config::injectionKey(n));
    }
    c.ti = asBytes<kTemperaturePoints>(interpolate(in.entered("eCorrecaoTi")));
    c.ig = asBytes<kTemperaturePoints>(interpolate(in.entered("eCorrecaoIg")));
    c.ml = asBytes<kTemperaturePoints>(interpolate(in.entered("eCorrecaoMl")));
    std::vector<std::int8_t> pressure;
    for (auto key : config::kPressureKeys) {
        pressure.push_back(static_cast<std::int8_t>(in.integer(key)));
    }
    c.atm = asBytes<kPressurePoints>(interpolate(pressure));

    c.probeLow = in.integer("eSondaLenta", 10);
    c.probePartial = in.integer("eSondaParcial", 10);
    c.probeFull = in.integer("eSondaPlena", 10);
    c.probeType = in.code("cbSondaTipo");
    c.probeCorrection = in.code("cbSondaCorrecao");
    c.probeTemperature = in.integer("eSondaTemp");
    c.probeMode = in.code("cbSondaAtiva");

    c.quickAccelSource = in.code("cbRapidaTpsxMap");
    c.basicTenths = in.tenths("eBasico");
    c.gain = in.integer("eGanho");
    c.decrement = in.integer("eDecremento");

    c.cylinders = in.code("cbCilindros");
    c.distributor = in.code("cbTipoDistribuidor");
    c.rpmLimitHundreds = in.integer("eLimiteRpm", 100);
    c.mapCombination = in.code("cbCombinacaoMapa");
    c.crankingAdvance = in.integer("eAvancoPartida");
    c.tpsClosed = in.integer("TpsClosedValue");
    c.tpsOpen = in.integer("TpsOpenValue");

    c.cutOffOffHundreds = in.integer("eDeslCutOff", 100);
    c.cutOffOnHundreds = in.integer("eLigaCutOff", 100);
    c.fanOn = in.integer("eLigaEletro");
    c.fanOff = in.integer("eDesligaEletro");
    c.fanCorrectionTenths = in.tenths("emSCorrecaoEletro");
    c.fanPercent = in.integer("ePercEletro");
    c.acTenths = in.tenths("emSAr");
    c.acPercent = in.integer("ePercentualAr");
    return c;
}

ModuleConfig defaultConfig() {
    return encodeTexts([](std::string_view key) -> std::string {
        if (key == "TpsClosedValue") {
            return std::to_string(config::kDefaultTpsClosed);
        }
        if (key == "TpsOpenValue") {
            return std::to_string(config::kDefaultTpsOpen);
        }
        return std::string(config::parameter(key).defaultText);
    });
}

ModuleConfig configFromMapFile(std::string_view fileBytes) {
    const auto slots = mapfile::decodeSlots(fileBytes);
    const auto& order = config::fileOrder();
    const auto slotText = [&slots](std::size_t index) {
        return index < slots.size() ? slots[index] : std::string();
    };
    return encodeTexts([&](std::string_view key) -> std::string {
        if (key == "TpsClosedValue") {
            return slotText(order.size());
        }
        if (key == "TpsOpenValue") {
            return slotText(order.size() + 1);
        }
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (order[i].key == key) {
                return slotText(i);
            }
        }
        throw std::logic_error("no map file position for " + std::string(key));
    });
}

Payloads toPackets(const ModuleConfig& c) {
    Payloads p{};
    for (std::size_t row = 0; row < 9; ++row) {
        p[row] = slice(c.ignition, row);
        p[9 + row] = slice(c.injection, row);
    }
    packTable(p, 18, c.ti);
    packTable(p, 21, c.ig);
    packTable(p, 24, c.ml);
    packTable(p, 27, c.atm);
    p[28][2] = c.probeLow;
    p[28][3] = c.probePartial;
    p[28][4] = c.probeFull;
    p[28][5] = c.probeType;
    p[28][6] = c.probeCorrection;
    p[28][7] = c.probeTemperature;
    p[29] = {c.probeMode, c.quickAccelSource, c.basicTenths, c.gain,
             c.decrement, c.cylinders,        c.distributor, c.rpmLimitHundreds};
    p[30] = {c.mapCombination, c.crankingAdvance, 1, 1, 1, c.tpsClosed, c.tpsOpen, 0};
    p[31] = {c.cutOffOffHundreds,   c.cutOffOnHundreds, c.fanOn,    c.fanOff,
             c.fanCorrectionTenths, c.fanPercent,       c.acTenths, c.acPercent};
    return p;
}

ModuleConfig fromPackets(const Payloads& p) {
    ModuleConfig c;
    for (std::size_t n = 0; n < 72; ++n) {
        c.ignition[n] = p[n / 8][n % 8];
        c.injection[n] = p[9 + n / 8][n % 8];
    }
    unpackTable(p, 18, c.ti);
    unpackTable(p, 21, c.ig);
    unpackTable(p, 24, c.ml);
    unpackTable(p, 27, c.atm);
    c.probeLow = p[28][2];
    c.probePartial = p[28][3];
    c.probeFull = p[28][4];
    c.probeType = p[28][5];
    c.probeCorrection = p[28][6];
    c.probeTemperature = p[28][7];
    c.probeMode = p[29][0];
    c.quickAccelSource = p[29][1];
    c.basicTenths = p[29][2];
    c.gain = p[29][3];
    c.decrement = p[29][4];
    c.cylinders = p[29][5];
    c.distributor = p[29][6];
    c.rpmLimitHundreds = p[29][7];
    c.mapCombination = p[30][0];
    c.crankingAdvance = p[30][1];
    c.tpsClosed = p[30][5];
    c.tpsOpen = p[30][6];
    c.cutOffOffHundreds = p[31][0];
    c.cutOffOnHundreds = p[31][1];
    c.fanOn = p[31][2];
    c.fanOff = p[31][3];
    c.fanCorrectionTenths = p[31][4];
    c.fanPercent = p[31][5];
    c.acTenths = p[31][6];
    c.acPercent = p[31][7];
    return c;
}

std::array<Data, 26> configurationFrames(const ModuleConfig& c) {
    std::array<Data, 26> f{};
    for (std::size_t row = 0; row < 9; ++row) {
        f[row] = slice(c.ignition, row);
        f[9 + row] = slice(c.injection, row);
    }
    f[18] = everyThird(c.ti);
    f[19] = everyThird(c.ig);
    f[20] = everyThird(c.ml);
    const Data atm = everyThird(c.atm);
    f[21] = {atm[0],        atm[1], atm[2],     atm[3], c.quickAccelSource,
             c.basicTenths, c.gain, c.decrement};
    f[22] = {c.probeType,    0,           c.probeMode,      c.probeTemperature, c.probeLow,
             c.probePartial, c.probeFull, c.probeCorrection};
    f[23] = {c.cutOffOffHundreds,   c.cutOffOnHundreds, c.fanOn,    c.fanOff,
             c.fanCorrectionTenths, c.fanPercent,       c.acTenths, c.acPercent};
    f[24] = {c.cylinders,       c.distributor, c.rpmLimitHundreds, c.mapCombination,
             c.crankingAdvance, c.tpsClosed,   c.tpsOpen,          0};
    return f;
}

} // namespace orvel::sim
