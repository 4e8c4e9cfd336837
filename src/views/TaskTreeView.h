#pragma once

#include "views/TaskFinder.h"
#include "views/TaskTreeModel.h"

#include <functional>
#include <QTimer>
#include <QTreeView>

class QDrag;

namespace ortolan {

// What a task drag carries: which drag of which tree, and the dragged node's key. Text boxes
// know nothing of this type, so a task dropped on them is refused rather than typed in.
inline const QString kTaskDragMimeType = QStringLiteral("application/x-ortolan-task-drag");

// The window's task tree. The core tree stays the record of which nodes are expanded and which
// one is selected; the view shows that and writes the user's clicks and keys back into it.
class TaskTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit TaskTreeView(TaskTree* tree, QWidget* parent = nullptr);

    TaskTreeModel* model() const { return model_; }
    TaskTree* taskTree() const { return tree_; }

    // Dragging a task onto another is the window's business; the view only carries the drag.
    // starting gives the key the drag carries (none: no drag), over says whether the node at a
    // point of the viewport takes the drop, dropped is handed the key and the point, finished
    // runs when the drag has ended anywhere, dropped or cancelled. A view without handlers
    // neither starts drags nor takes drops. Only a drag this view started is taken.
    struct DragHandlers {
        std::function<QString()> starting;
        std::function<bool(const QPoint&)> over;
        std::function<void(const QString&, const QPoint&)> dropped;
        std::function<void()> finished;
    };
    void setDragHandlers(DragHandlers handlers);
    // A drag of the node with key begins: the data it carries, which this view takes until
    // endTaskDrag. startDrag brackets a real drag with the two.
    QMimeData* beginTaskDrag(const QString& key);
    void endTaskDrag();

    // Carries a drag out: normally Qt's own drag, which returns when the drag has ended. A test
    // may send the events a drag sends instead.
    using DragRunner = std::function<Qt::DropAction(QDrag*)>;
    void setDragRunner(DragRunner runner) { runDrag_ = std::move(runner); }

    // Stores what the open label editor holds, as pressing Enter would, and closes it.
    void commitLabelEdit();
    // A search's rows: those it leaves out are hidden, the rest shown.
    void showFound(const std::vector<TaskFinder::Row>& rows);
    // Shows a node and its ancestors, whatever a search left out.
    void reveal(const TreeNode* node);
    void showAllRows();

    // Whether a point of the viewport lies on the text of the node there.
    bool isOnLabel(const QPoint& at) const;

signals:
    // The user (not the program) opened or closed a node's branch.
    void expandedByUser(ortolan::TreeNode* node, bool expanded);
    // A mouse button went down in the viewport, after the view has taken the press.
    void mousePressed(Qt::MouseButton button, const QPoint& at);

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
    void mouseDoubleClickEvent(QMouseEvent* event) override;
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
    bool isOwnDrag(const QMimeData* data) const;
    QString draggedKey(const QMimeData* data) const;

    TaskTree* tree_;
    TaskTreeModel* model_ = nullptr;
    bool showingSelection_ = false; // the view is showing the tree's selection, not the user's
    bool showingExpanded_ = false;  // the view is taking the tree's expanded state
    DragHandlers drag_;
    bool dragPending_ = false; // the left button went down on a node and may yet drag it
    QPoint pressedAt_;
    QByteArray dragToken_; // the drag under way from this view; empty when none
    DragRunner runDrag_;

    // Click-to-rename: a click on the label of the node that was selected before the press
    // opens it once the double-click interval has passed without a second click.
    QTimer renameTimer_;
    QPersistentModelIndex renameIndex_;
    bool pressOnSelected_ = false;
};

} // namespace ortolan
