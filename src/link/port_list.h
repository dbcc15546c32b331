#pragma once

#include "core/platform.h"

#include <string>
#include <vector>

namespace orvel {

// Candidate port names in ascending probing order for this platform.
[[nodiscard]] std::vector<std::string> candidatePorts();
// The folder where simulated modules publish their links (Linux).
[[nodiscard]] std::string simulatedPortFolder();
// The candidates that can be opened right now.
[[nodiscard]] std::vector<std::string> ListSerialPorts(PortProber& prober);

} // namespace orvel
