#include "link/port_list.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace orvel {

namespace fs = std::filesystem;

namespace {

// Directory entries sorted by file name; an absent folder gives none.
std::vector<std::string> entriesSorted(const fs::path& folder, const std::string& prefix = {}) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const auto& n : names) {
        paths.push_back((folder / n).string());
    }
    return paths;
}

bool deviceExists(const std::string& name) {
#ifdef _WIN32
    (void)name;
    return true; // COM names are not files; the probe decides
#else
    std::error_code ec;
    return fs::exists(name, ec); // follows links: a stale simulator link is skipped
#endif
}

} // namespace

bool usbAdapterFile(const std::string& name) {
    for (const char* family : {"/dev/ttyUSB", "/dev/ttyACM"}) {
        const std::string_view prefix(family);
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> windowsCandidates(int count) {
    std::vector<std::string> names;
    for (int n = 1; n <= count; ++n) {
        names.push_back((n < 10 ? "COM" : "\\\\.\\COM") + std::to_string(n));
    }
    return names;
}

std::vector<std::string> linuxCandidates(const fs::path& simFolder) {
    std::vector<std::string> names = entriesSorted(simFolder);
    for (const char* family : {"/dev/ttyUSB", "/dev/ttyACM", "/dev/ttyS"}) {
        for (int n = 0; n < 32; ++n) {
            names.push_back(family + std::to_string(n));
        }
    }
    return names;
}

std::vector<std::string> macCandidates(const fs::path& devFolder) {
    return entriesSorted(devFolder, "cu.");
}

std::string simulatedPortFolder() {
#ifdef _WIN32
    return {};
#else
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return (fs::path(runtime) / "orvel-ports").string();
    }
    return "/tmp/orvel-ports-" + std::to_string(::getuid());
#endif
}

std::vector<std::string> candidatePorts() {
#if defined(_WIN32)
    return windowsCandidates(256);
#elif defined(__APPLE__)
    return macCandidates("/dev");
#else
    return linuxCandidates(simulatedPortFolder());
#endif
}

std::vector<std::string> ListSerialPorts(PortProber& prober,
                                         const std::vector<std::string>& candidates,
                                         const PortFilter& exists,
                                         const PortFilter& presenceIsEnough) {
    std::vector<std::string> found;
    for (const auto& name : candidates) {
        if (exists(name) && ((presenceIsEnough && presenceIsEnough(name)) || prober.probe(name))) {
            found.push_back(name);
        }
    }
    return found;
}

std::vector<std::string> ListSerialPorts(PortProber& prober) {
#if defined(__linux__)
    return ListSerialPorts(prober, candidatePorts(), deviceExists, usbAdapterFile);
#else
    return ListSerialPorts(prober, candidatePorts(), deviceExists);
#endif
}

} // namespace orvel
