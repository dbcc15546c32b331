#pragma once

#include "support/sequence_events.h"
#include "support/sequence_invariants.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvel::recording {
class Recording;
}

// Random event sequences over a fresh headless core each, the invariants checked
// after every event. Used by the unit test and by bench/random_sequences.
namespace orvel::test::seq {

struct RunOptions {
    bool trace = false;
    // Stop as soon as a violation with this id ("a: upload stopped part-way") or
    // variant is found; "*" for any.
    std::string stopAt;
    // Told the observable state after every event and tick.
    std::function<void(std::uint32_t)> onState;
};

struct RunResult {
    std::vector<Violation> violations; // the first of each kind
    std::vector<std::string> trace;
    std::vector<std::string> boxes; // every box text, in order
    int events = 0;                 // applied, those inside boxes included
};

struct RunSetup;

class SequenceTester {
public:
    SequenceTester(); // with the invariants (a) .. (g)
    ~SequenceTester();
    SequenceTester(const SequenceTester&) = delete;
    SequenceTester& operator=(const SequenceTester&) = delete;

    void addInvariant(std::unique_ptr<Invariant> invariant);
    // Checked after every event and at the end of every sequence.
    void addInvariant(std::string name, FormCheck check);

    // Draws a sequence from the seed while running it.
    RunResult generate(std::uint64_t seed, Sequence& drawn, const RunOptions& options = {});
    RunResult run(const Sequence& sequence, const RunOptions& options = {});
    // A shorter sequence that still shows the violation with this id or variant.
    [[nodiscard]] Sequence shrink(const Sequence& sequence, const std::string& id);
    // The run of a sequence as a readable list of events, boxes and answers.
    // With an id, it ends where that violation shows.
    [[nodiscard]] std::string print(const Sequence& sequence, const std::string& stopAt = {});

private:
    std::unique_ptr<RunSetup> setup_;
};

} // namespace orvel::test::seq
