#include "settings/DataFolder.h"
#include "settings/ProfileFile.h"
#include "TestSupport.h"

#include <csignal>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <sys/resource.h>

using namespace ortolan;

namespace {

// Every file and folder under root, relative to it.
QStringList tree(const QString& root) {
    QStringList all;
    QDir dir(root);
    for (const QFileInfo& fi : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name)) {
        all << fi.fileName();
        if (fi.isDir())
            for (const QString& sub : tree(fi.filePath()))
                all << fi.fileName() + QLatin1Char('/') + sub;
    }
    return all;
}

const QByteArray kSample = "; written by hand\r\n"
                           "[Other]\r\n"
                           "autoLoad=not this one\r\n"
                           "\r\n"
                           "[main]\r\n"
                           "  AutoLoad =   NEVER  \r\n"
                           "lastFile=/home/a/list.oxml\r\n"
                           "odd line without equals\r\n"
                           "\r\n"
                           "[Tail]\r\n"
                           "x=1\r\n";

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void shouldReadLikeTheProfileFunctions_data() {
        // clang-format off
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("names in any case, spaces dropped") << "MAIN" << "autoload" << "NEVER";
        QTest::newRow("the section decides") << "other" << "AUTOLOAD" << "not this one";
        QTest::newRow("unknown key") << "MAIN" << "SoundIsOn" << "";
        QTest::newRow("unknown section") << "Nowhere" << "x" << "";
        QTest::newRow("line without equals is no key") << "MAIN" << "odd line without equals" << "";
        QTest::newRow("last section") << "TAIL" << "X" << "1";
        // clang-format on
    }
    void shouldReadLikeTheProfileFunctions() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        test::TempDataHome home;
        const QString ini = home.path() + "/sample.ini";
        QVERIFY(test::writeFile(ini, kSample));
        QCOMPARE(readProfileString(section, key, ini), value);
        QCOMPARE(readProfileString(section, key, home.path() + "/missing.ini"), QString());
    }

    void shouldCutLongValuesTo511Characters() {
        test::TempDataHome home;
        QVERIFY(QDir().mkpath(getDataFolder()));
        const QString value = QString(600, QLatin1Char('x'));
        QVERIFY(writeSetting("lastFile", value));
        QCOMPARE(readSetting("lastFile"), value.left(511));
        QVERIFY(test::readFile(settingsFile()).contains(value.toLatin1())); // stored whole, cut when read
    }

    void shouldReplaceOrAddOneLineAndKeepTheRest() {
        // given a hand-written file with comments, other sections, blank lines and CRLF
        test::TempDataHome home;
        const QString ini = home.path() + "/sample.ini";
        QVERIFY(test::writeFile(ini, kSample));
        // when an existing key is changed, a new key and a new section are added
        QVERIFY(ProfileFile::write(ini, "MAIN", "AUTOLOAD", "ALWAYS"));
        QVERIFY(ProfileFile::write(ini, "Main", "SoundIsOn", "ON"));
        QVERIFY(ProfileFile::write(ini, "New", "k", "v"));
        // then only those lines changed, in place
        QCOMPARE(test::readFile(ini), QByteArray("; written by hand\r\n"
                                                 "[Other]\r\n"
                                                 "autoLoad=not this one\r\n"
                                                 "\r\n"
                                                 "[main]\r\n"
                                                 "AUTOLOAD=ALWAYS\r\n"
                                                 "lastFile=/home/a/list.oxml\r\n"
                                                 "odd line without equals\r\n"
                                                 "SoundIsOn=ON\r\n"
                                                 "\r\n"
                                                 "[Tail]\r\n"
                                                 "x=1\r\n"
                                                 "[New]\r\n"
                                                 "k=v\r\n"));
    }

    void shouldKeepValuesOnOneLine() {
        test::TempDataHome home;
        QVERIFY(QDir().mkpath(getDataFolder()));
        QVERIFY(writeSetting("lastFile", "first\nsecond\r\n[MAIN]\nautoLoad=HACKED"));
        QCOMPARE(readSetting("autoLoad"), QString());
        QCOMPARE(readSetting("lastFile"), QStringLiteral("first second  [MAIN] autoLoad=HACKED"));
    }

    void shouldNeverLeaveAHalfWrittenSettingsFile() {
        // given a settings file larger than the file-size limit the write will meet
        test::TempDataHome home;
        QVERIFY(QDir().mkpath(getDataFolder()));
        QVERIFY(writeSetting("filesOpen", QString(3000, QLatin1Char('f'))));
        const QByteArray before = test::readFile(settingsFile());
        const bool written = test::withFileSizeLimit(1024, [] { return writeSetting("autoLoad", "NEVER"); });
        // then the write fails and the old file is whole
        QVERIFY(!written);
        QCOMPARE(test::readFile(settingsFile()), before);
        QCOMPARE(QDir(getDataFolder()).entryList(QDir::Files), QStringList({"otl.ini"}));
    }

    void shouldLogOneDatedLinePerMessage() {
        test::TempDataHome home(QDateTime(QDate(2026, 12, 5), QTime(1, 8, 14)));
        QVERIFY(QDir().mkpath(getDataFolder()));
        QVERIFY(writeLog("Loading tab images..."));
        QVERIFY(writeLog("Loading tab images...")); // the same second
        home.setNow(QDateTime(QDate(2027, 1, 9), QTime(23, 59, 5)));
        QVERIFY(writeLog(QString::fromUtf8("Fertig → ok")));
        QCOMPARE(test::readFile(getDataFolder() + "/log.txt"),
                 QString::fromUtf8("12-05-2026, 01:08:14: Loading tab images...\n"
                                   "12-05-2026, 01:08:14: Loading tab images...\n"
                                   "01-09-2027, 23:59:05: Fertig → ok\n")
                     .toUtf8());
    }

    void shouldPrepareTheDataFolderOnFirstStartOnly() {
        // given an empty home
        test::TempDataHome home;
        // when the program starts the first time
        const DataFolderSetup first = prepareDataFolder();
        // then exactly these are made
        QVERIFY2(first.ok, qPrintable(first.error));
        QCOMPARE(tree(getDataFolder()),
                 QStringList({"Backup", "click.wav", "example.oxml", "new.oxml", "otl.ini", "save.wav"}));
        QCOMPARE(first.created.size(), 7); // the two folders and five files
        // with a value for every key
        // clang-format off
        const QStringList keys = {"EasyEditing", "autoLoad", "disableClickToRename", "lastFile", "file1", "file2",
                                  "file3", "filesOpen", "loadOutlook", "outlookSource", "SoundIsOn", "treeClickWave",
                                  "saveWave", "doSlowMoEffects", "lastFileFTPServer", "lastFileFTPUser", "lastFileFTPPass"};
        // clang-format on
        const QByteArray ini = test::readFile(settingsFile());
        for (const QString& key : keys)
            QVERIFY2(ini.contains("\n" + key.toUtf8() + "="), qPrintable(key));
        QCOMPARE(readSetting("disableClickToRename"), QStringLiteral("False"));
        QCOMPARE(readSetting("doSlowMoEffects"), QStringLiteral("False"));
        QCOMPARE(readSetting("EasyEditing"), QStringLiteral("False"));
        QCOMPARE(readSetting("autoLoad"), QStringLiteral("ALWAYS"));
        QCOMPARE(readSetting("lastFile"), QString());
        QCOMPARE(readSetting("SoundIsOn"), QStringLiteral("ON"));
        QCOMPARE(readSetting("loadOutlook"), QStringLiteral("False"));
        QCOMPARE(readSetting("outlookSource"), QString());
        QCOMPARE(readSetting("saveWave"), getDataFolder() + "/save.wav");
        QCOMPARE(readSetting("treeClickWave"), getDataFolder() + "/click.wav");
        QVERIFY(test::readFile(getDataFolder() + "/save.wav").startsWith("RIFF"));
        QVERIFY(test::readFile(getDataFolder() + "/click.wav").startsWith("RIFF"));

        // when the user has changed things and the program starts again
        QVERIFY(writeSetting("autoLoad", "NEVER"));
        QVERIFY(test::writeFile(getDataFolder() + "/new.oxml", "mine"));
        QVERIFY(QFile::remove(getDataFolder() + "/example.oxml"));
        const DataFolderSetup second = prepareDataFolder();
        // then only the missing file comes back and nothing else is touched
        QVERIFY(second.ok);
        QCOMPARE(second.created, QStringList({getDataFolder() + "/example.oxml"}));
        QCOMPARE(test::readFile(getDataFolder() + "/new.oxml"), QByteArray("mine"));
        QCOMPARE(readSetting("autoLoad"), QStringLiteral("NEVER"));
        QCOMPARE(prepareDataFolder().created, QStringList());
    }

    void shouldNotRepairAnExistingSettingsFile() {
        test::TempDataHome home;
        QVERIFY(QDir().mkpath(getDataFolder()));
        QVERIFY(test::writeFile(settingsFile(), "[MAIN]\nautoLoad=NEVER\n"));
        QVERIFY(prepareDataFolder().ok);
        QCOMPARE(test::readFile(settingsFile()), QByteArray("[MAIN]\nautoLoad=NEVER\n"));
        QCOMPARE(readSetting("disableClickToRename"), QString());
    }

    void shouldShipTemplatesThatReadAsLists() {
        test::TempDataHome home;
        QVERIFY(prepareDataFolder().ok);
        test::TaskList empty;
        QVERIFY(loadTaskList(empty.xml, getDataFolder() + "/new.oxml", empty.tree, empty.th).ok);
        QCOMPARE(empty.tree.Count(), 1);
        QCOMPARE(empty.tree.Item(kRootID)->Text(), QStringLiteral("My Tasks"));

        test::TaskList example;
        const LoadResult r = loadTaskList(example.xml, getDataFolder() + "/example.oxml", example.tree, example.th);
        QVERIFY(r.ok);
        QCOMPARE(r.skippedValues, 0);
        bool subTasks = false, formula = false, today = false, done = false, due = false;
        for (int i = 2; i <= example.tree.Count(); ++i) {
            const TreeNode* n = example.tree.Item(i);
            const Task* t = example.th.getTask(n->Key());
            subTasks |= n->Children() > 0;
            formula |= t->TaskName.contains("!!sum!!") && !n->Text().contains("!!");
            today |= t->CategoryString.contains("Today") && t->Status != kStatusComplete;
            done |= t->Status == kStatusComplete;
            due |= hasDueDate(t->DateDue);
        }
        QVERIFY(subTasks && formula && today && done && due);
    }

    void shouldKeepEveryKeyWhenTwoProgramsWriteAtOnce() {
        // given a settings file with keys of its own
        QTemporaryDir dir;
        const QString path = dir.filePath("otl.ini");
        QVERIFY(test::writeFile(path, "[MAIN]\nautoLoad=ALWAYS\nSoundIsOn=ON\n"));
        // when two programs write 150 keys each into it at the same time
        const int count = 150;
        QProcess first, second;
        first.start(SETTINGS_WRITER, {path, "first", QString::number(count)});
        second.start(SETTINGS_WRITER, {path, "second", QString::number(count)});
        QVERIFY(first.waitForFinished(120000) && second.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        // then the file is one section of key=value lines with every key of both and the old ones
        const QStringList lines = QString::fromUtf8(test::readFile(path)).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("[MAIN]"));
        for (const QString& line : lines.mid(1))
            QVERIFY2(QRegularExpression("^[a-zA-Z]+[0-9]*=[a-zA-Z0-9 ]+$").match(line).hasMatch(), qPrintable(line));
        QCOMPARE(lines.size(), 1 + 2 + 2 * count);
        for (const char* prefix : {"first", "second"})
            for (int i = 1; i <= count; ++i) {
                const QString key = prefix + QString::number(i);
                QCOMPARE(ProfileFile::read(path, "MAIN", key), "value of " + key);
            }
        QCOMPARE(ProfileFile::read(path, "MAIN", "autoLoad"), QStringLiteral("ALWAYS"));
        QVERIFY(!QFile::exists(path + ".lock"));
    }

    void shouldKeepEveryLineItDoesNotWriteByteForByte() {
        // given lines that are not UTF-8, from an older program or a hand edit
        QTemporaryDir dir;
        const QString path = dir.filePath("otl.ini");
        const QByteArray before = "[MAIN]\r\nlastFile=/home/u/caf\xe9.oxml\r\nfile1=\xff\xfe odd\r\nautoLoad=NEVER\r\n";
        QVERIFY(test::writeFile(path, before));
        // when another key is written
        QVERIFY(ProfileFile::write(path, "MAIN", "autoLoad", "ALWAYS"));
        // then only that line changed
        QCOMPARE(test::readFile(path), QByteArray(before).replace("autoLoad=NEVER", "autoLoad=ALWAYS"));
    }

    void shouldKeepAByteOrderMarkThroughAWrite() {
        // given a file that starts with a byte-order mark, and one with a second mark after it
        // (reading drops the first; the second keeps "[main]" from being a section header)
        QTemporaryDir dir;
        const QString path = dir.filePath("otl.ini");
        const QByteArray mark = "\xEF\xBB\xBF";
        QVERIFY(test::writeFile(path, mark + "[main]\r\nautoLoad=NEVER\r\n"));
        QCOMPARE(ProfileFile::read(path, "MAIN", "autoLoad"), QStringLiteral("NEVER"));
        const QByteArray twice = mark + mark + "[main]\r\nx=1\r\n[MAIN]\r\nlastFile=second\r\n";
        QCOMPARE(ProfileFile::readFromText(twice, "main", "x"), QString());
        QCOMPARE(ProfileFile::readFromText(twice, "main", "lastFile"), QStringLiteral("second"));
        // when a key is written into each
        QVERIFY(ProfileFile::write(path, "main", "lastFile", "/home/a/list.oxml"));
        const QString other = dir.filePath("other.ini");
        QVERIFY(test::writeFile(other, twice));
        QVERIFY(ProfileFile::write(other, "main", "lastFile", QString::fromUtf8("über")));
        // then the marks stay and each file reads as before, with the new value
        QCOMPARE(test::readFile(path), mark + "[main]\r\nautoLoad=NEVER\r\nlastFile=/home/a/list.oxml\r\n");
        QCOMPARE(test::readFile(other), mark + mark + "[main]\r\nx=1\r\n[MAIN]\r\nlastFile=über\r\n");
        QCOMPARE(ProfileFile::read(other, "main", "lastFile"), QString::fromUtf8("über"));
        QCOMPARE(ProfileFile::read(other, "main", "x"), QString());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
