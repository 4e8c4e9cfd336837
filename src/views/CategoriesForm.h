#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace ortolan {

// The small pop-up through which the user puts the selected task into a category or takes it out
// of all of them. It offers "<None>" and "Today", and hides itself again when the pointer has not
// moved over its list or its background for a while (one second unless told otherwise).
//
// The chooser edits nothing itself: choosing an entry emits entryChosen with the entry's text and
// the window that owns the chooser applies it to the task selected at that moment.
class CategoriesForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 3765;
    static constexpr int kClientHeightTwips = 2835;
    static constexpr int kDefaultHideIntervalMs = 1000;

    // A window of its own, closed and destroyed with parent.
    explicit CategoriesForm(QWidget* parent);

    // Rebuilds the entries, selects "<None>" and starts the hide timer; runs whenever the chooser
    // is shown or activated.
    void Form_Activate();
    // Emits entryChosen with the selected entry's text; nothing happens without a selection.
    void OkCatBut_Click();
    // Cancel: hides the chooser, changing nothing.
    void Command2_Click();

    // How long the chooser waits for the pointer before hiding itself.
    void setHideInterval(int milliseconds) { visibleTime_.setInterval(milliseconds); }
    int hideInterval() const { return visibleTime_.interval(); }
    bool hideTimerActive() const { return visibleTime_.isActive(); }

    QLabel* Background = nullptr;
    QListWidget* CategoriesList = nullptr;
    QPushButton* OkCatBut = nullptr;
    QPushButton* Command2 = nullptr;

signals:
    void entryChosen(const QString& entry);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void visibleTime_Timer();

    QTimer visibleTime_;
};

} // namespace ortolan
