#pragma once

#include <functional>
#include <QByteArray>
#include <QByteArrayView>

namespace ortolan {

class Output;
class TaskHandler;
class TaskTree;

// Writes a task tree in the task-list format: Windows-1252 text, CRLF line ends, one tab of
// indentation per level (at most 32), the top node's text as the title, each task's six fields
// from the registry. Tasks named "[NOT SAVED]" are left out with everything below them.
class TaskListWriter {
public:
    // Receives the file a piece at a time; returns false to stop the writing.
    using Sink = std::function<bool(QByteArrayView piece)>;

    TaskListWriter(const TaskTree& tree, const TaskHandler* th) : tree_(tree), th_(th) {}

    // Hands the whole file to sink in pieces of about a megabyte, so a large list is never
    // held twice in memory. False when the sink refused a piece.
    bool write(const Sink& sink) const;
    QByteArray toBytes() const;

private:
    bool writeTo(Output& out) const;

    const TaskTree& tree_;
    const TaskHandler* th_;
};

} // namespace ortolan
