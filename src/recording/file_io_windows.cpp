#ifdef _WIN32
#include "recording/file_io.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace orvel::recording::fileio {

namespace {

// The C library's narrow calls take the ANSI code page, not UTF-8.
std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
    return out;
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

int makeFolder(const std::string& folder) {
    const std::wstring path = wide(folder);
    // "C:" and "\\server\share" cannot be made: whatever exists along the way is taken.
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != L'/' && path[at] != L'\\') {
            continue;
        }
        const std::wstring prefix = path.substr(0, at);
        if (::_wmkdir(prefix.c_str()) != 0 && !isFolder(prefix)) {
            // A file where a folder should be says "exists", its children "not found".
            const int error = errno;
            return ::GetFileAttributesW(prefix.c_str()) != INVALID_FILE_ATTRIBUTES ? ENOTDIR
                                                                                   : error;
        }
    }
    return isFolder(path) ? 0 : ENOTDIR;
}

int createNew(const std::string& path, int& fd) {
    fd = ::_wopen(wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
    return fd < 0 ? errno : 0;
}

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), INT_MAX));
        const int n = ::_write(fd, bytes.data(), chunk);
        if (n < 0) {
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

void syncData(int fd) {
    ::_commit(fd);
}

void closeFile(int fd) {
    ::_close(fd);
}

void removeFile(const std::string& path) {
    ::_wunlink(wide(path).c_str());
}

bool exists(const std::string& path) {
    return ::GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace orvel::recording::fileio
#endif
