#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace ortolan {

inline const QString kStatusIncomplete = QStringLiteral("INCOMPLETE");
inline const QString kStatusComplete = QStringLiteral("COMPLETE");
inline const QString kRootID = QStringLiteral("Root");
// A task whose name holds this is never saved, nor anything below it.
inline const QString kNotSavedMark = QStringLiteral("[NOT SAVED]");

class TaskHandler;

// One task's data. The tree holds the task's place; this record holds everything else and
// is found again through the registry by ID. The chain links belong to the registry.
class Task {
public:
    QString TaskName;
    QString Description;
    QString ID;
    QString Status;         // "INCOMPLETE", "COMPLETE", empty, or whatever a file held
    QDateTime DateDue;      // invalid: no due date (see DueDate.h)
    QString CategoryString; // comma-separated category names, kept verbatim
    float Completed = 0.0f;
    qint32 TimeNeededToComplete = 0;
    qint32 TimeSpentSoFar = 0;
    qint16 IconIndex = 0;

    Task* NextTask() const { return next_; }
    Task* PreviousTask() const { return previous_; }

    // Nothing fills categories as an array; kept so the record offers what it always offered.
    QStringList getCategoryArray() const { return {}; }

private:
    friend class TaskHandler;
    Task* next_ = nullptr;
    Task* previous_ = nullptr;
    Task* nextSameID_ = nullptr; // later record with the same ID, for lookups
};

// The fields of a task the user edits, apart from its record.
struct TaskFields {
    QString name;
    QString description;
    QString categories;
    QString status;
    QDateTime due;
    qint16 icon = 0;

    static TaskFields of(const Task& task) {
        return {task.TaskName, task.Description, task.CategoryString, task.Status, task.DateDue, task.IconIndex};
    }
    void applyTo(Task& task) const {
        task.TaskName = name;
        task.Description = description;
        task.CategoryString = categories;
        task.Status = status;
        task.DateDue = due;
        task.IconIndex = icon;
    }
    bool operator==(const TaskFields&) const = default;
};

} // namespace ortolan
