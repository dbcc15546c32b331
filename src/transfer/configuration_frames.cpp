#include "transfer/configuration_frames.h"

#include "model/config.h"
#include "model/number_text.h"

#include <array>
#include <string_view>

namespace orvel {

namespace {

constexpr std::string_view kWholeNumber = "0;-0;0";
constexpr std::string_view kOneDecimal = "0.0;-0.0;0.0";
constexpr std::string_view kOneDecimalNoZeroSection = "0.0;-0.0";
constexpr std::string_view kWholeNumberEmptyZero = "0;-0;";

constexpr std::array<std::string_view, 3> kCorrectionRows{"eCorrecaoTi", "eCorrecaoIg",
                                                          "eCorrecaoMl"};

std::string tenths(std::uint8_t value, std::string_view pattern) {
    return numtext::formatPattern(value / 10.0, pattern);
}

std::string plain(int value) {
    return numtext::formatInteger(value);
}

class Writer {
public:
    explicit Writer(DecodedFrame& out) : out_(out) {}
    void text(std::string name, std::string value) {
        out_.texts.emplace_back(std::move(name), std::move(value));
    }
    void choice(const char* list, int code) {
        if (auto item = config::textOf(list, code)) {
            text(list, std::string(*item));
        }
    }

private:
    DecodedFrame& out_;
};

void ignitionRow(const frames::ModuleFrame& frame, Writer& w) {
    const int first = 8 * (frame.id - 1);
    for (int i = 0; i < 8; ++i) {
        w.text(config::ignitionKey(first + i), numtext::formatPattern(frame.data[i], kWholeNumber));
    }
}

void injectionRow(const frames::ModuleFrame& frame, Writer& w) {
    const int first = 8 * (frame.id - 10);
    for (int i = 0; i < 8; ++i) {
        w.text(config::injectionKey(first + i), tenths(frame.data[i], kOneDecimal));
    }
}

void corrections(const frames::ModuleFrame& frame, Writer& w) {
    const auto row = kCorrectionRows[static_cast<std::size_t>(frame.id - 19)];
    for (int i = 0; i < 8; ++i) {
        w.text(config::correctionKey(row, i),
               numtext::formatPattern(frames::s8(frame.data[i]), kWholeNumber));
    }
}

void pressureAndQuickAcceleration(const frames::ModuleFrame& frame, Writer& w) {
    const auto& d = frame.data;
    for (std::size_t i = 0; i < config::kPressureKeys.size(); ++i) {
        w.text(std::string(config::kPressureKeys[i]),
               numtext::formatPattern(frames::s8(d[i]), kWholeNumber));
    }
    w.choice("cbRapidaTpsxMap", d[4]);
    w.text("eBasico", tenths(d[5], kOneDecimal));
    w.text("eGanho", plain(d[6]));
    w.text("eDecremento", plain(d[7]));
}

void probe(const frames::ModuleFrame& frame, Writer& w) {
    const auto& d = frame.data;
    w.choice("cbSondaTipo", d[0]);
    w.choice("cbSondaCorrecao", d[7]);
    w.choice("cbSondaAtiva", d[2]);
    w.text("eSondaTemp", plain(d[3]));
    w.text("eSondaLenta", plain(d[4] * 10));
    w.text("eSondaParcial", plain(d[5] * 10));
    w.text("eSondaPlena", plain(d[6] * 10));
}

void cutOffFanAndAir(const frames::ModuleFrame& frame, Writer& w) {
    const auto& d = frame.data;
    w.text("eDeslCutOff", plain(d[0] * 100));
    w.text("eLigaCutOff", plain(d[1] * 100));
    w.text("eLigaEletro", plain(d[2]));
    w.text("eDesligaEletro", plain(d[3]));
    w.text("emSCorrecaoEletro", tenths(d[4], kOneDecimalNoZeroSection));
    w.text("ePercEletro", numtext::formatPattern(d[5], kWholeNumberEmptyZero));
    w.text("emSAr", tenths(d[6], kOneDecimal));
    w.text("ePercentualAr", plain(d[7]));
}

void engineLayout(const frames::ModuleFrame& frame, Writer& w, DecodedFrame& out) {
    const auto& d = frame.data;
    w.choice("cbTipoDistribuidor", d[1]);
    w.text("cbCilindros", plain(d[0]));
    w.text("eLimiteRpm", plain(d[2] * 100));
    w.choice("cbCombinacaoMapa", d[3]);
    w.text("eAvancoPartida", plain(d[4]));
    out.layout = EngineLayout{d[0], d[5], d[6]};
}

} // namespace

DecodedFrame decodeConfigurationFrame(const frames::ModuleFrame& frame) {
    DecodedFrame out;
    Writer w(out);
    const int id = frame.id;
    if (id >= 1 && id <= 9) {
        ignitionRow(frame, w);
    } else if (id >= 10 && id <= 18) {
        injectionRow(frame, w);
    } else if (id >= 19 && id <= 21) {
        corrections(frame, w);
    } else if (id == 22) {
        pressureAndQuickAcceleration(frame, w);
    } else if (id == 23) {
        probe(frame, w);
    } else if (id == 24) {
        cutOffFanAndAir(frame, w);
    } else if (id == 25) {
        engineLayout(frame, w, out);
    }
    return out;
}

} // namespace orvel
