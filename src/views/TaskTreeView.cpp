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
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace ortolan {

TaskTreeView::TaskTreeView(TaskTree* tree, QWidget* parent) : QTreeView(parent), tree_(tree) {
    model_ = new TaskTreeModel(tree, this);
    setModel(model_);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row is one line of text beside a small picture; measuring each row of a long list
    // would only cost time.
    setUniformRowHeights(true);
    renameTimer_.setSingleShot(true);
    connect(&renameTimer_, &QTimer::timeout, this, [this] {
        if (renameIndex_.isValid() && renameIndex_ == currentIndex() && state() == NoState)
            edit(renameIndex_);
    });
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
    // Clicks on the selected node's label are the view's own business (see the mouse events):
    // the item view's own rule takes a press that selected the node for a click on a node
    // already selected.
    renameTimer_.stop();
    setEditTriggers(tree_->LabelEdit() == TaskTree::LabelEditMode::Automatic ? QAbstractItemView::EditKeyPressed
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

void TaskTreeView::showFound(const std::vector<TaskFinder::Row>& rows) {
    // Each hidden row lays the view out again; done once, when next needed.
    scheduleDelayedItemsLayout();
    for (const TaskFinder::Row& r : rows) {
        const QModelIndex index = model_->indexFromNode(r.node);
        const QModelIndex parent = index.parent();
        if (isRowHidden(index.row(), parent) == r.shown)
            setRowHidden(index.row(), parent, !r.shown);
    }
}

void TaskTreeView::reveal(const TreeNode* node) {
    for (; node; node = node->Parent()) {
        const QModelIndex index = model_->indexFromNode(node);
        if (isRowHidden(index.row(), index.parent()))
            setRowHidden(index.row(), index.parent(), false);
    }
}

void TaskTreeView::showAllRows() {
    scheduleDelayedItemsLayout();
    for (int i = 1; i <= tree_->Count(); ++i) {
        const QModelIndex index = model_->indexFromNode(tree_->Item(i));
        if (isRowHidden(index.row(), index.parent()))
            setRowHidden(index.row(), index.parent(), false);
    }
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
    if (current != renameIndex_)
        renameTimer_.stop();
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

bool TaskTreeView::isOnLabel(const QPoint& at) const {
    const QModelIndex index = indexAt(at);
    if (!index.isValid())
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.index = index;
    option.text = index.data(Qt::DisplayRole).toString();
    option.features |= QStyleOptionViewItem::HasDisplay;
    if (!index.data(Qt::DecorationRole).isNull())
        option.features |= QStyleOptionViewItem::HasDecoration;
    const QVariant font = index.data(Qt::FontRole);
    if (font.isValid())
        option.font = font.value<QFont>();
    option.fontMetrics = QFontMetrics(option.font);
    QRect label = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    // The text box spans the rest of the row; the label is the text itself.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    label.setWidth(std::min(label.width(), option.fontMetrics.horizontalAdvance(option.text) + 2 * margin));
    return label.contains(at);
}

void TaskTreeView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    renameTimer_.stop();
    // Whether the node was selected before this press: the press itself selects it.
    pressOnSelected_ = index.isValid() && index == currentIndex() && selectionModel()->isSelected(index) &&
                       state() == NoState;
    dragPending_ = drag_.starting && event->button() == Qt::LeftButton && index.isValid();
    pressedAt_ = at;
    QTreeView::mousePressEvent(event);
    emit mousePressed(event->button(), at);
}

void TaskTreeView::mouseMoveEvent(QMouseEvent* event) {
    if (dragPending_ && (event->buttons() & Qt::LeftButton)) {
        // Until the pointer has gone far enough to make this a drag, the press must not turn
        // into a selection of the rows the pointer passes: the drag takes the node pressed.
        if ((event->position().toPoint() - pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
            dragPending_ = false;
            pressOnSelected_ = false;
            startDrag(Qt::MoveAction);
        }
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void TaskTreeView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    const bool renameClick = event->button() == Qt::LeftButton && pressOnSelected_ &&
                             tree_->LabelEdit() == TaskTree::LabelEditMode::Automatic && index.isValid() &&
                             index == currentIndex() && state() == NoState && isOnLabel(at);
    dragPending_ = false;
    pressOnSelected_ = false;
    QTreeView::mouseReleaseEvent(event);
    if (renameClick) {
        // Not yet: this click may be the first half of a double-click.
        renameIndex_ = index;
        renameTimer_.start(QApplication::doubleClickInterval());
    }
}

// Qt delivers the second press of a double-click as this event alone, so the click that came
// before it has started the rename timer; the double-click decides instead.
void TaskTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    renameTimer_.stop();
    QTreeView::mouseDoubleClickEvent(event);
}

void TaskTreeView::commitLabelEdit() {
    if (state() != EditingState)
        return;
    // An editor opens only on the current node: by a command, F2 or a click on its label.
    QWidget* editor = indexWidget(currentIndex());
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

QMimeData* TaskTreeView::beginTaskDrag(const QString& key) {
    static quint64 serial = 0;
    dragToken_ = QByteArray::number(QCoreApplication::applicationPid()) + ':' +
                 QByteArray::number(quintptr(this), 16) + ':' + QByteArray::number(++serial);
    auto* data = new QMimeData;
    data->setData(kTaskDragMimeType, dragToken_ + '\n' + key.toUtf8());
    return data;
}

void TaskTreeView::endTaskDrag() {
    dragToken_.clear();
    if (drag_.finished)
        drag_.finished();
}

bool TaskTreeView::isOwnDrag(const QMimeData* data) const {
    return !dragToken_.isEmpty() && data && data->hasFormat(kTaskDragMimeType) &&
           data->data(kTaskDragMimeType).split('\n').value(0) == dragToken_;
}

QString TaskTreeView::draggedKey(const QMimeData* data) const {
    const QByteArray bytes = data->data(kTaskDragMimeType);
    return QString::fromUtf8(bytes.mid(bytes.indexOf('\n') + 1));
}

void TaskTreeView::startDrag(Qt::DropActions) {
    if (!drag_.starting)
        return;
    const QString key = drag_.starting();
    if (key.isEmpty())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(beginTaskDrag(key));
    // A task can only be moved: a copy would need a new identity the drag cannot give it.
    if (runDrag_)
        runDrag_(drag);
    else
        drag->exec(Qt::MoveAction, Qt::MoveAction);
    // Dropped here, dropped elsewhere or cancelled: the drag is over.
    endTaskDrag();
}

void TaskTreeView::dragEnterEvent(QDragEnterEvent* event) {
    // Whether the pointer's place takes the drop is settled by the move event that always
    // follows; the enter only decides whether this drag is one the tree could take at all:
    // one that this tree started and that is still under way.
    if (drag_.over && isOwnDrag(event->mimeData()) && (event->possibleActions() & Qt::MoveAction)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        setState(DraggingState);
    } else {
        event->ignore();
    }
}

void TaskTreeView::dragMoveEvent(QDragMoveEvent* event) {
    QTreeView::dragMoveEvent(event); // scrolls the rows near the edges
    if (!drag_.over || !isOwnDrag(event->mimeData()) || !(event->possibleActions() & Qt::MoveAction)) {
        event->ignore();
        return;
    }
    // Over a node, that node shows itself as the target. Empty space takes the drop too, so that
    // the window can say why nothing moves there.
    drag_.over(event->position().toPoint());
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void TaskTreeView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    if (!drag_.dropped || !isOwnDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    drag_.dropped(draggedKey(event->mimeData()), event->position().toPoint());
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
