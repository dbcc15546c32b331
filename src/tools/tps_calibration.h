#pragma once

#include "activity/activity.h"

#include <functional>
#include <optional>
#include <utility>

namespace orvel {

class ControlStore;
class Dialogs;
class Timer;
struct FormState;

// The throttle sensor's closed and open points, taught through the scanner.
class TpsCalibration {
public:
    struct Hooks {
        std::function<void()> beforeStart; // a read the user asked for waits no longer
        std::function<void()> startScanner;
        std::function<void()> stopScanner;
        std::function<void()> startUpload; // throws when a value cannot be sent
    };
    TpsCalibration(ControlStore& controls, FormState& state, Activity& activity, Timer& steps,
                   Dialogs& dialogs, Hooks hooks)
        : controls_(controls), state_(state), activity_(activity), steps_(steps), dialogs_(dialogs),
          hooks_(std::move(hooks)) {}
    void btnConfigurarTpsClick();
    void TimerTPSTimer();
    // Frame 29, after TpsRawValue was taken: counted while the procedure runs.
    void capture();
    // Its own upload ended; completed means the module has the new values.
    void ownUploadEnded(bool completed);
    // The port closed: a completed procedure ends quietly; any other one is
    // cancelled, with its box when asked.
    void portClosed(bool tellCancellation);

private:
    // What a cancelled procedure puts back.
    struct Before {
        int closedValue;
        int openValue;
        int barMin;
        int barMax;
    };
    void checkClosedReading();
    void finish();
    // Ends a procedure whose upload completed, without its closing box.
    void endCompleted();
    // Ends the procedure without sending anything.
    void cancel();
    // Timer off, end points and bar as before the click.
    void restore();
    ControlStore& controls_;
    FormState& state_;
    Activity& activity_;
    Timer& steps_;
    Dialogs& dialogs_;
    Hooks hooks_;
    std::optional<Before> before_; // set until the module has the new values
};

} // namespace orvel
