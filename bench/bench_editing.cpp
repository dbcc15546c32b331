// Block operations, undo and redo on a whole map of the real window (offscreen,
// shown, events handled after each so the widgets are repainted). Baseline in the
// same run: the 72 injection texts set straight into the store, with the same
// window update.
//
// Not a test: run it by hand and copy the figures (bench/README.md).

#include "app/main_window.h"
#include "app/map_context_menu.h"
#include "app/window_fixture.h" // the recording port
#include "core/manual_clock.h"
#include "model/config.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

using orvel::app::MapKind;

class QuietDialogs : public orvel::Dialogs {
public:
    void message(const std::string& text) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
    }
    void error(const std::string& text) override { message(text); }
    std::optional<std::string> saveFileName(const orvel::FileDialogOptions&) override { return {}; }
    std::optional<std::string> openFileName(const orvel::FileDialogOptions&) override { return {}; }
};

struct Window {
    Window() {
        window = std::make_unique<orvel::app::MainWindow>(link, link, clock, dialogs);
        window->show();
        QApplication::processEvents();
        auto& sel = window->editing().selection(MapKind::Injection);
        sel.select(0, orvel::config::kMapCells - 1);
        window->editing().askNumber = [this](const QString&, const QString&) { return answer; };
    }
    orvel::Form& form() { return window->form(); }

    orvel::test::WindowLink link;
    orvel::ManualClock clock;
    QuietDialogs dialogs;
    std::unique_ptr<orvel::app::MainWindow> window;
    std::optional<QString> answer;
};

// One window for the whole run: building it is not what is timed.
Window* theWindow = nullptr;

Window& rig() {
    return *theWindow;
}

void settle() {
    QApplication::processEvents();
}

void BM_SetTextsBaseline(benchmark::State& state) {
    auto& w = rig();
    bool high = false;
    for (auto _ : state) {
        high = !high;
        for (int n = 0; n < orvel::config::kMapCells; ++n) {
            w.form().controls.setText(orvel::config::injectionKey(n), high ? "6,0" : "5,0");
        }
        settle();
    }
}
BENCHMARK(BM_SetTextsBaseline)->Unit(benchmark::kMicrosecond);

// One operation on the whole injection map followed by its undo; each operation
// must make a step, or the pair would time nothing.
void runPair(benchmark::State& state, const std::function<void(orvel::app::MapEditing&)>& op) {
    auto& w = rig();
    auto& stack = w.form().history.stack();
    for (auto _ : state) {
        const int before = stack.index();
        op(w.window->editing());
        settle();
        if (stack.index() != before + 1) {
            state.SkipWithError("the operation made no step");
            break;
        }
        w.form().undo();
        settle();
    }
}

void BM_SetValueAndUndo(benchmark::State& state) {
    rig().answer = QStringLiteral("7,5");
    runPair(state, [](auto& e) { e.setValue(MapKind::Injection); });
}
BENCHMARK(BM_SetValueAndUndo)->Unit(benchmark::kMicrosecond);

void BM_AddAndUndo(benchmark::State& state) {
    rig().answer = QStringLiteral("0,5");
    runPair(state, [](auto& e) { e.addValue(MapKind::Injection); });
}
BENCHMARK(BM_AddAndUndo)->Unit(benchmark::kMicrosecond);

void BM_ScaleAndUndo(benchmark::State& state) {
    rig().answer = QStringLiteral("110");
    runPair(state, [](auto& e) { e.scaleByPercent(MapKind::Injection); });
}
BENCHMARK(BM_ScaleAndUndo)->Unit(benchmark::kMicrosecond);

void BM_InterpolateAndUndo(benchmark::State& state) {
    runPair(state, [](auto& e) { e.interpolate(MapKind::Injection); });
}
BENCHMARK(BM_InterpolateAndUndo)->Unit(benchmark::kMicrosecond);

void BM_SmoothAndUndo(benchmark::State& state) {
    runPair(state, [](auto& e) { e.smooth(MapKind::Injection); });
}
BENCHMARK(BM_SmoothAndUndo)->Unit(benchmark::kMicrosecond);

void BM_PasteAndUndo(benchmark::State& state) {
    auto& w = rig();
    w.window->editing().copy(MapKind::Injection);
    w.answer = QStringLiteral("7,5");
    w.window->editing().setValue(MapKind::Injection); // so that the paste changes every cell
    runPair(state, [](auto& e) { e.paste(MapKind::Injection); });
    w.form().undo();
}
BENCHMARK(BM_PasteAndUndo)->Unit(benchmark::kMicrosecond);

void BM_Copy(benchmark::State& state) {
    auto& w = rig();
    for (auto _ : state) {
        w.window->editing().copy(MapKind::Injection);
    }
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMicrosecond);

// One undo or redo per iteration, in turn; tells whether the next would be an undo.
bool undoAndRedoInTurn(benchmark::State& state, Window& w) {
    bool undo = true;
    for (auto _ : state) {
        undo ? w.form().undo() : w.form().redo();
        undo = !undo;
        settle();
    }
    return undo;
}

// Undo and redo in turn of one step that changed all 72 cells; one of them per iteration.
void BM_UndoOrRedoWholeMap(benchmark::State& state) {
    auto& w = rig();
    w.answer = QStringLiteral("9");
    w.window->editing().setValue(MapKind::Injection);
    const bool undo = undoAndRedoInTurn(state, w);
    if (!undo) {
        w.form().redo();
    }
    w.form().undo();
}
BENCHMARK(BM_UndoOrRedoWholeMap)->Unit(benchmark::kMicrosecond);

// The same with 200 whole-map steps on the stack.
void BM_UndoOrRedoWithAFullHistory(benchmark::State& state) {
    auto& w = rig();
    for (int i = 0; i < 200; ++i) {
        w.answer = QString::number(i % 2 == 0 ? 7 : 8);
        w.window->editing().setValue(MapKind::Injection);
    }
    (void)undoAndRedoInTurn(state, w);
}
BENCHMARK(BM_UndoOrRedoWithAFullHistory)->Unit(benchmark::kMicrosecond);

// What the undo history adds to every event (a scanner frame, a timer tick): the
// comparison of the configuration with the last step's when nothing changed.
void BM_EventWithNothingChanged(benchmark::State& state) {
    auto& form = rig().form();
    for (auto _ : state) {
        form.dispatch([] {});
    }
}
BENCHMARK(BM_EventWithNothingChanged);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto window = std::make_unique<Window>();
    theWindow = window.get();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
