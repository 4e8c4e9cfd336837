#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QWidget>

namespace ortolan {

// One month as a grid of days, Sunday first: a title with the month and year, the weekday
// names, and for every day its number and its text of several lines. The texts are kept by
// full date, so the lines of other months stay while this one is shown.
class CalendarGrid : public QWidget {
    Q_OBJECT
public:
    explicit CalendarGrid(QWidget* parent = nullptr);

    int Month() const { return month_; } // 1 to 12
    void setMonth(int month);
    int year() const { return year_; }
    void setYear(int year);

    // The text kept for a date (month 1 to 12); empty when it has none.
    QString GetText(int year, int month, int day) const;
    // Keeps and shows the text of a day of the displayed month and year.
    void SetText(int day, const QString& text);

    // The point size of the day texts; sizes below 1 are ignored.
    int dayFontSize() const { return dayFontSize_; }
    void setDayFontSize(int points);

    // Where a day of the displayed month is drawn, and the day drawn at a point (0 for none).
    QRect dayRect(int day) const;
    int dayAt(const QPoint& at) const;

signals:
    // A double-click on a day: the month counted from 0 (January is 0).
    void DblClick(int year, int month, int day, const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int titleHeight() const;
    int headerHeight() const;
    int firstColumn() const; // the weekday column of the 1st, Sunday being 0

    int month_;
    int year_;
    int dayFontSize_ = 9;
    QHash<QDate, QString> texts_;
};

} // namespace ortolan
