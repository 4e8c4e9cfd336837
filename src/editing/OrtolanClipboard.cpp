// Deleting, cutting and pasting tasks. Cut and Paste go through the system clipboard, so a cut
// in one window can be pasted in another.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "calendar/CalendarManager.h"
#include "document/ListEdits.h"
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
    if (TreeNode* node = tree_.SelectedItem())
        removeTaskBranch(node, false);
}

// Takes a task (with everything below it, for Cut) out of the list as one step of the history,
// or tells why not; then selects the first of its siblings. The calendar's lines follow the
// document.
bool Ortolan::removeTaskBranch(TreeNode* node, bool cut) {
    const QString select = keyToSelectAfterRemoving(node);
    ListEdits edits(*doc_);
    const ListEdits::Result removed =
        byHand([&] { return cut ? edits.cutTask(node->Key()) : edits.deleteTask(node->Key()); });
    tell(removed.said);
    if (removed.changed && !select.isEmpty())
        tree_.setSelectedItem(tree_.Item(select));
    return removed.changed;
}

void Ortolan::MENU_Cut_Click() {
    TreeNode* node = tree_.SelectedItem();
    if (!node)
        return;
    // Unlike Delete, Cut takes the whole sub-tree: it goes to the clipboard, nothing is lost.
    const QByteArray fragment = TaskFragment::write(*node, doc_->taskH());
    if (!removeTaskBranch(node, true))
        return;
    auto* data = new QMimeData;
    data->setData(kTaskFragmentMimeType, fragment);
    data->setText(QString::fromUtf8(fragment));
    QGuiApplication::clipboard()->setMimeData(data);
}

void Ortolan::MENU_Paste_Click() {
    TreeNode* target = tree_.SelectedItem();
    if (!target)
        return;
    const std::optional<FragmentTasks> tasks = TaskFragment::read(clipboardBytes());
    if (!tasks || tasks->empty())
        return;
    // One step, however many tasks the clipboard held; formulas are worked out, the tasks
    // coloured, and the calendar lists their due dates (see followEditedTask).
    // The selection stays; what was pasted shows below it.
    byHand([&] { return ListEdits(*doc_).insertTasks(target->Key(), *tasks, QStringLiteral("Paste"), true, true); });
}

} // namespace ortolan
