#pragma once

#include "link/frames.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvel {

// What frame 25 says of the engine besides its fields: the cylinder count and the
// throttle sensor's end points as the module holds them.
struct EngineLayout {
    int cylinderCount{};
    int tpsClosedValue{};
    int tpsOpenValue{}; // as received; the read checks it before taking it
};

// One configuration frame (ids 1..25) as the fields' texts a read shows, in the
// order the read writes them. A choice whose code no item has writes nothing.
struct DecodedFrame {
    std::vector<std::pair<std::string, std::string>> texts;
    std::optional<EngineLayout> layout; // frame 25 only
};

// Pure: the read writes these into the window, the module check compares them.
[[nodiscard]] DecodedFrame decodeConfigurationFrame(const frames::ModuleFrame& frame);

} // namespace orvel
