#include "DueDate.h"

#include <cstdio>

namespace ortolan {

namespace {
const QDate kZeroDate(1899, 12, 30);

// A small reader over the characters of a date text.
class Scanner {
public:
    explicit Scanner(const QString& text) : t_(text) {}

    bool atEnd() const { return i_ >= t_.size(); }
    bool skip(char16_t c) {
        if (!atEnd() && t_[i_].unicode() == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void skipSpaces() {
        while (!atEnd() && t_[i_].isSpace())
            ++i_;
    }
    // A number of minDigits to maxDigits digits, or -1.
    int number(int minDigits, int maxDigits) {
        int value = 0;
        int digits = 0;
        while (!atEnd() && digits < maxDigits && t_[i_] >= QLatin1Char('0') && t_[i_] <= QLatin1Char('9')) {
            value = value * 10 + (t_[i_].unicode() - '0');
            ++i_;
            ++digits;
        }
        return digits >= minDigits ? value : -1;
    }
    // "AM" or "PM" in any case: 0 or 12; -1 when neither stands here.
    int meridiem() {
        if (t_.size() - i_ < 2 || t_[i_ + 1].toUpper() != QLatin1Char('M'))
            return -1;
        const QChar c = t_[i_].toUpper();
        if (c != QLatin1Char('A') && c != QLatin1Char('P'))
            return -1;
        i_ += 2;
        return c == QLatin1Char('A') ? 0 : 12;
    }

    // [h]h:mm[:ss][ AM|PM], with AM/PM optional when allowed.
    std::optional<QTime> time(bool needMeridiem) {
        int h = number(1, 2);
        if (h < 0 || !skip(':'))
            return std::nullopt;
        const int m = number(2, 2);
        int s = 0;
        if (skip(':'))
            s = number(2, 2);
        if (m < 0 || s < 0)
            return std::nullopt;
        skipSpaces();
        const int half = meridiem();
        if (half >= 0) {
            if (h < 1 || h > 12)
                return std::nullopt;
            h = h % 12 + half;
        } else if (needMeridiem) {
            return std::nullopt;
        }
        QTime t(h, m, s);
        if (!t.isValid())
            return std::nullopt;
        return t;
    }

private:
    const QString& t_;
    qsizetype i_ = 0;
};

QString usTime(const QTime& t) {
    int h12 = t.hour() % 12;
    if (h12 == 0)
        h12 = 12;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, t.minute(), t.second(), t.hour() < 12 ? "AM" : "PM");
    return QString::fromLatin1(buf);
}
} // namespace

bool hasDueDate(const QDateTime& due) {
    return due.isValid() && !(due.date() == kZeroDate && due.time() == QTime(0, 0));
}

QDateTime makeDueDate(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC);
}

QString formatDueDate(const QDateTime& due) {
    if (!hasDueDate(due))
        return QStringLiteral("12:00:00 AM");
    const QDate d = due.date();
    const QTime t = due.time();
    const QTime whole(t.hour(), t.minute(), t.second());
    if (d == kZeroDate)
        return usTime(whole); // a time of day without a date
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d/%d/%04d", d.month(), d.day(), d.year());
    const QString date = QString::fromLatin1(buf);
    if (whole == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + usTime(whole);
}

std::optional<QDateTime> parseDueDate(const QString& input) {
    if (input.isEmpty() || input == QLatin1String("12:00:00 AM"))
        return QDateTime();
    const QString text = input.trimmed();
    if (text.isEmpty())
        return QDateTime();

    Scanner s(text);
    QDate date;
    const int first = s.number(1, 4);
    if (first >= 0 && s.skip('/')) {
        // month/day/year, the form this program writes
        const int day = s.number(1, 2);
        const int year = s.skip('/') ? s.number(4, 4) : -1;
        if (day < 0 || year < 0)
            return std::nullopt;
        date = QDate(year, first, day);
    } else if (first >= 1000 && s.skip('-')) {
        // year-month-day, as other programs write it
        const int month = s.number(1, 2);
        const int day = s.skip('-') ? s.number(1, 2) : -1;
        if (month < 0 || day < 0)
            return std::nullopt;
        date = QDate(first, month, day);
    } else {
        // a time of day alone
        Scanner timeOnly(text);
        const auto t = timeOnly.time(true);
        if (!t || !timeOnly.atEnd())
            return std::nullopt;
        return makeDueDate(kZeroDate, *t);
    }
    if (!date.isValid())
        return std::nullopt;

    QTime time(0, 0);
    if (!s.atEnd()) {
        if (!s.skip('T') && !s.skip(' '))
            return std::nullopt;
        s.skipSpaces();
        const auto t = s.time(false);
        if (!t)
            return std::nullopt;
        time = *t;
    }
    if (!s.atEnd())
        return std::nullopt;
    return makeDueDate(date, time);
}

} // namespace ortolan
