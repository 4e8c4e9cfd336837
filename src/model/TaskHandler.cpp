#include "TaskHandler.h"

#include "TaskTree.h"

#include <atomic>

namespace ortolan {

namespace {
quint64 nextGeneration() {
    static std::atomic<quint64> counter{0};
    return ++counter;
}
} // namespace

TaskHandler::TaskHandler() {
    init();
}

TaskHandler::~TaskHandler() {
    clearChain();
}

void TaskHandler::clearChain() {
    Task* t = head_;
    while (t) {
        Task* next = t->next_;
        pool_.destroy(t);
        t = next;
    }
    head_ = tail_ = nullptr;
    byID_.clear();
    pool_.reset();
}

void TaskHandler::init() {
    clearChain();
    Task* root = pool_.create();
    root->ID = kRootID;
    head_ = tail_ = root;
    byID_.insert(TaskKey{root->ID}, root);
    taskCount_ = 0;
    idCounter_ = 0;
    generation_ = nextGeneration();
}

Task* TaskHandler::getTask(const QString& id) const {
    return byID_.value(TaskKey{id}, nullptr);
}

Task* TaskHandler::taskOf(const TreeNode* node) const {
    if (node->taskGeneration_ == generation_)
        return node->task_;
    // Only found records are remembered: a record added later under a missing key must be seen.
    // Adding never changes which record a key finds first, so only losing one forgets.
    Task* task = getTask(node->Key());
    if (task) {
        node->task_ = task;
        node->taskGeneration_ = generation_;
    }
    return task;
}

QString TaskHandler::getNewTaskID() const {
    return QLatin1Char('T') + QString::number(idCounter_ + 1);
}

void TaskHandler::indexRecord(Task* task) {
    // Records with the same ID queue up in chain order behind the first one, which is the
    // one a walk from the head would find.
    auto it = byID_.find(TaskKey{task->ID});
    if (it == byID_.end()) {
        byID_.insert(TaskKey{task->ID}, task);
        return;
    }
    Task* last = it.value();
    while (last->nextSameID_)
        last = last->nextSameID_;
    last->nextSameID_ = task;
}

void TaskHandler::unindexRecord(Task* task) {
    auto it = byID_.find(TaskKey{task->ID});
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

Task* TaskHandler::addTask(Task&& theTask) {
    Task* task = pool_.create(std::move(theTask));
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
    generation_ = nextGeneration();
    pool_.destroy(task);
    theTask = nullptr;
    --taskCount_;
}

} // namespace ortolan
