#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace ortolan {

// The appointments and tasks the program takes from a calendar source: iCalendar data, read from
// an .ics file or from the http:// or https:// address of a published calendar.

struct Appointment {
    QDateTime start; // local time; for an all-day appointment, the start of its day
    bool allDay = false;
    QString text; // the appointment's summary
};

// A to-do with what a task keeps of it.
struct CalendarTodo {
    QString uid;
    QString summary;
    QString description;
    QString categories; // the CATEGORIES values, joined by ","
    bool completed = false;
    QDateTime due; // a plain calendar value, invalid for none
    QString parentUid; // RELATED-TO with RELTYPE=PARENT (the default relation)
    // What Ortolan's own export adds: the name as stored when the summary shows a formula's
    // result, a status other than the two iCalendar knows, and the icon.
    std::optional<QString> storedName;
    std::optional<QString> categoryText; // the categories as the list wrote them
    std::optional<QString> status;
    std::optional<QString> icon;
};

struct CalendarItems {
    QList<Appointment> appointments; // one per event, in the source's order
    QStringList tasks;               // the summary of each to-do, in the source's order
    QList<CalendarTodo> todos;       // each to-do whole, in the same order
    int skipped = 0;                 // events without a readable start
};

struct CalendarRead {
    bool ok = false;
    CalendarItems items;
    QString error;  // why the source could not be read or parsed
    QString damage; // read, but not whole: a calendar cut short, lines cut at their limit
};

// Whether source names an address rather than a file.
bool isCalendarAddress(const QString& source);

// The items of iCalendar text, in time and memory that grow with its size. Fails when the text
// holds no calendar at all; a calendar with faults, or cut short, gives the items that could be
// read, and says what was wrong in damage. A line longer than 64 KiB is cut there.
CalendarRead parseICalendar(const QByteArray& text);

namespace net {
class Transfer;
}

// How long reading a calendar from an address may take in all, by default.
inline constexpr int kCalendarSeconds = 30;

// Reads the source, a file or an address, and parses it. With a transfer given, the work runs
// on a thread of its own while the caller's events go on, and the transfer can cancel it; an
// address that takes longer than totalSeconds in all fails with the reason.
CalendarRead readCalendarSource(const QString& source, net::Transfer* transfer = nullptr,
                                int totalSeconds = kCalendarSeconds);

// Whether the source can be read now and holds a calendar.
bool isObjectAvailable(const QString& source);

// The calendar's text for an appointment: "hh.nn: " and its summary, or the summary alone for
// an all-day appointment.
QString appointmentText(const Appointment& appointment);

} // namespace ortolan
