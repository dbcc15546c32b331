// Block operations, undo and redo on a whole map of the real window, with the maps
// page in view: after each operation the pending events are handled once, which
// repaints what it changed, and the paints are counted so that a figure without
// its repaint is refused. Baselines in the same run: the 72 cells repainted with
// no change, the 72 injection texts set straight into the store and repainted, and
// 72 plain line edits of the toolkit repainted in a window of their own.
//
// Offscreen by default; under xvfb-run with QT_QPA_PLATFORM=xcb the X server's
// part of the drawing shows in the wall time. Not a test: run it by hand and copy
// the figures (bench/README.md).

#include "app/main_window.h"
#include "app/map_context_menu.h"
#include "app/window_fixture.h" // the recording port
#include "core/manual_clock.h"
#include "model/config.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

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

// Counts paint events: of the injection cells, and of any other widget.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const auto* edit = qobject_cast<QLineEdit*>(watched);
            const bool cell = edit != nullptr && edit->objectName().endsWith(QLatin1Char('i')) &&
                              edit->objectName().size() <= 4;
            ++(cell ? cells : others);
        }
        return false;
    }
    int cells = 0;
    int others = 0;
};

struct Window {
    Window() {
        window = std::make_unique<orvel::app::MainWindow>(link, link, clock, dialogs);
        window->show();
        // The window opens on the settings page: the maps must be in view to be painted.
        qobject_cast<QTabWidget*>(window->control(QStringLiteral("Mapas")))->setCurrentIndex(0);
        for (int i = 0; i < 10; ++i) {
            QApplication::processEvents();
        }
        auto& sel = window->editing().selection(MapKind::Injection);
        sel.select(0, orvel::config::kMapCells - 1);
        window->editing().askNumber = [this](const QString&, const QString&) { return answer; };
        QApplication::processEvents();
        qApp->installEventFilter(&paints);
    }
    orvel::Form& form() { return window->form(); }

    orvel::test::WindowLink link;
    orvel::ManualClock clock;
    QuietDialogs dialogs;
    std::unique_ptr<orvel::app::MainWindow> window;
    std::optional<QString> answer;
    PaintCounter paints;
};

// One window for the whole run: building it is not what is timed.
Window* theWindow = nullptr;

Window& rig() {
    return *theWindow;
}

// Handles the pending events once, as the event loop does after an input event: the
// changed cells are painted and the window's image flushed to the screen.
void settle() {
    QApplication::processEvents();
}

// Reports the cells and other widgets painted per iteration; an iteration that
// painted no cell did not measure the repaint, and fails the run.
class PaintReport {
public:
    explicit PaintReport(benchmark::State& state) : state_(state) {
        rig().paints.cells = 0;
        rig().paints.others = 0;
    }
    ~PaintReport() {
        const auto n = static_cast<double>(state_.iterations());
        if (n > 0 && rig().paints.cells == 0) {
            state_.SkipWithError("no cell was repainted");
        }
        state_.counters["cells_painted"] = n > 0 ? rig().paints.cells / n : 0;
        state_.counters["others_painted"] = n > 0 ? rig().paints.others / n : 0;
    }
    PaintReport(const PaintReport&) = delete;
    PaintReport& operator=(const PaintReport&) = delete;

private:
    benchmark::State& state_;
};

// 72 plain line edits in a window of their own, of the cells' size, their texts
// changed and repainted: what the toolkit's repaint costs on this machine, apart
// from this program's code.
void BM_PlainEditsBaseline(benchmark::State& state) {
    QWidget grid;
    std::vector<QLineEdit*> edits;
    for (int n = 0; n < orvel::config::kMapCells; ++n) {
        auto* edit = new QLineEdit(&grid);
        edit->setGeometry(n % orvel::config::kMapColumns * 40, n / orvel::config::kMapColumns * 21,
                          38, 19);
        edits.push_back(edit);
    }
    grid.show();
    settle();
    bool high = false;
    for (auto _ : state) {
        high = !high;
        for (QLineEdit* edit : edits) {
            edit->setText(high ? QStringLiteral("6,0") : QStringLiteral("5,0"));
        }
        settle();
    }
}
BENCHMARK(BM_PlainEditsBaseline)->Unit(benchmark::kMicrosecond);

