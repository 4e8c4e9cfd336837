// The document and its history, without a window: each kind of edit done, undone and redone,
// compared with the saved file and with what the tree shows.

#include "document/EditTaskCommand.h"
#include "document/ListEdits.h"
#include "document/StructureCommands.h"
#include "document/TaskDocument.h"
#include "file/XMLManager.h"
#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "TestSupport.h"
#include "views/Colouring.h"
#include "views/Formulas.h"

#include <memory>
#include <QRandomGenerator>
#include <QTest>

using namespace ortolan;

namespace {

// Home / Budget (Rent 500, Food 200, Total !!sum!!), Call (today), Done (completed).
const QByteArray kList = "<XML>\r\n<FORMATVERSION>1.02</FORMATVERSION>\r\n<TITLE>Home</TITLE>\r\n<LIST>\r\n"
                         "<ITEM><NAME>Budget</NAME><DESC>money</DESC><LIST>"
                         "<ITEM><NAME>Rent 500</NAME><DESC></DESC></ITEM>"
                         "<ITEM><NAME>Food 200</NAME><DESC></DESC></ITEM>"
                         "<ITEM><NAME>Total !!sum!!</NAME><DESC></DESC></ITEM></LIST></ITEM>"
                         "<ITEM><NAME>Call</NAME><CATEGORIES>Today</CATEGORIES><DESC></DESC>"
                         "<DATEDUE>12/5/2026</DATEDUE></ITEM>"
                         "<ITEM><NAME>Done</NAME><STATUS>COMPLETE</STATUS><DESC></DESC></ITEM>\r\n</LIST>\r\n</XML>\r\n";

struct Opened {
    TaskDocument doc;
    Opened() {
        doc.renew();
        prepareEmptyList(doc.tree(), doc.taskH());
        const LoadResult r = doc.xml().loadFromBytes(kList, doc.taskH());
        doc.tree().Item(kRootID)->setText(doc.taskH().getTask(kRootID)->TaskName);
        ReCalcAndColour();
        doc.markSaved();
        Q_ASSERT(r.ok);
    }
    void ReCalcAndColour() {
        ReCalcTree(doc.tree(), doc.taskH());
        ColourTree(doc.tree(), doc.taskH());
    }
    QString key(const QString& shown) const {
        for (int i = 1; i <= doc.tree().Count(); ++i)
            if (doc.tree().Item(i)->Text() == shown)
                return doc.tree().Item(i)->Key();
        return {};
    }
    QByteArray file() { return doc.xml().fileContents(); }
    // What the tree shows: each node's key, text, picture, colour and open state, depth first.
    QString shown() const {
        QStringList lines;
        std::vector<std::pair<const TreeNode*, int>> open{{doc.tree().Item(kRootID), 0}};
        while (!open.empty()) {
            const auto [n, depth] = open.back();
            open.pop_back();
            lines << QStringLiteral("%1%2|%3|%4|%5|%6|%7")
                         .arg(QString(depth, '.'), n->Key(), n->Text())
                         .arg(n->Image())
                         .arg(n->ForeColor())
                         .arg(n->Expanded())
                         .arg(n->Bold());
            for (int row = n->Children() - 1; row >= 0; --row)
                open.push_back({n->childAt(row), depth + 1});
        }
        return lines.join('\n');
    }
    // The branch under node as "Text(child,child(...))".
    QString branch(const TreeNode* node) const {
        QStringList children;
        for (const TreeNode* c = node->Child(); c; c = c->Next())
            children << branch(c);
        return node->Text() + (children.isEmpty() ? QString() : '(' + children.join(',') + ')');
    }
    // A task added under parent, and a branch taken out, as the window's commands do.
    void add(const QString& parentKey, const QString& name) {
        ListEdits(doc).insertTasks(parentKey, {{{name, {}, {}, kStatusIncomplete, {}, 0}, -1}}, "New Task");
    }
    void remove(const QString& key) { QVERIFY(ListEdits(doc).cutTask(key).changed); }
    // A task moved to a row of another parent (or of its own), as the moves and drops do.
    bool move(const QString& key, const QString& parentKey, int row) {
        TreeNode* node = doc.node(key);
        auto step = std::make_unique<MoveCommand>(doc, QStringList{node->Parent()->Key(), parentKey}, key,
                                                  QStringLiteral("Move"));
        if (doc.tree().moveTo(node, doc.node(parentKey), row))
            return false;
        ReCalcTree(doc.tree(), doc.taskH());
        step->recordAfter();
        doc.push(step.release());
        return true;
    }
    // The user's edit as the window pushes it.
    void edit(const QString& key, const std::function<void(TaskFields&)>& change, NodeColour colour, int visit = -1) {
        const TaskFields before = TaskFields::of(*doc.task(key));
        TaskFields after = before;
        change(after);
        doc.push(new EditTaskCommand(doc, key, before, after, QStringLiteral("Edit"), doc.node(key)->ForeColor(), colour,
                                     visit));
    }
};

using Edit = std::function<void(Opened&)>;

// Makes the edit, then undoes and redoes it: the file byte for byte and what the tree shows as
// before and after, the changed flag following.
void checkUndoAndRedo(Opened& o, const Edit& edit, const QString& shownAfter = QString()) {
    const QByteArray fileBefore = o.file();
    const QString shownBefore = o.shown();
    edit(o);
    const QByteArray fileAfter = o.file();
    const QString shownAfterEdit = o.shown();
    QVERIFY(fileAfter != fileBefore);
    QVERIFY2(shownAfterEdit.contains(shownAfter), qPrintable(shownAfterEdit));
    QVERIFY(o.doc.fileHasBeenChanged());
    o.doc.history().undo();
    QCOMPARE(o.file(), fileBefore);
    QCOMPARE(o.shown(), shownBefore);
    QVERIFY(!o.doc.fileHasBeenChanged());
    o.doc.history().redo();
    QCOMPARE(o.file(), fileAfter);
    QCOMPARE(o.shown(), shownAfterEdit);
    QVERIFY(o.doc.fileHasBeenChanged());
}

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void shouldUndoAndRedoEachKindOfEditExactly_data() {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("shownAfter"); // a line the tree shows after the edit
        const auto rename = [](const char* from, const char* to) {
            return Edit([=](Opened& o) { o.edit(o.key(from), [=](TaskFields& f) { f.name = to; }, kColourBlack); });
        };
        QTest::newRow("rename") << rename("Rent 500", "Rent 650") << "|Total 850|";
        QTest::newRow("rename into a formula") << rename("Food 200", "Sum !!sum!!") << "|Sum 500|";
        QTest::newRow("rename a formula") << rename("Total 700", "All: !!avg!!") << "|All: 350|";
        QTest::newRow("description") << Edit([](Opened& o) {
            o.edit(o.key("Budget"), [](TaskFields& f) { f.description = "more money\nsoon"; }, kColourBlack);
        }) << "";
        QTest::newRow("picture") << Edit([](Opened& o) {
            o.edit(o.key("Call"), [](TaskFields& f) { f.icon = 7; }, kColourDarkRed);
        }) << "|Call|7|";
        QTest::newRow("completed") << Edit([](Opened& o) {
            o.edit(o.key("Call"), [](TaskFields& f) { f.status = kStatusComplete; }, kColourGrey);
        }) << "|Call|2|8421504";
        QTest::newRow("category") << Edit([](Opened& o) {
            o.edit(o.key("Done"), [](TaskFields& f) { f.categories = "Today"; }, kColourGrey);
        }) << "";
        QTest::newRow("due date set") << Edit([](Opened& o) {
            o.edit(o.key("Done"), [](TaskFields& f) { f.due = makeDueDate(QDate(2027, 1, 2)); }, kColourGrey);
        }) << "";
        QTest::newRow("due date removed") << Edit([](Opened& o) {
            o.edit(o.key("Call"), [](TaskFields& f) { f.due = QDateTime(); }, kColourDarkRed);
        }) << "";
    }
    void shouldUndoAndRedoEachKindOfEditExactly() {
        QFETCH(Edit, edit);
        QFETCH(QString, shownAfter);
        Opened o;
        checkUndoAndRedo(o, edit, shownAfter);
    }

