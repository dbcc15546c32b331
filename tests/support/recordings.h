#pragma once

#include "recording/recording.h"

#include <cstdint>
#include <memory>

namespace orvel::test {

// Eleven sets 200 ms apart; set n shows the temperature 40 + n and, with four
// cylinders, 1000 RPM (period 1200). `tpsLow` is the TPS reading's low byte.
[[nodiscard]] std::shared_ptr<const recording::Recording> elevenSets(std::uint8_t tpsLow = 0);

} // namespace orvel::test
