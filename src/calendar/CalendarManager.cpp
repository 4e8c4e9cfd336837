#include "calendar/CalendarManager.h"

#include "calendar/CalendarGrid.h"
#include "model/DueDate.h"
#include "model/Task.h"
#include "model/TaskHandler.h"

#include <QSize>

namespace ortolan {

QString CalendarManager::taskLine(const QString& taskName) {
    return QStringLiteral("-") + taskName + QStringLiteral("\r\n");
}

void CalendarManager::ShowNextMonth() {
    if (grid->Month() == 12) {
        grid->setYear(grid->year() + 1);
        grid->setMonth(1);
    } else {
        grid->setMonth(grid->Month() + 1);
    }
}

void CalendarManager::ShowPreviousMonth() {
    if (grid->Month() == 1) {
        grid->setYear(grid->year() - 1);
        grid->setMonth(12);
    } else {
        grid->setMonth(grid->Month() - 1);
    }
}

void CalendarManager::AssignFromClick(Task& t, int iDay, int iMonth, int iYear) {
    const QString line = taskLine(t.TaskName);
    if (hasDueDate(t.DateDue)) {
        const QDate old = t.DateDue.date();
        QString text = grid->GetText(old.year(), old.month(), old.day());
        text.remove(line); // every copy, exact case
        grid->setMonth(old.month());
        grid->setYear(old.year());
        grid->SetText(old.day(), text);
        grid->setMonth(iMonth + 1);
        grid->setYear(iYear);
    }
    const QDate due = QDate(iYear, 1, 1).addMonths(iMonth).addDays(iDay - 1);
    t.DateDue = makeDueDate(due);
    const QString text = GetDateText(t.DateDue) + line;
    // A real click is always on a day of the month shown; a rolled-over date is shown too.
    grid->setMonth(due.month());
    grid->setYear(due.year());
    grid->SetText(due.day(), text);
    taskLines_[due].insert(line);
}

void CalendarManager::SetDateText(const QString& theText, const QDateTime& date) {
    const QDate d = date.date();
    const QString text = grid->GetText(d.year(), d.month(), d.day());
    grid->setMonth(d.month());
    grid->setYear(d.year());
    grid->SetText(d.day(), text + theText + QStringLiteral("\r\n"));
}

QString CalendarManager::GetDateText(const QDateTime& date) const {
    const QDate d = date.date();
    return grid->GetText(d.year(), d.month(), d.day());
}

void CalendarManager::RefreshCalendar() {
    if (grid)
        grid->update();
}

void CalendarManager::ResizeCalendar(const QSize& size) {
    if (grid)
        grid->resize(size);
}

void CalendarManager::ShowDate(const QDate& date) {
    if (!date.isValid())
        return;
    grid->setYear(date.year());
    grid->setMonth(date.month());
}

void CalendarManager::RemoveDateText(const QDateTime& date, const QString& name) {
    if (!hasDueDate(date))
        return;
    const QDate d = date.date();
    QString text = grid->GetText(d.year(), d.month(), d.day());
    text.remove(taskLine(name));
    writeKeepingMonth(d, text);
}

void CalendarManager::addTaskLine(const QDateTime& due, const QString& name) {
    if (!hasDueDate(due))
        return;
    const QDate d = due.date();
    const QString line = taskLine(name);
    writeKeepingMonth(d, grid->GetText(d.year(), d.month(), d.day()) + line);
    taskLines_[d].insert(line);
}

void CalendarManager::removeTaskLine(const QDateTime& due, const QString& name) {
    if (!hasDueDate(due))
        return;
    const QDate d = due.date();
    const QString line = taskLine(name);
    QString text = grid->GetText(d.year(), d.month(), d.day());
    const qsizetype at = text.indexOf(line);
    if (at < 0)
        return;
    writeKeepingMonth(d, text.remove(at, line.size()));
}

void CalendarManager::listDueDates(const TaskHandler& tasks) {
    for (auto day = taskLines_.cbegin(); day != taskLines_.cend(); ++day) {
        QString text = grid->GetText(day.key().year(), day.key().month(), day.key().day());
        for (const QString& line : day.value())
            text.remove(line);
        writeKeepingMonth(day.key(), text);
    }
    taskLines_.clear();
    for (const Task* t = tasks.headTask(); t; t = t->NextTask())
        addTaskLine(t->DateDue, t->TaskName);
}

void CalendarManager::writeKeepingMonth(const QDate& date, const QString& text) {
    const int month = grid->Month();
    const int year = grid->year();
    grid->setMonth(date.month());
    grid->setYear(date.year());
    grid->SetText(date.day(), text);
    grid->setYear(year);
    grid->setMonth(month);
}

} // namespace ortolan
