// Frames per second through the receiver and its handlers on the headless core,
// against a baseline of bare group decoding over the same bytes.

#include "core/manual_clock.h"
#include "form/form.h"
#include "link/frame_receiver.h"
#include "link/frames.h"

#include <benchmark/benchmark.h>

#include <span>
#include <vector>

namespace {

using orvel::frames::ModuleFrame;

// A port that swallows what is written.
class SinkLink : public orvel::SerialLink, public orvel::PortProber {
public:
    void open(const std::string&) override { open_ = true; }
    void close() override { open_ = false; }
    [[nodiscard]] bool isOpen() const override { return open_; }
    void write(std::span<const std::uint8_t> bytes) override { written_ += bytes.size(); }
    [[nodiscard]] bool probe(const std::string& name) override { return name == "COM1"; }
    void feed(std::span<const std::uint8_t> bytes) { onReceived(bytes); }

private:
    bool open_ = false;
    std::size_t written_ = 0;
};

class SilentDialogs : public orvel::Dialogs {
public:
    void message(const std::string&) override {}
    void error(const std::string&) override {}
    std::optional<std::string> saveFileName(const orvel::FileDialogOptions&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFileName(const orvel::FileDialogOptions&) override {
        return std::nullopt;
    }
};

// The whole core with its port open.
struct Core {
    orvel::ManualClock clock;
    SinkLink link;
    SilentDialogs dialogs;
    orvel::Form form{link, link, clock, dialogs};

    Core() {
        form.create();
        form.controls.setText("cbPorta", "COM1");
        form.click("btnAtivar");
    }
};

std::vector<std::uint8_t> streamOf(const std::vector<ModuleFrame>& frames) {
    std::vector<std::uint8_t> out;
    for (const auto& f : frames) {
        const auto bytes = orvel::frames::encodeFrame(f);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<ModuleFrame> downloadFrames() {
    std::vector<ModuleFrame> frames;
    for (std::uint8_t id = 1; id <= 9; ++id) {
        frames.push_back({id, {10, 10, 12, 18, 25, 30, 32, 34}});
    }
    for (std::uint8_t id = 10; id <= 18; ++id) {
        frames.push_back({id, {35, 52, 58, 68, 74, 78, 80, 81}});
    }
    frames.push_back({19, {45, 35, 25, 15, 5, 0, 0, 0}});
    frames.push_back({20, {5, 4, 3, 2, 1, 0, 0, 0xFE}});
    frames.push_back({21, {70, 50, 40, 30, 20, 15, 0, 0}});
    frames.push_back({22, {0, 0, 0xFE, 2, 5, 30, 3, 3}});
    frames.push_back({23, {5, 0, 5, 30, 55, 70, 86, 5}});
    frames.push_back({24, {22, 15, 87, 80, 2, 20, 10, 70}});
    frames.push_back({25, {4, 0, 60, 5, 6, 130, 230, 0}});
    frames.push_back({26, {}});
    return frames;
}

std::vector<ModuleFrame> scannerFrames() {
    return {{29, {85, 3, 40, 45, 0x00, 0x02, 4, 20}},
            {30, {18, 12, 0x18, 0x01, 9, 0xB0, 0x04, 1}},
            {31, {2, 0xFE, 0, 1, 0xFF, 1, 0, 0}}};
}

// One receive notification per frame, as the module's pace delivers them.
void feedFrameByFrame(benchmark::State& state, const std::vector<ModuleFrame>& frames,
                      bool scannerOn) {
    Core core;
    if (scannerOn) {
        core.form.click("Button3");
    }
    const auto stream = streamOf(frames);
    const std::span<const std::uint8_t> bytes(stream);
    for (auto _ : state) {
        for (std::size_t at = 0; at < bytes.size(); at += orvel::frames::kFrameSize) {
            core.link.feed(bytes.subspan(at, orvel::frames::kFrameSize));
        }
        benchmark::DoNotOptimize(core.form.state.frameReceived);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(frames.size()));
}

void BM_DownloadThroughHandlers(benchmark::State& state) {
    feedFrameByFrame(state, downloadFrames(), false);
}
BENCHMARK(BM_DownloadThroughHandlers);

void BM_ScannerSetsThroughHandlers(benchmark::State& state) {
    feedFrameByFrame(state, scannerFrames(), true);
}
BENCHMARK(BM_ScannerSetsThroughHandlers);

// The whole download arriving in one notification.
void BM_DownloadInOneNotification(benchmark::State& state) {
    Core core;
    const auto stream = streamOf(downloadFrames());
    for (auto _ : state) {
        core.link.feed(stream);
    }
    state.SetItemsProcessed(state.iterations() * 26);
}
BENCHMARK(BM_DownloadInOneNotification);

// Cutting and decoding alone, without the window.
void BM_StreamOnly(benchmark::State& state) {
    const auto stream = streamOf(downloadFrames());
    orvel::FrameStream cutter;
    for (auto _ : state) {
        cutter.append(stream);
        while (auto group = cutter.next()) {
            benchmark::DoNotOptimize(group);
        }
    }
    state.SetItemsProcessed(state.iterations() * 26);
}
BENCHMARK(BM_StreamOnly);

// Baseline: bare layout recognition over the same bytes.
void BM_DecodeGroupBaseline(benchmark::State& state) {
    const auto stream = streamOf(downloadFrames());
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += orvel::frames::kFrameSize) {
            const std::span<const std::uint8_t, orvel::frames::kFrameSize> group(stream.data() + at,
                                                                                 12);
            benchmark::DoNotOptimize(orvel::frames::decodeGroup(group));
        }
    }
    state.SetItemsProcessed(state.iterations() * 26);
}
BENCHMARK(BM_DecodeGroupBaseline);

} // namespace

BENCHMARK_MAIN();
