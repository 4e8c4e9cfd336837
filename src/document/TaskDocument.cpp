#include "TaskDocument.h"

#include "document/DocumentCommand.h"
#include "file/XMLManager.h"
#include "model/TaskHandler.h"

#include <algorithm>

namespace ortolan {

TaskDocument::TaskDocument() : taskH_(std::make_unique<TaskHandler>()), xml_(std::make_unique<XMLManager>(tree_)) {
    xml_->setTaskHandler(taskH_.get());
}

TaskDocument::~TaskDocument() = default;

bool TaskDocument::fileHasBeenChanged() const {
    if (changedOutsideHistory_)
        return true;
    const int clean = history_.cleanIndex();
    if (clean < 0)
        return true; // the saved step was dropped from the history
    // Between the saved step and the present one, any step that changes the file.
    for (int i = std::min(clean, history_.index()); i < std::max(clean, history_.index()); ++i) {
        const auto* step = dynamic_cast<const DocumentCommand*>(history_.command(i));
        if (!step || step->changesFile())
            return true;
    }
    return false;
}

void TaskDocument::setFileHasBeenChanged(bool changed) {
    if (!changed) {
        markSaved();
        return;
    }
    changedOutsideHistory_ = true;
    history_.clear();
}

void TaskDocument::markSaved() {
    changedOutsideHistory_ = false;
    history_.setClean();
}

void TaskDocument::renew() {
    history_.clear();
    changedOutsideHistory_ = false;
    taskH_ = std::make_unique<TaskHandler>();
    xml_ = std::make_unique<XMLManager>(tree_);
    xml_->setTaskHandler(taskH_.get());
}

void TaskDocument::push(QUndoCommand* command) {
    history_.push(command);
}

Task* TaskDocument::task(const QString& key) const {
    return taskH_->getTask(key);
}

} // namespace ortolan
