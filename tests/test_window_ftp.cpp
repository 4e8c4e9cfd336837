#include "ftp/FTPdialog.h"
#include "LoopbackServers.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTimer>

using namespace ortolan;

namespace {

const QString kUser = QStringLiteral("bob");
const QString kPassword = QStringLiteral("Tr0ub4dor-3");
const QString kOpenPrompt = QStringLiteral("Changes have not been saved. Would you like to save before continuing?");
const QByteArray kPlan = test::smallList("Plan", test::item("Step") + test::item("Second step"));

// A real FTP server on 127.0.0.1 serving a folder of its own to bob, with the temporary folder
// (TMPDIR) pointed at a private folder for as long as the site exists.
struct FtpSite {
    QTemporaryDir remote;
    QTemporaryDir temp;
    QByteArray oldTemp = qgetenv("TMPDIR");
    test::FtpServer server{remote.path(), kUser, kPassword};

    FtpSite() {
        qputenv("TMPDIR", temp.path().toUtf8());
        put(QStringLiteral("docs/plan.oxml"), kPlan);
    }
    ~FtpSite() {
        if (oldTemp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTemp);
    }
    void put(const QString& path, const QByteArray& bytes) const {
        const QString full = remote.path() + QLatin1Char('/') + path;
        QDir().mkpath(QFileInfo(full).path());
        test::writeFile(full, bytes);
    }
    QString host() const { return server.host(); }
};

// The window on its list "Home" beside the server, with the FTP window made.
struct FtpWindow {
    FtpSite site;
    test::OpenList list{test::item("Errand")};
    FTPdialog* dialog = list.o->ftpDialog();

    // Fills in the FTP window as the user would.
    void fillIn(const QString& file, const QString& password = kPassword) const {
        dialog->show();
        for (QLineEdit* box : {dialog->txtServer, dialog->txtUser, dialog->txtPassword, dialog->Text1})
            box->clear();
        QTest::keyClicks(dialog->txtServer, site.host());
        QTest::keyClicks(dialog->txtUser, kUser);
        QTest::keyClicks(dialog->txtPassword, password);
        QTest::keyClicks(dialog->Text1, file);
    }
    QString rootText() const { return list.o->tree().Item(kRootID)->Text(); }
};

QStringList history() {
    QStringList values;
    for (const char* key : {"lastFile", "file1", "file2", "file3"})
        values << readSetting(QLatin1String(key));
    return values;
}

} // namespace

class TestWindowFtp : public QObject {
    Q_OBJECT
private slots:
    void shouldLookAsTheFtpWindowIsDesigned() {
        test::OpenList l(test::item("Errand"));
        FTPdialog* d = l.o->ftpDialog();
        // a window of its own, hidden, not modal
        QCOMPARE(d->objectName(), QStringLiteral("FTPdialog"));
        QCOMPARE(d->windowTitle(), QStringLiteral("FTP Dialog Box"));
        QVERIFY(d->isWindow() && d->parentWidget() == l.o && !d->isModal() && !d->isVisible());
        // name, kind and caption of each control
        const QList<QStringList> controls = {
            {"Label1", "QLabel", "FTP Server Name:"}, {"txtServer", "QLineEdit", ""},
            {"Label2", "QLabel", "User name:"},       {"txtUser", "QLineEdit", ""},
            {"Label3", "QLabel", "Password:"},        {"txtPassword", "QLineEdit", ""},
            {"Command1", "QPushButton", "Connect"},   {"Label4", "QLabel", "Remote Folder Path: <None>"},
            {"Label5", "QLabel", "Selected File:"},   {"Text1", "QLineEdit", ""},
            {"Action", "QPushButton", "&Open"},       {"cancel_but", "QPushButton", "Cancel"},
            {"StatusBar1", "QStatusBar", ""}};
        for (const QStringList& c : controls) {
            QWidget* control = d->findChild<QWidget*>(c[0]);
            QVERIFY2(control, qPrintable(c[0]));
            QCOMPARE(QString::fromLatin1(control->metaObject()->className()), c[1]);
            if (auto* label = qobject_cast<QLabel*>(control))
                QCOMPARE(label->text(), c[2]);
            else if (auto* button = qobject_cast<QPushButton*>(control))
                QCOMPARE(button->text(), c[2]);
            else if (auto* edit = qobject_cast<QLineEdit*>(control))
                QCOMPARE(edit->echoMode(), c[0] == "txtPassword" ? QLineEdit::Password : QLineEdit::Normal);
        }
    }

