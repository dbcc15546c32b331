#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// The wire protocol: commands and packets to the module, frames from it.
namespace orvel::frames {

inline constexpr std::size_t kCommandSize = 6;
inline constexpr std::size_t kPacketSize = 9;
inline constexpr std::size_t kFrameSize = 12;

inline constexpr std::uint8_t kCommandFiller = 0x61; // "a"
inline constexpr std::uint8_t kFrameStart = 0x48;    // "H"
inline constexpr std::uint8_t kFrameMark = 0x50;     // "P"
inline constexpr std::uint8_t kFrameEnd = 0x46;      // "F"
inline constexpr std::uint8_t kPad = 0x20;           // space after a shifted frame

inline constexpr int kFirstPacket = 1;
inline constexpr int kLastPacket = 32;
inline constexpr std::uint8_t kLastConfigurationId = 26;

enum class Command : std::uint8_t {
    ReadConfig = 0x33,
    ScannerPoll = 0x7F,
    ScannerStop = 0xD9,
    UploadEnd = 0x48,
};

using CommandBytes = std::array<std::uint8_t, kCommandSize>;
using PacketBytes = std::array<std::uint8_t, kPacketSize>;
using FrameBytes = std::array<std::uint8_t, kFrameSize>;

// 00 <command> 61 61 61 61
[[nodiscard]] CommandBytes encodeCommand(Command command);
// nullopt unless the bytes are exactly one known command.
[[nodiscard]] std::optional<Command> decodeCommand(std::span<const std::uint8_t> bytes);

struct ConfigPacket {
    std::uint8_t number = 0; // 1..32
    std::array<std::uint8_t, 8> payload{};
    friend bool operator==(const ConfigPacket&, const ConfigPacket&) = default;
};
[[nodiscard]] PacketBytes encodePacket(const ConfigPacket& packet);
[[nodiscard]] ConfigPacket decodePacket(std::span<const std::uint8_t, kPacketSize> bytes);

struct ModuleFrame {
    std::uint8_t id = 0;
    std::array<std::uint8_t, 8> data{};
    friend bool operator==(const ModuleFrame&, const ModuleFrame&) = default;
};

// A: "H" "P" id d0..d7 "F"; B: A without its "H", then a space; C: A without
// "H" "P", then two spaces. B and C are what the module's frames look like when
// the line lost their first bytes.
enum class Layout { A, B, C };

// Tries layouts A, B, C in that order; nullopt when the group fits none.
[[nodiscard]] std::optional<ModuleFrame>
decodeGroup(std::span<const std::uint8_t, kFrameSize> group);
[[nodiscard]] FrameBytes encodeFrame(const ModuleFrame& frame, Layout layout = Layout::A);

[[nodiscard]] constexpr bool isConfigurationId(int id) {
    return id >= 1 && id <= kLastConfigurationId;
}
[[nodiscard]] constexpr bool isScannerId(int id) {
    return id >= 29 && id <= 34;
}

// Byte helpers with explicit order: 16-bit values travel low byte first.
[[nodiscard]] constexpr int u16(std::uint8_t low, std::uint8_t high) {
    return low | (high << 8);
}
[[nodiscard]] constexpr int s8(std::uint8_t b) {
    return static_cast<std::int8_t>(b);
}

} // namespace orvel::frames
