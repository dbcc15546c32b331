#pragma once

#include "activity/activity.h"
#include "link/frames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace orvel {

class ControlStore;
class Dialogs;
class SerialPortController;
class Timer;
struct FormState;

// The live scanner (Button3, Timer1) and the link watchdog.
class Scanner {
public:
    struct Hooks {
        std::function<void()> beforeStart; // a read the user asked for waits no longer
        std::function<void()> sessionStarted;
        std::function<void()> sessionEnded;
        std::function<void(const frames::ModuleFrame&)> frameArrived; // before it is shown
        // Frame 29 after TpsRawValue was taken, before the bar and voltage show it.
        std::function<void()> tpsRead;
    };
    Scanner(ControlStore& controls, FormState& state, Activity& activity, Timer& poll,
            Dialogs& dialogs, SerialPortController& port, Hooks hooks)
        : controls_(controls), state_(state), activity_(activity), poll_(poll), dialogs_(dialogs),
          port_(port), hooks_(std::move(hooks)) {}
    // The toggle: decides by Button3's caption.
    void Button3Click();
    // Explicit requests (TPS calibration): do nothing when already in that state.
    void start();
    void stop();
    // A scanner switched off owes the module its stop command: it goes now,
    // before another operation's bytes or the port's close.
    void finishStopping();
    // The port closed: off, quietly.
    void portClosed();
    [[nodiscard]] bool isOn() const { return activity_.scanning(); }
    void Timer1Timer();
    void handleFrame(const frames::ModuleFrame& frame); // ids 29..34

    static constexpr const char* kSwitchOnCaption = "Ativar &Scanner";
    static constexpr const char* kSwitchOffCaption = "Desativar &Scanner";
    // The hidden diagnostic list keeps only its latest lines.
    static constexpr std::size_t kDiagnosticLines = 500;

private:
    using Data = std::array<std::uint8_t, 8>;
    void switchOn();
    void switchOff();
    void sensorFrame(const Data& d);                        // 29
    void engineFrame(const Data& d);                        // 30
    void correctionFrame(const Data& d);                    // 31
    void diagnosticFrame(const frames::ModuleFrame& frame); // 32..34
    void markCells();
    void setCellMarked(std::optional<int> cell, bool marked);
    ControlStore& controls_;
    FormState& state_;
    Activity& activity_;
    Timer& poll_;
    Dialogs& dialogs_;
    SerialPortController& port_;
    Hooks hooks_;
};

} // namespace orvel
