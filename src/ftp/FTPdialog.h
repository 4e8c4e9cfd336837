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
// temporary folder and hands its local path on (fileDownloaded). The window is not modal, and
// the transfers run on a thread of their own: the windows repaint, the status line shows the
// progress, and Cancel, closing the window or closing the main window stops a transfer within a
// second. Every failure is told in its status line.
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
    // Cancel: stops the transfer under way; with none, hides the window.
    void cancel_but_Click();

    FtpClient& client() { return client_; }
    // The status line's whole text (it wraps rather than cut a long reason short).
    QString statusText() const;
    // Stops the transfer under way, if any, within a second.
    void cancelTransfer();
    bool transferUnderWay() const { return transfer_ != nullptr; }
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
    // Runs a transfer of the client's on a thread of its own, the window drawn and Cancel
    // working meanwhile; what tells the status line what is going on, with its progress.
    void runTransfer(const QString& what, const std::function<void()>& work);
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    FtpClient client_;
    QLabel* statusLine_ = nullptr;
    net::Transfer* transfer_ = nullptr;
    std::function<bool()> mayOpen_;
};

} // namespace ortolan
