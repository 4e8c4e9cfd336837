#pragma once

#include "model/Task.h"

#include <optional>
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

namespace ortolan {

class TaskHandler;
class TreeNode;

// The clipboard's type for tasks; the same bytes also go out as plain text.
inline const QString kTaskFragmentMimeType = QStringLiteral("application/x-ortolan-tasks");

// One task of a fragment: what a task-list file keeps of it, and where it hangs.
struct FragmentTask {
    TaskFields fields; // the name as stored, formula placeholders and all
    int parent = -1;   // index of the task it hangs under, always an earlier one; -1: a top task
};

// Tasks in the order a file lists them: every task before its sub-tasks, siblings in order.
// A flat list rather than nested values, so no depth of nesting costs stack.
using FragmentTasks = std::vector<FragmentTask>;

// Tasks travel between windows as a little task-list document of their own, written and read by
// the file machinery, so values come back exactly as a save and an open would bring them back.
namespace TaskFragment {

// The node and everything below it, fields taken from th, as a document whose list holds just
// that node. Tasks named "[NOT SAVED]" are carried too, unlike in a saved file.
QByteArray write(const TreeNode& node, const TaskHandler& th);

// The tasks of such a document (or of any task-list file); nullopt for bytes that are not one,
// and for a document of a newer format version.
std::optional<FragmentTasks> read(const QByteArray& bytes);

} // namespace TaskFragment
} // namespace ortolan
