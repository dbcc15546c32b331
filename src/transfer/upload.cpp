#include "transfer/upload.h"
#include "core/form.h"

namespace orvel {
void Upload::btnEnviaClick() { (void)form_; }
void Upload::Timer2Timer() {}
frames::ConfigPacket Upload::buildPacket(int number) const { return {static_cast<std::uint8_t>(number), {}}; }
} // namespace orvel
