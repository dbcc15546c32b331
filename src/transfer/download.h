#pragma once

#include "link/frames.h"

namespace orvel {

class Form;

// "Lêr Dados": read command, configuration frames 1..26 into the fields.
class Download {
public:
    // Silence that ends a download whose frame 26 never comes.
    static constexpr int kTimeoutMs = 3000;

    explicit Download(Form& form);
    ~Download();
    void btnLerDadosClick();
    void handleFrame(const frames::ModuleFrame& frame); // ids 1..26
    // Ends a download whose frame 26 never came (3 s of silence).
    void timeoutTick();
    // An upload or the scanner takes the port over, or the port closes: the read
    // the user asked for waits no longer, and its waiting display goes.
    void abandon();

private:
    void beginReceiving();
    void writeIgnitionRow(const frames::ModuleFrame& frame);
    void writeInjectionRow(const frames::ModuleFrame& frame);
    void writeCorrections(const frames::ModuleFrame& frame);
    void writePressureAndQuickAcceleration(const frames::ModuleFrame& frame);
    void writeProbe(const frames::ModuleFrame& frame);
    void writeCutOffFanAndAir(const frames::ModuleFrame& frame);
    void writeEngineLayout(const frames::ModuleFrame& frame);
    void finish();
    void restartTimeout();
    // The scanner, an upload or the TPS procedure holds the buttons.
    [[nodiscard]] bool otherOperationRuns() const;
    void setChoice(const char* list, int code);

    Form& form_;
};

} // namespace orvel
