#pragma once

#include "core/control_store.h"
#include "core/platform.h"
#include "files/map_file.h"
#include "form/form_state.h"
#include "link/frame_receiver.h"
#include "link/serial_port_controller.h"
#include "model/entry_rules.h"
#include "tools/calibrator.h"
#include "tools/map_alteration.h"
#include "tools/tps_calibration.h"
#include "tools/unit_conversion.h"
#include "transfer/download.h"
#include "transfer/scanner.h"
#include "transfer/upload.h"

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace orvel {

// The composition root of the headless core: the control store, the shared
// state, the platform seams and every subsystem. It is the event boundary:
// each entry point runs its handler and shows an escaping error in the error box
// (a refusal, which is a warning, in the plain box).
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
    void received(std::span<const std::uint8_t> bytes);

    // Runs a handler at the event boundary.
    void dispatch(const std::function<void()>& handler);

    ControlStore controls;
    FormState state;
    SerialLink& link;
    PortProber& prober;
    Dialogs& dialogs;

    std::unique_ptr<Timer> timer1;   // scanner poll and watchdog
    std::unique_ptr<Timer> timer2;   // upload pace
    std::unique_ptr<Timer> timerTps; // TPS calibration steps; tag 1 while it runs
    std::unique_ptr<Timer> downloadTimeout;

    SerialPortController port;
    FrameReceiver receiver;
    Download download;
    Upload upload;
    Scanner scanner;
    EntryRules rules;
    MapAlteration alteration;
    UnitConversion units;
    TpsCalibration tps;
    Calibrator calibrator;
    MapFileHandler files;

private:
    std::map<std::string, std::function<void()>, std::less<>> clickHandlers_;
    std::map<std::string, std::function<void()>, std::less<>> exitHandlers_;
    std::map<std::string, std::function<void()>, std::less<>> keyHandlers_;
};

} // namespace orvel
