#include "document/Backups.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace ortolan;

namespace {

QStringList backups() {
    return QDir(backupFolder()).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestBackups : public QObject {
    Q_OBJECT
private slots:
    void shouldNumberTheDaysBackupsFromOne() {
        // given a list file
        test::TempDataHome home(QDateTime(QDate(2026, 12, 5), QTime(9, 0)));
        const QString list = home.path() + "/home.oxml";
        QVERIFY(test::writeFile(list, "version 1"));
        test::ScriptedPrompt prompt;
        // when it is backed up twice on one day, changed in between
        const QString first = BackupCurrent(list, &prompt);
        QVERIFY(test::writeFile(list, "version 2"));
        const QString second = BackupCurrent(list, &prompt);
        // then the copies are numbered 1 and 2 and hold what the file held at the time
        QCOMPARE(first, backupFolder() + "/backup-12-05-2026_1.bak.oxml");
        QCOMPARE(second, backupFolder() + "/backup-12-05-2026_2.bak.oxml");
        QCOMPARE(test::readFile(first), QByteArray("version 1"));
        QCOMPARE(test::readFile(second), QByteArray("version 2"));
        QVERIFY(prompt.asked.isEmpty());
        // and the next day starts again at 1
        home.setNow(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 1)));
        QCOMPARE(BackupCurrent(list, &prompt), backupFolder() + "/backup-12-06-2026_1.bak.oxml");
    }

    void shouldFallBackToNumber201WhenTheDayIsFull() {
        test::TempDataHome home;
        QVERIFY(QDir().mkpath(backupFolder()));
        for (int n = 1; n <= 200; ++n)
            QVERIFY(test::writeFile(backupFolder() + QStringLiteral("/backup-12-05-2026_%1.bak.oxml").arg(n), "old"));
        const QString list = home.path() + "/home.oxml";
        QVERIFY(test::writeFile(list, "newest"));
        test::ScriptedPrompt prompt;

        const QString written = BackupCurrent(list, &prompt);
        QCOMPARE(written, backupFolder() + "/backup-12-05-2026_201.bak.oxml");
        QCOMPARE(prompt.asked.size(), 1);
        QCOMPARE(prompt.asked[0].text, QStringLiteral("Cannot back up."));
        QCOMPARE(prompt.asked[0].buttons, PromptButtons::Ok);
        // the last resort is reused: the newest copy replaces it
        QVERIFY(test::writeFile(list, "even newer"));
        QCOMPARE(BackupCurrent(list, &prompt), written);
        QCOMPARE(test::readFile(written), QByteArray("even newer"));
        QCOMPARE(backups().size(), 201);
        QCOMPARE(test::readFile(backupFolder() + "/backup-12-05-2026_7.bak.oxml"), QByteArray("old"));
    }

    void shouldWarnButGoOnWhenTheCopyFails() {
        test::TempDataHome home;
        test::ScriptedPrompt prompt;
        // a file that does not exist yet
        QCOMPARE(BackupCurrent(home.path() + "/not-there.oxml", &prompt), QString());
        QCOMPARE(prompt.asked.size(), 1);
        QCOMPARE(prompt.asked[0].text,
                 QStringLiteral("Warning: Could not back up previous version of the last file editted."));
        QCOMPARE(prompt.asked[0].title, QStringLiteral("Ortolan"));
        QVERIFY(backups().isEmpty());
    }

    void shouldWarnWhenTheBackupFolderCannotBeMade() {
        // a file stands where the backup folder should be
        test::TempDataHome home;
        test::ScriptedPrompt prompt;
        const QString list = home.path() + "/home.oxml";
        QVERIFY(test::writeFile(list, "x"));
        QVERIFY(QDir().mkpath(getDataFolder()));
        QVERIFY(test::writeFile(backupFolder(), "in the way"));
        QCOMPARE(BackupCurrent(list, &prompt), QString());
        QCOMPARE(prompt.asked.size(), 1);
        QCOMPARE(test::readFile(list), QByteArray("x"));
        QCOMPARE(test::readFile(backupFolder()), QByteArray("in the way"));
    }

    void shouldKeepTheRecentFiles_data() {
        // clang-format off
        // Each step: "open FILE" (with the file open before it) or "save FILE".
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("history"); // lastFile, file1, file2, file3
        QTest::newRow("open A then B") << QStringList{"open A", "open B"} << QStringList{"B", "A", "", ""};
        QTest::newRow("back to A does not shift") << QStringList{"open A", "open B", "open A"} << QStringList{"A", "A", "", ""};
        QTest::newRow("save only sets the last file") << QStringList{"open A", "open B", "save C"} << QStringList{"C", "A", "", ""};
        QTest::newRow("the oldest drops out") << QStringList{"open A", "open B", "open C", "open D", "open E"} << QStringList{"E", "D", "C", "B"};
        // clang-format on
    }
    void shouldKeepTheRecentFiles() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, history);
        test::TempDataHome home;
        QVERIFY(QDir().mkpath(getDataFolder()));
        QString open;
        for (const QString& step : steps) {
            const QString file = step.section(' ', 1);
            if (step.startsWith("open"))
                saveFileHistory(file, open);
            else
                saveFileHistory(file);
            open = file;
        }
        QCOMPARE(
            (QStringList{readSetting("lastFile"), readSetting("file1"), readSetting("file2"), readSetting("file3")}),
            history);
    }

    void shouldFindTheFolderOfAPath_data() {
        // clang-format off
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("windows path") << "C:\\Lists\\home.oxml" << "C:\\Lists\\";
        QTest::newRow("backslash wins over slash") << "C:/a\\b/c.oxml" << "C:/a\\";
        QTest::newRow("bare name") << "home.oxml" << "home.oxml";
        // clang-format on
    }
    void shouldFindTheFolderOfAPath() {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(getFolderOfPath(path), folder);
    }

    void shouldNameFoldersToShowAndUse() {
        test::TempDataHome home;
        QVERIFY(getTempFolder().endsWith('/'));
        QVERIFY(QDir(getTempFolder()).exists());
        QCOMPARE(folderToShow("/home/ann/lists/home.oxml"), QStringLiteral("/home/ann/lists/"));
        QCOMPARE(folderToShow(""), getDataFolder()); // a list never saved: the data folder
        QCOMPARE(folderToShow("home.oxml"), QDir::currentPath());
    }
};

QTEST_GUILESS_MAIN(TestBackups)
#include "test_backups.moc"
