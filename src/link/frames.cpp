#include "link/frames.h"

namespace orvel::frames {
CommandBytes encodeCommand(Command command) { return {0x00, static_cast<std::uint8_t>(command), 0x61, 0x61, 0x61, 0x61}; }
std::optional<Command> decodeCommand(std::span<const std::uint8_t> bytes) { (void)bytes; return std::nullopt; }
PacketBytes encodePacket(const ConfigPacket& packet) { (void)packet; return {}; }
ConfigPacket decodePacket(std::span<const std::uint8_t, kPacketSize> bytes) { (void)bytes; return {}; }
std::optional<ModuleFrame> decodeGroup(std::span<const std::uint8_t, kFrameSize> group) { (void)group; return std::nullopt; }
FrameBytes encodeFrame(const ModuleFrame& frame, Layout layout) { (void)frame; (void)layout; return {}; }
} // namespace orvel::frames
