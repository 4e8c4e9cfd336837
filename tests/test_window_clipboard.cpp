#include "editing/TaskFragment.h"
#include "model/TaskHandler.h"
#include "views/Colouring.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace ortolan;

namespace {

const QString kTopRefused = QStringLiteral("Cannot delete: This is the top of the list.");
const QString kHasSubTasks = QStringLiteral("You can only delete tasks with no sub-tasks attached to them.");

// Home / Trip (Flights, Hotel (Deposit 120, Fee 30, Costs !!sum!!)), Budget (Rent 500, Food 200,
// Total !!sum!!), B, D
QByteArray tripAndBudget() {
    using test::item;
    const QByteArray hotel = item("Hotel", "<CATEGORIES>Trips,Today</CATEGORIES>",
                                  "<LIST>" + item("Deposit 120") + item("Fee 30") + item("Costs !!sum!!") + "</LIST>");
    const QByteArray trip =
        item("Trip",
             "<DESC>Pack light\r\n&lt;/DESC> and the passport</DESC><CATEGORIES>Work</CATEGORIES>"
             "<ICONINDEX>5</ICONINDEX><STATUS>Waiting &amp; seeing</STATUS><DATEDUE>12/5/2026 3:07:09 PM</DATEDUE>",
             "<LIST>" + item("Flights", "<STATUS>COMPLETE</STATUS><DATEDUE>1/2/2027</DATEDUE>") + hotel + "</LIST>");
    const QByteArray budget =
        item("Budget", "", "<LIST>" + item("Rent 500") + item("Food 200") + item("Total !!sum!!") + "</LIST>");
    return trip + budget + item("B") + item("D");
}

// A window on a list of its own, home.oxml, unchanged to begin with.
struct Listed : test::OpenList {
    explicit Listed(const QByteArray& items = tripAndBudget()) : OpenList(items) { o->setFileHasBeenChanged(false); }
    using OpenList::children;
    QString children() const { return OpenList::children(QStringLiteral("Home")); }
    void run(const char* command) const { o->action(QLatin1String(command))->trigger(); }
};

// Every field of the node's task and of those below it, one line each, indented by depth.
QStringList subtree(const TaskHandler& th, const TreeNode* top) {
    QStringList lines;
    std::vector<std::pair<const TreeNode*, int>> stack{{top, 0}};
    while (!stack.empty()) {
        const auto [n, depth] = stack.back();
        stack.pop_back();
        const Task* t = th.taskOf(n);
        lines << QString(depth, '.') + QStringList{t->TaskName,
                                                   t->Description,
                                                   t->CategoryString,
                                                   QString::number(t->IconIndex),
                                                   t->Status,
                                                   formatDueDate(t->DateDue),
                                                   QString::number(n->Image())}
                                           .join('|');
        for (int row = n->Children() - 1; row >= 0; --row)
            stack.push_back({n->childAt(row), depth + 1});
    }
    return lines;
}

// The keys of the node and of those below it, in the order a file lists them.
QStringList keysBelow(const TreeNode* top) {
    QStringList keys;
    std::vector<const TreeNode*> stack{top};
    while (!stack.empty()) {
        const TreeNode* n = stack.back();
        stack.pop_back();
        keys << n->Key();
        for (int row = n->Children() - 1; row >= 0; --row)
            stack.push_back(n->childAt(row));
    }
    return keys;
}

QClipboard* clipboard() {
    return QGuiApplication::clipboard();
}

} // namespace

class TestWindowClipboard : public QObject {
    Q_OBJECT
private slots:
    // ---- deleting ----

