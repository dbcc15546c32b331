#pragma once

#include "activity/activity.h"
#include "activity/control_states.h"
#include "core/control_store.h"
#include "core/platform.h"
#include "editing/undo_history.h"
#include "files/map_file.h"
#include "files/module_history.h"
#include "form/form_state.h"
#include "form/refreshing_dialogs.h"
#include "form/replay_mode.h"
#include "link/frame_receiver.h"
#include "link/serial_port_controller.h"
#include "model/entry_rules.h"
#include "recording/recorder.h"
#include "tools/calibrator.h"
#include "tools/map_alteration.h"
#include "tools/tps_calibration.h"
#include "tools/unit_conversion.h"
#include "transfer/download.h"
#include "transfer/module_checker.h"
#include "transfer/scanner.h"
#include "transfer/upload.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvel {

// The composition root of the headless core: the control store, the shared
// state, the platform seams and every subsystem, wired to each other here. It is
// the event boundary: each entry point runs its handler, shows an escaping error
// in the error box (a refusal, which is a warning, in the plain box) and brings
// the controls' states in step with the activity.
class Form {
public:
    Form(SerialLink& link, PortProber& prober, TimerFactory& timers, Dialogs& dialogs);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // FormCreate: the port list and the start state.
    void create();
    // FormClose.
    void close();

    // Events from the window. Clicks on disabled or hidden controls are ignored,
    // as the toolkit would. Return false when no handler ran.
    bool click(std::string_view control);
    bool exit(std::string_view control);
    bool keyPress(std::string_view control);
    // Whether typing into the control is answered by keyPress instead of taken.
    [[nodiscard]] bool guardsTyping(std::string_view control) const {
        return keyHandlers_.find(control) != keyHandlers_.end();
    }
    // The user opens a list's drop-down.
    bool dropDown(std::string_view control);
    void received(std::span<const std::uint8_t> bytes);

    // Runs a handler at the event boundary. What it changed in the configuration
    // becomes one undo step, unless an operation that ends later is still running.
    void dispatch(const std::function<void()>& handler);
    // A block operation or another change the window makes: one step by that name.
    void edit(const std::string& stepName, const std::function<void()>& change);

    // The user typed into a field; it joins a step when accepted on leaving it.
    void typing(std::string_view control);
    // The user picked an item of a list: a step at once.
    void picked(std::string_view control);
    void undo();
    void redo();
    // Why undo and redo cannot run now, or nothing when they can.
    [[nodiscard]] std::optional<std::string> whyNoUndo() const;

    ControlStore controls;
    FormState state;
    Activity activity;
    SerialLink& link;
    PortProber& prober;
    Dialogs& dialogs;
    // What the subsystems show boxes through: the controls' states come first.
    RefreshingDialogs boxes;

    std::unique_ptr<Timer> timer1;   // scanner poll and watchdog
    std::unique_ptr<Timer> timer2;   // upload pace
    std::unique_ptr<Timer> timerTps; // TPS calibration steps
    std::unique_ptr<Timer> downloadTimeout;
    std::unique_ptr<Timer> recorderCheck; // tells the user about recording faults
    std::unique_ptr<Timer> checkTimeout;  // "Conferir módulo"

    SerialPortController port;
    FrameReceiver receiver;
    Download download;
    Upload upload;
    ModuleChecker moduleCheck;
    Scanner scanner;
    EntryRules rules;
    MapAlteration alteration;
    UnitConversion units;
    TpsCalibration tps;
    Calibrator calibrator;
    MapFileHandler files;
    // Records every scanner session; off until given a folder (the window gives it).
    recording::Recorder recorder;
    ReplayMode replay; // a recording played through the window ("Registros")
    UndoHistory history;
    // A copy of every configuration read or sent; off until given a folder.
    ModuleHistory moduleHistory;
    // What the window adds: a reminder after a completed send, a check's result,
    // the states of its own pages' controls (pageStates()).
    struct WindowHooks {
        std::function<void()> sent;
        std::function<void()> activityChanged;
        std::function<void(const ModuleChecker::Result&)> checked;
    } windowHooks;

private:
    [[nodiscard]] std::string replayRefusal() const;
    [[nodiscard]] std::string recordedMap() const;
    void refreshControlStates();
    // A download and the TPS procedure end later: their changes become one step
    // when they do. (The injection map in percent holds only its own cells.)
    [[nodiscard]] bool stepRunning() const;

    std::string sentMap_; // what the upload running now carries, as a map file
    std::uint64_t appliedRevision_ = 0;
    // What the boundary wrote last: only what changes is written again.
    std::optional<DerivedStates> applied_;
    int dispatchDepth_ = 0;
    std::map<std::string, std::function<void()>, std::less<>> clickHandlers_;
    std::map<std::string, std::function<void()>, std::less<>> exitHandlers_;
    std::map<std::string, std::function<void()>, std::less<>> keyHandlers_;
    std::map<std::string, std::function<void()>, std::less<>> dropDownHandlers_;
};

} // namespace orvel
