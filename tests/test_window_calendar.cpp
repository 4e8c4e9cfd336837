#include "calendar/CalendarGrid.h"
#include "calendar/CalendarManager.h"
#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QTabWidget>

using namespace ortolan;

namespace {

// A window on Home / A, B, "Water plants" (due 3/14/2026), "Pay rent" (due 4/1/2026).
struct Calendar : test::OpenList {
    Calendar()
        : OpenList(test::item("A") + test::item("B") + test::item("Water plants", "<DATEDUE>3/14/2026</DATEDUE>") +
                   test::item("Pay rent", "<DATEDUE>4/1/2026</DATEDUE>")) {}
    CalendarGrid& grid() const { return *o->CalMan->grid; }
    void show(int year, int month) const {
        grid().setYear(year);
        grid().setMonth(month);
    }
    QString text(int year, int month, int day) const { return grid().GetText(year, month, day); }
    // A double-click on a day of the month shown, as the user gives it.
    void doubleClick(int day) const {
        test::clickTab(*o, "Calendar");
        QTest::mouseDClick(&grid(), Qt::LeftButton, {}, grid().dayRect(day).center());
    }
    void showCalendar() const { test::clickTab(*o, "Calendar"); }
    // Tasks are picked on the "Main" tab, the calendar's days on its own.
    void select(const QString& text) const {
        test::clickTab(*o, "Main");
        OpenList::select(text);
    }
    QDate due(const QString& name) const {
        return hasDueDate(task(name)->DateDue) ? task(name)->DateDue.date() : QDate();
    }
};

} // namespace

class TestWindowCalendar : public QObject {
    Q_OBJECT
private slots:
    // ---- stepping the months ----

