#include "CalendarSource.h"

#include "net/Curl.h"
#include "net/Transfer.h"

#include <libical/ical.h>
#include <algorithm>
#include <memory>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <vector>

namespace ortolan {

namespace {

// Frees a component with everything inside it, innermost first. libical's own free goes down
// the nesting by recursion, which a calendar nested a million deep takes past the end of the
// stack; taking each inner component out before freeing keeps that free to one level.
struct ComponentFree {
    void operator()(icalcomponent* root) const {
        std::vector<icalcomponent*> open{root};
        while (!open.empty()) {
            icalcomponent* c = open.back();
            if (icalcomponent* inner = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT)) {
                icalcomponent_remove_component(c, inner);
                open.push_back(inner);
            } else {
                open.pop_back();
                icalcomponent_free(c);
            }
        }
    }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

QString summaryOf(icalcomponent* item) {
    const char* summary = icalcomponent_get_summary(item);
    return summary ? QString::fromUtf8(summary) : QString();
}

// The event's start in local time: a start in UTC or in a named time zone is converted, a
// floating start is taken as local already, a date starts the day. Nothing when unreadable.
std::optional<Appointment> appointmentOf(icalcomponent* event) {
    const icalproperty* dtstart = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!dtstart)
        return std::nullopt;
    icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start))
        return std::nullopt;
    Appointment a;
    a.text = summaryOf(event);
    a.allDay = start.is_date != 0;
    if (!a.allDay && start.zone)
        start = icaltime_convert_to_zone(start, icaltimezone_get_utc_timezone());
    const QDate date(start.year, start.month, start.day);
    const QTime time = a.allDay ? QTime(0, 0) : QTime(start.hour, start.minute, start.second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    a.start = (!a.allDay && start.zone) ? QDateTime(date, time, Qt::UTC).toLocalTime()
                                         : QDateTime(date, time, Qt::LocalTime);
    return a;
}

QString textOf(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

// The value of one of Ortolan's own properties, which go percent-encoded.
QString valueText(icalproperty* p) {
    const char* raw = icalproperty_get_x(p);
    return raw ? QString::fromUtf8(QByteArray::fromPercentEncoding(raw)) : QString();
}

CalendarTodo todoOf(icalcomponent* todo) {
    CalendarTodo t;
    t.uid = textOf(icalcomponent_get_uid(todo));
    t.summary = summaryOf(todo);
    t.description = textOf(icalcomponent_get_description(todo));
    t.completed = icalcomponent_get_status(todo) == ICAL_STATUS_COMPLETED;
    QStringList categories;
    for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(todo, ICAL_CATEGORIES_PROPERTY))
        categories << textOf(icalproperty_get_categories(p));
    t.categories = categories.join(QLatin1Char(','));
    if (icalcomponent_get_first_property(todo, ICAL_DUE_PROPERTY)) {
        const icaltimetype due = icalcomponent_get_due(todo);
        if (!icaltime_is_null_time(due) && icaltime_is_valid_time(due)) {
            const QDate date(due.year, due.month, due.day);
            const QTime time = due.is_date ? QTime(0, 0) : QTime(due.hour, due.minute, due.second);
            // A time in UTC is due at the local time it stands for; any other is taken as written.
            t.due = icaltime_is_utc(due) ? QDateTime(date, time, Qt::UTC).toLocalTime() : QDateTime(date, time);
        }
    }
    for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_RELATEDTO_PROPERTY); p;
         p = icalcomponent_get_next_property(todo, ICAL_RELATEDTO_PROPERTY)) {
        const icalparameter* type = icalproperty_get_first_parameter(p, ICAL_RELTYPE_PARAMETER);
        if (!type || icalparameter_get_reltype(type) == ICAL_RELTYPE_PARENT) {
            t.parentUid = textOf(icalproperty_get_relatedto(p));
            break;
        }
    }
    for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(todo, ICAL_X_PROPERTY)) {
        const QByteArray name = QByteArray(icalproperty_get_x_name(p)).toUpper();
        if (name == "X-ORTOLAN-NAME")
            t.storedName = valueText(p);
        else if (name == "X-ORTOLAN-STATUS")
            t.status = valueText(p);
        else if (name == "X-ORTOLAN-CATEGORIES")
            t.categoryText = valueText(p);
        else if (name == "X-ORTOLAN-ICON")
            t.icon = valueText(p);
    }
    return t;
}

