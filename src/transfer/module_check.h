#pragma once

#include "link/frames.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the module holds beside what it should hold, at the module's own
// precision: the expected side is the bytes a send puts in the module, as a
// read answers them, so a value the module keeps coarser (tenths, hundreds of
// RPM, tens of mV, interpolated tables, option codes) agrees with its text.
namespace orvel::modulecheck {

inline constexpr int kFrames = frames::kLastConfigurationId - 1; // 1..25 carry values

using Packets = std::array<frames::ConfigPacket, frames::kLastPacket>;
using FrameData = std::array<std::uint8_t, 8>;
using StoredFrames = std::array<FrameData, kFrames>; // index 0 is frame 1
using ReceivedFrames = std::array<std::optional<FrameData>, kFrames>;

// The throttle sensor's end points have no field: frame 25 names them so.
inline constexpr char kTpsClosedKey[] = "TpsClosedValue";
inline constexpr char kTpsOpenKey[] = "TpsOpenValue";

// Frames 1..25 as the module answers a read once it kept these packets.
[[nodiscard]] StoredFrames storedFrames(const Packets& packets);

// The field a frame's byte holds (empty for a byte that holds none) and the
// packet that carried it there.
struct ByteOrigin {
    std::string key;
    int packet = 0;
};
[[nodiscard]] ByteOrigin originOf(int frame, int byte);

struct Difference {
    std::string key;
    int packet = 0;
    std::string sent;   // as a read would show the expected byte
    std::string module; // and the byte the module answered
};

struct Outcome {
    std::vector<Difference> differences; // in frame order
    std::vector<int> missingFrames;      // frames the module's answer lacked
    [[nodiscard]] bool agrees() const { return differences.empty() && missingFrames.empty(); }
};

[[nodiscard]] Outcome compare(const StoredFrames& expected, const ReceivedFrames& received);

} // namespace orvel::modulecheck
