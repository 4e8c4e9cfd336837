// Moving tasks: Move Up and Move Down with their buttons, and dragging a task onto another in
// the tree.
//
// The tree cannot put a node at a chosen place among its siblings. All it can do is re-parent a
// node, which makes it its new parent's first child; re-parenting a node to its own parent
// brings it to the front. Move Up is built from such steps, a drop is a single re-parenting.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "document/StructureCommands.h"
#include "model/TaskHandler.h"
#include "views/Formulas.h"
#include "views/TaskTreeView.h"

#include <memory>
#include <QAction>
#include <QPushButton>

namespace ortolan {

namespace {

const QString kPastParent = QStringLiteral("You can't move a task up past its parent task. However, you can "
                                           "drag-and-drop a task to make it a subtask of another task.");
const QString kCannotMoveUp = QStringLiteral("You cannot move this task in this fashion.");
const QString kCannotMoveDown = QStringLiteral("Can't move this item down.");
const QString kNothingBelow = QStringLiteral("Can not move this node down. There is no node below it.");
const QString kPastTopLevel = QStringLiteral("You cannot move an item past the top task level.");
const QString kCannotMoveRoot = QStringLiteral("Cannot move root node.");
const QString kCannotMoveToItself = QStringLiteral("Cannot move item to itself.");

// Refused for a top-level node: it has no parent to be brought to the front of. In this program
// that is only the top node, which never moves.
TreeError bringToFront(TaskTree& tree, TreeNode* node) {
    return tree.SetParent(node, node->Parent());
}

QString refusedDrop(const TreeError& error) {
    return QStringLiteral("Error, you cannot perform this operation. Details: ") + error.description +
           QStringLiteral("\r\n") + QStringLiteral("ERROR NUMBER: ") +
           (error.number >= 0 ? QStringLiteral(" ") : QString()) + QString::number(error.number);
}

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

// Moves the node with index origkey one place up among its siblings by bringing nodes to the
// front in turn: first the node itself, then each of the nodes that stood before its previous
// sibling, the nearest first. For siblings A, B, P, X and X: X, A, B, P; then B, X, A, P; then
// A, B, X, P. A node k places from the front takes k steps; the previous sibling never moves.
void Ortolan::moveUpNode(int origkey, int thekey, bool* ThisNodeIsFirst) {
    Q_UNUSED(ThisNodeIsFirst) // callers set it, nothing has ever needed to read it
    for (int key = thekey;;) {
        TreeNode* node = tree_.Item(key);
        if (!node) {
            moveUpFailed_ = true;
            return;
        }
        TreeNode* previous = node->Previous();
        if (!previous) {
            Dialogs::message(this, {kPastParent, kAppTitle, PromptIcon::Information, PromptButtons::Ok});
            return;
        }
        if (previous->Index() == origkey) {
            // The moving node stands just before this one: this is the last step.
            if (bringToFront(tree_, node))
                moveUpFailed_ = true;
            return;
        }
        int next = previous->Index();
        if (key == origkey) {
            // The first step moves the node itself; the next one is the node two places before.
            const TreeNode* beforePrevious = previous->Previous();
            if (!beforePrevious) {
                if (bringToFront(tree_, node))
                    moveUpFailed_ = true;
                return;
            }
            next = beforePrevious->Index();
        }
        if (bringToFront(tree_, node)) {
            moveUpFailed_ = true;
            return;
        }
        key = next;
    }
}

// The key of the node's parent, to record its children before and after a move.
static QStringList parentKeys(const TreeNode* node) {
    const TreeNode* parent = node->Parent();
    return {parent ? parent->Key() : QString()};
}

void Ortolan::MENU_MoveUp_Click() {
    const TreeNode* selected = tree_.SelectedItem();
    if (!selected) {
        Dialogs::message(this, {kCannotMoveUp});
        return;
    }
    moveUpFailed_ = false;
    bool first = true;
    auto step = std::make_unique<MoveCommand>(*doc_, parentKeys(selected), selected->Key(), QStringLiteral("Move Up"));
    moveUpNode(selected->Index(), selected->Index(), &first);
    if (moveUpFailed_) {
        Dialogs::message(this, {kCannotMoveUp});
        return;
    }
    // Even a first child's refusal counts as a change: the command does not tell the two apart.
    Tree->setFocus();
    step->recordAfter();
    pushDone(step.release());
}

void Ortolan::MENU_MoveDown_Click() {
    const TreeNode* selected = tree_.SelectedItem();
    if (!selected) {
        Dialogs::message(this, {kCannotMoveDown});
        return;
    }
    const TreeNode* below = selected->Next();
    if (!below) {
        Dialogs::message(this, {kNothingBelow});
        return;
    }
    // Moving the node below up one place is the same as moving this one down.
    moveUpFailed_ = false;
    bool first = true;
    auto step =
        std::make_unique<MoveCommand>(*doc_, parentKeys(selected), selected->Key(), QStringLiteral("Move Down"));
    moveUpNode(below->Index(), below->Index(), &first);
    if (moveUpFailed_) {
        Dialogs::message(this, {kCannotMoveDown});
        return;
    }
    Tree->setFocus();
    step->recordAfter();
    pushDone(step.release());
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
    TreeNode* dragged = tree_.Item(key);
    if (!dragged)
        return; // a drag from elsewhere carrying text that names no task of this list
    if (dragged->Index() == 1) {
        Dialogs::message(this, {kCannotMoveRoot});
        return;
    }
    if (dragged == target) {
        Dialogs::message(this, {kCannotMoveToItself});
        return;
    }
    // The tree refuses before it detaches anything, so a refused task is still where it was.
    auto step = std::make_unique<MoveCommand>(*doc_, parentKeys(dragged) << target->Key(), dragged->Key(),
                                              QStringLiteral("Move Task"));
    const TreeError refused = tree_.SetParent(dragged, target);
    if (refused) {
        Dialogs::message(this, {refusedDrop(refused)});
        return;
    }
    // Both the section the task left and the one it joined may hold formulas.
    ReCalcTree(tree_, doc_->taskH());
    step->recordAfter();
    pushDone(step.release());
}

} // namespace ortolan
