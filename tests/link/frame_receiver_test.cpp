#include "link/frame_receiver.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel::test {
namespace {

using frames::Layout;
using frames::ModuleFrame;

std::vector<std::uint8_t> frameBytes(std::uint8_t id, Layout layout = Layout::A) {
    const auto f = frames::encodeFrame({id, {id, 2, 3, 4, 5, 6, 7, 8}}, layout);
    return {f.begin(), f.end()};
}

std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// Feeds the notifications and lists the groups: the id, or 0 for one that fits no layout.
std::vector<int> groupsOf(FrameStream& stream,
                          const std::vector<std::vector<std::uint8_t>>& parts) {
    std::vector<int> ids;
    for (const auto& part : parts) {
        stream.append(part);
        while (auto group = stream.next()) {
            ids.push_back(group->frame ? group->frame->id : 0);
        }
        EXPECT_LT(stream.size(), frames::kFrameSize);
    }
    return ids;
}

struct StreamCase {
    const char* name;
    std::vector<std::vector<std::uint8_t>> notifications;
    std::vector<int> groups;
};

TEST(FrameStream, CutsTheStreamIntoFramesAndRecoversFromLostAndExtraBytes) {
    const auto f1 = frameBytes(1);
    const auto f2 = frameBytes(2);
    const auto f3 = frameBytes(3);
    const std::vector<std::uint8_t> f1LostFirst(f1.begin() + 1, f1.end());
    const std::vector<std::uint8_t> f1LostMiddle = [&] {
        auto v = f1;
        v.erase(v.begin() + 5);
        return v;
    }();
    const StreamCase cases[] = {
        {"24 bytes in one notification are two frames", {concat({f1, f2})}, {1, 2}},
        {"11 bytes wait for the twelfth",
         {std::vector<std::uint8_t>(f1.begin(), f1.begin() + 11), {f1.back()}},
         {1}},
        {"a frame split over three notifications",
         {{f1.begin(), f1.begin() + 4},
          {f1.begin() + 4, f1.begin() + 9},
          {f1.begin() + 9, f1.end()}},
         {1}},
        {"a lost first byte costs that frame only", {concat({f1LostFirst, f2, f3})}, {0, 2, 3}},
        {"a lost middle byte costs that frame only", {concat({f1LostMiddle, f2, f3})}, {0, 2, 3}},
        {"a lost byte with frames arriving one by one", {f1LostFirst, f2, f3}, {0, 2, 3}},
        {"garbage before a frame counts once",
         {concat({bytes({1, 2, 3, 4, 5}), f1, f2})},
         {0, 1, 2}},
        {"garbage longer than a group counts once when the frame is in view",
         {concat({std::vector<std::uint8_t>(20, 0x55), f1})},
         {0, 1}},
        {"garbage longer than a group arriving alone",
         {std::vector<std::uint8_t>(20, 0x55), f1},
         {0, 0, 1}},
        {"twelve zero bytes are one unrecognised group",
         {std::vector<std::uint8_t>(12, 0), f1},
         {0, 1}},
        {"a lone H at the end waits for its P",
         {concat({bytes({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}), {f1.front()}}),
          {f1.begin() + 1, f1.end()}},
         {0, 1}},
        {"shifted layouts are recognised in a row",
         {concat(
             {frameBytes(29, Layout::B), frameBytes(30, Layout::B), frameBytes(31, Layout::C)})},
         {29, 30, 31}},
        {"a bad group amid shifted frames keeps them in step",
         {concat({frameBytes(29, Layout::B), std::vector<std::uint8_t>(12, 0x11),
                  frameBytes(30, Layout::B)})},
         {29, 0, 30}},
    };
    for (const auto& c : cases) {
        FrameStream stream;
        EXPECT_EQ(groupsOf(stream, c.notifications), c.groups) << c.name;
    }
}

TEST(FrameStream, ClearDropsAHalfReceivedFrame) {
    FrameStream stream;
    const auto f1 = frameBytes(1);
    stream.append(std::span(f1).first(7));
    stream.clear();
    EXPECT_EQ(groupsOf(stream, {frameBytes(2)}), std::vector<int>{2});
}

TEST(FrameStream, KeepsFramesInOrderWhenMoreBytesArriveBetweenGroups) {
    // A handler waiting in a modal box lets the next notification in between.
    FrameStream stream;
    stream.append(concat({frameBytes(1), frameBytes(2)}));
    auto first = stream.next();
    stream.append(frameBytes(3));
    std::vector<int> ids{first->frame->id};
    while (auto g = stream.next()) {
        ids.push_back(g->frame->id);
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));
}

