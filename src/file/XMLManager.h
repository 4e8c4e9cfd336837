#pragma once

#include <functional>
#include <QByteArray>
#include <QString>

namespace ortolan {

// The title of a list that has none.
inline const QString kDefaultListTitle = QStringLiteral("My Tasks");

class Prompt;
class TaskHandler;
class TaskTree;

struct LoadResult {
    bool ok = false;       // false: the user declined a newer format, or the file was refused
    int skippedValues = 0; // due dates and icon numbers that could not be read
    bool fileMissing = false;
    int unreadItems = 0; // items the file has tags for that could not be read (a cut-off file)
    QString error; // why the file was refused, when it was
};

struct SaveResult {
    bool ok = false;
    QString error;
};

// Reads and writes task-list files (".oxml"). One manager serves one document: it reads the
// file into the tree and the registry, and later writes that tree back with that registry.
class XMLManager {
public:
    static constexpr int kPictureCount = 23; // pictures in the task icon list, numbered from 1
    // The picture a task's node shows for its icon number: icon 0 (never set), and a number the
    // picture list lacks, show picture 2.
    static constexpr int pictureForIcon(int icon) { return icon >= 1 && icon <= kPictureCount ? icon : 2; }

    explicit XMLManager(TaskTree& tree);

    // Questions (a newer format version) go here; without one they are answered No.
    void setPrompt(Prompt* prompt) { prompt_ = prompt; }
    // Called with the fraction of items read, once per whole percent.
    void setProgressHandler(std::function<void(float)> handler) { progress_ = std::move(handler); }

    // Reads the file into the tree and th. The caller has cleared the tree, added the top
    // node and called th.init() (see prepareEmptyList). A missing or empty file reads as an
    // empty list. Ends with colouring and recalculating the tree.
    LoadResult loadXMLFile(const QString& filename, TaskHandler& th, const QString& category = QString());
    LoadResult loadFromBytes(QByteArray bytes, TaskHandler& th);

    // Writes the tree through a temporary file that replaces the old one only when complete.
    SaveResult saveXMLfile(const QString& filename) const;
    // The bytes saveXMLfile writes.
    QByteArray fileContents() const;

    TaskHandler* taskHandler() const { return taskHandler_; }
    // For a list built without reading a file: the registry the writer takes the tasks from.
    void setTaskHandler(TaskHandler* th) { taskHandler_ = th; }

private:
    TaskTree& tree_;
    TaskHandler* taskHandler_ = nullptr;
    Prompt* prompt_ = nullptr;
    std::function<void(float)> progress_;
};

// Empties the tree and the registry and adds the top node, as every load expects.
void prepareEmptyList(TaskTree& tree, TaskHandler& th);

// Opens a task-list file the way the program does: a fresh list, the file read into it, the
// title shown on the top node, the top node expanded.
LoadResult loadTaskList(XMLManager& xml, const QString& filename, TaskTree& tree, TaskHandler& th);

} // namespace ortolan