    void shouldUndoAndRedoEachKindOfStructureChangeExactly_data() {
        QTest::addColumn<Edit>("edit");
        QTest::newRow("task added") << Edit([](Opened& o) { o.add(o.key("Budget"), "Heating 80"); });
        QTest::newRow("a branch taken out") << Edit([](Opened& o) { o.remove(o.key("Budget")); });
        QTest::newRow("a middle task taken out") << Edit([](Opened& o) { o.remove(o.key("Food 200")); });
        QTest::newRow("moved up") << Edit([](Opened& o) { o.move(o.key("Done"), kRootID, 0); });
        QTest::newRow("moved into another branch")
            << Edit([](Opened& o) { o.move(o.key("Call"), o.key("Budget"), 1); });
        QTest::newRow("tasks pasted, two at the top") << Edit([](Opened& o) {
            FragmentTasks pasted{{{"Trip", "Pack", "", kStatusIncomplete, makeDueDate(QDate(2026, 12, 9)), 5}, -1},
                                 {{"Fee 30", "", "", kStatusComplete, {}, 0}, 0},
                                 {{"Costs !!sum!!", "", "Today", kStatusIncomplete, {}, 0}, 0},
                                 {{"Second", "", "", kStatusIncomplete, {}, 0}, -1}};
            QCOMPARE(ListEdits(o.doc).insertTasks(o.key("Call"), pasted, "Paste", true, true).size(), 4);
            QVERIFY(o.doc.node(o.key("Call"))->Expanded()); // opened to show them; closed again by undo
        });
        QTest::newRow("a branch moved under a leaf") << Edit([](Opened& o) { o.move(o.key("Budget"), o.key("Done"), 0); });
    }
    void shouldUndoAndRedoEachKindOfStructureChangeExactly() {
        QFETCH(Edit, edit);
        Opened o;
        o.doc.node(o.key("Budget"))->setExpanded(true);
        checkUndoAndRedo(o, edit);
    }

