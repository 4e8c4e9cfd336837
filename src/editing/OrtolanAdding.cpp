// Adding tasks: Add Sub-task, New Task, their buttons, and addTask for the calendar import.

#include "app/Ortolan.h"
#include "document/StructureCommands.h"
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
    TreeNode* added = addTaskNode(parent, kNewTaskName, kStatusIncomplete, QDateTime());
    tree_.setSelectedItem(added);
    pushDone(new BranchCommand(*doc_, added, true, caption));
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
    TreeNode* node = addTaskNode(selected, tname, tstatus, tduedate);
    tree_.setSelectedItem(node);
    if (askToSave)
        pushDone(new BranchCommand(*doc_, node, true, QStringLiteral("New Task")));
    if (doStartLabelEdit)
        tree_.StartLabelEdit();
    return node->Key();
}

void Ortolan::pushDone(QUndoCommand* step) {
    editingByHand_ = true;
    doc_->push(step);
    editingByHand_ = false;
}

// A new task under parent, registered first and then shown, with the picture new tasks get.
TreeNode* Ortolan::addTaskNode(TreeNode* parent, const QString& name, const QString& status, const QDateTime& due) {
    Task record;
    record.ID = doc_->taskH().getNewTaskID();
    record.TaskName = name;
    record.Status = status;
    record.DateDue = due;
    const QString key = record.ID;
    doc_->taskH().addTask(std::move(record));
    return tree_.Add(parent, key, name, 2);
}

} // namespace ortolan