    void shouldTellWhyAFileCouldNotBeOpened_data() {
        // clang-format off
        QTest::addColumn<bool>("serverUp");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("remotePath");
        QTest::addColumn<QString>("message"); // %1 is the server; a message ending in ":" is followed by the reason
        QTest::newRow("connection refused") << false << kPassword << "docs/plan.oxml" << "Could not connect to %1:";
        QTest::newRow("wrong password") << true << "guess" << "docs/plan.oxml" << "The server %1 refused the log-on for bob.";
        QTest::newRow("missing file, a long name") << true << kPassword << "docs\\missing plans for the whole of next year and the one after that.oxml" << "The file \"docs\\missing plans for the whole of next year and the one after that.oxml\" was not found on %1.";
        // clang-format on
    }
    void shouldTellWhyAFileCouldNotBeOpened() {
        QFETCH(bool, serverUp);
        QFETCH(QString, password);
        QFETCH(QString, remotePath);
        QFETCH(QString, message);
        // given the server, or a port nothing listens on, and a local file of the name asked for
        FtpWindow f;
        REQUIRE_SERVER(f.site.server);
        const QString host = serverUp ? f.site.host() : QStringLiteral("127.0.0.1:%1").arg(test::closedPort());
        const QString local = getTempFolder() + QFileInfo(QString(remotePath).replace('\\', '/')).fileName();
        QVERIFY(test::writeFile(local, "an older download"));
        // when the file is opened from it
        const QString path = f.dialog->openFile(remotePath, host, kUser, password);
        // then nothing is returned, the status line says why, and the older file is untouched
        QCOMPARE(path, QString());
        const QString shown = f.dialog->statusText();
        const QString expected = message.arg(host);
        if (expected.endsWith(QLatin1Char(':')))
            QVERIFY2(shown.startsWith(expected) && shown.size() > expected.size() + 1, qPrintable(shown));
        else
            QCOMPARE(shown, expected);
        QVERIFY(!shown.contains(password));
        QVERIFY(f.dialog->isVisible());
        // shown whole: the line wraps within the window instead of cutting the reason short
        const auto* line = f.dialog->StatusBar1->findChild<QLabel*>();
        QTRY_VERIFY(line->height() >= line->heightForWidth(line->width()));
        QVERIFY(line->geometry().right() < f.dialog->StatusBar1->width());
        QCOMPARE(test::readFile(local), QByteArray("an older download"));
    }

