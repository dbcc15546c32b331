#include "link/frames.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvel::test {
namespace {

using frames::Command;
using frames::Layout;
using frames::ModuleFrame;

struct CommandCase {
    Command command;
    const char* wire;
};

TEST(Frames, EveryCommandIsZeroCommandByteAndFourA) {
    const CommandCase cases[] = {
        {Command::ReadConfig, "00 33 61 61 61 61"},
        {Command::ScannerPoll, "00 7F 61 61 61 61"},
        {Command::ScannerStop, "00 D9 61 61 61 61"},
        {Command::UploadEnd, "00 48 61 61 61 61"},
    };
    for (const auto& c : cases) {
        const auto encoded = frames::encodeCommand(c.command);
        EXPECT_EQ(hex(encoded), c.wire);
        EXPECT_EQ(frames::decodeCommand(encoded), c.command) << c.wire;
    }
}

TEST(Frames, DecodeCommandRejectsAnythingButAWholeKnownCommand) {
    const std::vector<std::vector<std::uint8_t>> rejected = {
        bytes({0x00, 0x33, 0x61, 0x61, 0x61}),             // short
        bytes({0x00, 0x33, 0x61, 0x61, 0x61, 0x61, 0x61}), // long
        bytes({0x01, 0x33, 0x61, 0x61, 0x61, 0x61}),       // first byte
        bytes({0x00, 0x34, 0x61, 0x61, 0x61, 0x61}),       // unknown command
        bytes({0x00, 0x33, 0x61, 0x61, 0x62, 0x61}),       // filler
    };
    for (const auto& b : rejected) {
        EXPECT_FALSE(frames::decodeCommand(b).has_value()) << hex(b);
    }
}

TEST(Frames, PacketIsNumberThenEightPayloadBytes) {
    const frames::ConfigPacket packet{1, {0x0A, 0x0A, 6, 6, 6, 6, 6, 0xFE}};
    const auto wire = frames::encodePacket(packet);
    EXPECT_EQ(hex(wire), "01 0A 0A 06 06 06 06 06 FE");
    EXPECT_EQ(frames::decodePacket(wire), packet);
}

struct GroupCase {
    const char* name;
    std::vector<std::uint8_t> group;
    std::optional<ModuleFrame> expected;
};

TEST(Frames, DecodeGroupRecognisesTheRegularAndBothShiftedLayouts) {
    const ModuleFrame frame25{25, {1, 2, 3, 4, 5, 6, 7, 8}};
    const GroupCase cases[] = {
        {"regular", bytes({'H', 'P', 25, 1, 2, 3, 4, 5, 6, 7, 8, 'F'}), frame25},
        {"lost H, then a space", bytes({'P', 25, 1, 2, 3, 4, 5, 6, 7, 8, 'F', ' '}), frame25},
        {"lost H and P, then two spaces", bytes({25, 1, 2, 3, 4, 5, 6, 7, 8, 'F', ' ', ' '}),
         frame25},
        {"marks inside the data do not matter",
         bytes({'H', 'P', 3, 'H', 'P', 3, 4, 5, 'P', 'F', ' ', 'F'}),
         ModuleFrame{3, {'H', 'P', 3, 4, 5, 'P', 'F', ' '}}},
        {"twelve zero bytes", std::vector<std::uint8_t>(12, 0), std::nullopt},
        {"regular frame that lost its first byte (next frame's H at the end)",
         bytes({'P', 25, 1, 2, 3, 4, 5, 6, 7, 8, 'F', 'H'}), std::nullopt},
        {"regular frame without its end mark", bytes({'H', 'P', 25, 1, 2, 3, 4, 5, 6, 7, 8, 'X'}),
         std::nullopt},
        {"B without its space", bytes({'P', 25, 1, 2, 3, 4, 5, 6, 7, 8, 'F', 0}), std::nullopt},
        {"C with one space only", bytes({25, 1, 2, 3, 4, 5, 6, 7, 8, 'F', ' ', 0}), std::nullopt},
    };
    for (const auto& c : cases) {
        const std::span<const std::uint8_t, frames::kFrameSize> group(c.group.data(), 12);
        EXPECT_EQ(frames::decodeGroup(group), c.expected) << c.name;
    }
}

TEST(Frames, EncodedFramesDecodeBackInEveryLayout) {
    const ModuleFrame frame{30, {0x00, 0xFE, 0x18, 0x01, 9, 0xB0, 0x04, 1}};
    const struct {
        Layout layout;
        const char* wire;
    } cases[] = {
        {Layout::A, "48 50 1E 00 FE 18 01 09 B0 04 01 46"},
        {Layout::B, "50 1E 00 FE 18 01 09 B0 04 01 46 20"},
        {Layout::C, "1E 00 FE 18 01 09 B0 04 01 46 20 20"},
    };
    for (const auto& c : cases) {
        const auto wire = frames::encodeFrame(frame, c.layout);
        EXPECT_EQ(hex(wire), c.wire);
        EXPECT_EQ(frames::decodeGroup(wire), frame) << c.wire;
    }
}

TEST(Frames, SixteenBitValuesTravelLowByteFirstAndSignedBytesAreTwosComplement) {
    EXPECT_EQ(frames::u16(0xB0, 0x04), 1200);
    EXPECT_EQ(frames::u16(0x18, 0x01), 280);
    EXPECT_EQ(frames::s8(0xFE), -2);
    EXPECT_EQ(frames::s8(0x7F), 127);
    EXPECT_EQ(frames::s8(0x80), -128);
}

} // namespace
} // namespace orvel::test
