#pragma once

#include <QString>
#include <QStringList>

namespace ortolan {

struct DataFolderSetup {
    bool ok = true;
    QStringList created; // what this start made, full paths
    QString error;       // why the folder could not be made ready
};

// On the first start, makes what the program needs in the data folder: the folder itself, the
// settings file with a value for every key, the Backup folder, the templates new.oxml and
// example.oxml and two short sounds. Anything that exists is left exactly as it is, even a
// settings file that lacks keys.
DataFolderSetup prepareDataFolder();

// Whether new files can be made in the data folder and its Backup folder, and the settings
// file changed: false on a read-only folder, a full disk's neighbour or a folder of another user.
bool canWriteDataFolder();

} // namespace ortolan
