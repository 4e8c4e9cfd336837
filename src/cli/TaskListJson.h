#pragma once

#include <QJsonObject>
#include <QString>

namespace ortolan {

class TaskHandler;
class TaskTree;

// The list as the command-line tool shows it: {"title", "count", "tasks": [...]}, each task
// with its key, stored name, shown text, fields, colour and children in tree order.
QJsonObject taskListToJson(const TaskTree& tree, const TaskHandler& th);

// Builds a list from that shape (title and, per task, name, description, categories, icon,
// status, due and children). On bad input returns false with the reason in *error.
bool taskListFromJson(const QJsonObject& json, TaskTree& tree, TaskHandler& th, QString* error);

} // namespace ortolan
