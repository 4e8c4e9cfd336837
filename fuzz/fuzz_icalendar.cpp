// Arbitrary bytes as iCalendar text, as a calendar file or address gives it.
#include "outlook/CalendarSource.h"

#include <cstddef>
#include <cstdint>

using namespace ortolan;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const CalendarRead read = parseICalendar(text);
    if (!read.ok && !read.items.appointments.isEmpty())
        __builtin_trap();
    for (const Appointment& a : read.items.appointments) {
        const QString shown = appointmentText(a);
        if (!shown.endsWith(a.text))
            __builtin_trap();
    }
    return 0;
}
