#pragma once

#include "model/TaskTree.h"

#include <functional>
#include <QAbstractItemModel>
#include <QIcon>

namespace ortolan {

// The task tree as a one-column item model. The tree stays the owner of every node and of every
// change; the model only passes the tree's announcements on, so an index's internal pointer is
// the TreeNode it stands for.
class TaskTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The icon for a picture number; the model shows no icons until one is set.
    using PictureProvider = std::function<QIcon(int)>;

    explicit TaskTreeModel(TaskTree* tree, QObject* parent = nullptr);

    TaskTree* taskTree() const { return tree_; }
    void setPictureProvider(PictureProvider provider);
    // The text a label editor opens with; the shown text unless one is set. A task whose name
    // holds a formula shows the formula's result, yet must be edited as the name it stores.
    using EditTextProvider = std::function<QString(const TreeNode*)>;
    void setEditTextProvider(EditTextProvider provider) { editTexts_ = std::move(provider); }
    // The tooltip shown over a node; none unless one is set.
    void setToolTipProvider(EditTextProvider provider) { toolTips_ = std::move(provider); }

    TreeNode* nodeFromIndex(const QModelIndex& index) const;
    QModelIndex indexFromNode(const TreeNode* node) const;

    // True between a change's announcement and its completion. Views see side effects of the
    // change then (a selection model moving its current row off a removed node, say) that must
    // not be written back into the tree.
    bool isChangingStructure() const { return changing_; }

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // An edited label is only reported through labelEdited: what an edit does to the task is the
    // window's decision, and the node shows the task's name once the window has committed it.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void labelEdited(ortolan::TreeNode* node, const QString& newText);

private:
    void beginChange() { changing_ = true; }
    void endChange() { changing_ = false; }

    TaskTree* tree_;
    PictureProvider pictures_;
    EditTextProvider editTexts_;
    EditTextProvider toolTips_;
    bool changing_ = false;
    bool moveAsReset_ = false; // a move the item model could not express as a move
};

} // namespace ortolan
