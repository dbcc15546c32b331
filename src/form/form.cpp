#include "form/form.h"

#include "activity/control_states.h"
#include "core/errors.h"
#include "model/config.h"
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
    : link(link_), prober(prober_), dialogs(dialogs_),
      boxes(dialogs_, [this] { refreshControlStates(); }), timer1(timers.createTimer("Timer1")),
      timer2(timers.createTimer("Timer2")), timerTps(timers.createTimer("TimerTPS")),
      downloadTimeout(timers.createTimer("DownloadTimeout")),
      recorderCheck(timers.createTimer("RecorderCheck")),
      checkTimeout(timers.createTimer("CheckTimeout")),
      port(controls, link_, prober_, activity,
           {.opened = [this] { receiver.reset(); },
            .beforeClose =
                [this] {
                    // A scanner switched off still owes the module its stop command.
                    try {
                        scanner.finishStopping();
                    } catch (const PortError&) {
                        // The port is going away in any case; its failure notice follows.
                    }
                },
            .closing =
                [this] {
                    scanner.portClosed();
                    upload.abort();
                    download.abandon();
                    moduleCheck.abandon();
                },
            .closed =
                [this](SerialPortController::Closed how) {
                    // Only the user's own close is told as a cancellation: a lost
                    // port has its own box, and the program's end shows none.
                    tps.portClosed(how == SerialPortController::Closed::ByTheUser);
                }}),
      receiver(controls,
               {.dispatch = [this](const std::function<void()>& h) { dispatch(h); },
                .configuration =
                    [this](const frames::ModuleFrame& f) {
                        if (activity.checking()) {
                            moduleCheck.handleFrame(f);
                        } else {
                            download.handleFrame(f);
                        }
                    },
                .scanner = [this](const frames::ModuleFrame& f) { scanner.handleFrame(f); },
                .groupArrived = [this] { state.frameReceived = true; }}),
      download(
          controls, state, activity, *downloadTimeout, boxes, port,
          {.beforeStart = [this] { scanner.finishStopping(); },
           .beforeMillisecondsArrive = [this] { units.beforeMillisecondsArrive(); },
           .completed = [this] { moduleHistory.keep(ModuleHistory::Kind::Read, recordedMap()); }}),
      upload(controls, state, activity, *timer2, port,
             {.beforeStart =
                  [this] {
                      download.abandon();
                      scanner.finishStopping();
                  },
              .tpsUploadEnded = [this](bool completed) { tps.ownUploadEnded(completed); },
              .started = [this] { sentMap_ = recordedMap(); },
              .sent =
                  [this] {
                      moduleHistory.keep(ModuleHistory::Kind::Sent, sentMap_);
                      // The TPS procedure's own upload is its step, not the user's send.
                      if (windowHooks.sent && activity.tps() == Activity::Tps::None) {
                          windowHooks.sent();
                      }
                  }}),
      moduleCheck(activity, *checkTimeout, boxes, port,
                  {.beforeStart = [this] { scanner.finishStopping(); },
                   .expected =
                       [this] {
                           // The module keeps the last send of this run; with none, it
                           // should hold what the window would send.
                           if (const auto& sent = upload.lastSent()) {
                               return std::pair(ModuleChecker::Basis::LastSend, *sent);
                           }
                           if (activity.percent()) {
                               throw RefusedError(" Atenção ! !  Nada foi enviado nesta sessão e o "
                                                  "mapa de injeção está em \" % \". Converta para "
                                                  "Ti \" mS \" antes de conferir.  ");
                           }
                           return std::pair(ModuleChecker::Basis::Window,
                                            upload.packetsFromWindow());
                       },
                   .completed =
                       [this](const ModuleChecker::Result& result) {
                           if (windowHooks.checked) {
                               windowHooks.checked(result);
                           }
                       }}),
      scanner(controls, state, activity, *timer1, boxes, port,
              {.beforeStart = [this] { download.abandon(); },
               .sessionStarted = [this] { recorder.sessionStarted(); },
               .sessionEnded = [this] { recorder.sessionEnded(); },
               .frameArrived =
                   [this](const frames::ModuleFrame& f) {
                       recorder.frameReceived(f, state.cylinderCount);
                   },
               .tpsRead = [this] { tps.capture(); }}),
      rules(controls, boxes), alteration(controls, activity, boxes,
                                         {.check = [this] { units.checkWayBack(); },
                                          .toMilliseconds = [this] { units.toMilliseconds(); }}),
      units(controls, activity), tps(controls, state, activity, *timerTps, boxes,
                                     {.beforeStart = [this] { download.abandon(); },
                                      .startScanner = [this] { scanner.start(); },
                                      .stopScanner = [this] { scanner.stop(); },
                                      .startUpload = [this] { upload.startForTpsCalibration(); }}),
      calibrator(controls, state, activity, boxes, [this] { scanner.Button3Click(); }),
      files(controls, state, boxes),
      recorder(
          *recorderCheck, [this] { return recordedMap(); },
          [this](const std::string& message) { boxes.error(message); }),
      replay(state, activity, timers.createTimer("Replay"),
             [this](const frames::ModuleFrame& frame) { scanner.handleFrame(frame); },
             {[this] { return replayRefusal(); }}),
      history(controls, state.tpsClosedValue, state.tpsOpenValue, [this] { return whyNoUndo(); }),
      moduleHistory([this](const std::string& message) { boxes.error(message); }) {
    formdef::populate(controls);
    history.rebase();

    timer1->onTimer = [this] { dispatch([this] { scanner.Timer1Timer(); }); };
    timer2->onTimer = [this] { dispatch([this] { upload.Timer2Timer(); }); };
    timerTps->onTimer = [this] { dispatch([this] { tps.TimerTPSTimer(); }); };
    downloadTimeout->onTimer = [this] { dispatch([this] { download.timeoutTick(); }); };
    recorderCheck->onTimer = [this] { dispatch([this] { recorder.check(); }); };
    checkTimeout->onTimer = [this] { dispatch([this] { moduleCheck.timeoutTick(); }); };
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
