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
        connect(ftpDialog_, &FTPdialog::fileDownloaded, this, [this](const QString& path) {
            // The window took edits while the file came: they are asked about again.
            if (askToSaveChanges(kNewOpenPrompt))
                return;
            loadTaskFile(path, false);
            if (doc_->currentFileName().isEmpty())
                return;
            downloadedCopy_ = true; // its first save asks where the list is to live
            ftpDialog_->hide();     // the list is open: the FTP window's work is done
        });
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
