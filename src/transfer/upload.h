#pragma once

#include "link/frames.h"

namespace orvel {

class Form;

// "Enviar Dados": 32 packets paced by Timer2, then the end command.
class Upload {
public:
    explicit Upload(Form& form) : form_(form) {}
    void btnEnviaClick();
    void Timer2Timer();
    // Packet k (1..32) from the current texts and the values the click prepared.
    // Throws ConversionError / RefusedError when a value does not parse or fit.
    [[nodiscard]] frames::ConfigPacket buildPacket(int number) const;

private:
    Form& form_;
};

} // namespace orvel
