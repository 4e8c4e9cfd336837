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
struct Opened : test::OpenList {
    explicit Opened(const QByteArray& items) : OpenList(items) {}
    TaskTree& tree() const { return o->tree(); }
    TreeNode* root() const { return tree().Item(kRootID); }
    TreeNode* byText(const QString& text) const { return node(text); }
    QString selectedText() const { return tree().SelectedItem() ? tree().SelectedItem()->Text() : QString(); }
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


// Home: A, B (holding b1), D (holding d1, d2).
QByteArray abd() {
    return item("A") + item("B", "", sub(item("b1"))) + item("D", "", sub(item("d1") + item("d2")));
}

} // namespace

class TestWindowMoving : public QObject {
    Q_OBJECT
private slots:
    void shouldMoveTheSelectedTaskAmongItsSiblings_data() {
        // clang-format off
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("changed");
        const QStringList unchanged{"A", "B", "D"};
        QTest::newRow("up from last") << "MENU_MoveUp" << "D" << QStringList{"A", "D", "B"} << "" << true;
        QTest::newRow("up from first") << "MENU_MoveUp" << "A" << unchanged << kPastParent << true;
        QTest::newRow("down from first") << "MENU_MoveDown" << "A" << QStringList{"B", "A", "D"} << "" << true;
        QTest::newRow("down from last") << "MENU_MoveDown" << "D" << unchanged << kNothingBelow << false;
        QTest::newRow("button up") << "Command3" << "D" << QStringList{"A", "D", "B"} << "" << true;
        QTest::newRow("button down") << "Command4" << "A" << QStringList{"B", "A", "D"} << "" << true;
        QTest::newRow("button down from last") << "Command4" << "D" << unchanged << kNothingBelow << false;
        // clang-format on
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
        // when the command runs from its keys or its button
        if (command.startsWith(QLatin1String("MENU_")))
            QTest::keyClick(d.o->Tree, command == "MENU_MoveUp" ? Qt::Key_U : Qt::Key_D, Qt::ControlModifier);
        else
            QTest::mouseClick(d.o->findChild<QPushButton*>(command), Qt::LeftButton);
        // then the siblings stand in the new order, each with its own sub-tasks
        QCOMPARE(texts(d.root()), order);
        QCOMPARE(texts(d.byText("B")), QStringList{"b1"});
        QCOMPARE(texts(d.byText("D")), (QStringList{"d1", "d2"}));
        QCOMPARE(messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(d.o->fileHasBeenChanged(), changed);
        QCOMPARE(d.selectedText(), selected);
        // and the view still shows the task selected
        QCOMPARE(d.o->Tree->model()->nodeFromIndex(d.o->Tree->currentIndex()), d.byText(selected));
        // and after a move, even a refused Move Up, the keys go to the tree again
        if (changed)
            QCOMPARE(QApplication::focusWidget(), d.o->Tree);
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
        d.select("Home");
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

    void shouldBringTasksToTheFrontInTurnUntilTheTaskIsOnePlaceUp_data() {
        // clang-format off
        QTest::addColumn<QStringList>("siblings");
        QTest::addColumn<QString>("moving");
        QTest::addColumn<QStringList>("orders"); // the siblings after each step
        QTest::newRow("fourth of four") << QStringList{"A", "B", "P", "X"} << "X" << QStringList{"X,A,B,P", "B,X,A,P", "A,B,X,P"};
        QTest::newRow("second of three") << QStringList{"P", "X", "D"} << "X" << QStringList{"X,P,D"};
        QTest::newRow("fifth of five") << QStringList{"A", "B", "C", "P", "X"} << "X" << QStringList{"X,A,B,C,P", "C,X,A,B,P", "B,C,X,A,P", "A,B,C,X,P"};
        QTest::newRow("first") << QStringList{"X", "A"} << "X" << QStringList{};
        // clang-format on
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

    // ---- dragging ----

    void shouldDropATaskOnAnother_data() {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("message");
        QTest::newRow("onto another level") << "d2" << "A" << "Home(A(d2),B(b1),D(d1))" << "";
        QTest::newRow("onto itself") << "B" << "B" << "Home(A,B(b1),D(d1,d2))" << "Cannot move item to itself.";
        QTest::newRow("the top task") << "Home" << "A" << "Home(A,B(b1),D(d1,d2))" << "Cannot move root node.";
    }
    void shouldDropATaskOnAnother() {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(QString, shape);
        QFETCH(QString, message);
        Opened d(abd());
        test::dragTaskOnto(*d.o, d.byText(dragged), d.byText(target));
        QCOMPARE(::shape(d.root()), shape);
        QVERIFY(message.isEmpty() ? messageTexts().isEmpty() : messageTexts().value(0).startsWith(message));
        QCOMPARE(d.o->fileHasBeenChanged(), message.isEmpty());
        QCOMPARE(d.selectedText(), target); // the target showed itself selected
        QVERIFY(!d.o->treeDragActive());
    }

};

QTEST_MAIN(TestWindowMoving)
#include "test_window_moving.moc"
