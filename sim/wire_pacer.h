#pragma once

#include "wire.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>

// Hands out the module's bytes no faster than the line carries them at 38400
// baud, as whole pieces (one write per frame) or, to exercise the program's
// receiver, in odd-sized chunks that cut across frames.
namespace orvel::sim {

class WirePacer {
public:
    using Time = std::chrono::microseconds;

    void push(const Bytes& piece);
    void clear();
    [[nodiscard]] bool empty() const { return pending_.empty(); }
    [[nodiscard]] std::size_t pendingBytes() const;

    // The next bytes to write, or nothing while the line is still busy.
    [[nodiscard]] Bytes take(Time now);
    // When take() will next hand something out, if anything is pending.
    [[nodiscard]] std::optional<Time> nextDue() const;

    void setChunks(bool on) { chunks_ = on; }
    [[nodiscard]] bool chunks() const { return chunks_; }
    // Without pacing every piece goes out at once (for benchmarks of the program alone).
    void setPaced(bool on) { paced_ = on; }

private:
    std::deque<Bytes> pending_;
    Time lineFreeAt_{0};
    bool chunks_ = false;
    bool paced_ = true;
    std::size_t chunkIndex_ = 0;
};

} // namespace orvel::sim
