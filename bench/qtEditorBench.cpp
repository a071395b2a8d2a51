// The desktop tune editor's "edit to its repaint": a piano key pressed in the
// step table's note column, through the core's edit, to the table painted
// again (the events processed until the paint has gone through), with Ode to
// Joy loaded and the editor beside the board. "frame%" is the share of a
// 16 ms frame. Run with QT_QPA_PLATFORM=offscreen or on a display.
#include "host/qt/mainWindow.h"
#include "host/qt/silentSound.h"
#include "host/qt/tuneEditorPanel.h"
#include "host/qt/tuneTableView.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using namespace korvel;
using korvel::qt::MainWindow;

using Clock = std::chrono::steady_clock;
constexpr double frameSeconds = 0.016;

// Counts the table's paints, so each edit is timed to its own.
class PaintCount final : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

void send(QWidget& widget, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &release);
}

void desktopEditToRepaint(benchmark::State& state) {
    qt::SilentSound sound;
    MainWindow window(sound);
    window.setUnsavedAsker([] { return MainWindow::UnsavedChoice::Discard; });
    window.loadFile(QStringLiteral(KORVEL_EXAMPLES_DIR "/ode-to-joy.dat"));
    window.show();
    window.showTuneEditor(true);
    while (!window.windowHandle()->isExposed()) QApplication::processEvents();
    qt::TuneTableView& table = window.tuneEditor().table();
    PaintCount count;
    table.viewport()->installEventFilter(&count);
    send(table, Qt::Key_Right, {}); // the note column
    QApplication::processEvents();
    bool upper = false;
    double total = 0;
    for (auto _ : state) {
        const int before = count.paints;
        const auto start = Clock::now();
        // A note written (the cursor moves on) to its repaint; then the cursor back, untimed.
        send(table, upper ? Qt::Key_Q : Qt::Key_Z, upper ? "q" : "z");
        while (count.paints == before) QApplication::processEvents();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        send(table, Qt::Key_Up, {});
        QApplication::processEvents();
        upper = !upper;
    }
    state.counters["frame%"] = 100 * total / double(state.iterations()) / frameSeconds;
}
BENCHMARK(desktopEditToRepaint)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
