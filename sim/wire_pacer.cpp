#include "wire_pacer.h"

#include <algorithm>
#include <array>

namespace orvel::sim {

namespace {
// Three frames' worth of odd sizes, so chunk edges wander across frame edges.
constexpr std::array<std::size_t, 6> kChunkSizes{5, 7, 3, 11, 1, 9};
} // namespace

void WirePacer::push(const Bytes& piece) {
    if (!piece.empty()) {
        pending_.push_back(piece);
    }
}

void WirePacer::clear() {
    pending_.clear();
}

std::size_t WirePacer::pendingBytes() const {
    std::size_t total = 0;
    for (const auto& piece : pending_) {
        total += piece.size();
    }
    return total;
}

Bytes WirePacer::take(Time now) {
    if (pending_.empty() || (paced_ && now < lineFreeAt_)) {
        return {};
    }
    Bytes out;
    if (!chunks_) {
        out = std::move(pending_.front());
        pending_.pop_front();
    } else {
        const std::size_t want = kChunkSizes[chunkIndex_++ % kChunkSizes.size()];
        while (out.size() < want && !pending_.empty()) {
            auto& front = pending_.front();
            const std::size_t n = std::min(want - out.size(), front.size());
            out.insert(out.end(), front.begin(), front.begin() + static_cast<long>(n));
            front.erase(front.begin(), front.begin() + static_cast<long>(n));
            if (front.empty()) {
                pending_.pop_front();
            }
        }
    }
    lineFreeAt_ = std::max(now, lineFreeAt_) + wireTime(out.size());
    return out;
}

std::optional<WirePacer::Time> WirePacer::nextDue() const {
    if (pending_.empty()) {
        return std::nullopt;
    }
    return paced_ ? lineFreeAt_ : Time{0};
}

} // namespace orvel::sim
