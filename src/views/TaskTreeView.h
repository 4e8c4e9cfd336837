#pragma once

#include "views/TaskTreeModel.h"

#include <functional>
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

    // Dragging a task onto another is the window's business; the view only carries the drag.
    // starting gives the text the drag carries (none: no drag), over says whether a drop is
    // taken at a point of the viewport, dropped is handed the text and the point. A view without
    // handlers neither starts drags nor takes drops.
    struct DragHandlers {
        std::function<QString()> starting;
        std::function<bool(const QPoint&)> over;
        std::function<void(const QString&, const QPoint&)> dropped;
    };
    void setDragHandlers(DragHandlers handlers);

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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

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
    DragHandlers drag_;
    bool dragPending_ = false; // the left button went down on a node and may yet drag it
    QPoint pressedAt_;
};

} // namespace ortolan
