#include "CalendarSource.h"

#include "net/Curl.h"

#include <libical/ical.h>
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

void collect(icalcomponent* calendar, CalendarItems& items) {
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        switch (icalcomponent_isa(c)) {
        case ICAL_VEVENT_COMPONENT:
            if (auto a = appointmentOf(c))
                items.appointments << *a;
            else
                ++items.skipped;
            break;
        case ICAL_VTODO_COMPONENT:
            items.tasks << summaryOf(c);
            break;
        default:
            break;
        }
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

CalendarRead parseICalendar(const QByteArray& text) {
    icalerror_set_errors_are_fatal(0);
    Component root(icalparser_parse_string(text.constData()));
    if (!root)
        return failure(QStringLiteral("no iCalendar data found."));
    CalendarRead r;
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        r.ok = true;
        collect(root.get(), r.items);
    } else if (icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        // several calendars in one text
        for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); c;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
            r.ok = true;
            collect(c, r.items);
        }
    }
    if (!r.ok)
        r.error = QStringLiteral("no iCalendar data found.");
    return r;
}

CalendarRead readCalendarSource(const QString& source) {
    if (source.trimmed().isEmpty())
        return failure(QStringLiteral("No calendar source is set."));
    if (isCalendarAddress(source)) {
        const net::Fetched fetched = net::fetchUrl(source.trimmed());
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

bool isObjectAvailable(const QString& source) {
    return readCalendarSource(source).ok;
}

QString appointmentText(const Appointment& appointment) {
    if (appointment.allDay)
        return appointment.text;
    return appointment.start.time().toString(QStringLiteral("hh.mm")) + QStringLiteral(": ") + appointment.text;
}

} // namespace ortolan
