#include "exchange/ListExport.h"

#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"

#include <libical/ical.h>
#include <cstdlib>
#include <memory>
#include <QCryptographicHash>
#include <QXmlStreamWriter>

namespace ortolan {

namespace {

bool isCompleted(const Task& task) {
    return task.Status == kStatusComplete;
}

// ---- iCalendar ----

struct IcalFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

// A property of our own. Readers split unknown properties' values at commas, whatever the
// escaping, so the value goes percent-encoded: letters, digits and "-._~%" only.
icalproperty* xProperty(const char* name, const QString& value) {
    icalproperty* p = icalproperty_new_x(value.toUtf8().toPercentEncoding().constData());
    icalproperty_set_x_name(p, name);
    return p;
}

QByteArray icalText(char* owned) {
    QByteArray text(owned);
    free(owned);
    return text;
}

icaltimetype icalDue(const QDateTime& due) {
    icaltimetype t = icaltime_null_time();
    const QDate d = due.date();
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    if (due.time() == QTime(0, 0)) {
        t.is_date = 1;
    } else {
        t.hour = due.time().hour();
        t.minute = due.time().minute();
        t.second = due.time().second();
    }
    return t;
}

// The to-do of a task, its parent's UID given for a task below another.
icalcomponent* todoFor(const ExportRow& row, const QByteArray& uid, const QByteArray& parentUid, icaltimetype stamp) {
    const Task& task = *row.task;
    icalcomponent* t = icalcomponent_new(ICAL_VTODO_COMPONENT);
    const auto add = [t](icalproperty* p) { icalcomponent_add_property(t, p); };
    add(icalproperty_new_uid(uid.constData()));
    add(icalproperty_new_dtstamp(stamp));
    if (!row.node->Text().isEmpty()) // an empty value is an error to readers
        add(icalproperty_new_summary(row.node->Text().toUtf8().constData()));
    if (row.node->Text() != task.TaskName && !task.TaskName.isEmpty())
        add(xProperty("X-ORTOLAN-NAME", task.TaskName)); // a formula, as stored
    if (!task.Description.isEmpty())
        add(icalproperty_new_description(task.Description.toUtf8().constData()));
    if (!task.CategoryString.isEmpty()) {
        // One property per category, so calendar programs see each. Readers drop the spaces
        // around the names; a list that has them keeps its own text beside.
        QStringList names = task.CategoryString.split(QLatin1Char(','));
        for (QString& name : names) {
            name = name.trimmed();
            if (!name.isEmpty())
                add(icalproperty_new_categories(name.toUtf8().constData()));
        }
        if (names.join(QLatin1Char(',')) != task.CategoryString)
            add(xProperty("X-ORTOLAN-CATEGORIES", task.CategoryString));
    }
    add(icalproperty_new_status(isCompleted(task) ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION));
    if (!isCompleted(task) && task.Status != kStatusIncomplete)
        add(xProperty("X-ORTOLAN-STATUS", task.Status));
    if (hasDueDate(task.DateDue))
        add(icalproperty_new_due(icalDue(task.DateDue)));
    if (task.IconIndex != 0)
        add(xProperty("X-ORTOLAN-ICON", QString::number(task.IconIndex)));
    if (!parentUid.isEmpty()) {
        icalproperty* related = icalproperty_new_relatedto(parentUid.constData());
        icalproperty_add_parameter(related, icalparameter_new_reltype(ICAL_RELTYPE_PARENT));
        add(related);
    }
    return t;
}

QByteArray toICalendar(const TaskTree& tree, const TaskHandler& th) {
    icalerror_set_errors_are_fatal(0);
    // One calendar, written a to-do at a time: libical's writing of a whole calendar copies its
    // text over and over as it grows.
    const QString title = listTitle(tree, th);
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Ortolan//Ortolan 0.9.0//EN\r\n";
    {
        // The calendar's name is read by other programs: plain text.
        std::unique_ptr<icalproperty, void (*)(icalproperty*)> name(icalproperty_new(ICAL_X_PROPERTY),
                                                                   icalproperty_free);
        icalproperty_set_x_name(name.get(), "X-WR-CALNAME");
        icalproperty_set_value(name.get(), icalvalue_new_text(title.toUtf8().constData()));
        out += icalText(icalproperty_as_ical_string_r(name.get()));
    }
    const std::vector<ExportRow> rows = exportRows(tree, th);
    // UIDs that stay the same from one export of the list to the next, and differ between lists.
    const QByteArray listId =
        QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    auto uidOf = [&](const ExportRow& row) { return row.node->Key().toUtf8() + '-' + listId + "@ortolan"; };
    const icaltimetype stamp = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
    for (const ExportRow& row : rows) {
        const std::unique_ptr<icalcomponent, IcalFree> todo(
            todoFor(row, uidOf(row), row.parent < 0 ? QByteArray() : uidOf(rows[size_t(row.parent)]), stamp));
        out += icalText(icalcomponent_as_ical_string_r(todo.get()));
    }
    out += "END:VCALENDAR\r\n";
    return out;
}

// ---- OPML ----

// XML 1.0 has no way to write most control characters, nor unpaired surrogates; each is written
// as U+FFFD, so the file stays one that every reader takes.
QString xmlSafe(const QString& text) {
    auto bad = [&](qsizetype i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20)
            return c != '\t' && c != '\n' && c != '\r';
        if (c == 0xFFFE || c == 0xFFFF)
            return true;
        if (QChar::isHighSurrogate(c))
            return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
        if (QChar::isLowSurrogate(c))
            return i == 0 || !text[i - 1].isHighSurrogate();
        return false;
    };
    qsizetype first = 0;
    while (first < text.size() && !bad(first))
        ++first;
    if (first == text.size())
        return text; // the usual case: nothing to change, nothing copied
    QString out = text.left(first);
    for (qsizetype i = first; i < text.size(); ++i)
        out += bad(i) ? QChar(QChar::ReplacementCharacter) : text[i];
    return out;
}

QByteArray toOpml(const TaskTree& tree, const TaskHandler& th) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("opml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("head"));
    xml.writeTextElement(QStringLiteral("title"), xmlSafe(listTitle(tree, th)));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("body"));
    const std::vector<ExportRow> rows = exportRows(tree, th);
    int depth = 0;
    for (const ExportRow& row : rows) {
        for (; depth >= row.depth; --depth)
            xml.writeEndElement();
        const Task& task = *row.task;
        xml.writeStartElement(QStringLiteral("outline"));
        xml.writeAttribute(QStringLiteral("text"), xmlSafe(task.TaskName));
        if (!task.Description.isEmpty())
            xml.writeAttribute(QStringLiteral("_note"), xmlSafe(task.Description));
        xml.writeAttribute(QStringLiteral("_status"), xmlSafe(task.Status));
        if (hasDueDate(task.DateDue))
            xml.writeAttribute(QStringLiteral("_due"), isoDueDate(task));
        if (!task.CategoryString.isEmpty())
            xml.writeAttribute(QStringLiteral("_categories"), xmlSafe(task.CategoryString));
        if (task.IconIndex != 0)
            xml.writeAttribute(QStringLiteral("_icon"), QString::number(task.IconIndex));
        depth = row.depth;
    }
    for (; depth > 0; --depth)
        xml.writeEndElement();
    xml.writeEndElement(); // body
    xml.writeEndElement(); // opml
    xml.writeEndDocument();
    return out;
}

