#include "Backups.h"

#include "model/Prompt.h"
#include "settings/Clock.h"
#include "settings/OTLFunctions.h"

#include <QDir>
#include <QFile>

namespace ortolan {

namespace {
constexpr int kMaxBackupsPerDay = 200;
} // namespace

QString backupFolder() {
    return getDataFolder() + QStringLiteral("/Backup");
}

QString BackupCurrent(const QString& curFilename, Prompt* prompt) {
    const QString folder = backupFolder();
    QDir().mkpath(folder); // when that fails, the copy below fails and says so

    const QString prefix =
        QStringLiteral("backup-") + Clock::now().date().toString(QStringLiteral("MM-dd-yyyy")) + QLatin1Char('_');
    const QString target = getTempFile(folder, prefix, QStringLiteral(".bak.oxml"), prompt);

    // Only the last resort, number 201, can exist already: the newest copy replaces it.
    bool copied = false;
    if (!curFilename.isEmpty() && QFile::exists(curFilename)) {
        if (QFile::exists(target))
            QFile::remove(target);
        copied = QFile::copy(curFilename, target);
    }
    if (!copied) {
        if (prompt)
            prompt->ask({QStringLiteral("Warning: Could not back up previous version of the last file editted.")});
        return QString();
    }
    return target;
}

QString getTempFile(const QString& pathName, const QString& prefix, const QString& extention, Prompt* prompt) {
    auto candidate = [&](int n) { return pathName + QLatin1Char('/') + prefix + QString::number(n) + extention; };
    for (int n = 1; n <= kMaxBackupsPerDay; ++n) {
        QFile file(candidate(n));
        if (!file.open(QIODevice::ReadOnly))
            return candidate(n); // free, or there but unreadable, which counts as free
    }
    if (prompt)
        prompt->ask({QStringLiteral("Cannot back up.")});
    return candidate(kMaxBackupsPerDay + 1);
}

void saveFileHistory(const QString& currentFile, const QString& previousOpenedFile) {
    writeSetting(QStringLiteral("lastFile"), currentFile);
    if (previousOpenedFile.isEmpty())
        return;
    if (readSetting(QStringLiteral("file1")) == readSetting(QStringLiteral("lastFile")))
        return;
    writeSetting(QStringLiteral("file3"), readSetting(QStringLiteral("file2")));
    writeSetting(QStringLiteral("file2"), readSetting(QStringLiteral("file1")));
    writeSetting(QStringLiteral("file1"), previousOpenedFile);
}

QString getFolderOfPath(const QString& path) {
    qsizetype at = path.lastIndexOf(QLatin1Char('\\'));
    if (at < 0)
        at = path.lastIndexOf(QLatin1Char('/'));
    return at < 0 ? path : path.left(at + 1);
}

QString getTempFolder() {
    QString folder = QDir::tempPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString folderToShow(const QString& currentFileName) {
    const QString folder = getFolderOfPath(currentFileName);
    // A list never saved has no file: show the data folder rather than nothing. A bare file name
    // is in the folder the program runs in.
    if (currentFileName.isEmpty())
        return getDataFolder();
    if (folder == currentFileName)
        return QDir::currentPath();
    return folder;
}

} // namespace ortolan
