// How fast the map view follows an edit: the 3D surface's data for the 72 cells,
// the whole view's update (grid and surface), and, where OpenGL is (xvfb-run
// with QT_QPA_PLATFORM=xcb), a frame drawn after the edit. Baselines in the
// same run: reading the cells from the store, and a frame drawn with no edit.

#include "app/map_surface.h"
#include "app/map_surface_3d.h"
#include "app/map_view_window.h"
#include "model/form_definition.h"
#include "window_bench_main.h"

#include <QApplication>
#include <QTest>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/QSurfaceDataProxy>

#include <QEvent>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using orvel::ControlStore;
using orvel::mapview::Map;

struct Setup {
    Setup() { orvel::formdef::populate(store); }
    // An edit as the user makes it: one cell's text changes.
    void edit(int i) { store.setText("e20", i % 2 == 0 ? "21" : "19"); }
    ControlStore store;
    orvel::FormState state;
    orvel::Activity activity;
};

void BM_ReadCellsBaseline(benchmark::State& s) {
    Setup setup;
    int i = 0;
    for (auto _ : s) {
        setup.edit(i++);
        benchmark::DoNotOptimize(orvel::mapview::readCells(setup.store, Map::Ignition));
    }
}
BENCHMARK(BM_ReadCellsBaseline);

void BM_SurfaceDataUpdate(benchmark::State& s) {
    Setup setup;
    QSurfaceDataProxy proxy;
    int i = 0;
    for (auto _ : s) {
        setup.edit(i++);
        orvel::app::fillSurface(proxy, orvel::mapview::readCells(setup.store, Map::Ignition));
    }
}
BENCHMARK(BM_SurfaceDataUpdate);

// Every cell changes at once (a whole-map tool, a file loaded): 72 items set.
void BM_SurfaceDataWholeMap(benchmark::State& s) {
    Setup setup;
    const auto low = orvel::mapview::readCells(setup.store, Map::Ignition);
    auto high = low;
    for (auto& cell : high) {
        cell = *cell + 1;
    }
    QSurfaceDataProxy proxy;
    int i = 0;
    for (auto _ : s) {
        orvel::app::fillSurface(proxy, i++ % 2 == 0 ? high : low);
    }
}
BENCHMARK(BM_SurfaceDataWholeMap);

void BM_ViewRefreshAfterEdit(benchmark::State& s) {
    Setup setup;
    orvel::app::MapViewWindow view(setup.store, setup.state, setup.activity, Map::Ignition,
                                   nullptr);
    view.show();
    int i = 0;
    for (auto _ : s) {
        setup.edit(i++);
        view.refresh();
    }
    s.SetLabel(view.surface() != nullptr ? "grid and 3D surface" : "grid only (no OpenGL)");
}
BENCHMARK(BM_ViewRefreshAfterEdit);

// Counts the frames the surface's window draws: it draws while it handles an
// update request.
class FrameCounter : public QObject {
public:
    int frames = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest) {
            ++frames;
        }
        return QObject::eventFilter(watched, event);
    }
};

// One frame on the screen: the surface is asked to draw (by the edit, or with no
// edit by a plain request) and the event loop runs until it has.
void frame(benchmark::State& s, bool withEdit) {
    if (orvel::app::reasonWithout3d()) {
        s.SkipWithError("no OpenGL here: run under xvfb-run with QT_QPA_PLATFORM=xcb");
        return;
    }
    Setup setup;
    orvel::app::MapViewWindow view(setup.store, setup.state, setup.activity, Map::Ignition,
                                   nullptr);
    view.show();
    (void)QTest::qWaitForWindowExposed(&view);
    QTest::qWait(200);
    auto* surface = view.surface();
    FrameCounter counter;
    surface->installEventFilter(&counter);
    int i = 0;
    for (auto _ : s) {
        const int before = counter.frames;
        if (withEdit) {
            setup.edit(i++);
            view.refresh();
        } else {
            surface->requestUpdate();
        }
        while (counter.frames == before) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        // The request is handled in full (drawn and swapped) once processEvents returns.
        QCoreApplication::processEvents();
    }
}

void BM_FrameBaseline(benchmark::State& s) {
    frame(s, false);
}
BENCHMARK(BM_FrameBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameAfterEdit(benchmark::State& s) {
    frame(s, true);
}
BENCHMARK(BM_FrameAfterEdit)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
