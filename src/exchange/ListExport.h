#pragma once

#include <optional>
#include <QByteArray>
#include <QString>
#include <vector>

namespace ortolan {

class Task;
class TaskHandler;
class TaskTree;
class TreeNode;

// The formats a list goes out in.
enum class ExportFormat { ICalendar, Opml, Markdown, Csv };

// "ics", "opml", "md" or "csv"; nullopt for anything else.
std::optional<ExportFormat> exportFormatFromName(const QString& name);
QString exportSuffix(ExportFormat format);
QString exportFormatName(ExportFormat format); // "iCalendar", "OPML", "Markdown", "CSV"

// A task as the exports see it: its node, its record, how deep it lies below the top task
// (the top task's children are at depth 1) and the row of its parent (-1 for depth 1).
struct ExportRow {
    const TreeNode* node = nullptr;
    const Task* task = nullptr;
    int depth = 1;
    int parent = -1;
};

// The list's title: the top task's name.
QString listTitle(const TaskTree& tree, const TaskHandler& th);

// The tasks of the list (below the top task), or branch and everything below it, in tree order,
// as a save keeps them: a task named "[NOT SAVED]" is left out with everything below it.
std::vector<ExportRow> exportRows(const TaskTree& tree, const TaskHandler& th, const TreeNode* branch = nullptr);

// A due date as ISO 8601: the day alone when it has no time of day ("2026-12-08"), else day and
// time ("2026-12-08T15:30:00"); empty for none.
QString isoDueDate(const Task& task);

// The list in the format, its title taken from the top task.
QByteArray exportList(const TaskTree& tree, const TaskHandler& th, ExportFormat format);

} // namespace ortolan
