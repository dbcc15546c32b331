#include "editing/undo_history.h"

#include "core/control_store.h"
#include "model/config.h"
#include "model/entry_rules.h"
#include "model/number_text.h"

#include <QUndoCommand>

#include <utility>

namespace orvel {

namespace {

constexpr std::string_view kCombination = "cbCombinacaoMapa";
constexpr std::string_view kUnnamed = "Alteração";

std::size_t fieldCount() {
    return config::fileOrder().size();
}

} // namespace

// One step: the values it changed, before and after. It is pushed once the change
// has happened, so its first redo has nothing to do.
class UndoHistory::Step : public QUndoCommand {
public:
    Step(UndoHistory& history, std::vector<Change> changes, const std::string& text)
        : QUndoCommand(QString::fromStdString(text)), history_(history),
          changes_(std::move(changes)) {}

    void redo() override {
        setObsolete(changes_.empty());
        if (pushed_) {
            pushed_ = false;
            return;
        }
        history_.apply(changes_, true);
    }
    void undo() override { history_.apply(changes_, false); }

private:
    UndoHistory& history_;
    std::vector<Change> changes_;
    bool pushed_ = true;
};

UndoHistory::UndoHistory(ControlStore& store, int& tpsClosed, int& tpsOpen,
                         std::function<std::optional<std::string>()> whyNot)
    : store_(store), tpsClosed_(tpsClosed), tpsOpen_(tpsOpen), whyNot_(std::move(whyNot)) {
    stack_.setUndoLimit(kLimit);
}

UndoHistory::~UndoHistory() = default;

int& UndoHistory::tps(std::size_t index) const {
    return index == fieldCount() ? tpsClosed_ : tpsOpen_;
}

bool UndoHistory::differs(std::size_t index) const {
    if (index < fieldCount()) {
        return *fields_[index] != last_[index];
    }
    return tps(index) != lastTps_[index - fieldCount()];
}

std::string UndoHistory::current(std::size_t index) const {
    return index < fieldCount() ? *fields_[index] : numtext::formatInteger(tps(index));
}

void UndoHistory::write(std::size_t index, const std::string& value) {
    if (index < fieldCount()) {
        store_.setText(config::fileOrder()[index].key, value);
    } else {
        tps(index) = numtext::parseInteger(value);
        lastTps_[index - fieldCount()] = tps(index);
    }
    last_[index] = value;
}

void UndoHistory::apply(const std::vector<Change>& changes, bool forward) {
    bool combination = false;
    for (const auto& c : changes) {
        write(c.index, forward ? c.after : c.before);
        combination = combination ||
                      (c.index < fieldCount() && config::fileOrder()[c.index].key == kCombination);
    }
    // The column captions follow the list, as when the user leaves it.
    if (combination) {
        setMapColumnCaptions(store_, store_.text(kCombination));
    }
}

void UndoHistory::rebase() {
    // The store keeps each control's text in one place for the control's life, so
    // the texts are compared where they live, without a look-up per event, and
    // only when the store says one of them changed.
    if (fields_.empty()) {
        for (const auto& p : config::fileOrder()) {
            fields_.push_back(&store_.text(p.key));
            store_.watchText(p.key);
        }
        const auto& order = config::fileOrder();
        injection_.assign(config::kValueCount, false);
        for (int n = 0; n < config::kMapCells; ++n) {
            const auto* p = &config::parameter(config::injectionKey(n));
            injection_[static_cast<std::size_t>(p - order.data())] = true;
        }
    }
    last_.resize(config::kValueCount);
    for (std::size_t i = 0; i < last_.size(); ++i) {
        last_[i] = current(i);
    }
    lastTps_ = {tpsClosed_, tpsOpen_};
    seenRevision_ = store_.watchedTextRevision();
    typing_.clear();
    heldName_.clear();
}

void UndoHistory::typing(std::string_view control) {
    if (config::findParameter(control) != nullptr) {
        typing_.emplace(control);
    }
}

void UndoHistory::accept(std::string_view control) {
    if (auto it = typing_.find(control); it != typing_.end()) {
        typing_.erase(it);
        acceptedSinceScan_ = true; // its text may have changed before the last scan
    }
}

void UndoHistory::name(std::string text) {
    if (name_.empty()) {
        name_ = std::move(text);
    }
}

void UndoHistory::commit(bool holdInjectionMap) {
    // Runs after every event: the common case, no field and no TPS number changed,
    // costs three comparisons.
    if (!acceptedSinceScan_ && store_.watchedTextRevision() == seenRevision_ &&
        lastTps_[0] == tpsClosed_ && lastTps_[1] == tpsOpen_) {
        name_.clear();
        return;
    }
    seenRevision_ = store_.watchedTextRevision();
    acceptedSinceScan_ = false;
    std::vector<Change> changes;
    bool held = false;
    const auto& order = config::fileOrder();
    for (std::size_t i = 0; i < last_.size(); ++i) {
        if (!differs(i) || (i < order.size() && typing_.count(order[i].key) > 0)) {
            continue;
        }
        if (holdInjectionMap && injection_[i]) {
            held = true;
            continue;
        }
        std::string now = current(i);
        changes.push_back({i, last_[i], now});
        last_[i] = std::move(now);
        if (i >= order.size()) {
            lastTps_[i - order.size()] = tps(i);
        }
    }
    std::string name = name_;
    if (held) {
        // The first name is the held step's: the operation that put the map in percent.
        if (heldName_.empty()) {
            heldName_ = name_.empty() ? std::string(kUnnamed) : name_;
            name.clear();
        }
    } else if (!heldName_.empty()) {
        name = std::exchange(heldName_, {});
    }
    if (!changes.empty()) {
        stack_.push(
            new Step(*this, std::move(changes), name.empty() ? std::string(kUnnamed) : name));
    }
    name_.clear();
}

bool UndoHistory::revertTyping() {
    bool reverted = false;
    const auto& order = config::fileOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (typing_.count(order[i].key) > 0 && differs(i)) {
            write(i, last_[i]);
            reverted = true;
        }
    }
    typing_.clear();
    return reverted;
}

std::optional<std::string> UndoHistory::undo() {
    if (auto why = whyNot_()) {
        return why;
    }
    if (!revertTyping()) {
        // A change made outside any step becomes one, so that undo takes it back.
        commit();
        stack_.undo();
    }
    return std::nullopt;
}

std::optional<std::string> UndoHistory::redo() {
    if (auto why = whyNot_()) {
        return why;
    }
    (void)revertTyping();
    stack_.redo();
    return std::nullopt;
}

bool UndoHistory::canUndo() const {
    return stack_.canUndo() || !typing_.empty();
}

bool UndoHistory::canRedo() const {
    return stack_.canRedo();
}

} // namespace orvel
