#include "form/form.h"

#include "activity/control_states.h"
#include "core/errors.h"
#include "model/config.h"

namespace orvel {

namespace {

// The undo step a button's click starts.
std::string_view stepNameOf(std::string_view button) {
    struct Entry {
        std::string_view button;
        std::string_view step;
    };
    static constexpr Entry kNames[] = {
        {"btnLerDados", "Lêr Dados"},
        {"Button6", "Lêr Dados"},
        {"btnCarregar", "Carregar"},
        {"Button2", "Carregar"},
        {"btnAlterar", "Alterar Mapas"},
        {"btnVoltarTelaPrincipal", "Alterar Mapas"},
        {"btnPercentual", "Conversão do mapa de injeção"},
        {"btnmS", "Conversão do mapa de injeção"},
        {"btnConfigurarTps", "Calibração do TPS"},
        {"btnCalibrar", "Calibrador"},
        {"btnRecalcular", "Calibrador"},
        {"btnAnular", "Calibrador"},
    };
    for (const auto& e : kNames) {
        if (e.button == button) {
            return e.step;
        }
    }
    return {};
}

constexpr std::string_view kTypedStep = "Valor digitado";
constexpr std::string_view kPickedStep = "Escolha na lista";

} // namespace

void Form::create() {
    dispatch([this] {
        port.fillPortList();
        controls.setEnabled("btnAnular", false);
        controls.setEnabled("btnRecalcular", false);
        state.probeCorrectionCode = 5;
        state.tpsClosedValue = 130;
        state.tpsOpenValue = 230;
    });
}

void Form::close() {
    // The port first: a scanner being switched off still sends its stop command.
    port.closeOnExit();
    timer1->setEnabled(false);
    timer2->setEnabled(false);
    timerTps->setEnabled(false);
    downloadTimeout->setEnabled(false);
    checkTimeout->setEnabled(false);
    recorder.sessionEnded();
    recorderCheck->setEnabled(false);
    replay.player.pause();
    refreshControlStates();
}

std::string Form::replayRefusal() const {
    if (activity.scanner() != Activity::Scanner::Off) {
        return "Desative o Scanner antes de reproduzir um registro";
    }
    if (activity.reading() || activity.uploading() || activity.checking()) {
        return "Aguarde o fim da leitura ou do envio dos dados antes de reproduzir um registro";
    }
    if (activity.tps() != Activity::Tps::None) {
        return "Aguarde o fim da configuração do TPS antes de reproduzir um registro";
    }
    return {};
}

std::string Form::recordedMap() const {
    // The recording's map is read as milliseconds: a map shown in percent goes in
    // converted back.
    auto values = mapfile::collect(controls, state.tpsClosedValue, state.tpsOpenValue);
    if (activity.percent()) {
        const auto ms = units.millisecondTexts();
        const auto& order = config::fileOrder();
        for (std::size_t i = 0; i < order.size(); ++i) {
            for (int n = 0; n < config::kMapCells; ++n) {
                if (order[i].key == config::injectionKey(n)) {
                    values[i] = ms[static_cast<std::size_t>(n)];
                }
            }
        }
    }
    return mapfile::encodeLine(values);
}

void Form::refreshControlStates() {
    if (activity.revision() != appliedRevision_) {
        appliedRevision_ = activity.revision();
        const DerivedStates states = controlStates(activity);
        applyControlStates(controls, states, applied_ ? &*applied_ : nullptr);
        applied_ = states;
        if (windowHooks.activityChanged) {
            windowHooks.activityChanged();
        }
    }
}

void Form::dispatch(const std::function<void()>& handler) {
    ++dispatchDepth_;
    try {
        handler();
    } catch (const RefusedError& e) {
        // A warning like the entry rules' ones, in the same plain box.
        boxes.message(e.what());
    } catch (const OrvelError& e) {
        boxes.error(errorBoxText(e));
    }
    refreshControlStates();
    // What a failed handler changed before it stopped stays changed, and is a step too.
    if (--dispatchDepth_ == 0 && !stepRunning()) {
        history.commit(activity.percent());
    }
}

void Form::edit(const std::string& stepName, const std::function<void()>& change) {
    history.name(stepName);
    dispatch(change);
}

bool Form::stepRunning() const {
    return activity.reading() || activity.tps() != Activity::Tps::None;
}

std::optional<std::string> Form::whyNoUndo() const {
    if (activity.reading() || activity.uploading()) {
        return " Atenção ! !  Desfazer e Refazer esperam o fim da transferência. ";
    }
    if (activity.tps() != Activity::Tps::None) {
        return " Atenção ! !  Desfazer e Refazer esperam o fim da calibração do TPS. ";
    }
    if (activity.scanning()) {
        return " Atenção ! !  Desfazer e Refazer não funcionam com o scanner ativo. ";
    }
    if (replay.active()) {
        return " Atenção ! !  Desfazer e Refazer esperam o fim da reprodução. ";
    }
    if (activity.percent()) {
        return " Atenção ! !  Desfazer e Refazer funcionam com o mapa de injeção em mS. "
               "Volte o mapa para mS. ";
    }
    return std::nullopt;
}

void Form::typing(std::string_view control) {
    history.typing(control);
}

void Form::picked(std::string_view control) {
    history.name(std::string(kPickedStep));
    dispatch([this, control] { history.accept(control); });
}

void Form::undo() {
    dispatch([this] {
        if (auto why = history.undo()) {
            dialogs.message(*why);
        }
    });
}

void Form::redo() {
    dispatch([this] {
        if (auto why = history.redo()) {
            dialogs.message(*why);
        }
    });
}

bool Form::click(std::string_view control) {
    auto it = clickHandlers_.find(control);
    if (it == clickHandlers_.end() || !controls.enabled(control) || !controls.visible(control)) {
        return false;
    }
    if (auto step = stepNameOf(control); !step.empty()) {
        history.name(std::string(step));
    }
    dispatch(it->second);
    return true;
}

bool Form::exit(std::string_view control) {
    auto it = exitHandlers_.find(control);
    const bool handled = it != exitHandlers_.end();
    history.name(std::string(kTypedStep));
    dispatch([&] {
        if (handled) {
            it->second();
        }
        // A rule that refuses the text puts the focus back into the field: the
        // text is not a step until the user leaves the field with one accepted.
        if (controls.focused() != control) {
            history.accept(control);
        }
    });
    return handled;
}

bool Form::keyPress(std::string_view control) {
    auto it = keyHandlers_.find(control);
    if (it == keyHandlers_.end()) {
        return false;
    }
    dispatch(it->second);
    return true;
}

bool Form::dropDown(std::string_view control) {
    auto it = dropDownHandlers_.find(control);
    if (it == dropDownHandlers_.end()) {
        return false;
    }
    dispatch(it->second);
    return true;
}

void Form::received(std::span<const std::uint8_t> bytes) {
    // Received frames change the configuration only within a download or the TPS
    // procedure; scanner frames, many a second, skip the comparison for a step.
    const bool quiet = dispatchDepth_ == 0 && !stepRunning();
    if (quiet) {
        ++dispatchDepth_;
    }
    // By reference: two pointers fit in the std::function without an allocation.
    dispatch([this, &bytes] { receiver.ComPort1RxChar(bytes); });
    if (quiet) {
        --dispatchDepth_;
    }
}

} // namespace orvel
