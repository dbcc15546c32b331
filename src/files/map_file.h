#pragma once

#include "core/platform.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

struct FormState;
class Dialogs;
class ControlStore;
struct FileDialogOptions;

namespace mapfile {

inline constexpr std::size_t kMaxFileBytes = 1024 * 1024;
// The reading table: slots beyond it are ignored.
inline constexpr std::size_t kMaxSlots = 256;

// The 199 values in file order, as UTF-8 texts (the window's encoding).
using Values = std::vector<std::string>;

[[nodiscard]] Values collect(const ControlStore& store, int tpsClosed, int tpsOpen);

// Converts between the window's UTF-8 and a map file's Windows-1252. Opening the
// code page converters costs far more than converting a line, so whoever converts
// often keeps one. Throws FileError when the system has no such conversion.
class Windows1252;

class Codec {
public:
    Codec();
    ~Codec();
    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;

    // See the free functions of the same names.
    [[nodiscard]] std::string unwritableCharacter(std::string_view text);
    [[nodiscard]] std::string encodeLine(const Values& values);
    [[nodiscard]] std::vector<std::string> decodeSlots(std::string_view fileBytes);

private:
    std::unique_ptr<Windows1252> codePage_;
};

// What in a text cannot go into a map file: ";" or a line break would split or end
// the line on loading, and Windows-1252 cannot hold every character. Empty when the
// text can be written; otherwise the offending character (or "quebra de linha").
[[nodiscard]] std::string unwritableCharacter(std::string_view text);
// One line: values joined by ';', Windows-1252, CR LF. Throws FileError when a
// text cannot be written that way.
[[nodiscard]] std::string encodeLine(const Values& values);
// The first line of a file's bytes, split into at most 256 slots, decoded from Windows-1252.
[[nodiscard]] std::vector<std::string> decodeSlots(std::string_view fileBytes);

// Where the dialogs open: the program's folder when it exists.
[[nodiscard]] std::string initialFolder();

} // namespace mapfile

// "Salvar" and "Carregar".
class MapFileHandler {
public:
    MapFileHandler(ControlStore& controls, FormState& state, Dialogs& dialogs)
        : controls_(controls), state_(state), dialogs_(dialogs) {}
    void btnSalvarClick();
    void btnCarregarClick();
    // Fills the window from a map file's bytes: all 199 values, or nothing at all
    // when the TPS numbers are not whole numbers (ConversionError).
    void load(std::string_view fileBytes);
    // The same from a file named without the dialog (a kept copy), refused as
    // "Carregar" refuses it.
    void loadFile(const std::string& name);
    // The handler's code page converters, kept for the program's run.
    [[nodiscard]] mapfile::Codec& codec() { return codec_; }

private:
    [[nodiscard]] FileDialogOptions dialogOptions(const char* name,
                                                  const std::string& lastName) const;

    ControlStore& controls_;
    FormState& state_; // the TPS end points
    Dialogs& dialogs_;
    mapfile::Codec codec_;
    // Each dialog offers the file last chosen with it during the run.
    std::string lastSaveName_;
    std::string lastOpenName_;
};

} // namespace orvel