    void shouldSelectTheFirstSiblingAfterADeletion_data() {
        // clang-format off
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<QString>("left");
        QTest::newRow("the third") << "D" << "A,B";
        QTest::newRow("the middle one") << "B" << "A,D";
        // clang-format on
    }
    void shouldSelectTheFirstSiblingAfterADeletion() {
        QFETCH(QString, deleted);
        QFETCH(QString, left);
        // given A, B, D
        Listed l(test::item("A") + test::item("B") + test::item("D"));
        const QString key = l.node(deleted)->Key();
        l.select(deleted);
        // when the selected task is deleted
        test::press(Qt::Key_Delete);
        // then it is gone from tree and registry, and A, the first sibling, is selected
        QCOMPARE(l.children(), left);
        QVERIFY(!l.o->tree().Item(key));
        QVERIFY(!l.o->taskH().getTask(key));
        QCOMPARE(l.o->tree().SelectedItem(), l.node("A"));
        QVERIFY(l.o->fileHasBeenChanged());
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void shouldRefuseToDeleteATaskWithSubTasks() {
        Listed l;
        l.select("Trip");
        const QByteArray before = l.o->xml().fileContents();
        test::press(Qt::Key_Delete);
        QCOMPARE(Dialogs::messages().size(), 1);
        const PromptMessage m = Dialogs::messages().first();
        QCOMPARE(m.text, kHasSubTasks);
        QCOMPARE(m.title, QStringLiteral("Cannot Delete"));
        QCOMPARE(m.icon, PromptIcon::Warning);
        QCOMPARE(m.buttons, PromptButtons::Ok);
        QCOMPARE(l.o->xml().fileContents(), before);
        QCOMPARE(l.o->tree().SelectedItem(), l.node("Trip"));
        QVERIFY(!l.o->fileHasBeenChanged());
    }

    void shouldRefuseToRemoveTheTop_data() {
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<QString>("command");
        QTest::newRow("delete, with tasks") << tripAndBudget() << "MENU_INSERT_Delete";
        QTest::newRow("cut, empty list") << QByteArray() << "MENU_Cut";
    }
    void shouldRefuseToRemoveTheTop() {
        QFETCH(QByteArray, items);
        QFETCH(QString, command);
        // given the top of the list selected and some text on the clipboard
        Listed l(items);
        l.select("Home");
        clipboard()->setText("kept");
        const int count = l.o->tree().Count();
        // when it is deleted or cut
        l.o->action(command)->trigger();
        // then the user is told, with the program's title, and nothing changes
        QCOMPARE(Dialogs::messages().size(), 1);
        const PromptMessage m = Dialogs::messages().first();
        QCOMPARE(m.text, kTopRefused);
        QCOMPARE(m.title, QStringLiteral("Ortolan"));
        QCOMPARE(m.icon, PromptIcon::None);
        QCOMPARE(m.buttons, PromptButtons::Ok);
        QCOMPARE(l.o->tree().Count(), count);
        QVERIFY(l.o->taskH().getTask(kRootID));
        QVERIFY(!l.o->fileHasBeenChanged());
        QCOMPARE(clipboard()->text(), QStringLiteral("kept"));
    }

    // ---- cutting and pasting ----

    void shouldMoveATaskWithEverythingBelowIt() {
        // given Trip with its sub-tasks, every field filled somewhere
        Listed l;
        l.select("Trip");
        const QStringList before = subtree(l.o->taskH(), l.node("Trip"));
        const QStringList oldKeys = keysBelow(l.node("Trip"));
        const int count = l.o->tree().Count();
        // when Trip is cut
        l.run("MENU_Cut");
        // then it is gone from tree and registry with all below it, and the list is changed
        QCOMPARE(l.children(), QStringLiteral("Budget,B,D"));
        QCOMPARE(l.o->tree().Count(), count - 6);
        for (const QString& key : oldKeys)
            QVERIFY2(!l.o->taskH().getTask(key), qPrintable(key));
        QVERIFY(l.o->fileHasBeenChanged());

        // when it is pasted under D
        l.o->setFileHasBeenChanged(false);
        const qint64 next = l.o->taskH().getNewTaskID().mid(1).toLongLong();
        l.select("D");
        l.run("MENU_Paste");
        // then D holds Trip, whose every field and every sub-task are as they were
        QCOMPARE(l.children("D"), QStringLiteral("Trip"));
        TreeNode* trip = l.node("D")->Child();
        QCOMPARE(subtree(l.o->taskH(), trip), before);
        QVERIFY(l.o->fileHasBeenChanged());
        // with fresh identifiers, handed out in order
        const QStringList keys = keysBelow(trip);
        QStringList expected;
        for (qint64 i = 0; i < 6; ++i)
            expected << QStringLiteral("T%1").arg(next + i);
        QCOMPARE(keys, expected);
        for (const QString& key : keys)
            QCOMPARE(l.o->taskH().getTask(key)->ID, key);
        // coloured, with the formula worked out
        QCOMPARE(l.node("Flights")->ForeColor(), kColourGrey);
        QCOMPARE(l.node("Hotel")->ForeColor(), kColourDarkRed);
        QCOMPARE(l.node("Trip")->ForeColor(), kColourBlack);
        QVERIFY(l.node("Costs 150"));
        // the selection stays where the paste went, opened to show it
        QCOMPARE(l.o->tree().SelectedItem(), l.node("D"));
        QVERIFY(l.node("D")->Expanded());
    }

    void shouldRecalculateFormulasOnBothSidesOfAMove() {
        // given Fee 30 under Hotel, counted in "Costs 150"; Budget's total shows 700
        Listed l;
        l.select("Fee 30");
        // when Fee moves to Budget
        l.run("MENU_Cut");
        QCOMPARE(l.children("Hotel"), QStringLiteral("Deposit 120,Costs 120"));
        l.select("Budget");
        l.run("MENU_Paste");
        // then both totals follow
        QCOMPARE(l.children("Budget"), QStringLiteral("Rent 500,Food 200,Total 730,Fee 30"));
    }

    void shouldPasteNothingThatIsNotTasks_data() {
        // clang-format off
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain text") << QByteArray("text/plain") << QByteArray("hello");
        QTest::newRow("empty clipboard") << QByteArray() << QByteArray();
        QTest::newRow("a fragment of a newer format") << kTaskFragmentMimeType.toLatin1() << test::smallList("x", test::item("Future")).replace("1.02", "7.0");
        QTest::newRow("our type, garbage inside") << kTaskFragmentMimeType.toLatin1() << QByteArray("\x01\x02junk");
        // clang-format on
    }
    void shouldPasteNothingThatIsNotTasks() {
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, bytes);
        Listed l;
        clipboard()->clear();
        if (!format.isEmpty()) {
            auto* data = new QMimeData;
            data->setData(QString::fromLatin1(format), bytes);
            clipboard()->setMimeData(data);
        }
        l.select("B");
        const QByteArray before = l.o->xml().fileContents();
        l.run("MENU_Paste");
        QCOMPARE(l.o->xml().fileContents(), before);
        QVERIFY(!l.o->fileHasBeenChanged());
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(Dialogs::unanswered(), 0);
    }

