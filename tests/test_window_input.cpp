// The window as the user drives it: clicks, double-clicks, keys and drags sent as input events,
// in the order Qt delivers them from a real mouse and keyboard.

#include "calendar/CalendarGrid.h"
#include "calendar/CalendarManager.h"
#include "views/CategoriesForm.h"
#include "model/TaskHandler.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStyleHints>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

using namespace ortolan;
using test::click;
using test::clickTab;
using test::dragTask;
using test::sendDrag;
using test::doubleClick;
using test::item;
using test::labelEditor;
using test::press;
using test::type;

namespace {

// Home / Rent 500, Food 200, Total !!sum!!, Box (with Inside), Leaf.
QByteArray sampleItems() {
    return item("Rent 500") + item("Food 200") + item("Total !!sum!!") +
           item("Box", "", "<LIST>" + item("Inside") + "</LIST>") + item("Leaf", "<DESC>Notes</DESC>");
}

struct Driven : test::OpenList {
    explicit Driven(const QByteArray& items = sampleItems()) : OpenList(items) {}
    TaskTreeView* tree() const { return o->Tree; }
    // Longer than the double-click interval the test runs with: a pending rename has opened.
    static void waitPastDoubleClick() { QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() * 3); }
};



QString dayText(Ortolan& o, int year, int month, int day) {
    return o.CalMan->GetDateText(QDateTime(QDate(year, month, day), QTime()));
}

} // namespace

class TestWindowInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // A short interval keeps the waits for a second click short; Qt makes double-clicks
        // out of two presses within it, as it does on the desktop.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(80);
    }

    // ---- clicks and renaming ----

    void shouldOnlySelectWhenClickingAnotherTask() {
        Driven d;
        for (const char* name : {"Leaf", "Total 700", "Rent 500", "Leaf"}) {
            click(d.tree(), d.node(name));
            QCOMPARE(d.o->tree().SelectedItem(), d.node(name));
        }
        d.waitPastDoubleClick();
        QVERIFY(!labelEditor(d.tree()));
        // a key typed after the click goes to the tree, not into a name
        type("x");
        QVERIFY(d.node("Leaf"));
        QCOMPARE(d.task("Total 700")->TaskName, QStringLiteral("Total !!sum!!"));
        QVERIFY(!d.o->fileHasBeenChanged());
    }

    void shouldRenameOnAClickOnTheSelectedTasksLabel_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("onPicture");
        QTest::addColumn<bool>("opens");
        QTest::newRow("click-to-rename on") << "False" << false << true;
        QTest::newRow("on the picture, not the label") << "False" << true << false;
        QTest::newRow("click-to-rename off") << "True" << false << false;
    }
    void shouldRenameOnAClickOnTheSelectedTasksLabel() {
        QFETCH(QString, setting);
        QFETCH(bool, onPicture);
        QFETCH(bool, opens);
        test::Window w;
        writeSetting("disableClickToRename", setting);
        writeSetting("lastFile", w.listFile("home.oxml", test::smallList("Home", sampleItems())));
        Ortolan& o = w.start();
        TreeNode* leaf = nullptr;
        for (int i = 1; i <= o.tree().Count(); ++i)
            if (o.tree().Item(i)->Text() == "Leaf")
                leaf = o.tree().Item(i);
        click(o.Tree, leaf);
        QVERIFY(!labelEditor(o.Tree));
        QTest::mouseClick(o.Tree->viewport(), Qt::LeftButton, {},
                          onPicture ? test::picturePoint(o.Tree, leaf) : test::labelPoint(o.Tree, leaf));
        if (opens)
            QTRY_VERIFY(labelEditor(o.Tree)); // once the double-click interval has passed
        else
            Driven::waitPastDoubleClick();
        QCOMPARE(bool(labelEditor(o.Tree)), opens);
        QVERIFY(!o.fileHasBeenChanged()); // an open editor is no change yet
    }

    void shouldRenameOnDoubleClickOnlyALeaf() {
        Driven d;
        doubleClick(d.tree(), d.node("Leaf"));
        QVERIFY(labelEditor(d.tree()));
        type("Shopping");
        press(Qt::Key_Return);
        QVERIFY(d.node("Shopping"));
        QCOMPARE(d.task("Shopping")->TaskName, QStringLiteral("Shopping"));
        QVERIFY(d.o->fileHasBeenChanged());

        // a task with sub-tasks opens and closes instead, also when it was selected before:
        // the first click of the double-click is no click-to-rename
        TreeNode* box = d.node("Box");
        const bool expanded = box->Expanded();
        click(d.tree(), box);
        doubleClick(d.tree(), box);
        d.waitPastDoubleClick();
        QVERIFY(!labelEditor(d.tree()));
        QCOMPARE(box->Expanded(), !expanded);
        QCOMPARE(d.task("Box")->TaskName, QStringLiteral("Box"));
    }

    void shouldEditAFormulaTaskByItsStoredName() {
        Driven d;
        d.select("Total 700");
        d.o->action("MENU_RENAME")->trigger();
        QVERIFY(labelEditor(d.tree()));
        QCOMPARE(labelEditor(d.tree())->text(), QStringLiteral("Total !!sum!!"));
        press(Qt::Key_Return); // unchanged
        QCOMPARE(d.task("Total 700")->TaskName, QStringLiteral("Total !!sum!!"));
        QVERIFY(!d.o->fileHasBeenChanged());
        d.o->action("MENU_RENAME")->trigger();
        press(Qt::Key_End);
        type(" due");
        press(Qt::Key_Return);
        QCOMPARE(d.task("Total 700 due")->TaskName, QStringLiteral("Total !!sum!! due"));
        QVERIFY(d.o->fileHasBeenChanged());
    }

    void shouldSaveWhatTheOpenEditorShows_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save") << "MENU_Save";
        QTest::newRow("Exit, Yes") << "MENU_Exit";
        QTest::newRow("New, Yes") << "MENU_NEW";
    }
    void shouldSaveWhatTheOpenEditorShows() {
        QFETCH(QString, command);
        Driven d;
        d.select("Leaf");
        d.o->action("MENU_RENAME")->trigger();
        type("Typed");
        Dialogs::setNextAnswer(PromptAnswer::Yes);
        d.o->action(command)->trigger();
        QVERIFY(test::readFile(d.path).contains("<NAME>Typed</NAME>"));
    }

    // ---- looking is not editing ----

    void shouldNotChangeTheListByLooking_data() {
        QTest::addColumn<QString>("look");
        QTest::newRow("clicking tasks") << "tasks";
        QTest::newRow("Today and back") << "Today";
        QTest::newRow("Calendar and back") << "Calendar";
        QTest::newRow("the list and back") << "list";
        QTest::newRow("the category chooser") << "categories";
    }
    void shouldNotChangeTheListByLooking() {
        QFETCH(QString, look);
        Driven d;
        click(d.tree(), d.node("Leaf"));
        if (look == "tasks") {
            click(d.tree(), d.node("Rent 500"));
            click(d.tree(), d.node("Leaf"));
        } else if (look == "Today" || look == "Calendar") {
            clickTab(*d.o, look);
            clickTab(*d.o, "Main");
        } else if (look == "list") {
            QTest::mouseClick(d.o->ViewAsList, Qt::LeftButton);
            QTest::mouseClick(d.o->ViewAsList, Qt::LeftButton);
        } else {
            QTest::mouseClick(d.o->CategoriesButton, Qt::LeftButton);
            d.o->categoriesForm()->close();
        }
        QVERIFY(!d.o->fileHasBeenChanged());
        QCOMPARE(d.task("Leaf")->Description, QStringLiteral("Notes"));
    }

    void shouldKeepTheCalendarsCaptionWhileItIsShown() {
        Driven d;
        clickTab(*d.o, "Calendar");
        QCOMPARE(d.o->StatusLabel->text(), QStringLiteral("Double-Click to Set Date"));
        d.o->action("MENU_NewTask")->trigger(); // a task chosen meanwhile does not take the caption
        press(Qt::Key_Escape);
        QCOMPARE(d.o->StatusLabel->text(), QStringLiteral("Double-Click to Set Date"));
    }

    // ---- every change is a change ----

    void shouldMarkChangesMadeWithoutKeys_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("icon") << "icon";
        QTest::newRow("text dropped into the description") << "drop";
        QTest::newRow("pasted into the description") << "paste";
    }
    void shouldMarkChangesMadeWithoutKeys() {
        QFETCH(QString, change);
        Driven d;
        click(d.tree(), d.node("Leaf"));
        if (change == "icon") {
            QListWidgetItem* picture = d.o->IconSelector->item(5);
            QTest::mouseClick(d.o->IconSelector->viewport(), Qt::LeftButton, {},
                              d.o->IconSelector->visualItemRect(picture).center());
            QCOMPARE(int(d.task("Leaf")->IconIndex), picture->data(Qt::UserRole).toInt());
        } else if (change == "drop") {
            QMimeData text;
            text.setText("dropped");
            QVERIFY(sendDrag(d.o->DescText->viewport(), QPoint(5, 5), &text));
            QVERIFY(d.task("Leaf")->Description.contains("dropped"));
        } else {
            QGuiApplication::clipboard()->setText("pasted");
            d.o->DescText->paste(); // what the box's context menu does
            QVERIFY(d.task("Leaf")->Description.contains("pasted"));
        }
        QVERIFY(d.o->fileHasBeenChanged());
        d.o->action("MENU_Exit")->trigger(); // the question comes, so nothing is lost
        QCOMPARE(test::messageTexts().value(0),
                 QStringLiteral("Would you like to save before exiting? (Press Cancel to cancel exiting.)"));
        QVERIFY(d.o->isVisible());
    }

    void shouldLeaveTheTreeReadyForKeysAfterNewAndOpen() {
        Driven d;
        QCOMPARE(QApplication::focusWidget(), d.tree()); // from the start
        click(d.tree(), d.node("Leaf"));
        QTest::keyClick(d.o, Qt::Key_N, Qt::ControlModifier); // New
        QCOMPARE(d.o->tree().SelectedItem(), d.o->tree().Item(kRootID));
        QCOMPARE(QApplication::focusWidget(), d.tree());
        QTest::keyClick(d.o, Qt::Key_A, Qt::ControlModifier); // Add Sub-task, at once
        QVERIFY(labelEditor(d.tree()));
        type("First");
        press(Qt::Key_Return);
        QCOMPARE(d.children(), QStringLiteral("First"));
    }

    // ---- panel ----

    void shouldShowTheSelectedTaskAfterCommands() {
        Driven d;
        click(d.tree(), d.node("Leaf"));
        QTest::mouseClick(d.o->MarkCompleteButton, Qt::LeftButton);
        QCOMPARE(d.o->StatusLabel->text(), QStringLiteral("Status: COMPLETE"));
        QVERIFY(d.o->MarkAsIncompleteButton->isVisible());
        press(Qt::Key_Delete); // Leaf goes; the first of its siblings is selected and shown
        QCOMPARE(d.o->tree().SelectedItem(), d.node("Rent 500"));
        QCOMPARE(d.o->StatusLabel->text(), QStringLiteral("Status: INCOMPLETE"));
        QVERIFY(d.o->DescText->toPlainText().isEmpty());
        click(d.tree(), d.node("Inside"));
        QTest::mouseClick(d.o->DescText->viewport(), Qt::LeftButton);
        type("inside notes");
        d.o->action("MENU_Cut")->trigger(); // no sibling to select: nothing is, and the panel empties
        QVERIFY(!d.o->tree().SelectedItem());
        QVERIFY(d.o->StatusLabel->text().isEmpty());
        QVERIFY(d.o->DescText->toPlainText().isEmpty());
        QVERIFY(d.o->NameText->text().isEmpty());
    }

    // ---- dragging ----

    void shouldKeepTaskDragsOutOfTextBoxes() {
        Driven d;
        for (QWidget* box : {static_cast<QWidget*>(d.o->DescText->viewport()), static_cast<QWidget*>(d.o->NameText)}) {
            click(d.tree(), d.node("Leaf"));
            QVERIFY(!dragTask(*d.o, d.node("Rent 500"), box, QPoint(5, 5)));
        }
        QCOMPARE(d.task("Leaf")->Description, QStringLiteral("Notes"));
        QCOMPARE(d.task("Rent 500")->Description, QString());
        QVERIFY(!d.o->treeDragActive());
        QVERIFY(!d.o->fileHasBeenChanged());
    }

    void shouldTakeOnlyItsOwnDragUnderWay() {
        Driven d;
        // a drag cancelled with the pointer over the tree leaves nothing behind
        QVERIFY(!dragTask(*d.o, d.node("Leaf"), d.tree()->viewport(), test::labelPoint(d.o->Tree, d.node("Food 200")), false));
        QVERIFY(!d.o->treeDragActive());
        // a task of another window's tree, with a key this list also has
        TaskTree otherTree;
        TaskTreeView other(&otherTree);
        std::unique_ptr<QMimeData> foreign(other.beginTaskDrag(d.node("Leaf")->Key()));
        QVERIFY(!sendDrag(d.tree()->viewport(), test::labelPoint(d.o->Tree, d.node("Rent 500")), foreign.get()));
        // and a drag of this tree once it has ended
        std::unique_ptr<QMimeData> stale(d.tree()->beginTaskDrag(d.node("Leaf")->Key()));
        d.tree()->endTaskDrag();
        QVERIFY(!sendDrag(d.tree()->viewport(), test::labelPoint(d.o->Tree, d.node("Rent 500")), stale.get()));
        QCOMPARE(d.children(), QStringLiteral("Rent 500,Food 200,Total 700,Box,Leaf"));
        QVERIFY(!d.o->fileHasBeenChanged());
    }

    void shouldSayWhyADropOnEmptySpaceMovesNothing() {
        Driven d;
        const QPoint empty(5, d.tree()->viewport()->height() - 3);
        QVERIFY(!d.tree()->indexAt(empty).isValid());
        QVERIFY(dragTask(*d.o, d.node("Leaf"), d.tree()->viewport(), empty));
        QCOMPARE(d.o->statusText(), QStringLiteral("You cannot move an item past the top task level."));
        QCOMPARE(d.children(), QStringLiteral("Rent 500,Food 200,Total 700,Box,Leaf"));
    }

    // ---- nothing lost ----

    void shouldStopWhenTheSaveAskedForDoesNotHappen_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("saveFails"); // else the save dialog is cancelled
        QTest::newRow("Exit, dialog cancelled") << "MENU_Exit" << false;
        QTest::newRow("Exit, save fails") << "MENU_Exit" << true;
        QTest::newRow("New, dialog cancelled") << "MENU_NEW" << false;
        QTest::newRow("Open, save fails") << "MENU_OPEN" << true;
    }
    void shouldStopWhenTheSaveAskedForDoesNotHappen() {
        QFETCH(QString, command);
        QFETCH(bool, saveFails);
        Driven d;
        if (saveFails)
            QVERIFY(QFile::remove(d.path) && QDir().mkdir(d.path)); // a folder where the file was
        else
            d.o->action("MENU_NEW")->trigger(); // an unnamed list: Save asks for a name
        click(d.tree(), d.o->tree().Item(kRootID));
        d.o->action("MENU_NewTask")->trigger();
        type("Unsaved");
        press(Qt::Key_Return);
        const QString name = d.o->currentFileName();
        Dialogs::setNextAnswer(PromptAnswer::Yes);
        Dialogs::setNextFileName(std::nullopt);
        d.o->action(command)->trigger();
        QVERIFY(d.o->isVisible());
        QVERIFY(d.node("Unsaved"));
        QVERIFY(d.o->fileHasBeenChanged());
        QCOMPARE(d.o->currentFileName(), name);
        QCOMPARE(Dialogs::fileRequests().size(), saveFails ? 0 : 1); // Open never got to its dialog
    }

    void shouldOpenADamagedFileWithoutItsName_data() {
        // clang-format off
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("unread");
        const QByteArray whole = test::smallList("Home", item("One") + item("Two") + item("Three"));
        QTest::newRow("cut off") << whole.left(whole.indexOf("Two") + 10) << "One" << 1;
        // the stray tag takes the first item's closing tag: nothing after it can be read
        QTest::newRow("tag text in a description") << test::smallList("Home", item("One", "<DESC>see <ITEM> below</DESC>") + item("Two")) << "" << 3;
        // clang-format on
    }
    void shouldOpenADamagedFileWithoutItsName() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(int, unread);
        Driven d;
        const QString damaged = d.w.listFile("damaged.oxml", bytes);
        Dialogs::setNextFileName(damaged);
        d.o->action("MENU_OPEN")->trigger();
        QVERIFY(test::messageTexts().value(0).startsWith(QString::number(unread) + " task(s) could not be read"));
        QCOMPARE(d.children(), shown);
        QVERIFY(d.o->currentFileName().isEmpty());
        Dialogs::setNextFileName(std::nullopt);
        d.o->action("MENU_Save")->trigger(); // asks for a name; the damaged file stays
        QCOMPARE(Dialogs::fileRequests().size(), 2);
        QCOMPARE(test::readFile(damaged), bytes);
        // and the copy made before it was opened is kept
        QStringList copies;
        for (const QString& name : QDir(backupFolder()).entryList(QDir::Files))
            if (test::readFile(backupFolder() + "/" + name) == bytes)
                copies << name;
        QCOMPARE(copies.size(), 1);
    }

    void shouldReadUtf16AndRefuseOtherFiles() {
        Driven d;
        const QString text = QString::fromLatin1(test::smallList("Home", item("Caf\xe9")));
        QByteArray utf16("\xFF\xFE");
        utf16 += QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        Dialogs::setNextFileName(d.w.listFile("utf16.oxml", utf16));
        d.o->action("MENU_OPEN")->trigger();
        QCOMPARE(d.children(), QString::fromLatin1("Caf\xe9"));
        QVERIFY(!d.o->currentFileName().isEmpty());

        const QString other = d.w.listFile("photo.oxml", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
        Dialogs::setNextFileName(other);
        Dialogs::setNextAnswer(PromptAnswer::No); // stay: a new list
        d.o->action("MENU_OPEN")->trigger();
        QCOMPARE(test::messageTexts().value(0), QStringLiteral("Error loading to do list file. Would you like to exit?"));
        QVERIFY(d.o->currentFileName().isEmpty());
        QCOMPARE(test::readFile(other).size(), 16);
    }

    void shouldMakeACommandLinePathAbsolute() {
        test::Window w;
        w.listFile("here.oxml", test::smallList("Here", item("Only")));
        const QString before = QDir::currentPath();
        QDir::setCurrent(w.home.path());
        Ortolan& o = w.start({"here.oxml"});
        QDir::setCurrent(before); // the program goes on from elsewhere
        const QString absolute = w.home.path() + "/here.oxml";
        QCOMPARE(o.currentFileName(), absolute);
        QCOMPARE(readSetting("lastFile"), absolute);
        o.action("MENU_Save")->trigger();
        QVERIFY(!QFile::exists(before + "/here.oxml"));
    }

    // ---- the list view ----

    void shouldShowTheListInFrontOfAnyViewAndGoBack() {
        Driven d;
        clickTab(*d.o, "Calendar");
        QTest::mouseClick(d.o->ViewAsList, Qt::LeftButton);
        QVERIFY(d.o->ListView->isVisible());
        QVERIFY(!d.o->CalendarControls->isVisible());
        QVERIFY(!d.o->TabStrip->isEnabled() && d.o->DescText->isReadOnly()); // no tab, no typing meanwhile
        QTest::mouseClick(d.o->ViewAsList, Qt::LeftButton);
        QVERIFY(d.o->CalendarControls->isVisible());
        QVERIFY(!d.o->ListView->isVisible());
        QVERIFY(d.o->TabStrip->isEnabled() && !d.o->DescText->isReadOnly());
        clickTab(*d.o, "Main");
        QTest::mouseClick(d.o->ViewAsList, Qt::LeftButton);
        d.o->action("MENU_NEW")->trigger(); // the list showed the list that is gone
        QVERIFY(!d.o->listShown());
        QVERIFY(d.o->Tree->isVisible());
        QVERIFY(d.o->TabStrip->isEnabled());
    }

    void shouldSelectTheTaskOfAClickedListItem() {
        Driven d;
        QTest::mouseClick(d.o->ViewAsList, Qt::LeftButton);
        QListWidget* list = d.o->ListView;
        QListWidgetItem* leaf = list->findItems("Home: Leaf", Qt::MatchExactly).value(0);
        QVERIFY(leaf);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(leaf).center());
        QCOMPARE(d.o->tree().SelectedItem(), d.node("Leaf"));
        QCOMPARE(d.o->DescText->toPlainText(), QStringLiteral("Notes"));
        QTest::mouseClick(d.o->MarkCompleteButton, Qt::LeftButton);
        QCOMPARE(d.task("Leaf")->Status, kStatusComplete);
    }

    // ---- the calendar follows the tasks ----

    void shouldKeepTheCalendarToTheTasks() {
        Driven d(item("Dentist", "<DATEDUE>12/20/2026</DATEDUE>") + item("Party", "<DATEDUE>12/24/2026</DATEDUE>") +
                 item("Other"));
        QVERIFY(dayText(*d.o, 2026, 12, 20).contains("Dentist"));
        click(d.tree(), d.node("Dentist"));
        press(Qt::Key_Delete);
        QVERIFY(!dayText(*d.o, 2026, 12, 20).contains("Dentist"));
        click(d.tree(), d.node("Party"));
        d.o->action("MENU_RENAME")->trigger();
        type("Feast");
        press(Qt::Key_Return);
        QVERIFY(dayText(*d.o, 2026, 12, 24).contains("Feast"));
        QVERIFY(!dayText(*d.o, 2026, 12, 24).contains("Party"));
        d.o->action("MENU_Cut")->trigger();
        QVERIFY(!dayText(*d.o, 2026, 12, 24).contains("Feast"));
        click(d.tree(), d.node("Other"));
        d.o->action("MENU_Paste")->trigger();
        QVERIFY(dayText(*d.o, 2026, 12, 24).contains("Feast"));
    }

    void shouldKeepTheFontSizesAndBoundATypedOne() {
        Driven d;
        clickTab(*d.o, "Calendar");
        QComboBox* sizes = d.o->CalendarFontSize;
        sizes->lineEdit()->selectAll();
        QTest::keyClicks(sizes->lineEdit(), "999999999");
        QTest::keyClick(sizes->lineEdit(), Qt::Key_Return);
        QCOMPARE(sizes->count(), 7);
        QVERIFY(d.o->CalMan->grid->dayFontSize() <= 28);
        sizes->lineEdit()->selectAll();
        QTest::keyClicks(sizes->lineEdit(), "1");
        QVERIFY(d.o->CalMan->grid->dayFontSize() >= 6);
    }
};

QTEST_MAIN(TestWindowInput)
#include "test_window_input.moc"
