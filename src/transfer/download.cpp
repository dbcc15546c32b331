#include "transfer/download.h"

#include "core/control_store.h"
#include "core/platform.h"
#include "form/form_state.h"
#include "link/serial_port_controller.h"
#include "model/config.h"
#include "model/entry_rules.h"
#include "model/number_text.h"

#include <array>
#include <string_view>

namespace orvel {

namespace {

constexpr std::string_view kWholeNumber = "0;-0;0";
constexpr std::string_view kOneDecimal = "0.0;-0.0;0.0";
constexpr std::string_view kOneDecimalNoZeroSection = "0.0;-0.0";
constexpr std::string_view kWholeNumberEmptyZero = "0;-0;";
constexpr std::string_view kNoModuleAnswer = "Módulo não responde";

constexpr std::array<std::string_view, 3> kCorrectionRows{"eCorrecaoTi", "eCorrecaoIg",
                                                          "eCorrecaoMl"};

std::string tenths(std::uint8_t value, std::string_view pattern) {
    return numtext::formatPattern(value / 10.0, pattern);
}

std::string plain(int value) {
    return numtext::formatInteger(value);
}

} // namespace

void Download::btnLerDadosClick() {
    if (!activity_.mayTransfer()) {
        return;
    }
    hooks_.beforeStart();
    port_.send(frames::encodeCommand(frames::Command::ReadConfig));
    for (auto bar : {"pbCarregando", "pbCarregando1"}) {
        controls_.setMin(bar, 0);
        controls_.setMax(bar, frames::kLastConfigurationId);
        controls_.setPosition(bar, 0);
    }
    activity_.readRequested();
    restartTimeout();
}

void Download::handleFrame(const frames::ModuleFrame& frame) {
    if (!activity_.acceptsConfiguration()) {
        return; // nobody asked: the fields belong to what runs now
    }
    const int id = frame.id;
    if (id == 1) {
        activity_.readReceiving();
    }
    // Only a read watches for silence: a stray frame must not end a display it
    // did not start.
    if (id < frames::kLastConfigurationId && activity_.reading()) {
        restartTimeout();
    }
    if (id >= 1 && id <= 9) {
        writeIgnitionRow(frame);
    } else if (id >= 10 && id <= 18) {
        writeInjectionRow(frame);
    } else if (id >= 19 && id <= 21) {
        writeCorrections(frame);
    } else if (id == 22) {
        writePressureAndQuickAcceleration(frame);
    } else if (id == 23) {
        writeProbe(frame);
    } else if (id == 24) {
        writeCutOffFanAndAir(frame);
    } else if (id == 25) {
        writeEngineLayout(frame);
    } else if (id == frames::kLastConfigurationId) {
        finish();
    }
}

void Download::writeIgnitionRow(const frames::ModuleFrame& frame) {
    const int first = 8 * (frame.id - 1);
    for (int i = 0; i < 8; ++i) {
        controls_.setText(config::ignitionKey(first + i),
                          numtext::formatPattern(frame.data[i], kWholeNumber));
    }
}

void Download::writeInjectionRow(const frames::ModuleFrame& frame) {
    hooks_.beforeMillisecondsArrive();
    const int first = 8 * (frame.id - 10);
    for (int i = 0; i < 8; ++i) {
        controls_.setText(config::injectionKey(first + i), tenths(frame.data[i], kOneDecimal));
    }
}

void Download::writeCorrections(const frames::ModuleFrame& frame) {
    const auto row = kCorrectionRows[static_cast<std::size_t>(frame.id - 19)];
    for (int i = 0; i < 8; ++i) {
        controls_.setText(config::correctionKey(row, i),
                          numtext::formatPattern(frames::s8(frame.data[i]), kWholeNumber));
    }
}

void Download::writePressureAndQuickAcceleration(const frames::ModuleFrame& frame) {
    auto& c = controls_;
    const auto& d = frame.data;
    for (std::size_t i = 0; i < config::kPressureKeys.size(); ++i) {
        c.setText(config::kPressureKeys[i], numtext::formatPattern(frames::s8(d[i]), kWholeNumber));
    }
    setChoice("cbRapidaTpsxMap", d[4]);
    c.setText("eBasico", tenths(d[5], kOneDecimal));
    c.setText("eGanho", plain(d[6]));
    c.setText("eDecremento", plain(d[7]));
}

void Download::writeProbe(const frames::ModuleFrame& frame) {
    auto& c = controls_;
    const auto& d = frame.data;
    setChoice("cbSondaTipo", d[0]);
    setChoice("cbSondaCorrecao", d[7]);
    setChoice("cbSondaAtiva", d[2]);
    c.setText("eSondaTemp", plain(d[3]));
    c.setText("eSondaLenta", plain(d[4] * 10));
    c.setText("eSondaParcial", plain(d[5] * 10));
    c.setText("eSondaPlena", plain(d[6] * 10));
}

void Download::writeCutOffFanAndAir(const frames::ModuleFrame& frame) {
    auto& c = controls_;
    const auto& d = frame.data;
    c.setText("eDeslCutOff", plain(d[0] * 100));
    c.setText("eLigaCutOff", plain(d[1] * 100));
    c.setText("eLigaEletro", plain(d[2]));
    c.setText("eDesligaEletro", plain(d[3]));
    c.setText("emSCorrecaoEletro", tenths(d[4], kOneDecimalNoZeroSection));
    c.setText("ePercEletro", numtext::formatPattern(d[5], kWholeNumberEmptyZero));
    c.setText("emSAr", tenths(d[6], kOneDecimal));
    c.setText("ePercentualAr", plain(d[7]));
}

void Download::writeEngineLayout(const frames::ModuleFrame& frame) {
    auto& c = controls_;
    auto& s = state_;
    const auto& d = frame.data;
    setChoice("cbTipoDistribuidor", d[1]);
    c.setText("cbCilindros", plain(d[0]));
    s.cylinderCount = d[0];
    c.setText("eLimiteRpm", plain(d[2] * 100));
    if (auto combination = config::textOf("cbCombinacaoMapa", d[3])) {
        c.setText("cbCombinacaoMapa", std::string(*combination));
        setMapColumnCaptions(c, *combination);
    }
    c.setText("eAvancoPartida", plain(d[4]));

    s.tpsClosedValue = d[5];
    c.setMin("BarraTps", s.tpsClosedValue / 4);
    s.tpsOpenValue = d[6];
    if (s.tpsOpenValue < 1 || s.tpsOpenValue > 250 || s.tpsOpenValue < s.tpsClosedValue / 4) {
        s.tpsOpenValue = s.tpsClosedValue;
    }
    c.setMax("BarraTps", s.tpsOpenValue);
}

void Download::finish() {
    timeout_.setEnabled(false);
    activity_.readCompleted();
}

void Download::timeoutTick() {
    timeout_.setEnabled(false);
    if (!activity_.reading()) {
        return;
    }
    activity_.readTimedOut();
    // The line went away under the read: its failure notice follows and says so.
    if (port_.lineOpen()) {
        dialogs_.message(std::string(kNoModuleAnswer));
    }
}

void Download::abandon() {
    if (!activity_.reading()) {
        return;
    }
    timeout_.setEnabled(false);
    activity_.readAbandoned();
}

void Download::restartTimeout() {
    timeout_.setEnabled(false);
    timeout_.setInterval(kTimeoutMs);
    timeout_.setEnabled(true);
}

void Download::setChoice(const char* list, int code) {
    if (auto text = config::textOf(list, code)) {
        controls_.setText(list, std::string(*text));
    }
}

} // namespace orvel
