#include "TaskFragment.h"

#include "file/TaskListWriter.h"
#include "file/ValueCodec.h"
#include "file/XMLManager.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"

#include <algorithm>
#include <QHash>

namespace ortolan {

namespace {


// Nodes below holder (holder excluded) in the order the writer lists them, each with the place
// of its parent in that order (-1 for holder's children). Any depth, without recursion.
template <typename Visit> void walkBelow(const TreeNode& holder, Visit visit) {
    struct Pending {
        const TreeNode* node;
        int parent;
    };
    std::vector<Pending> stack;
    for (int row = holder.Children() - 1; row >= 0; --row)
        stack.push_back({holder.childAt(row), -1});
    int visited = 0;
    while (!stack.empty()) {
        const Pending p = stack.back();
        stack.pop_back();
        visit(*p.node, p.parent);
        const int self = visited++;
        for (int row = p.node->Children() - 1; row >= 0; --row)
            stack.push_back({p.node->childAt(row), self});
    }
}

// Puts the names of "[NOT SAVED]" tasks back into the writer's output, where they stand empty.
// Only the writer leaves such tasks out; the reader takes them like any other. Every task has
// one <NAME> element, in the writer's order, and no value can hold the tag unescaped.
QByteArray restoreNames(const QByteArray& bytes, const QHash<int, QString>& names) {
    if (names.isEmpty())
        return bytes;
    static const QByteArray open("<NAME>");
    QByteArray out;
    out.reserve(bytes.size() + names.size() * 64);
    qsizetype copied = 0;
    int task = 0;
    for (qsizetype at = bytes.indexOf(open); at >= 0; at = bytes.indexOf(open, at + open.size()), ++task) {
        const auto name = names.constFind(task);
        if (name == names.constEnd())
            continue;
        const qsizetype valueAt = at + open.size();
        out.append(bytes.constData() + copied, valueAt - copied);
        out.append(ValueCodec::encode(*name));
        copied = valueAt;
    }
    out.append(bytes.constData() + copied, bytes.size() - copied);
    return out;
}

// The writer's Windows-1252 as UTF-8. The reader guesses the encoding and takes bytes that
// happen to form valid UTF-8 for UTF-8, so "Ã©" would come back as "é"; real UTF-8 it always
// reads right. The clipboard's text is Unicode anyway.
QByteArray windows1252ToUtf8(const QByteArray& bytes) {
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (uchar(c) & 0x80) == 0; });
    if (ascii)
        return bytes;
    QString text;
    text.reserve(bytes.size());
    for (const char& c : bytes) {
        if ((uchar(c) & 0x80) == 0)
            text += QLatin1Char(c);
        else
            text += ValueCodec::decode(&c, 1, false); // one byte never holds an escape
    }
    return text.toUtf8();
}

bool looksLikeTaskList(const QByteArray& bytes) {
    return bytes.trimmed().startsWith("<XML>") && bytes.contains("<FORMATVERSION>");
}

} // namespace

namespace TaskFragment {

QByteArray write(const TreeNode& node, const TaskHandler& th) {
    TaskTree tree;
    TaskHandler scratch;
    prepareEmptyList(tree, scratch);
    // The scratch list's nodes, in the order added, so sub-tasks find their parent's.
    std::vector<TreeNode*> added;
    QHash<int, QString> unsavedNames;
    const auto copy = [&](const TreeNode& from, TreeNode* parent) {
        Task record;
        if (const Task* source = th.taskOf(&from)) {
            record.TaskName = source->TaskName;
            record.Description = source->Description;
            record.CategoryString = source->CategoryString;
            record.IconIndex = source->IconIndex;
            record.Status = source->Status;
            record.DateDue = source->DateDue;
        }
        // The writer leaves such tasks out of files; written nameless, they get their names back
        // afterwards. A cut is a move, and a move must not lose the tasks it moves.
        if (record.TaskName.contains(kNotSavedMark)) {
            unsavedNames.insert(int(added.size()), record.TaskName);
            record.TaskName.clear();
        }
        record.ID = scratch.getNewTaskID();
        const QString key = record.ID;
        scratch.addTask(std::move(record));
        added.push_back(tree.Add(parent, key, QString(), 2));
    };
    copy(node, tree.Item(kRootID));
    walkBelow(node, [&](const TreeNode& below, int parent) { copy(below, added[size_t(parent + 1)]); });
    return windows1252ToUtf8(restoreNames(TaskListWriter(tree, &scratch).toBytes(), unsavedNames));
}

std::optional<FragmentTasks> read(const QByteArray& bytes) {
    if (!looksLikeTaskList(bytes))
        return std::nullopt;
    TaskTree tree;
    TaskHandler scratch;
    prepareEmptyList(tree, scratch);
    XMLManager xml(tree); // no prompt: a newer version is declined without asking
    if (!xml.loadFromBytes(bytes, scratch).ok)
        return std::nullopt;
    FragmentTasks tasks;
    walkBelow(*tree.Item(kRootID), [&](const TreeNode& node, int parent) {
        FragmentTask t;
        if (const Task* task = scratch.taskOf(&node))
            t.fields = TaskFields::of(*task);
        t.parent = parent;
        tasks.push_back(std::move(t));
    });
    return tasks;
}

} // namespace TaskFragment
} // namespace ortolan
