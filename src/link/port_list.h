#pragma once

#include "core/platform.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orvel {

// Candidate port names in ascending probing order for this platform.
[[nodiscard]] std::vector<std::string> candidatePorts();
// The folder where simulated modules publish their links (Linux).
[[nodiscard]] std::string simulatedPortFolder();
// The candidates that can be opened right now.
[[nodiscard]] std::vector<std::string> ListSerialPorts(PortProber& prober);

// The platform lists, kept apart so that each can be checked on any host.
[[nodiscard]] std::vector<std::string> windowsCandidates(int count);
[[nodiscard]] std::vector<std::string> linuxCandidates(const std::filesystem::path& simFolder);
[[nodiscard]] std::vector<std::string> macCandidates(const std::filesystem::path& devFolder);

// Probes the candidates in order; those that `exists` rejects are skipped without
// an open, so that absent device files cost nothing at start.
[[nodiscard]] std::vector<std::string>
ListSerialPorts(PortProber& prober, const std::vector<std::string>& candidates,
                const std::function<bool(const std::string&)>& exists);

} // namespace orvel
