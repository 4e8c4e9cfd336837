#include "model/TaskHandler.h"
#include "settings/Sound.h"
#include "views/Colouring.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QTextEdit>

using namespace ortolan;

namespace {

// Whether the tree's label editor is open.
bool editingLabel(const Ortolan& o) {
    const auto editors = o.Tree->viewport()->findChildren<QLineEdit*>();
    return std::any_of(editors.begin(), editors.end(), [](const QLineEdit* e) { return e->isVisible(); });
}

// A window on a list of its own: Home / A (with A1), B, D.
struct Editing : test::OpenList {
    explicit Editing(const QByteArray& items = test::item("A", "", "<LIST>" + test::item("A1") + "</LIST>") +
                                               test::item("B") + test::item("D"))
        : OpenList(items) {}
    // Types a name into the tree's label editor as the user would finish an edit.
    void finishEdit(TreeNode* n, const QString& text) const {
        o->Tree->model()->setData(o->Tree->model()->indexFromNode(n), text, Qt::EditRole);
    }
};

} // namespace

class TestWindowEditing : public QObject {
    Q_OBJECT
private slots:
    // ---- adding ----

    void shouldAddNewTasksWhereTheCommandsSay_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("topLevel");
        QTest::addColumn<QString>("underA");
        QTest::newRow("root, New Task") << "Home" << QStringList{"MENU_NewTask"} << "A,B,D,New sub-task"
                                        << "A1";
        QTest::newRow("B, New Task goes last") << "B" << QStringList{"MENU_NewTask"} << "A,B,D,New sub-task"
                                               << "A1";
        QTest::newRow("New Task twice") << "A1" << QStringList{"MENU_NewTask", "MENU_NewTask"} << "A,B,D"
                                        << "A1,New sub-task,New sub-task";
        QTest::newRow("A, Add Sub-task") << "A" << QStringList{"MENU_AddSubtask"} << "A,B,D"
                                         << "A1,New sub-task";
    }
    void shouldAddNewTasksWhereTheCommandsSay() {
        QFETCH(QString, selected);
        QFETCH(QStringList, commands);
        QFETCH(QString, topLevel);
        QFETCH(QString, underA);
        Editing e;
        e.select(selected);
        for (const QString& c : commands)
            e.o->action(c)->trigger();
        QCOMPARE(e.children(), topLevel);
        QCOMPARE(e.children(e.node("A")), underA);
        // the new task is selected, unfinished, picture 2, its label open for typing
        TreeNode* added = e.o->tree().SelectedItem();
        QCOMPARE(added->Text(), QStringLiteral("New sub-task"));
        QCOMPARE(added->Image(), 2);
        const Task* t = e.o->taskH().taskOf(added);
        QCOMPARE(t->ID, added->Key());
        QVERIFY(t->ID.startsWith('T'));
        QCOMPARE(t->Status, kStatusIncomplete);
        QVERIFY(!hasDueDate(t->DateDue));
        QVERIFY(e.o->fileHasBeenChanged());
        QVERIFY(editingLabel(*e.o));
    }

    void shouldNestWhenAddingSubTasksTwice() {
        Editing e;
        e.select("B");
        e.o->AddSubtaskButton->click();
        e.o->AddSubtaskButton->click();
        TreeNode* first = e.node("B")->Child();
        QVERIFY(first);
        QCOMPARE(first->Children(), 1);
        QCOMPARE(first->Child()->Text(), QStringLiteral("New sub-task"));
        e.o->tree().setSelectedItem(nullptr);
        const int count = e.o->tree().Count();
        e.o->action("MENU_AddSubtask")->trigger(); // nothing selected: nothing to add under
        QCOMPARE(e.o->tree().Count(), count);
    }

    void shouldAddTasksForOtherCommands() {
        Editing e;
        e.select("Home");
        e.o->setFileHasBeenChanged(false);
        const QString key = e.o->addTask("Imported", "ignored", makeDueDate(QDate(2027, 3, 1)), "INCOMPLETE");
        TreeNode* n = e.o->tree().Item(key);
        QCOMPARE(n->Parent(), e.o->tree().Item(kRootID)); // a top-level task
        QCOMPARE(e.o->taskH().getTask(key)->DateDue, makeDueDate(QDate(2027, 3, 1)));
        QVERIFY(e.o->taskH().getTask(key)->Description.isEmpty()); // the description is not taken
        QVERIFY(!e.o->fileHasBeenChanged());
        const QString child = e.o->addTask("Child", {}, {}, "INCOMPLETE", true, true);
        QCOMPARE(e.o->tree().Item(child)->Parent(), n);
        QVERIFY(e.o->fileHasBeenChanged());
        QVERIFY(!editingLabel(*e.o));
    }

    // ---- renaming ----

    void shouldKeepTheTypedNameAndShowTheFormula() {
        Editing e(test::item("Rent 500") + test::item("Food 200") + test::item("Other"));
        e.select("Other");
        e.o->setFileHasBeenChanged(false);
        e.finishEdit(e.node("Other"), "Total !!sum!!");
        TreeNode* total = e.o->tree().SelectedItem();
        QCOMPARE(total->Text(), QStringLiteral("Total 700"));
        QCOMPARE(e.o->taskH().taskOf(total)->TaskName, QStringLiteral("Total !!sum!!"));
        QCOMPARE(e.o->NameText->text(), QStringLiteral("Total !!sum!!"));
        QVERIFY(e.o->fileHasBeenChanged());
        // a single exclamation mark is no formula
        e.finishEdit(total, "Wow! 5");
        QCOMPARE(total->Text(), QStringLiteral("Wow! 5"));
    }

    void shouldCompareWithTheTextShownBeforeTheEdit() {
        // given two siblings showing "X 7"; the second is renamed into a sum
        Editing e(test::item("Rent 500") + test::item("X 7") + test::item("X 7"));
        TreeNode* second = e.o->tree().Item(kRootID)->childAt(2);
        e.o->tree().setSelectedItem(second);
        e.finishEdit(second, "Sum !!sum!!");
        // then the sibling still showing the old text is left out, as the node itself is
        QCOMPARE(second->Text(), QStringLiteral("Sum 500"));
        // and a later recalculation, comparing with the new text, counts it
        e.o->action("MENU_NewTask")->trigger();
        e.finishEdit(e.o->tree().SelectedItem(), "plain");
        QCOMPARE(second->Text(), QStringLiteral("Sum 507"));
    }

    void shouldChangeNothingWhenAnEditIsAbandoned() {
        Editing e;
        e.select("B");
        e.o->setFileHasBeenChanged(false);
        e.o->tree().StartLabelEdit();
        QVERIFY(editingLabel(*e.o));
        auto* editor = e.o->Tree->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText("Thrown away");
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(e.node("B")->Text(), QStringLiteral("B"));
        QCOMPARE(e.task("B")->TaskName, QStringLiteral("B"));
        QVERIFY(!e.o->fileHasBeenChanged());
    }

    void shouldRenameOnDoubleClickAsTheSettingSays_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("task");
        QTest::addColumn<bool>("renames");
        QTest::newRow("click-to-rename on") << "False"
                                            << "B" << true;
        QTest::newRow("click-to-rename off") << "True"
                                             << "B" << false;
        QTest::newRow("setting unreadable") << ""
                                            << "B" << false;
        QTest::newRow("expanded task") << "False"
                                       << "Home" << false;
    }
    void shouldRenameOnDoubleClickAsTheSettingSays() {
        QFETCH(QString, setting);
        QFETCH(QString, task);
        QFETCH(bool, renames);
        Editing e;
        writeSetting("disableClickToRename", setting);
        e.select(task);
        e.o->setFileHasBeenChanged(false);
        e.o->Tree_DblClick();
        QCOMPARE(editingLabel(*e.o), renames);
        QCOMPARE(e.o->fileHasBeenChanged(), renames); // the rename command marks at once
    }

    void shouldShowTheSelectedTaskInThePanel() {
        Editing e(test::item("Shop", "<DESC>milk\r\neggs</DESC><STATUS>COMPLETE</STATUS>"));
        e.select("Shop");
        e.o->setFileHasBeenChanged(false);
        e.o->Tree_Click();
        QCOMPARE(e.o->statusText(), e.node("Shop")->Key());
        QCOMPARE(e.o->NameText->text(), QStringLiteral("Shop"));
        QCOMPARE(e.o->DescText->toPlainText(), QStringLiteral("milk\neggs"));
        QCOMPARE(e.task("Shop")->Description, QStringLiteral("milk\r\neggs")); // showing it changed nothing
        QCOMPARE(e.o->StatusLabel->text(), QStringLiteral("Status: COMPLETE"));
        QVERIFY(e.o->MarkAsIncompleteButton->isVisible());
        QVERIFY(!e.o->fileHasBeenChanged()); // filling the panel is no edit
    }

    // ---- description, icon, completion ----

    void shouldNeverShowAnotherTasksDescription() {
        // given B described and selected, then D selected by the keyboard or a command
        Editing e(test::item("B", "<DESC>for B</DESC>") + test::item("D"));
        e.select("B");
        e.o->Tree_Click();
        e.o->Tree->setFocus();
        QTest::keyClick(e.o->Tree, Qt::Key_Down);
        QCOMPARE(e.o->tree().SelectedItem(), e.node("D"));
        // then the panel shows D, and typing describes D only
        QCOMPARE(e.o->DescText->toPlainText(), QString());
        QTest::keyClicks(e.o->DescText, "for D");
        QCOMPARE(e.task("D")->Description, QStringLiteral("for D"));
        QCOMPARE(e.task("B")->Description, QStringLiteral("for B"));
    }

    void shouldStoreTheDescriptionAsItIsTyped() {
        Editing e;
        e.select("B");
        e.o->Tree_Click();
        e.o->setFileHasBeenChanged(false);
        e.o->DescText->setFocus();
        QTest::keyClicks(e.o->DescText, "call first");
        QCOMPARE(e.task("B")->Description, QStringLiteral("call first"));
        QVERIFY(e.o->fileHasBeenChanged());
        // selecting another task keeps what was typed, without Save Edits
        e.select("D");
        e.o->Tree_Click();
        QCOMPARE(e.task("B")->Description, QStringLiteral("call first"));
        QVERIFY(e.task("D")->Description.isEmpty());
        // Save Edits stores and says so, without marking the list
        e.o->setFileHasBeenChanged(false);
        e.o->DescText->setPlainText("pasted");
        e.o->Button_Save_Edits->click();
        QCOMPARE(e.task("D")->Description, QStringLiteral("pasted"));
        QCOMPARE(e.o->statusText(), QStringLiteral("Edits recorded."));
        QVERIFY(!e.o->fileHasBeenChanged());
    }

    void shouldChooseIconsForTasksButNotTheTop() {
        Editing e;
        e.select("Home");
        e.o->IconSelector->setCurrentRow(3);
        e.o->IconSelector_Click();
        QCOMPARE(Dialogs::messages().last().text, QStringLiteral("You cannot change the icon for the top item."));
        QCOMPARE(e.node("Home")->Image(), 1);

        e.select("B");
        e.o->setFileHasBeenChanged(false);
        e.o->IconSelector->setCurrentRow(3); // the fourth picture offered: number 5
        e.o->IconSelector_Click();
        QCOMPARE(e.node("B")->Image(), 5);
        QCOMPARE(e.task("B")->IconIndex, 5);
        QVERIFY(!e.o->fileHasBeenChanged()); // an icon change does not mark the list

        e.o->IconSelector->setCurrentItem(nullptr);
        e.o->IconSelector_Click();
        QCOMPARE(e.o->statusText(), QStringLiteral("Error: Please select an item before choosing an image."));
    }

    void shouldMarkTasksCompletedAndIncomplete() {
        Editing e;
        e.select("B");
        e.o->Tree_Click();
        e.o->setFileHasBeenChanged(false);
        e.o->MarkCompleteButton->click();
        QCOMPARE(e.task("B")->Status, kStatusComplete);
        QCOMPARE(e.node("B")->ForeColor(), kColourGrey);
        QVERIFY(e.o->MarkAsIncompleteButton->isVisible());
        QVERIFY(e.o->fileHasBeenChanged());
        QCOMPARE(e.o->StatusLabel->text(), QStringLiteral("Status: INCOMPLETE")); // until the next click
        e.o->Tree_Click();
        QCOMPARE(e.o->StatusLabel->text(), QStringLiteral("Status: COMPLETE"));
        e.o->action("MENU_MarkAsIncomplete")->trigger(); // the menu entry does what its button does
        QCOMPARE(e.task("B")->Status, kStatusIncomplete);
        QCOMPARE(e.node("B")->ForeColor(), kColourBlack);
        QVERIFY(e.o->MarkCompleteButton->isVisible());
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
        QCOMPARE(Dialogs::messages().last().text, QStringLiteral("For reference, you can embed this formula by adding "
                                                                 "in '!!avg!!' into the text of your task name."));
        TreeNode* mean = e.o->tree().SelectedItem();
        QCOMPARE(e.o->taskH().taskOf(mean)->TaskName, QStringLiteral("Mean: !!avg!!"));
        QCOMPARE(mean->Text(), QStringLiteral("Mean: 350")); // the budget line has no digits of its own
        QVERIFY(e.o->fileHasBeenChanged());
    }

    // ---- the tree's sounds ----

    void shouldClickWhenBranchesOpenAndKeepTheSelectedTopOpen() {
        Editing e;
        e.o->sound().setAudioOutputCheck([] { return true; });
        e.o->Tree->expand(e.o->Tree->model()->indexFromNode(e.node("A")));
        QCOMPARE(e.o->sound().playing(), readSetting("treeClickWave"));
        // collapsing the selected top node opens it again
        e.select("Home");
        e.o->Tree->collapse(e.o->Tree->model()->indexFromNode(e.node("Home")));
        QVERIFY(e.node("Home")->Expanded());
        // another selection lets it stay collapsed
        e.select("B");
        e.o->Tree->collapse(e.o->Tree->model()->indexFromNode(e.node("Home")));
        QVERIFY(!e.node("Home")->Expanded());
    }

    // ---- what the edits leave in the file ----

    void shouldSaveEveryKindOfEdit() {
        // given a list edited in every way
        Editing e;
        e.select("B");
        e.o->action("MENU_AddSubtask")->trigger();
        TreeNode* added = e.o->tree().SelectedItem();
        e.finishEdit(added, "Call bank");
        e.o->Tree_Click();
        e.o->DescText->setFocus();
        QTest::keyClicks(e.o->DescText, "before noon");
        e.o->IconSelector->setCurrentRow(5);
        e.o->IconSelector_Click();
        e.o->MarkCompleteButton->click();
        // when it is saved and read back
        e.o->action("MENU_Save")->trigger();
        test::TaskList back;
        QVERIFY(loadTaskList(back.xml, e.o->currentFileName(), back.tree, back.th).ok);
        // then every edit is there
        const TreeNode* b = back.tree.Item("R3");
        QCOMPARE(b->Text(), QStringLiteral("B"));
        const Task* t = back.th.taskOf(b->Child());
        QCOMPARE(t->TaskName, QStringLiteral("Call bank"));
        QCOMPARE(t->Description, QStringLiteral("before noon"));
        QCOMPARE(t->IconIndex, 7);
        QCOMPARE(t->Status, kStatusComplete);
    }
};

QTEST_MAIN(TestWindowEditing)
#include "test_window_editing.moc"
