// Deleting, cutting and pasting tasks. Cut and Paste go through the system clipboard, so a cut
// in one window can be pasted in another.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "calendar/CalendarManager.h"
#include "document/StructureCommands.h"
#include "editing/TaskFragment.h"
#include "model/TaskHandler.h"
#include "views/Colouring.h"
#include "views/Formulas.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace ortolan {

namespace {

const QString kCannotRemoveTop = QStringLiteral("Cannot delete: This is the top of the list.");

// The node to select once node is gone: the first of its siblings, unless that is node itself.
QString keyToSelectAfterRemoving(const TreeNode* node) {
    const TreeNode* first = node->FirstSibling();
    return first && first->Key() != node->Key() ? first->Key() : QString();
}

// What the clipboard holds, as fragment bytes: our own type when there, else its text, so a
// fragment that went through a text editor still pastes.
QByteArray clipboardBytes() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return QByteArray();
    if (data->hasFormat(kTaskFragmentMimeType))
        return data->data(kTaskFragmentMimeType);
    return data->text().toUtf8();
}

} // namespace

void Ortolan::connectClipboardCommands() {
    connect(action(QStringLiteral("MENU_INSERT_Delete")), &QAction::triggered, this,
            &Ortolan::MENU_INSERT_Delete_Click);
    connect(action(QStringLiteral("MENU_Cut")), &QAction::triggered, this, &Ortolan::MENU_Cut_Click);
    connect(action(QStringLiteral("MENU_Paste")), &QAction::triggered, this, &Ortolan::MENU_Paste_Click);
}

void Ortolan::MENU_INSERT_Delete_Click() {
    TreeNode* node = tree_.SelectedItem();
    if (!node)
        return;
    if (node->Index() == 1) {
        Dialogs::message(this, {kCannotRemoveTop});
        return;
    }
    if (node->Child()) {
        Dialogs::message(this, {QStringLiteral("You can only delete tasks with no sub-tasks attached to them."),
                                QStringLiteral("Cannot Delete"), PromptIcon::Warning, PromptButtons::Ok});
        return;
    }
    removeTaskBranch(node, QStringLiteral("Delete"));
}

// Takes a task and everything below it out of the registry and the tree, selects the first of
// its siblings, and brings formulas up to date.
void Ortolan::removeTaskBranch(TreeNode* node, const QString& caption) {
    auto* step = new BranchCommand(*doc_, node, false, caption);
    std::vector<const TreeNode*> doomed{node};
    for (size_t i = 0; i < doomed.size(); ++i)
        for (const TreeNode* child = doomed[i]->Child(); child; child = child->Next())
            doomed.push_back(child);
    const QString select = keyToSelectAfterRemoving(node);
    for (const TreeNode* gone : doomed) {
        Task* record = doc_->taskH().getTask(gone->Key());
        if (record && CalMan)
            CalMan->removeTaskLine(record->DateDue, record->TaskName); // its day no longer lists it
        doc_->taskH().deleteTask(record);
    }
    tree_.Remove(node);
    if (!select.isEmpty())
        tree_.setSelectedItem(tree_.Item(select));
    ReCalcTree(tree_, doc_->taskH());
    pushDone(step);
}

void Ortolan::MENU_Cut_Click() {
    TreeNode* node = tree_.SelectedItem();
    if (!node)
        return;
    if (node->Index() == 1) {
        Dialogs::message(this, {kCannotRemoveTop});
        return;
    }
    const QByteArray fragment = TaskFragment::write(*node, doc_->taskH());
    auto* data = new QMimeData;
    data->setData(kTaskFragmentMimeType, fragment);
    data->setText(QString::fromUtf8(fragment));
    QGuiApplication::clipboard()->setMimeData(data);

    // Unlike Delete, Cut takes the whole sub-tree: it is on the clipboard, nothing is lost.
    removeTaskBranch(node, QStringLiteral("Cut"));
}

void Ortolan::MENU_Paste_Click() {
    TreeNode* target = tree_.SelectedItem();
    if (!target)
        return;
    const std::optional<FragmentTasks> tasks = TaskFragment::read(clipboardBytes());
    if (!tasks || tasks->empty())
        return;
    // The nodes made so far, in the fragment's order; null where a node could not be made, so
    // that what hung below it is left out rather than landing elsewhere.
    std::vector<TreeNode*> added;
    added.reserve(tasks->size());
    for (const FragmentTask& pasted : *tasks) {
        TreeNode* parent = pasted.parent < 0 ? target : added[size_t(pasted.parent)];
        TreeNode* node = nullptr;
        if (parent) {
            Task record = pasted.toTask();
            record.ID = doc_->taskH().getNewTaskID();
            const QString key = record.ID;
            Task* registered = doc_->taskH().addTask(std::move(record));
            node = tree_.Add(parent, key, pasted.name, pasted.picture);
            if (!node)
                doc_->taskH().deleteTask(registered);
            else if (CalMan)
                CalMan->addTaskLine(registered->DateDue, registered->TaskName);
        }
        added.push_back(node);
    }
    ReCalcTree(tree_, doc_->taskH());
    for (const TreeNode* node : added)
        if (node)
            colorNode(tree_, doc_->taskH(), node->Key());
    target->setExpanded(true); // the selection stays; what was pasted shows below it
    // One step, however many tasks the clipboard held at its top.
    doc_->history().beginMacro(QStringLiteral("Paste"));
    for (size_t i = 0; i < added.size(); ++i)
        if (added[i] && (*tasks)[i].parent < 0)
            pushDone(new BranchCommand(*doc_, added[i], true, QStringLiteral("Paste")));
    doc_->history().endMacro();
}

} // namespace ortolan
