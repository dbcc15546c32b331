#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::mapfile {

// How many bytes the UTF-8 character that starts with `lead` takes.
[[nodiscard]] inline std::size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    return (lead & 0xF0) == 0xE0 ? 3 : 4;
}

// Map files are Windows-1252. Windows converts with its own code-page tables,
// other systems with iconv; both pass the five bytes the code page leaves
// undefined through as the C1 controls of the same number, as Windows does.
class Windows1252 {
public:
    Windows1252();
    ~Windows1252();
    Windows1252(const Windows1252&) = delete;
    Windows1252& operator=(const Windows1252&) = delete;

    // Appends `utf8` converted; the position of the first character the code
    // page cannot hold (the rest is not converted), if any.
    std::optional<std::size_t> fromUtf8(std::string_view utf8, std::string& out);
    [[nodiscard]] std::string toUtf8(std::string_view bytes);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace orvel::mapfile
