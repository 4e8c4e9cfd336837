#include "views/FindBar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace ortolan {

FindBar::FindBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("FindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(4);

    auto* label = new QLabel(QStringLiteral("Find:"), this);
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("FindText"));
    text_->setPlaceholderText(QStringLiteral("name, description or category"));
    text_->setClearButtonEnabled(true);
    label->setBuddy(text_);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("FindCount"));
    auto button = [this](const QString& name, const QString& caption, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(caption);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        return b;
    };
    previous_ = button(QStringLiteral("FindPrevious"), QStringLiteral("\u25B2"), QStringLiteral("Previous match (Shift+F3)"));
    next_ = button(QStringLiteral("FindNext"), QStringLiteral("\u25BC"), QStringLiteral("Next match (F3)"));
    close_ = button(QStringLiteral("FindClose"), QStringLiteral("\u2715"), QStringLiteral("Close (Esc)"));
    layout->addWidget(label);
    layout->addWidget(text_, 1);
    layout->addWidget(count_);
    layout->addWidget(previous_);
    layout->addWidget(next_);
    layout->addWidget(close_);

    connect(text_, &QLineEdit::textChanged, this, &FindBar::searched);
    connect(previous_, &QToolButton::clicked, this, [this] { emit stepped(false); });
    connect(next_, &QToolButton::clicked, this, [this] { emit stepped(true); });
    connect(close_, &QToolButton::clicked, this, &FindBar::closing);
    text_->installEventFilter(this);
}

QString FindBar::text() const {
    return text_->text();
}

void FindBar::setCount(const QString& count) {
    count_->setText(count);
}

QString FindBar::count() const {
    return count_->text();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != text_ || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Escape:
        emit closing();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit stepped(!(key->modifiers() & Qt::ShiftModifier));
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (keyTarget_) {
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QApplication::sendEvent(keyTarget_, &copy);
            return true;
        }
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    // Escape on a button of the bar arrives here.
    if (event->key() == Qt::Key_Escape) {
        emit closing();
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace ortolan
