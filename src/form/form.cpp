#include "form/form.h"

#include "core/errors.h"
#include "model/form_definition.h"

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

Form::Form(SerialLink& link_, PortProber& prober_, TimerFactory& timers, Dialogs& dialogs_)
    : link(link_), prober(prober_), dialogs(dialogs_), timer1(timers.createTimer("Timer1")),
      timer2(timers.createTimer("Timer2")), timerTps(timers.createTimer("TimerTPS")),
      downloadTimeout(timers.createTimer("DownloadTimeout")),
      recorderCheck(timers.createTimer("RecorderCheck")), port(*this), receiver(*this),
      download(*this), upload(*this), scanner(*this), rules(*this), alteration(*this), units(*this),
      tps(*this), calibrator(*this), files(*this),
      recorder(
          *recorderCheck,
          [this] {
              return mapfile::encodeLine(
                  mapfile::collect(controls, state.tpsClosedValue, state.tpsOpenValue));
          },
          [this](const std::string& message) { dialogs.error(message); }),
      replay(controls, state, timers.createTimer("Replay"),
             [this](const frames::ModuleFrame& frame) { scanner.handleFrame(frame); },
             {[this] { return replayRefusal(); }, [this] { return port.isOpen(); }}),
      history(controls, state.tpsClosedValue, state.tpsOpenValue, [this] { return whyNoUndo(); }) {
    formdef::populate(controls);
    history.rebase();

    timer1->onTimer = [this] { dispatch([this] { scanner.Timer1Timer(); }); };
    timer2->onTimer = [this] { dispatch([this] { upload.Timer2Timer(); }); };
    timerTps->onTimer = [this] { dispatch([this] { tps.TimerTPSTimer(); }); };
    downloadTimeout->onTimer = [this] { dispatch([this] { download.timeoutTick(); }); };
    recorderCheck->onTimer = [this] { dispatch([this] { recorder.check(); }); };
    auto& replayTimer = replay.player.timer();
    replayTimer.onTimer = [this, tick = replayTimer.onTimer] { dispatch(tick); };
    link.onReceived = [this](std::span<const std::uint8_t> bytes) { received(bytes); };
    link.onFailure = [this](const std::string& message) {
        dispatch([this, message] { port.portFailed(message); });
    };

    auto onClick = [this](std::initializer_list<std::string_view> names, std::function<void()> h) {
        for (auto n : names) {
            clickHandlers_.emplace(std::string(n), h);
        }
    };
    onClick({"btnAtivar"}, [this] { port.btnAtivarClick(); });
    onClick({"btnDesativar"}, [this] { port.btnDesativarClick(); });
    onClick({"btnLerDados", "Button6"}, [this] { download.btnLerDadosClick(); });
    onClick({"btnEnvia", "Button8"}, [this] { upload.btnEnviaClick(); });
    onClick({"Button3"}, [this] { scanner.Button3Click(); });
    onClick({"btnSalvar", "Button1"}, [this] { files.btnSalvarClick(); });
    onClick({"btnCarregar", "Button2"}, [this] { files.btnCarregarClick(); });
    onClick({"btnAlterarMapas"}, [this] { alteration.btnAlterarMapasClick(); });
    onClick({"btnAlterar"}, [this] { alteration.btnAlterarClick(); });
    onClick({"btnVoltarTelaPrincipal"}, [this] { alteration.btnVoltarTelaPrincipalClick(); });
    onClick({"btnPercentual"}, [this] { units.btnPercentualClick(); });
    onClick({"btnmS"}, [this] { units.btnmSClick(); });
    onClick({"btnConfigurarTps"}, [this] { tps.btnConfigurarTpsClick(); });
    onClick({"btnCalibrar"}, [this] { calibrator.btnCalibrarClick(); });
    onClick({"btnRecalcular"}, [this] { calibrator.btnRecalcularClick(); });
    onClick({"btnAnular"}, [this] { calibrator.btnAnularClick(); });

    dropDownHandlers_.emplace("cbPorta", [this] { port.cbPortaDropDown(); });
    exitHandlers_.emplace("eDeslCutOff", [this] { rules.eDeslCutOffExit(); });
    exitHandlers_.emplace("eLigaCutOff", [this] { rules.eLigaCutOffExit(); });
    exitHandlers_.emplace("eLimiteRpm", [this] { rules.eLimiteRpmExit(); });
    exitHandlers_.emplace("eAvancoPartida", [this] { rules.eAvancoPartidaExit(); });
    exitHandlers_.emplace("cbCombinacaoMapa", [this] { rules.cbCombinacaoMapaExit(); });
    for (auto list : {"cbTipoDistribuidor", "cbCilindros", "cbCombinacaoMapa"}) {
        keyHandlers_.emplace(list, [this, list] { rules.guardedListKeyPress(list); });
    }
}

Form::~Form() {
    link.onReceived = nullptr;
    link.onFailure = nullptr;
}

void Form::create() {
    dispatch([this] {
        port.fillPortList();
        state.injectionMapInPercent = false;
        state.portActive = false;
        controls.setEnabled("btnAnular", false);
        controls.setEnabled("btnAtivar", true);
        controls.setEnabled("btnDesativar", false);
        controls.setEnabled("btnConfigurarTps", false);
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
    recorder.sessionEnded();
    recorderCheck->setEnabled(false);
    replay.player.pause();
}

std::string Form::replayRefusal() const {
    if (port.isOpen() && (state.scannerActive || timer1->enabled())) {
        return "Desative o Scanner antes de reproduzir um registro";
    }
    if (timer2->enabled() || downloadTimeout->enabled() || controls.visible("pnAguarde") ||
        controls.visible("Panel1")) {
        return "Aguarde o fim da leitura ou do envio dos dados antes de reproduzir um registro";
    }
    if (timerTps->tag == 1 || timerTps->enabled()) {
        return "Aguarde o fim da configuração do TPS antes de reproduzir um registro";
    }
    return {};
}

void Form::dispatch(const std::function<void()>& handler) {
    ++dispatchDepth_;
    try {
        handler();
        units.holdTransfers();
    } catch (const RefusedError& e) {
        // A warning like the entry rules' ones, in the same plain box.
        units.holdTransfers();
        dialogs.message(e.what());
    } catch (const OrvelError& e) {
        units.holdTransfers();
        dialogs.error(errorBoxText(e));
    }
    // What a failed handler changed before it stopped stays changed, and is a step too.
    if (--dispatchDepth_ == 0 && !stepRunning()) {
        history.commit();
    }
}

void Form::edit(const std::string& stepName, const std::function<void()>& change) {
    history.name(stepName);
    dispatch(change);
}

bool Form::stepRunning() const {
    return downloadTimeout->enabled() || timerTps->tag == 1 || state.injectionMapInPercent;
}

std::optional<std::string> Form::whyNoUndo() const {
    if (downloadTimeout->enabled() || timer2->enabled()) {
        return " Atenção ! !  Desfazer e Refazer esperam o fim da transferência. ";
    }
    if (timerTps->tag == 1) {
        return " Atenção ! !  Desfazer e Refazer esperam o fim da calibração do TPS. ";
    }
    if (state.scannerActive) {
        return " Atenção ! !  Desfazer e Refazer não funcionam com o scanner ativo. ";
    }
    if (replay.active()) {
        return " Atenção ! !  Desfazer e Refazer esperam o fim da reprodução. ";
    }
    if (state.injectionMapInPercent) {
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
