#include "DueDate.h"

#include <QRegularExpression>

namespace ortolan {

namespace {
const QDate kZeroDate(1899, 12, 30);

QString usTime(const QTime& t) {
    int h12 = t.hour() % 12;
    if (h12 == 0)
        h12 = 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(h12)
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

std::optional<QTime> parseTime(const QRegularExpressionMatch& m, int first) {
    if (!m.hasCaptured(first))
        return QTime(0, 0);
    int h = m.captured(first).toInt();
    int min = m.captured(first + 1).toInt();
    int s = m.hasCaptured(first + 2) ? m.captured(first + 2).toInt() : 0;
    const QString ampm = m.captured(first + 3).toUpper();
    if (!ampm.isEmpty()) {
        if (h < 1 || h > 12)
            return std::nullopt;
        h = (h % 12) + (ampm == QLatin1String("PM") ? 12 : 0);
    }
    QTime t(h, min, s);
    if (!t.isValid())
        return std::nullopt;
    return t;
}
} // namespace

bool hasDueDate(const QDateTime& due) {
    return due.isValid() && !(due.date() == kZeroDate && due.time() == QTime(0, 0));
}

QDateTime makeDueDate(const QDate& date, const QTime& time) { return QDateTime(date, time, Qt::UTC); }

QString formatDueDate(const QDateTime& due) {
    if (!hasDueDate(due))
        return QStringLiteral("12:00:00 AM");
    const QDate d = due.date();
    const QTime t = due.time();
    const QTime whole(t.hour(), t.minute(), t.second());
    if (d == kZeroDate)
        return usTime(whole); // a time of day without a date
    QString date = QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(d.year(), 4, 10, QLatin1Char('0'));
    if (whole == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + usTime(whole);
}

std::optional<QDateTime> parseDueDate(const QString& input) {
    const QString text = input.trimmed();
    if (text.isEmpty() || text == QLatin1String("12:00:00 AM"))
        return QDateTime();

    static const QString timePart =
        QStringLiteral(R"((?:[ T]+(\d{1,2}):(\d{2})(?::(\d{2}))?(?:\s*([AaPp][Mm]))?)?)");
    static const QRegularExpression us(QStringLiteral(R"(^(\d{1,2})/(\d{1,2})/(\d{4}))") + timePart +
                                       QStringLiteral("$"));
    static const QRegularExpression iso(QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2}))") + timePart +
                                        QStringLiteral("$"));
    static const QRegularExpression timeOnly(QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])$)"));

    QDate date;
    std::optional<QTime> time;
    if (auto m = us.match(text); m.hasMatch()) {
        date = QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
        time = parseTime(m, 4);
    } else if (auto m = iso.match(text); m.hasMatch()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        time = parseTime(m, 4);
    } else if (auto m = timeOnly.match(text); m.hasMatch()) {
        date = kZeroDate;
        time = parseTime(m, 1);
    } else {
        return std::nullopt;
    }
    if (!date.isValid() || !time)
        return std::nullopt;
    return makeDueDate(date, *time);
}

} // namespace ortolan
