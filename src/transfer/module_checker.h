#pragma once

#include "transfer/module_check.h"

#include <functional>
#include <string>
#include <utility>

namespace orvel {

class Activity;
class ControlStore;
class Dialogs;
class SerialPortController;
class Timer;

// "Conferir módulo": the read command and frames 1..26 as a read receives them,
// into a configuration of its own (the window is left as it is), compared with
// what the module should hold.
class ModuleChecker {
public:
    // As the read: silence that ends a check whose frame 26 never comes.
    static constexpr int kTimeoutMs = 3000;

    // What the module was compared with.
    enum class Basis { LastSend, Window };
    struct Result {
        Basis basis = Basis::Window;
        modulecheck::Outcome outcome;
    };

    struct Hooks {
        std::function<void()> beforeStart; // the line is the check's alone
        // The packets the module should hold: the last completed send's, or the
        // window's as a send would make them (throws as a send refuses).
        std::function<std::pair<Basis, modulecheck::Packets>()> expected;
        std::function<void(const Result&)> completed;
    };

    ModuleChecker(Activity& activity, Timer& timeout, Dialogs& dialogs, SerialPortController& port,
                  Hooks hooks)
        : activity_(activity), timeout_(timeout), dialogs_(dialogs), port_(port),
          hooks_(std::move(hooks)) {}

    void start();
    void handleFrame(const frames::ModuleFrame& frame); // ids 1..26, while it runs
    void timeoutTick();
    // The port closes under it.
    void abandon();

private:
    void restartTimeout();

    Activity& activity_;
    Timer& timeout_;
    Dialogs& dialogs_;
    SerialPortController& port_;
    Hooks hooks_;
    Basis basis_ = Basis::Window;
    modulecheck::StoredFrames expected_{};
    modulecheck::ReceivedFrames received_{};
};

// "Mapa de Injeção, 2700 RPM, coluna 4: enviado 6,2, no módulo 6,4 (pacote 14)".
[[nodiscard]] std::string differenceText(const ControlStore& controls,
                                         const modulecheck::Difference& difference,
                                         ModuleChecker::Basis basis);
// The frames missing from the module's answer, or empty.
[[nodiscard]] std::string missingFramesText(const modulecheck::Outcome& outcome);

} // namespace orvel
