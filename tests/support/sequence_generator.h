#pragma once

#include "form/form.h"
#include "support/sequence_events.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace orvel::test::seq {

// Where the events of a run come from.
class Source {
public:
    virtual ~Source() = default;
    // At the top level nullopt ends the sequence; inside a box, nullopt or a
    // CloseBox answers the box.
    virtual std::optional<Event> next(const Form& form, bool inBox) = 0;
    virtual void boxOpened(int depth) { (void)depth; }
    // A file dialog's answer: a File event, or nullopt to cancel.
    virtual std::optional<Event> fileAnswer() = 0;
};

// The events of a recorded sequence, in order.
class ListSource : public Source {
public:
    explicit ListSource(const std::vector<Event>& events) : events_(events) {}
    std::optional<Event> next(const Form& form, bool inBox) override;
    std::optional<Event> fileAnswer() override;

private:
    const std::vector<Event>& events_;
    std::size_t at_ = 0;
};

// Random events, chosen while the sequence runs (mostly among the buttons the
// user can click right then) and recorded as they are chosen.
class RandomSource : public Source {
public:
    explicit RandomSource(std::uint64_t seed);
    std::optional<Event> next(const Form& form, bool inBox) override;
    void boxOpened(int depth) override;
    std::optional<Event> fileAnswer() override;
    [[nodiscard]] const Sequence& sequence() const { return sequence_; }

private:
    Event draw(const Form& form);
    int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    const Event& record(Event e) { return sequence_.events.emplace_back(e); }

    std::mt19937_64 rng_;
    Sequence sequence_;
    std::vector<Event> prefix_;
    int topLeft_ = 0;
    std::vector<int> boxLeft_;
};

// Boxes nest this deep at most while a sequence is drawn.
inline constexpr int kMaxBoxDepth = 2;

} // namespace orvel::test::seq
