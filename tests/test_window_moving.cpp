#include "file/XMLManager.h"
#include "model/TaskHandler.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTextEdit>

using namespace ortolan;
using test::messageTexts;

namespace {

using test::item;

const QString kPastParent = QStringLiteral("You can't move a task up past its parent task. However, you can "
                                           "drag-and-drop a task to make it a subtask of another task.");
const QString kCannotMoveUp = QStringLiteral("You cannot move this task in this fashion.");
const QString kCannotMoveDown = QStringLiteral("Can't move this item down.");
const QString kNothingBelow = QStringLiteral("Can not move this node down. There is no node below it.");
const QString kPastTopLevel = QStringLiteral("You cannot move an item past the top task level.");

QByteArray sub(const QByteArray& items) {
    return "<LIST>" + items + "</LIST>";
}

// Plain tasks of the given names.
QByteArray tasks(const QStringList& names) {
    QByteArray items;
    for (const QString& name : names)
        items += item(name.toUtf8());
    return items;
}

// A window that started on a list of its own, home.oxml, holding the given items.
struct Opened {
    test::Window w;
    QString path;
    Ortolan* o = nullptr;
    explicit Opened(const QByteArray& items) {
        path = w.listFile("home.oxml", test::smallList("Home", items));
        writeSetting("lastFile", path);
        o = &w.start();
    }
    TaskTree& tree() const { return o->tree(); }
    TreeNode* root() const { return tree().Item(kRootID); }

    TreeNode* byText(const QString& text) const {
        for (int i = 1; i <= tree().Count(); ++i)
            if (tree().Item(i)->Text() == text)
                return tree().Item(i);
        return nullptr;
    }
    void select(const QString& text) const { tree().setSelectedItem(byText(text)); }
    QString selectedText() const { return tree().SelectedItem() ? tree().SelectedItem()->Text() : QString(); }

    // A point of the tree's viewport on the node's row, its ancestors opened so that it shows.
    QPoint pointOf(const QString& text) const {
        TreeNode* node = byText(text);
        for (TreeNode* p = node->Parent(); p; p = p->Parent())
            p->setExpanded(true);
        return o->Tree->visualRect(o->Tree->model()->indexFromNode(node)).center();
    }
    // A point of the viewport below the last row.
    QPoint emptySpace() const {
        const QPoint at(4, o->Tree->viewport()->height() - 3);
        return o->Tree->indexAt(at).isValid() ? QPoint() : at;
    }

    // The dragged task's key, as a drag started with it selected carries it.
    QString startDragOf(const QString& text) const {
        select(text);
        return o->Tree_OLEStartDrag();
    }
};

QStringList texts(const TreeNode* parent) {
    QStringList names;
    for (int row = 0; row < parent->Children(); ++row)
        names << parent->childAt(row)->Text();
    return names;
}

// The whole tree as text, children in brackets: "Home(A,B(b1))".
QString shape(const TreeNode* node) {
    QString s = node->Text();
    if (node->Children() == 0)
        return s;
    QStringList children;
    for (int row = 0; row < node->Children(); ++row)
        children << shape(node->childAt(row));
    return s + QLatin1Char('(') + children.join(QLatin1Char(',')) + QLatin1Char(')');
}


// What the tree's viewport answered to a drag the system brought over it.
struct ViewDrag {
    bool entered = false;                     // the drag is one the tree could take
    bool taken = false;                       // a drop is taken at the point
    Qt::DropAction reported = Qt::MoveAction; // what the drop told the drag's source
};

// Brings a drag carrying text over the viewport to a point, as the system's drag would, and
// drops it there or takes it away again. The system hands the move and the drop only to the
// widget that took the enter.
ViewDrag dragOverTree(Ortolan& o, const QString& text, const QPoint& at, bool drop) {
    QMimeData data;
    data.setText(text);
    QWidget* viewport = o.Tree->viewport();
    ViewDrag result;
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    result.entered = enter.isAccepted();
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    result.taken = result.entered && move.isAccepted();
    if (drop) {
        QDropEvent dropped(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &dropped);
        result.reported = dropped.dropAction();
    } else {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(viewport, &leave);
    }
    return result;
}

// Home: A, B (holding b1), D (holding d1, d2).
QByteArray abd() {
    return item("A") + item("B", "", sub(item("b1"))) + item("D", "", sub(item("d1") + item("d2")));
}

// Home: Costs (Total !!sum!!, 5, 7), Spare (Spare total !!sum!!, 1), Last.
QByteArray sections() {
    return item("Costs", "", sub(tasks({"Total !!sum!!", "5", "7"}))) +
           item("Spare", "", sub(tasks({"Spare total !!sum!!", "1"}))) + item("Last");
}

} // namespace

