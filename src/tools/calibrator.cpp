#include "tools/calibrator.h"

#include "core/control_store.h"
#include "core/platform.h"
#include "form/form_state.h"
#include "model/config.h"
#include "model/number_text.h"

#include <cstddef>

namespace orvel {

namespace {

constexpr const char* kM1 =
    " Para utilizar essa função deve ser determinado um valor que você deseja para a sonda Lambda "
    "fazer a correção . . .e deve ser selecionado a opção \"ATIVADA\"  (Canto esquerdo, inferior "
    "da tela) e após clicar no Botão enviar. ";
constexpr const char* kM2 =
    "  Essa função vai ajuda-lo no acerto do Mapa, agora você tem um Calibrador virtual, siga as "
    "orientações dele e acerte o mapa... Você pode se orientar pelo Manual na pag. 31. ";
constexpr const char* kM3 =
    " Os valores na cor Azul, informam o valor de correção da sonda, podem ser negativos  ou "
    "positivos ... Para anular esses valores e voltar o Mapa, Botão ANULAR, para recalcular o "
    "valor das posições marcadas Botão RECALCULAR . ";
constexpr const char* kM4 = " Os Valores marcados na cor Cinza foram recalculados, são os valores "
                            "certos para a mistura que você definiu na Sonda. ";
constexpr const char* kM5 =
    " Devem ser avaliados os valores nas Linhas e Colunas próximas ao valor recalculado, devem ser "
    "alterados se necessário para que os valores fiquem coerentes  (mapa sem buracos). ";

constexpr const char* kIdleCaption = "&Calibrar";
constexpr const char* kCalibratingCaption = "&Parar";
constexpr double kMaxInjection = 15;

std::size_t at(int cell) {
    return static_cast<std::size_t>(cell);
}

} // namespace

void Calibrator::btnCalibrarClick() {
    const auto& caption = controls_.caption("btnCalibrar");
    if (caption == kIdleCaption) {
        start();
    } else if (caption == kCalibratingCaption) {
        stop();
    }
}

void Calibrator::start() {
    auto& ui = controls_;
    if (ui.text("cbSondaAtiva") == "Desativada") {
        ui.setEnabled("btnCalibrar", false);
        dialogs_.message(kM1);
        return;
    }
    unmarkAll();
    for (int n = 0; n < config::kMapCells; ++n) {
        state_.calibrationBackup[at(n)] = numtext::parseDecimal(ui.text(config::injectionKey(n)));
    }
    ui.setCaption("btnCalibrar", kCalibratingCaption);
    dialogs_.message(kM2);
    // The scanner must not be switched off by hand while the probe corrects.
    activity_.calibratorStarted();
    toggleScanner_();
}

void Calibrator::stop() {
    auto& ui = controls_;
    toggleScanner_();
    ui.setEnabled("btnCalibrar", false);
    ui.setCaption("btnCalibrar", kIdleCaption);
    ui.setEnabled({"btnRecalcular", "btnAnular"}, true);
    dialogs_.message(kM3);
}

void Calibrator::btnRecalcularClick() {
    auto& ui = controls_;
    ui.setEnabled("btnAnular", false);
    for (int n = 0; n < config::kMapCells; ++n) {
        const auto key = config::injectionKey(n);
        if (ui.tag(key) != 1) {
            continue;
        }
        double correction = numtext::parseDecimal(ui.text(key));
        if (correction == 0) {
            correction = 1;
        }
        double v = (correction + 100) / 100 * state_.calibrationBackup[at(n)];
        if (v > kMaxInjection) {
            v = kMaxInjection;
        }
        ui.setText(key, numtext::formatPattern(v, "0.0;-0.0;0.0"));
        ui.setTag(key, 0);
        ui.setColor(key, colors::darkGrey);
    }
    ui.setEnabled({"btnRecalcular", "btnCalibrar"}, false);
    dialogs_.message(kM4);
    dialogs_.message(kM5);
    activity_.calibratorDone();
}

void Calibrator::btnAnularClick() {
    auto& ui = controls_;
    unmarkAll();
    for (int n = 0; n < config::kMapCells; ++n) {
        ui.setText(config::injectionKey(n),
                   numtext::formatGeneral(state_.calibrationBackup[at(n)]));
    }
    ui.setEnabled({"btnRecalcular", "btnAnular"}, false);
    activity_.calibratorDone();
}

void Calibrator::unmarkAll() {
    auto& ui = controls_;
    for (int n = 0; n < config::kMapCells; ++n) {
        ui.setTag(config::injectionKey(n), 0);
    }
    for (int n = 0; n < config::kMapCells; ++n) {
        ui.setColor(config::injectionKey(n), colors::black);
    }
}

} // namespace orvel
