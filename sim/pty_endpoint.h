#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

// The module's end of the line: a raw pseudo-terminal whose other end is
// published as module<N> in a private folder, where the program looks first.
namespace orvel::sim {

// $XDG_RUNTIME_DIR/orvel-ports, or /tmp/orvel-ports-<uid> without it.
[[nodiscard]] std::string portFolder(const char* xdgRuntimeDir, uid_t uid);

// Creates the folder with mode 0700, or accepts it if it exists as a directory of
// this user with exactly that mode. Throws std::runtime_error otherwise: anyone
// else who could write there could point the program at another device.
void ensurePrivateFolder(const std::string& folder, uid_t uid);

// Links folder/module<N> to target for the lowest N not in use; a dangling link
// left by a simulator that died is reused. Returns the link's path.
[[nodiscard]] std::string publishLink(const std::string& folder, const std::string& target);

class PtyEndpoint {
public:
    // Throws std::runtime_error.
    explicit PtyEndpoint(const std::string& folder);
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    [[nodiscard]] int master() const { return master_; }
    [[nodiscard]] const std::string& linkPath() const { return link_; }
    [[nodiscard]] const std::string& terminalPath() const { return terminal_; }
    // Closing the master hangs up whoever has the terminal open.
    void closeMaster();

private:
    int master_ = -1;
    std::string terminal_;
    std::string link_;
};

} // namespace orvel::sim
