#pragma once

#include "views/TaskTreeModel.h"

#include <QTreeView>

namespace ortolan {

// The window's task tree. The core tree stays the record of which nodes are expanded and which
// one is selected; the view shows that and writes the user's clicks and keys back into it.
class TaskTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit TaskTreeView(TaskTree* tree, QWidget* parent = nullptr);

    TaskTreeModel* model() const { return model_; }
    TaskTree* taskTree() const { return tree_; }

signals:
    // The user (not the program) opened or closed a node's branch.
    void expandedByUser(ortolan::TreeNode* node, bool expanded);

public slots:
    // The tree has no announcement for its label-edit mode, so the window calls this after
    // changing it.
    void applyLabelEditMode();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void showExpanded(const TreeNode* node);
    void showTree(); // every expanded node and the selection
    void showSelection(TreeNode* node);
    void takeExpanded(const QModelIndex& index, bool expanded);
    void takeSelection();
    void startEditing(TreeNode* node);

    TaskTree* tree_;
    TaskTreeModel* model_ = nullptr;
    bool showingSelection_ = false; // the view is showing the tree's selection, not the user's
    bool showingExpanded_ = false;  // the view is taking the tree's expanded state
};

} // namespace ortolan
