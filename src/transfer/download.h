#pragma once

#include "activity/activity.h"
#include "link/frames.h"

#include <functional>
#include <utility>

namespace orvel {

class ControlStore;
class Dialogs;
class SerialPortController;
class Timer;
struct FormState;

// "Lêr Dados": read command, configuration frames 1..26 into the fields.
class Download {
public:
    // Silence that ends a download whose frame 26 never comes.
    static constexpr int kTimeoutMs = 3000;

    struct Hooks {
        std::function<void()> beforeStart;              // the line is the read's alone
        std::function<void()> beforeMillisecondsArrive; // a map in percent goes back first
        std::function<void()> completed;                // frame 26 ended the read
    };

    Download(ControlStore& controls, FormState& state, Activity& activity, Timer& timeout,
             Dialogs& dialogs, SerialPortController& port, Hooks hooks)
        : controls_(controls), state_(state), activity_(activity), timeout_(timeout),
          dialogs_(dialogs), port_(port), hooks_(std::move(hooks)) {}
    void btnLerDadosClick();
    void handleFrame(const frames::ModuleFrame& frame); // ids 1..26
    // Ends a download whose frame 26 never came (3 s of silence).
    void timeoutTick();
    // An upload, the scanner or the TPS procedure takes the port over, or the
    // port closes: the read the user asked for waits no longer.
    void abandon();

private:
    // Frames 1..25 into the fields.
    void write(const frames::ModuleFrame& frame);
    void finish();
    void restartTimeout();

    ControlStore& controls_;
    FormState& state_;
    Activity& activity_;
    Timer& timeout_;
    Dialogs& dialogs_;
    SerialPortController& port_;
    Hooks hooks_;
};

} // namespace orvel
