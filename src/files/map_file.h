#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

class Form;
class ControlStore;

namespace mapfile {

inline constexpr std::size_t kMaxFileBytes = 1024 * 1024;

// The 199 values in file order, as UTF-8 texts (the window's encoding).
using Values = std::vector<std::string>;

[[nodiscard]] Values collect(const ControlStore& store, int tpsClosed, int tpsOpen);
// One line: values joined by ';', Windows-1252, CR LF. Throws FileError when a
// text cannot be written in that code page.
[[nodiscard]] std::string encodeLine(const Values& values);
// The first line of a file's bytes, split into at most 256 slots, decoded from Windows-1252.
[[nodiscard]] std::vector<std::string> decodeSlots(std::string_view fileBytes);

} // namespace mapfile

// "Salvar" and "Carregar".
class MapFileHandler {
public:
    explicit MapFileHandler(Form& form) : form_(form) {}
    void btnSalvarClick();
    void btnCarregarClick();

private:
    Form& form_;
};

} // namespace orvel
