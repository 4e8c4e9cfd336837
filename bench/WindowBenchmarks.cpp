// The main window on huge lists, offscreen: opening a file named on the command line until the
// tree is shown, the "Today" view and back, the list view, finishing a label edit (which
// recalculates every formula) and Move Up of the last of a long run of siblings. The open
// benchmark also reports the process's peak memory.
//
// Arguments: the number of tasks and the shape (0 balanced, 1 section; see SampleLists.h).
// Run with `make bench-window` or ./build/bench/ortolan-window-bench.

#include "ProcessMemory.h"
#include "SampleLists.h"

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "document/TaskDocument.h"
#include "model/TaskTree.h"
#include "settings/DataFolder.h"
#include "settings/OTLFunctions.h"
#include "views/FindBar.h"
#include "views/TaskTreeView.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QTabWidget>
#include <QTextEdit>
#include <QTemporaryDir>

using namespace ortolan;
using namespace ortolan::bench;

namespace {

Shape shapeArg(const benchmark::State& state) {
    return Shape(state.range(1));
}

// A window started on the sample file, the way the program starts with a file on its command
// line, and drawn once.
std::unique_ptr<Ortolan> openWindow(const SampleFile& file) {
    auto window = std::make_unique<Ortolan>(QStringList{file.path});
    window->setSlowMotionPause(0);
    window->show();
    window->startUp();
    QApplication::processEvents();
    return window;
}

// Closes a window outside the timing.
void closeUntimed(benchmark::State& state, std::unique_ptr<Ortolan>& window) {
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
}

// One open window per sample, kept for the whole run: opening 100,000 tasks is itself slow.
Ortolan* sharedWindow(benchmark::State& state) {
    static std::map<std::pair<int, int>, std::unique_ptr<Ortolan>> windows;
    const auto key = std::make_pair(int(state.range(0)), int(state.range(1)));
    auto& window = windows[key];
    const SampleFile& file = SampleStore::instance().file(key.first, Shape(key.second));
    if (!window)
        window = openWindow(file);
    state.SetLabel(shapeName(shapeArg(state)));
    state.counters["tasks"] = double(file.tasks);
    if (window->tree().Count() != file.tasks + 1) {
        state.SkipWithError("the window did not open the whole list");
        return nullptr;
    }
    return window.get();
}

void BM_WindowOpen(benchmark::State& state) {
    const SampleFile& file = SampleStore::instance().file(int(state.range(0)), shapeArg(state));
    state.SetLabel(shapeName(shapeArg(state)));
    resetPeakResident();
    for (auto _ : state) {
        auto window = openWindow(file);
        if (window->tree().Count() != file.tasks + 1)
            state.SkipWithError("the window did not open the whole list");
        closeUntimed(state, window);
    }
    state.counters["tasks"] = double(file.tasks);
    state.counters["peak_MiB"] = double(peakResidentBytes()) / (1024.0 * 1024.0);
}

void showTab(Ortolan& window, const QString& caption);

// A whole session on one window: open, "Today" and back, the list and back, a rename, a move.
// Reports the process's peak memory over it; runs before any other window is kept open.
void BM_Session(benchmark::State& state) {
    const SampleFile& file = SampleStore::instance().file(int(state.range(0)), shapeArg(state));
    state.SetLabel(shapeName(shapeArg(state)));
    resetPeakResident();
    for (auto _ : state) {
        auto window = openWindow(file);
        showTab(*window, QStringLiteral("Today"));
        showTab(*window, QStringLiteral("Main"));
        window->ViewAsList_Click();
        QApplication::processEvents();
        window->ViewAsList_Click();
        TreeNode* node = window->tree().Item(window->tree().Count());
        window->tree().setSelectedItem(node);
        window->Tree_AfterLabelEdit(node, QStringLiteral("Renamed 5"));
        window->MENU_MoveUp_Click();
        QApplication::processEvents();
        closeUntimed(state, window);
    }
    state.counters["tasks"] = double(file.tasks);
    state.counters["peak_MiB"] = double(peakResidentBytes()) / (1024.0 * 1024.0);
}

void showTab(Ortolan& window, const QString& caption) {
    for (int i = 0; i < window.TabStrip->count(); ++i)
        if (window.TabStrip->tabText(i) == caption)
            window.TabStrip->setCurrentIndex(i); // the tab strip's change runs TabStrip_Click
    QApplication::processEvents();
}

void BM_TodayView(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    for (auto _ : state) {
        showTab(*window, QStringLiteral("Today"));
        state.PauseTiming();
        showTab(*window, QStringLiteral("Main"));
        state.ResumeTiming();
    }
}

void BM_MainViewAfterToday(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        showTab(*window, QStringLiteral("Today"));
        state.ResumeTiming();
        showTab(*window, QStringLiteral("Main"));
    }
}

