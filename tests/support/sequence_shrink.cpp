#include "support/sequences.h"

#include <algorithm>

// Shrinking and printing: what the tester does with a sequence that failed.
namespace orvel::test::seq {

Sequence SequenceTester::shrink(const Sequence& sequence, const std::string& id) {
    RunOptions options;
    options.stopAt = id;
    auto fails = [&](const Sequence& s) {
        const auto r = run(s, options);
        return std::any_of(r.violations.begin(), r.violations.end(),
                           [&](const Violation& v) { return idOf(v) == id || variantOf(v) == id; });
    };
    Sequence best = sequence;
    if (!fails(best)) {
        return best;
    }
    auto without = [](const Sequence& s, std::size_t from, std::size_t count) {
        Sequence c = s;
        const auto first = c.events.begin() + static_cast<long>(from);
        c.events.erase(first, first + static_cast<long>(std::min(count, c.events.size() - from)));
        return c;
    };
    // Chunks first, halving; then single events until none can go.
    for (std::size_t chunk = std::max<std::size_t>(best.events.size() / 2, 1);; chunk /= 2) {
        for (std::size_t i = 0; i < best.events.size();) {
            if (auto c = without(best, i, chunk); fails(c)) {
                best = std::move(c);
            } else {
                i += chunk;
            }
        }
        if (chunk == 1) {
            break;
        }
    }
    // Shorter waits read more easily.
    for (auto& e : best.events) {
        while (e.kind == Event::Kind::Tick && e.value > 1) {
            Sequence c = best;
            auto& shorter = c.events[static_cast<std::size_t>(&e - best.events.data())];
            shorter.value /= 2;
            if (!fails(c)) {
                break;
            }
            e.value = shorter.value;
        }
    }
    return best;
}

std::string SequenceTester::print(const Sequence& sequence, const std::string& stopAt) {
    RunOptions options;
    options.trace = true;
    options.stopAt = stopAt;
    const auto r = run(sequence, options);
    std::string out;
    for (const auto& line : r.trace) {
        out += line + "\n";
    }
    for (const auto& v : r.violations) {
        out += "violated (" + variantOf(v) + ")" + (v.detail.empty() ? "" : ": " + v.detail) + "\n";
    }
    return out;
}

} // namespace orvel::test::seq
