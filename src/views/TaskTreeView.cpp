#include "views/TaskTreeView.h"

#include <QItemSelectionModel>
#include <QScopedValueRollback>

namespace ortolan {

TaskTreeView::TaskTreeView(TaskTree* tree, QWidget* parent) : QTreeView(parent), tree_(tree) {
    model_ = new TaskTreeModel(tree, this);
    setModel(model_);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row is one line of text beside a small picture; measuring each row of a long list
    // would only cost time.
    setUniformRowHeights(true);
    applyLabelEditMode();

    connect(tree, &TaskTree::expandedChanged, this, &TaskTreeView::showExpanded);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& i) { takeExpanded(i, true); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& i) { takeExpanded(i, false); });
    connect(tree, &TaskTree::selectionChanged, this, &TaskTreeView::showSelection);
    connect(tree, &TaskTree::labelEditRequested, this, &TaskTreeView::startEditing);

    // Rows keep their expanded state and selection through inserts, removals and moves, as
    // persistent indexes follow them; a reset forgets both, so they are shown afresh from the tree.
    connect(model_, &QAbstractItemModel::modelReset, this, &TaskTreeView::showTree);
    showTree();
}

void TaskTreeView::applyLabelEditMode() {
    setEditTriggers(tree_->LabelEdit() == TaskTree::LabelEditMode::Automatic
                        ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                        : QAbstractItemView::NoEditTriggers);
}

void TaskTreeView::showExpanded(const TreeNode* node) {
    if (!node)
        return;
    const QModelIndex index = model_->indexFromNode(node);
    if (isExpanded(index) == node->Expanded())
        return;
    const QScopedValueRollback<bool> guard(showingExpanded_, true);
    setExpanded(index, node->Expanded());
}

void TaskTreeView::showTree() {
    for (int i = 1; i <= tree_->Count(); ++i)
        showExpanded(tree_->Item(i));
    showSelection(tree_->SelectedItem());
}

void TaskTreeView::takeExpanded(const QModelIndex& index, bool expanded) {
    TreeNode* node = model_->nodeFromIndex(index);
    if (!node)
        return;
    node->setExpanded(expanded);
    if (!showingExpanded_)
        emit expandedByUser(node, expanded);
}

void TaskTreeView::showSelection(TreeNode* node) {
    QItemSelectionModel* selection = selectionModel();
    const QModelIndex index = model_->indexFromNode(node);
    if (!index.isValid()) {
        if (selection->currentIndex().isValid() || selection->hasSelection()) {
            const QScopedValueRollback<bool> guard(showingSelection_, true);
            selection->clear();
        }
        return;
    }
    if (selection->currentIndex() == index && selection->isSelected(index))
        return;
    const QScopedValueRollback<bool> guard(showingSelection_, true);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    // Like the native tree control, a node selected by the program is brought into sight, its
    // collapsed ancestors opened (and so marked expanded in the tree).
    scrollTo(index);
}

void TaskTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    takeSelection();
}

void TaskTreeView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    takeSelection();
}

void TaskTreeView::takeSelection() {
    if (showingSelection_ || model_->isChangingStructure())
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && !selectionModel()->isSelected(current)) {
        // Like the native control, the current row is always the selected one: Ctrl+Space does
        // not leave the tree with a selection nobody sees, and focus arriving on a view with no
        // current row selects the row it lands on. No scrolling here: a mouse press makes its row
        // current before selecting it, and the rows must not move under the pointer meanwhile.
        const QScopedValueRollback<bool> guard(showingSelection_, true);
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    tree_->setSelectedItem(model_->nodeFromIndex(current));
}

void TaskTreeView::startEditing(TreeNode* node) {
    const QModelIndex index = model_->indexFromNode(node);
    if (!index.isValid())
        return;
    scrollTo(index);
    edit(index);
}

} // namespace ortolan