class FrameReceiverTest : public CoreTest {};

TEST_F(FrameReceiverTest, MovesBothBarsToTheIdAndMarksTheArrival) {
    activate();
    form.controls.setRange("pbCarregando", 0, 40);
    form.controls.setRange("pbCarregando1", 0, 40);
    form.state.frameReceived = false;
    link.feedFrame(27, {});
    EXPECT_EQ(form.controls.position("pbCarregando"), 27);
    EXPECT_EQ(form.controls.position("pbCarregando1"), 27);
    EXPECT_TRUE(form.state.frameReceived);
}

TEST_F(FrameReceiverTest, TwelveZeroBytesOnlyResetTheBarsAndMarkTheArrival) {
    activate();
    form.controls.setRange("pbCarregando", 0, 40);
    form.controls.setRange("pbCarregando1", 0, 40);
    link.feedFrame(5, {});
    form.state.frameReceived = false;
    const std::string before = text("e0");
    link.feed(std::vector<std::uint8_t>(12, 0));
    EXPECT_EQ(form.controls.position("pbCarregando"), 0);
    EXPECT_EQ(form.controls.position("pbCarregando1"), 0);
    EXPECT_TRUE(form.state.frameReceived);
    EXPECT_EQ(text("e0"), before);
}

TEST_F(FrameReceiverTest, ConfigurationFramesReachTheFieldsInAnyLayout) {
    activate();
    link.feedFrame(2, {1, 2, 3, 4, 5, 6, 7, 8}, Layout::B);
    EXPECT_EQ(text("e8"), "1");
    link.feedFrame(3, {9, 2, 3, 4, 5, 6, 7, 8}, Layout::C);
    EXPECT_EQ(text("e16"), "9");
}

TEST_F(FrameReceiverTest, NextFrameAfterALostByteIsRecognised) {
    activate();
    const auto f2 = frames::encodeFrame({2, {40, 2, 3, 4, 5, 6, 7, 8}});
    const auto f3 = frames::encodeFrame({3, {41, 2, 3, 4, 5, 6, 7, 8}});
    link.feed(std::span(f2).subspan(1));
    link.feed(f3);
    EXPECT_EQ(text("e16"), "41");
    EXPECT_EQ(form.receiver.pendingSize(), 0u);
}

TEST_F(FrameReceiverTest, PendingBytesNeverPileUp) {
    activate();
    std::vector<std::uint8_t> noise;
    for (int i = 0; i < 500; ++i) {
        noise.push_back(static_cast<std::uint8_t>((i * 37) % 251));
    }
    for (std::size_t at = 0; at < noise.size(); at += 7) {
        link.feed(std::span(noise).subspan(at, std::min<std::size_t>(7, noise.size() - at)));
        EXPECT_LE(form.receiver.pendingSize(), 23u);
    }
}

TEST_F(FrameReceiverTest, OpeningThePortDropsAHalfReceivedFrame) {
    activate();
    const auto f2 = frames::encodeFrame({2, {40, 2, 3, 4, 5, 6, 7, 8}});
    link.feed(std::span(f2).first(5));
    ASSERT_TRUE(form.click("btnDesativar"));
    activate();
    link.feedFrame(3, {41, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(text("e16"), "41");
}

} // namespace
} // namespace orvel::test
