#pragma once

#include "form/form_state.h"
#include "link/frames.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace orvel {

class Form;

// "Enviar Dados": 32 packets paced by Timer2, then the end command.
class Upload {
public:
    static constexpr int kFirstTickMs = 1;
    static constexpr int kTickMs = 50;
    static constexpr int kEndTick = 35;
    static constexpr int kBarMaximum = 33;

    explicit Upload(Form& form) : form_(form) {}
    // Refuses (nothing sent, nothing changed) when any value would not arrive
    // intact, with the focus on its field.
    void btnEnviaClick();
    // The same upload for the TPS procedure, whose completion follows its end.
    void startForTpsCalibration();
    void Timer2Timer();
    // Packet k (1..32) from the current texts and the values the click prepared.
    // Throws ConversionError / RefusedError when a value does not parse or fit.
    [[nodiscard]] frames::ConfigPacket buildPacket(int number) const;

private:
    void start(bool forTpsCalibration);
    [[nodiscard]] UploadValues prepare() const;
    [[nodiscard]] frames::ConfigPacket buildPacket(int number, const UploadValues& values) const;
    // Ends an upload: timer off, waiting display gone, buttons back.
    void finish();

    Form& form_;
    bool forTpsCalibration_ = false;
};

} // namespace orvel
