#include "link/frames.h"

#include <algorithm>

namespace orvel::frames {

namespace {

constexpr std::array<Command, 4> kCommands{Command::ReadConfig, Command::ScannerPoll,
                                           Command::ScannerStop, Command::UploadEnd};

// The frame id and data start at `at` in every layout; only the framing differs.
ModuleFrame frameAt(std::span<const std::uint8_t, kFrameSize> group, std::size_t at) {
    ModuleFrame frame;
    frame.id = group[at];
    for (std::size_t i = 0; i < frame.data.size(); ++i) {
        frame.data[i] = group[at + 1 + i];
    }
    return frame;
}

} // namespace

CommandBytes encodeCommand(Command command) {
    return {0x00,           static_cast<std::uint8_t>(command),
            kCommandFiller, kCommandFiller,
            kCommandFiller, kCommandFiller};
}

std::optional<Command> decodeCommand(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kCommandSize || bytes[0] != 0x00) {
        return std::nullopt;
    }
    if (!std::all_of(bytes.begin() + 2, bytes.end(),
                     [](std::uint8_t b) { return b == kCommandFiller; })) {
        return std::nullopt;
    }
    for (auto command : kCommands) {
        if (bytes[1] == static_cast<std::uint8_t>(command)) {
            return command;
        }
    }
    return std::nullopt;
}

PacketBytes encodePacket(const ConfigPacket& packet) {
    PacketBytes out{};
    out[0] = packet.number;
    for (std::size_t i = 0; i < packet.payload.size(); ++i) {
        out[1 + i] = packet.payload[i];
    }
    return out;
}

ConfigPacket decodePacket(std::span<const std::uint8_t, kPacketSize> bytes) {
    ConfigPacket packet;
    packet.number = bytes[0];
    for (std::size_t i = 0; i < packet.payload.size(); ++i) {
        packet.payload[i] = bytes[1 + i];
    }
    return packet;
}

std::optional<ModuleFrame> decodeGroup(std::span<const std::uint8_t, kFrameSize> group) {
    if (group[0] == kFrameStart && group[1] == kFrameMark && group[11] == kFrameEnd) {
        return frameAt(group, 2);
    }
    if (group[0] == kFrameMark && group[10] == kFrameEnd && group[11] == kPad) {
        return frameAt(group, 1);
    }
    if (group[9] == kFrameEnd && group[10] == kPad && group[11] == kPad) {
        return frameAt(group, 0);
    }
    return std::nullopt;
}

FrameBytes encodeFrame(const ModuleFrame& frame, Layout layout) {
    FrameBytes out{};
    std::size_t at = 0;
    switch (layout) {
    case Layout::A:
        out[0] = kFrameStart;
        out[1] = kFrameMark;
        at = 2;
        break;
    case Layout::B:
        out[0] = kFrameMark;
        at = 1;
        break;
    case Layout::C:
        break;
    }
    out[at] = frame.id;
    for (std::size_t i = 0; i < frame.data.size(); ++i) {
        out[at + 1 + i] = frame.data[i];
    }
    out[at + 9] = kFrameEnd;
    for (std::size_t i = at + 10; i < kFrameSize; ++i) {
        out[i] = kPad;
    }
    return out;
}

} // namespace orvel::frames
