#pragma once

#include "form/form.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What must hold whatever the user and the module do, judged from outside the
// core: the window's controls, the bytes on the wire and the boxes shown.
namespace orvel::test::seq {

inline constexpr std::string_view kScannerOff = "Desativar &Scanner"; // caption while it runs
inline constexpr std::string_view kPercentLabel = " Valores em  \" % \" ";
inline constexpr std::string_view kTpsFirstBox = " Deixar  a  borboleta  Fechada";
inline constexpr std::string_view kTpsOpenBox = " Abrir  totalmente  a  Borboleta";
inline constexpr std::string_view kTpsCancelled = " A configuração foi cancelada ! ! ! ";
inline constexpr std::string_view kTpsDone = "  CONFIGURAÇÃO  CONCLUIDA";

// The TPS procedure as its boxes tell it.
enum class TpsPhase : std::uint8_t { None, FirstBox, Closed, OpenBox, Open };

// The user can click it: it and every control it sits in are shown and enabled,
// and its page's tab is there.
[[nodiscard]] bool clickable(const ControlStore& controls, std::string_view name);

// The packet number of a configuration packet, or 0.
[[nodiscard]] int packetOf(std::span<const std::uint8_t> bytes);

// Facts gathered from outside the core while a sequence runs.
struct Seen {
    const Form* form = nullptr;
    std::int64_t now = 0;
    bool linkOpen = false;

    bool uploadOnWire = false; // packet 1 went out, the end command not yet
    int nextPacket = 1;
    std::int64_t lastPacketAt = 0;
    std::array<std::uint8_t, 8> packet31{};
    std::optional<std::array<std::uint8_t, 8>> completedPacket31; // of the last whole upload
    // A send button was clicked and its packet 1 is not out yet.
    bool uploadRequested = false;
    std::int64_t requestedAt = 0;

    TpsPhase tps = TpsPhase::None;
    bool tpsUploadDone = false;   // the running procedure's own upload completed
    bool tpsUploadBefore = false; // the last procedure's, until a box ends it
    std::string lastBox;

    [[nodiscard]] bool uploadRunning() const { return uploadOnWire || uploadRequested; }
    [[nodiscard]] bool alterationMode() const;
    [[nodiscard]] bool percent() const;

    void wrote(std::span<const std::uint8_t> bytes);
    void clicked(std::string_view button, bool accepted);
    void boxShown(const std::string& text);
    void boxClosed(const std::string& text);
    void linkClosed();
    void tick(std::int64_t now);
};

struct Violation {
    std::string invariant; // "a" .. "h", or the name given with addInvariant
    std::string key;       // the kind of fault, the same in every sequence that shows it
    std::string cause;     // the box last shown in the user's action, if one was
    std::string detail;
};

[[nodiscard]] inline std::string idOf(const Violation& v) {
    return v.invariant + ": " + v.key;
}
// Apart by cause: one id may come from several faults.
[[nodiscard]] inline std::string variantOf(const Violation& v) {
    return v.cause.empty() ? idOf(v) : idOf(v) + " [after \"" + v.cause + "\"]";
}

// The first violation of each kind and cause in one run.
class Findings {
public:
    void report(const std::string& invariant, std::string key, std::string detail);
    [[nodiscard]] const std::vector<Violation>& all() const { return found_; }
    // By id or variant; "*" for any.
    [[nodiscard]] bool has(std::string_view id) const;
    // The user's action starts, or shows a box.
    void actionStarts() { cause_.clear(); }
    void boxShown(const std::string& text) { cause_ = text.substr(0, 36); }

private:
    std::vector<Violation> found_;
    std::string cause_;
};

// One invariant. Told of each happening with the facts as they were before it;
// `after` runs after every event and every timer tick, `atEnd` once the window
// has been left alone for a while.
class Invariant {
public:
    explicit Invariant(std::string name) : name_(std::move(name)) {}
    virtual ~Invariant() = default;
    [[nodiscard]] const std::string& name() const { return name_; }

    virtual void reset() {}
    virtual void wrote(const Seen&, std::span<const std::uint8_t>, Findings&) {}
    virtual void boxShown(const Seen&, const std::string&, Findings&) {}
    virtual void saveDialog(const Seen&, Findings&) {}
    virtual void after(const Seen&, Findings&) {}
    virtual void atEnd(const Seen&, Findings&) {}

protected:
    void report(Findings& findings, std::string key, std::string detail = {}) const {
        findings.report(name_, std::move(key), std::move(detail));
    }

private:
    std::string name_;
};

// What is wrong with the window now, or nothing.
using FormCheck = std::function<std::optional<std::string>(const Form&)>;
[[nodiscard]] std::unique_ptr<Invariant> formInvariant(std::string name, FormCheck check);

// (a) .. (h).
[[nodiscard]] std::vector<std::unique_ptr<Invariant>> builtInInvariants();

// A number for the window's observable state, to count the states reached.
[[nodiscard]] std::uint32_t observableState(const Seen& seen);

} // namespace orvel::test::seq
