#include "model/TaskHandler.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

using namespace ortolan;
using test::logMessages;

namespace {

const QStringList kStartLog = {"Loading and initilizing internal calendar...",
                               "Loading tab images...",
                               "Form shown, loading XML manager...",
                               "Loading icons into IconSelector...",
                               "Done, loading settings and settings up the current file...",
                               "Displaying tree...",
                               "Displaying Calendar...",
                               "Loading Outlook (if available)...",
                               "Outlook not loaded...",
                               "Rendering calendar...",
                               "Opening any files specified in the command line...",
                               "Done loading."};

} // namespace

class TestWindowStartup : public QObject {
    Q_OBJECT
private slots:
    void shouldStartWithTheExampleTheFirstTime() {
        // given a first start
        test::Window w;
        // when the window starts
        Ortolan& o = w.start();
        // then it logged every stage in order and opened the example as the last file
        QVERIFY(!o.startFailed());
        QCOMPARE(logMessages(), kStartLog);
        QVERIFY(test::readFile(getDataFolder() + "/log.txt").startsWith("12-05-2026, 01:08:14: "));
        const QString example = getDataFolder() + "/example.oxml";
        QCOMPARE(o.currentFileName(), example);
        QCOMPARE(readSetting("lastFile"), example);
        QCOMPARE(o.tree().Item(kRootID)->Text(), QStringLiteral("Welcome to Ortolan"));
        QVERIFY(o.tree().Item(kRootID)->Expanded());
        QVERIFY(o.Tree->isVisible() && o.Tree->isEnabled());
        QVERIFY(!o.fileHasBeenChanged());
        QCOMPARE(o.statusText(), QStringLiteral("Loading completed. 12 tasks loaded."));
        QVERIFY(!o.ProgressBar->isVisible());
        QCOMPARE(o.IconSelector->count(), 19);
        QCOMPARE(o.TabStrip->count(), 3);
        QCOMPARE(o.TabStrip->tabText(0), QStringLiteral("Main"));
        QCOMPARE(o.TabStrip->tabText(1), QStringLiteral("Today"));
        QCOMPARE(o.TabStrip->tabText(2), QStringLiteral("Calendar"));
        QVERIFY(QFile::exists(backupFolder() + "/backup-12-05-2026_1.bak.oxml")); // backed up before opening
        QCOMPARE(Dialogs::unanswered(), 0);
    }

    void shouldStartAsTheSettingsSay_data() {
        QTest::addColumn<QString>("autoLoad");
        QTest::addColumn<bool>("opensLastFile");
        QTest::addColumn<QString>("checked");
        QTest::newRow("ALWAYS") << "ALWAYS" << true << "MENU_LoadLastAlways";
        QTest::newRow("UNLESSFTP starts like NEVER") << "UNLESSFTP" << false << "MENU_LoadLastUnlessFTP";
        QTest::newRow("NEVER") << "NEVER" << false << "MENU_LoadLastNever";
        QTest::newRow("anything else") << "sometimes" << false << "MENU_LoadLastNever";
    }
    void shouldStartAsTheSettingsSay() {
        QFETCH(QString, autoLoad);
        QFETCH(bool, opensLastFile);
        QFETCH(QString, checked);
        test::Window w;
        const QString last = w.listFile("last.oxml", test::smallList("Last", test::item("x")));
        writeSetting("autoLoad", autoLoad);
        writeSetting("lastFile", last);
        Ortolan& o = w.start();
        QCOMPARE(o.currentFileName(), opensLastFile ? last : QString());
        QCOMPARE(o.tree().Item(kRootID)->Text(), opensLastFile ? QStringLiteral("Last") : QStringLiteral("My Tasks"));
        for (const char* item : {"MENU_LoadLastAlways", "MENU_LoadLastUnlessFTP", "MENU_LoadLastNever"})
            QCOMPARE(o.action(item)->isChecked(), checked == QLatin1String(item));
    }

    void shouldReadEasyEditingAndClickToRename() {
        test::Window w;
        writeSetting("EasyEditing", "true"); // only "True" exactly switches it on
        writeSetting("disableClickToRename", "TRUE");
        Ortolan& o = w.start();
        QVERIFY(!o.easyEditing());
        QVERIFY(!o.action("MENU_EasyEditing")->isChecked());
        QCOMPARE(o.tree().LabelEdit(), TaskTree::LabelEditMode::Manual);
        QVERIFY(o.action("MENU_DisableClickToRename")->isChecked());
        QCOMPARE(o.Tree->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(readSetting("disableClickToRename"), QStringLiteral("True"));
    }

    void shouldEndWhenTheSettingsAreMissing_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("missing") << "";
        QTest::newRow("not a truth value") << "maybe";
    }
    void shouldEndWhenTheSettingsAreMissing() {
        QFETCH(QString, value);
        test::Window w;
        writeSetting("disableClickToRename", value);
        Ortolan& o = w.start();
        QVERIFY(o.startFailed());
        QCOMPARE(Dialogs::messages().last().text, QStringLiteral("Error: Settings file for Ortolan cannot be found!"));
        QCOMPARE(Dialogs::messages().last().icon, PromptIcon::None);
        QVERIFY(!logMessages().contains("Done loading."));
    }

