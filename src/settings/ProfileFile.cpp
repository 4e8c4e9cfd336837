#include "ProfileFile.h"

#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

namespace ortolan::ProfileFile {

namespace {

// How long a write waits for another program's write to finish.
constexpr int kLockWaitMs = 10000;

struct Line {
    QByteArray bytes; // as in the file, without its line break: written back unchanged
    QString text;     // the bytes as text
    QString name; // section name for a header, key name for a key line, else empty
    bool header = false;
};

Line parse(const QString& text, const QByteArray& bytes) {
    Line line{bytes, text, QString(), false};
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('['))) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close > 0) {
            line.header = true;
            line.name = t.mid(1, close - 1).trimmed();
        }
        return line;
    }
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq > 0)
        line.name = text.left(eq).trimmed();
    return line;
}

struct Content {
    QList<Line> lines;
    QByteArray eol = "\n";
    bool endsWithBreak = true;
    // A byte-order mark, which reading drops from the text: written back so that the file keeps
    // it, and so that text after it that looks like another one does not become one.
    bool byteOrderMark = false;
};

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

Line parse(const QString& text) {
    return parse(text, text.toUtf8());
}

Content parseText(const QByteArray& bytes) {
    Content c;
    c.byteOrderMark = bytes.startsWith(kByteOrderMark);
    const QByteArray body = c.byteOrderMark ? bytes.mid(3) : bytes;
    if (body.isEmpty())
        return c;
    if (body.contains("\r\n"))
        c.eol = "\r\n";
    c.endsWithBreak = body.endsWith('\n');
    QByteArrayList raw = body.split('\n');
    if (c.endsWithBreak)
        raw.removeLast();
    for (QByteArray& l : raw) {
        if (l.endsWith('\r'))
            l.chop(1);
        // A mark left at the start of a line is text, not a mark to drop.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        c.lines.append(parse(utf8(l), l));
    }
    return c;
}

Content load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Content();
    return parseText(file.readAll());
}

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the section's header line, or -1.
qsizetype findSection(const Content& c, const QString& section) {
    for (qsizetype i = 0; i < c.lines.size(); ++i)
        if (c.lines[i].header && same(c.lines[i].name, section))
            return i;
    return -1;
}

} // namespace

QString read(const QString& path, const QString& section, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return readFromText(file.readAll(), section, key);
}

QString readFromText(const QByteArray& bytes, const QString& section, const QString& key) {
    const Content c = parseText(bytes);
    const qsizetype header = findSection(c, section);
    if (header < 0)
        return QString();
    for (qsizetype i = header + 1; i < c.lines.size() && !c.lines[i].header; ++i) {
        const Line& l = c.lines[i];
        if (!l.name.isEmpty() && same(l.name, key)) {
            const QString value = l.text.mid(l.text.indexOf(QLatin1Char('=')) + 1).trimmed();
            return value.left(kMaxValueLength);
        }
    }
    return QString();
}

bool write(const QString& path, const QString& section, const QString& key, const QString& value) {
    // Two running copies of the program may change settings at the same moment. Each change
    // reads, edits and replaces the file while holding a lock beside it, so that neither undoes
    // the other's. Reading needs no lock: the file is always replaced whole.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        return false;
    Content c = load(path);
    QString safe = value;
    safe.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const Line entry = parse(key + QLatin1Char('=') + safe);

    qsizetype header = findSection(c, section);
    if (header < 0) {
        c.lines.append(parse(QLatin1Char('[') + section + QLatin1Char(']')));
        c.lines.append(entry);
    } else {
        qsizetype end = header + 1; // one past the section's last line
        qsizetype lastFilled = header;
        bool replaced = false;
        for (; end < c.lines.size() && !c.lines[end].header; ++end) {
            if (!c.lines[end].text.trimmed().isEmpty())
                lastFilled = end;
            if (!replaced && !c.lines[end].name.isEmpty() && same(c.lines[end].name, key)) {
                c.lines[end] = entry;
                replaced = true;
            }
        }
        if (!replaced)
            c.lines.insert(lastFilled + 1, entry); // after the section's last entry, before blank lines
    }

    QByteArray bytes = c.byteOrderMark ? QByteArray(kByteOrderMark) : QByteArray();
    for (qsizetype i = 0; i < c.lines.size(); ++i) {
        bytes += c.lines[i].bytes;
        if (i + 1 < c.lines.size() || c.endsWithBreak)
            bytes += c.eol;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace ortolan::ProfileFile
