// Faults real users meet, on real folders, with the real window: folders that cannot be written,
// a disk that fills up, a folder or file that disappears under an open list, a data folder the
// program may not change. Nothing may be lost.
//
// Permissions do not bind root, so when started as root this test gives up root for good at
// start and runs as the unprivileged user "nobody", like any user of the program.

#include "file/XMLManager.h"
#include "model/TaskHandler.h"
#include "WindowTestSupport.h"

#include <grp.h>
#include <QAction>
#include <QFileInfo>
#include <sys/prctl.h>
#include <unistd.h>

using namespace ortolan;

namespace {

constexpr uid_t kNobody = 65534;

bool setMode(const QString& path, QFile::Permissions permissions) {
    return QFile::setPermissions(path, permissions);
}
const QFile::Permissions kReadOnlyFolder = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
const QFile::Permissions kWritableFolder = kReadOnlyFolder | QFile::WriteOwner;

// A list in a folder of its own, "lists", beside the data folder, opened by the window.
struct OpenedList {
    test::Window w;
    QString folder;
    QString path;
    Ortolan* o = nullptr;
    QByteArray saved; // the file as it was opened

    OpenedList() {
        folder = w.home.path() + "/lists";
        QDir().mkpath(folder);
        path = folder + "/home.oxml";
        saved = test::smallList("Home", test::item("Milk") + test::item("Bread"));
        test::writeFile(path, saved);
        writeSetting("lastFile", path);
        o = &w.start();
    }
    ~OpenedList() { setMode(folder, kWritableFolder); } // so the temporary folder can go

    // A change the user makes: a new task at the end of the list.
    void change(const QString& name) {
        test::click(o->Tree, o->tree().Item(kRootID));
        o->addTask(name, QString(), QDateTime(), QStringLiteral("INCOMPLETE"), true, true);
        QVERIFY(o->fileHasBeenChanged());
    }
};

// The names of the tasks in a task-list file, as the program reads them back.
QStringList namesIn(const QString& path) {
    TaskTree tree;
    TaskHandler th;
    XMLManager xml(tree);
    if (!loadTaskList(xml, path, tree, th).ok)
        return {QStringLiteral("(unreadable)")};
    QStringList names;
    for (int i = 2; i <= tree.Count(); ++i)
        names << tree.Item(i)->Text();
    return names;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(geteuid() != 0, "permissions are not tested as root"); }