    void shouldOpenTheFileNamedOnTheCommandLine() {
        // given a path with spaces, quoted as a shell passes it
        test::Window w;
        QDir().mkpath(w.home.path() + "/my lists");
        const QString named = w.listFile("my lists/big plan.oxml", test::smallList("Plan", test::item("Step")));
        // when the window starts with it
        Ortolan& o = w.start({"\"" + w.home.path() + "/my", "lists/big", "plan.oxml\""});
        // then the example opened first and the named file last, both backed up and recorded
        QCOMPARE(o.currentFileName(), named);
        QCOMPARE(o.tree().Item(kRootID)->Text(), QStringLiteral("Plan"));
        QCOMPARE(readSetting("lastFile"), named);
        QCOMPARE(readSetting("file1"), getDataFolder() + "/example.oxml");
        QCOMPARE(QDir(backupFolder()).entryList(QDir::Files).size(), 2);
    }

    void shouldCloseWhenTheUserExitsAfterAFailedStartUpLoad() {
        // given a last file the program cannot read
        test::Window w;
        writeSetting("lastFile", w.listFile("broken.oxml", "<XML><FORMATVERSION>1e999</FORMATVERSION></XML>"));
        Dialogs::setNextAnswer(PromptAnswer::Yes); // "Would you like to exit?"
        Ortolan& o = w.start();
        // then the window closes and start-up stops there
        QVERIFY(o.hasClosed());
        QVERIFY(!o.isVisible());
        QVERIFY(!o.startFailed());
        QVERIFY(!logMessages().contains("Done loading."));
        QCOMPARE(Dialogs::messages().last().text,
                 QStringLiteral("Error loading to do list file. Would you like to exit?"));
    }

    void shouldAskBeforeClosingAChangedList() {
        test::Window w;
        Ortolan& o = w.start();
        o.setFileHasBeenChanged(true);
        // Cancel keeps the window open
        Dialogs::setNextAnswer(PromptAnswer::Cancel);
        QVERIFY(!o.close());
        const PromptMessage asked = Dialogs::messages().last();
        QCOMPARE(asked.text,
                 QStringLiteral("Would you like to save before exiting? (Press Cancel to cancel exiting.)"));
        QCOMPARE(asked.title, QStringLiteral("Save Before Continuing?"));
        QCOMPARE(asked.icon, PromptIcon::Question);
        QCOMPARE(asked.buttons, PromptButtons::YesNoCancel);
        QVERIFY(o.fileHasBeenChanged());
        // No closes it and tidies the open-files setting
        writeSetting("filesOpen", "/a.oxml,," + o.currentFileName() + ",/b.oxml,");
        Dialogs::setNextAnswer(PromptAnswer::No);
        o.action("MENU_Exit")->trigger();
        QVERIFY(!o.isVisible());
        QCOMPARE(readSetting("filesOpen"), QStringLiteral("/a.oxml,,/b.oxml,"));
    }

    void shouldWriteTheOpenFilesKeyEvenWhenItWasAbsent() {
        test::Window w;
        Ortolan& o = w.start();
        QVERIFY(o.close());
        QVERIFY(test::readFile(settingsFile()).contains("\nfilesOpen=\n"));
    }

