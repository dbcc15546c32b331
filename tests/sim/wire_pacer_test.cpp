#include "wire_pacer.h"

#include <gtest/gtest.h>

namespace orvel::sim {
namespace {

using namespace std::chrono_literals;

// Writes whenever the pacer allows; returns the writes and when the line is free.
std::pair<std::vector<Bytes>, std::chrono::microseconds> drain(WirePacer& pacer) {
    std::vector<Bytes> writes;
    std::chrono::microseconds t{0};
    while (auto due = pacer.nextDue()) {
        t = std::max(t, *due);
        writes.push_back(pacer.take(t));
        EXPECT_FALSE(writes.back().empty());
    }
    return {writes, t};
}

TEST(WirePacer, TwentySixFramesTakeTheirWireTime) {
    WirePacer pacer;
    for (int i = 0; i < 26; ++i) {
        pacer.push(Bytes(12, static_cast<std::uint8_t>(i)));
    }
    const auto [writes, lastWrite] = drain(pacer);
    EXPECT_EQ(writes.size(), 26u);
    EXPECT_EQ(wireTime(12), 3125us);
    EXPECT_EQ(lastWrite, 25 * 3125us);
    EXPECT_EQ(wireTime(312), 81250us);
}

TEST(WirePacer, HoldsBytesWhileTheLineIsBusy) {
    WirePacer pacer;
    pacer.push(Bytes(12, 1));
    pacer.push(Bytes(12, 2));
    EXPECT_EQ(pacer.take(0us).size(), 12u);
    EXPECT_TRUE(pacer.take(3000us).empty());
    EXPECT_EQ(pacer.take(3125us), Bytes(12, 2));
}

TEST(WirePacer, ChunksCutAcrossFramesWithoutLosingAByte) {
    WirePacer pacer;
    pacer.setChunks(true);
    Bytes sent;
    for (int i = 0; i < 26; ++i) {
        Bytes frame(12);
        for (std::size_t k = 0; k < frame.size(); ++k) {
            frame[k] = static_cast<std::uint8_t>(i * 12 + static_cast<int>(k));
        }
        sent.insert(sent.end(), frame.begin(), frame.end());
        pacer.push(frame);
    }
    const auto [writes, lastWrite] = drain(pacer);
    Bytes received;
    bool crossed = false;
    std::size_t at = 0;
    for (const auto& w : writes) {
        EXPECT_EQ(w.size() % 2, 1u);
        crossed = crossed || (at % 12 + w.size() > 12);
        at += w.size();
        received.insert(received.end(), w.begin(), w.end());
    }
    EXPECT_EQ(received, sent);
    EXPECT_TRUE(crossed);
}

TEST(WirePacer, UnpacedHandsEverythingOutAtOnce) {
    WirePacer pacer;
    pacer.setPaced(false);
    pacer.push(Bytes(12, 1));
    pacer.push(Bytes(12, 2));
    EXPECT_EQ(pacer.take(0us).size(), 12u);
    EXPECT_EQ(pacer.take(0us).size(), 12u);
    EXPECT_TRUE(pacer.empty());
}

} // namespace
} // namespace orvel::sim
