// Whole-list operations on lists of 1,000 to 100,000 tasks, in two shapes (see SampleLists.h):
// reading a task-list file, writing it, recalculating the formulas and colouring the tree, plus
// the peak memory a read needs.
//
// Every benchmark takes two arguments, the number of tasks and the shape (0 balanced,
// 1 section); the label names the shape.

#include "ProcessMemory.h"
#include "SampleLists.h"
#include "exchange/ListExport.h"
#include "exchange/ListImport.h"
#include "document/ListEdits.h"
#include "document/TaskDocument.h"

#include "cli/TaskListJson.h"
#include "file/TaskListWriter.h"
#include "file/XMLManager.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"
#include "outlook/CalendarSource.h"
#include "views/Colouring.h"
#include "views/Formulas.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <QFileInfo>
#include <QLocale>

using namespace ortolan;
using namespace ortolan::bench;

namespace {

// One open document, as the program keeps it.
struct OpenList {
    TaskTree tree;
    TaskHandler th;
    XMLManager xml{tree};
};

int sizeArg(const benchmark::State& state) {
    return int(state.range(0));
}
Shape shapeArg(const benchmark::State& state) {
    return Shape(state.range(1));
}

void describe(benchmark::State& state, const SampleFile& file) {
    state.SetLabel(shapeName(shapeArg(state)));
    state.counters["tasks"] = double(file.tasks);
}

// The sample file for the benchmark's size and shape, named in its output.
const SampleFile& sampleFor(benchmark::State& state) {
    const SampleFile& file = SampleStore::instance().file(sizeArg(state), shapeArg(state));
    describe(state, file);
    return file;
}

// Reads the sample file into a fresh list outside any timing. Null (and the benchmark marked as
// failed) when the file does not read back whole.
std::unique_ptr<OpenList> openSample(benchmark::State& state, const SampleFile& file) {
    auto list = std::make_unique<OpenList>();
    const LoadResult r = loadTaskList(list->xml, file.path, list->tree, list->th);
    if (!r.ok || r.skippedValues != 0 || list->tree.Count() != file.tasks + 1) {
        state.SkipWithError("the sample file did not read back whole");
        return nullptr;
    }
    return list;
}

void BM_Load(benchmark::State& state) {
    const SampleFile& file = sampleFor(state);
    // One read before timing, so that every timed read finds the heap grown as a program that
    // has had a list open finds it. BM_LoadPeakMemory's single read starts from memory handed
    // back to the system and shows the first read's extra cost (page faults).
    auto list = openSample(state, file);
    if (!list)
        return;
    for (auto _ : state) {
        // Throwing away the previous document and making the empty one are not part of a read.
        state.PauseTiming();
        list.reset();
        list = std::make_unique<OpenList>();
        state.ResumeTiming();

        const LoadResult r = loadTaskList(list->xml, file.path, list->tree, list->th);
        if (!r.ok || list->tree.Count() != file.tasks + 1 || list->th.getTaskCount() != file.tasks) {
            state.SkipWithError("the sample file did not read back whole");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * file.tasks);
    state.SetBytesProcessed(state.iterations() * file.bytes);
}

// The memory a read needs at its peak over what the process held before, per task: the file's
// bytes, the reader's tag index and the new tree and records together. A separate benchmark run
// once, so that the timed reads in BM_Load are not disturbed by the /proc bookkeeping. Its time
// is that of a read into fresh memory, like the first read after the program starts.
void BM_LoadPeakMemory(benchmark::State& state) {
    const SampleFile& file = sampleFor(state);
    double peakPerTask = -1;
    double retainedPerTask = -1;
    for (auto _ : state) {
        state.PauseTiming();
        // A first read settles what is made once per process (the date patterns, Qt's
        // internals), so that the figure is what each further list costs.
        {
            const auto warmUp = std::make_unique<OpenList>();
            loadTaskList(warmUp->xml, file.path, warmUp->tree, warmUp->th);
        }
        auto list = std::make_unique<OpenList>();
        // -1 reports that the kernel would not reset the peak (clear_refs not writable).
        const bool peakReset = resetPeakResident();
        const long long before = residentBytes();
        state.ResumeTiming();

        const LoadResult r = loadTaskList(list->xml, file.path, list->tree, list->th);

        state.PauseTiming();
        const long long peak = peakResidentBytes();
        const long long after = residentBytes();
        if (!r.ok || list->tree.Count() != file.tasks + 1) {
            state.SkipWithError("the sample file did not read back whole");
            state.ResumeTiming();
            break;
        }
        if (peakReset && before >= 0 && peak >= 0)
            peakPerTask = double(peak - before) / double(file.tasks);
        if (before >= 0 && after >= 0)
            retainedPerTask = double(after - before) / double(file.tasks);
        list.reset();
        state.ResumeTiming();
    }
    state.counters["peak_bytes_per_task"] = peakPerTask;
    state.counters["retained_bytes_per_task"] = retainedPerTask;
    state.counters["file_bytes_per_task"] = double(file.bytes) / double(file.tasks);
}

void BM_Save(benchmark::State& state) {
    SampleStore& store = SampleStore::instance();
    const SampleFile& file = store.file(sizeArg(state), shapeArg(state));
    describe(state, file);
    const auto list = openSample(state, file);
    if (!list)
        return;
    const QString path =
        store.scratchPath(QStringLiteral("saved-%1-%2.oxml").arg(shapeName(shapeArg(state))).arg(sizeArg(state)));
    for (auto _ : state) {
        const SaveResult r = list->xml.saveXMLfile(path);
        if (!r.ok) {
            state.SkipWithError(r.error.toLocal8Bit().constData());
            break;
        }
    }
    // What was written must be the whole list again: the same size as the file it came from.
    const qint64 written = QFileInfo(path).size();
    if (state.iterations() > 0 && written != file.bytes)
        state.SkipWithError("the saved file differs in size from the one read");
    state.SetItemsProcessed(state.iterations() * file.tasks);
    state.SetBytesProcessed(state.iterations() * written);
}

// The part of saving that builds the file's bytes, without the file system; the difference to
// BM_Save is the cost of writing, syncing and renaming the file.
void BM_SaveContents(benchmark::State& state) {
    const SampleFile& file = sampleFor(state);
    const auto list = openSample(state, file);
    if (!list)
        return;
    qint64 size = 0;
    // The writer's own work: every piece is counted and dropped, as a save hands it to the file.
    const TaskListWriter writer(list->tree, &list->th);
    for (auto _ : state) {
        size = 0;
        writer.write([&size](QByteArrayView piece) {
            size += piece.size();
            benchmark::DoNotOptimize(piece.data());
            return true;
        });
    }
    if (state.iterations() > 0 && size != file.bytes)
        state.SkipWithError("the contents differ in size from the file read");
    state.SetItemsProcessed(state.iterations() * file.tasks);
}

// The command-line tool's dump of the list as JSON, every piece counted and dropped: to set
// beside BM_SaveContents, what its resave writes.
void BM_DumpContents(benchmark::State& state) {
    const SampleFile& file = sampleFor(state);
    const auto list = openSample(state, file);
    if (!list)
        return;
    qint64 size = 0;
    for (auto _ : state) {
        size = 0;
        writeTaskListJson(list->tree, list->th, [&size](const QByteArray& piece) {
            size += piece.size();
            benchmark::DoNotOptimize(piece.data());
        });
    }
    state.counters["json_bytes_per_task"] = double(size) / double(file.tasks);
    state.SetItemsProcessed(state.iterations() * file.tasks);
}

// Hostile calendars: 25 MB with one summary of 20 MB (shape 0), and 50 MB of events with
// summaries of every length up to 2,000 bytes (shape 1). Time and the process's peak memory.
QByteArray hostileCalendar(int shape) {
    QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
    const QByteArray event = "BEGIN:VEVENT\r\nUID:e\r\nDTSTART:20261210T090000\r\nSUMMARY:";
    if (shape == 0) {
        text += event + QByteArray(20 * 1000 * 1000, 'x') + "\r\nEND:VEVENT\r\n";
        while (text.size() < 25 * 1000 * 1000)
            text += event + "Short one\r\nEND:VEVENT\r\n";
    } else {
        for (int i = 0; text.size() < 50 * 1000 * 1000; ++i)
            text += event + QByteArray((i * 7919) % 2000, 'y') + "\r\nEND:VEVENT\r\n";
    }
    return text + "END:VCALENDAR\r\n";
}

void BM_ParseHostileCalendar(benchmark::State& state) {
    const QByteArray text = hostileCalendar(int(state.range(0)));
    state.SetLabel(state.range(0) == 0 ? "one 20 MB summary" : "50 MB of events");
    const bool peakReset = resetPeakResident();
    const long long before = peakResidentBytes();
    qsizetype read = 0;
    for (auto _ : state) {
        const CalendarRead r = parseICalendar(text);
        read = r.items.appointments.size();
    }
    if (read == 0)
        state.SkipWithError("no appointment was read");
    state.counters["appointments"] = double(read);
    state.counters["calendar_MB"] = double(text.size()) / 1e6;
    if (peakReset && before >= 0)
        state.counters["peak_MB_above_text"] = double(peakResidentBytes() - before) / 1e6;
    state.counters["peak_MB"] = double(peakResidentBytes()) / 1e6;
}

// Export of the whole list into each format, to bytes (range(2): the format), and the import
// of those bytes back into tasks for the two formats that come back.
ExportFormat exchangeFormat(benchmark::State& state) {
    const auto format = ExportFormat(state.range(2));
    state.SetLabel(exportSuffix(format).toStdString() + ", " + shapeName(Shape(state.range(1))));
    return format;
}

void BM_Export(benchmark::State& state) {
    const SampleFile& file = sampleFor(state);
    const auto list = openSample(state, file);
    if (!list)
        return;
    const ExportFormat format = exchangeFormat(state);
    qsizetype size = 0;
    for (auto _ : state)
        size = exportList(list->tree, list->th, format).size();
    state.counters["MB"] = double(size) / 1e6;
    state.SetItemsProcessed(state.iterations() * file.tasks);
}

void BM_Import(benchmark::State& state) {
    const SampleFile& file = sampleFor(state);
    const auto list = openSample(state, file);
    if (!list)
        return;
    const ExportFormat format = exchangeFormat(state);
    const QByteArray bytes = exportList(list->tree, list->th, format);
    int added = 0;
    for (auto _ : state) {
        // Read, then put under the top task of an empty list as one step of its history.
        state.PauseTiming();
        auto document = std::make_unique<TaskDocument>();
        state.ResumeTiming();
        const ImportedTasks imported = importTasks(bytes);
        added = int(ListEdits(*document).insertTasks(kRootID, imported.tasks, QStringLiteral("Import")).size());
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    if (added != file.tasks)
        state.SkipWithError("the import did not give back every task");
    state.SetItemsProcessed(state.iterations() * file.tasks);
}

void exchangeSizes(benchmark::internal::Benchmark* b, std::initializer_list<ExportFormat> formats) {
    for (const ExportFormat format : formats)
        for (const Shape shape : {Shape::Balanced, Shape::Section})
            b->Args({100000, int(shape), int(format)});
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}

void BM_ReCalcTree(benchmark::State& state) {
    const SampleFile& file = sampleFor(state);
    const auto list = openSample(state, file);
    if (!list)
        return;
    for (auto _ : state)
        ReCalcTree(list->tree, list->th);

    // Every formula must show a value in place of its placeholder afterwards.
    qint64 formulas = 0;
    qint64 unresolved = 0;
    for (int i = 2; i <= list->tree.Count(); ++i) {
        const TreeNode* node = list->tree.Item(i);
        const Task* task = list->th.getTask(node->Key());
        if (!task || !hasFormula(task->TaskName))
            continue;
        ++formulas;
        unresolved += node->Text().contains(QLatin1String("!!"));
    }
    qint64 expected = 0;
    for (qint64 k = 1; k <= sizeArg(state); ++k)
        expected += isSampleFormula(k);
    if (formulas != expected || unresolved != 0)
        state.SkipWithError("formulas missing or left unresolved");
    state.counters["formulas"] = double(formulas);
    state.SetItemsProcessed(state.iterations() * file.tasks);
}

void BM_ColourTree(benchmark::State& state) {
    const SampleFile& file = sampleFor(state);
    const auto list = openSample(state, file);
    if (!list)
        return;
    for (auto _ : state)
        ColourTree(list->tree, list->th);

    // Grey for finished tasks, dark red for unfinished ones filed under today, black otherwise.
    qint64 wrong = 0;
    qint64 today = 0;
    for (int i = 2; i <= list->tree.Count(); ++i) {
        const TreeNode* node = list->tree.Item(i);
        const Task* task = list->th.getTask(node->Key());
        if (!task)
            continue;
        NodeColour want = 0x000000;
        if (task->Status == QLatin1String("COMPLETE")) {
            want = 0x808080;
        } else if (task->CategoryString.contains(QLatin1String("Today"))) {
            want = 0x800000;
            ++today;
        }
        wrong += node->ForeColor() != want || node->Bold();
    }
    if (wrong != 0 || today == 0)
        state.SkipWithError("nodes coloured wrongly");
    state.counters["today"] = double(today);
    state.SetItemsProcessed(state.iterations() * file.tasks);
}

void listSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"tasks", "shape"});
    for (const Shape shape : {Shape::Balanced, Shape::Section})
        for (const int size : {1000, 10000, 100000})
            b->Args({size, int(shape)});
    b->Unit(benchmark::kMillisecond);
}

