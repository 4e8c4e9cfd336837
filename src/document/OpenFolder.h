#pragma once

#include <functional>
#include <QString>
#include <QUrl>

namespace ortolan {

// Opens a URL with the desktop's handler for it; tests put a recorder in its place.
using UrlOpener = std::function<bool(const QUrl&)>;
UrlOpener desktopUrlOpener();

// The open-folder command: shows the folder of the current file (or the data folder when the
// list has no file yet) in the desktop's file manager, without waiting for it.
bool MENU_OPEN_FOLDER(const QString& currentFileName, const UrlOpener& open = desktopUrlOpener());

} // namespace ortolan
