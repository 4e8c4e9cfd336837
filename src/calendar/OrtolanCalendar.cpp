// The calendar: the month grid in CalendarControls, stepping its months, its font size,
// giving the selected task a due date by double-clicking a day, and taking it away again.

#include "app/Dialogs.h"
#include "app/Ortolan.h"

#include "calendar/CalendarGrid.h"
#include "calendar/CalendarManager.h"
#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "settings/Clock.h"
#include "views/TaskTreeView.h"
#include <algorithm>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>

namespace ortolan {

namespace {

const QStringList kFontSizes = {QStringLiteral("6"),  QStringLiteral("7"),  QStringLiteral("8"), QStringLiteral("9"),
                                QStringLiteral("10"), QStringLiteral("12"), QStringLiteral("14")};

constexpr int kSmallestFontSize = 6;
constexpr int kLargestFontSize = 28;

// The number a text starts with, as the font-size box reads it: 0 when it starts with none.
double leadingNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch m = number.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

// Keeps the grid over the tree when the window's layout changes. The tree is hidden under the
// calendar and hears of nothing, so this listens to the tab strip, which the layout moves
// together with the tree, and follows once the layout has placed both.
class TabStripGeometryFilter : public QObject {
public:
    TabStripGeometryFilter(Ortolan* window, QWidget* tabStrip) : QObject(tabStrip), window_(window) {
        tabStrip->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if ((event->type() == QEvent::Resize || event->type() == QEvent::Move) &&
            window_->CalendarControls->isVisible())
            QMetaObject::invokeMethod(
                window_, [w = window_] { w->placeCalendarGrid(); }, Qt::QueuedConnection);
        return false;
    }

private:
    Ortolan* window_;
};

} // namespace

void Ortolan::connectCalendarCommands() {
    CalendarFontSize->setEditable(true);
    CalendarFontSize->setInsertPolicy(QComboBox::NoInsert); // a typed size is used, not kept as an entry
    CalendarFontSize->addItems(kFontSizes);
    CalendarFontSize->setCurrentIndex(-1);
    CalendarFontSize->setEditText(QStringLiteral("Font Size"));
    connect(CalendarFontSize, &QComboBox::activated, this, [this] { CalendarFontSize_Click(); });
    connect(CalendarFontSize, &QComboBox::editTextChanged, this, [this] { CalendarFontSize_Change(); });
    connect(CalendarNext, &QPushButton::clicked, this, &Ortolan::CalendarNext_Click);
    connect(CalendarPrevious, &QPushButton::clicked, this, &Ortolan::CalendarPrevious_Click);
    connect(action(QStringLiteral("MENU_ASSIGN_CALENDAR_DATE")), &QAction::triggered, this,
            &Ortolan::MENU_ASSIGN_CALENDAR_DATE_Click);
    connect(action(QStringLiteral("MENU_RemoveCalDate")), &QAction::triggered, this,
            &Ortolan::MENU_RemoveCalDate_Click);
    connect(action(QStringLiteral("MENU_SetDueDate")), &QAction::triggered, this, &Ortolan::MENU_SetDueDate_Click);
    new TabStripGeometryFilter(this, TabStrip);
}

void Ortolan::createCalendar() {
    if (CalMan)
        return;
    CalMan = new CalendarManager(this);
    CalMan->grid = new CalendarGrid(CalendarControls);
    keepLight(CalMan->grid);
    connect(CalMan->grid, &CalendarGrid::DblClick, this, &Ortolan::CalendarGrid_DblClick);
}

// CalendarControls grows to take in the tree's rectangle as well as its own place; its own
// controls stay where they were on the window.
void Ortolan::placeCalendarGrid() {
    if (!CalMan)
        return;
    if (calendarFramePlace_.isNull())
        calendarFramePlace_ = CalendarControls->geometry();
    const QRect treeRect = Tree->geometry();
    const QRect frame = calendarFramePlace_.united(treeRect);
    const QPoint shift = calendarFramePlace_.topLeft() - frame.topLeft();
    CalendarControls->setGeometry(frame);
    for (QWidget* control : {static_cast<QWidget*>(CalendarFontSize), static_cast<QWidget*>(CalendarPrevious),
                             static_cast<QWidget*>(CalendarNext)})
        control->move(control->pos() + shift - calendarShift_);
    calendarShift_ = shift;
    // The grid takes the tree's place below the month buttons, which must stay in reach.
    QPoint gridAt = treeRect.topLeft() - frame.topLeft();
    const int below = std::max({CalendarFontSize->geometry().bottom(), CalendarPrevious->geometry().bottom(),
                                CalendarNext->geometry().bottom()}) +
                      2;
    const int lost = std::max(0, below - gridAt.y());
    gridAt.ry() += lost;
    CalMan->grid->move(gridAt);
    CalMan->ResizeCalendar(QSize(treeRect.width(), std::max(0, treeRect.height() - lost)));
    CalMan->grid->show();
    CalendarControls->raise();
}

void Ortolan::CalendarGrid_DblClick(int year, int month, int day, const QString&) {
    TreeNode* node = tree_.SelectedItem();
    Task* task = node ? doc_->taskH().getTask(node->Key()) : nullptr;
    if (!task)
        return;
    // The calendar moves the task's line itself; the due date goes into the history.
    const TaskFields before = TaskFields::of(*task);
    CalMan->AssignFromClick(*task, day, month, year);
    const TaskFields after = TaskFields::of(*task);
    before.applyTo(*task);
    calendarByHand_ = true;
    editTask(node, after, QStringLiteral("Assign Calendar Date"), node->ForeColor());
    calendarByHand_ = false;
}

void Ortolan::SetCalDateText(const QDateTime& myDate, const QString& theText) {
    CalMan->SetDateText(theText, myDate);
}

void Ortolan::CalendarNext_Click() {
    CalMan->ShowNextMonth();
}

void Ortolan::CalendarPrevious_Click() {
    CalMan->ShowPreviousMonth();
}

void Ortolan::CalendarFontSize_Click() {
    int size = qRound(std::clamp(leadingNumber(CalendarFontSize->currentText()), -1000.0, 1000.0));
    if (size == 0)
        size = 9;
    // Whatever is typed, the days stay readable and fit their cells.
    ChangeCalFontSize(std::clamp(size, kSmallestFontSize, kLargestFontSize));
}

void Ortolan::CalendarFontSize_Change() {
    CalendarFontSize_Click();
}

void Ortolan::ChangeCalFontSize(int Size) {
    QCoreApplication::processEvents();
    if (CalMan)
        CalMan->grid->setDayFontSize(Size);
}

void Ortolan::MENU_ASSIGN_CALENDAR_DATE_Click() {
    Dialogs::message(this,
                     {QStringLiteral("To assign a calendar date:\r\n1) Ensure the task is selected.\r\n2) Click the "
                                     "'Calendar' tab and double click the date you want to assign it to."),
                      QStringLiteral("How to Assign Calendar Date"), PromptIcon::Information, PromptButtons::Ok});
}

void Ortolan::MENU_RemoveCalDate_Click() {
    TreeNode* node = tree_.SelectedItem();
    const Task* task = node ? doc_->taskH().getTask(node->Key()) : nullptr;
    if (!task || !hasDueDate(task->DateDue))
        return;
    CalMan->RemoveDateText(task->DateDue, task->TaskName);
    TaskFields after = TaskFields::of(*task);
    after.due = QDateTime();
    calendarByHand_ = true;
    editTask(node, after, QStringLiteral("Remove Calendar Date"), node->ForeColor());
    calendarByHand_ = false;
}

void Ortolan::followEditedTask(const QString&, const TaskFields& before, const TaskFields& after) {
    if (calendarByHand_ || !CalMan || (before.due == after.due && before.name == after.name))
        return;
    CalMan->removeTaskLine(before.due, before.name);
    CalMan->addTaskLine(after.due, after.name);
}

// A date picker for the selected task: a day is given as a double-click on the calendar gives
// it, "No Due Date" as Remove Calendar Date takes it away; either is one step of the history.
void Ortolan::MENU_SetDueDate_Click() {
    const TreeNode* node = tree_.SelectedItem();
    const Task* task = node ? doc_->taskH().getTask(node->Key()) : nullptr;
    if (!task)
        return;
    const QDate shown = hasDueDate(task->DateDue) ? task->DateDue.date() : Clock::now().date();
    const auto choice = Dialogs::date(this, QStringLiteral("Set Due Date"), shown);
    if (!choice)
        return;
    if (!choice->day) {
        MENU_RemoveCalDate_Click();
        return;
    }
    const QDate day = *choice->day;
    CalendarGrid_DblClick(day.year(), day.month() - 1, day.day(), QString());
}

void Ortolan::listDueDatesOnCalendar() {
    if (CalMan)
        CalMan->listDueDates(doc_->taskH());
}

} // namespace ortolan
