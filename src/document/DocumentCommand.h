#pragma once

#include <QUndoCommand>

namespace ortolan {

// A step of the document's history. A step the window has already carried out by its own
// means (the calendar's lines, the clipboard, the messages) is pushed as done: its first redo
// only records it.
class DocumentCommand : public QUndoCommand {
public:
    explicit DocumentCommand(const QString& caption, bool alreadyDone = false)
        : QUndoCommand(caption), pending_(alreadyDone) {}

    // Whether the step changes what the list's file would hold: importing tasks that are never
    // saved does not, so undoing it or doing it again leaves the list as saved.
    bool changesFile() const { return changesFile_; }
    void setChangesFile(bool changes) { changesFile_ = changes; }

protected:
    // True once, for the first redo of a step pushed as done.
    bool skipFirstRedo() {
        const bool skip = pending_;
        pending_ = false;
        return skip;
    }

private:
    bool pending_;
    bool changesFile_ = true;
};

} // namespace ortolan
