#include "StructureCommands.h"

#include "file/XMLManager.h"
#include "model/TaskHandler.h"
#include "views/Formulas.h"

#include <memory>

namespace ortolan {

BranchCommand::BranchCommand(TaskDocument& document, const TreeNode* node, const QString& caption)
    : DocumentCommand(caption), document_(document), inserted_(false) {
    const TreeNode* parent = node->Parent();
    parentKey_ = parent ? parent->Key() : QString();
    row_ = node->row();
    // Depth first, in the order a file lists them, each entry after its parent.
    std::vector<std::pair<const TreeNode*, int>> open{{node, -1}};
    while (!open.empty()) {
        const auto [n, parentEntry] = open.back();
        open.pop_back();
        const Task* task = document_.taskH().taskOf(n);
        branch_.push_back({n->Key(), parentEntry, task ? TaskFields::of(*task) : TaskFields{}, n->Text(), n->Image(),
                           n->ForeColor(), n->Bold(), n->Expanded()});
        const int self = int(branch_.size()) - 1;
        for (int row = n->Children() - 1; row >= 0; --row)
            open.push_back({n->childAt(row), self});
    }
}

BranchCommand::BranchCommand(TaskDocument& document, const QString& parentKey, std::vector<Entry> branch,
                             const QString& caption, bool openParent)
    : DocumentCommand(caption), document_(document), branch_(std::move(branch)), parentKey_(parentKey),
      inserted_(true), openParent_(openParent) {
    const TreeNode* parent = document_.node(parentKey);
    row_ = parent ? parent->Children() : 0;
    parentWasOpen_ = parent && parent->Expanded();
}

QStringList BranchCommand::keys() const {
    QStringList all;
    for (const Entry& e : branch_)
        all << e.key;
    return all;
}

void BranchCommand::redo() {
    inserted_ ? put() : take();
}

void BranchCommand::undo() {
    inserted_ ? take() : put();
}

void BranchCommand::put() {
    TreeNode* parent = document_.node(parentKey_);
    if (!parent)
        return;
    std::vector<TreeNode*> made;
    made.reserve(branch_.size());
    for (Entry& e : branch_) {
        if (e.key.isEmpty())
            e.key = document_.taskH().getNewTaskID();
        auto record = std::make_unique<Task>();
        record->ID = e.key;
        e.fields.applyTo(*record);
        document_.taskH().addTask(std::move(record));
        TreeNode* node = document_.tree().Add(e.parent < 0 ? parent : made[size_t(e.parent)], e.key, e.text, e.image);
        node->setForeColor(e.colour);
        node->setBold(e.bold);
        made.push_back(node);
    }
    document_.tree().moveTo(made.front(), parent, row_);
    for (size_t i = 0; i < made.size(); ++i)
        made[i]->setExpanded(branch_[i].expanded);
    if (openParent_)
        parent->setExpanded(true);
    ReCalcTree(document_.tree(), document_.taskH());
    for (const Entry& e : branch_)
        emit document_.taskEdited(e.key, TaskFields{}, e.fields);
    document_.endApply(branch_.front().key);
}

void BranchCommand::take() {
    TreeNode* node = document_.node(branch_.front().key);
    if (!node)
        return;
    for (const Entry& e : branch_) {
        if (Task* record = document_.task(e.key)) {
            emit document_.taskEdited(e.key, TaskFields::of(*record), TaskFields{});
            document_.taskH().deleteTask(record);
        }
    }
    document_.tree().Remove(node);
    if (openParent_ && !parentWasOpen_)
        if (TreeNode* parent = document_.node(parentKey_))
            parent->setExpanded(false);
    ReCalcTree(document_.tree(), document_.taskH());
    document_.endApply(parentKey_);
}

MoveCommand::MoveCommand(TaskDocument& document, const QStringList& parentKeys, const QString& movedKey,
                         const QString& caption)
    : DocumentCommand(caption, true), document_(document), parents_(parentKeys), moved_(movedKey) {
    parents_.removeDuplicates();
    before_ = orders();
}

void MoveCommand::recordAfter() {
    after_ = orders();
}

MoveCommand::Orders MoveCommand::orders() const {
    Orders all;
    for (const QString& key : parents_) {
        QStringList children;
        if (const TreeNode* parent = document_.node(key))
            for (const TreeNode* c = parent->Child(); c; c = c->Next())
                children << c->Key();
        all.emplace_back(key, children);
    }
    return all;
}

void MoveCommand::redo() {
    if (skipFirstRedo())
        return;
    apply(after_);
}

void MoveCommand::undo() {
    apply(before_);
}

void MoveCommand::apply(const Orders& orders) {
    for (const auto& [parentKey, children] : orders) {
        TreeNode* parent = document_.node(parentKey);
        for (int row = 0; parent && row < children.size(); ++row)
            if (TreeNode* child = document_.node(children[row]))
                document_.tree().moveTo(child, parent, row);
    }
    ReCalcTree(document_.tree(), document_.taskH());
    document_.endApply(moved_);
}

} // namespace ortolan
