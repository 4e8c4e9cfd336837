#pragma once

#include <map>
#include <QString>
#include <QTemporaryDir>
#include <utility>

namespace ortolan {
class TaskHandler;
class TaskTree;
} // namespace ortolan

namespace ortolan::bench {

// How the sample tasks hang together.
enum class Shape {
    // Every task has up to ten children, filled breadth first under the top node: many small
    // sections, a deep-ish tree.
    Balanced = 0,
    // Long lists of siblings: up to 10,000 tasks straight under the top node; beyond that, ten
    // groups under the top node with 10,000 tasks each.
    Section = 1,
};

const char* shapeName(Shape shape);

// Sample tasks are named "Item 123", "Pay 1,250 now" or in plain words; one in ten is a formula
// ("Total !!sum!!", one formula in twenty "Average !!avg!!"). Statuses, categories (some
// mentioning "Today"), descriptions, icons and due dates vary from task to task.
bool isSampleFormula(qint64 taskNumber);

// Fills an empty list (after prepareEmptyList) with `size` sample tasks in the given shape and
// returns the number of tasks added. For the section shape beyond 10,000 tasks the ten group
// tasks come on top of `size`.
qint64 buildSampleList(TaskTree& tree, TaskHandler& th, int size, Shape shape);

// A sample list written to a task-list file.
struct SampleFile {
    QString path;
    qint64 tasks = 0; // excluding the top node
    qint64 bytes = 0;
};

// Owns the temporary folder the benchmarks write into and the sample files in it; each file is
// built and written on first use. One store lives for the whole run.
class SampleStore {
public:
    SampleStore();
    ~SampleStore();
    SampleStore(const SampleStore&) = delete;
    SampleStore& operator=(const SampleStore&) = delete;

    static SampleStore& instance();

    bool isValid() const { return dir_.isValid(); }
    const SampleFile& file(int size, Shape shape);
    // A path in the temporary folder for files the benchmarks write themselves.
    QString scratchPath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    std::map<std::pair<int, int>, SampleFile> files_;
};

} // namespace ortolan::bench