void collectOne(icalcomponent* c, CalendarItems& items) {
    switch (icalcomponent_isa(c)) {
    case ICAL_VEVENT_COMPONENT:
        if (auto a = appointmentOf(c))
            items.appointments << *a;
        else
            ++items.skipped;
        break;
    case ICAL_VTODO_COMPONENT:
        items.tasks << summaryOf(c);
        items.todos << todoOf(c);
        break;
    default:
        break;
    }
}

// A property longer than this is cut: no summary a person reads is longer, and libical's
// reading of a line takes time that grows with the square of its length.
constexpr qsizetype kMostPropertyBytes = 64 * 1024;

// The text with folded lines joined ("\r\n" or "\n" followed by a space or a tab continues a
// line), each line ending in "\r\n" and cut at kMostPropertyBytes, at a character's start.
QByteArray unfold(const QByteArray& text, int* cutLines) {
    QByteArray out;
    out.reserve(text.size() + 2);
    qsizetype lineStart = 0; // where the logical line being written began in out
    bool cut = false;
    bool any = false;
    const char* p = text.constData();
    const qsizetype n = text.size();
    qsizetype at = 0;
    while (at < n) {
        qsizetype end = at;
        while (end < n && p[end] != '\n')
            ++end;
        qsizetype length = end - at;
        if (length > 0 && p[at + length - 1] == '\r')
            --length;
        const bool continues = any && length > 0 && (p[at] == ' ' || p[at] == '\t');
        qsizetype from = at;
        if (continues) {
            out.chop(2); // the previous line's break
            ++from;
            --length;
        } else {
            lineStart = out.size();
            cut = false;
        }
        qsizetype room = kMostPropertyBytes - (out.size() - lineStart);
        if (length > room) {
            // back to the start of a UTF-8 character
            while (room > 0 && (static_cast<unsigned char>(p[from + room]) & 0xC0) == 0x80)
                --room;
            if (!cut)
                ++*cutLines;
            cut = true;
            length = std::max<qsizetype>(room, 0);
        }
        out.append(p + from, length);
        out.append("\r\n", 2);
        any = true;
        at = end + 1;
    }
    return out;
}

bool startsWithWord(QByteArrayView line, QByteArrayView word) {
    return line.size() >= word.size() && qstrnicmp(line.data(), word.data(), word.size()) == 0;
}

// What follows "BEGIN:" or "END:", upper case, spaces dropped.
QByteArray componentName(QByteArrayView line, qsizetype prefix) {
    return line.sliced(prefix).toByteArray().trimmed().toUpper();
}

struct Slice {
    qsizetype from;
    qsizetype to;
    bool timezone;
};

// Reads one calendar's components: its time zones first, into a calendar of their own, so
// that each event, read by itself and put into that calendar while it is looked at, finds
// the zones its times name.
void readComponents(const QByteArray& text, const QList<Slice>& slices, CalendarItems& items) {
    Component zones(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    for (const Slice& s : slices)
        if (s.timezone)
            if (icalcomponent* zone = icalparser_parse_string(QByteArray(text.constData() + s.from, s.to - s.from)))
                icalcomponent_add_component(zones.get(), zone);
    for (const Slice& s : slices) {
        if (s.timezone)
            continue;
        Component item(icalparser_parse_string(QByteArray(text.constData() + s.from, s.to - s.from)));
        if (!item)
            continue;
        icalcomponent_add_component(zones.get(), item.get());
        collectOne(item.get(), items);
        icalcomponent_remove_component(zones.get(), item.get());
    }
}

CalendarRead failure(const QString& error) {
    CalendarRead r;
    r.error = error;
    return r;
}

CalendarRead readCalendarFile(const QString& path) {
    QFile file(path);
    const QFileInfo info(path);
    if (!info.exists())
        return failure(QStringLiteral("The calendar file \"%1\" does not exist.").arg(path));
    if (!info.isFile())
        return failure(QStringLiteral("\"%1\" is not a calendar file.").arg(path));
    if (info.size() > net::kMaxDownloadBytes)
        return failure(QStringLiteral("The calendar file \"%1\" is too large.").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("Could not read \"%1\": %2").arg(path, file.errorString()));
    CalendarRead r = parseICalendar(file.readAll());
    if (!r.ok)
        r.error = QStringLiteral("\"%1\": %2").arg(path, r.error);
    return r;
}

} // namespace

