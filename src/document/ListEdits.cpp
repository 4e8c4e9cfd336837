#include "ListEdits.h"

#include "document/StructureCommands.h"
#include "file/XMLManager.h"
#include "views/Colouring.h"
#include "views/Formulas.h"

#include <memory>

namespace ortolan {

namespace {

// Refused for a top-level node: it has no parent to be brought to the front of. In this program
// that is only the top node, which never moves.
TreeError bringToFront(TaskTree& tree, TreeNode* node) {
    return tree.SetParent(node, node->Parent());
}

QString refusedDrop(const TreeError& error) {
    return QStringLiteral("Error, you cannot perform this operation. Details: ") + error.description +
           QStringLiteral("\r\n") + QStringLiteral("ERROR NUMBER: ") +
           (error.number >= 0 ? QStringLiteral(" ") : QString()) + QString::number(error.number);
}

QStringList parentKeys(const TreeNode* node) {
    const TreeNode* parent = node->Parent();
    return {parent ? parent->Key() : QString()};
}

} // namespace

ListEdits::Result ListEdits::deleteTask(const QString& key) {
    const TreeNode* node = document_.node(key);
    if (!node)
        return {};
    if (node->Index() == 1)
        return {false, {{kCannotRemoveTop}}};
    if (node->Child())
        return {false,
                {{QStringLiteral("You can only delete tasks with no sub-tasks attached to them."),
                  QStringLiteral("Cannot Delete"), PromptIcon::Warning, PromptButtons::Ok}}};
    return removeBranch(key, QStringLiteral("Delete"));
}

ListEdits::Result ListEdits::cutTask(const QString& key) {
    const TreeNode* node = document_.node(key);
    if (!node)
        return {};
    if (node->Index() == 1)
        return {false, {{kCannotRemoveTop}}};
    return removeBranch(key, QStringLiteral("Cut"));
}

ListEdits::Result ListEdits::removeBranch(const QString& key, const QString& caption) {
    document_.push(new BranchCommand(document_, document_.node(key), caption));
    return {true, {}};
}

ListEdits::Result ListEdits::moveUp(const QString& key, const QString& caption) {
    const TreeNode* node = document_.node(key);
    if (!node)
        return {false, {{kCannotMoveUp}}};
    auto step = std::make_unique<MoveCommand>(document_, parentKeys(node), key, caption);
    Result result;
    if (!moveUpSteps(node->Index(), node->Index(), result.said))
        return {false, result.said << PromptMessage{caption == QLatin1String("Move Up") ? kCannotMoveUp
                                                                                        : kCannotMoveDown}};
    // A section's formulas count what stands beside them, in order.
    ReCalcTree(document_.tree(), document_.taskH());
    step->recordAfter();
    document_.push(step.release());
    result.changed = true;
    return result;
}

ListEdits::Result ListEdits::moveDown(const QString& key) {
    const TreeNode* node = document_.node(key);
    if (!node)
        return {false, {{kCannotMoveDown}}};
    const TreeNode* below = node->Next();
    if (!below)
        return {false, {{kNothingBelow}}};
    // Moving the node below up one place is the same as moving this one down; the step names
    // the task the user moved.
    auto step = std::make_unique<MoveCommand>(document_, parentKeys(node), key, QStringLiteral("Move Down"));
    Result result;
    if (!moveUpSteps(below->Index(), below->Index(), result.said))
        return {false, result.said << PromptMessage{kCannotMoveDown}};
    ReCalcTree(document_.tree(), document_.taskH());
    step->recordAfter();
    document_.push(step.release());
    result.changed = true;
    return result;
}

ListEdits::Result ListEdits::drop(const QString& key, const QString& targetKey) {
    TreeNode* dragged = document_.node(key);
    TreeNode* target = document_.node(targetKey);
    if (!dragged || !target)
        return {};
    if (dragged->Index() == 1)
        return {false, {{kCannotMoveRoot}}};
    if (dragged == target)
        return {false, {{kCannotMoveToItself}}};
    auto step = std::make_unique<MoveCommand>(document_, parentKeys(dragged) << targetKey, key,
                                              QStringLiteral("Move Task"));
    // The tree refuses before it detaches anything, so a refused task is still where it was.
    const TreeError refused = document_.tree().SetParent(dragged, target);
    if (refused)
        return {false, {{refusedDrop(refused)}}};
    // Both the section the task left and the one it joined may hold formulas.
    ReCalcTree(document_.tree(), document_.taskH());
    step->recordAfter();
    document_.push(step.release());
    return {true, {}};
}

QStringList ListEdits::insertTasks(const QString& parentKey, const FragmentTasks& tasks, const QString& caption,
                                   bool changesFile, bool openParent) {
    // One branch for each top task of the fragment; several make one step together.
    std::vector<std::vector<BranchCommand::Entry>> branches;
    std::vector<std::pair<size_t, int>> place(tasks.size()); // branch and entry of each task
    for (size_t i = 0; i < tasks.size(); ++i) {
        const FragmentTask& t = tasks[i];
        if (t.parent < 0 || size_t(t.parent) >= i)
            branches.emplace_back();
        const size_t b = t.parent < 0 || size_t(t.parent) >= i ? branches.size() - 1 : place[size_t(t.parent)].first;
        const int parent = t.parent < 0 || size_t(t.parent) >= i ? -1 : place[size_t(t.parent)].second;
        Task record;
        t.fields.applyTo(record);
        branches[b].push_back({QString(), parent, t.fields, t.fields.name, XMLManager::pictureForIcon(t.fields.icon),
                               statusColour(record), false, false});
        place[i] = {b, int(branches[b].size()) - 1};
    }
    QStringList keys;
    if (branches.size() > 1)
        document_.history().beginMacro(caption);
    for (auto& branch : branches) {
        auto* step = new BranchCommand(document_, parentKey, std::move(branch), caption, openParent);
        step->setChangesFile(changesFile);
        document_.push(step);
        keys << step->keys();
    }
    if (branches.size() > 1)
        document_.history().endMacro();
    return keys;
}

bool ListEdits::moveUpSteps(int origIndex, int index, QList<PromptMessage>& said) {
    TaskTree& tree = document_.tree();
    for (int at = index;;) {
        TreeNode* node = tree.Item(at);
        if (!node)
            return false;
        TreeNode* previous = node->Previous();
        if (!previous) {
            said << PromptMessage{kPastParent, kAppTitle, PromptIcon::Information, PromptButtons::Ok};
            return true;
        }
        if (previous->Index() == origIndex) // the moving node stands just before: the last step
            return !bringToFront(tree, node);
        int next = previous->Index();
        if (at == origIndex) {
            // The first step moves the node itself; the next one is the node two places before.
            const TreeNode* beforePrevious = previous->Previous();
            if (!beforePrevious)
                return !bringToFront(tree, node);
            next = beforePrevious->Index();
        }
        if (bringToFront(tree, node))
            return false;
        at = next;
    }
}

} // namespace ortolan
