#pragma once

#include "link/frames.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

// The module's side of the wire: the frames it sends, in any of the three layouts
// the program accepts. Kept apart from the program's own codec so that the
// end-to-end tests check one against the other.
namespace orvel::sim {

using Bytes = std::vector<std::uint8_t>;
using Data = std::array<std::uint8_t, 8>;

inline constexpr int kBaud = 38400;
inline constexpr int kBitsPerByte = 10; // start, eight data, stop

[[nodiscard]] Bytes encodeModuleFrame(std::uint8_t id, const Data& data,
                                      frames::Layout layout = frames::Layout::A);

// Time the line takes for n bytes at 38400 baud, rounded up to a microsecond.
[[nodiscard]] constexpr std::chrono::microseconds wireTime(std::size_t bytes) {
    constexpr long long numerator = 1'000'000LL * kBitsPerByte;
    return std::chrono::microseconds((static_cast<long long>(bytes) * numerator + kBaud - 1) /
                                     kBaud);
}

} // namespace orvel::sim