// The least any pass over the whole tree costs: each node in index order, its record and the
// first character of its name, nothing else. Whole-tree passes grow with the list the way this
// does; where it grows faster than the list, the machine's caches are the reason, not the
// passes' algorithms.
void BM_VisitTree(benchmark::State& state) {
    const SampleFile& file = sampleFor(state);
    const auto list = openSample(state, file);
    if (!list)
        return;
    qint64 seen = 0;
    for (auto _ : state) {
        seen = 0;
        for (int i = 2; i <= list->tree.Count(); ++i) {
            const Task* task = list->th.taskOf(list->tree.Item(i));
            seen += task && !task->TaskName.isEmpty() ? task->TaskName.front().unicode() != 0 : 0;
        }
        benchmark::DoNotOptimize(seen);
    }
    if (seen == 0)
        state.SkipWithError("no task had a name");
    state.SetItemsProcessed(state.iterations() * file.tasks);
}

} // namespace

BENCHMARK(BM_LoadPeakMemory)->Apply(listSizes)->Iterations(1);
BENCHMARK(BM_Load)->Apply(listSizes)->UseRealTime();
BENCHMARK(BM_Save)->Apply(listSizes)->UseRealTime();
BENCHMARK(BM_SaveContents)->Apply(listSizes);
BENCHMARK(BM_DumpContents)->Apply(listSizes);
BENCHMARK(BM_ParseHostileCalendar)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReCalcTree)->Apply(listSizes);
BENCHMARK(BM_ColourTree)->Apply(listSizes);
BENCHMARK(BM_VisitTree)->Apply(listSizes);
BENCHMARK(BM_Export)->Apply([](benchmark::internal::Benchmark* b) {
    exchangeSizes(b, {ExportFormat::ICalendar, ExportFormat::Opml, ExportFormat::Markdown, ExportFormat::Csv});
});
BENCHMARK(BM_Import)->Apply([](benchmark::internal::Benchmark* b) {
    exchangeSizes(b, {ExportFormat::ICalendar, ExportFormat::Opml});
});

int main(int argc, char** argv) {
    // Numbers are formatted through the default locale: keep it the same on every machine.
    QLocale::setDefault(QLocale::c());

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    SampleStore store;
    if (!store.isValid()) {
        std::fprintf(stderr, "ortolan-bench: could not create a temporary folder\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
