// The drive recorder's costs, each against a baseline in the same run:
// - scanner sets through the handlers with recording on, against the same with
//   recording off (the GUI thread's CPU time, and the process's, so that the
//   writer thread counts too); and a paced run at 100 sets per second, the
//   wire's highest rate, both ways;
// - opening a ten-hour recording (180 000 rows, 5 sets per second), against
//   only reading the file's bytes; its bytes per row in memory.

#include "core/manual_clock.h"
#include "form/form.h"
#include "link/frames.h"
#include "recording/reader.h"
#include "recording/recorder.h"
#include "recording/writer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using orvel::frames::ModuleFrame;
namespace fs = std::filesystem;

class SinkLink : public orvel::SerialLink, public orvel::PortProber {
public:
    void open(const std::string&) override { open_ = true; }
    void close() override { open_ = false; }
    [[nodiscard]] bool isOpen() const override { return open_; }
    void write(std::span<const std::uint8_t>) override {}
    [[nodiscard]] bool probe(const std::string& name) override { return name == "COM1"; }
    void feed(std::span<const std::uint8_t> bytes) { onReceived(bytes); }

private:
    bool open_ = false;
};

class CountingDialogs : public orvel::Dialogs {
public:
    void message(const std::string&) override { ++boxes; }
    void error(const std::string&) override { ++boxes; }
    std::optional<std::string> saveFileName(const orvel::FileDialogOptions&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFileName(const orvel::FileDialogOptions&) override {
        return std::nullopt;
    }
    int boxes = 0;
};

// A private folder, removed afterwards.
struct TempFolder {
    TempFolder() {
        char name[] = "/tmp/orvel-bench-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempFolder() { fs::remove_all(path); }
    fs::path path;
};

// The core with its port open and the scanner on, recording or not.
struct Core {
    orvel::ManualClock clock;
    SinkLink link;
    CountingDialogs dialogs;
    orvel::Form form{link, link, clock, dialogs};
    TempFolder folder;

    explicit Core(bool recording) {
        form.create();
        form.controls.setText("cbPorta", "COM1");
        form.click("btnAtivar");
        form.state.cylinderCount = 4;
        if (recording) {
            form.recorder.setFolder(folder.path.string());
        }
        form.click("Button3");
    }
};

// One set a little different each time, as an engine would give.
std::vector<std::uint8_t> setBytes(int n) {
    const auto b = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
    const std::vector<ModuleFrame> frames{
        {29, {b(80 + n % 20), b(n % 40), 40, b(n % 90), b(n), 0x01, b(n % 30), b(n % 42)}},
        {30, {b(18 + n % 10), b(n % 48), 0x18, 0x01, 9, b(0xB0 + n % 40), 0x04, 1}},
        {31, {b(n % 7 - 3), 0xFE, 0, 1, 0xFF, b(n % 2), 0, 0}}};
    std::vector<std::uint8_t> out;
    for (const auto& f : frames) {
        const auto bytes = orvel::frames::encodeFrame(f);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<std::vector<std::uint8_t>> manySets() {
    std::vector<std::vector<std::uint8_t>> sets;
    for (int n = 0; n < 256; ++n) {
        sets.push_back(setBytes(n));
    }
    return sets;
}

// One notification per frame, as the module's pace delivers them.
void feedSet(Core& core, const std::vector<std::uint8_t>& set) {
    const std::span<const std::uint8_t> bytes(set);
    for (std::size_t at = 0; at < bytes.size(); at += orvel::frames::kFrameSize) {
        core.link.feed(bytes.subspan(at, orvel::frames::kFrameSize));
    }
}

void scannerSets(benchmark::State& state) {
    const bool recording = state.range(0) != 0;
    Core core(recording);
    const auto sets = manySets();
    std::size_t n = 0;
    for (auto _ : state) {
        feedSet(core, sets[n++ % sets.size()]);
        if (recording && n % 2048 == 0) {
            core.form.recorder.drain(); // keeps the queue from filling: no row dropped
        }
    }
    core.form.click("Button3");
    core.form.recorder.drain();
    state.SetItemsProcessed(state.iterations());
    state.counters["boxes"] = core.dialogs.boxes;
}
// CPU time of the GUI thread alone, then of the whole process (the writer thread too).
BENCHMARK(scannerSets)->Name("BM_ScannerSets/recording")->Arg(0)->Arg(1);
BENCHMARK(scannerSets)->Name("BM_ScannerSets/recording")->Arg(0)->Arg(1)->MeasureProcessCPUTime();

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// 100 sets per second in real time for a few seconds: the share of one core
// the process uses, recording or not.
void pacedSession(benchmark::State& state) {
    const bool recording = state.range(0) != 0;
    constexpr int kSets = 300;
    const auto sets = manySets();
    for (auto _ : state) {
        Core core(recording);
        const double cpuStart = processCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        for (int n = 0; n < kSets; ++n) {
            std::this_thread::sleep_until(start + std::chrono::milliseconds(10 * n));
            feedSet(core, sets[static_cast<std::size_t>(n) % sets.size()]);
        }
        core.form.click("Button3");
        core.form.recorder.drain();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["core_percent"] = (processCpuSeconds() - cpuStart) / wall * 100;
        state.counters["boxes"] = core.dialogs.boxes;
    }
}
BENCHMARK(pacedSession)
    ->Name("BM_PacedAt100SetsPerSecond/recording")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Ten hours at 5 sets per second, written as the recorder writes them.
const std::string& tenHourFile() {
    static const std::string path = [] {
        orvel::recording::Recording r;
        std::mt19937 rng(2003);
        for (int n = 0; n < 180'000; ++n) {
            orvel::recording::Row row;
            row.timeMs = n * 200;
            for (auto& f : row.frames) {
                for (auto& d : f.data) {
                    d = static_cast<std::uint8_t>(rng());
                }
            }
            row.frames[0].id = 29;
            row.frames[1].id = 30;
            row.frames[2].id = 31;
            row.values = orvel::recording::decodeSet(row.frames, 4);
            r.append(row);
        }
        const std::string file = (fs::temp_directory_path() / "orvel-bench-ten-hours.csv").string();
        std::ofstream(file, std::ios::binary) << orvel::recording::writeRecording(r);
        return file;
    }();
    return path;
}

void BM_OpenTenHourRecording(benchmark::State& state) {
    const auto& path = tenHourFile();
    std::size_t rows = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto result = orvel::recording::readRecordingFile(path);
        rows = result.recording.rows();
        bytes = result.recording.memoryBytes();
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["bytes_per_row"] = static_cast<double>(bytes) / static_cast<double>(rows);
    state.counters["file_MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
}
BENCHMARK(BM_OpenTenHourRecording)->Unit(benchmark::kMillisecond);

// Baseline: the same file's bytes into memory, nothing parsed.
void BM_ReadTenHourFileBytesOnly(benchmark::State& state) {
    const auto& path = tenHourFile();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes(fs::file_size(path), '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_ReadTenHourFileBytesOnly)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
