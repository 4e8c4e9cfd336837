#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;
class QToolButton;

namespace ortolan {

// The bar along the bottom of the tree that finds tasks as the user types: the text, the count
// of matches, buttons for the previous and next match, and one that closes the bar. Enter goes
// to the next match, Shift+Enter to the previous, Escape closes; the arrow and page keys move
// through the tree the bar filters, so the selection can be changed without leaving the text.
class FindBar : public QFrame {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    QString text() const;
    QLineEdit* textBox() const { return text_; }
    void setCount(const QString& count);
    QString count() const;
    // The widget the arrow and page keys go to.
    void setKeyTarget(QWidget* target) { keyTarget_ = target; }

signals:
    void searched(const QString& text);
    void stepped(bool forward);
    void closing();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* text_;
    QLabel* count_;
    QToolButton* previous_;
    QToolButton* next_;
    QToolButton* close_;
    QWidget* keyTarget_ = nullptr;
};

} // namespace ortolan
