#include "views/TaskTreeModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace ortolan {

TaskTreeModel::TaskTreeModel(TaskTree* tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
    connect(tree, &TaskTree::nodesAboutToBeInserted, this, [this](TreeNode* parent, int first, int last) {
        beginChange();
        beginInsertRows(indexFromNode(parent), first, last);
    });
    connect(tree, &TaskTree::nodesInserted, this, [this](TreeNode*, int, int) {
        endInsertRows();
        endChange();
    });
    connect(tree, &TaskTree::nodesAboutToBeRemoved, this, [this](TreeNode* parent, int first, int last) {
        beginChange();
        beginRemoveRows(indexFromNode(parent), first, last);
    });
    connect(tree, &TaskTree::nodesRemoved, this, [this](TreeNode*, int, int) {
        endRemoveRows();
        endChange();
    });
    connect(tree, &TaskTree::nodeAboutToBeMoved, this,
            [this](TreeNode*, TreeNode* oldParent, int oldRow, TreeNode* newParent, int newRow) {
                beginChange();
                // A node's parent index is taken before the move, while its row is still right.
                const QModelIndex from = indexFromNode(oldParent);
                const QModelIndex to = indexFromNode(newParent);
                // beginMoveRows refuses a move onto the node's own place or into its own sub-tree, which
                // the tree never announces; should it ever, the views start afresh rather than lose track.
                moveAsReset_ = !beginMoveRows(from, oldRow, oldRow, to, newRow);
                if (moveAsReset_)
                    beginResetModel();
            });
    connect(tree, &TaskTree::nodeMoved, this, [this](TreeNode*, TreeNode*, int, TreeNode*, int) {
        if (moveAsReset_)
            endResetModel();
        else
            endMoveRows();
        moveAsReset_ = false;
        endChange();
    });
    connect(tree, &TaskTree::aboutToBeCleared, this, [this] {
        beginChange();
        beginResetModel();
    });
    connect(tree, &TaskTree::cleared, this, [this] {
        endResetModel();
        endChange();
    });
    connect(tree, &TaskTree::nodeChanged, this, [this](TreeNode* node) {
        const QModelIndex i = indexFromNode(node);
        emit dataChanged(i, i);
    });
}

void TaskTreeModel::setPictureProvider(PictureProvider provider) {
    // Every row's icon may differ now; a layout change is the one announcement that covers all
    // rows of a tree at once.
    emit layoutAboutToBeChanged();
    pictures_ = std::move(provider);
    emit layoutChanged();
}

TreeNode* TaskTreeModel::nodeFromIndex(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TaskTreeModel::indexFromNode(const TreeNode* node) const {
    return node ? createIndex(node->row(), 0, const_cast<TreeNode*>(node)) : QModelIndex();
}

QModelIndex TaskTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent))
        return {};
    const TreeNode* p = nodeFromIndex(parent);
    return createIndex(row, column, p ? p->childAt(row) : tree_->TopLevelAt(row));
}

QModelIndex TaskTreeModel::parent(const QModelIndex& child) const {
    const TreeNode* node = nodeFromIndex(child);
    return node ? indexFromNode(node->Parent()) : QModelIndex();
}

int TaskTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const TreeNode* node = nodeFromIndex(parent);
    return node ? node->Children() : tree_->TopLevelCount();
}

int TaskTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TaskTreeModel::data(const QModelIndex& index, int role) const {
    const TreeNode* node = nodeFromIndex(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return node->Text();
    case Qt::EditRole:
        return editTexts_ ? editTexts_(node) : node->Text();
    case Qt::ToolTipRole:
        return toolTips_ ? QVariant(toolTips_(node)) : QVariant();
    case Qt::DecorationRole:
        return pictures_ ? QVariant(pictures_(node->Image())) : QVariant();
    case Qt::ForegroundRole:
        return QBrush(QColor::fromRgb(QRgb(node->ForeColor())));
    case Qt::FontRole:
        if (node->Bold()) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

bool TaskTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TreeNode* node = nodeFromIndex(index);
    if (!node || role != Qt::EditRole)
        return false;
    emit labelEdited(node, value.toString());
    return true;
}

Qt::ItemFlags TaskTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

} // namespace ortolan
