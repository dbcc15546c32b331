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
// The candidates that can be opened right now, and on Linux the USB adapters
// that are plugged in even when they cannot (see usbAdapterFile).
[[nodiscard]] std::vector<std::string> ListSerialPorts(PortProber& prober);

// The platform lists, kept apart so that each can be checked on any host.
[[nodiscard]] std::vector<std::string> windowsCandidates(int count);
[[nodiscard]] std::vector<std::string> linuxCandidates(const std::filesystem::path& simFolder);
[[nodiscard]] std::vector<std::string> macCandidates(const std::filesystem::path& devFolder);

// A Linux USB adapter's device file (/dev/ttyUSB*, /dev/ttyACM*): the kernel makes
// it when the adapter is plugged in and removes it when it is pulled out, so one
// that exists is an adapter, even when a user outside dialout or a busy port keeps
// it from opening; "Ativar" then says why. /dev/ttyS* files exist with or
// without a UART behind them, so only an open tells.
[[nodiscard]] bool usbAdapterFile(const std::string& name);

using PortFilter = std::function<bool(const std::string&)>;

// Goes through the candidates in order; those that `exists` rejects are skipped
// without an open, so that absent device files cost nothing at start. Those that
// `presenceIsEnough` accepts are listed without an open; the others when the
// probe opens them.
[[nodiscard]] std::vector<std::string> ListSerialPorts(PortProber& prober,
                                                       const std::vector<std::string>& candidates,
                                                       const PortFilter& exists,
                                                       const PortFilter& presenceIsEnough = {});

} // namespace orvel
