#include "OpenFolder.h"

#include "Backups.h"

#include <QDesktopServices>

namespace ortolan {

UrlOpener desktopUrlOpener() {
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

bool MENU_OPEN_FOLDER(const QString& currentFileName, const UrlOpener& open) {
    return open(QUrl::fromLocalFile(folderToShow(currentFileName)));
}

} // namespace ortolan
