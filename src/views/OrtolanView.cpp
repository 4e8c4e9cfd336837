// The main window's layout, its tabs and its completion buttons.

#include "app/Ortolan.h"

#include "calendar/CalendarManager.h"
#include "model/TaskHandler.h"
#include "settings/Clock.h"
#include "settings/OTLFunctions.h"
#include "views/Colouring.h"
#include "views/TaskTreeView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabWidget>

namespace ortolan {

void Ortolan::Form_Resize() {
    if (geometry_.lastHeight == 0)
        return; // start-up has not recorded the window's size yet
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    // The window manager frames the window after start-up has measured it: the title bar that
    // arrives then is no growth of the window, so the height it was measured at takes it in.
    const int frameExtra = frameGeometry().height() - height();
    if (frameExtra != frameExtra_) {
        geometry_.lastHeight += twipsFromPixels(frameExtra - frameExtra_, dpiY);
        frameExtra_ = frameExtra;
    }
    WindowSize size;
    size.outerWidth = twipsFromPixels(frameGeometry().width(), dpiX);
    size.outerHeight = twipsFromPixels(frameGeometry().height(), dpiY);
    size.clientWidth = twipsFromPixels(centralWidget()->width(), dpiX);
    size.clientHeight = twipsFromPixels(centralWidget()->height(), dpiY);
    size.minimized = isMinimized();
    geometry_ = ortolan::Form_Resize(geometry_, size);
    placeControls();
}

void Ortolan::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Ortolan::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Ortolan::TabStrip_Click() {
    const bool slowMotion = booleanFromText(readSetting(QStringLiteral("doSlowMoEffects"))).value_or(false);
    closeFind(); // the find bar filters the tree as the tab it was opened on shows it
    CalendarControls->hide();
    const QString caption = TabStrip->tabText(TabStrip->currentIndex());
    if (caption == QLatin1String("Calendar")) {
        CalendarFontSize_Click();
        CalendarControls->show();
        placeCalendarGrid();
        StatusLabel->setText(QStringLiteral("Double-Click to Set Date"));
        Tree->hide();
        CalMan->ShowDate(Clock::now().date());
        return;
    }
    Tree->show();
    if (caption != QLatin1String("Today")) {
        ColourTree(tree_, doc_->taskH());
        return;
    }
    showTodayView(slowMotion);
}

void Ortolan::showTodayView(bool slowMotion) {
    TreeNode* lastShown = nullptr;
    for (int i = 2; i <= tree_.Count(); ++i) {
        TreeNode* node = tree_.Item(i);
        const Task* task = doc_->taskH().taskOf(node);
        if (task && isInTodayCategory(*task)) {
            node->setBold(true);
            if (node->Visible())
                continue;
            for (TreeNode* p = node->Parent(); p; p = p->Parent())
                p->setExpanded(true);
            lastShown = node;
            if (slowMotion) {
                // Let the user see the tasks appear one by one; the window keeps working meanwhile.
                Tree->scrollTo(Tree->model()->indexFromNode(node));
                QElapsedTimer pause;
                pause.start();
                while (pause.elapsed() < slowMotionPauseMs_)
                    QApplication::processEvents(QEventLoop::AllEvents, 10);
            }
        } else {
            node->setExpanded(false);
            node->setForeColor(kColourGrey);
        }
    }
    // Without the slow motion only the end is seen: the view rests on the last task revealed.
    if (lastShown && !slowMotion)
        Tree->scrollTo(Tree->model()->indexFromNode(lastShown));
}

void Ortolan::UpdateButtons() {
    const TreeNode* node = tree_.SelectedItem();
    if (!node)
        return;
    const Task* task = doc_->taskH().taskOf(node);
    if (!task)
        return;
    const bool completed = task->Status.toUpper() == kStatusComplete;
    MarkAsIncompleteButton->setVisible(completed);
    MarkCompleteButton->setVisible(!completed);
}

} // namespace ortolan
