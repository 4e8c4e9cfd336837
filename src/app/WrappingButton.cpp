#include "WrappingButton.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace ortolan {

namespace {
QRect captionArea(const QWidget* button, const QStyleOptionButton& option) {
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).adjusted(2, 2, -2, -2);
}
} // namespace

bool WrappingButton::captionFits() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect area = captionArea(this, option);
    return area.contains(fontMetrics().boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, text()));
}

void WrappingButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect area = captionArea(this, option);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, caption);
}

} // namespace ortolan