    void shouldStepTheMonthAcrossYearEnds_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expectedYear");
        QTest::addColumn<int>("expectedMonth");
        QTest::newRow("December, next") << 2026 << 12 << "CalendarNext" << 2027 << 1;
        QTest::newRow("January, previous") << 2026 << 1 << "CalendarPrevious" << 2025 << 12;
    }
    void shouldStepTheMonthAcrossYearEnds() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(QString, button);
        QFETCH(int, expectedYear);
        QFETCH(int, expectedMonth);
        // given a month shown
        Calendar c;
        c.showCalendar();
        c.show(year, month);
        // when the button is clicked
        QTest::mouseClick(button == "CalendarNext" ? c.o->CalendarNext : c.o->CalendarPrevious, Qt::LeftButton);
        // then the neighbouring month is shown
        QCOMPARE(c.grid().year(), expectedYear);
        QCOMPARE(c.grid().Month(), expectedMonth);
    }

    // ---- font size ----

    void shouldReadTheFontSizeFromTheBoxText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::newRow("Font Size") << "Font Size" << 9;
        QTest::newRow("14 with words after") << "14pt" << 14;
        QTest::newRow("fraction rounds") << "7.6" << 8;
        QTest::newRow("words first") << "size 12" << 9;
    }
    void shouldReadTheFontSizeFromTheBoxText() {
        QFETCH(QString, text);
        QFETCH(int, size);
        // given the grid at a size none of the rows give
        Calendar c;
        c.o->CalendarFontSize->setEditText("x");
        c.o->ChangeCalFontSize(20);
        QCOMPARE(c.grid().dayFontSize(), 20);
        // when the box's text changes
        c.o->CalendarFontSize->setEditText(text);
        // then the day texts take the size read
        QCOMPARE(c.grid().dayFontSize(), size);
    }

    void shouldApplyAPickedSizeAndTheBoxSizeWhenTheCalendarIsChosen() {
        Calendar c;
        c.o->CalendarFontSize->setCurrentIndex(5); // "12"
        emit c.o->CalendarFontSize->activated(5);
        QCOMPARE(c.grid().dayFontSize(), 12);
        c.o->ChangeCalFontSize(20);
        c.showCalendar();
        QCOMPARE(c.grid().dayFontSize(), 12);
    }

    // ---- the Calendar tab ----

    void shouldShowTheGridOverTheTreeOnTheCalendarTab() {
        // given the tree shown on "Main", the calendar on another month
        Calendar c;
        c.show(2024, 2);
        QVERIFY(c.o->Tree->isVisible());
        QVERIFY(!c.grid().isVisible());
        const QRect treeRect = c.o->Tree->geometry();
        // when the Calendar tab is chosen
        c.showCalendar();
        // then the grid fills the tree's rectangle, shows the current month, and the tree is gone
        QVERIFY(c.o->CalendarControls->isVisible());
        QVERIFY(c.grid().isVisible());
        QVERIFY(!c.o->Tree->isVisible());
        // the grid takes the tree's place below the month buttons, which stay in reach
        const QRect gridRect(c.grid().mapTo(c.o->centralWidget(), QPoint(0, 0)), c.grid().size());
        QCOMPARE(gridRect.left(), treeRect.left());
        QCOMPARE(gridRect.right(), treeRect.right());
        QCOMPARE(gridRect.bottom(), treeRect.bottom());
        const QRect nextButton(c.o->CalendarNext->mapTo(c.o->centralWidget(), QPoint(0, 0)), c.o->CalendarNext->size());
        QVERIFY(!gridRect.intersects(nextButton));
        QVERIFY(gridRect.top() - treeRect.top() < nextButton.height() * 2);
        QCOMPARE(c.o->StatusLabel->text(), QStringLiteral("Double-Click to Set Date"));
        QCOMPARE(c.grid().year(), 2026);
        QCOMPARE(c.grid().Month(), 12);
        QVERIFY(c.o->CalendarNext->isVisible() && c.o->CalendarPrevious->isVisible());
        // when "Main" is chosen again
        test::clickTab(*c.o, "Main");
        // then the tree is back and the calendar gone
        QVERIFY(c.o->Tree->isVisible());
        QVERIFY(!c.o->CalendarControls->isVisible());
        QVERIFY(!c.grid().isVisible());
    }

    void shouldKeepTheCalendarButtonsWhereTheyWereDesigned() {
        Calendar c;
        auto placeOf = [&](QWidget* w) { return QRect(w->mapTo(c.o->centralWidget(), QPoint(0, 0)), w->size()); };
        const QRect next = placeOf(c.o->CalendarNext);
        const QRect box = placeOf(c.o->CalendarFontSize);
        c.showCalendar();
        QCOMPARE(placeOf(c.o->CalendarNext), next);
        QCOMPARE(placeOf(c.o->CalendarFontSize), box);
        // when the window grows, the grid follows the tree once the layout is done
        const QSize treeSize = c.o->Tree->size();
        c.o->resize(c.o->width() + 40, c.o->height() + 30);
        QVERIFY(c.o->Tree->size() != treeSize);
        QTRY_COMPARE(c.grid().mapTo(c.o->centralWidget(), QPoint(0, c.grid().height())).y(),
                     c.o->Tree->geometry().bottom() + 1);
        QCOMPARE(c.grid().width(), c.o->Tree->width());
        QCOMPARE(placeOf(c.o->CalendarNext), next);
    }

    // ---- assigning a day ----

    void shouldListATaskOnTheDayDoubleClicked() {
        // given B, without a due date, selected and December 2026 shown
        Calendar c;
        c.select("B");
        c.o->setFileHasBeenChanged(false);
        // when the 5th is double-clicked
        c.doubleClick(5);
        // then B is due that day and listed once at the end of its text
        QCOMPARE(c.due("B"), QDate(2026, 12, 5));
        QCOMPARE(c.text(2026, 12, 5), QStringLiteral("-B\r\n"));
        QVERIFY(c.o->fileHasBeenChanged());
        // when the 5th is double-clicked again, after another line was written there
        c.o->SetCalDateText(makeDueDate(QDate(2026, 12, 5)), "Dentist 9:00");
        c.doubleClick(5);
        // then B's line is taken out and written again at the end, still once
        QCOMPARE(c.text(2026, 12, 5), QStringLiteral("Dentist 9:00\r\n-B\r\n"));
        // when another day is double-clicked
        c.doubleClick(20);
        // then the line moves there
        QCOMPARE(c.text(2026, 12, 5), QStringLiteral("Dentist 9:00\r\n"));
        QCOMPARE(c.text(2026, 12, 20), QStringLiteral("-B\r\n"));
        QCOMPARE(c.due("B"), QDate(2026, 12, 20));
    }

    void shouldMoveATaskBetweenMonthsAndShowTheClickedMonth() {
        // given "Water plants" listed on 14 March, April shown
        Calendar c;
        QCOMPARE(c.text(2026, 3, 14), QStringLiteral("-Water plants\r\n"));
        c.select("Water plants");
        c.showCalendar();
        c.show(2026, 4);
        // when the 2nd of April is double-clicked
        QTest::mouseDClick(&c.grid(), Qt::LeftButton, {}, c.grid().dayRect(2).center());
        // then March loses the line, April gains it, April is still shown
        QCOMPARE(c.text(2026, 3, 14), QString());
        QCOMPARE(c.text(2026, 4, 2), QStringLiteral("-Water plants\r\n"));
        QCOMPARE(c.grid().Month(), 4);
        QCOMPARE(c.grid().year(), 2026);
        QCOMPARE(c.due("Water plants"), QDate(2026, 4, 2));
    }

    void shouldTakeEveryMatchingLineOffTheOldDay() {
        // given two tasks named alike, both on the 5th
        Calendar c;
        c.task("B")->TaskName = "A";
        c.select("A");
        c.doubleClick(5);
        c.select("B");
        c.doubleClick(5);
        QCOMPARE(c.text(2026, 12, 5), QStringLiteral("-A\r\n-A\r\n"));
        // when one of them moves to the 9th
        c.doubleClick(9);
        // then both lines leave the 5th and one arrives on the 9th
        QCOMPARE(c.text(2026, 12, 5), QString());
        QCOMPARE(c.text(2026, 12, 9), QStringLiteral("-A\r\n"));
    }

    // ---- after a load ----

    void shouldNotListTasksTwiceWhenTheListIsOpenedAgain() {
        // given a list opened, a free line written on a task's day
        Calendar c;
        c.o->SetCalDateText(makeDueDate(QDate(2026, 3, 14)), "Garden centre");
        // when the same list is opened again
        c.o->loadTaskFile(c.path, false);
        // then each task is listed once and the free line stays
        QCOMPARE(c.text(2026, 3, 14), QStringLiteral("Garden centre\r\n-Water plants\r\n"));
        QCOMPARE(c.text(2026, 4, 1), QStringLiteral("-Pay rent\r\n"));
    }

    void shouldClearTheTasksOfTheOldListFromTheCalendar() {
        // given a task listed by a load and another by a double-click, and a line of other text
        Calendar c;
        c.select("B");
        c.doubleClick(5);
        c.o->SetCalDateText(makeDueDate(QDate(2026, 12, 5)), "Dentist 9:00");
        QVERIFY(c.text(2026, 3, 14).contains("-Water plants"));
        // when a new list replaces the old one
        Dialogs::setNextAnswer(PromptAnswer::No); // do not save the changed list
        c.o->action("MENU_NEW")->trigger();
        // then only the other text stays
        QCOMPARE(c.text(2026, 3, 14), QString());
        QCOMPARE(c.text(2026, 12, 5), QStringLiteral("Dentist 9:00\r\n"));
    }

    void shouldRemoveALoadedDueDate() {
        // given "Pay rent" listed on 1 April after the load
        Calendar c;
        c.select("Pay rent");
        // when Remove Calendar Date is chosen
        c.o->action("MENU_RemoveCalDate")->trigger();
        // then the task has no due date, its line is gone and the document is marked
        QVERIFY(!hasDueDate(c.task("Pay rent")->DateDue));
        QCOMPARE(c.text(2026, 4, 1), QString());
        QVERIFY(c.o->fileHasBeenChanged());
        QVERIFY(Dialogs::messages().isEmpty());
    }

    // ---- the Insert menu ----

    void shouldExplainHowToAssignADate() {
        Calendar c;
        c.o->action("MENU_ASSIGN_CALENDAR_DATE")->trigger();
        QCOMPARE(Dialogs::messages().size(), 1);
        const PromptMessage m = Dialogs::messages().first();
        QCOMPARE(m.title, QStringLiteral("How to Assign Calendar Date"));
        QCOMPARE(m.text, QStringLiteral("To assign a calendar date:\r\n1) Ensure the task is selected.\r\n2) Click the "
                                        "'Calendar' tab and double click the date you want to assign it to."));
        QCOMPARE(m.icon, PromptIcon::Information);
        QCOMPARE(m.buttons, PromptButtons::Ok);
        QVERIFY(!c.o->fileHasBeenChanged());
    }
};

QTEST_MAIN(TestWindowCalendar)
#include "test_window_calendar.moc"
