#include "Colouring.h"

#include "model/TaskHandler.h"

namespace ortolan {

namespace {
void colourOne(TreeNode* node, const TaskHandler& th) {
    const Task* task = th.taskOf(node);
    if (!task)
        return; // a node without a record keeps its look
    node->setBold(false);
    node->setForeColor(statusColour(*task));
}
} // namespace

bool isInTodayCategory(const Task& task) {
    return task.CategoryString.contains(QLatin1String("Today"));
}

NodeColour statusColour(const Task& task) {
    if (task.Status == kStatusComplete)
        return kColourGrey;
    return isInTodayCategory(task) ? kColourDarkRed : kColourBlack;
}

void ColourTree(TaskTree& tree, const TaskHandler& th) {
    const int count = tree.Count();
    for (int i = 2; i <= count; ++i)
        colourOne(tree.Item(i), th);
}

void colorNode(TaskTree& tree, const TaskHandler& th, const QString& key) {
    if (TreeNode* node = tree.Item(key))
        colourOne(node, th);
}

} // namespace ortolan