bool isCalendarAddress(const QString& source) {
    return source.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           source.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

CalendarRead parseICalendar(const QByteArray& original) {
    icalerror_set_errors_are_fatal(0);
    int cutLines = 0;
    const QByteArray text = unfold(original, &cutLines);
    CalendarRead r;
    // Each calendar's events, to-dos and time zones are found here, line by line, and handed to
    // libical one at a time: the time then grows with the size of the text, however it is made.
    QList<Slice> slices;
    int depth = 0;
    bool inCalendar = false;
    qsizetype componentFrom = -1;
    QByteArray componentKind;
    int cutShort = 0; // components left open where the text ends
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype end = text.indexOf("\r\n", at);
        const QByteArrayView line(text.constData() + at, end - at);
        const qsizetype next = end + 2;
        if (startsWithWord(line, "BEGIN:")) {
            const QByteArray what = componentName(line, 6);
            if (depth == 0) {
                inCalendar = what == "VCALENDAR";
            } else if (depth == 1 && inCalendar && (what == "VEVENT" || what == "VTODO" || what == "VTIMEZONE")) {
                componentFrom = at;
                componentKind = what;
            }
            ++depth;
        } else if (startsWithWord(line, "END:") && depth > 0) {
            --depth;
            if (depth == 1 && componentFrom >= 0) {
                slices.append({componentFrom, next, componentKind == "VTIMEZONE"});
                componentFrom = -1;
            } else if (depth == 0 && inCalendar) {
                r.ok = true;
                readComponents(text, slices, r.items);
                slices.clear();
                inCalendar = false;
            }
        }
        at = next;
    }
    if (depth > 0 && inCalendar) {
        // Cut short: what was whole before the cut is read, the rest reported.
        r.ok = true;
        cutShort = componentFrom >= 0 ? 1 : 0;
        readComponents(text, slices, r.items);
        r.damage = QStringLiteral("The calendar is cut short: it ends before its last line.");
        if (cutShort)
            r.damage += QStringLiteral(" The item it ends in was left out.");
    }
    if (cutLines > 0) {
        if (!r.damage.isEmpty())
            r.damage += QLatin1Char(' ');
        r.damage += QStringLiteral("%1 line(s) longer than %2 KiB were cut short.")
                        .arg(cutLines)
                        .arg(kMostPropertyBytes / 1024);
    }
    if (!r.ok)
        r.error = QStringLiteral("no iCalendar data found.");
    return r;
}

namespace {

// Reads the source on the thread it is called on, reporting to transfer if given.
CalendarRead readNow(const QString& source, net::Transfer* transfer, int totalSeconds) {
    if (source.trimmed().isEmpty())
        return failure(QStringLiteral("No calendar source is set."));
    if (isCalendarAddress(source)) {
        const net::Fetched fetched = net::fetchUrl(source.trimmed(), 5, transfer, totalSeconds);
        if (!fetched.ok)
            return failure(fetched.error);
        CalendarRead r = parseICalendar(fetched.bytes);
        if (!r.ok)
            r.error = QStringLiteral("%1: %2").arg(net::addressToShow(source), r.error);
        return r;
    }
    const QUrl url(source);
    return readCalendarFile(url.isLocalFile() ? url.toLocalFile() : source);
}

} // namespace

CalendarRead readCalendarSource(const QString& source, net::Transfer* transfer, int totalSeconds) {
    if (!transfer)
        return readNow(source, nullptr, totalSeconds);
    CalendarRead read;
    transfer->run([&] { read = readNow(source, transfer, totalSeconds); });
    return read;
}

bool isObjectAvailable(const QString& source) {
    return readCalendarSource(source).ok;
}

QString appointmentText(const Appointment& appointment) {
    if (appointment.allDay)
        return appointment.text;
    return appointment.start.time().toString(QStringLiteral("hh.mm")) + QStringLiteral(": ") + appointment.text;
}

} // namespace ortolan
