// Finding tasks: the find bar filters the tree as the user types, steps through the matches,
// and gives the tree back as it was.

#include "views/FindBar.h"
#include "views/TaskFinder.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QTextEdit>

using namespace ortolan;
using test::item;
using test::press;
using test::type;

namespace {

// Home > Groceries (to buy milk) > Café au lait, Bread
//      > Work (Office) > Report (quarterly), Call Bob
//      > Garden
QByteArray findList() {
    const auto sub = [](const QByteArray& items) { return "<LIST>" + items + "</LIST>"; };
    return item("Groceries", "<DESC>buy milk</DESC>", sub(item("Café au lait") + item("Bread"))) +
           item("Work", "<CATEGORIES>Office</CATEGORIES>",
                sub(item("Report", "<DESC>quarterly</DESC>") + item("Call Bob"))) +
           item("Garden");
}

// Types into the focused widget, letters beyond ASCII as a keyboard layout that has them sends them.
void typeText(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            type(QString(c));
        else
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), {});
    }
}

// The rows the tree shows, top to bottom, as their texts.
QString shownRows(const TaskTreeView* tree) {
    QStringList rows;
    for (QModelIndex i = tree->model()->index(0, 0); i.isValid(); i = tree->indexBelow(i))
        rows << i.data().toString();
    return rows.join(QLatin1Char(','));
}

struct FindList : test::OpenList {
    FindList() : test::OpenList(findList()) {
        o->tree().Item(kRootID)->setExpanded(true);
        for (const char* closed : {"Groceries", "Work"})
            node(closed)->setExpanded(false);
        select("Garden");
    }
    FindBar* bar() const { return o->findBar(); }
    // Opens the bar with its key from the tree and types the text.
    void find(const QString& text) const {
        QTest::keySequence(o->Tree, QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(bar()->textBox()));
        typeText(text);
    }
    QString selected() const { return o->tree().SelectedItem()->Text(); }
};

} // namespace

