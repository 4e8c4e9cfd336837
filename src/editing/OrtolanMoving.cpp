// Moving tasks: Move Up and Move Down with their buttons, and dragging a task onto another in
// the tree.
//
// The tree cannot put a node at a chosen place among its siblings. All it can do is re-parent a
// node, which makes it its new parent's first child; re-parenting a node to its own parent
// brings it to the front. Move Up is built from such steps, a drop is a single re-parenting.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "document/ListEdits.h"
#include "model/TaskHandler.h"
#include "views/Formulas.h"
#include "views/TaskTreeView.h"

#include <memory>
#include <QAction>
#include <QPushButton>

namespace ortolan {

namespace {
const QString kPastTopLevel = QStringLiteral("You cannot move an item past the top task level.");
} // namespace

void Ortolan::connectMovingCommands() {
    connect(action(QStringLiteral("MENU_MoveUp")), &QAction::triggered, this, &Ortolan::MENU_MoveUp_Click);
    connect(action(QStringLiteral("MENU_MoveDown")), &QAction::triggered, this, &Ortolan::MENU_MoveDown_Click);
    connect(Command3, &QPushButton::clicked, this, &Ortolan::MENU_MoveUp_Click);
    connect(Command4, &QPushButton::clicked, this, &Ortolan::MENU_MoveDown_Click);
    Tree->setDragHandlers({[this] { return Tree_OLEStartDrag(); },
                           [this](const QPoint& at) { return Tree_OLEDragOver(at); },
                           [this](const QString& key, const QPoint& at) { Tree_OLEDragDrop(key, at); },
                           [this] { treeDragActive_ = false; }});
}

// Move Up's procedure (see ListEdits::moveUpSteps), each of its messages shown.
void Ortolan::moveUpNode(int origkey, int thekey, bool* ThisNodeIsFirst) {
    Q_UNUSED(ThisNodeIsFirst) // callers set it, nothing has ever needed to read it
    QList<PromptMessage> said;
    ListEdits(*doc_).moveUpSteps(origkey, thekey, said);
    tell(said);
}

void Ortolan::tell(const QList<PromptMessage>& said) {
    for (const PromptMessage& m : said)
        Dialogs::message(this, m);
}

void Ortolan::MENU_MoveUp_Click() {
    moveSelected(true);
}

void Ortolan::MENU_MoveDown_Click() {
    moveSelected(false);
}

// After a move, even a refused Move Up (which still counts as a change), the keys go to the tree.
void Ortolan::moveSelected(bool up) {
    const TreeNode* selected = tree_.SelectedItem();
    if (!selected) {
        Dialogs::message(this, {up ? kCannotMoveUp : kCannotMoveDown});
        return;
    }
    ListEdits edits(*doc_);
    const ListEdits::Result moved =
        byHand([&] { return up ? edits.moveUp(selected->Key()) : edits.moveDown(selected->Key()); });
    tell(moved.said);
    if (moved.changed)
        Tree->setFocus();
}

QString Ortolan::Tree_OLEStartDrag() {
    // A mouse press selects the node under it, so the selected node is the one being dragged.
    const TreeNode* node = tree_.SelectedItem();
    if (!node)
        return {};
    treeDragActive_ = true;
    return node->Key();
}

bool Ortolan::Tree_OLEDragOver(const QPoint& at) {
    TreeNode* node = Tree->model()->nodeFromIndex(Tree->indexAt(at));
    if (!node || !treeDragActive_)
        return false;
    // Selecting the node under the pointer is how the tree shows where the task would go.
    tree_.setSelectedItem(node);
    return true;
}

void Ortolan::Tree_OLEDragDrop(const QString& key, const QPoint& at) {
    TreeNode* target = Tree->model()->nodeFromIndex(Tree->indexAt(at));
    if (!target) {
        // The drag goes on as far as the tree knows: passing over a node still selects it.
        setStatus(kPastTopLevel);
        return;
    }
    treeDragActive_ = false;
    if (!tree_.Item(key))
        return; // a drag from elsewhere carrying text that names no task of this list
    const ListEdits::Result dropped = byHand([&] { return ListEdits(*doc_).drop(key, target->Key()); });
    tell(dropped.said);
}

} // namespace ortolan
