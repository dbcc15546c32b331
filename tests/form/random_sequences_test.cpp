#include "support/sequences.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

namespace orvel::test::seq {
namespace {

// ORVEL_SEQUENCE_SEED picks another seed; a failure prints the one it used.
std::uint64_t seed() {
    if (const char* s = std::getenv("ORVEL_SEQUENCE_SEED")) {
        return std::strtoull(s, nullptr, 10);
    }
    return 20240611;
}

TEST(RandomSequences, NoEventSequenceBreaksAnInvariant) {
    // About 500 sequences a second in an optimised build; a sanitizer's build is slower.
#if defined(__SANITIZE_ADDRESS__)
    constexpr int kSequences = 2000;
#else
    constexpr int kSequences = 10000;
#endif
    const std::uint64_t first = seed();
    std::cout << "seed " << first << ", " << kSequences << " sequences\n";
    SequenceTester tester;
    RunOptions options;
    options.stopAt = "*";
    for (int i = 0; i < kSequences; ++i) {
        Sequence drawn;
        const auto result = tester.generate(first + static_cast<std::uint64_t>(i), drawn, options);
        if (result.violations.empty()) {
            continue;
        }
        const std::string id = variantOf(result.violations.front());
        const Sequence shrunk = tester.shrink(drawn, id);
        FAIL() << "sequence " << i << " (seed " << drawn.seed << ") breaks " << id << ": "
               << result.violations.front().detail << "\nshrunk from " << drawn.events.size()
               << " to " << shrunk.events.size() << " events:\n"
               << tester.print(shrunk, id);
    }
}

// A recorded sequence runs as it ran when drawn: shrinking depends on it.
TEST(RandomSequences, ARecordedSequenceRunsAsItWasDrawn) {
    SequenceTester tester;
    RunOptions options;
    options.trace = true;
    for (std::uint64_t s = 1; s <= 50; ++s) {
        Sequence drawn;
        const auto drawnRun = tester.generate(s, drawn, options);
        const auto again = tester.run(drawn, options);
        ASSERT_EQ(drawnRun.trace, again.trace) << "seed " << s;
        ASSERT_EQ(drawnRun.boxes, again.boxes) << "seed " << s;
    }
}

} // namespace
} // namespace orvel::test::seq
