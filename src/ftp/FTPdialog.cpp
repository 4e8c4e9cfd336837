#include "FTPdialog.h"

#include "document/Backups.h"
#include "net/Transfer.h"
#include "settings/OTLFunctions.h"

#include <algorithm>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace ortolan {

namespace {

const QString kSaveCaption = QStringLiteral("&Save");
const QString kRemoteFolderCaption = QStringLiteral("Remote Folder Path: ");
const QString kServerSetting = QStringLiteral("FTPServer");
const QString kUserSetting = QStringLiteral("FTPUser");

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

FTPdialog::FTPdialog(QWidget* parent) : QDialog(parent, Qt::Window) {
    setObjectName(QStringLiteral("FTPdialog"));
    setWindowTitle(QStringLiteral("FTP Dialog Box"));
    setModal(false);

    Label1 = named(new QLabel(QStringLiteral("FTP Server Name:"), this), "Label1");
    // A server remembered with credentials in it (by an older version) shows its host only.
    const FtpAddress remembered = splitFtpAddress(readSetting(kServerSetting));
    txtServer = named(new QLineEdit(remembered.host, this), "txtServer");
    Label2 = named(new QLabel(QStringLiteral("User name:"), this), "Label2");
    const QString rememberedUser = readSetting(kUserSetting);
    txtUser = named(new QLineEdit(rememberedUser.isEmpty() ? remembered.user : rememberedUser, this), "txtUser");
    Label3 = named(new QLabel(QStringLiteral("Password:"), this), "Label3");
    txtPassword = named(new QLineEdit(this), "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    Command1 = named(new QPushButton(QStringLiteral("Connect"), this), "Command1");
    Label4 = named(new QLabel(this), "Label4");
    Label5 = named(new QLabel(QStringLiteral("Selected File:"), this), "Label5");
    Text1 = named(new QLineEdit(this), "Text1");
    Action = named(new QPushButton(QStringLiteral("&Open"), this), "Action");
    cancel_but = named(new QPushButton(QStringLiteral("Cancel"), this), "cancel_but");
    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    statusLine_ = new QLabel(StatusBar1);
    statusLine_->setWordWrap(true); // a long reason is shown whole
    statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    StatusBar1->addWidget(statusLine_, 1);
    Action->setDefault(true);
    showRemoteFolder();

    // Room for a server with its port, a path, and a failure's reason in the status line.
    for (QLineEdit* field : {txtServer, txtUser, txtPassword, Text1})
        field->setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(txtServer, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(txtUser, 1, 1);
    fields->addWidget(Label3, 2, 0);
    fields->addWidget(txtPassword, 2, 1);
    fields->addWidget(Command1, 2, 2);
    fields->addWidget(Label4, 3, 0, 1, 3);
    fields->addWidget(Label5, 4, 0);
    fields->addWidget(Text1, 4, 1);
    fields->addWidget(Action, 4, 2);
    fields->addWidget(cancel_but, 5, 2);
    auto* all = new QVBoxLayout(this);
    all->addLayout(fields);
    all->addWidget(StatusBar1);

    connect(Command1, &QPushButton::clicked, this, &FTPdialog::Command1_Click);
    connect(Action, &QPushButton::clicked, this, &FTPdialog::Action_Click);
    connect(cancel_but, &QPushButton::clicked, this, &FTPdialog::cancel_but_Click);
}

QString FTPdialog::openFile(const QString& remoteFilePath, const QString& ftpServer, const QString& ftpUser,
                            const QString& ftpPass) {
    show();
    if (!logOn(ftpServer, ftpUser, ftpPass))
        return {};
    // A file already there under that name may be a list the user saved into it: it goes to the
    // backups before the download replaces it.
    const QString base = remoteBaseName(remoteFilePath);
    if (!base.isEmpty() && QFileInfo(getTempFolder() + base).isFile())
        BackupCurrent(getTempFolder() + base, nullptr);
    FtpResult got;
    runTransfer(QStringLiteral("Downloading %1...").arg(remoteFilePath),
                [&] { got = client_.download(getTempFolder(), remoteFilePath); });
    if (!got.ok) {
        showStatus(got.error);
        return {};
    }
    showStatus(QStringLiteral("Downloaded %1 from %2.").arg(remoteBaseName(remoteFilePath), client_.host()));
    writeLog(QStringLiteral("Downloaded \"%1\" from the FTP server %2.").arg(remoteFilePath, client_.host()));
    return got.localPath;
}

void FTPdialog::showSave() {
    Action->setText(kSaveCaption);
}

void FTPdialog::takeCredentialsFromServer() {
    const FtpAddress address = splitFtpAddress(txtServer->text());
    if (!address.hasUser && !address.hasPassword)
        return;
    txtServer->setText(address.host);
    txtUser->setText(address.user);
    txtPassword->setText(address.password);
}

void FTPdialog::Command1_Click() {
    takeCredentialsFromServer();
    if (logOn(txtServer->text(), txtUser->text(), txtPassword->text()))
        showStatus(QStringLiteral("Connected to %1.").arg(client_.host()));
}

void FTPdialog::Action_Click() {
    if (Action->text() == kSaveCaption) {
        showStatus(QStringLiteral("Saving to an FTP server is not available yet."));
        return;
    }
    // Asked before the download, which may replace a temporary copy that is open and changed.
    if (mayOpen_ && !mayOpen_())
        return;
    takeCredentialsFromServer();
    const QString path = openFile(Text1->text(), txtServer->text(), txtUser->text(), txtPassword->text());
    if (!path.isEmpty())
        emit fileDownloaded(path);
}

void FTPdialog::cancel_but_Click() {
    if (transfer_)
        transfer_->cancel();
    else
        hide();
}

void FTPdialog::cancelTransfer() {
    if (transfer_)
        transfer_->cancel();
}

void FTPdialog::closeEvent(QCloseEvent* event) {
    cancelTransfer();
    QDialog::closeEvent(event);
}

void FTPdialog::hideEvent(QHideEvent* event) {
    cancelTransfer();
    QDialog::hideEvent(event);
}

QString FTPdialog::statusText() const {
    return statusLine_->text();
}

void FTPdialog::runTransfer(const QString& what, const std::function<void()>& work) {
    net::Transfer transfer;
    transfer_ = &transfer;
    client_.setTransfer(&transfer);
    const QList<QWidget*> busy{txtServer, txtUser, txtPassword, Text1, Command1, Action};
    for (QWidget* w : busy)
        w->setEnabled(false);
    showStatus(what);
    QTimer progress;
    connect(&progress, &QTimer::timeout, this, [&] {
        const qint64 got = transfer.received();
        const qint64 all = transfer.expected();
        if (got <= 0)
            return;
        showStatus(all > 0 ? QStringLiteral("%1 %2 of %3 bytes (%4%)")
                                 .arg(what)
                                 .arg(got)
                                 .arg(all)
                                 .arg(std::clamp<qint64>(got * 100 / all, 0, 100))
                           : QStringLiteral("%1 %2 bytes").arg(what).arg(got));
    });
    progress.start(200);
    transfer.run(work);
    progress.stop();
    client_.setTransfer(nullptr);
    transfer_ = nullptr;
    for (QWidget* w : busy)
        w->setEnabled(true);
}

bool FTPdialog::logOn(const QString& server, const QString& user, const QString& password) {
    if (client_.state() == FtpClient::State::Connected)
        client_.disconnect();
    // Credentials written into the address count over the fields; the address goes on without them.
    const FtpAddress address = splitFtpAddress(server);
    client_.setUserName(address.hasUser ? address.user : user);
    client_.setPassword(address.hasPassword ? address.password : password);
    FtpResult logon;
    runTransfer(QStringLiteral("Connecting to %1...").arg(address.host), [&] { logon = client_.connect(address.host); });
    showRemoteFolder();
    if (!logon.ok) {
        showStatus(logon.error);
        return false;
    }
    // Remembered for next time; the password is not.
    writeSetting(kServerSetting, address.host);
    writeSetting(kUserSetting, client_.userName());
    return true;
}

void FTPdialog::showStatus(const QString& text) {
    statusLine_->setText(text);
}

void FTPdialog::showRemoteFolder() {
    const bool connected = client_.state() == FtpClient::State::Connected;
    Label4->setText(kRemoteFolderCaption + (connected ? client_.remoteFolder() : QStringLiteral("<None>")));
}

} // namespace ortolan