    void shouldOpenTheDownloadedListFromTheOpenButton() {
        // given the FTP window filled in, the window's list unchanged
        FtpWindow f;
        REQUIRE_SERVER(f.site.server);
        const QStringList before = history();
        f.fillIn(QStringLiteral("docs\\plan.oxml"));
        // when "&Open" is pressed
        QTest::mouseClick(f.dialog->Action, Qt::LeftButton);
        // then the window shows the downloaded list from its temporary copy, asking nothing
        QCOMPARE(f.rootText(), QStringLiteral("Plan"));
        QVERIFY(f.list.node("Step"));
        QVERIFY(f.list.node("Second step"));
        QCOMPARE(f.list.o->currentFileName(), f.site.temp.path() + QStringLiteral("/plan.oxml"));
        QCOMPARE(test::readFile(f.list.o->currentFileName()), kPlan);
        QVERIFY(!f.list.o->fileHasBeenChanged());
        QVERIFY(Dialogs::messages().isEmpty());
        // the FTP window, never modal, has said what it did and closed
        QVERIFY(!f.dialog->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(f.dialog->Label4->text(), QStringLiteral("Remote Folder Path: /"));
        QCOMPARE(f.dialog->statusText(),
                 QStringLiteral("Downloaded plan.oxml from %1.").arg(f.site.host()));
        // and the temporary copy is not one of the recent files
        QCOMPARE(history(), before);
    }

    void shouldAskBeforeReplacingAChangedList_data() {
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("saveFails");
        QTest::newRow("Cancel") << PromptAnswer::Cancel << false << false << false;
        QTest::newRow("Yes") << PromptAnswer::Yes << true << true << false;
        QTest::newRow("Yes, but the save fails") << PromptAnswer::Yes << false << false << true;
    }
    void shouldAskBeforeReplacingAChangedList() {
        QFETCH(PromptAnswer, answer);
        QFETCH(bool, replaced);
        QFETCH(bool, saved);
        QFETCH(bool, saveFails);
        // given a change to the open list not saved yet
        FtpWindow f;
        REQUIRE_SERVER(f.site.server);
        if (saveFails)
            QVERIFY(QFile::remove(f.list.path) && QDir().mkdir(f.list.path)); // a folder where the file was
        f.list.task("Errand")->TaskName = QStringLiteral("Buy stamps");
        f.list.o->setFileHasBeenChanged(true);
        f.fillIn(QStringLiteral("docs/plan.oxml"));
        // when a list is opened from the FTP window and the question answered
        Dialogs::setNextAnswer(answer);
        QTest::mouseClick(f.dialog->Action, Qt::LeftButton);
        // then the save question was asked as Open asks it
        const PromptMessage asked = Dialogs::messages().first();
        QCOMPARE(Dialogs::messages().last().text.startsWith("The list could not be saved."), saveFails);
        QCOMPARE(asked.text, kOpenPrompt);
        QCOMPARE(asked.title, QStringLiteral("Save Before Continuing?"));
        QCOMPARE(asked.buttons, PromptButtons::YesNoCancel);
        // and the answer decided whether the list was saved and replaced
        QCOMPARE(f.rootText(), replaced ? QStringLiteral("Plan") : QStringLiteral("Home"));
        QCOMPARE(f.list.o->currentFileName(), replaced ? getTempFolder() + "plan.oxml" : f.list.path);
        QCOMPARE(f.list.o->fileHasBeenChanged(), !replaced);
        QCOMPARE(test::readFile(f.list.path).contains("Buy stamps"), saved); // a folder reads as nothing
        QCOMPARE(f.site.server.logons(), replaced ? 1 : 0); // a cancelled open downloads nothing
    }

    void shouldSaveADownloadedListWhereTheUserSays() {
        // given a list opened from the server and changed
        FtpWindow f;
        REQUIRE_SERVER(f.site.server);
        f.fillIn(QStringLiteral("docs/plan.oxml"));
        QTest::mouseClick(f.dialog->Action, Qt::LeftButton);
        const QString download = f.site.temp.path() + QStringLiteral("/plan.oxml");
        QCOMPARE(f.list.o->currentFileName(), download);
        f.list.o->activateWindow(); // back from the FTP window
        QVERIFY(QTest::qWaitForWindowActive(f.list.o));
        f.list.select("Step");
        test::press(Qt::Key_Delete);
        // when the user saves, cancelling the file dialog the first time
        Dialogs::setNextFileName(std::nullopt);
        QTest::keyClick(f.list.o, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(f.list.o->fileHasBeenChanged());
        const QString mine = f.list.w.home.path() + QStringLiteral("/mine.oxml");
        Dialogs::setNextFileName(mine);
        QTest::keyClick(f.list.o, Qt::Key_S, Qt::ControlModifier);
        // then both saves asked where, offering the download's name outside the temporary folder
        QCOMPARE(Dialogs::fileRequests().size(), 2);
        for (const FileDialogRequest& asked : Dialogs::fileRequests()) {
            QVERIFY(asked.save);
            QVERIFY2(asked.fileName.endsWith("/plan.oxml") && !asked.fileName.startsWith(f.site.temp.path()),
                     qPrintable(asked.fileName));
        }
        // and the list now lives there, the download untouched
        QCOMPARE(f.list.o->currentFileName(), mine);
        QVERIFY(!test::readFile(mine).contains("<NAME>Step</NAME>"));
        QCOMPARE(test::readFile(download), kPlan);
        QCOMPARE(readSetting("lastFile"), mine);
        // and later saves go there without asking
        f.list.select("Second step");
        test::press(Qt::Key_Delete);
        QTest::keyClick(f.list.o, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Dialogs::fileRequests().size(), 2);
        QVERIFY(!test::readFile(mine).contains("Second step"));
    }

    void shouldShowProgressAndStopASlowDownload_data() {
        QTest::addColumn<QString>("stop"); // how the user stops it
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("closing the FTP window") << "close";
        QTest::newRow("closing the main window") << "main";
    }
    void shouldShowProgressAndStopASlowDownload() {
        QFETCH(QString, stop);
        // given a server sending 200 bytes a second, a 3 KB list on it, and an older download here
        QTemporaryDir remote;
        QVERIFY(test::writeFile(remote.filePath("slow.oxml"), test::smallList("Slow", QByteArray(3000, ' '))));
        test::FtpServer server(remote.path(), kUser, kPassword, 200);
        REQUIRE_SERVER(server);
        test::OpenList list(test::item("Errand"));
        FTPdialog* dialog = list.o->ftpDialog();
        dialog->show();
        const QString older = getTempFolder() + QStringLiteral("slow.oxml");
        QVERIFY(test::writeFile(older, "an older download"));
        for (QLineEdit* box : {dialog->txtServer, dialog->txtUser, dialog->txtPassword, dialog->Text1})
            box->clear();
        QTest::keyClicks(dialog->txtServer, server.host());
        QTest::keyClicks(dialog->txtUser, kUser);
        QTest::keyClicks(dialog->txtPassword, kPassword);
        QTest::keyClicks(dialog->Text1, QStringLiteral("slow.oxml"));
        // when "&Open" is pressed and, once the progress shows, the user stops it
        QStringList shown;
        QElapsedTimer sinceStop;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            shown << dialog->statusText();
            if (sinceStop.isValid() || !dialog->statusText().contains("bytes"))
                return;
            QVERIFY(!dialog->Action->isEnabled() && dialog->cancel_but->isEnabled());
            sinceStop.start();
            if (stop == "Cancel")
                QTest::mouseClick(dialog->cancel_but, Qt::LeftButton);
            else if (stop == "close")
                dialog->close();
            else
                list.o->close();
        });
        watch.start(50);
        QTest::mouseClick(dialog->Action, Qt::LeftButton);
        watch.stop();
        // then the status line showed the bytes and the share that had come
        QVERIFY2(!shown.filter(QRegularExpression(" of \\d+ bytes \\(\\d+%\\)")).isEmpty(), qPrintable(shown.join('|')));
        // and the download stopped within a second or so, leaving the older file and the list alone
        QVERIFY(sinceStop.isValid());
        QVERIFY2(sinceStop.elapsed() < 3000, qPrintable(QString::number(sinceStop.elapsed())));
        QCOMPARE(dialog->statusText(), QStringLiteral("Downloading \"slow.oxml\" was cancelled."));
        QCOMPARE(test::readFile(older), QByteArray("an older download"));
        QCOMPARE(list.o->tree().Item(kRootID)->Text(), QStringLiteral("Home"));
        QCOMPARE(dialog->isVisible(), stop == "Cancel"); // Cancel stops the download, not the window
        QVERIFY(dialog->Action->isEnabled());
    }

