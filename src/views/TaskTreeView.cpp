#include "views/TaskTreeView.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>
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
    // Laid out at once, each change would shift every row below it: a pass that opens or closes
    // thousands of nodes would cost the square of the list. The rows are laid out once, when
    // next needed.
    scheduleDelayedItemsLayout();
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

void TaskTreeView::setDragHandlers(DragHandlers handlers) {
    drag_ = std::move(handlers);
    // The viewport is the widget under the pointer, so it is the one that must take drops.
    viewport()->setAcceptDrops(bool(drag_.dropped));
    setDropIndicatorShown(false); // the node under the pointer shows itself selected instead
}

void TaskTreeView::mousePressEvent(QMouseEvent* event) {
    dragPending_ =
        drag_.starting && event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
    pressedAt_ = event->position().toPoint();
    QTreeView::mousePressEvent(event);
}

void TaskTreeView::mouseMoveEvent(QMouseEvent* event) {
    if (dragPending_ && (event->buttons() & Qt::LeftButton)) {
        // Until the pointer has gone far enough to make this a drag, the press must not turn
        // into a selection of the rows the pointer passes: the drag takes the node pressed.
        if ((event->position().toPoint() - pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
            dragPending_ = false;
            startDrag(Qt::MoveAction);
        }
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void TaskTreeView::mouseReleaseEvent(QMouseEvent* event) {
    dragPending_ = false;
    QTreeView::mouseReleaseEvent(event);
}

void TaskTreeView::startDrag(Qt::DropActions) {
    if (!drag_.starting)
        return;
    const QString text = drag_.starting();
    if (text.isEmpty())
        return;
    auto* data = new QMimeData;
    data->setText(text);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // A task can only be moved: a copy would need a new identity the drag cannot give it.
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

void TaskTreeView::dragEnterEvent(QDragEnterEvent* event) {
    // Whether the pointer's place takes the drop is settled by the move event that always
    // follows; the enter only decides whether this drag is one the tree could take at all.
    if (drag_.over && event->mimeData()->hasText() && (event->possibleActions() & Qt::MoveAction)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        setState(DraggingState);
    } else {
        event->ignore();
    }
}

void TaskTreeView::dragMoveEvent(QDragMoveEvent* event) {
    QTreeView::dragMoveEvent(event); // scrolls the rows near the edges; refuses, as the model takes no drops
    const bool taken = drag_.over && event->mimeData()->hasText() && (event->possibleActions() & Qt::MoveAction) &&
                       drag_.over(event->position().toPoint());
    if (taken) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TaskTreeView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    if (!drag_.dropped || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    drag_.dropped(event->mimeData()->text(), event->position().toPoint());
    // The window has done all there is to do; the drag's source must not remove anything.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

void TaskTreeView::startEditing(TreeNode* node) {
    const QModelIndex index = model_->indexFromNode(node);
    if (!index.isValid())
        return;
    scrollTo(index);
    edit(index);
}

} // namespace ortolan