    void shouldApplyTheListsEditingRules_data() {
        // The list: Home / Budget (Rent 500, Food 200, Total 700), Call, Done.
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message"); // the start of what the user is told; empty: nothing
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("shape"); // the top task's branch afterwards
        const QString unchanged = "Home(Budget(Rent 500,Food 200,Total 700),Call,Done)";
        QTest::newRow("delete a leaf") << "delete" << "Call" << "" << "" << true << "Home(Budget(Rent 500,Food 200,Total 700),Done)";
        QTest::newRow("delete a task with sub-tasks") << "delete" << "Budget" << "" << "You can only delete" << false << unchanged;
        QTest::newRow("delete the top") << "delete" << "Home" << "" << "Cannot delete: This is the top" << false << unchanged;
        QTest::newRow("delete: the sum follows") << "delete" << "Food 200" << "" << "" << true << "Home(Budget(Rent 500,Total 500),Call,Done)";
        QTest::newRow("cut a branch") << "cut" << "Budget" << "" << "" << true << "Home(Call,Done)";
        QTest::newRow("cut the top") << "cut" << "Home" << "" << "Cannot delete: This is the top" << false << unchanged;
        QTest::newRow("move up the last") << "up" << "Done" << "" << "" << true << "Home(Budget(Rent 500,Food 200,Total 700),Done,Call)";
        QTest::newRow("move up the first: told, still a change") << "up" << "Budget" << "" << "You can't move a task up past" << true << unchanged;
        QTest::newRow("move down the first") << "down" << "Budget" << "" << "" << true << "Home(Call,Budget(Rent 500,Food 200,Total 700),Done)";
        QTest::newRow("move down the last") << "down" << "Done" << "" << "Can not move this node down" << false << unchanged;
        QTest::newRow("drop onto another task") << "drop" << "Done" << "Call" << "" << true << "Home(Budget(Rent 500,Food 200,Total 700),Call(Done))";
        QTest::newRow("drop a branch onto a leaf") << "drop" << "Budget" << "Done" << "" << true << "Home(Call,Done(Budget(Rent 500,Food 200,Total 700)))";
        QTest::newRow("drop: the sums follow") << "drop" << "Food 200" << "Home" << "" << true << "Home(Food 200,Budget(Rent 500,Total 500),Call,Done)";
        QTest::newRow("drop the top") << "drop" << "Home" << "Call" << "Cannot move root node." << false << unchanged;
        QTest::newRow("drop onto itself") << "drop" << "Call" << "Call" << "Cannot move item to itself." << false << unchanged;
        QTest::newRow("drop into its own sub-tree") << "drop" << "Budget" << "Rent 500" << "Error, you cannot perform" << false << unchanged;
    }
    void shouldApplyTheListsEditingRules() {
        QFETCH(QString, command);
        QFETCH(QString, task);
        QFETCH(QString, target);
        QFETCH(QString, message);
        QFETCH(bool, changed);
        QFETCH(QString, shape);
        // given the list as loaded
        Opened o;
        const QByteArray before = o.file();
        const QString key = task == "Home" ? QString(kRootID) : o.key(task);
        ListEdits edits(o.doc);
        // when the command is given
        const ListEdits::Result r = command == "delete" ? edits.deleteTask(key)
                                    : command == "cut"  ? edits.cutTask(key)
                                    : command == "up"   ? edits.moveUp(key)
                                    : command == "down" ? edits.moveDown(key)
                                                        : edits.drop(key, target == "Home" ? QString(kRootID) : o.key(target));
        // then the list, the message and the changed flag are as the rules say
        QCOMPARE(o.branch(o.doc.tree().Item(kRootID)), shape);
        QCOMPARE(r.said.isEmpty(), message.isEmpty());
        if (!message.isEmpty())
            QVERIFY2(r.said.first().text.startsWith(message), qPrintable(r.said.first().text));
        QCOMPARE(r.changed, changed);
        QCOMPARE(o.doc.fileHasBeenChanged(), changed);
        // and a change is one step, undone to the file as it was
        QCOMPARE(o.doc.history().count(), changed ? 1 : 0);
        o.doc.history().undo();
        QCOMPARE(o.file(), before);
    }

