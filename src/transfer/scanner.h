#pragma once

#include "link/frames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

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

    static constexpr const char* kSwitchOnCaption = "Ativar &Scanner";
    static constexpr const char* kSwitchOffCaption = "Desativar &Scanner";
    // The hidden diagnostic list keeps only its latest lines.
    static constexpr std::size_t kDiagnosticLines = 500;

private:
    using Data = std::array<std::uint8_t, 8>;
    void switchOn();
    void switchOff();
    // True (and the scanner off) when the port closed under a running Timer1.
    bool pollingWithoutPort();
    void sensorFrame(const Data& d);                        // 29
    void engineFrame(const Data& d);                        // 30
    void correctionFrame(const Data& d);                    // 31
    void diagnosticFrame(const frames::ModuleFrame& frame); // 32..34
    void markCells();
    void setCellMarked(std::optional<int> cell, bool marked);
    Form& form_;
};

} // namespace orvel
