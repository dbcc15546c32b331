#pragma once

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

    // What the click prepares from the fields; packets 19..32 send it.
    struct Prepared {
        std::array<std::int8_t, 22> ti{};
        std::array<std::int8_t, 22> ig{};
        std::array<std::int8_t, 22> ml{};
        std::array<std::int8_t, 10> atm{};
        int fanCorrectionTenths = 0;
        int probeCorrectionCode = 0;
        int mapCombinationCode = 0;
        int quickAccelSourceCode = 0;
        int probeModeCode = 0;
        int probeTypeCode = 0;
        int cylinderCount = 0;
        int distributorCode = 0;
    };

    explicit Upload(Form& form) : form_(form) {}
    // Refuses (nothing sent, nothing changed) when any value would not arrive
    // intact, with the focus on its field.
    void btnEnviaClick();
    void Timer2Timer();
    // Packet k (1..32) from the current texts and the values the click prepared.
    // Throws ConversionError / RefusedError when a value does not parse or fit.
    [[nodiscard]] frames::ConfigPacket buildPacket(int number) const;

private:
    [[nodiscard]] Prepared prepare() const;
    [[nodiscard]] Prepared prepared() const; // as the last click left it
    void commit(const Prepared& values);
    [[nodiscard]] frames::ConfigPacket buildPacket(int number, const Prepared& values) const;
    // Ends an upload: timer off, waiting display gone, buttons back.
    void finish();

    Form& form_;
};

} // namespace orvel
