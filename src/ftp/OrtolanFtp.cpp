// Opening a task list from an FTP server: the FTP window downloads it into the temporary folder
// and the window opens that copy.

#include "app/Ortolan.h"
#include "ftp/FTPdialog.h"

namespace ortolan {

FTPdialog* Ortolan::ftpDialog() {
    if (!ftpDialog_) {
        ftpDialog_ = new FTPdialog(this);
        ftpDialog_->setOpenGuard([this] { return !askToSaveChanges(kNewOpenPrompt); });
        // A temporary copy: not one of the recent files.
        connect(ftpDialog_, &FTPdialog::fileDownloaded, this, [this](const QString& path) { loadTaskFile(path, false); });
    }
    return ftpDialog_;
}

void Ortolan::MENU_FTPopen() {
    FTPdialog* dialog = ftpDialog();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace ortolan
