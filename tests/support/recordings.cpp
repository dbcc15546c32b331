#include "support/recordings.h"

#include "recording/columns.h"

#include <array>

namespace orvel::test {

std::shared_ptr<const recording::Recording> elevenSets(std::uint8_t tpsLow) {
    auto rec = std::make_shared<recording::Recording>();
    for (int n = 0; n <= 10; ++n) {
        std::array<double, recording::kValueColumns.size()> values{};
        values[recording::col::rpm] = 1000;
        values[recording::col::temperature] = 40 + n;
        const recording::FrameSet frames{{
            {29, {static_cast<std::uint8_t>(40 + n), 0, 0, 0, tpsLow, 0, 0, 20}},
            {30, {10, 14, 0x18, 0x01, 0, 0xB0, 0x04, 1}},
            {31, {0, 0, 0, 0, 0, 0, 0, 0}},
        }};
        rec->append(n * 0.2, values, frames);
    }
    return rec;
}

} // namespace orvel::test
