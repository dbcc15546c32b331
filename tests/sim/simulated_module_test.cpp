#include "simulated_module.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

namespace orvel::sim {
namespace {

using namespace std::chrono_literals;
using Time = SimulatedModule::Time;

Bytes command(std::uint8_t code) {
    return {0x00, code, 0x61, 0x61, 0x61, 0x61};
}
Bytes packet(std::uint8_t number, const Data& payload) {
    Bytes out{number};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

struct Frame {
    std::uint8_t id;
    Data data;
};

// Cuts layout-A output into frames; fails on anything else.
std::vector<Frame> framesOf(const std::vector<Bytes>& pieces) {
    Bytes all;
    for (const auto& p : pieces) {
        all.insert(all.end(), p.begin(), p.end());
    }
    EXPECT_EQ(all.size() % 12, 0u);
    std::vector<Frame> frames;
    for (std::size_t at = 0; at + 12 <= all.size(); at += 12) {
        EXPECT_EQ(all[at], 'H');
        EXPECT_EQ(all[at + 1], 'P');
        EXPECT_EQ(all[at + 11], 'F');
        Frame f{all[at + 2], {}};
        std::copy(all.begin() + static_cast<long>(at) + 3, all.begin() + static_cast<long>(at) + 11,
                  f.data.begin());
        frames.push_back(f);
    }
    return frames;
}

class ModuleTest : public ::testing::Test {
protected:
    explicit ModuleTest(Behaviour behaviour = {})
        : module(defaultConfig(), behaviour, EngineModel(20)) {
        module.log = [this](const std::string& line) { logged.push_back(line); };
    }
    void send(const Bytes& bytes, Time now = 0us) { module.receive(bytes, now); }
    [[nodiscard]] bool loggedLine(std::string_view start) const {
        return std::any_of(logged.begin(), logged.end(),
                           [&](const std::string& l) { return l.starts_with(start); });
    }
    void upload(const ModuleConfig& config, int skipped = 0) {
        const Payloads packets = toPackets(config);
        for (int n = 1; n <= kPacketCount; ++n) {
            if (n != skipped) {
                send(packet(static_cast<std::uint8_t>(n), packets[n - 1]));
            }
        }
        send(command(0x48));
    }

    SimulatedModule module;
    std::vector<std::string> logged;
};

TEST_F(ModuleTest, AnswersTheReadCommandWithFramesOneToTwentySix) {
    send(command(0x33));
    const auto frames = framesOf(module.takeOutput());
    ASSERT_EQ(frames.size(), 26u);
    const auto expected = configurationFrames(module.config());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].id, i + 1);
        EXPECT_EQ(frames[i].data, expected[i]);
    }
}

TEST_F(ModuleTest, FindsACommandDeliveredOneByteAtATimeAfterNoise) {
    send({0x99, 0x00, 0x7F});
    for (auto b : command(0x33)) {
        send({b});
    }
    EXPECT_EQ(framesOf(module.takeOutput()).size(), 26u);
    EXPECT_TRUE(loggedLine("skipped"));
}

TEST_F(ModuleTest, AReadAfterAnUploadReturnsWhatWasSent) {
    ModuleConfig sent = module.config();
    sent.ignition[17] = 25;
    sent.injection[70] = 99;
    sent.ti[4] = 0xF0;
    sent.cylinders = 6;
    sent.tpsClosed = 100;
    sent.tpsOpen = 225;
    upload(sent);
    EXPECT_TRUE(loggedLine("upload applied"));
    EXPECT_EQ(module.config(), sent);

    send(command(0x33));
    const auto frames = framesOf(module.takeOutput());
    ASSERT_EQ(frames.size(), 26u);
    EXPECT_EQ(frames[2].data[1], 25);
    EXPECT_EQ(frames[17].data[6], 99);
    EXPECT_EQ(frames[24].data, (Data{6, 0, 60, 5, 6, 100, 225, 0}));
}

