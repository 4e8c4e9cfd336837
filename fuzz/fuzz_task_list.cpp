// Arbitrary bytes as a task-list file. A list that reads is written back and read again: the
// second reading must give the same tasks, in the same places, with the same names.
#include "file/XMLManager.h"
#include "model/Prompt.h"
#include "model/Task.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace ortolan;

namespace {

// Says Yes to reading a newer format, so the fuzzer gets past the version check.
class AlwaysYes : public Prompt {
public:
    PromptAnswer ask(const PromptMessage&) override { return PromptAnswer::Yes; }
};

struct List {
    TaskTree tree;
    TaskHandler th;
    XMLManager xml{tree};
    AlwaysYes yes;

    LoadResult load(const QByteArray& bytes) {
        prepareEmptyList(tree, th);
        xml.setPrompt(&yes);
        LoadResult r = xml.loadFromBytes(bytes, th);
        if (r.ok)
            tree.Item(kRootID)->setText(th.getTask(kRootID)->TaskName);
        return r;
    }
};

// What the writer keeps of a list: each saved task's name and depth, in file order.
struct Entry {
    QString name;
    int depth;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> savedTasks(const List& list) {
    static const QString notSaved = QStringLiteral("[NOT SAVED]");
    std::vector<Entry> out;
    struct Frame {
        const TreeNode* node;
        int depth;
    };
    std::vector<Frame> stack;
    const TreeNode* top = list.tree.Item(kRootID);
    for (int r = top->Children() - 1; r >= 0; --r)
        stack.push_back({top->childAt(r), 1});
    while (!stack.empty()) {
        const Frame f = stack.back();
        stack.pop_back();
        const Task* task = list.th.taskOf(f.node);
        const QString name = task ? task->TaskName : QString();
        if (name.contains(notSaved))
            continue; // left out with everything below it
        out.push_back({name, f.depth});
        for (int r = f.node->Children() - 1; r >= 0; --r)
            stack.push_back({f.node->childAt(r), f.depth + 1});
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    List first;
    if (!first.load(bytes).ok)
        return 0;
    const std::vector<Entry> before = savedTasks(first);
    const QString title = first.tree.Item(kRootID)->Text();

    List second;
    if (!second.load(first.xml.fileContents()).ok)
        __builtin_trap();
    const std::vector<Entry> after = savedTasks(second);
    if (int(after.size()) != second.th.getTaskCount() || after != before || second.tree.Item(kRootID)->Text() != title)
        __builtin_trap();
    return 0;
}
