#include "calendar/CalendarGrid.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

namespace ortolan {

namespace {
constexpr int kColumns = 7;
constexpr int kRows = 6; // enough for any month starting on any weekday
} // namespace

CalendarGrid::CalendarGrid(QWidget* parent) : QWidget(parent) {
    const QDate today = QDate::currentDate();
    month_ = today.month();
    year_ = today.year();
    setObjectName(QStringLiteral("CalendarGrid"));
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::white));
}

void CalendarGrid::setMonth(int month) {
    month = qBound(1, month, 12);
    if (month == month_)
        return;
    month_ = month;
    update();
}

void CalendarGrid::setYear(int year) {
    if (year == year_)
        return;
    year_ = year;
    update();
}

QString CalendarGrid::GetText(int year, int month, int day) const {
    return texts_.value(QDate(year, month, day));
}

void CalendarGrid::SetText(int day, const QString& text) {
    const QDate date(year_, month_, day);
    if (!date.isValid())
        return;
    if (text.isEmpty())
        texts_.remove(date);
    else
        texts_.insert(date, text);
    update(dayRect(day));
}

void CalendarGrid::setDayFontSize(int points) {
    if (points < 1 || points == dayFontSize_)
        return;
    dayFontSize_ = points;
    update();
}

int CalendarGrid::titleHeight() const {
    return fontMetrics().height() * 2;
}

int CalendarGrid::headerHeight() const {
    return fontMetrics().height() + 4;
}

int CalendarGrid::firstColumn() const {
    return QDate(year_, month_, 1).dayOfWeek() % 7;
}

QRect CalendarGrid::dayRect(int day) const {
    const QDate date(year_, month_, day);
    if (!date.isValid())
        return {};
    const int top = titleHeight() + headerHeight();
    const int cell = firstColumn() + day - 1;
    const int row = cell / kColumns;
    const int column = cell % kColumns;
    // spread the rounding over the cells so that the grid fills the widget exactly
    const int x0 = column * width() / kColumns;
    const int x1 = (column + 1) * width() / kColumns;
    const int y0 = top + row * (height() - top) / kRows;
    const int y1 = top + (row + 1) * (height() - top) / kRows;
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

int CalendarGrid::dayAt(const QPoint& at) const {
    const int days = QDate(year_, month_, 1).daysInMonth();
    for (int day = 1; day <= days; ++day)
        if (dayRect(day).contains(at))
            return day;
    return 0;
}

void CalendarGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QLocale locale(QLocale::English, QLocale::UnitedStates);

    QFont titleFont = font();
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.drawText(QRect(0, 0, width(), titleHeight()), Qt::AlignCenter,
                     locale.standaloneMonthName(month_) + QLatin1Char(' ') + QString::number(year_));

    painter.setFont(font());
    for (int column = 0; column < kColumns; ++column) {
        const int weekday = column == 0 ? 7 : column; // Sunday first
        const int x0 = column * width() / kColumns;
        const int x1 = (column + 1) * width() / kColumns;
        painter.drawText(QRect(x0, titleHeight(), x1 - x0, headerHeight()), Qt::AlignCenter,
                         locale.dayName(weekday, QLocale::ShortFormat));
    }

    QFont dayFont = font();
    dayFont.setPointSize(dayFontSize_);
    const QDate today = QDate::currentDate();
    const int days = QDate(year_, month_, 1).daysInMonth();
    for (int day = 1; day <= days; ++day) {
        const QRect cell = dayRect(day);
        if (QDate(year_, month_, day) == today)
            painter.fillRect(cell, QColor(255, 255, 200));
        painter.setPen(Qt::gray);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.setFont(titleFont);
        const QRect inner = cell.adjusted(3, 2, -3, -2);
        painter.drawText(inner, Qt::AlignTop | Qt::AlignRight, QString::number(day));
        painter.setFont(dayFont);
        QString text = GetText(year_, month_, day);
        text.remove(QLatin1Char('\r'));
        const QRect below = inner.adjusted(0, QFontMetrics(titleFont).height(), 0, 0);
        painter.drawText(below, Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap, text.trimmed());
    }
}

void CalendarGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const int day = dayAt(event->position().toPoint());
    if (day == 0) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    emit DblClick(year_, month_ - 1, day, GetText(year_, month_, day));
}

} // namespace ortolan
