// Analysing a ten-hour recording (180 000 sets) for injection corrections,
// against reading the same file from disk, in the same run.

#include "analysis/correction.h"
#include "fuel_loop.h"
#include "recording/reader.h"
#include "recording/recorder.h"
#include "recording/recording.h"
#include "recording/writer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

namespace {

using namespace orvel;
namespace col = recording::col;

constexpr std::size_t kRows = 180'000; // ten hours at five sets a second

// Ten hours of the simulator's driving cycle with its fuel error, as the window
// decodes it, in memory and as the recorder's file.
struct TenHours {
    recording::Recording recording;
    std::string path;
    analysis::MapContext map;

    TenHours() {
        sim::ModuleConfig config = sim::defaultConfig();
        config.cylinders = 4;
        sim::EngineModel engine;
        sim::FuelLoop loop(config, sim::exampleFuelError());
        recording.reserve(kRows);
        for (std::size_t row = 0; row < kRows; ++row) {
            const auto t = std::chrono::milliseconds(row * 200);
            const auto e = engine.at(t, config);
            auto f = sim::scannerFrames(e, config);
            sim::applyReading(f, loop.step(e, config, 0.2));
            recording::Row r;
            r.timeMs = static_cast<std::int32_t>(t.count());
            for (std::size_t i = 0; i < 3; ++i) {
                r.frames[i] = {static_cast<std::uint8_t>(29 + i), f[i]};
            }
            r.values = recording::decodeSet(r.frames, 4);
            recording.append(r);
        }
        path = (std::filesystem::temp_directory_path() / "orvel-bench-dez-horas.csv").string();
        std::ofstream(path, std::ios::binary) << recording::writeRecording(recording);
        for (std::size_t n = 0; n < 72; ++n) {
            map.injectionMs[n] = config.injection[n] / 10.0;
        }
        map.probeTemperatureC = config.probeTemperature;
        map.cylinders = 4;
    }
    ~TenHours() { std::filesystem::remove(path); }
};

TenHours& tenHours() {
    static TenHours data;
    return data;
}

void BM_ReadRecordingBaseline(benchmark::State& state) {
    const TenHours& data = tenHours();
    for (auto _ : state) {
        try {
            auto read = recording::readRecordingFile(data.path);
            benchmark::DoNotOptimize(read.recording.rows());
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
}
BENCHMARK(BM_ReadRecordingBaseline)->Unit(benchmark::kMillisecond);

// Reading and analysing, as "Analisar" does for one file.
void BM_ReadAndAnalyse(benchmark::State& state) {
    const TenHours& data = tenHours();
    for (auto _ : state) {
        auto read = recording::readRecordingFile(data.path);
        analysis::Analysis analysis;
        analysis.add(read.recording, data.map, data.map);
        benchmark::DoNotOptimize(analysis.propose(data.map).coveredCells);
    }
}
BENCHMARK(BM_ReadAndAnalyse)->Unit(benchmark::kMillisecond);

void BM_AnalyseRecording(benchmark::State& state) {
    const TenHours& data = tenHours();
    for (auto _ : state) {
        analysis::Analysis analysis;
        analysis.add(data.recording, data.map, data.map);
        auto proposal = analysis.propose(data.map);
        benchmark::DoNotOptimize(proposal.coveredCells);
    }
    state.counters["rows"] = static_cast<double>(data.recording.rows());
}
BENCHMARK(BM_AnalyseRecording)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
