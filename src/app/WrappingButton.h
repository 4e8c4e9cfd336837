#pragma once

#include <QPushButton>

namespace ortolan {

// A push button whose caption wraps onto several lines, as the window's narrow, tall buttons
// need ("Mark as Completed" in a button a third of the panel wide).
class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    WrappingButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}
    // Whether the whole caption shows, wrapped, within the button.
    bool captionFits() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ortolan
