// Undo and redo in the window, as the user does them: the edits by mouse and keys, then
// Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z, or Edit > Undo and Redo.

#include "calendar/CalendarGrid.h"
#include "calendar/CalendarManager.h"
#include "views/CategoriesForm.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QStyleHints>
#include <QTextEdit>

using namespace ortolan;
using test::item;
using test::press;
using test::type;

namespace {

// Home / Rent 500, Food 200, Total !!sum!!, Call (today, due 12/5/2026), Done (completed).
struct Undoing : test::OpenList {
    Undoing()
        : OpenList(item("Rent 500") + item("Food 200") + item("Total !!sum!!") +
                   item("Call", "<CATEGORIES>Today</CATEGORIES><DATEDUE>12/5/2026</DATEDUE>") +
                   item("Done", "<STATUS>COMPLETE</STATUS>")) {}
    QByteArray file() const { return o->xml().fileContents(); }
    // The calendar's lines on the 5th and the 9th of December.
    QString days() const {
        const auto day = [this](int d) { return o->CalMan->GetDateText(QDateTime(QDate(2026, 12, d), QTime())); };
        return day(5) + '|' + day(9);
    }
    // The keys go to the tree, as after a click on it.
    void backToTree() const {
        o->activateWindow();
        o->Tree->setFocus();
    }
};

using Edit = std::function<void(Undoing&)>;

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestWindowUndo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QGuiApplication::styleHints()->setMouseDoubleClickInterval(80); }

    void shouldUndoAndRedoEachEditFromTheKeys_data() {
        QTest::addColumn<QString>("task"); // shown text of the task the edit concerns, before it
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("caption");
        QTest::newRow("rename") << "Rent 500" << Edit([](Undoing& u) {
            QTest::keyClick(u.o->Tree, Qt::Key_R, Qt::ControlModifier);
            test::labelEditor(u.o->Tree)->selectAll();
            type("Rent 650");
            press(Qt::Key_Return);
        }) << "Rename";
        QTest::newRow("rename a task with a due date") << "Call" << Edit([](Undoing& u) {
            QTest::keyClick(u.o->Tree, Qt::Key_R, Qt::ControlModifier);
            type(" Anna");
            press(Qt::Key_Return);
        }) << "Rename";
        QTest::newRow("sum formula") << "Food 200" << Edit([](Undoing& u) {
            u.o->action("MENU_SUM_SECTION")->trigger();
        }) << "Sum Formula";
        QTest::newRow("average formula") << "Food 200" << Edit([](Undoing& u) {
            u.o->action("MENU_AVG_Section")->trigger();
        }) << "Average Formula";
        QTest::newRow("new task") << "Home" << Edit([](Undoing& u) {
            QTest::keyClick(u.o->Tree, Qt::Key_T, Qt::ControlModifier);
            press(Qt::Key_Escape);
        }) << "New Task";
        QTest::newRow("description typed") << "Call" << Edit([](Undoing& u) {
            QTest::mouseClick(u.o->DescText->viewport(), Qt::LeftButton);
            type("ring twice");
            u.backToTree();
        }) << "Typing";
        QTest::newRow("picture") << "Call" << Edit([](Undoing& u) {
            QListWidget* icons = u.o->IconSelector;
            QTest::mouseClick(icons->viewport(), Qt::LeftButton, {}, icons->visualItemRect(icons->item(4)).center());
            u.backToTree();
        }) << "Change Icon";
        QTest::newRow("completed") << "Call" << Edit([](Undoing& u) {
            QTest::mouseClick(u.o->MarkCompleteButton, Qt::LeftButton);
            u.backToTree();
        }) << "Mark as Completed";
        QTest::newRow("incomplete") << "Done" << Edit([](Undoing& u) {
            QTest::keyClick(u.o->Tree, Qt::Key_I, Qt::ControlModifier);
        }) << "Mark as Incomplete";
        QTest::newRow("category") << "Done" << Edit([](Undoing& u) {
            QTest::mouseClick(u.o->CategoriesButton, Qt::LeftButton);
            CategoriesForm* f = u.o->categoriesForm();
            f->CategoriesList->setCurrentRow(1); // "Today"
            QTest::mouseClick(f->OkCatBut, Qt::LeftButton);
            u.backToTree();
        }) << "Category";
        QTest::newRow("due date assigned") << "Call" << Edit([](Undoing& u) {
            test::clickTab(*u.o, "Calendar");
            CalendarGrid* grid = u.o->CalMan->grid;
            QTest::mouseDClick(grid, Qt::LeftButton, {}, grid->dayRect(9).center());
            test::clickTab(*u.o, "Main");
            u.backToTree();
        }) << "Assign Calendar Date";
        QTest::newRow("due date removed") << "Call" << Edit([](Undoing& u) {
            u.o->action("MENU_RemoveCalDate")->trigger();
        }) << "Remove Calendar Date";
        QTest::newRow("sub-task added") << "Call" << Edit([](Undoing& u) {
            QTest::keyClick(u.o->Tree, Qt::Key_A, Qt::ControlModifier);
            type("Ask about Friday");
            press(Qt::Key_Return);
            u.o->document().history().undo(); // the name: the adding stays
        }) << "Add Sub-task";
        QTest::newRow("deleted") << "Done" << Edit([](Undoing&) { press(Qt::Key_Delete); }) << "Delete";
        QTest::newRow("cut, with its due date") << "Call" << Edit([](Undoing& u) {
            u.o->action("MENU_Cut")->trigger();
        }) << "Cut";
        QTest::newRow("pasted") << "Done" << Edit([](Undoing& u) {
            QGuiApplication::clipboard()->setText(QString::fromLatin1(
                test::smallList("x", item("Bought", "<DATEDUE>12/9/2026</DATEDUE>", "<LIST>" + item("Milk") + "</LIST>"))));
            u.o->action("MENU_Paste")->trigger();
        }) << "Paste";
        QTest::newRow("moved up") << "Food 200" << Edit([](Undoing& u) {
            QTest::keyClick(u.o->Tree, Qt::Key_U, Qt::ControlModifier);
        }) << "Move Up";
        QTest::newRow("moved down") << "Rent 500" << Edit([](Undoing& u) {
            QTest::keyClick(u.o->Tree, Qt::Key_D, Qt::ControlModifier);
        }) << "Move Down";
        QTest::newRow("dropped on another task") << "Done" << Edit([](Undoing& u) {
            QVERIFY(test::dragTaskOnto(*u.o, u.node("Done"), u.node("Call")));
        }) << "Move Task";
    }
    void shouldUndoAndRedoEachEditFromTheKeys() {
        QFETCH(QString, task);
        QFETCH(Edit, edit);
        QFETCH(QString, caption);
        // given the list as opened, the task selected, nothing to undo
        Undoing u;
        QAction* undo = u.o->action("MENU_Undo");
        QAction* redo = u.o->action("MENU_Redo");
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        const QString key = u.node(task)->Key();
        u.select(task);
        const QByteArray before = u.file();
        const QString dayBefore = u.days();
        // when the user makes the edit
        edit(u);
        const QByteArray after = u.file();
        const QString dayAfter = u.days();
        QVERIFY(after != before);
        QVERIFY(u.o->fileHasBeenChanged());
        // then Edit > Undo names it
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), "Undo " + caption);
        // when another task is selected and Ctrl+Z pressed
        u.select("Total 700");
        QTest::keyClick(u.o->Tree, Qt::Key_Z, Qt::ControlModifier);
        // then the list is as it was, byte for byte, with its calendar lines, and unchanged
        QCOMPARE(u.file(), before);
        QCOMPARE(u.days(), dayBefore);
        QVERIFY(!u.o->fileHasBeenChanged());
        // and the task concerned is selected and shown in the panel
        QCOMPARE(u.o->tree().SelectedItem()->Key(), key);
        QCOMPARE(u.o->DescText->toPlainText(), u.o->taskH().getTask(key)->Description);
        QCOMPARE(redo->text(), "Redo " + caption);
        // when it is redone with Ctrl+Y, undone from the menu and redone with Ctrl+Shift+Z
        QTest::keyClick(u.o->Tree, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(u.file(), after);
        QCOMPARE(u.days(), dayAfter);
        undo->trigger();
        QCOMPARE(u.file(), before);
        QTest::keyClick(u.o->Tree, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        // then it is done again, identically, and the list changed
        QCOMPARE(u.file(), after);
        QCOMPARE(u.days(), dayAfter);
        QVERIFY(u.o->fileHasBeenChanged());
    }

    void shouldUndoAnImportAsOneStepThatChangesNothing() {
        // given a calendar file with two to-dos
        Undoing u;
        writeSetting("outlookSource", u.w.listFile("cal.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\n"
                                                              "SUMMARY:One\r\nEND:VTODO\r\nBEGIN:VTODO\r\n"
                                                              "SUMMARY:Two\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"));
        const int before = u.o->tree().Count();
        // when its tasks are imported, then undone and redone
        u.o->action("MENU_OutlookTasks")->trigger();
        QCOMPARE(u.o->tree().Count(), before + 3);
        QCOMPARE(u.o->action("MENU_Undo")->text(), QStringLiteral("Undo Import Tasks"));
        QTest::keyClick(u.o->Tree, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(u.o->tree().Count(), before);
        QTest::keyClick(u.o->Tree, Qt::Key_Y, Qt::ControlModifier);
        // then they come and go in one step, and the list is never changed by them
        QCOMPARE(u.o->tree().Count(), before + 3);
        QVERIFY(u.node("Two"));
        QVERIFY(!u.o->fileHasBeenChanged());
    }

    void shouldLeaveCtrlZToTheTextBoxWithTheFocus() {
        // given a rename, then typing in the description, the box keeping the focus
        Undoing u;
        u.select("Call");
        QTest::keyClick(u.o->Tree, Qt::Key_R, Qt::ControlModifier);
        type("Call Anna");
        press(Qt::Key_Return);
        QTest::mouseClick(u.o->DescText->viewport(), Qt::LeftButton);
        type("hello");
        // when Ctrl+Z is pressed in the box
        press(Qt::Key_Z, Qt::ControlModifier);
        // then the box takes back its own typing, and the rename stays
        QVERIFY(u.o->DescText->toPlainText().isEmpty());
        QVERIFY(u.node("Call Anna"));
    }

    void shouldForgetTheHistoryOnNewAndOpenButKeepItOnSave() {
        Undoing u;
        u.select("Done");
        QTest::keyClick(u.o->Tree, Qt::Key_I, Qt::ControlModifier);
        // Save keeps the history, the saved step unchanged
        QTest::keyClick(u.o, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(u.o->action("MENU_Undo")->isEnabled());
        QVERIFY(!u.o->fileHasBeenChanged());
        QTest::keyClick(u.o->Tree, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(u.o->fileHasBeenChanged()); // away from the saved step
        QTest::keyClick(u.o->Tree, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!u.o->fileHasBeenChanged());
        // New forgets it
        QTest::keyClick(u.o->Tree, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(!u.o->action("MENU_Undo")->isEnabled());
        QVERIFY(!u.o->action("MENU_Redo")->isEnabled());
        QCOMPARE(u.o->action("MENU_Undo")->text(), QStringLiteral("Undo"));
    }
};

QTEST_MAIN(TestWindowUndo)
#include "test_window_undo.moc"
