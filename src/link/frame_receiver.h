#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvel {

class Form;

// Cuts the received byte stream into 12-byte groups and dispatches each frame.
class FrameReceiver {
public:
    explicit FrameReceiver(Form& form) : form_(form) {}
    // ComPort1RxChar: the bytes of one receive notification, in order.
    void ComPort1RxChar(std::span<const std::uint8_t> bytes);
    // The port was opened: the pending bytes are dropped.
    void reset() { pending_.clear(); }
    [[nodiscard]] std::size_t pendingSize() const { return pending_.size(); }

private:
    Form& form_;
    std::vector<std::uint8_t> pending_;
};

} // namespace orvel
