#include "TaskHandler.h"

namespace ortolan {

TaskHandler::TaskHandler() { init(); }

TaskHandler::~TaskHandler() { clearChain(); }

void TaskHandler::clearChain() {
    Task* t = head_;
    while (t) {
        Task* next = t->next_;
        delete t;
        t = next;
    }
    head_ = tail_ = nullptr;
    byID_.clear();
}

void TaskHandler::init() {
    clearChain();
    auto root = new Task;
    root->ID = kRootID;
    head_ = tail_ = root;
    byID_.insert(root->ID, root);
    taskCount_ = 0;
    idCounter_ = 0;
}

Task* TaskHandler::getTask(const QString& id) const { return byID_.value(id, nullptr); }

QString TaskHandler::getNewTaskID() const { return QLatin1Char('T') + QString::number(idCounter_ + 1); }

void TaskHandler::indexRecord(Task* task) {
    // Records with the same ID queue up in chain order behind the first one, which is the
    // one a walk from the head would find.
    auto it = byID_.find(task->ID);
    if (it == byID_.end()) {
        byID_.insert(task->ID, task);
        return;
    }
    Task* last = it.value();
    while (last->nextSameID_)
        last = last->nextSameID_;
    last->nextSameID_ = task;
}

void TaskHandler::unindexRecord(Task* task) {
    auto it = byID_.find(task->ID);
    if (it == byID_.end())
        return;
    if (it.value() == task) {
        if (task->nextSameID_)
            it.value() = task->nextSameID_;
        else
            byID_.erase(it);
        return;
    }
    for (Task* t = it.value(); t->nextSameID_; t = t->nextSameID_) {
        if (t->nextSameID_ == task) {
            t->nextSameID_ = task->nextSameID_;
            return;
        }
    }
}

Task* TaskHandler::addTask(std::unique_ptr<Task> theTask) {
    Task* task = theTask.release();
    task->next_ = nullptr;
    task->nextSameID_ = nullptr;
    tail_->next_ = task;
    task->previous_ = tail_;
    tail_ = task;
    indexRecord(task);
    ++taskCount_;
    ++idCounter_;
    return task;
}

void TaskHandler::deleteTask(Task*& theTask) {
    Task* task = theTask;
    if (!task || task == head_)
        return; // the root task stays for the registry's whole life
    if (task == tail_)
        tail_ = task->previous_;
    task->previous_->next_ = task->next_;
    if (task->next_)
        task->next_->previous_ = task->previous_;
    unindexRecord(task);
    delete task;
    theTask = nullptr;
    --taskCount_;
}

} // namespace ortolan