TEST_F(ModuleTest, AnIncompleteUploadAppliesNothingAndSaysWhatIsMissing) {
    const ModuleConfig before = module.config();
    ModuleConfig sent = before;
    sent.cylinders = 8;
    upload(sent, 17);
    EXPECT_EQ(module.config(), before);
    EXPECT_TRUE(loggedLine("upload incomplete, nothing applied; missing packets: 17"));
    // The packets of the failed set do not complete a later one.
    send(command(0x48));
    EXPECT_TRUE(loggedLine("upload incomplete, nothing applied; missing packets: 1 2 3"));
    EXPECT_EQ(module.config(), before);
}

TEST_F(ModuleTest, LineFaultsHitOnePacketOfTheNextUploadOnly) {
    const ModuleConfig before = module.config();
    ModuleConfig sent = before;
    sent.cylinders = 6;
    ASSERT_EQ(module.control("corrupt-packet 3", 0us), ControlResult::Done);
    upload(sent);
    EXPECT_TRUE(loggedLine("packet 3 changed on the line"));
    EXPECT_NE(module.config(), sent); // applied, with the changed byte
    upload(sent);
    EXPECT_EQ(module.config(), sent);

    ASSERT_EQ(module.control("drop-packet 20", 0us), ControlResult::Done);
    sent.cylinders = 8;
    upload(sent);
    EXPECT_TRUE(loggedLine("upload incomplete, nothing applied; missing packets: 20"));
    EXPECT_EQ(module.config().cylinders, 6);
}

TEST_F(ModuleTest, APollBringsFiveSetsOverOneSecond) {
    send(command(0x7F), 0us);
    std::vector<Time> times{0us};
    auto frames = framesOf(module.takeOutput());
    while (auto due = module.nextDue()) {
        times.push_back(*due);
        module.advance(*due);
        const auto more = framesOf(module.takeOutput());
        frames.insert(frames.end(), more.begin(), more.end());
    }
    EXPECT_EQ(times, (std::vector<Time>{0ms, 200ms, 400ms, 600ms, 800ms}));
    ASSERT_EQ(frames.size(), 15u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].id, 29 + i % 3);
    }
    module.advance(5s);
    EXPECT_TRUE(module.takeOutput().empty());
}

// Ten times faster: fifty sets in the second, each 200 ms further on the engine's cycle
// (the blip at idle, four seconds in, comes within the first half second).
TEST(ScaledModule, APollBringsTenTimesTheSetsAndTheEngineRunsTenTimesFaster) {
    Behaviour scaled;
    scaled.timeScale = 10;
    SimulatedModule module(defaultConfig(), scaled, EngineModel(90));
    module.receive(command(0x7F), 0us);
    int sets = 1;
    int highestRpmPosition = 0;
    while (auto due = module.nextDue()) {
        EXPECT_EQ(*due, sets * 20ms);
        module.advance(*due);
        ++sets;
        for (const auto& f : framesOf(module.takeOutput())) {
            if (f.id == 30) {
                highestRpmPosition = std::max<int>(highestRpmPosition, f.data[1]);
            }
        }
    }
    EXPECT_EQ(sets, 50);
    EXPECT_GT(highestRpmPosition, 9); // the blip to 2200 RPM
}

TEST_F(ModuleTest, TheStopCommandEndsTheSetsAtOnce) {
    send(command(0x7F), 0us);
    (void)module.takeOutput();
    send(command(0xD9), 300ms);
    module.advance(1s);
    EXPECT_FALSE(module.nextDue());
    EXPECT_TRUE(module.takeOutput().empty());
}

TEST_F(ModuleTest, ThePortClosingEndsTheSessionAndDropsAHalfCommand) {
    send(command(0x7F), 0us);
    send({0x00, 0x33, 0x61});
    module.disconnected();
    (void)module.takeOutput();
    send({0x00, 0x33, 0x61, 0x61, 0x61, 0x61});
    EXPECT_FALSE(module.scannerRunning());
    EXPECT_EQ(framesOf(module.takeOutput()).size(), 26u);
}

int throttleOf(const Frame& frame29) {
    return frame29.data[4] | frame29.data[5] << 8;
}