    void shouldAskAgainAboutEditsMadeWhileTheFileCame() {
        // given a slow download under way, the list unchanged when it began
        QTemporaryDir remote;
        QVERIFY(test::writeFile(remote.filePath("slow.oxml"), test::smallList("Slow", QByteArray(2000, ' '))));
        test::FtpServer server(remote.path(), kUser, kPassword, 1000);
        REQUIRE_SERVER(server);
        test::OpenList list(test::item("Errand") + test::item("Other"));
        FTPdialog* dialog = list.o->ftpDialog();
        dialog->show();
        dialog->txtServer->setText(server.host());
        dialog->txtUser->setText(kUser);
        dialog->txtPassword->setText(kPassword);
        dialog->Text1->setText(QStringLiteral("slow.oxml"));
        // when the user deletes a task in the main window meanwhile, and cancels the question
        QTimer::singleShot(300, [&] {
            list.o->activateWindow();
            list.select("Errand");
            test::press(Qt::Key_Delete);
        });
        Dialogs::setNextAnswer(PromptAnswer::Cancel);
        QTest::mouseClick(dialog->Action, Qt::LeftButton);
        // then the download came, but the changed list stays open
        QCOMPARE(Dialogs::messages().size(), 1);
        QCOMPARE(Dialogs::messages().first().text, kOpenPrompt);
        QCOMPARE(list.children(), QStringLiteral("Other"));
        QVERIFY(list.o->fileHasBeenChanged());
    }

    void shouldNotDownloadWhenTheButtonSaves() {
        // given the FTP window turned into a save window, filled in
        FtpWindow f;
        REQUIRE_SERVER(f.site.server);
        f.dialog->showSave();
        QCOMPARE(f.dialog->Action->text(), QStringLiteral("&Save"));
        f.fillIn(QStringLiteral("docs/plan.oxml"));
        // when "&Save" is pressed
        QTest::mouseClick(f.dialog->Action, Qt::LeftButton);
        // then nothing was fetched and the status line says saving is not possible
        QCOMPARE(f.site.server.logons(), 0);
        QVERIFY(!QFile::exists(getTempFolder() + QStringLiteral("plan.oxml")));
        QCOMPARE(f.rootText(), QStringLiteral("Home"));
        QCOMPARE(f.dialog->statusText(),
                 QStringLiteral("Saving to an FTP server is not available yet."));
    }

