#include "link/frame_receiver.h"
#include "core/form.h"

namespace orvel {
void FrameReceiver::ComPort1RxChar(std::span<const std::uint8_t> bytes) { (void)bytes; (void)form_; }
} // namespace orvel
