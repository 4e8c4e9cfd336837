// Adding and editing tasks in the window, driven by the mouse and the keys.

#include "model/TaskHandler.h"
#include "settings/Sound.h"
#include "views/Colouring.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QTextEdit>

using namespace ortolan;
using test::click;
using test::labelEditor;
using test::press;
using test::type;

namespace {

// A window on a list of its own: Home / A (with A1), B, D.
struct Editing : test::OpenList {
    explicit Editing(const QByteArray& items = test::item("A", "", "<LIST>" + test::item("A1") + "</LIST>") +
                                               test::item("B") + test::item("D"))
        : OpenList(items) {}
    // Renames the task as the user does: select it, Ctrl+R, type the name, Enter.
    void rename(const QString& task, const QString& name) const {
        select(task);
        QTest::keyClick(o->Tree, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(labelEditor(o->Tree));
        labelEditor(o->Tree)->selectAll();
        type(name);
        press(Qt::Key_Return);
    }
    void clickPicture(int row) const {
        QListWidget* icons = o->IconSelector;
        QTest::mouseClick(icons->viewport(), Qt::LeftButton, {}, icons->visualItemRect(icons->item(row)).center());
    }
};

} // namespace

class TestWindowEditing : public QObject {
    Q_OBJECT
private slots:
    // ---- adding ----

    void shouldAddNewTasksWhereTheCommandsSay_data() {
        // clang-format off
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QList<Qt::Key>>("keys"); // with Ctrl
        QTest::addColumn<QString>("topLevel");
        QTest::addColumn<QString>("underA");
        QTest::newRow("root, New Task") << "Home" << QList<Qt::Key>{Qt::Key_T} << "A,B,D,New sub-task" << "A1";
        QTest::newRow("B, New Task goes last") << "B" << QList<Qt::Key>{Qt::Key_T} << "A,B,D,New sub-task" << "A1";
        QTest::newRow("A1, New Task twice") << "A1" << QList<Qt::Key>{Qt::Key_T, Qt::Key_T} << "A,B,D" << "A1,New sub-task,New sub-task";
        QTest::newRow("A, Add Sub-task") << "A" << QList<Qt::Key>{Qt::Key_A} << "A,B,D" << "A1,New sub-task";
        // clang-format on
    }
    void shouldAddNewTasksWhereTheCommandsSay() {
        QFETCH(QString, selected);
        QFETCH(QList<Qt::Key>, keys);
        QFETCH(QString, topLevel);
        QFETCH(QString, underA);
        Editing e;
        e.select(selected);
        for (Qt::Key key : keys) {
            press(Qt::Key_Escape); // leaves the name of the task added before as it is
            QTest::keyClick(e.o->Tree, key, Qt::ControlModifier);
        }
        QCOMPARE(e.children(), topLevel);
        QCOMPARE(e.children(e.node("A")), underA);
        // the new task is selected, unfinished, picture 2, its name open for typing
        TreeNode* added = e.o->tree().SelectedItem();
        QCOMPARE(added->Text(), QStringLiteral("New sub-task"));
        QCOMPARE(added->Image(), 2);
        const Task* t = e.o->taskH().taskOf(added);
        QVERIFY(t->ID == added->Key() && t->ID.startsWith('T'));
        QCOMPARE(t->Status, kStatusIncomplete);
        QVERIFY(!hasDueDate(t->DateDue));
        QVERIFY(e.o->fileHasBeenChanged());
        QVERIFY(labelEditor(e.o->Tree));
        type("Typed at once");
        press(Qt::Key_Return);
        QCOMPARE(t->TaskName, QStringLiteral("Typed at once"));
    }

    // ---- renaming ----

    void shouldKeepTheTypedNameAndShowTheFormula() {
        Editing e(test::item("Rent 500") + test::item("Food 200") + test::item("Other"));
        e.rename("Other", "Total !!sum!!");
        TreeNode* total = e.o->tree().SelectedItem();
        QCOMPARE(total->Text(), QStringLiteral("Total 700"));
        QCOMPARE(e.o->taskH().taskOf(total)->TaskName, QStringLiteral("Total !!sum!!"));
        QCOMPARE(e.o->NameText->text(), QStringLiteral("Total !!sum!!"));
        QVERIFY(e.o->fileHasBeenChanged());
        e.rename("Total 700", "Wow! 5"); // a single exclamation mark is no formula
        QCOMPARE(total->Text(), QStringLiteral("Wow! 5"));
    }