void BM_ListView(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    for (auto _ : state) {
        window->ViewAsList_Click(); // shows the list
        QApplication::processEvents();
        state.PauseTiming();
        window->ViewAsList_Click(); // back to the tree
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_FinishLabelEdit(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    // A task in the middle of the list, renamed back and forth between two numbers.
    TreeNode* node = window->tree().Item(window->tree().Count() / 2);
    window->tree().setSelectedItem(node);
    int round = 0;
    for (auto _ : state) {
        window->Tree_AfterLabelEdit(node, QStringLiteral("Renamed %1").arg(round++ % 2 ? 7 : 8));
        QApplication::processEvents();
    }
}

void BM_MoveUpLastSibling(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    // The longest run of siblings: under the top node, or under its first group.
    TreeNode* parent = window->tree().Item(1);
    if (parent->Children() < 1000 && parent->Child())
        parent = parent->Child();
    TreeNode* last = parent->Child();
    while (last && last->Next())
        last = last->Next();
    state.counters["siblings"] = double(parent->Children());
    for (auto _ : state) {
        window->tree().setSelectedItem(last);
        window->MENU_MoveUp_Click();
        QApplication::processEvents();
    }
}

// Importing the to-dos of a calendar file under a new task of a new list, calendar read included.
void BM_ImportCalendarTasks(benchmark::State& state) {
    const int count = int(state.range(0));
    const QString path = SampleStore::instance().scratchPath(QStringLiteral("todos-%1.ics").arg(count));
    QFile file(path);
    if (!file.exists()) {
        QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
        for (int i = 0; i < count; ++i)
            text += "BEGIN:VTODO\r\nUID:t" + QByteArray::number(i) + "\r\nSUMMARY:To-do number " +
                    QByteArray::number(i) + "\r\nEND:VTODO\r\n";
        text += "END:VCALENDAR\r\n";
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
            state.SkipWithError("could not write the calendar file");
            return;
        }
        file.close();
    }
    writeSetting(QStringLiteral("outlookSource"), path);
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Ortolan>(QStringList{});
        window->setSlowMotionPause(0);
        window->show();
        window->startUp();
        QApplication::processEvents();
        state.ResumeTiming();
        window->action(QStringLiteral("MENU_OutlookTasks"))->trigger();
        QApplication::processEvents();
        if (window->tree().Count() != count + 2)
            state.SkipWithError("the import did not bring in every to-do");
        closeUntimed(state, window);
    }
    state.counters["todos"] = double(count);
}

// A task renamed through the label edit, with its step in the history (which recalculates
// every formula), then the step undone and redone; and what 1,000 steps cost in memory.
TreeNode* someLeaf(Ortolan* window) {
    TreeNode* node = window->tree().Item(window->tree().Count() / 2);
    while (node && node->Child())
        node = node->Child();
    return node;
}

void BM_EditWithUndoStep(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    TreeNode* node = someLeaf(window);
    int n = 0;
    for (auto _ : state) {
        window->Tree_AfterLabelEdit(node, QStringLiteral("Renamed %1").arg(++n));
        QApplication::processEvents();
    }
    window->document().history().clear();
}

void BM_UndoRedo(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    TreeNode* node = someLeaf(window);
    window->Tree_AfterLabelEdit(node, QStringLiteral("Renamed once"));
    for (auto _ : state) {
        window->document().history().undo();
        window->document().history().redo();
        QApplication::processEvents();
    }
    state.counters["steps"] = 2; // each iteration is an undo and a redo
    window->document().history().clear();
}

// Cut of the first top-level task with everything below it (a section of 10,000 tasks in the
// section shape), then the cut undone and redone.
void BM_UndoRedoCutOfABranch(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    TreeNode* branch = window->tree().Item(1)->Child();
    int size = 0;
    for (int i = 1; i <= window->tree().Count(); ++i)
        size += branch->isAncestorOf(window->tree().Item(i)) ? 1 : 0;
    window->tree().setSelectedItem(branch);
    window->MENU_Cut_Click();
    for (auto _ : state) {
        window->document().history().undo();
        window->document().history().redo();
        QApplication::processEvents();
    }
    window->document().history().undo();
    window->document().history().clear();
    state.counters["branch_tasks"] = size + 1;
}