    void shouldConnectWithWhatIsTypedIn_data() {
        // clang-format off
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("status"); // %1 is the server
        QTest::addColumn<QString>("folder");
        QTest::newRow("right password") << kPassword << "Connected to %1." << "/";
        QTest::newRow("wrong password") << "guess" << "The server %1 refused the log-on for bob." << "<None>";
        // clang-format on
    }
    void shouldConnectWithWhatIsTypedIn() {
        QFETCH(QString, password);
        QFETCH(QString, status);
        QFETCH(QString, folder);
        // given the FTP window filled in
        FtpWindow f;
        REQUIRE_SERVER(f.site.server);
        f.fillIn(QString(), password);
        // when "Connect" is pressed
        QTest::mouseClick(f.dialog->Command1, Qt::LeftButton);
        // then the status line and the remote folder tell how the log-on went
        QCOMPARE(f.dialog->statusText(), status.arg(f.site.host()));
        QCOMPARE(f.dialog->Label4->text(), QStringLiteral("Remote Folder Path: ") + folder);
        QCOMPARE(f.dialog->client().state() == FtpClient::State::Connected, folder == QLatin1String("/"));
    }

    void shouldKeepThePasswordOutOfTheSettingsAndTheLog_data() {
        QTest::addColumn<QString>("server"); // %1 is the server's host and port
        QTest::addColumn<bool>("inFields");  // user name and password typed into their own fields
        QTest::newRow("password in its field") << "%1" << true;
        QTest::newRow("password in the address") << "ftp://bob:" + kPassword + "@%1" << false;
        QTest::newRow("percent-encoded, with a folder") << "FTP://b%6Fb:" + kPassword + "@%1/docs/" << false;
    }
    void shouldKeepThePasswordOutOfTheSettingsAndTheLog() {
        QFETCH(QString, server);
        QFETCH(bool, inFields);
        // given the FTP window filled in
        FtpWindow f;
        REQUIRE_SERVER(f.site.server);
        f.fillIn(QStringLiteral("docs/plan.oxml"), inFields ? kPassword : QString());
        f.dialog->txtServer->clear();
        QTest::keyClicks(f.dialog->txtServer, server.arg(f.site.host()));
        if (!inFields)
            f.dialog->txtUser->clear();
        // when it connects and opens the file
        QTest::mouseClick(f.dialog->Command1, Qt::LeftButton);
        const QString connected = f.dialog->statusText();
        QTest::mouseClick(f.dialog->Action, Qt::LeftButton);
        QCOMPARE(f.rootText(), QStringLiteral("Plan"));
        // then credentials from the address moved into their fields, and the address kept its host
        QCOMPARE(f.dialog->txtServer->text(), inFields ? server.arg(f.site.host()) : f.site.host());
        QCOMPARE(f.dialog->txtUser->text(), kUser);
        QCOMPARE(f.dialog->txtPassword->text(), kPassword);
        // and the settings keep the server and the user name for next time, the log the
        // download, and nothing shows the password
        const QByteArray settings = test::readFile(settingsFile());
        const QByteArray log = test::readFile(getDataFolder() + QStringLiteral("/log.txt"));
        QVERIFY(settings.contains("FTPServer=" + f.site.host().toUtf8() + "\n"));
        QVERIFY(settings.contains("FTPUser=bob\n"));
        QVERIFY(log.contains("docs/plan.oxml"));
        for (const QString& shown : test::dataFolderTexts() + test::messageTexts() +
                                        QStringList{connected, f.dialog->statusText(),
                                                    f.dialog->Label4->text()})
            QVERIFY2(!shown.contains(kPassword), qPrintable(shown));
        // and a new FTP window fills in the server and user name, but not the password
        FTPdialog again(nullptr);
        QCOMPARE(again.txtServer->text(), f.site.host());
        QCOMPARE(again.txtUser->text(), kUser);
        QVERIFY(again.txtPassword->text().isEmpty());
    }

    void shouldShowTheFtpWindowFromItsMenuItem() {
        // given a started window
        test::OpenList l(test::item("Errand"));
        QAction* item = l.o->action(QStringLiteral("MENU_FTPopen"));
        QVERIFY(item->isVisible());
        // when the menu item is triggered twice
        item->trigger();
        FTPdialog* first = l.o->ftpDialog();
        first->hide();
        item->trigger();
        // then the one FTP window is shown, without blocking the main window
        QCOMPARE(l.o->findChildren<FTPdialog*>().size(), 1);
        QCOMPARE(l.o->ftpDialog(), first);
        QVERIFY(first->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
};

QTEST_MAIN(TestWindowFtp)
#include "test_window_ftp.moc"
