#include "XMLManager.h"

#include "model/TaskHandler.h"
#include "model/TaskTree.h"
#include "TaskListReader.h"
#include "TaskListWriter.h"
#include "views/Colouring.h"
#include "views/Formulas.h"

#include <limits>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace ortolan {

XMLManager::XMLManager(TaskTree& tree) : tree_(tree) {}

LoadResult XMLManager::loadXMLFile(const QString& filename, TaskHandler& th, const QString&) {
    taskHandler_ = &th;
    LoadResult result;
    QByteArray bytes;
    if (!filename.isEmpty()) {
        QFile file(filename);
        if (!file.exists()) {
            result.fileMissing = true;
        } else if (QFileInfo(filename).isDir()) {
            result.error = QStringLiteral("Cannot load file. \"%1\" is a folder, not a task list.").arg(filename);
            return result;
        } else if (!file.open(QIODevice::ReadOnly)) {
            result.error =
                QStringLiteral("Cannot load file. \"%1\" could not be read: %2").arg(filename, file.errorString());
            return result;
        } else if (file.size() >= qint64(std::numeric_limits<quint32>::max())) {
            result.error = QStringLiteral("Cannot load file. \"%1\" is too large to be a task list.").arg(filename);
            return result;
        } else {
            bytes.resize(file.size());
            const qint64 got = file.read(bytes.data(), bytes.size());
            if (got < 0 || file.error() != QFileDevice::NoError) {
                result.error =
                    QStringLiteral("Cannot load file. \"%1\" could not be read: %2").arg(filename, file.errorString());
                return result;
            }
            bytes.resize(got);
        }
    }
    LoadResult read = loadFromBytes(std::move(bytes), th);
    read.fileMissing = result.fileMissing;
    return read;
}

LoadResult XMLManager::loadFromBytes(QByteArray bytes, TaskHandler& th) {
    taskHandler_ = &th;
    LoadResult result;
    if (quint64(bytes.size()) >= std::numeric_limits<quint32>::max()) {
        result.error = QStringLiteral("Cannot load file. The file is too large to be a task list.");
        return result;
    }
    // Another editor may have saved the list as UTF-16; the reader reads 8-bit text.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto toText = QStringDecoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                                          : QStringConverter::Utf16BE);
        bytes = QString(toText(bytes)).toUtf8();
    }
    {
        TaskListReader reader(bytes, tree_, th);
        // Something that is not a task list (another program's file, binary data) must not open
        // as an empty list that a save would then write over it.
        if (!bytes.trimmed().isEmpty() && !reader.hasAnyTag()) {
            result.error = QStringLiteral("Cannot load file. This is not a valid Ortolan file.");
            return result;
        }
        reader.setPrompt(prompt_);
        reader.setProgressHandler(progress_);
        if (!reader.checkVersion(result))
            return result;
        result.skippedValues = reader.parse();
        result.unreadItems = reader.unreadItems();
    }
    bytes = QByteArray(); // the text and its index are done with before the whole-tree passes
    ColourTree(tree_, th);
    ReCalcTree(tree_, th);
    result.ok = true;
    return result;
}

// ---- writing ----

QByteArray XMLManager::fileContents() const {
    return TaskListWriter(tree_, taskHandler_).toBytes();
}

SaveResult XMLManager::saveXMLfile(const QString& filename) const {
    QSaveFile file(filename);
    // Unbuffered, so that a short write (a full disk, a size limit) shows in write()'s count
    // here rather than being lost in a final flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, QStringLiteral("Could not write \"%1\": %2").arg(filename, file.errorString())};
    const bool written = TaskListWriter(tree_, taskHandler_).write([&file](QByteArrayView piece) {
        return file.write(piece.data(), piece.size()) == piece.size();
    });
    if (!written) {
        const QString why = file.error() == QFileDevice::NoError
                                ? QStringLiteral("the disk is full or the file too large")
                                : file.errorString();
        file.cancelWriting();
        return {false, QStringLiteral("Could not write \"%1\": %2").arg(filename, why)};
    }
    if (!file.commit())
        return {false, QStringLiteral("Could not write \"%1\": %2").arg(filename, file.errorString())};
    return {true, QString()};
}

// ---- opening ----

void prepareEmptyList(TaskTree& tree, TaskHandler& th) {
    tree.Clear();
    tree.AddTopLevel(kRootID, kDefaultListTitle, 1);
    th.init();
}

LoadResult loadTaskList(XMLManager& xml, const QString& filename, TaskTree& tree, TaskHandler& th) {
    prepareEmptyList(tree, th);
    LoadResult result = xml.loadXMLFile(filename, th);
    if (result.ok) {
        TreeNode* top = tree.Item(kRootID);
        top->setText(th.getTask(kRootID)->TaskName);
        top->setExpanded(true);
    }
    return result;
}

} // namespace ortolan
