#pragma once

#include "link/frames.h"

namespace orvel {

class Form;

// The live scanner (Button3, Timer1) and the link watchdog.
class Scanner {
public:
    explicit Scanner(Form& form) : form_(form) {}
    // The toggle: decides by Button3's caption.
    void Button3Click();
    // Explicit requests (TPS calibration): do nothing when already in that state.
    void start();
    void stop();
    [[nodiscard]] bool isOn() const;
    void Timer1Timer();
    void handleFrame(const frames::ModuleFrame& frame); // ids 29..34

private:
    void markCells();
    Form& form_;
};

} // namespace orvel
