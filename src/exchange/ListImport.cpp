#include "exchange/ListImport.h"

#include "model/DueDate.h"
#include "outlook/CalendarSource.h"

#include <limits>
#include <QHash>
#include <QXmlStreamReader>
#include <vector>

namespace ortolan {

namespace {

// An icon number as a file keeps it; nullopt when the text is not one.
std::optional<qint16> iconFrom(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(n);
}

QString tasksText(int n) {
    return n == 1 ? QStringLiteral("1 task") : QStringLiteral("%1 tasks").arg(n);
}

// ---- OPML ----

// An outline's task: its text (or title, as some outliners write it) and the attributes our own
// export adds. A value that cannot be read is counted in badValues and left empty.
TaskFields outlineFields(const QXmlStreamAttributes& a, int& badValues) {
    TaskFields f;
    const auto text = [&](const char* name) { return a.value(QLatin1String(name)).toString(); };
    const auto has = [&](const char* name) { return a.hasAttribute(QLatin1String(name)); };
    f.name = has("text") ? text("text") : text("title");
    f.description = text("_note");
    f.status = has("_status") ? text("_status") : kStatusIncomplete;
    f.categories = text("_categories");
    if (has("_due")) {
        if (auto due = parseDueDate(text("_due")))
            f.due = *due;
        else
            ++badValues;
    }
    if (has("_icon")) {
        if (auto icon = iconFrom(text("_icon")))
            f.icon = *icon;
        else
            ++badValues;
    }
    return f;
}

ImportedTasks fromOpml(const QByteArray& bytes) {
    ImportedTasks r;
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("opml")) {
        r.error = QStringLiteral("The file is XML but not OPML: it does not begin with an <opml> element.");
        return r;
    }
    r.ok = true;
    std::vector<int> open; // the outlines being read, innermost last
    bool inBody = false;
    int badValues = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("body")) {
                inBody = true;
            } else if (inBody && xml.name() == QLatin1String("outline")) {
                FragmentTask t{outlineFields(xml.attributes(), badValues), open.empty() ? -1 : open.back()};
                open.push_back(int(r.tasks.size()));
                r.tasks.push_back(std::move(t));
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == QLatin1String("outline") && inBody && !open.empty())
                open.pop_back();
            else if (xml.name() == QLatin1String("body"))
                inBody = false;
        }
    }
    if (xml.hasError())
        r.problems << QStringLiteral("The file is damaged at line %1 (%2); the %3 before it were imported, "
                                     "the rest could not be read.")
                          .arg(xml.lineNumber())
                          .arg(xml.errorString(), tasksText(int(r.tasks.size())));
    if (badValues > 0)
        r.problems << QStringLiteral("%1 due date(s) or icon(s) could not be read and were left empty.").arg(badValues);
    return r;
}

// ---- iCalendar ----

ImportedTasks fromICalendar(const QByteArray& bytes) {
    ImportedTasks r;
    const CalendarRead read = parseICalendar(bytes);
    if (!read.ok) {
        r.error = QStringLiteral("The iCalendar file could not be read: ") + read.error;
        return r;
    }
    r.ok = true;
    if (!read.damage.isEmpty())
        r.problems << read.damage;
    const QList<CalendarTodo>& todos = read.items.todos;
    const int n = int(todos.size());
    QHash<QString, int> byUid;
    byUid.reserve(n);
    for (int i = 0; i < n; ++i)
        if (!todos[i].uid.isEmpty())
            byUid.insert(todos[i].uid, i); // a UID given twice: the parent is the last with it
    // Each to-do's parent among them; a missing parent or a cycle puts it at the top.
    std::vector<int> parent(size_t(n), -1);
    int missing = 0;
    for (int i = 0; i < n; ++i) {
        if (todos[i].parentUid.isEmpty())
            continue;
        const int p = byUid.value(todos[i].parentUid, -1);
        if (p < 0)
            ++missing;
        else
            parent[size_t(i)] = p;
    }
    // Following parents from a to-do either reaches the top or goes round a cycle; each cycle
    // is found once, its members marked by the walk that found it.
    std::vector<int> walkOf(size_t(n), -1);
    int inCycle = 0;
    for (int start = 0; start < n; ++start) {
        int at = start;
        while (at >= 0 && walkOf[size_t(at)] < 0) {
            walkOf[size_t(at)] = start;
            at = parent[size_t(at)];
        }
        if (at >= 0 && walkOf[size_t(at)] == start) {
            // at lies on a cycle found by this walk: every member goes to the top
            std::vector<int> members{at};
            for (int m = parent[size_t(at)]; m != at; m = parent[size_t(m)])
                members.push_back(m);
            for (int m : members)
                parent[size_t(m)] = -1;
            inCycle += int(members.size());
        }
    }
    // Tree order: each to-do after its parent, siblings in the file's order.
    std::vector<std::vector<int>> children(static_cast<size_t>(n));
    std::vector<int> roots;
    for (int i = 0; i < n; ++i)
        (parent[size_t(i)] < 0 ? roots : children[size_t(parent[size_t(i)])]).push_back(i);
    std::vector<std::pair<int, int>> pending; // to-do, its place in r.tasks' parent
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        pending.emplace_back(*it, -1);
    int badValues = 0;
    r.tasks.reserve(size_t(n));
    while (!pending.empty()) {
        const auto [i, parentAt] = pending.back();
        pending.pop_back();
        const CalendarTodo& todo = todos[i];
        FragmentTask t;
        t.fields.name = todo.storedName.value_or(todo.summary);
        t.fields.description = todo.description;
        t.fields.categories = todo.categoryText.value_or(todo.categories);
        t.fields.status = todo.status.value_or(todo.completed ? kStatusComplete : kStatusIncomplete);
        t.fields.due = todo.due;
        if (todo.icon) {
            if (auto icon = iconFrom(*todo.icon))
                t.fields.icon = *icon;
            else
                ++badValues;
        }
        t.parent = parentAt;
        const int at = int(r.tasks.size());
        r.tasks.push_back(std::move(t));
        const std::vector<int>& kids = children[size_t(i)];
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            pending.emplace_back(*it, at);
    }
    if (missing > 0)
        r.problems << QStringLiteral("%1 named a parent that is not in the file; they were put at the top.")
                          .arg(tasksText(missing));
    if (inCycle > 0)
        r.problems << QStringLiteral("%1 were each other's parents (a cycle of RELATED-TO); they were put at the top.")
                          .arg(tasksText(inCycle));
    if (badValues > 0)
        r.problems << QStringLiteral("%1 icon(s) could not be read and were left empty.").arg(badValues);
    if (n == 0)
        r.problems << QStringLiteral("The calendar holds no to-dos.");
    return r;
}

} // namespace

ImportedTasks importTasks(const QByteArray& bytes) {
    QByteArray start = bytes.left(4096);
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    start = start.trimmed();
    if (start.toUpper().startsWith("BEGIN:VCALENDAR"))
        return fromICalendar(bytes);
    if (start.startsWith('<'))
        return fromOpml(bytes);
    ImportedTasks r;
    r.error = QStringLiteral("The file is neither OPML nor iCalendar.");
    return r;
}

QString importReport(const ImportedTasks& imported) {
    QString text = QStringLiteral("Imported %1.").arg(tasksText(int(imported.tasks.size())));
    for (const QString& p : imported.problems)
        text += QLatin1Char(' ') + p;
    return text;
}

} // namespace ortolan