// ---- Markdown ----

// Characters that would start emphasis, a link, a heading or HTML in a list item's text.
QString markdownEscaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (QStringLiteral("\\`*_[]<>#|").contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QByteArray toMarkdown(const TaskTree& tree, const TaskHandler& th) {
    QString out = QStringLiteral("# ") + markdownEscaped(listTitle(tree, th)) + QStringLiteral("\n\n");
    for (const ExportRow& row : exportRows(tree, th)) {
        const Task& task = *row.task;
        const QString indent(2 * (row.depth - 1), QLatin1Char(' '));
        QString line = indent + (isCompleted(task) ? QStringLiteral("- [x] ") : QStringLiteral("- [ ] "));
        // One line per task: line breaks in a name would end the item.
        line += markdownEscaped(row.node->Text()).replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (hasDueDate(task.DateDue))
            line += QStringLiteral(" \u00B7 due ") + isoDueDate(task);
        if (!task.CategoryString.isEmpty())
            line += QStringLiteral(" \u00B7 ") + markdownEscaped(task.CategoryString);
        out += line + QLatin1Char('\n');
        if (!task.Description.isEmpty()) {
            QString description = task.Description;
            description.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
            for (const QString& d : description.split(QLatin1Char('\n')))
                out += d.isEmpty() ? QStringLiteral("\n") : indent + QStringLiteral("  ") + markdownEscaped(d) + QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

// ---- CSV ----

// A field as RFC 4180 has it: quoted when it holds a comma, a quote or a line break, its
// quotes doubled.
QString csvField(const QString& value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\n')) &&
        !value.contains(QLatin1Char('\r')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray toCsv(const TaskTree& tree, const TaskHandler& th) {
    QString out = QStringLiteral("depth,path,name,shown,status,due,categories,icon,description\r\n");
    const std::vector<ExportRow> rows = exportRows(tree, th);
    std::vector<QString> paths(rows.size()); // each row's path, so its children's cost no walk up
    for (size_t i = 0; i < rows.size(); ++i) {
        const ExportRow& row = rows[i];
        const Task& task = *row.task;
        const QString path = row.parent < 0 ? QString() : paths[size_t(row.parent)];
        paths[i] = path.isEmpty() ? task.TaskName : path + QStringLiteral(" / ") + task.TaskName;
        const QStringList fields = {QString::number(row.depth), csvField(path), csvField(task.TaskName),
                                    csvField(row.node->Text()), csvField(task.Status), isoDueDate(task),
                                    csvField(task.CategoryString), QString::number(task.IconIndex),
                                    csvField(task.Description)};
        out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

} // namespace

std::optional<ExportFormat> exportFormatFromName(const QString& name) {
    const QString n = name.toLower();
    if (n == QLatin1String("ics"))
        return ExportFormat::ICalendar;
    if (n == QLatin1String("opml"))
        return ExportFormat::Opml;
    if (n == QLatin1String("md"))
        return ExportFormat::Markdown;
    if (n == QLatin1String("csv"))
        return ExportFormat::Csv;
    return std::nullopt;
}

QString exportSuffix(ExportFormat format) {
    switch (format) {
    case ExportFormat::ICalendar:
        return QStringLiteral("ics");
    case ExportFormat::Opml:
        return QStringLiteral("opml");
    case ExportFormat::Markdown:
        return QStringLiteral("md");
    case ExportFormat::Csv:
        return QStringLiteral("csv");
    }
    return {};
}

QString listTitle(const TaskTree& tree, const TaskHandler& th) {
    const TreeNode* top = tree.Item(kRootID);
    const Task* task = top ? th.taskOf(top) : nullptr;
    return task ? task->TaskName : top ? top->Text() : QString();
}

std::vector<ExportRow> exportRows(const TaskTree& tree, const TaskHandler& th, const TreeNode* branch) {
    std::vector<ExportRow> rows;
    rows.reserve(size_t(tree.Count()));
    // Depth first without recursion: any depth a file holds is exported.
    std::vector<ExportRow> pending;
    if (branch) {
        pending.push_back(ExportRow{branch, nullptr, 1, -1});
    } else if (const TreeNode* top = tree.Item(kRootID)) {
        for (int c = top->Children() - 1; c >= 0; --c)
            pending.push_back(ExportRow{top->childAt(c), nullptr, 1, -1});
    }
    while (!pending.empty()) {
        ExportRow row = pending.back();
        pending.pop_back();
        row.task = th.taskOf(row.node);
        if (!row.task || row.task->TaskName.contains(kNotSavedMark))
            continue;
        const int at = int(rows.size());
        rows.push_back(row);
        for (int c = row.node->Children() - 1; c >= 0; --c)
            pending.push_back(ExportRow{row.node->childAt(c), nullptr, row.depth + 1, at});
    }
    return rows;
}

QString isoDueDate(const Task& task) {
    if (!hasDueDate(task.DateDue))
        return {};
    const QDateTime& due = task.DateDue;
    return due.time() == QTime(0, 0) ? due.date().toString(Qt::ISODate)
                                     : due.date().toString(Qt::ISODate) + QLatin1Char('T') +
                                           due.time().toString(QStringLiteral("HH:mm:ss"));
}

QString exportFormatName(ExportFormat format) {
    switch (format) {
    case ExportFormat::ICalendar:
        return QStringLiteral("iCalendar");
    case ExportFormat::Opml:
        return QStringLiteral("OPML");
    case ExportFormat::Markdown:
        return QStringLiteral("Markdown");
    case ExportFormat::Csv:
        return QStringLiteral("CSV");
    }
    return {};
}

QByteArray exportList(const TaskTree& tree, const TaskHandler& th, ExportFormat format) {
    switch (format) {
    case ExportFormat::ICalendar:
        return toICalendar(tree, th);
    case ExportFormat::Opml:
        return toOpml(tree, th);
    case ExportFormat::Markdown:
        return toMarkdown(tree, th);
    case ExportFormat::Csv:
        return toCsv(tree, th);
    }
    return {};
}

} // namespace ortolan
