#pragma once

#include "activity/activity.h"
#include "form/form_state.h"
#include "link/frames.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

namespace orvel {

class ControlStore;
class SerialPortController;
class Timer;

// "Enviar Dados": 32 packets paced by Timer2, then the end command.
class Upload {
public:
    static constexpr int kFirstTickMs = 1;
    static constexpr int kTickMs = 50;
    static constexpr int kEndTick = 35;
    static constexpr int kBarMaximum = 33;

    struct Hooks {
        std::function<void()> beforeStart; // the line is the upload's alone
        // The TPS procedure's own upload ended: completed (the end command went) or not.
        std::function<void(bool completed)> tpsUploadEnded;
        // The packets are taken from the window (started) and all went out (sent).
        std::function<void()> started;
        std::function<void()> sent;
    };

    Upload(ControlStore& controls, FormState& state, Activity& activity, Timer& pace,
           SerialPortController& port, Hooks hooks)
        : controls_(controls), state_(state), activity_(activity), pace_(pace), port_(port),
          hooks_(std::move(hooks)) {}
    // Refuses (nothing sent, nothing changed) when any value would not arrive
    // intact, with the focus on its field.
    void btnEnviaClick();
    // The same upload for the TPS procedure, whose completion follows its end.
    void startForTpsCalibration();
    void Timer2Timer();
    // The port went: the upload ends where it is.
    void abort();
    // Packet k (1..32) from the current texts and the values the click prepared.
    // Throws ConversionError / RefusedError when a value does not parse or fit.
    [[nodiscard]] frames::ConfigPacket buildPacket(int number) const;
    // All 32 packets a click would send now; throws as the click refuses.
    [[nodiscard]] std::array<frames::ConfigPacket, frames::kLastPacket> packetsFromWindow() const;
    // The packets of the last upload whose end command went out.
    [[nodiscard]] const std::optional<std::array<frames::ConfigPacket, frames::kLastPacket>>&
    lastSent() const {
        return lastSent_;
    }

private:
    void start(Activity::Upload owner);
    [[nodiscard]] UploadValues prepare() const;
    [[nodiscard]] std::array<frames::ConfigPacket, frames::kLastPacket>
    packetsFor(const UploadValues& values) const;
    [[nodiscard]] frames::ConfigPacket buildPacket(int number, const UploadValues& values) const;
    // Ends an upload: timer off, the activity told.
    void finish(bool completed);

    ControlStore& controls_;
    FormState& state_;
    Activity& activity_;
    Timer& pace_;
    SerialPortController& port_;
    Hooks hooks_;
    // What the click found in the window, packet by packet: an edit during the
    // 1.7 s cannot leave the module half the old and half the new configuration.
    std::array<frames::ConfigPacket, frames::kLastPacket> packets_{};
    std::optional<std::array<frames::ConfigPacket, frames::kLastPacket>> lastSent_;
};

} // namespace orvel
