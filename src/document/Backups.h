#pragma once

#include <QString>

namespace ortolan {

class Prompt;

// Dated, numbered copies of task-list files, taken before a file is opened or overwritten, and
// the short history of recent files in the settings file.

// The data folder's "Backup" folder.
QString backupFolder();

// Copies the file to Backup/backup-MM-DD-YYYY_n.bak.oxml with the first free n of the day.
// When the copy fails (the file does not exist yet, cannot be read, or the folder refuses it),
// says so through the prompt and returns ""; the load or save that asked goes on either way.
// Returns the backup's path.
QString BackupCurrent(const QString& curFilename, Prompt* prompt);

// pathName + "/" + prefix + n + extention for the first n from 1 to 200 whose file cannot be
// opened for reading. When all 200 are taken, says "Cannot back up." through the prompt and
// returns the name with n = 201, whether or not that file exists.
QString getTempFile(const QString& pathName, const QString& prefix, const QString& extention, Prompt* prompt);

// Records currentFile as "lastFile". When a previous file is given and it is not already
// "file1", the history moves down: "file2" to "file3", "file1" to "file2", previous to "file1".
void saveFileHistory(const QString& currentFile, const QString& previousOpenedFile = QString());

// The path up to and including its last "\" (or, when it has none, its last "/"); the path
// itself when it has neither.
QString getFolderOfPath(const QString& path);

// The system's temporary folder, ending in "/".
QString getTempFolder();

// The folder the open-folder command shows: the current file's, or the data folder when the
// list has no file yet.
QString folderToShow(const QString& currentFileName);

} // namespace ortolan