    void shouldCompareWithTheTextShownBeforeTheEdit() {
        // given two siblings showing "X 7"; the second is renamed into a sum
        Editing e(test::item("Rent 500") + test::item("X 7") + test::item("Y"));
        e.rename("X 7", "Sum !!sum!!");
        // the node itself still counted as "X 7" while its formula was worked out
        QCOMPARE(e.o->tree().SelectedItem()->Text(), QStringLiteral("Sum 500"));
        e.rename("Y", "X 7");
        QVERIFY(e.node("Sum 507"));
    }

    void shouldChangeNothingWhenAnEditIsAbandoned() {
        Editing e;
        e.select("B");
        QTest::keyClick(e.o->Tree, Qt::Key_R, Qt::ControlModifier);
        type("Thrown away");
        press(Qt::Key_Escape);
        QCOMPARE(e.node("B")->Text(), QStringLiteral("B"));
        QCOMPARE(e.task("B")->TaskName, QStringLiteral("B"));
        QVERIFY(!e.o->fileHasBeenChanged());
    }

    void shouldRenameOnDoubleClickAsTheSettingSays_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("renames");
        QTest::newRow("click-to-rename on") << "False" << true;
        QTest::newRow("click-to-rename off") << "True" << false;
        QTest::newRow("setting unreadable") << "" << false;
    }
    void shouldRenameOnDoubleClickAsTheSettingSays() {
        QFETCH(QString, setting);
        QFETCH(bool, renames);
        Editing e;
        writeSetting("disableClickToRename", setting);
        test::doubleClick(e.o->Tree, e.node("B"));
        QCOMPARE(bool(labelEditor(e.o->Tree)), renames);
        QVERIFY(!e.o->fileHasBeenChanged()); // nothing is changed until a name is typed
    }

    // ---- the panel, description, icon, completion ----

    void shouldShowTheSelectedTaskInThePanel() {
        Editing e(test::item("Shop", "<DESC>milk\r\neggs</DESC><STATUS>COMPLETE</STATUS><ICONINDEX>7</ICONINDEX>") +
                  test::item("Other"));
        e.select("Shop");
        QCOMPARE(e.o->statusText(), e.node("Shop")->Key());
        QCOMPARE(e.o->NameText->text(), QStringLiteral("Shop"));
        QCOMPARE(e.o->DescText->toPlainText(), QStringLiteral("milk\neggs"));
        QCOMPARE(e.task("Shop")->Description, QStringLiteral("milk\r\neggs")); // showing it changed nothing
        QCOMPARE(e.o->StatusLabel->text(), QStringLiteral("Status: COMPLETE"));
        QCOMPARE(e.o->IconSelector->currentItem()->data(Qt::UserRole).toInt(), 7);
        QVERIFY(e.o->MarkAsIncompleteButton->isVisible());
        QVERIFY(!e.o->fileHasBeenChanged());
        // the keyboard moves the selection, and the panel follows
        QTest::keyClick(e.o->Tree, Qt::Key_Down);
        QCOMPARE(e.o->tree().SelectedItem(), e.node("Other"));
        QVERIFY(e.o->DescText->toPlainText().isEmpty());
    }

    void shouldStoreTheDescriptionAsItIsTyped() {
        Editing e(test::item("B", "<DESC>for B</DESC>") + test::item("D"));
        e.select("D");
        QTest::mouseClick(e.o->DescText->viewport(), Qt::LeftButton);
        type("call first");
        QCOMPARE(e.task("D")->Description, QStringLiteral("call first"));
        QVERIFY(e.o->fileHasBeenChanged());
        // selecting another task keeps what was typed, without Save Edits
        e.select("B");
        QCOMPARE(e.task("D")->Description, QStringLiteral("call first"));
        QCOMPARE(e.task("B")->Description, QStringLiteral("for B"));
        // Save Edits stores and says so
        e.o->Button_Save_Edits->click();
        QCOMPARE(e.o->statusText(), QStringLiteral("Edits recorded."));
        QCOMPARE(e.task("B")->Description, QStringLiteral("for B"));
    }

    void shouldChooseIconsForTasksButNotTheTop() {
        Editing e;
        e.select("Home");
        e.clickPicture(3);
        QCOMPARE(Dialogs::messages().last().text, QStringLiteral("You cannot change the icon for the top item."));
        QCOMPARE(e.node("Home")->Image(), 1);
        QVERIFY(!e.o->fileHasBeenChanged());

        e.select("B");
        e.clickPicture(3); // the fourth picture offered: number 5
        QCOMPARE(e.node("B")->Image(), 5);
        QCOMPARE(e.task("B")->IconIndex, 5);
        QVERIFY(e.o->fileHasBeenChanged());

        e.o->IconSelector->setCurrentItem(nullptr);
        e.o->IconSelector_Click();
        QCOMPARE(e.o->statusText(), QStringLiteral("Error: Please select an item before choosing an image."));
    }

