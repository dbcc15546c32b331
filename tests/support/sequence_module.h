#pragma once

#include "support/sequence_events.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvel::test::seq {

// Bytes the module sends at a given time.
struct Delivery {
    std::int64_t at = 0;
    std::vector<std::uint8_t> bytes;
};

// The module at the other end of the line, answering as its plan says.
class Module {
public:
    explicit Module(const ModulePlan& plan) : plan_(plan) {}

    // The core wrote bytes at `now`; the answers join `out`. Returns what the
    // module did, for the trace, or nothing worth telling.
    std::string heard(std::span<const std::uint8_t> bytes, std::int64_t now,
                      std::vector<Delivery>& out);

    bool silent = false;

private:
    const ModulePlan& plan_;
    std::size_t reads_ = 0;
    std::size_t polls_ = 0;
};

// Frames 1..26 as the module sends them for a read.
[[nodiscard]] std::vector<std::uint8_t> configurationBytes(const ModulePlan& plan);
// Frames 29, 30, 31 as a poll gets them.
[[nodiscard]] std::vector<std::uint8_t> scannerBytes(int tpsRaw);
[[nodiscard]] std::vector<std::uint8_t> strayBytes(const ModulePlan& plan, Stray what, int tpsRaw);

} // namespace orvel::test::seq
