#pragma once

#include <QUndoStack>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

class ControlStore;

// Undo and redo of the whole configuration: the 197 field texts and the two TPS
// numbers. The history keeps the configuration as it stood after the last step;
// commit() turns what changed since into one step holding only those values.
// Undo and redo change the window only: nothing is sent or saved.
class UndoHistory {
public:
    static constexpr int kLimit = 500;

    // whyNot tells, when undo or redo cannot run now, why (a message for the user).
    // rebase() must run once the store holds the configuration.
    UndoHistory(ControlStore& store, int& tpsClosed, int& tpsOpen,
                std::function<std::optional<std::string>()> whyNot);
    ~UndoHistory();
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // A field the user is typing into: its text becomes part of a step only once
    // accepted, when the user leaves it and its rule lets it stand.
    void typing(std::string_view control);
    void accept(std::string_view control);
    // Names the next step, unless a name for it was already given.
    void name(std::string text);
    // Pushes the changes since the last step (not the fields still being typed) as one
    // step. Nothing when nothing changed. Holding the injection map leaves its cells
    // out (they are in percent, which a step must not restore in mS): they join the
    // next commit that holds nothing, under the name given when they were first held.
    void commit(bool holdInjectionMap = false);
    // Takes the current configuration as the last step's, without a step.
    void rebase();

    // Undo first puts back the fields still being typed, if any; a step goes only
    // when none is. Each returns the reason when refused.
    [[nodiscard]] std::optional<std::string> undo();
    [[nodiscard]] std::optional<std::string> redo();

    [[nodiscard]] bool canUndo() const;
    [[nodiscard]] bool canRedo() const;
    [[nodiscard]] QUndoStack& stack() { return stack_; }

private:
    class Step;
    struct Change {
        std::size_t index; // position in the map file
        std::string before;
        std::string after;
    };

    [[nodiscard]] std::string current(std::size_t index) const;
    [[nodiscard]] bool differs(std::size_t index) const;
    [[nodiscard]] int& tps(std::size_t index) const;
    void apply(const std::vector<Change>& changes, bool forward);
    void write(std::size_t index, const std::string& value);
    [[nodiscard]] bool revertTyping();

    ControlStore& store_;
    int& tpsClosed_;
    int& tpsOpen_;
    std::function<std::optional<std::string>()> whyNot_;
    std::vector<const std::string*> fields_; // the store's texts, in map-file order
    std::vector<std::string> last_;          // the configuration after the last step
    std::vector<bool> injection_;            // by position: a cell of the injection map
    std::array<int, 2> lastTps_{};
    std::uint64_t seenRevision_ = 0; // the store's watched revision at the last comparison
    bool acceptedSinceScan_ = false;
    std::set<std::string, std::less<>> typing_;
    std::string name_;
    std::string heldName_; // the name of the held changes' step; empty when none are held
    QUndoStack stack_;
};

} // namespace orvel
