#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class QRect;
class QSize;

namespace ortolan {

class CalendarGrid;
class Task;
class TaskHandler;

// Everything the window does with the calendar goes through here; the month shown is the
// grid's own state. A task is listed on its day as one line, "-" and its name.
class CalendarManager : public QObject {
    Q_OBJECT
public:
    explicit CalendarManager(QObject* parent = nullptr) : QObject(parent) {}

    CalendarGrid* grid = nullptr;

    // The line that lists a task on its day.
    static QString taskLine(const QString& taskName);

    void ShowNextMonth();
    void ShowPreviousMonth();

    // Gives the task the clicked day as its due date and moves its line there. iMonth counts
    // from 0; a day or month past its end rolls over as date arithmetic does.
    void AssignFromClick(Task& t, int iDay, int iMonth, int iYear);

    // Adds a line to a date's text; the grid is left showing that date's month.
    void SetDateText(const QString& theText, const QDateTime& date);
    QString GetDateText(const QDateTime& date) const;

    void RefreshCalendar();
    void ResizeCalendar(const QSize& size);
    void ShowDate(const QDate& date);

    // Takes a task's line off the day of its due date; the month shown does not change.
    void RemoveDateText(const QDateTime& date, const QString& name);

    // One task's line on the day of its due date, put there or taken off (one copy: another
    // task of the same name may be due that day); the month shown does not change.
    void addTaskLine(const QDateTime& due, const QString& name);
    void removeTaskLine(const QDateTime& due, const QString& name);

    // Lists every task of a freshly loaded list that has a due date on its day, after taking
    // off the lines that tasks of the previous list put there. Other lines stay.
    void listDueDates(const TaskHandler& tasks);

private:
    void writeKeepingMonth(const QDate& date, const QString& text);

    QHash<QDate, QSet<QString>> taskLines_; // the task lines written, by day
};

} // namespace ortolan
