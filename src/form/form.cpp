#include "form/form.h"

#include "core/errors.h"
#include "model/form_definition.h"

namespace orvel {

Form::Form(SerialLink& link_, PortProber& prober_, TimerFactory& timers, Dialogs& dialogs_)
    : link(link_), prober(prober_), dialogs(dialogs_), timer1(timers.createTimer("Timer1")),
      timer2(timers.createTimer("Timer2")), timerTps(timers.createTimer("TimerTPS")),
      downloadTimeout(timers.createTimer("DownloadTimeout")), port(*this), receiver(*this),
      download(*this), upload(*this), scanner(*this), rules(*this), alteration(*this), units(*this),
      tps(*this), calibrator(*this), files(*this) {
    formdef::populate(controls);

    timer1->onTimer = [this] { dispatch([this] { scanner.Timer1Timer(); }); };
    timer2->onTimer = [this] { dispatch([this] { upload.Timer2Timer(); }); };
    timerTps->onTimer = [this] { dispatch([this] { tps.TimerTPSTimer(); }); };
    downloadTimeout->onTimer = [this] { dispatch([this] { download.timeoutTick(); }); };
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
}

void Form::dispatch(const std::function<void()>& handler) {
    try {
        handler();
        units.holdTransfers();
    } catch (const RefusedError& e) {
        // A warning like the entry rules' ones, in the same plain box.
        units.holdTransfers();
        dialogs.message(e.what());
    } catch (const OrvelError& e) {
        units.holdTransfers();
        dialogs.error(withFullStop(e.what()));
    }
}

bool Form::click(std::string_view control) {
    auto it = clickHandlers_.find(control);
    if (it == clickHandlers_.end() || !controls.enabled(control) || !controls.visible(control)) {
        return false;
    }
    dispatch(it->second);
    return true;
}

bool Form::exit(std::string_view control) {
    auto it = exitHandlers_.find(control);
    if (it == exitHandlers_.end()) {
        return false;
    }
    dispatch(it->second);
    return true;
}

bool Form::keyPress(std::string_view control) {
    auto it = keyHandlers_.find(control);
    if (it == keyHandlers_.end()) {
        return false;
    }
    dispatch(it->second);
    return true;
}

void Form::received(std::span<const std::uint8_t> bytes) {
    dispatch([this, bytes] { receiver.ComPort1RxChar(bytes); });
}

} // namespace orvel
