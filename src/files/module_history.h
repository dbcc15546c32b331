#pragma once

#include <QDateTime>

#include <functional>
#include <optional>
#include <string>

namespace orvel {

// Every configuration read from the module and every one sent to it, kept as a
// map file of its own: a send that goes wrong, or a map edited over, never loses
// what the car had. Files are named by the time, `AAAA-MM-DD_HH-MM-SS-lido.txt`
// or `…-enviado.txt`, and written whole or not at all.
class ModuleHistory {
public:
    enum class Kind { Read, Sent };
    using Tell = std::function<void(const std::string&)>;
    using Now = std::function<QDateTime()>;

    explicit ModuleHistory(Tell tell, Now now = {});
    // Empty: nothing is kept.
    void setFolder(std::string folder) { folder_ = std::move(folder); }
    [[nodiscard]] const std::string& folder() const { return folder_; }
    // Writes a map file's bytes. A folder that cannot be written or a full disk
    // is told once per run; nothing else changes. The file's path, or nothing.
    std::optional<std::string> keep(Kind kind, const std::string& mapFileBytes);

private:
    Tell tell_;
    Now now_;
    std::string folder_;
    bool told_ = false;
};

// Kept files are named "<time>-lido.txt" or "<time>-enviado.txt", with "-2" and
// on for a second file in the same second.
inline constexpr auto kKeptTimeFormat = "yyyy-MM-dd_HH-mm-ss";
[[nodiscard]] inline const char* keptKindWord(ModuleHistory::Kind kind) {
    return kind == ModuleHistory::Kind::Read ? "lido" : "enviado";
}

// The folder beside the recordings' one ("…/orvel/modulo").
[[nodiscard]] std::string moduleHistoryFolder(const std::string& recordingsFolder);

} // namespace orvel
