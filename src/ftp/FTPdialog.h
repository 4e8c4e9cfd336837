#pragma once

#include "ftp/FtpClient.h"

#include <functional>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace ortolan {

// The window through which the user opens a task list from an FTP server: the server, the user
// name and password, and the remote file; "Connect" logs on, "&Open" downloads the file into the
// temporary folder and hands its local path on (fileDownloaded). The window is not modal; the
// transfers themselves block while they run. Every failure is told in its status line.
//
// The server and user name are remembered in the settings; the password is kept only in
// memory, never written anywhere.
class FTPdialog : public QDialog {
    Q_OBJECT
public:
    // A window of its own, closed and destroyed with parent.
    explicit FTPdialog(QWidget* parent = nullptr);

    // Shows the window, logs on to ftpServer again (closing a connection already open) and
    // downloads remoteFilePath into the temporary folder. Returns where the file landed, the
    // temporary folder and the remote file's base name; empty on failure, which the status
    // line then tells. The window stays shown.
    QString openFile(const QString& remoteFilePath, const QString& ftpServer, const QString& ftpUser,
                     const QString& ftpPass);
    // Turns the "&Open" button into "&Save".
    void showSave();

    // Connect: logs on with the server, user name and password typed in.
    void Command1_Click();
    // Open: downloads the selected file and emits fileDownloaded; as Save it only says that
    // saving is not possible.
    void Action_Click();
    // Cancel: hides the window.
    void cancel_but_Click();

    FtpClient& client() { return client_; }
    // Asked before "&Open" downloads: false keeps the list that is open (the user cancelled).
    void setOpenGuard(std::function<bool()> mayOpen) { mayOpen_ = std::move(mayOpen); }

    QLabel* Label1 = nullptr;
    QLineEdit* txtServer = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtUser = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Action = nullptr;
    QPushButton* cancel_but = nullptr;
    QStatusBar* StatusBar1 = nullptr;

signals:
    // A file downloaded by the "&Open" button, at its local path.
    void fileDownloaded(const QString& path);

private:
    // A user name and password typed into the server's address move into their own fields.
    void takeCredentialsFromServer();
    // Logs on afresh; the status line and the remote folder tell how it went.
    bool logOn(const QString& server, const QString& user, const QString& password);
    void showStatus(const QString& text);
    void showRemoteFolder();

    FtpClient client_;
    std::function<bool()> mayOpen_;
};

} // namespace ortolan
