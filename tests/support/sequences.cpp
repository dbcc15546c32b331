#include "support/sequences.h"

#include "support/recordings.h"
#include "support/sequence_generator.h"
#include "support/sequence_run.h"

#include <system_error>
#include <unistd.h>

namespace orvel::test::seq {

SequenceTester::SequenceTester() : setup_(std::make_unique<RunSetup>()) {
    setup_->recording = elevenSets(100); // enough for a replay to show something
    // A save syncs its file to the disk, which in memory costs nothing.
    std::error_code ec;
    const auto base = std::filesystem::is_directory("/dev/shm", ec)
                          ? std::filesystem::path("/dev/shm")
                          : std::filesystem::temp_directory_path();
    setup_->folder = base / ("orvel-sequences-" + std::to_string(::getpid()));
    std::filesystem::create_directories(setup_->folder);
}

SequenceTester::~SequenceTester() {
    std::error_code ignored;
    std::filesystem::remove_all(setup_->folder, ignored);
}

void SequenceTester::addInvariant(std::unique_ptr<Invariant> invariant) {
    setup_->invariants.push_back(std::move(invariant));
}

void SequenceTester::addInvariant(std::string name, FormCheck check) {
    addInvariant(formInvariant(std::move(name), std::move(check)));
}

RunResult SequenceTester::generate(std::uint64_t seed, Sequence& drawn, const RunOptions& options) {
    RandomSource source(seed);
    RunResult result = runSequence(*setup_, source, source.sequence().module, options);
    drawn = source.sequence();
    return result;
}

RunResult SequenceTester::run(const Sequence& sequence, const RunOptions& options) {
    ListSource source(sequence.events);
    return runSequence(*setup_, source, sequence.module, options);
}

} // namespace orvel::test::seq