    void shouldNeverChangeTheFileWithTasksThatAreNotSaved() {
        // given tasks put into the list as the calendar import puts them, as one step
        Opened o;
        const QByteArray before = o.file();
        const QStringList keys = ListEdits(o.doc).insertTasks(
            kRootID, {{{"Outlook Tasks [NOT SAVED]", {}, {}, kStatusIncomplete, {}, 0}, -1},
                      {{"Renew passport", {}, {}, kStatusIncomplete, {}, 0}, 0}},
            "Import Tasks", false);
        // then they are there, the file and the changed flag are not touched, in either direction
        QCOMPARE(keys.size(), 2);
        QVERIFY(o.doc.node(keys.last()));
        QCOMPARE(o.file(), before);
        QVERIFY(!o.doc.fileHasBeenChanged());
        o.doc.history().undo();
        QVERIFY(!o.doc.node(keys.last()));
        QVERIFY(!o.doc.fileHasBeenChanged());
        o.doc.history().redo();
        QCOMPARE(o.doc.node(keys.last())->Parent()->Key(), keys.first()); // the same keys again
        QVERIFY(!o.doc.fileHasBeenChanged());
    }

    void shouldFollowTheSavedStepWithTheChangedFlag() {
        // given two edits, saved after the first
        Opened o;
        o.edit(o.key("Call"), [](TaskFields& f) { f.name = "Call Anna"; }, kColourDarkRed);
        o.doc.markSaved();
        o.edit(o.key("Call Anna"), [](TaskFields& f) { f.name = "Call Bob"; }, kColourDarkRed);
        QVERIFY(o.doc.fileHasBeenChanged());
        // then undoing back to the saved step makes the list unchanged, and going either way changes it
        o.doc.history().undo();
        QVERIFY(!o.doc.fileHasBeenChanged());
        o.doc.history().undo();
        QVERIFY(o.doc.fileHasBeenChanged());
        o.doc.history().redo();
        QVERIFY(!o.doc.fileHasBeenChanged());
        // and a change outside the history marks the list and clears the history
        o.doc.setFileHasBeenChanged(true);
        QVERIFY(o.doc.fileHasBeenChanged());
        QVERIFY(!o.doc.history().canUndo() && !o.doc.history().canRedo());
        // and a fresh list starts unchanged, with no history
        o.edit(o.key("Call Anna"), [](TaskFields& f) { f.name = "Call Carl"; }, kColourDarkRed);
        o.doc.renew();
        QVERIFY(!o.doc.fileHasBeenChanged());
        QCOMPARE(o.doc.history().count(), 0);
    }

