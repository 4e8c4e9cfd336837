#pragma once

#include <functional>
#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace ortolan {

class TaskHandler;
class TaskTree;

// Receives the JSON text a piece at a time.
using JsonSink = std::function<void(const QByteArray& piece)>;

// The list as the command-line tool shows it: {"title", "count", "tasks": [...]}, each task
// with its key, stored name, shown text, fields, colour and children in tree order. Written as
// it goes, in pieces of about a megabyte, without recursion: any depth the reader accepts can be
// dumped. The indentation stops growing past 32 levels, as in the list files.
void writeTaskListJson(const TaskTree& tree, const TaskHandler& th, const JsonSink& sink);

// Builds a list from that shape (title and, per task, name, description, categories, icon,
// status, due and children). On bad input returns false with the reason in *error.
bool taskListFromJson(const QJsonObject& json, TaskTree& tree, TaskHandler& th, QString* error);

} // namespace ortolan
