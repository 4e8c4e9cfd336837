#pragma once

#include "document/TaskDocument.h"
#include "editing/TaskFragment.h"
#include "model/Prompt.h"

#include <QList>
#include <QString>

namespace ortolan {

// The editing rules of a task list, on its document: what Delete, Cut, Move Up, Move Down and a
// drop do, what each refuses and with which words. Each change is one step of the history. The
// window asks and tells the user (the messages returned, in order) and shows the result.
class ListEdits {
public:
    explicit ListEdits(TaskDocument& document) : document_(document) {}

    struct Result {
        bool changed = false;         // a step went into the history
        QList<PromptMessage> said;    // what to tell the user, in order
    };

    // Refused for the top task and for a task with sub-tasks.
    Result deleteTask(const QString& key);
    // The task with everything below it; refused for the top task.
    Result cutTask(const QString& key);
    // One place up among its siblings, by bringing tasks to the front in turn (see moveUpSteps).
    // A first child is told it cannot pass its parent, and the step still counts as a change.
    Result moveUp(const QString& key, const QString& caption = QStringLiteral("Move Up"));
    // The task below moves up instead; refused for the last child.
    Result moveDown(const QString& key);
    // The task becomes the first sub-task of the target; refused for the top task, onto itself
    // and into its own sub-tree.
    Result drop(const QString& key, const QString& targetKey);

    // Puts tasks (a fragment's, as a file lists them) under the parent, after its children, as
    // one step. Returns the keys of the tasks put there, in order. changesFile: false for tasks
    // that are never saved. openParent: the parent opens to show them (undo closes it again).
    QStringList insertTasks(const QString& parentKey, const FragmentTasks& tasks, const QString& caption,
                            bool changesFile = true, bool openParent = false);

    // Move Up's own procedure: it moves the node with index origIndex one place up by bringing
    // nodes to the front in turn: first the node itself, then each of the nodes that stood before
    // its previous sibling, the nearest first. For siblings A, B, P, X and X: X, A, B, P; then
    // B, X, A, P; then A, B, X, P. A node k places from the front takes k steps; the previous
    // sibling never moves. False when a node could not be found or moved.
    bool moveUpSteps(int origIndex, int index, QList<PromptMessage>& said);

private:
    Result removeBranch(const QString& key, const QString& caption);

    TaskDocument& document_;
};

// The words the rules use.
inline const QString kCannotRemoveTop = QStringLiteral("Cannot delete: This is the top of the list.");
inline const QString kPastParent = QStringLiteral("You can't move a task up past its parent task. However, you can "
                                                  "drag-and-drop a task to make it a subtask of another task.");
inline const QString kCannotMoveUp = QStringLiteral("You cannot move this task in this fashion.");
inline const QString kCannotMoveDown = QStringLiteral("Can't move this item down.");
inline const QString kNothingBelow = QStringLiteral("Can not move this node down. There is no node below it.");
inline const QString kCannotMoveRoot = QStringLiteral("Cannot move root node.");
inline const QString kCannotMoveToItself = QStringLiteral("Cannot move item to itself.");

} // namespace ortolan