    void shouldMarkTasksCompletedAndIncomplete() {
        Editing e;
        e.select("B");
        QTest::mouseClick(e.o->MarkCompleteButton, Qt::LeftButton);
        QCOMPARE(e.task("B")->Status, kStatusComplete);
        QCOMPARE(e.node("B")->ForeColor(), kColourGrey);
        QVERIFY(e.o->MarkAsIncompleteButton->isVisible());
        QVERIFY(e.o->fileHasBeenChanged());
        QCOMPARE(e.o->StatusLabel->text(), QStringLiteral("Status: COMPLETE"));
        QTest::keyClick(e.o->Tree, Qt::Key_I, Qt::ControlModifier); // the menu entry does what its button does
        QCOMPARE(e.task("B")->Status, kStatusIncomplete);
        QCOMPARE(e.node("B")->ForeColor(), kColourBlack);
        QVERIFY(e.o->MarkCompleteButton->isVisible());
        QCOMPARE(e.o->StatusLabel->text(), QStringLiteral("Status: INCOMPLETE"));
    }

    // ---- formulas ----

    void shouldAppendFormulasToTheName() {
        Editing e(test::item("Rent 500") + test::item("Food 200") + test::item("Budget $") + test::item("Mean"));
        e.select("Budget $");
        e.o->action("MENU_SUM_SECTION")->trigger();
        const PromptMessage note = Dialogs::messages().last();
        QCOMPARE(note.title, QStringLiteral("Note"));
        QCOMPARE(note.icon, PromptIcon::Information);
        QCOMPARE(note.text, QStringLiteral("For reference, you can embed this formula by adding in '!!sum!!' into the "
                                           "text of your task name."));
        TreeNode* budget = e.o->tree().SelectedItem();
        QCOMPARE(e.o->taskH().taskOf(budget)->TaskName, QStringLiteral("Budget $!!sum!!"));
        QCOMPARE(budget->Text(), QStringLiteral("Budget $700"));

        e.select("Mean");
        e.o->action("MENU_AVG_Section")->trigger();
        TreeNode* mean = e.o->tree().SelectedItem();
        QCOMPARE(e.o->taskH().taskOf(mean)->TaskName, QStringLiteral("Mean: !!avg!!"));
        QCOMPARE(mean->Text(), QStringLiteral("Mean: 350")); // the budget line has no digits of its own
    }

    // ---- the tree's sounds ----

    void shouldClickWhenBranchesOpenAndKeepTheSelectedTopOpen() {
        Editing e;
        e.o->sound().setAudioOutputCheck([] { return true; });
        e.select("A");
        press(Qt::Key_Right); // opens A
        QVERIFY(e.node("A")->Expanded());
        QCOMPARE(e.o->sound().playing(), readSetting("treeClickWave"));
        // collapsing the selected top node opens it again
        e.select("Home");
        press(Qt::Key_Left);
        QVERIFY(e.node("Home")->Expanded());
        // with another node selected it stays collapsed
        e.select("B");
        e.o->Tree->collapse(e.o->Tree->model()->indexFromNode(e.node("Home")));
        QVERIFY(!e.node("Home")->Expanded());
    }

    // ---- what the edits leave in the file ----

    void shouldSaveEveryKindOfEdit() {
        Editing e;
        e.select("B");
        QTest::keyClick(e.o->Tree, Qt::Key_A, Qt::ControlModifier);
        type("Call bank");
        press(Qt::Key_Return);
        QTest::mouseClick(e.o->DescText->viewport(), Qt::LeftButton);
        type("before noon");
        e.clickPicture(5);
        QTest::mouseClick(e.o->MarkCompleteButton, Qt::LeftButton);
        QTest::keyClick(e.o, Qt::Key_S, Qt::ControlModifier);
        test::TaskList back;
        QVERIFY(loadTaskList(back.xml, e.o->currentFileName(), back.tree, back.th).ok);
        const Task* t = back.th.taskOf(back.tree.Item("R3")->Child());
        QCOMPARE(t->TaskName, QStringLiteral("Call bank"));
        QCOMPARE(t->Description, QStringLiteral("before noon"));
        QCOMPARE(t->IconIndex, 7);
        QCOMPARE(t->Status, kStatusComplete);
        QVERIFY(!e.o->fileHasBeenChanged());
    }
};

QTEST_MAIN(TestWindowEditing)
#include "test_window_editing.moc"
