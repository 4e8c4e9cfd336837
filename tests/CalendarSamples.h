#pragma once

// iCalendar text for the tests, built from its parts.

#include <QByteArray>

namespace ortolan::test {

inline QByteArray calendar(const QByteArray& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n" + body + "END:VCALENDAR\r\n";
}

// An event with a start line ("DTSTART...") and a summary; extra lines end with CRLF.
inline QByteArray vevent(const QByteArray& start, const QByteArray& summary, const QByteArray& extra = {}) {
    return "BEGIN:VEVENT\r\nUID:" + summary.toHex() + "\r\n" + start + "\r\nSUMMARY:" + summary + "\r\n" + extra +
           "END:VEVENT\r\n";
}

inline QByteArray vtodo(const QByteArray& summary) {
    return "BEGIN:VTODO\r\nUID:t" + summary.toHex() + "\r\nSUMMARY:" + summary + "\r\nEND:VTODO\r\n";
}

} // namespace ortolan::test
