#pragma once

#include "model/TaskTree.h"

#include <QString>

namespace ortolan {

class Task;
class TaskHandler;

inline constexpr NodeColour kColourBlack = 0x000000;
inline constexpr NodeColour kColourDarkRed = 0x800000;
inline constexpr NodeColour kColourGrey = 0x808080;

// A task is in the day's work when its categories mention "Today" anywhere (case-sensitive).
bool isInTodayCategory(const Task& task);
// Grey when completed, dark red when unfinished and for today, black otherwise.
NodeColour statusColour(const Task& task);

// Colours every node but the top one from its task's status and categories, clearing bold.
void ColourTree(TaskTree& tree, const TaskHandler& th);
// The same for one node, the top node included.
void colorNode(TaskTree& tree, const TaskHandler& th, const QString& key);

} // namespace ortolan