class CalibratingModule : public ModuleTest {
protected:
    static Behaviour calibration() {
        Behaviour b;
        b.tpsClosed = 100;
        b.tpsOpen = 900;
        return b;
    }
    CalibratingModule() : ModuleTest(calibration()) {}
};

TEST_F(CalibratingModule, ReadsClosedInTheFirstSessionAndOpenAfterwards) {
    send(command(0x7F), 0us);
    EXPECT_EQ(throttleOf(framesOf(module.takeOutput())[0]), 100);
    send(command(0xD9), 1s);
    send(command(0x7F), 2s);
    EXPECT_EQ(throttleOf(framesOf(module.takeOutput())[0]), 900);
    send(command(0xD9), 3s);
    send(command(0x7F), 4s);
    EXPECT_EQ(throttleOf(framesOf(module.takeOutput())[0]), 900);
    EXPECT_EQ(module.control("tps 300", 5s), ControlResult::Done);
    send(command(0x7F), 5s);
    EXPECT_EQ(throttleOf(framesOf(module.takeOutput())[0]), 300);
}

TEST_F(CalibratingModule, AStopWithoutAPollIsNoSession) {
    send(command(0xD9), 0us);
    send(command(0x7F), 1s);
    EXPECT_EQ(throttleOf(framesOf(module.takeOutput())[0]), 100);
}

TEST_F(ModuleTest, SilentAnswersNothing) {
    EXPECT_EQ(module.control("silent on", 0us), ControlResult::Done);
    send(command(0x33));
    send(command(0x7F));
    module.advance(2s);
    EXPECT_TRUE(module.takeOutput().empty());
    EXPECT_EQ(module.control("silent off", 0us), ControlResult::Done);
    send(command(0x33));
    EXPECT_EQ(framesOf(module.takeOutput()).size(), 26u);
}

TEST_F(ModuleTest, ADroppedByteIsTheFirstOfTheNextFrameOnly) {
    (void)module.control("drop-byte", 0us);
    send(command(0x33));
    const auto pieces = module.takeOutput();
    ASSERT_EQ(pieces.size(), 26u);
    EXPECT_EQ(pieces[0], (Bytes{'P', 1, 10, 10, 6, 6, 6, 6, 6, 6, 'F'}));
    EXPECT_EQ(pieces[1].size(), 12u);
}

TEST_F(ModuleTest, GarbageGoesOutAsOnePiece) {
    (void)module.control("garbage 12", 0us);
    const auto pieces = module.takeOutput();
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].size(), 12u);
    EXPECT_EQ(std::count(pieces[0].begin(), pieces[0].end(), 'H'), 0);
}

struct LayoutCase {
    std::string line;
    Bytes frame1;
};

class Layouts : public ModuleTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(Layouts, ShiftTheFrameAndPadWithSpaces) {
    EXPECT_EQ(module.control(GetParam().line, 0us), ControlResult::Done);
    send(command(0x33));
    EXPECT_EQ(module.takeOutput().at(0), GetParam().frame1);
}

INSTANTIATE_TEST_SUITE_P(
    All, Layouts,
    ::testing::Values(LayoutCase{"layout A", {'H', 'P', 1, 10, 10, 6, 6, 6, 6, 6, 6, 'F'}},
                      LayoutCase{"layout B", {'P', 1, 10, 10, 6, 6, 6, 6, 6, 6, 'F', ' '}},
                      LayoutCase{"layout C", {1, 10, 10, 6, 6, 6, 6, 6, 6, 'F', ' ', ' '}}));

TEST_F(ModuleTest, ControlLinesAreConfirmedOrRejected) {
    EXPECT_EQ(module.control("chunks on", 0us), ControlResult::Done);
    EXPECT_TRUE(module.chunks());
    EXPECT_TRUE(loggedLine("ok chunks on"));
    EXPECT_EQ(module.control("unplug\r", 0us), ControlResult::Unplug);
    for (const char* line : {"tps", "tps x", "silent maybe", "layout D", "garbage -1", "hello"}) {
        EXPECT_EQ(module.control(line, 0us), ControlResult::Unknown) << line;
    }
}

} // namespace
} // namespace orvel::sim
