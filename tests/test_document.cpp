// The document and its history, without a window: each kind of edit done, undone and redone,
// compared with the saved file and with what the tree shows.

#include "document/EditTaskCommand.h"
#include "document/TaskDocument.h"
#include "file/XMLManager.h"
#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "TestSupport.h"
#include "views/Colouring.h"
#include "views/Formulas.h"

#include <QRandomGenerator>
#include <QSignalSpy>
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
    // What the tree shows: each node's key, text, picture and colour, in order.
    QString shown() const {
        QStringList lines;
        for (int i = 1; i <= doc.tree().Count(); ++i) {
            const TreeNode* n = doc.tree().Item(i);
            lines << QStringLiteral("%1|%2|%3|%4").arg(n->Key(), n->Text()).arg(n->Image()).arg(n->ForeColor());
        }
        return lines.join('\n');
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
        // given a list as loaded
        Opened o;
        const QByteArray fileBefore = o.file();
        const QString shownBefore = o.shown();
        // when the edit is made
        edit(o);
        const QByteArray fileAfter = o.file();
        const QString shownAfterEdit = o.shown();
        // then the file and the tree show it, and the list is changed
        QVERIFY(fileAfter != fileBefore);
        QVERIFY2(shownAfterEdit.contains(shownAfter), qPrintable(shownAfterEdit));
        QVERIFY(o.doc.fileHasBeenChanged());
        // when it is undone: the file byte for byte, and what the tree shows, as before; unchanged
        o.doc.history().undo();
        QCOMPARE(o.file(), fileBefore);
        QCOMPARE(o.shown(), shownBefore);
        QVERIFY(!o.doc.fileHasBeenChanged());
        // when it is redone: as after the edit, and changed again
        o.doc.history().redo();
        QCOMPARE(o.file(), fileAfter);
        QCOMPARE(o.shown(), shownAfterEdit);
        QVERIFY(o.doc.fileHasBeenChanged());
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

    void shouldTellTheWindowWhatEachStepChanged() {
        Opened o;
        QSignalSpy edited(&o.doc, &TaskDocument::taskEdited);
        QSignalSpy applied(&o.doc, &TaskDocument::stepApplied);
        const QString call = o.key("Call");
        o.edit(call, [](TaskFields& f) { f.due = makeDueDate(QDate(2027, 3, 1)); }, kColourDarkRed);
        o.doc.history().undo();
        QCOMPARE(edited.size(), 2);
        const auto before = edited.last().at(1).value<TaskFields>();
        const auto after = edited.last().at(2).value<TaskFields>();
        QCOMPARE(before.due, makeDueDate(QDate(2027, 3, 1)));
        QCOMPARE(after.due, makeDueDate(QDate(2026, 12, 5)));
        QCOMPARE(applied.size(), 2);
        QCOMPARE(applied.last().at(0).toString(), call);
        QVERIFY(!o.doc.applying());
    }

    void shouldUndoAndRedoTwoThousandRandomEditsExactly() {
        // given a list, and 2,000 random edits of its tasks' fields
        Opened o;
        const QByteArray start = o.file();
        const QString startShown = o.shown();
        QRandomGenerator rng(15);
        QStringList keys;
        for (int i = 2; i <= o.doc.tree().Count(); ++i)
            keys << o.doc.tree().Item(i)->Key();
        for (int step = 0; step < 2000; ++step) {
            const QString key = keys[int(rng.bounded(keys.size()))];
            const int n = int(rng.bounded(100));
            const NodeColour colour = NodeColour(rng.bounded(3)) * 0x400000;
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
