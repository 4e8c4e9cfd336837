#pragma once

#include <optional>
#include <QDateTime>
#include <QString>

namespace ortolan {

// Due dates are plain calendar values (no time zone). An invalid QDateTime, or the old
// zero date 30 December 1899 00:00, means "no due date".
bool hasDueDate(const QDateTime& due);

// A due date from a calendar day and time of day, independent of the machine's time zone.
QDateTime makeDueDate(const QDate& date, const QTime& time = QTime(0, 0));

// The file's form, always in US conventions: "12:00:00 AM" for no date, "12/5/2026" for a
// date at midnight, "12/5/2026 3:07:09 PM" with a time of day.
QString formatDueDate(const QDateTime& due);

// Reads what formatDueDate writes, plus a few forms other programs write (24-hour times,
// ISO dates). Empty and "12:00:00 AM" read as no due date; nullopt means unreadable.
std::optional<QDateTime> parseDueDate(const QString& text);

} // namespace ortolan
