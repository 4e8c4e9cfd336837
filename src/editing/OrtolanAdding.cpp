// Adding tasks: Add Sub-task, New Task, their buttons, and addTask for the calendar import.

#include "app/Ortolan.h"
#include "document/ListEdits.h"
#include "model/TaskHandler.h"
#include "views/TaskTreeView.h"

#include <QAction>
#include <QPushButton>

namespace ortolan {

namespace {
const QString kNewTaskName = QStringLiteral("New sub-task");
} // namespace

void Ortolan::connectAddingCommands() {
    connect(action(QStringLiteral("MENU_AddSubtask")), &QAction::triggered, this, &Ortolan::MENU_AddSubtask_Click);
    connect(action(QStringLiteral("MENU_NewTask")), &QAction::triggered, this, &Ortolan::MENU_NewTask_Click);
    connect(AddSubtaskButton, &QPushButton::clicked, this, &Ortolan::MENU_AddSubtask_Click);
    connect(AddTaskButton, &QPushButton::clicked, this, &Ortolan::MENU_NewTask_Click);
}

void Ortolan::MENU_AddSubtask_Click() {
    addSubtask(QStringLiteral("Add Sub-task"));
}

void Ortolan::addSubtask(const QString& caption) {
    TreeNode* parent = tree_.SelectedItem();
    if (!parent)
        return; // nothing to add under
    tree_.setSelectedItem(tree_.Item(newTask(parent->Key(), kNewTaskName, kStatusIncomplete, QDateTime(), caption)));
    tree_.StartLabelEdit();
}

void Ortolan::MENU_NewTask_Click() {
    if (!tree_.SelectedItem())
        Tree->setFocus(); // the tree picks a node of its own when it gets the focus with none
    TreeNode* selected = tree_.SelectedItem();
    if (!selected)
        return;
    if (selected->Key() != kRootID)
        tree_.setSelectedItem(selected->Parent());
    addSubtask(QStringLiteral("New Task"));
}

QString Ortolan::addTask(const QString& tname, const QString&, const QDateTime& tduedate, const QString& tstatus,
                         bool isSubTask, bool askToSave, bool doStartLabelEdit) {
    TreeNode* selected = tree_.SelectedItem();
    if (!selected)
        selected = tree_.Item(kRootID);
    if (!isSubTask && selected->Key() != kRootID)
        selected = selected->Parent();
    // A task not asked to save is one that is never saved.
    TreeNode* node =
        tree_.Item(newTask(selected->Key(), tname, tstatus, tduedate, QStringLiteral("New Task"), askToSave));
    tree_.setSelectedItem(node);
    if (doStartLabelEdit)
        tree_.StartLabelEdit();
    return node->Key();
}

// A new task under the parent, as one step of the history; its key.
QString Ortolan::newTask(const QString& parentKey, const QString& name, const QString& status, const QDateTime& due,
                         const QString& caption, bool changesFile) {
    return byHand([&] {
               return ListEdits(*doc_).insertTasks(parentKey, {{{name, {}, {}, status, due, 0}, -1}}, caption,
                                                   changesFile);
           })
        .value(0);
}

} // namespace ortolan
