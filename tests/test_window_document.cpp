#include "model/TaskHandler.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QAction>

using namespace ortolan;

namespace {

const QString kSaveQuestion = QStringLiteral("Changes have not been saved. Would you like to save before continuing?");

// A window that started on a list of its own, named home.oxml.
struct Opened {
    test::Window w;
    QString path;
    Ortolan* o = nullptr;
    Opened() {
        path = w.listFile("home.oxml", test::smallList("Home", test::item("Milk") + test::item("Bread")));
        writeSetting("lastFile", path);
        o = &w.start();
    }
    QStringList backups() const { return QDir(backupFolder()).entryList(QDir::Files, QDir::Name); }
};

} // namespace

class TestWindowDocument : public QObject {
    Q_OBJECT
private slots:
    void shouldAskNothingForAnUnchangedList() {
        Opened d;
        d.o->action("MENU_NEW")->trigger();
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(d.o->currentFileName(), QString());
        QCOMPARE(d.o->tree().Count(), 1);
        QCOMPARE(d.o->tree().Item(kRootID)->Text(), QStringLiteral("My Tasks"));
        QCOMPARE(readSetting("lastFile"), d.path); // New does not enter the history
    }

    void shouldAskBeforeReplacingAChangedList_data() {
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Cancel") << PromptAnswer::Cancel << false << false;
        QTest::newRow("No") << PromptAnswer::No << true << false;
        QTest::newRow("Yes") << PromptAnswer::Yes << true << true;
    }
    void shouldAskBeforeReplacingAChangedList() {
        QFETCH(PromptAnswer, answer);
        QFETCH(bool, replaced);
        QFETCH(bool, saved);
        Opened d;
        d.o->xml(); // the list as read
        d.o->taskH().getTask("R1")->TaskName = "Oat milk";
        d.o->setFileHasBeenChanged(true);
        Dialogs::setNextAnswer(answer);
        d.o->action("MENU_NEW")->trigger();
        const PromptMessage asked = Dialogs::messages().first();
        QCOMPARE(asked.text, kSaveQuestion);
        QCOMPARE(asked.title, QStringLiteral("Save Before Continuing?"));
        QCOMPARE(asked.icon, PromptIcon::Question);
        QCOMPARE(asked.buttons, PromptButtons::YesNoCancel);
        QCOMPARE(d.o->currentFileName(), replaced ? QString() : d.path);
        QCOMPARE(test::readFile(d.path).contains("Oat milk"), saved);
        QCOMPARE(d.o->statusText() == QStringLiteral("Saving complete.") || !saved, true);
    }

    void shouldOpenWhatTheDialogChoosesAndNothingWhenItIsCancelled() {
        Opened d;
        // cancelled after No to the save question: nothing changes
        d.o->setFileHasBeenChanged(true);
        Dialogs::setNextAnswer(PromptAnswer::No);
        Dialogs::setNextFileName(std::nullopt);
        d.o->action("MENU_OPEN")->trigger();
        QCOMPARE(d.o->currentFileName(), d.path);
        QVERIFY(d.o->fileHasBeenChanged());
        QCOMPARE(d.o->tree().Item("R1")->Text(), QStringLiteral("Milk"));
        // a file chosen: opened, backed up, recorded
        const QString other = d.w.listFile("other.oxml", test::smallList("Other", test::item("a")));
        Dialogs::setNextAnswer(PromptAnswer::No);
        Dialogs::setNextFileName(other);
        d.o->action("MENU_OPEN")->trigger();
        const FileDialogRequest r = Dialogs::fileRequests().last();
        QCOMPARE(r.title, QStringLiteral("Ortolan"));
        QCOMPARE(r.defaultSuffix, QStringLiteral("oxml"));
        QCOMPARE(r.filter, QStringLiteral("Ortolan Files (*.oxml);;XML files (*.xml);;All files (*)"));
        QCOMPARE(d.o->currentFileName(), other);
        QCOMPARE(d.o->tree().Item(kRootID)->Text(), QStringLiteral("Other"));
        QCOMPARE(readSetting("lastFile"), other);
        QCOMPARE(readSetting("file1"), d.path);
        QCOMPARE(d.backups().size(), 2); // home at start-up, other now
        // the dialog opens with the name chosen last
        Dialogs::setNextFileName(std::nullopt);
        d.o->action("MENU_OPEN")->trigger();
        QCOMPARE(Dialogs::fileRequests().last().fileName, other);
    }
    void shouldSaveANamedListAfterBackingItUp() {
        Opened d;
        const QByteArray before = test::readFile(d.path);
        d.o->taskH().getTask("R1")->TaskName = "Oat milk";
        d.o->setFileHasBeenChanged(true);
        d.o->action("MENU_Save")->trigger();
        QVERIFY(Dialogs::fileRequests().isEmpty());
        QVERIFY(test::readFile(d.path).contains("<NAME>Oat milk</NAME>"));
        QVERIFY(!d.o->fileHasBeenChanged());
        QCOMPARE(d.o->statusText(), QStringLiteral("Saving complete."));
        QCOMPARE(test::readFile(backupFolder() + "/" + d.backups().last()), before);
        QCOMPARE(d.backups().size(), 2);
    }

