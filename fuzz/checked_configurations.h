#pragma once

#include "fuzz_support.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace orvel::fuzz {

// A dry run's outcome follows from the fields' texts and the values an upload
// prepares, so a configuration already dry-run in this process is not run again:
// most inputs end on one of a few configurations.
class CheckedConfigurations {
public:
    // Remembered by a 64-bit hash in a table allocated once: memory a run keeps
    // would make libFuzzer suspect a leak and run the input again.
    CheckedConfigurations() : seen_(kSlots, 0) {}
    [[nodiscard]] bool isNew(const Core& core) {
        const std::uint64_t hash = std::hash<std::string>{}(keyOf(core)) | 1U;
        auto& slot = seen_[hash % kSlots];
        return std::exchange(slot, hash) != hash;
    }

private:
    static constexpr std::size_t kSlots = 1 << 16;

    static std::string keyOf(const Core& core) {
        std::string key;
        auto put = [&key](const auto& value) {
            key.append(reinterpret_cast<const char*>(&value), sizeof value);
        };
        for (const std::string* text : core.fieldTexts()) {
            put(text->size());
            key += *text;
        }
        const FormState& s = core.form.state;
        put(s.tiCorrectionTable);
        put(s.igCorrectionTable);
        put(s.mlCorrectionTable);
        put(s.atmCorrectionTable);
        for (const int value :
             {s.cylinderCount, s.probeCorrectionCode, s.mapCombinationCode, s.quickAccelSourceCode,
              s.probeModeCode, s.probeTypeCode, s.distributorCode, s.fanCorrectionTenths,
              s.tpsClosedValue, s.tpsOpenValue, static_cast<int>(core.form.activity.percent())}) {
            put(value);
        }
        return key;
    }

    std::vector<std::uint64_t> seen_;
};

} // namespace orvel::fuzz
