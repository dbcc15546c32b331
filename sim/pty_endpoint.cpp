#include "pty_endpoint.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace orvel::sim {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

constexpr int kMaxModules = 1000;

} // namespace

std::string portFolder(const char* xdgRuntimeDir, uid_t uid) {
    if (xdgRuntimeDir != nullptr && *xdgRuntimeDir != '\0') {
        return std::string(xdgRuntimeDir) + "/orvel-ports";
    }
    return "/tmp/orvel-ports-" + std::to_string(uid);
}

void ensurePrivateFolder(const std::string& folder, uid_t uid) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        fail("cannot create " + folder);
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        fail("cannot inspect " + folder);
    }
    if (!S_ISDIR(info.st_mode)) {
        throw std::runtime_error(folder + " exists and is not a folder; refusing to use it");
    }
    if (info.st_uid != uid) {
        throw std::runtime_error(folder + " belongs to another user; refusing to use it");
    }
    if ((info.st_mode & 07777) != 0700) {
        // A fresh folder gets 0700 unless the umask took more; anything looser is refused.
        throw std::runtime_error(folder + " has mode " + std::to_string((info.st_mode >> 6) & 7) +
                                 std::to_string((info.st_mode >> 3) & 7) +
                                 std::to_string(info.st_mode & 7) +
                                 " instead of 700; refusing to use it");
    }
}

std::string publishLink(const std::string& folder, const std::string& target) {
    for (int n = 0; n < kMaxModules; ++n) {
        const std::string link = folder + "/module" + std::to_string(n);
        if (::symlink(target.c_str(), link.c_str()) == 0) {
            return link;
        }
        if (errno != EEXIST) {
            fail("cannot create " + link);
        }
        struct stat info {};
        if (::stat(link.c_str(), &info) != 0 && errno == ENOENT) {
            // Dangling: its simulator is gone. Take the name over.
            if (::unlink(link.c_str()) == 0 && ::symlink(target.c_str(), link.c_str()) == 0) {
                return link;
            }
        }
    }
    throw std::runtime_error("no free module link name in " + folder);
}

PtyEndpoint::PtyEndpoint(const std::string& folder) {
    int slave = -1;
    termios raw{};
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B38400);
    ::cfsetospeed(&raw, B38400);
    if (::openpty(&master_, &slave, nullptr, &raw, nullptr) != 0) {
        fail("cannot create a pseudo-terminal");
    }
    const char* name = ::ttyname(slave);
    terminal_ = name != nullptr ? name : "";
    // Only the program holds the terminal; its closing is how we learn it left.
    ::close(slave);
    if (terminal_.empty()) {
        ::close(master_);
        throw std::runtime_error("the pseudo-terminal has no name");
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    try {
        link_ = publishLink(folder, terminal_);
    } catch (...) {
        ::close(master_);
        throw;
    }
}

PtyEndpoint::~PtyEndpoint() {
    if (!link_.empty()) {
        ::unlink(link_.c_str());
    }
    closeMaster();
}

void PtyEndpoint::closeMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

} // namespace orvel::sim
