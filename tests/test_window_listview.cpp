#include "model/TaskHandler.h"
#include "views/Colouring.h"
#include "views/Pictures.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QTabWidget>
#include <QTextEdit>

using namespace ortolan;

namespace {

const QByteArray kToday = "<CATEGORIES>Today</CATEGORIES>";
const QByteArray kDone = "<STATUS>COMPLETE</STATUS>";

// Home / Groceries (Buy milk, Buy eggs done), Dentist today, Project today (Step), Filed done,
// Odd with a status that merely contains COMPLETED, Errand for today and work.
QByteArray mixedList() {
    return test::item("Groceries", "", "<LIST>" + test::item("Buy milk") + test::item("Buy eggs", kDone) + "</LIST>") +
           test::item("Dentist", kToday) + test::item("Project", kToday, "<LIST>" + test::item("Step") + "</LIST>") +
           test::item("Filed", kDone) + test::item("Odd", "<STATUS>NOT COMPLETED</STATUS>") +
           test::item("Errand", "<CATEGORIES>Work,Today</CATEGORIES>");
}

QStringList listTexts(const Ortolan& o) {
    QStringList texts;
    for (int i = 0; i < o.ListView->count(); ++i)
        texts << o.ListView->item(i)->text();
    return texts;
}

QListWidgetItem* listItem(const Ortolan& o, const QString& text) {
    for (int i = 0; i < o.ListView->count(); ++i)
        if (o.ListView->item(i)->text() == text)
            return o.ListView->item(i);
    return nullptr;
}

} // namespace

class TestWindowListView : public QObject {
    Q_OBJECT
private slots:
    void shouldListTheNodesThatQualifyForTheViewLastApplied_data() {
        QTest::addColumn<QList<int>>("tabs"); // tabs picked before the click, in order
        QTest::addColumn<QStringList>("expected");
        const QStringList mainView{"Groceries: Buy milk", "Home: Dentist", "Home: Project",
                                   "Project: Step",       "Home: Odd",     "Home: Errand"};
        QTest::newRow("after loading") << QList<int>{} << mainView;
        QTest::newRow("after Today") << QList<int>{1} << QStringList{"Home: Dentist", "Home: Project", "Home: Errand"};
        QTest::newRow("after Today then Main") << QList<int>{1, 0} << mainView;
    }
    void shouldListTheNodesThatQualifyForTheViewLastApplied() {
        QFETCH(QList<int>, tabs);
        QFETCH(QStringList, expected);
        // given a loaded list and the views picked
        test::OpenList l(mixedList());
        QCOMPARE(l.o->tree().Item(1)->Text(), QStringLiteral("Home"));
        for (int tab : tabs)
            test::clickTab(*l.o, l.o->TabStrip->tabText(tab));
        // when the list is shown
        QTest::mouseClick(l.o->ViewAsList, Qt::LeftButton);
        // then exactly the qualifying nodes appear, in node order
        QCOMPARE(listTexts(*l.o), expected);
    }

    void shouldGiveEachItemItsKeyPictureAndColour_data() {
        // clang-format off
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("unfinished leaf is black") << "Groceries: Buy milk" << "Buy milk" << QColor(0, 0, 0);
        QTest::newRow("today is dark red") << "Home: Dentist" << "Dentist" << QColor(128, 0, 0);
        QTest::newRow("status containing COMPLETED is grey") << "Home: Odd" << "Odd" << QColor(128, 128, 128);
        // clang-format on
    }
    void shouldGiveEachItemItsKeyPictureAndColour() {
        QFETCH(QString, text);
        QFETCH(QString, node);
        QFETCH(QColor, colour);
        test::OpenList l(mixedList());
        QTest::mouseClick(l.o->ViewAsList, Qt::LeftButton);
        const QListWidgetItem* it = listItem(*l.o, text);
        QVERIFY(it);
        QCOMPARE(it->data(Qt::UserRole).toString(), l.node(node)->Key());
        QCOMPARE(it->foreground().color(), colour);
        QCOMPARE(it->icon().cacheKey(), taskPicture(1).cacheKey());
    }

    void shouldNotListGreyTheLowerCaseOrPlainCompleteStatus() {
        // given a task completed by the word COMPLETE but coloured black by a command
        test::OpenList l(test::item("Plain") + test::item("lower", "<STATUS>completed</STATUS>"));
        l.task("Plain")->Status = kStatusComplete;
        // when the list is shown
        QTest::mouseClick(l.o->ViewAsList, Qt::LeftButton);
        // then its node's colour (black, untouched) lets it in, and the status rule leaves it black
        QCOMPARE(listTexts(*l.o), (QStringList{"Home: Plain", "Home: lower"}));
        QCOMPARE(l.o->ListView->item(0)->foreground().color(), QColor(0, 0, 0));
        QCOMPARE(l.o->ListView->item(1)->foreground().color(), QColor(0, 0, 0));
    }

    void shouldListAFormulaTaskByItsStoredName() {
        test::OpenList l(test::item("Budget", "",
                                    "<LIST>" + test::item("Rent 500") + test::item("Food 200") +
                                        test::item("Total !!sum!!") + "</LIST>"));
        QCOMPARE(l.node("Total 700")->Parent(), l.node("Budget"));
        QTest::mouseClick(l.o->ViewAsList, Qt::LeftButton);
        QCOMPARE(listTexts(*l.o), (QStringList{"Budget: Rent 500", "Budget: Food 200", "Budget: Total !!sum!!"}));
    }

    void shouldBuildANewSnapshotEachTimeTheListIsShown() {
        // given a list shown once
        test::OpenList l(mixedList());
        QTest::mouseClick(l.o->ViewAsList, Qt::LeftButton);
        QCOMPARE(l.o->ListView->count(), 6);
        // when a task picked in the list changes, the list is not updated
        QListWidgetItem* dentist = listItem(*l.o, "Home: Dentist");
        QTest::mouseClick(l.o->ListView->viewport(), Qt::LeftButton, {}, l.o->ListView->visualItemRect(dentist).center());
        QTest::mouseClick(l.o->MarkCompleteButton, Qt::LeftButton);
        QCOMPARE(l.o->ListView->count(), 6);
        // then showing the list again takes the change in, without duplicates
        QTest::mouseClick(l.o->ViewAsList, Qt::LeftButton);
        QTest::mouseClick(l.o->ViewAsList, Qt::LeftButton);
        QCOMPARE(l.o->ListView->count(), 5);
        QVERIFY(!listTexts(*l.o).contains("Home: Dentist"));
    }
};

QTEST_MAIN(TestWindowListView)
#include "test_window_listview.moc"
