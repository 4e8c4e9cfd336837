#pragma once

#include "document/DocumentCommand.h"
#include "document/TaskDocument.h"

#include <QStringList>
#include <vector>

namespace ortolan {

// A task with everything below it put into the list or taken out of it: a task added, deleted,
// cut, pasted or imported. The branch is recorded whole (every field, picture, colour, bold and
// expanded state, in order) with its place, so either way it comes back exactly.
class BranchCommand : public DocumentCommand {
public:
    // The branch under node as it is now, taken out by the first redo and put back by undo.
    BranchCommand(TaskDocument& document, const TreeNode* node, const QString& caption);

    struct Entry {
        QString key;
        int parent; // index of its parent in the branch; -1 for the branch's top
        TaskFields fields;
        QString text;
        int image;
        NodeColour colour;
        bool bold;
        bool expanded;
    };
    // New tasks put under the parent by the first redo; an entry without a key gets the next
    // new task ID then, and keeps it for every redo. openParent: the parent is opened to show
    // them, and closed again by undo if it was closed.
    BranchCommand(TaskDocument& document, const QString& parentKey, std::vector<Entry> branch, const QString& caption,
                  bool openParent = false);
    // The keys of the branch's tasks, in order (new tasks': once put).
    QStringList keys() const;

    void redo() override;
    void undo() override;

private:
    void put();
    void take();

    TaskDocument& document_;
    std::vector<Entry> branch_;
    QString parentKey_;
    int row_;
    bool inserted_;
    bool openParent_ = false;
    bool parentWasOpen_ = false;
};

// Tasks moved among their siblings or to another parent: Move Up, Move Down, a drop. The
// children of the parents concerned are recorded before and after, by key.
class MoveCommand : public DocumentCommand {
public:
    // Records the children of the parents now; the caller then moves, and calls recordAfter.
    MoveCommand(TaskDocument& document, const QStringList& parentKeys, const QString& movedKey,
                const QString& caption);
    void recordAfter();

    void redo() override;
    void undo() override;

private:
    using Orders = std::vector<std::pair<QString, QStringList>>;
    Orders orders() const;
    void apply(const Orders& orders);

    TaskDocument& document_;
    QStringList parents_;
    QString moved_;
    Orders before_;
    Orders after_;
};

} // namespace ortolan
