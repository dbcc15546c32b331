#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The vocabulary of the random event sequences: what the user and the module
// do, and how the module answers. A sequence holds every choice, so a run of it
// is the same run each time and a shorter copy can be tried as it is.
namespace orvel::test::seq {

inline constexpr std::array<std::string_view, 17> kButtons{
    "btnAtivar",       "btnDesativar",
    "btnLerDados",     "Button6",
    "btnEnvia",        "Button8",
    "Button3",         "btnSalvar",
    "Button1",         "btnCarregar",
    "Button2",         "btnAlterarMapas",
    "btnAlterar",      "btnVoltarTelaPrincipal",
    "btnPercentual",   "btnmS",
    "btnConfigurarTps"};

struct TypedField {
    std::string_view name;
    std::array<std::string_view, 4> texts; // the first two are valid
};
inline constexpr std::array<TypedField, 3> kTypedFields{{
    {"e10i", {"5,5", "12,0", "abc", "300"}},
    {"eAlterar", {"10", "-5", "x", "1e9"}},
    {"cbCilindros", {"4", "6", "0", "três"}},
}};

// Bytes the module sends unasked.
enum class Stray : std::uint8_t {
    ConfigFirst,   // a lone frame 1
    ConfigLast,    // a lone frame 26
    Sensors,       // frame 29
    ScannerFrames, // frames 29, 30, 31
    BrokenFrame,   // the first bytes of a frame only
};
inline constexpr int kStrays = 5;

struct Event {
    enum class Kind : std::uint8_t {
        Click,       // what: index in kButtons
        Type,        // what: index in kTypedFields, value: index of the text
        KeyPress,    // into cbCilindros
        DropDown,    // cbPorta
        Tick,        // value: milliseconds
        Stray,       // what: Stray, value: TPS reading of a frame 29
        Unplug,      // the adapter is pulled out
        Replug,      // and put back
        ReplayStart, // value 1: and play
        ReplayStop,
        File,        // the answer of a file dialog; value 0: cancelled
        CloseBox,    // the open box is answered
        CheckModule, // "Conferir módulo" on its page
    };
    Kind kind = Kind::Tick;
    std::uint8_t what = 0;
    int value = 0;
};

// How the module answers one read command.
struct ReadAnswer {
    enum class Mode : std::uint8_t { AtOnce, Late, Chunks, Never };
    Mode mode = Mode::AtOnce;
    int delayMs = 0;
    int chunks = 1;
    int chunkGapMs = 0;
    int lostByte = -1; // index of a byte the line loses, or -1
};

// How it answers one scanner poll.
struct PollAnswer {
    bool answered = true;
    int delayMs = 20;
    int tpsRaw = 100;
    int lostByte = -1;
};

// Answers are taken in turn, starting over when used up.
struct ModulePlan {
    std::vector<ReadAnswer> reads;
    std::vector<PollAnswer> polls;
    std::uint8_t closedValue = 120; // frame 25's TPS end points
    std::uint8_t openValue = 220;
};

struct Sequence {
    std::uint64_t seed = 0;
    ModulePlan module;
    std::vector<Event> events; // boxes take the events up to their CloseBox
};

[[nodiscard]] std::string describe(const Event& event);
[[nodiscard]] std::string describe(const ReadAnswer& answer);

} // namespace orvel::test::seq