    void shouldPasteAFragmentThatCameAsText() {
        // given a fragment that went through a text editor
        Listed l;
        clipboard()->setText(QString::fromLatin1(
            test::smallList("x", test::item("From text", "", "<LIST>" + test::item("Sub") + "</LIST>"))));
        l.select("B");
        l.run("MENU_Paste");
        QCOMPARE(l.children("B"), QStringLiteral("From text"));
        QCOMPARE(l.children("From text"), QStringLiteral("Sub"));
    }

    void shouldMoveTasksBetweenTwoWindows() {
        // given a second window on a list of its own
        Listed l;
        const QString otherPath = l.w.listFile("other.oxml", test::smallList("Other", test::item("Inbox")));
        Ortolan other(QStringList{otherPath});
        other.setSlowMotionPause(0);
        other.startUp();
        QCOMPARE(other.currentFileName(), otherPath);
        // when Trip is cut in the first and pasted in the second
        l.select("Trip");
        const QStringList before = subtree(l.o->taskH(), l.node("Trip"));
        l.run("MENU_Cut");
        TreeNode* inbox = other.tree().Item(kRootID)->Child();
        test::click(other.Tree, inbox);
        other.action("MENU_Paste")->trigger();
        // then the second holds it whole, and the first no more
        QVERIFY(inbox->Child());
        QCOMPARE(subtree(other.taskH(), inbox->Child()), before);
        QVERIFY(!l.node("Trip"));
        QVERIFY(other.fileHasBeenChanged());
        other.setFileHasBeenChanged(false); // closing asks nothing
    }

};

QTEST_MAIN(TestWindowClipboard)
#include "test_window_clipboard.moc"
