// Analysing a ten-hour recording (180 000 sets) for injection corrections,
// against reading the same file from disk, in the same run.

#include "analysis/correction.h"
#include "fuel_loop.h"
#include "recording/reader.h"
#include "recording/recording.h"

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

void appendNumber(std::string& out, double value, int decimals) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%.*f", decimals, value);
    for (int i = 0; i < n; ++i) {
        out += text[i] == '.' ? ',' : text[i];
    }
}

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
        sim::FuelLoop loop(config, sim::exampleFuelFactors());
        std::string text = "\xEF\xBB\xBF";
        text += recording::kTimeColumn;
        for (const auto& c : recording::kValueColumns) {
            text += ';';
            text += c.name;
        }
        text += ";";
        text += recording::kFramesColumn;
        text += "\r\n";
        for (std::size_t row = 0; row < kRows; ++row) {
            const double t = static_cast<double>(row) * 0.2;
            const auto e = engine.at(std::chrono::microseconds(std::llround(t * 1e6)), config);
            auto f = sim::scannerFrames(e, config);
            sim::applyReading(f, loop.step(e, config, 0.2));
            std::array<double, recording::kValueColumns.size()> v{};
            const int period = f[1][5] | f[1][6] << 8;
            v[col::rpm] = period > 0 ? 4'800'000 / 4 / period : 0;
            v[col::ti] = ((f[1][2] | f[1][3] << 8) >> 2) / 10.0;
            v[col::lambdaMv] = f[0][3] * 10;
            v[col::temperature] = f[0][0];
            v[col::shortTrim] = static_cast<std::int8_t>(f[2][0]);
            v[col::longTrim] = static_cast<std::int8_t>(f[2][1]);
            v[col::tpsVolts] = std::round((f[0][4] | f[0][5] << 8) * 500 / 1023.0) / 100;
            v[col::rpmPosition] = static_cast<std::int8_t>(f[1][1]);
            v[col::loadPosition] = f[0][7];
            recording::FrameSet frames{};
            for (std::size_t i = 0; i < 3; ++i) {
                frames[i] = {static_cast<std::uint8_t>(29 + i), f[i]};
            }
            recording.append(t, v, frames);
            appendNumber(text, t, 3);
            for (std::size_t c = 0; c < v.size(); ++c) {
                text += ';';
                appendNumber(text, v[c], recording::kValueColumns[c].decimals);
            }
            text += ';';
            for (std::size_t i = 0; i < 3; ++i) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02X", frames[i].id);
                text += (i > 0 ? " " : "") + std::string(hex);
                for (auto b : frames[i].data) {
                    std::snprintf(hex, sizeof hex, "%02X", b);
                    text += " " + std::string(hex);
                }
            }
            text += "\r\n";
        }
        path = (std::filesystem::temp_directory_path() / "orvel-bench-dez-horas.csv").string();
        std::ofstream(path, std::ios::binary) << text;
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
