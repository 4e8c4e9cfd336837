#pragma once

#include "document/DocumentCommand.h"
#include "document/TaskDocument.h"

namespace ortolan {

// A change to one task's fields: a rename, a formula appended, typing in the description, a
// picture, completion, a category, a due date set or removed. Done and undone the same way:
// the fields are set, the node shows the name (a formula worked out against the text the node
// showed before), the picture and the colour, and every formula is worked out again.
class EditTaskCommand : public DocumentCommand {
public:
    // Typing in one task's description during one visit of it is one step.
    static constexpr int kTypingId = 1;

    // The node's colour goes from colourBefore to colourAfter with the fields (the commands
    // colour differently: completion by its button's rule, a category by the task's status).
    EditTaskCommand(TaskDocument& document, const QString& key, const TaskFields& before, const TaskFields& after,
                    const QString& caption, NodeColour colourBefore, NodeColour colourAfter, int visit = -1);

    void redo() override { apply(before_, after_, colourAfter_); }
    void undo() override { apply(after_, before_, colourBefore_); }
    int id() const override { return visit_ >= 0 ? kTypingId : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply(const TaskFields& from, const TaskFields& to, NodeColour colour);

    TaskDocument& document_;
    QString key_;
    TaskFields before_;
    TaskFields after_;
    NodeColour colourBefore_;
    NodeColour colourAfter_;
    int visit_;
};

} // namespace ortolan
