#pragma once

#include "model/Task.h"
#include "model/TaskTree.h"

#include <memory>
#include <QObject>
#include <QString>
#include <QUndoStack>

namespace ortolan {

class TaskHandler;
class XMLManager;

// The open task list, apart from any window: the task tree, the registry of task records
// behind it, the file manager that reads and writes it, the file's name, whether it differs
// from that file, and the history of the changes that can be undone.
//
// A change goes into the history as a command (push); undoing back to the step at which the
// list was last saved or loaded makes it unchanged again. A change made outside the history
// marks the list changed and clears the history, whose steps could no longer be undone safely.
class TaskDocument : public QObject {
    Q_OBJECT
public:
    TaskDocument();
    ~TaskDocument() override;

    TaskTree& tree() { return tree_; }
    const TaskTree& tree() const { return tree_; }
    TaskHandler& taskH() { return *taskH_; }
    const TaskHandler& taskH() const { return *taskH_; }
    XMLManager& xml() { return *xml_; }

    const QString& currentFileName() const { return currentFileName_; }
    void setCurrentFileName(const QString& name) { currentFileName_ = name; }

    bool fileHasBeenChanged() const;
    // A change that is not in the history (or, with false, the list as its file has it now).
    void setFileHasBeenChanged(bool changed);
    // Saved or loaded: unchanged, and the present step of the history is the saved one.
    void markSaved();

    // A fresh registry and file manager over the same tree, for a list about to be read or
    // started; the history is cleared.
    void renew();

    QUndoStack& history() { return history_; }
    // Does the command and keeps it for undo.
    void push(QUndoCommand* command);

    // For the commands: the task's node and record by key (null when gone).
    TreeNode* node(const QString& key) const { return tree_.Item(key); }
    Task* task(const QString& key) const;
    // Each command reports its step when done, naming the task it concerns.
    void endApply(const QString& concerned) { emit stepApplied(concerned); }

signals:
    // A task's fields changed through the history: the window follows with what it shows of
    // them (the calendar's day lines).
    void taskEdited(const QString& key, const ortolan::TaskFields& before, const ortolan::TaskFields& after);
    // A step of the history was done, undone or redone; key names the task it concerns.
    void stepApplied(const QString& key);

private:
    TaskTree tree_;
    std::unique_ptr<TaskHandler> taskH_;
    std::unique_ptr<XMLManager> xml_;
    QString currentFileName_;
    QUndoStack history_;
    bool changedOutsideHistory_ = false;
};

} // namespace ortolan