class TestWindowMoving : public QObject {
    Q_OBJECT
private slots:
    void shouldMoveTheSelectedTaskAmongItsSiblings_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("changed");
        const QStringList unchanged{"A", "B", "D"};
        QTest::newRow("up from last") << "MENU_MoveUp"
                                      << "D" << QStringList{"A", "D", "B"} << "" << true;
        QTest::newRow("up from second") << "MENU_MoveUp"
                                        << "B" << QStringList{"B", "A", "D"} << "" << true;
        QTest::newRow("up from first") << "MENU_MoveUp"
                                       << "A" << unchanged << kPastParent << true;
        QTest::newRow("down from first") << "MENU_MoveDown"
                                         << "A" << QStringList{"B", "A", "D"} << "" << true;
        QTest::newRow("down from second") << "MENU_MoveDown"
                                          << "B" << QStringList{"A", "D", "B"} << "" << true;
        QTest::newRow("down from last") << "MENU_MoveDown"
                                        << "D" << unchanged << kNothingBelow << false;
        QTest::newRow("button up") << "Command3"
                                   << "D" << QStringList{"A", "D", "B"} << "" << true;
        QTest::newRow("button down") << "Command4"
                                     << "A" << QStringList{"B", "A", "D"} << "" << true;
        QTest::newRow("button up from first") << "Command3"
                                              << "A" << unchanged << kPastParent << true;
        QTest::newRow("button down from last") << "Command4"
                                               << "D" << unchanged << kNothingBelow << false;
    }
    void shouldMoveTheSelectedTaskAmongItsSiblings() {
        QFETCH(QString, command);
        QFETCH(QString, selected);
        QFETCH(QStringList, order);
        QFETCH(QString, message);
        QFETCH(bool, changed);
        // given A, B (holding b1), D (holding d1, d2), one of them selected
        Opened d(abd());
        d.select(selected);
        QVERIFY(!d.o->fileHasBeenChanged());
        // when the command runs from the menu or the button
        if (command.startsWith(QLatin1String("MENU_")))
            d.o->action(command)->trigger();
        else
            d.o->findChild<QPushButton*>(command)->click();
        // then the siblings stand in the new order, each with its own sub-tasks
        QCOMPARE(texts(d.root()), order);
        QCOMPARE(texts(d.byText("B")), QStringList{"b1"});
        QCOMPARE(texts(d.byText("D")), (QStringList{"d1", "d2"}));
        QCOMPARE(messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(d.o->fileHasBeenChanged(), changed);
        QCOMPARE(d.selectedText(), selected);
        // and the view still shows the task selected
        QCOMPARE(d.o->Tree->model()->nodeFromIndex(d.o->Tree->currentIndex()), d.byText(selected));
    }

    void shouldShowTheFirstChildsRefusalAsInformation() {
        // given a first child selected
        Opened d(abd());
        d.select("d1");
        // when it is moved up
        d.o->action("MENU_MoveUp")->trigger();
        // then the refusal is a notice with the program's title and an OK button
        QCOMPARE(Dialogs::messages().size(), 1);
        const PromptMessage m = Dialogs::messages().first();
        QCOMPARE(m.text, kPastParent);
        QCOMPARE(m.title, QStringLiteral("Ortolan"));
        QCOMPARE(m.icon, PromptIcon::Information);
        QCOMPARE(m.buttons, PromptButtons::Ok);
        QCOMPARE(texts(d.byText("D")), (QStringList{"d1", "d2"}));
        // yet the document counts as changed
        QVERIFY(d.o->fileHasBeenChanged());
    }

    void shouldGiveTheTreeTheFocusAfterAMove_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("selected");
        QTest::newRow("up") << "MENU_MoveUp"
                            << "B";
        QTest::newRow("down") << "MENU_MoveDown"
                              << "B";
        QTest::newRow("refused up") << "MENU_MoveUp"
                                    << "A";
    }
    void shouldGiveTheTreeTheFocusAfterAMove() {
        QFETCH(QString, command);
        QFETCH(QString, selected);
        // given the focus in the description
        Opened d(abd());
        d.select(selected);
        d.o->DescText->setFocus();
        QCOMPARE(d.o->focusWidget(), d.o->DescText);
        // when a task is moved
        d.o->action(command)->trigger();
        // then the tree has the focus
        QCOMPARE(d.o->focusWidget(), d.o->Tree);
    }

    void shouldNeverMoveTheRoot_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("changed");
        QTest::newRow("up") << "MENU_MoveUp" << kPastParent << true;
        QTest::newRow("down") << "MENU_MoveDown" << kNothingBelow << false;
    }
    void shouldNeverMoveTheRoot() {
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(bool, changed);
        // given the root selected
        Opened d(abd());
        const QString before = shape(d.root());
        d.tree().setSelectedItem(d.root());
        // when it is moved
        d.o->action(command)->trigger();
        // then it is refused and nothing moves; Move Up's refusal still marks the document
        QCOMPARE(messageTexts(), QStringList{message});
        QCOMPARE(shape(d.root()), before);
        QCOMPARE(d.o->tree().TopLevelCount(), 1);
        QCOMPARE(d.o->fileHasBeenChanged(), changed);
        QCOMPARE(d.tree().SelectedItem(), d.root());
    }

    void shouldRefuseToMoveWithoutASelectedTask_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("up") << "MENU_MoveUp" << kCannotMoveUp;
        QTest::newRow("down") << "MENU_MoveDown" << kCannotMoveDown;
    }
    void shouldRefuseToMoveWithoutASelectedTask() {
        QFETCH(QString, command);
        QFETCH(QString, message);
        // given no selected task
        Opened d(abd());
        const QString before = shape(d.root());
        d.tree().setSelectedItem(nullptr);
        // when a move is asked for
        d.o->action(command)->trigger();
        // then it is refused, and the document stays unchanged
        QCOMPARE(messageTexts(), QStringList{message});
        QCOMPARE(shape(d.root()), before);
        QVERIFY(!d.o->fileHasBeenChanged());
    }

    void shouldReportAMoveTheTreeCannotMake_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("message");
        QTest::newRow("up") << "MENU_MoveUp"
                            << "Stray" << kCannotMoveUp;
        QTest::newRow("down") << "MENU_MoveDown"
                              << "Home" << kCannotMoveDown;
    }
    void shouldReportAMoveTheTreeCannotMake() {
        QFETCH(QString, command);
        QFETCH(QString, selected);
        QFETCH(QString, message);
        // given a second top-level node beside the root, which the tree cannot bring to the front
        Opened d(abd());
        d.tree().AddTopLevel("Stray", "Stray", 1);
        d.select(selected);
        // when it would have to move in front of the root
        d.o->action(command)->trigger();
        // then the command says it cannot, and the document stays unchanged
        QCOMPARE(messageTexts(), QStringList{message});
        QCOMPARE(d.tree().TopLevelAt(0), d.root());
        QVERIFY(!d.o->fileHasBeenChanged());
    }

    void shouldBringTasksToTheFrontInTurnUntilTheTaskIsOnePlaceUp_data() {
        QTest::addColumn<QStringList>("siblings");
        QTest::addColumn<QString>("moving");
        QTest::addColumn<QStringList>("orders"); // the siblings after each step
        QTest::newRow("fourth of four") << QStringList{"A", "B", "P", "X"} << "X"
                                        << QStringList{"X,A,B,P", "B,X,A,P", "A,B,X,P"};
        QTest::newRow("second of three") << QStringList{"P", "X", "D"} << "X" << QStringList{"X,P,D"};
        QTest::newRow("third of three") << QStringList{"P", "Q", "X"} << "X" << QStringList{"X,P,Q", "P,X,Q"};
        QTest::newRow("fifth of five") << QStringList{"A", "B", "C", "P", "X"} << "X"
                                       << QStringList{"X,A,B,C,P", "C,X,A,B,P", "B,C,X,A,P", "A,B,C,X,P"};
        QTest::newRow("first") << QStringList{"X", "A"} << "X" << QStringList{};
    }
    void shouldBringTasksToTheFrontInTurnUntilTheTaskIsOnePlaceUp() {
        QFETCH(QStringList, siblings);
        QFETCH(QString, moving);
        QFETCH(QStringList, orders);
        // given the siblings under a task
        Opened d(item("Section", "", sub(tasks(siblings))));
        TreeNode* section = d.byText("Section");
        QStringList seen;
        connect(&d.tree(), &TaskTree::nodeMoved, this, [&] { seen << texts(section).join(QLatin1Char(',')); });
        // when the procedure is called for one of them, as the commands call it
        const int index = d.byText(moving)->Index();
        bool first = true;
        d.o->moveUpNode(index, index, &first);
        // then each step brings one task to the front, the last leaving it one place up
        QCOMPARE(seen, orders);
        QCOMPARE(Dialogs::messages().size(), orders.isEmpty() ? 1 : 0);
    }

    void shouldSwapATaskWithItsNamesakes_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("order"); // the original rows in their new order
        QTest::newRow("third up") << "MENU_MoveUp" << 2 << QList<int>{0, 2, 1};
        QTest::newRow("second up") << "MENU_MoveUp" << 1 << QList<int>{1, 0, 2};
        QTest::newRow("first down") << "MENU_MoveDown" << 0 << QList<int>{1, 0, 2};
    }
    void shouldSwapATaskWithItsNamesakes() {
        QFETCH(QString, command);
        QFETCH(int, row);
        QFETCH(QList<int>, order);
        // given three siblings named alike
        Opened d(tasks({"Milk", "Milk", "Milk"}));
        QList<TreeNode*> before;
        for (int r = 0; r < 3; ++r)
            before << d.root()->childAt(r);
        d.tree().setSelectedItem(before[row]);
        // when one is moved
        d.o->action(command)->trigger();
        // then it swaps places with its neighbour like any other task
        for (int r = 0; r < 3; ++r)
            QCOMPARE(d.root()->childAt(r), before[order[r]]);
        QCOMPARE(d.tree().SelectedItem(), before[row]);
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void shouldKeepTheNewOrderInTheSavedFile() {
        // given a task moved up and one moved down
        Opened d(abd());
        d.select("D");
        d.o->action("MENU_MoveUp")->trigger();
        d.select("d1");
        d.o->action("MENU_MoveDown")->trigger();
        // when the list is saved
        d.o->action("MENU_Save")->trigger();
        QVERIFY(!d.o->fileHasBeenChanged());
        // then reading the file back gives the new order
        TaskTree tree;
        TaskHandler th;
        XMLManager xml(tree);
        QVERIFY(loadTaskList(xml, d.path, tree, th).ok);
        QCOMPARE(shape(tree.Item(kRootID)), QStringLiteral("Home(A,D(d2,d1),B(b1))"));
    }

    // ---- dragging ----

    void shouldStartADragWithTheSelectedTasksKey() {
        // given a selected task
        Opened d(abd());
        d.select("B");
        QVERIFY(!d.o->treeDragActive());
        // when a drag starts
        const QString carried = d.o->Tree_OLEStartDrag();
        // then it carries the task's key and the window knows a drag is on
        QCOMPARE(carried, d.byText("B")->Key());
        QVERIFY(d.o->treeDragActive());
    }

    void shouldStartNoDragWithoutASelectedTask() {
        Opened d(abd());
        d.tree().setSelectedItem(nullptr);
        QCOMPARE(d.o->Tree_OLEStartDrag(), QString());
        QVERIFY(!d.o->treeDragActive());
    }

    void shouldSelectTheTaskUnderThePointerWhileDragging() {
        // given a drag of A started
        Opened d(abd());
        d.startDragOf("A");
        // when the pointer passes over D
        const bool taken = d.o->Tree_OLEDragOver(d.pointOf("D"));
        // then D shows selected as where A would go
        QVERIFY(taken);
        QCOMPARE(d.selectedText(), QStringLiteral("D"));
    }

    void shouldRefuseADragOverWhenNoDragOfTheTreeIsOn() {
        // given no drag started in the tree
        Opened d(abd());
        d.select("A");
        // when something is dragged over D
        const bool taken = d.o->Tree_OLEDragOver(d.pointOf("D"));
        // then it is refused and the selection stays
        QVERIFY(!taken);
        QCOMPARE(d.selectedText(), QStringLiteral("A"));
    }

    void shouldRefuseADragOverEmptySpace() {
        Opened d(abd());
        d.startDragOf("A");
        const QPoint empty = d.emptySpace();
        QVERIFY(!empty.isNull());
        QVERIFY(!d.o->Tree_OLEDragOver(empty));
        QCOMPARE(d.selectedText(), QStringLiteral("A"));
    }

    void shouldDropATaskOnAnother_data() {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("changed");
        const QString unchanged = QStringLiteral("Home(A,B(b1),D(d1,d2))");
        const QString cycle = QStringLiteral("Error, you cannot perform this operation. Details: This will introduce "
                                             "a cycle.\r\nERROR NUMBER:  35614");
        QTest::newRow("onto its own parent") << "d2"
                                             << "D"
                                             << "Home(A,B(b1),D(d2,d1))"
                                             << "" << true;
        QTest::newRow("onto the root") << "D"
                                       << "Home"
                                       << "Home(D(d1,d2),A,B(b1))"
                                       << "" << true;
        QTest::newRow("onto a task at another level") << "d1"
                                                      << "B"
                                                      << "Home(A,B(d1,b1),D(d2))"
                                                      << "" << true;
        QTest::newRow("onto a sibling") << "D"
                                        << "A"
                                        << "Home(A(D(d1,d2)),B(b1))"
                                        << "" << true;
        QTest::newRow("onto its own sub-task") << "D"
                                               << "d2" << unchanged << cycle << false;
        QTest::newRow("onto itself") << "B"
                                     << "B" << unchanged << "Cannot move item to itself." << false;
        QTest::newRow("the root") << "Home"
                                  << "B" << unchanged << "Cannot move root node." << false;
    }
    void shouldDropATaskOnAnother() {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(QString, shape);
        QFETCH(QString, message);
        QFETCH(bool, changed);
        // given a drag of one task started and the pointer resting on another
        Opened d(abd());
        const QString key = d.startDragOf(dragged);
        const QPoint at = d.pointOf(target);
        QVERIFY(d.o->Tree_OLEDragOver(at));
        // when it is dropped there
        d.o->Tree_OLEDragDrop(key, at);
        // then the task and its sub-tasks become the target's first sub-tasks, or nothing moves
        QCOMPARE(::shape(d.root()), shape);
        QCOMPARE(messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(d.o->fileHasBeenChanged(), changed);
        QVERIFY(!d.o->treeDragActive());
        // and the target stays selected
        QCOMPARE(d.selectedText(), target);
    }

    void shouldOnlyShowTheTopLevelNoticeForADropOnEmptySpace() {
        // given a drag of A started
        Opened d(abd());
        const QString before = ::shape(d.root());
        const QString key = d.startDragOf("A");
        const QPoint empty = d.emptySpace();
        QVERIFY(!empty.isNull());
        // when it is dropped below the last task
        d.o->Tree_OLEDragDrop(key, empty);
        // then only the status bar speaks, and nothing moves
        QCOMPARE(d.o->statusText(), kPastTopLevel);
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(::shape(d.root()), before);
        QVERIFY(!d.o->fileHasBeenChanged());
        // and a drag passing over the tree still selects the tasks it passes
        QVERIFY(d.o->treeDragActive());
        QVERIFY(d.o->Tree_OLEDragOver(d.pointOf("B")));
        QCOMPARE(d.selectedText(), QStringLiteral("B"));
    }

    void shouldLeaveTheTreeAloneWhenTheDropNamesNoTask() {
        // given a drag left on from a drop on empty space
        Opened d(abd());
        const QString before = ::shape(d.root());
        d.startDragOf("A");
        d.o->Tree_OLEDragDrop(d.byText("A")->Key(), d.emptySpace());
        // when text that names no task is dropped on a task
        d.o->Tree_OLEDragDrop(QStringLiteral("not a key"), d.pointOf("B"));
        // then nothing moves and nothing is said beyond the earlier notice
        QCOMPARE(::shape(d.root()), before);
        QVERIFY(Dialogs::messages().isEmpty());
        QVERIFY(!d.o->fileHasBeenChanged());
        QVERIFY(!d.o->treeDragActive());
    }

    void shouldRecalculateFormulasAfterADrop() {
        // given two sections summing their tasks
        Opened d(sections());
        QVERIFY(d.byText("Total 12"));
        QVERIFY(d.byText("Spare total 1"));
        // when 7 is dragged into the other section
        const QString key = d.startDragOf("7");
        d.o->Tree_OLEDragDrop(key, d.pointOf("Spare"));
        // then both sums follow
        QCOMPARE(texts(d.byText("Spare")), (QStringList{"7", "Spare total 8", "1"}));
        QCOMPARE(texts(d.byText("Costs")), (QStringList{"Total 5", "5"}));
        QVERIFY(d.o->fileHasBeenChanged());
    }

    // ---- the view's part of a drag ----

    void shouldTakeADropThroughTheView() {
        // given a drag of d1 started in the tree
        Opened d(abd());
        const QString key = d.startDragOf("d1");
        // when the system's drag brings it over B and drops it there
        const ViewDrag drag = dragOverTree(*d.o, key, d.pointOf("B"), true);
        // then the view took it, and d1 is B's first sub-task
        QVERIFY(drag.entered);
        QVERIFY(drag.taken);
        QCOMPARE(::shape(d.root()), QStringLiteral("Home(A,B(d1,b1),D(d2))"));
        QCOMPARE(d.selectedText(), QStringLiteral("B"));
        QVERIFY(d.o->fileHasBeenChanged());
        QVERIFY(!d.o->treeDragActive());
        // and the drag's source is told to remove nothing
        QCOMPARE(drag.reported, Qt::IgnoreAction);
    }

    void shouldShowARefusedDropThroughTheView() {
        // given a drag of D started in the tree
        Opened d(abd());
        const QString key = d.startDragOf("D");
        // when it is dropped on its own sub-task
        const ViewDrag drag = dragOverTree(*d.o, key, d.pointOf("d1"), true);
        // then the window's refusal is shown and nothing moves
        QVERIFY(drag.taken);
        QCOMPARE(Dialogs::messages().size(), 1);
        QVERIFY(Dialogs::messages().first().text.endsWith(QStringLiteral("ERROR NUMBER:  35614")));
        QCOMPARE(::shape(d.root()), QStringLiteral("Home(A,B(b1),D(d1,d2))"));
        QCOMPARE(drag.reported, Qt::IgnoreAction);
    }

    void shouldRefuseThroughTheViewWhatTheWindowRefuses_data() {
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("overEmptySpace");
        QTest::newRow("no drag of the tree") << false << false;
        QTest::newRow("over empty space") << true << true;
    }
    void shouldRefuseThroughTheViewWhatTheWindowRefuses() {
        QFETCH(bool, started);
        QFETCH(bool, overEmptySpace);
        // given A selected, dragged from the tree or not
        Opened d(abd());
        d.select("A");
        const QString key = started ? d.o->Tree_OLEStartDrag() : d.byText("A")->Key();
        const QPoint at = overEmptySpace ? d.emptySpace() : d.pointOf("D");
        QVERIFY(!at.isNull());
        // when a drag of its key comes over the tree
        const ViewDrag drag = dragOverTree(*d.o, key, at, false);
        // then the tree would take such a drag, but not there
        QVERIFY(drag.entered);
        QVERIFY(!drag.taken);
        QCOMPARE(d.selectedText(), QStringLiteral("A"));
    }

    void shouldNotEnterADragCarryingNoText() {
        // given a drag of the tree started
        Opened d(abd());
        d.startDragOf("A");
        // when a drag carrying something other than text comes over the tree
        QMimeData data;
        data.setData(QStringLiteral("application/octet-stream"), "A");
        QDragEnterEvent enter(d.pointOf("D"), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(d.o->Tree->viewport(), &enter);
        // then the tree will not take it, nor show a target for it
        QVERIFY(!enter.isAccepted());
        QCOMPARE(d.selectedText(), QStringLiteral("A"));
    }

    void shouldLetTheRowsUnderThePointerTakeDrops() {
        // the system hands a drop to the widget under the pointer, which is the viewport
        Opened d(abd());
        QVERIFY(d.o->Tree->viewport()->acceptDrops());
    }
};

QTEST_MAIN(TestWindowMoving)
#include "test_window_moving.moc"