void BM_ThousandUndoSteps(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    TreeNode* node = someLeaf(window);
    for (auto _ : state) {
        window->document().history().clear();
        resetPeakResident();
        const long long before = residentBytes();
        // typing in a description is the cheapest step to make many of: each visit is a step
        for (int i = 0; i < 1000; ++i) {
            window->document().tree().setSelectedItem(i % 2 ? node : node->Parent());
            window->DescText->setPlainText(QStringLiteral("Step %1").arg(i));
        }
        state.counters["history_steps"] = window->document().history().count();
        state.counters["MB_for_1000_steps"] = double(residentBytes() - before) / 1e6;
    }
    window->document().history().clear();
}

// A key typed into the find bar, as the keyboard sends it, and the tree laid out and drawn.
void typeIntoFindBar(Ortolan& window, Qt::Key key, const QString& text) {
    QLineEdit* box = window.findBar()->textBox();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &release);
    QApplication::processEvents();
}

// One keystroke in the find bar: "item 12" typed a key at a time, then taken back a key at a
// time, so the filter narrows and widens in turn. The texts of the tasks are folded already.
void BM_FindKeystroke(benchmark::State& state) {
    Ortolan* window = sharedWindow(state);
    if (!window)
        return;
    window->MENU_Find();
    const QString word = QStringLiteral("item 12");
    int step = 0;
    for (auto _ : state) {
        const int at = step++ % (2 * int(word.size()));
        if (at < word.size())
            typeIntoFindBar(*window, Qt::Key(word[at].toUpper().unicode()), word.mid(at, 1));
        else
            typeIntoFindBar(*window, Qt::Key_Backspace, QString());
    }
    window->closeFind();
    QApplication::processEvents();
}

// Opening the find bar the first time after a list opens, when every task's text is folded,
// and the first keystroke after that.
void BM_FindFirstOpen(benchmark::State& state) {
    const SampleFile& file = SampleStore::instance().file(int(state.range(0)), shapeArg(state));
    state.SetLabel(shapeName(shapeArg(state)));
    double firstKey = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = openWindow(file);
        state.ResumeTiming();
        window->MENU_Find();
        QApplication::processEvents();
        state.PauseTiming();
        QElapsedTimer key;
        key.start();
        typeIntoFindBar(*window, Qt::Key_I, QStringLiteral("i"));
        firstKey += double(key.nsecsElapsed()) / 1e6;
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["first_key_ms"] = firstKey / double(state.iterations());
}

void windowSizes(benchmark::internal::Benchmark* b) {
    for (int size : {10000, 100000})
        for (int shape : {0, 1})
            b->Args({size, shape});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_WindowOpen)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_Session)->Apply(windowSizes)->Iterations(1);
BENCHMARK(BM_TodayView)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_MainViewAfterToday)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_ListView)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_FinishLabelEdit)->Apply(windowSizes)->Iterations(10);
BENCHMARK(BM_EditWithUndoStep)->Apply(windowSizes)->Iterations(10);
BENCHMARK(BM_UndoRedo)->Apply(windowSizes)->Iterations(10);
BENCHMARK(BM_UndoRedoCutOfABranch)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_FindKeystroke)->Apply(windowSizes)->Iterations(28);
BENCHMARK(BM_FindFirstOpen)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ThousandUndoSteps)->Args({100000, 0})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ImportCalendarTasks)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_MoveUpLastSibling)->Args({10000, 1})->Args({100000, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale::c());
    QApplication app(argc, argv);

    // A data folder of the run's own, with sounds and slow motion off and nothing opened at start.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    initSettingsFile();
    prepareDataFolder();
    writeSetting(QStringLiteral("autoLoad"), QStringLiteral("NEVER"));
    writeSetting(QStringLiteral("SoundIsOn"), QStringLiteral("OFF"));
    writeSetting(QStringLiteral("doSlowMoEffects"), false);
    Dialogs::setTestMode(true); // no message box may wait for a click

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    SampleStore store;
    if (!store.isValid()) {
        std::fprintf(stderr, "ortolan-window-bench: could not create a temporary folder\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