    void shouldGroupTypingByTaskVisit() {
        // given typing in one task's description, over two visits, with another task between
        Opened o;
        const QString budget = o.key("Budget");
        const QByteArray before = o.file();
        for (const char* typed : {"m", "mo", "mor"})
            o.edit(budget, [=](TaskFields& f) { f.description = typed; }, kColourBlack, 1);
        o.edit(o.key("Call"), [](TaskFields& f) { f.description = "x"; }, kColourDarkRed, 2);
        o.edit(budget, [](TaskFields& f) { f.description = "more"; }, kColourBlack, 3);
        // then each visit is one step
        QCOMPARE(o.doc.history().count(), 3);
        o.doc.history().undo();
        QCOMPARE(o.doc.task(budget)->Description, QStringLiteral("mor"));
        o.doc.history().undo();
        o.doc.history().undo();
        QCOMPARE(o.file(), before);
    }

    void shouldUndoAndRedoTwoThousandRandomEditsExactly() {
        // given a list, and 2,000 random edits: fields, tasks added, taken out and moved
        Opened o;
        const QByteArray start = o.file();
        const QString startShown = o.shown();
        QRandomGenerator rng(15);
        constexpr int kSteps = 2000;
        QStringList keys;
        for (int i = 2; i <= o.doc.tree().Count(); ++i)
            keys << o.doc.tree().Item(i)->Key();
        for (int step = 0; step < kSteps; ++step) {
            if (keys.isEmpty()) { // everything was taken out: start again with one task
                o.add(kRootID, QStringLiteral("Fresh %1").arg(step));
                keys << o.doc.tree().Item(2)->Key();
                continue;
            }
            const QString key = keys[int(rng.bounded(keys.size()))];
            const int n = int(rng.bounded(100));
            const NodeColour colour = NodeColour(rng.bounded(3)) * 0x400000;
            if (rng.bounded(4) == 0) {
                // a structure change: a task added, a branch taken out or a task moved
                QStringList all;
                for (int i = 2; i <= o.doc.tree().Count(); ++i)
                    all << o.doc.tree().Item(i)->Key();
                const int what = int(rng.bounded(3));
                if (what == 0 || all.size() < 4) {
                    o.add(all.isEmpty() || n % 3 == 0 ? kRootID : all[n % all.size()], QStringLiteral("Added %1").arg(step));
                } else if (what == 1) {
                    o.remove(all[n % all.size()]);
                } else {
                    const QString moved = all[n % all.size()];
                    const QString to = rng.bounded(3) == 0 ? QString(kRootID) : all[int(rng.bounded(all.size()))];
                    if (!o.move(moved, to, int(rng.bounded(4))))
                        o.add(kRootID, QStringLiteral("Instead %1").arg(step)); // a move into itself is refused
                }
                keys.clear();
                for (int i = 2; i <= o.doc.tree().Count(); ++i)
                    keys << o.doc.tree().Item(i)->Key();
                continue;
            }
            switch (rng.bounded(6)) {
            case 0:
                o.edit(key, [&](TaskFields& f) { f.name = n % 5 ? QStringLiteral("Task %1").arg(n) : "S !!sum!!"; }, colour);
                break;
            case 1:
                o.edit(key, [&](TaskFields& f) { f.description = QString(n % 7, QChar('a' + n % 26)); }, colour, step / 3);
                break;
            case 2:
                o.edit(key, [&](TaskFields& f) { f.icon = qint16(n % 25); }, colour);
                break;
            case 3:
                o.edit(key, [&](TaskFields& f) { f.status = n % 2 ? kStatusComplete : kStatusIncomplete; }, colour);
                break;
            case 4:
                o.edit(key, [&](TaskFields& f) { f.categories = n % 2 ? "Today" : ""; }, colour);
                break;
            default:
                o.edit(key, [&](TaskFields& f) { f.due = n % 3 ? makeDueDate(QDate(2026, 1, 1).addDays(n)) : QDateTime(); }, colour);
            }
        }
        const QByteArray end = o.file();
        const QString endShown = o.shown();
        QVERIFY(o.doc.history().count() > 1500); // typing in one visit merges, the rest are steps
        // when all are undone, then the list is as it started; when all are redone, as it ended
        while (o.doc.history().canUndo())
            o.doc.history().undo();
        QCOMPARE(o.file(), start);
        QCOMPARE(o.shown(), startShown);
        QVERIFY(!o.doc.fileHasBeenChanged());
        while (o.doc.history().canRedo())
            o.doc.history().redo();
        QCOMPARE(o.file(), end);
        QCOMPARE(o.shown(), endShown);
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
