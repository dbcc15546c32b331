#pragma once

#include <string>
#include <string_view>

// The recorder's few file operations, each answering 0 or an errno value so that
// the reason it tells the user is the same on every system. Paths are UTF-8
// (a Windows user name or folder may hold accents).
namespace orvel::recording::fileio {

// Creates the folder and every missing one above it, private to the user.
[[nodiscard]] int makeFolder(const std::string& folder);
// Creates a file that must not exist yet (EEXIST when it does); `fd` is its handle.
[[nodiscard]] int createNew(const std::string& path, int& fd);
[[nodiscard]] int writeAll(int fd, std::string_view bytes);
// Hands written data to the disk itself.
void syncData(int fd);
void closeFile(int fd);
void removeFile(const std::string& path);
[[nodiscard]] bool exists(const std::string& path);

} // namespace orvel::recording::fileio