void BM_RepaintCellsBaseline(benchmark::State& state) {
    auto& w = rig();
    const PaintReport report(state);
    for (auto _ : state) {
        for (int n = 0; n < orvel::config::kMapCells; ++n) {
            w.window->control(QString::fromStdString(orvel::config::injectionKey(n)))->update();
        }
        settle();
    }
}
BENCHMARK(BM_RepaintCellsBaseline)->Unit(benchmark::kMicrosecond);

void BM_SetTextsBaseline(benchmark::State& state) {
    auto& w = rig();
    const PaintReport report(state);
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

// One operation on the whole injection map, or its undo, in turn: one of them and
// its repaint per iteration. Each operation must make a step, or it would time nothing.
void runInTurn(benchmark::State& state, const std::function<void(orvel::app::MapEditing&)>& op) {
    auto& w = rig();
    auto& stack = w.form().history.stack();
    auto report = std::make_unique<PaintReport>(state);
    bool undo = false;
    for (auto _ : state) {
        if (undo) {
            w.form().undo();
        } else {
            const int before = stack.index();
            op(w.window->editing());
            if (stack.index() != before + 1) {
                state.SkipWithError("the operation made no step");
                break;
            }
        }
        settle();
        undo = !undo;
    }
    report.reset(); // the clean-up below is not timed
    if (undo) {
        w.form().undo();
        settle();
    }
}

void BM_SetValueOrUndo(benchmark::State& state) {
    rig().answer = QStringLiteral("7,5");
    runInTurn(state, [](auto& e) { e.setValue(MapKind::Injection); });
}
BENCHMARK(BM_SetValueOrUndo)->Unit(benchmark::kMicrosecond);

void BM_AddOrUndo(benchmark::State& state) {
    rig().answer = QStringLiteral("0,5");
    runInTurn(state, [](auto& e) { e.addValue(MapKind::Injection); });
}
BENCHMARK(BM_AddOrUndo)->Unit(benchmark::kMicrosecond);

void BM_ScaleOrUndo(benchmark::State& state) {
    rig().answer = QStringLiteral("110");
    runInTurn(state, [](auto& e) { e.scaleByPercent(MapKind::Injection); });
}
BENCHMARK(BM_ScaleOrUndo)->Unit(benchmark::kMicrosecond);

void BM_InterpolateOrUndo(benchmark::State& state) {
    runInTurn(state, [](auto& e) { e.interpolate(MapKind::Injection); });
}
BENCHMARK(BM_InterpolateOrUndo)->Unit(benchmark::kMicrosecond);

void BM_SmoothOrUndo(benchmark::State& state) {
    runInTurn(state, [](auto& e) { e.smooth(MapKind::Injection); });
}
BENCHMARK(BM_SmoothOrUndo)->Unit(benchmark::kMicrosecond);

void BM_PasteOrUndo(benchmark::State& state) {
    auto& w = rig();
    w.window->editing().copy(MapKind::Injection);
    w.answer = QStringLiteral("7,5");
    w.window->editing().setValue(MapKind::Injection); // so that the paste changes every cell
    settle();
    runInTurn(state, [](auto& e) { e.paste(MapKind::Injection); });
    w.form().undo();
    settle();
}
BENCHMARK(BM_PasteOrUndo)->Unit(benchmark::kMicrosecond);

void BM_Copy(benchmark::State& state) {
    auto& w = rig();
    for (auto _ : state) {
        w.window->editing().copy(MapKind::Injection);
    }
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMicrosecond);

// Undo and redo in turn of one step that changed all 72 cells, with 200 such steps
// on the stack; one of them and its repaint per iteration.
void BM_UndoOrRedoWithAFullHistory(benchmark::State& state) {
    auto& w = rig();
    for (int i = 0; i < 200; ++i) {
        w.answer = QString::number(i % 2 == 0 ? 7 : 8);
        w.window->editing().setValue(MapKind::Injection);
    }
    settle();
    const PaintReport report(state);
    bool undo = true;
    for (auto _ : state) {
        undo ? w.form().undo() : w.form().redo();
        undo = !undo;
        settle();
    }
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    auto window = std::make_unique<Window>();
    theWindow = window.get();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
