// The "Registros" page's costs on a ten-hour recording (180 000 rows at 5 sets
// per second): a plot redraw at several zooms, decimated as the page does it,
// against the same redraw handing every visible sample to the chart (the
// baseline); and a replay at 8x through the real window (offscreen), as a share
// of the real time it stands for.
//
// Run by hand (QT_QPA_PLATFORM=offscreen is set when unset) and copy the figures.

#include "app/chart_canvas.h"
#include "app/main_window.h"
#include "app/recording_plot.h"
#include "app/sample_drive.h"
#include "app/window_fixture.h"
#include "recording/columns.h"
#include "window_bench_main.h"

#include <QApplication>
#include <QChart>
#include <QLineSeries>
#include <QTabWidget>

#include <benchmark/benchmark.h>

#include <memory>
#include <numeric>
#include <vector>

namespace {

namespace col = orvel::recording::col;

const std::shared_ptr<const orvel::recording::Recording>& tenHours() {
    static const auto rec =
        std::make_shared<const orvel::recording::Recording>(orvel::test::sampleDrive(36'000));
    return rec;
}

// The page's plot area, about 640 x 500 pixels, with the first four channels
// or every one.
struct PlotRig {
    explicit PlotRig(bool every = false) : plot(canvas) {
        canvas.resize(640, 520);
        canvas.show();
        std::vector<int> all(orvel::recording::kValueCount);
        std::iota(all.begin(), all.end(), 0);
        plot.setChannels(every ? all
                               : std::vector<int>{col::rpm, col::ti, col::lambdaMv, col::tpsVolts});
        plot.setRecording(tenHours());
        QApplication::processEvents();
    }
    orvel::app::ChartCanvas canvas;
    orvel::app::RecordingPlot plot;
};

// Args: visible seconds; what a redraw does: 0 = every visible sample handed to
// the chart (the baseline), 1 = decimated and handed over (the page's redraw),
// 2 = as 1 and then painted.
void BM_PlotRedraw(benchmark::State& state) {
    PlotRig rig;
    const auto span = static_cast<double>(state.range(0));
    const auto mode = state.range(1);
    const double middle = 18'000;
    rig.plot.setRange(middle - span / 2, middle + span / 2);
    rig.plot.redraw();
    const auto& rec = *tenHours();
    const std::size_t first = rec.rowAt(rig.plot.from());
    const std::size_t end = rec.rowAt(rig.plot.to());
    QList<QPointF> all;
    std::size_t points = 0;
    for (auto _ : state) {
        if (mode == 0) {
            const auto series = rig.canvas.chart()->series();
            for (qsizetype s = 0; s < series.size(); ++s) {
                all.clear();
                const int column = rig.plot.channels()[static_cast<std::size_t>(s)];
                for (std::size_t r = first; r < end; ++r) {
                    all.append(QPointF(rec.time(r), rec.value(column, r)));
                }
                static_cast<QLineSeries*>(series[s])->replace(all);
            }
        } else {
            rig.plot.redraw();
        }
        if (mode == 2) {
            rig.canvas.viewport()->repaint();
        }
    }
    for (auto* s : rig.canvas.chart()->series()) {
        points += static_cast<std::size_t>(static_cast<QLineSeries*>(s)->count());
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_PlotRedraw)
    ->ArgsProduct({{36'000, 3'600, 60, 5}, {0, 1, 2}})
    ->ArgNames({"seconds", "mode"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// Args: channels (0 = four, 1 = all 21); what runs: 0 = a full redraw of the whole
// recording, painted (the baseline), 1 = the cursor moved across it, and what it
// made dirty painted.
void BM_RedrawOrCursorMove(benchmark::State& state) {
    PlotRig rig(state.range(0) == 1);
    rig.plot.showAll();
    rig.plot.redraw();
    QApplication::processEvents();
    const auto mode = state.range(1);
    const int width = rig.canvas.plotWidth();
    int step = 0;
    for (auto _ : state) {
        if (mode == 0) {
            rig.plot.redraw();
            rig.canvas.viewport()->repaint();
        } else {
            // Painted as the event loop paints it: what the move made dirty.
            rig.canvas.onHover(36'000.0 * (step++ % width) / width);
            QApplication::processEvents();
        }
    }
    state.counters["bytes_per_row"] =
        static_cast<double>(tenHours()->memoryBytes()) / static_cast<double>(tenHours()->rows());
}
BENCHMARK(BM_RedrawOrCursorMove)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"all", "cursor"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// One second of real time at 8x: 50 ticks of the replay timer playing 8 s of a
// recording at the wire's highest rate (100 sets a second), the window's
// events handled between ticks as the event loop would.
void BM_ReplayOneSecondAt8x(benchmark::State& state) {
    orvel::test::WindowRig rig;
    rig.window->show();
    // The maps' page, where the replayed values show.
    auto* tabs = qobject_cast<QTabWidget*>(rig.window->control(QStringLiteral("Mapas")));
    tabs->setCurrentWidget(rig.window->control(QStringLiteral("TabSheet1")));
    QApplication::processEvents();
    const auto rec =
        std::make_shared<const orvel::recording::Recording>(orvel::test::sampleDrive(600, 100));
    auto& replay = rig.window->form().replay;
    replay.start(rec);
    replay.player.setSpeed(8);
    replay.play();
    for (auto _ : state) {
        for (int tick = 0; tick < 50; ++tick) {
            rig.clock.advance(20);
            QApplication::processEvents();
        }
        if (!replay.active()) {
            replay.start(rec);
            replay.player.setSpeed(8);
            replay.play();
        }
    }
    state.counters["share_of_real_time"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReplayOneSecondAt8x)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
