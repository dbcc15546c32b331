#pragma once

#include "support/sequences.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace orvel::test::seq {

class Source;

// What every run of one tester shares.
struct RunSetup {
    std::vector<std::unique_ptr<Invariant>> invariants = builtInInvariants();
    std::shared_ptr<const recording::Recording> recording; // what a replay plays
    std::filesystem::path folder;                          // where the file dialogs point
};

// One sequence over a fresh core, its events taken from the source.
[[nodiscard]] RunResult runSequence(RunSetup& setup, Source& source, const ModulePlan& plan,
                                    const RunOptions& options);

} // namespace orvel::test::seq
