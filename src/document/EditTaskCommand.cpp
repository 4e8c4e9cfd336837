#include "EditTaskCommand.h"

#include "file/XMLManager.h"
#include "model/TaskHandler.h"
#include "views/Formulas.h"

namespace ortolan {

EditTaskCommand::EditTaskCommand(TaskDocument& document, const QString& key, const TaskFields& before,
                                 const TaskFields& after, const QString& caption, NodeColour colourBefore,
                                 NodeColour colourAfter, int visit)
    : DocumentCommand(caption), document_(document), key_(key), before_(before), after_(after),
      colourBefore_(colourBefore), colourAfter_(colourAfter), visit_(visit) {}

bool EditTaskCommand::mergeWith(const QUndoCommand* other) {
    const auto* typing = static_cast<const EditTaskCommand*>(other);
    if (typing->key_ != key_ || typing->visit_ != visit_)
        return false;
    after_ = typing->after_;
    return true;
}

void EditTaskCommand::apply(const TaskFields& from, const TaskFields& to, NodeColour colour) {
    TreeNode* node = document_.node(key_);
    Task* task = document_.task(key_);
    if (!node || !task)
        return;
    to.applyTo(*task);
    if (to.icon != from.icon)
        node->setImage(to.icon >= 1 && to.icon <= XMLManager::kPictureCount ? to.icon : 2);
    if (to.name != from.name) {
        // A formula compares its siblings with the text the node showed before the edit.
        const QString shown = hasFormula(to.name) ? ReCalcForNode(document_.tree(), document_.taskH(), node) : to.name;
        ReCalcTree(document_.tree(), document_.taskH());
        node->setText(shown);
    }
    node->setForeColor(colour);
    emit document_.taskEdited(key_, from, to);
    document_.endApply(key_);
}

} // namespace ortolan
