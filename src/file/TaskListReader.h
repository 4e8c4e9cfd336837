#pragma once

#include "TagIndex.h"
#include "XMLManager.h"

#include <algorithm>
#include <functional>
#include <QByteArray>
#include <QString>

namespace ortolan {

class Prompt;
class Task;
class TaskHandler;
class TaskTree;
class TreeNode;

// Reads one task-list file's text into a tree and its registry. Elements are found as a plain
// search for their tags finds them: the first opening tag in a range, and its closing tag with
// nesting of the same tag counted. Text between elements and unknown tags are ignored; values
// are taken verbatim, less the escapes the writer adds.
class TaskListReader {
public:
    // The tree holds its top node and th has just been initialised.
    TaskListReader(const QByteArray& text, TaskTree& tree, TaskHandler& th);

    void setPrompt(Prompt* prompt) { prompt_ = prompt; }
    void setProgressHandler(const std::function<void(float)>& progress) { progress_ = progress; }

    // Asks before reading a newer format; false (with the reason in result) when the file is
    // not to be read.
    bool checkVersion(LoadResult& result);

    // Reads the title and every item; returns how many values could not be read and were left
    // empty (due dates, icon numbers).
    int parse();
    // Items the file has opening tags for that parse did not read.
    int unreadItems() const { return int(std::max<qint64>(0, itemsTotal_ - itemsAdded_)); }
    // Whether the text holds any of the format's tags at all.
    bool hasAnyTag() const;

private:
    using Range = reading::Range;
    using Tag = reading::Tag;

    QString contents(Tag tag, Range range) const;
    QByteArrayView rawContents(Tag tag, Range range) const; // the bytes, escapes and all
    Range whole() const { return {0, quint32(text_.size())}; }
    void parseLists(Range top, TreeNode* rootNode);
    void reportProgress();
    TreeNode* readItem(Range item, TreeNode* parent);
    void readIcon(Range item, Task& task, TreeNode& node);

    const QByteArray& text_;
    TaskTree& tree_;
    TaskHandler& th_;
    reading::TagIndex index_;
    bool utf8_;
    Prompt* prompt_ = nullptr;
    std::function<void(float)> progress_;
    qint64 keyCounter_ = 0;
    qint64 itemsTotal_ = 0;
    qint64 itemsRead_ = 0;
    qint64 itemsAdded_ = 0;
    qint64 lastPercent_ = 0;
    int skipped_ = 0;
};

} // namespace ortolan