    void shouldAskForANameTheFirstTime_data() {
        QTest::addColumn<QString>("startName");
        QTest::newRow("new list") << "";
        QTest::newRow("temp.oxml") << "temp.oxml";
    }
    void shouldAskForANameTheFirstTime() {
        QFETCH(QString, startName);
        // given a new list, or one that came from a file named exactly "temp.oxml"
        test::Window w;
        writeSetting("autoLoad", "NEVER");
        Ortolan& o = w.start(startName.isEmpty() ? QStringList() : QStringList{startName});
        QCOMPARE(o.currentFileName(), startName);
        const int backupsBefore = QDir(backupFolder()).entryList(QDir::Files).size(); // new.oxml's
        const QString chosen = w.home.path() + "/chosen.oxml";
        Dialogs::setNextFileName(chosen);
        o.action("MENU_Save")->trigger();
        const FileDialogRequest r = Dialogs::fileRequests().first();
        QVERIFY(r.save);
        QVERIFY(r.confirmOverwrite);
        QCOMPARE(o.currentFileName(), chosen);
        QVERIFY(test::readFile(chosen).startsWith("<XML>\r\n"));
        QCOMPARE(readSetting("lastFile"), chosen);
        QCOMPARE(readSetting("file1"), QString()); // a save never shifts the history
        // the first save of a new list has nothing to back up
        QCOMPARE(QDir(backupFolder()).entryList(QDir::Files).size(), backupsBefore);
    }

    void shouldSaveAsOrCopyUnderANewName() {
        Opened d;
        d.o->taskH().getTask("R1")->TaskName = "unsaved change";
        d.o->setFileHasBeenChanged(true);
        // a copy is of the file as last saved; the list keeps its name and its change
        const QString copy = d.w.home.path() + "/copy.oxml";
        Dialogs::setNextFileName(copy);
        d.o->action("MENU_SaveACopyAs")->trigger();
        QCOMPARE(test::readFile(copy), test::readFile(d.path));
        QCOMPARE(d.o->currentFileName(), d.path);
        QVERIFY(d.o->fileHasBeenChanged());
        // Save As cancelled keeps the name; Save As with a name saves the list there
        Dialogs::setNextFileName(std::nullopt);
        d.o->action("MENU_SaveAs")->trigger();
        QCOMPARE(d.o->currentFileName(), d.path);
        const QString renamed = d.w.home.path() + "/renamed.oxml";
        Dialogs::setNextFileName(renamed);
        d.o->action("MENU_SaveAs")->trigger();
        QCOMPARE(d.o->currentFileName(), renamed);
        QVERIFY(test::readFile(renamed).contains("<NAME>unsaved change</NAME>"));
        QVERIFY(!d.o->fileHasBeenChanged());
        QVERIFY(Dialogs::messages().isEmpty());
    }
    void shouldWarnWhenThereIsNothingToCopy() {
        test::Window w;
        writeSetting("autoLoad", "NEVER");
        Ortolan& o = w.start();
        Dialogs::setNextFileName(w.home.path() + "/copy.oxml");
        o.action("MENU_SaveACopyAs")->trigger();
        QCOMPARE(Dialogs::messages().last().text, QStringLiteral("Warning: Could not Save Copy As. You probably need "
                                                                 "the file to be saved originally first."));
        QVERIFY(!QFile::exists(w.home.path() + "/copy.oxml"));
    }

    void shouldForgetTheFileNameAfterAFailedLoad() {
        // given an open list and a file from a newer program that the user declines
        Opened d;
        const QString future = d.w.listFile("future.oxml", "<XML><FORMATVERSION>1e999</FORMATVERSION></XML>");
        d.o->setFileHasBeenChanged(true);
        Dialogs::setNextAnswer(PromptAnswer::No); // do not save before opening
        Dialogs::setNextFileName(future);
        Dialogs::setNextAnswer(PromptAnswer::No); // do not exit: start a new list
        // when it is opened
        d.o->action("MENU_OPEN")->trigger();
        // then the refusal and the question are shown, and a new list replaces the emptied one
        const QList<PromptMessage> asked = Dialogs::messages();
        QCOMPARE(asked[1].text, QStringLiteral("Cannot load file. This is not a valid Ortolan file."));
        QCOMPARE(asked[2].text, QStringLiteral("Error loading to do list file. Would you like to exit?"));
        QCOMPARE(asked[2].buttons, PromptButtons::YesNo);
        QCOMPARE(asked.size(), 3); // New asked nothing: nothing was left to save
        QCOMPARE(d.o->currentFileName(), QString());
        QVERIFY(!d.o->fileHasBeenChanged());
        QVERIFY(test::readFile(d.path).contains("Milk")); // the previous file was never written
    }

    void shouldShowProgressAndTellAboutDamage() {
        // given a list of a thousand tasks, two of them with unreadable due dates
        test::Window w;
        QByteArray items;
        for (int i = 1; i <= 1000; ++i)
            items += test::item("Task " + QByteArray::number(i),
                                i == 10 || i == 20 ? QByteArray("<DATEDUE>someday</DATEDUE>") : QByteArray());
        const QString big = w.listFile("big.oxml", test::smallList("Big", items));
        writeSetting("lastFile", big);
        Ortolan& o = w.start();
        QCOMPARE(o.ProgressBar->value(), 100);
        QVERIFY(!o.ProgressBar->isVisible());
        QCOMPARE(o.statusText(),
                 QStringLiteral("Loading completed. 1000 tasks loaded. 2 damaged value(s) (due dates or "
                                "icon numbers) could not be read and were left empty."));
    }

    void shouldOpenTheContainingFolder() {
        Opened d;
        d.o->action("MENU_OPEN_FOLDER")->trigger();
        QCOMPARE(d.w.opened, QList<QUrl>({QUrl::fromLocalFile(d.w.home.path() + "/")}));
    }
};

QTEST_MAIN(TestWindowDocument)
#include "test_window_document.moc"