    void shouldOfferEveryMenuItem() {
        test::Window w;
        Ortolan& o = w.start();
        // name, caption, shortcut, hidden
        const QList<std::tuple<const char*, const char*, const char*, bool>> items = {
            {"MENU_File", "&File", "", false},
            {"MENU_NEW", "New", "Ctrl+N", false},
            {"MENU_OPEN", "&Open", "Ctrl+O", false},
            {"MENU_RecentFiles", "Recent Files", "", false},
            {"MENU_Save", "Save", "Ctrl+S", false},
            {"MENU_SaveAs", "Save &As", "Ctrl+Shift+S", false},
            {"MENU_SaveACopyAs", "Save A &Copy As..", "", false},
            {"MENU_OPEN_FOLDER", "Open Containing &Folder", "Ctrl+E", false},
            {"MENU_DASH_Exchange", "", "", false},
            {"MENU_Import", "Import...", "", false},
            {"MENU_Export", "Export", "", false},
            {"MENU_ExportICalendar", "iCalendar (.ics)...", "", false},
            {"MENU_ExportOpml", "OPML (.opml)...", "", false},
            {"MENU_ExportMarkdown", "Markdown (.md)...", "", false},
            {"MENU_ExportCsv", "CSV (.csv)...", "", false},
            {"MENU_ExportPdf", "Export as PDF...", "", false},
            {"MENU_Print", "&Print...", "Ctrl+P", false},
            {"MENU_PrintPreview", "Print Pre&view...", "", false},
            {"MENU_Bar2", "", "", false},
            {"MENU_FTPopen", "Open from FTP...", "", false},
            {"MENU_Bar3", "", "", false},
            {"MENU_Settings", "Settings", "", false},
            {"MENU_DisableClickToRename", "Disable \"Click-to-rename\"", "", false},
            {"MENU_EasyEditing", "Enable Easy Editing", "", true},
            {"MENU_InsertOutlook", "Insert Outlook Dates into Calendar", "", false},
            {"MENU_OutlookTasks", "Import Tasks From Outlook", "", false},
            {"MENU_CalendarSource", "Calendar Source...", "", false},
            {"MENU_LoadOnStartup", "Load last file on start-up", "", false},
            {"MENU_LoadLastAlways", "Always", "", false},
            {"MENU_LoadLastUnlessFTP", "Yes, unless its from an FTP site", "", true},
            {"MENU_LoadLastNever", "Never", "", false},
            {"MENU_DASH1", "", "", false},
            {"MENU_Exit", "E&xit", "Ctrl+Q", false},
            {"MENU_Edit", "&Edit", "", false},
            {"MENU_Undo", "Undo", "Ctrl+Z", false},
            {"MENU_Redo", "Redo", "Ctrl+Shift+Z", false},
            {"MENU_DASH_Undo", "", "", false},
            {"MENU_MoveUp", "Move Up", "Ctrl+U", false},
            {"MENU_MoveDown", "Move Down", "Ctrl+D", false},
            {"MENU_Cut", "Cut", "Ctrl+X", false},
            {"MENU_Paste", "P&aste", "Ctrl+V", false},
            {"MENU_RENAME", "Rename", "Ctrl+R", false},
            {"MENU_DASH_Find", "", "", false},
            {"MENU_Find", "Find...", "Ctrl+Shift+F", false},
            {"MENU_INSERT", "Insert", "", false},
            {"MENU_NewTask", "New &Task", "Ctrl+T", false},
            {"MENU_AddSubtask", "Add Sub-task", "Ctrl+A", false},
            {"MENU_Expand", "Expand", "", true},
            {"MENU_Sep1", "", "", false},
            {"MENU_MarkAsCompleted", "Mark as Completed (&Finished)", "Ctrl+F", false},
            {"MENU_MarkAsIncomplete", "Mark as &Incomplete", "Ctrl+I", false},
            {"MENU_DASH_1032", "", "", false},
            {"MENU_INSERT_FORMULA", "Formula", "", false},
            {"MENU_SUM_SECTION", "Sum all numbers in section", "", false},
            {"MENU_AVG_Section", "Average of all numbers in section", "", false},
            {"MENU_DASH3245", "", "", false},
            {"MENU_INSERT_Delete", "Delete", "Del", false},
            {"MENU_Rename2", "Rename Task", "", false},
            {"MENU_RemoveCalDate", "Remove Calendar Date", "", false},
            {"MENU_DASH_3", "", "", false},
            {"MENU_ASSIGN_CALENDAR_DATE", "Assign Calendar Date", "", false},
            {"MENU_SetDueDate", "Set Due Date...", "", false},
            {"MENU_DASH_030", "", "", false},
            {"MENU_AddCategory", "Add Category", "", true},
            {"MENU_About", "About", "", false},
            {"MENU_CHECKFORUPDATES", "Check for Updates", "", false},
            {"MENU_VISITUPDATESITE", "Visit Update Website", "", false},
        };
        for (const auto& [name, caption, shortcut, hidden] : items) {
            const QAction* a = o.findChild<QAction*>(name);
            QVERIFY2(a, name);
            QCOMPARE(a->text(), QString::fromUtf8(caption));
            QCOMPARE(a->shortcut(), QKeySequence(QString::fromLatin1(shortcut)));
            QCOMPARE(a->isVisible(), !hidden);
            QCOMPARE(a->isSeparator(), *caption == 0);
        }
    }

    void shouldOfferTheInsertMenuOnARightPress() {
        test::Window w;
        Ortolan& o = w.start();
        TreeNode* task = o.tree().Item("R1");
        const QRect row = o.Tree->visualRect(o.Tree->model()->indexFromNode(task));
        QTest::mousePress(o.Tree->viewport(), Qt::RightButton, {}, row.center());
        QCOMPARE(o.tree().SelectedItem(), task);
        auto* insert = o.findChild<QMenu*>("MENU_INSERT");
        QTRY_VERIFY(insert->isVisible());
        insert->hide();
        // a press on empty space changes nothing and opens nothing
        QTest::mousePress(o.Tree->viewport(), Qt::RightButton, {}, QPoint(5, o.Tree->viewport()->height() - 3));
        QCOMPARE(o.tree().SelectedItem(), task);
        QVERIFY(!insert->isVisible());
    }
};

QTEST_MAIN(TestWindowStartup)
#include "test_window_startup.moc"
