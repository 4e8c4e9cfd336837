// Bringing in appointments and tasks from the calendar source: an iCalendar file, or the address
// of a published calendar, named by the "outlookSource" setting.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "calendar/CalendarGrid.h"
#include "calendar/CalendarManager.h"
#include "document/ListEdits.h"
#include "model/TaskHandler.h"
#include "outlook/CalendarSource.h"
#include "net/Curl.h"
#include "net/Transfer.h"
#include "settings/OTLFunctions.h"

#include <QAction>
#include <QMenuBar>
#include <QTimer>

namespace ortolan {

namespace {

const QString kSourceKey = QStringLiteral("outlookSource");
const QString kNotFound = QStringLiteral("Outlook application not found while trying to import Outlook data.");
const QString kImportedTasks = QStringLiteral("Outlook Tasks [NOT SAVED]");

} // namespace

QString Ortolan::calendarSource(bool mayAsk) {
    const QString source = readSetting(kSourceKey).trimmed();
    if (!source.isEmpty() || !mayAsk)
        return source;
    FileDialogRequest request;
    request.title = QStringLiteral("Choose a calendar file");
    request.filter = QStringLiteral("iCalendar files (*.ics)");
    request.defaultSuffix = QStringLiteral("ics");
    const auto chosen = Dialogs::fileName(this, request);
    if (!chosen || chosen->trimmed().isEmpty())
        return {};
    writeSetting(kSourceKey, *chosen);
    return *chosen;
}

CalendarRead Ortolan::readCalendarInBackground(const QString& source) {
    // The window stays drawn and can be closed, but takes no other command while it waits.
    const QString before = statusText();
    net::Transfer transfer;
    transfer_ = &transfer;
    centralWidget()->setEnabled(false);
    menuBar()->setEnabled(false);
    const QString reading = QStringLiteral("Reading the calendar source %1...").arg(net::addressToShow(source));
    setStatus(reading);
    QTimer progress;
    connect(&progress, &QTimer::timeout, this, [&] {
        setStatus(reading + QStringLiteral(" %1 KB").arg(transfer.received() / 1024));
    });
    progress.start(250);
    CalendarRead read = readCalendarSource(source, &transfer, calendarSeconds_);
    progress.stop();
    transfer_ = nullptr;
    centralWidget()->setEnabled(true);
    menuBar()->setEnabled(true);
    setStatus(before);
    return read;
}

std::optional<CalendarItems> Ortolan::readCalendar(const QString& source) {
    CalendarRead read = readCalendarInBackground(source);
    if (closing_ || closeAfterTransfer_) {
        if (closeAfterTransfer_)
            QTimer::singleShot(0, this, &QWidget::close);
        closeAfterTransfer_ = false;
        return std::nullopt;
    }
    // Why the source could not be read, or what was wrong with what it gave, goes to the
    // status line and the log.
    if (read.ok) {
        if (!read.damage.isEmpty()) {
            setStatus(read.damage);
            writeLog(QStringLiteral("The calendar source was read in part: ") + read.damage);
        }
        return std::move(read.items);
    }
    Dialogs::message(this, {kNotFound});
    setStatus(read.error);
    writeLog(QStringLiteral("The calendar source could not be read: ") + read.error);
    return std::nullopt;
}

void Ortolan::loadOutlookAppointments() {
    const auto items = readCalendar(calendarSource(false));
    if (!items)
        return;
    // Each entry turns the calendar to its month; the month shown before comes back afterwards.
    const QDate shown(CalMan->grid->year(), CalMan->grid->Month(), 1);
    // Read again (the dates turned off and on), the source adds only what is not shown yet; an
    // appointment the source holds twice is shown twice.
    QHash<QString, int> seen;
    for (const Appointment& appointment : items->appointments) {
        const QString key = appointment.start.toString(Qt::ISODate) + QLatin1Char('\n') + appointment.text;
        if (++seen[key] <= appointmentsShown_.value(key))
            continue;
        appointmentsShown_[key] = seen[key];
        SetCalDateText(appointment.start, appointmentText(appointment));
    }
    CalMan->ShowDate(shown);
}

void Ortolan::importOutlookTasks() {
    const auto items = readCalendar(calendarSource(false));
    if (!items)
        return;
    // A new task under the top one holds the to-dos, in the source's order, and the last is
    // selected: one step, and no change to the file, for the imported tasks are never saved.
    // The source is read-only: nothing is taken out of it.
    FragmentTasks imported;
    imported.push_back({{kImportedTasks, {}, {}, kStatusIncomplete, {}, 0}, -1});
    for (const QString& name : items->tasks)
        imported.push_back({{name, {}, {}, kStatusIncomplete, {}, 0}, 0});
    const QStringList keys =
        byHand([&] { return ListEdits(*doc_).insertTasks(kRootID, imported, QStringLiteral("Import Tasks"), false); });
    tree_.setSelectedItem(tree_.Item(keys.last()));
}

void Ortolan::MENU_InsertOutlook() {
    QAction* item = action(QStringLiteral("MENU_InsertOutlook"));
    // The item has toggled its check mark already when the user picked it.
    const bool wasChecked = !item->isChecked();
    if (wasChecked) {
        item->setChecked(false);
        writeSetting(QStringLiteral("loadOutlook"), false);
        Dialogs::message(
            this, {QStringLiteral("Next time you start the program, Outlook dates will not be inserted into your "
                                  "calendar.")});
        return;
    }
    if (calendarSource(true).isEmpty()) {
        item->setChecked(false); // no source chosen: the preference stays off
        return;
    }
    item->setChecked(true);
    writeSetting(QStringLiteral("loadOutlook"), true);
    Dialogs::message(this,
                     {QStringLiteral("When you start the program, Outlook ONE-TIME appointments will be added to your "
                                     "calendar. RECURRING APPOINTMENTS WILL NOT BE ADDED. Outlook dates will now be "
                                     "added...")});
    loadOutlookAppointments();
}

void Ortolan::MENU_CalendarSource() {
    const QString current = readSetting(kSourceKey).trimmed();
    // An address's user name and password are never shown; kept when the address is.
    const QString shown = net::addressToShow(current);
    InputRequest request;
    request.title = QStringLiteral("Calendar Source");
    request.label = QStringLiteral("Type the address of a published calendar (http:// or https://) or the path of an "
                                   ".ics file. Leave it empty to choose a file.");
    request.text = shown;
    const auto typed = Dialogs::input(this, request);
    if (!typed)
        return;
    QString source = typed->trimmed();
    if (source.isEmpty()) {
        FileDialogRequest files;
        files.title = QStringLiteral("Choose a calendar file");
        files.filter = QStringLiteral("iCalendar files (*.ics)");
        files.defaultSuffix = QStringLiteral("ics");
        const auto chosen = Dialogs::fileName(this, files);
        if (!chosen || chosen->trimmed().isEmpty())
            return;
        source = chosen->trimmed();
    }
    if (source == shown)
        source = current;
    if (source == current && !current.isEmpty())
        return;
    const CalendarRead read = readCalendarInBackground(source);
    if (closing_ || closeAfterTransfer_)
        return;
    if (!read.ok) {
        Dialogs::message(this, {QStringLiteral("This calendar source cannot be used, so the old one is kept.\n") +
                                    read.error,
                                QStringLiteral("Calendar Source"), PromptIcon::Warning});
        return;
    }
    writeSetting(kSourceKey, source);
    setStatus(QStringLiteral("Calendar source set to %1.").arg(net::addressToShow(source)));
}

void Ortolan::MENU_OutlookTasks() {
    if (calendarSource(true).isEmpty())
        return;
    importOutlookTasks();
}

} // namespace ortolan