    void shouldKeepTheOldFileAndTheChangesWhenASaveCannotBeWritten_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("disk full part way") << "full";
        QTest::newRow("folder deleted") << "deleted";
    }
    void shouldKeepTheOldFileAndTheChangesWhenASaveCannotBeWritten() {
        QFETCH(QString, fault);
        // given an open list with a change
        OpenedList d;
        d.change("Eggs");
        // when it is saved while its folder cannot take the file
        if (fault == "read-only") {
            QVERIFY(setMode(d.folder, kReadOnlyFolder));
            d.o->action("MENU_Save")->trigger();
        } else if (fault == "full") {
            test::withFileSizeLimit(d.saved.size() + 8, [&] {
                d.o->action("MENU_Save")->trigger();
                return true;
            });
        } else {
            QVERIFY(QDir(d.folder).removeRecursively());
            d.o->action("MENU_Save")->trigger();
        }
        // then the user is told clearly, naming the file
        QCOMPARE(d.o->statusText(), QStringLiteral("Saving failed."));
        const PromptMessage told = Dialogs::messages().last();
        QCOMPARE(told.icon, PromptIcon::Critical);
        QVERIFY2(told.text.startsWith("The list could not be saved.") && told.text.contains(d.path),
                 qPrintable(told.text));
        // and the old file is as it was (or still gone), with no stray files beside it
        if (fault == "deleted") {
            QVERIFY(!QFileInfo::exists(d.folder));
        } else {
            QCOMPARE(test::readFile(d.path), d.saved);
            QCOMPARE(QDir(d.folder).entryList(QDir::Files | QDir::Hidden), QStringList({"home.oxml"}));
        }
        // and the list is still changed, under its name
        QVERIFY(d.o->fileHasBeenChanged());
        QCOMPARE(d.o->currentFileName(), d.path);
        // and once the folder can take it again, the same save keeps everything
        QVERIFY(QDir().mkpath(d.folder));
        QVERIFY(setMode(d.folder, kWritableFolder));
        d.o->action("MENU_Save")->trigger();
        QVERIFY(!d.o->fileHasBeenChanged());
        QCOMPARE(namesIn(d.path), QStringList({"Milk", "Bread", "Eggs"}));
    }

    void shouldWriteTheListAgainWhenItsFileWasDeleted() {
        // given an open list whose file another program deleted
        OpenedList d;
        d.change("Eggs");
        QVERIFY(QFile::remove(d.path));
        // when it is saved
        d.o->action("MENU_Save")->trigger();
        // then the file is there again with the whole list; only the missing backup was mentioned
        QCOMPARE(namesIn(d.path), QStringList({"Milk", "Bread", "Eggs"}));
        QVERIFY(!d.o->fileHasBeenChanged());
        QCOMPARE(test::messageTexts(),
                 QStringList({"Warning: Could not back up previous version of the last file editted."}));
    }

    void shouldBackUpAFileReplacedOnDiskBeforeSavingOverIt() {
        // given an open list whose file another program replaced with other tasks
        OpenedList d;
        d.change("Eggs");
        const QByteArray theirs = test::smallList("Theirs", test::item("Written elsewhere"));
        QVERIFY(test::writeFile(d.path, theirs));
        // when the list is saved
        d.o->action("MENU_Save")->trigger();
        // then the file holds the list, and the other version is kept among the backups
        QCOMPARE(namesIn(d.path), QStringList({"Milk", "Bread", "Eggs"}));
        bool kept = false;
        for (const QString& name : QDir(backupFolder()).entryList(QDir::Files))
            kept = kept || test::readFile(backupFolder() + "/" + name) == theirs;
        QVERIFY(kept);
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void shouldStartAndWorkWhenTheDataFolderCannotBeWritten_data() {
        QTest::addColumn<bool>("backupFolderGone");
        QTest::newRow("read-only") << false;
        // the start cannot make what is missing, but the settings are there to start with
        QTest::newRow("read-only, Backup folder missing") << true;
    }
    void shouldStartAndWorkWhenTheDataFolderCannotBeWritten() {
        QFETCH(bool, backupFolderGone);
        // given a data folder set up earlier and now read-only, and a list elsewhere
        test::Window w;
        if (backupFolderGone)
            QVERIFY(QDir(backupFolder()).removeRecursively());
        const QString folder = w.home.path() + "/lists";
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/home.oxml";
        QVERIFY(test::writeFile(path, test::smallList("Home", test::item("Milk"))));
        writeSetting("lastFile", path);
        const QByteArray settingsBefore = test::readFile(settingsFile());
        const QByteArray logBefore = test::readFile(getDataFolder() + "/log.txt");
        if (!backupFolderGone)
            QVERIFY(setMode(backupFolder(), kReadOnlyFolder));
        QVERIFY(setMode(getDataFolder(), kReadOnlyFolder));
        QVERIFY(setMode(settingsFile(), QFile::ReadOwner | QFile::ReadOther));
        // when the program starts, opens the list, and the list is changed and saved
        Ortolan& o = w.start();
        test::click(o.Tree, o.tree().Item(kRootID));
        o.addTask("Eggs", QString(), QDateTime(), "INCOMPLETE", true, true);
        o.action("MENU_Save")->trigger();
        // then it said so once, naming the folder, and nothing else
        QCOMPARE(Dialogs::messages().size(), 1);
        QCOMPARE(Dialogs::messages().first().icon, PromptIcon::Warning);
        QVERIFY2(Dialogs::messages().first().text.contains(getDataFolder()),
                 qPrintable(Dialogs::messages().first().text));
        // and the list opened and saved normally
        QVERIFY(!o.startFailed());
        QCOMPARE(o.currentFileName(), path);
        QCOMPARE(namesIn(path), QStringList({"Milk", "Eggs"}));
        QCOMPARE(o.statusText(), QStringLiteral("Saving complete."));
        // and the data folder is untouched
        QCOMPARE(test::readFile(settingsFile()), settingsBefore);
        QCOMPARE(test::readFile(getDataFolder() + "/log.txt"), logBefore);
        QVERIFY(QDir(backupFolder()).entryList(QDir::Files).isEmpty());
        for (const QString& f : {getDataFolder() + "/Backup", getDataFolder()})
            setMode(f, kWritableFolder);
    }
};

int main(int argc, char** argv) {
    if (geteuid() == 0) {
        // For good: real, effective and saved ids all become nobody's.
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
            return 1;
        prctl(PR_SET_DUMPABLE, 1); // the leak checker of sanitizer builds must still see the process
    }
    QTemporaryDir home; // nobody's own home, for the desktop libraries' settings
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    QApplication app(argc, argv);
    TestFaults tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_faults.moc"