class TestWindowFind : public QObject {
    Q_OBJECT
private slots:
    void shouldFilterTheTreeAsTheUserTypes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("selected");
        QTest::newRow("accents and case ignored") << "CAFE" << "Home,Groceries,Café au lait" << "1 of 1" << "Café au lait";
        QTest::newRow("accent typed, none stored") << "brëad" << "Home,Groceries,Bread" << "1 of 1" << "Bread";
        QTest::newRow("the description") << "milk" << "Home,Groceries" << "1 of 1" << "Groceries";
        QTest::newRow("the categories") << "office" << "Home,Work" << "1 of 1" << "Work";
        QTest::newRow("several, the selection on the first after it")
            << "ar" << "Home,Work,Report,Garden" << "2 of 2" << "Garden";
        QTest::newRow("several, going round") << "re" << "Home,Groceries,Bread,Work,Report" << "1 of 2" << "Bread";
        QTest::newRow("none: the selected task stays in sight")
            << "zzz" << "Home,Garden" << "No matches" << "Garden";
    }
    void shouldFilterTheTreeAsTheUserTypes() {
        QFETCH(QString, text);
        QFETCH(QString, rows);
        QFETCH(QString, count);
        QFETCH(QString, selected);
        FindList l;
        l.find(text);
        QCOMPARE(shownRows(l.o->Tree), rows);
        QCOMPARE(l.bar()->count(), count);
        QCOMPARE(l.selected(), selected);
        QCOMPARE(l.o->NameText->text(), selected); // the panel follows
        // the bar lies over the bottom of the tree's rectangle
        QVERIFY(l.bar()->isVisible());
        QCOMPARE(l.bar()->geometry().top(), l.o->Tree->geometry().bottom() + 1);
    }

    void shouldStepThroughTheMatchesWithEnterAndF3() {
        FindList l;
        l.find("o"); // Home, Groceries, Work, Report, Call Bob
        QCOMPARE(l.bar()->count(), "1 of 5");
        QCOMPARE(l.selected(), "Home"); // the first after Garden, going round
        const QList<std::pair<QKeySequence, QString>> steps = {
            {QKeySequence(Qt::Key_Return), "Groceries"},        {QKeySequence(Qt::Key_F3), "Work"},
            {QKeySequence(Qt::SHIFT | Qt::Key_F3), "Groceries"}, {QKeySequence(Qt::SHIFT | Qt::Key_Return), "Home"},
            {QKeySequence(Qt::SHIFT | Qt::Key_F3), "Call Bob"},  {QKeySequence(Qt::Key_F3), "Home"},
        };
        for (const auto& [keys, expected] : steps) {
            QTest::keySequence(QApplication::focusWidget(), keys);
            QCOMPARE(l.selected(), expected);
        }
        // the arrow keys move through the rows shown without leaving the text
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QCOMPARE(l.selected(), "Work");
        QCOMPARE(l.bar()->count(), "3 of 5");
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(l.bar()->textBox()));
        // the buttons step too
        QTest::mouseClick(l.bar()->findChild<QWidget*>("FindNext"), Qt::LeftButton);
        QCOMPARE(l.selected(), "Report");
    }

    void shouldGiveTheTreeBackOnEscapeWithTheLastMatchSelected() {
        FindList l;
        l.node("Garden")->setExpanded(true); // no children: stays as it is
        const QRect treeBefore = l.o->Tree->geometry();
        l.find("r"); // Groceries and Work open for their matches
        QVERIFY(l.node("Groceries")->Expanded());
        type("ep");
        QCOMPARE(shownRows(l.o->Tree), "Home,Work,Report");
        press(Qt::Key_Escape);
        // every task shown again, Groceries closed again, Work open for the match selected
        QVERIFY(!l.bar()->isVisible());
        QCOMPARE(l.selected(), "Report");
        QCOMPARE(shownRows(l.o->Tree), "Home,Groceries,Work,Report,Call Bob,Garden");
        QVERIFY(!l.node("Groceries")->Expanded());
        QCOMPARE(l.o->Tree->geometry(), treeBefore);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(l.o->Tree));
        // F3 opens it again: it keeps its text, filters at once and goes to the next match
        test::click(l.o->Tree, l.node("Home"));
        QTest::keyClick(l.o->Tree, Qt::Key_F3);
        QVERIFY(l.bar()->isVisible());
        QCOMPARE(shownRows(l.o->Tree), "Home,Work,Report");
        QCOMPARE(l.selected(), "Report");
        QCOMPARE(l.bar()->textBox()->selectedText(), "rep");
        // another list: the bar has nothing left to filter
        QTest::keySequence(l.o->Tree, QKeySequence(QStringLiteral("Ctrl+N")));
        QVERIFY(!l.bar()->isVisible());
        QCOMPARE(l.o->tree().Count(), 1);
    }

    void shouldKeepTheFilterUpToDateWhileCommandsChangeTheTree() {
        FindList l;
        l.find("r"); // Groceries, Bread, Work, Report, Garden
        QCOMPARE(l.bar()->count(), "5 of 5");
        // a click on a match and Delete: the task goes, and with it a match
        test::click(l.o->Tree, l.node("Bread"));
        press(Qt::Key_Delete);
        QCOMPARE(l.children("Groceries"), "Café au lait");
        QTRY_COMPARE(l.bar()->count(), "4 matches");
        QVERIFY(!shownRows(l.o->Tree).contains("Bread"));
        // undone, it is back in the filtered tree
        press(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(l.bar()->count(), "2 of 5");
        QCOMPARE(shownRows(l.o->Tree), "Home,Groceries,Bread,Work,Report,Garden");
        // a new task is shown while selected; named to match, it counts
        press(Qt::Key_T, Qt::ControlModifier);
        const QString added = l.selected();
        QVERIFY(added != "Bread");
        QVERIFY(shownRows(l.o->Tree).contains(added));
        if (!test::labelEditor(l.o->Tree))
            press(Qt::Key_F2);
        type("Roses");
        press(Qt::Key_Return);
        QTRY_COMPARE(l.bar()->count(), "3 of 6"); // under Bread
        // a task renamed out of the text stays while selected, and drops out after
        test::click(l.o->Tree, l.node("Garden"));
        QTest::keySequence(l.o->Tree, QKeySequence(Qt::CTRL | Qt::Key_F)); // marked completed
        QCOMPARE(l.task("Garden")->Status, "COMPLETE");
        press(Qt::Key_F2);
        test::labelEditor(l.o->Tree)->selectAll();
        type("Lawn");
        press(Qt::Key_Return);
        QTRY_COMPARE(l.bar()->count(), "5 matches");
        QVERIFY(shownRows(l.o->Tree).endsWith("Lawn"));
        test::click(l.o->Tree, l.node("Report"));
        QTRY_VERIFY(!shownRows(l.o->Tree).contains("Lawn"));
    }
};

QTEST_MAIN(TestWindowFind)
#include "test_window_find.moc"
