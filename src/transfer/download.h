#pragma once

#include "link/frames.h"

#include <memory>

namespace orvel {

class Form;
class Timer;

// "Lêr Dados": read command, configuration frames 1..26 into the fields.
class Download {
public:
    explicit Download(Form& form);
    ~Download();
    void btnLerDadosClick();
    void handleFrame(const frames::ModuleFrame& frame); // ids 1..26
    // Ends a download whose frame 26 never came (3 s of silence).
    void timeoutTick();

private:
    Form& form_;
};

} // namespace orvel
