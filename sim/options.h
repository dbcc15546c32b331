#pragma once

#include "simulated_module.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::sim {

struct Options {
    std::optional<std::string> configFile;
    Behaviour behaviour;
    bool chunks = false;
    bool paced = true;
    double coolantStartC = 20;
    bool engineRunning = true;
    bool help = false;
    // "exemplo" or a file of 72 factors; none: the engine needs what the map gives.
    std::optional<std::string> fuelError;
};

// Throws std::invalid_argument with a message for the user.
[[nodiscard]] Options parseOptions(const std::vector<std::string_view>& args);
[[nodiscard]] std::string helpText();

} // namespace orvel::sim
