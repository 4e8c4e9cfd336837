#pragma once

#include "ObjectPool.h"
#include "Task.h"
#include "TaskKey.h"

#include <memory>
#include <QHash>

namespace ortolan {

class TreeNode;

// The registry of the open document's tasks: one chain in the order the records were added,
// headed by the root task. Lookups go through an index beside the chain, so getTask answers
// in constant time with the record a walk from the head would meet first.
class TaskHandler {
public:
    TaskHandler();
    ~TaskHandler();
    TaskHandler(const TaskHandler&) = delete;
    TaskHandler& operator=(const TaskHandler&) = delete;

    qint64 getTaskCount() const { return taskCount_; }

    // Drops every record and starts again with a fresh root task.
    void init();

    Task* getTask(const QString& id) const;

    // getTask(node->Key()), remembered on the node so that passes over the whole tree skip the
    // lookup. What is remembered is forgotten whenever this registry loses a record.
    Task* taskOf(const TreeNode* node) const;

    // "T" + the next counter value. Does not advance the counter: register the task with
    // addTask before asking again.
    QString getNewTaskID() const;

    // Appends the record to the chain; the registry keeps it from then on. Returns the
    // registry's record.
    Task* addTask(Task&& theTask);
    Task* addTask(std::unique_ptr<Task> theTask) { return addTask(std::move(*theTask)); }

    // Unlinks and destroys the record; the caller's pointer comes back null. The counter is not
    // lowered, so no ID is handed out twice between two inits.
    void deleteTask(Task*& theTask);

    // Room for this many records without growing the index.
    void reserve(qint64 count) { byID_.reserve(count + 1); }

    Task* headTask() const { return head_; }
    Task* tailTask() const { return tail_; }
    qint64 idCounter() const { return idCounter_; }

private:
    void clearChain();
    void indexRecord(Task* task);
    void unindexRecord(Task* task);

    Task* head_ = nullptr;
    Task* tail_ = nullptr;
    qint64 taskCount_ = 0;
    qint64 idCounter_ = 0;   // addTask calls since init; wide enough never to wrap
    quint64 generation_ = 0; // changes whenever a record goes; unique across registries
    QHash<TaskKey, Task*> byID_;
    ObjectPool<Task> pool_;
};

} // namespace ortolan
