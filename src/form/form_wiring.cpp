#include "form/form.h"

#include "core/errors.h"
#include "model/form_definition.h"

// How the form's subsystems reach one another: each one's hooks lead through the
// form to the others, and the controls' events and the timers to their handlers.
namespace orvel {

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

} // namespace orvel
