// Categories: the chooser that puts the selected task into "Today" or into no category.

#include "app/Dialogs.h"
#include "app/Ortolan.h"

#include "model/TaskHandler.h"
#include "views/CategoriesForm.h"
#include "views/Colouring.h"

#include <QAction>
#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace ortolan {

void Ortolan::connectCategoryCommands() {
    connect(CategoriesButton, &QPushButton::clicked, this, &Ortolan::CategoriesButton_Click);
    connect(action(QStringLiteral("MENU_AddCategory")), &QAction::triggered, this, &Ortolan::MENU_AddCategory_Click);
}

CategoriesForm* Ortolan::categoriesForm() {
    if (!categoriesForm_) {
        categoriesForm_ = new CategoriesForm(this);
        connect(categoriesForm_, &CategoriesForm::entryChosen, this, &Ortolan::applyCategory);
    }
    return categoriesForm_;
}

void Ortolan::CategoriesButton_Click() {
    CategoriesForm* form = categoriesForm();
    form->show(); // not modal: the window stays usable; shown first so that its frame is known
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    // Worked out in twips from the screen positions of the two windows: the chooser's bottom edge
    // lines up with the top of the button, shifted right by the width of the right-hand panel.
    const int rightFrameWidth = twipsFromPixels(RightFrame->width(), dpiX);
    const int left =
        rightFrameWidth + twipsFromPixels(frameGeometry().x(), dpiX) + twipsFromPixels(CategoriesButton->x(), dpiX);
    const int top = twipsFromPixels(CategoriesButton->y(), dpiY) + twipsFromPixels(frameGeometry().y(), dpiY) -
                    twipsFromPixels(form->frameGeometry().height(), dpiY);
    setStatus(QStringLiteral("LEFT: ") + QString::number(rightFrameWidth + left) + QStringLiteral(" TOP: ") +
              QString::number(top));

    // The rule can put the chooser off the screen (above it, when the window sits at the top):
    // keep it on the screen the window is on.
    QPoint at(pixelsFromTwips(left, dpiX), pixelsFromTwips(top, dpiY));
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect room = s->availableGeometry();
        const QSize size = form->frameGeometry().size();
        at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() + 1 - size.width())));
        at.setY(qBound(room.top(), at.y(), qMax(room.top(), room.bottom() + 1 - size.height())));
    }
    form->move(at);
    form->raise();
    form->activateWindow();
}

void Ortolan::applyCategory(const QString& entry) {
    TreeNode* node = tree_.SelectedItem();
    if (!node)
        return;
    const Task* task = doc_->taskH().getTask(node->Key());
    if (!task)
        return;
    // "<None>" takes the task out of every category; any other entry becomes its only category.
    TaskFields after = TaskFields::of(*task);
    after.categories = entry == QLatin1String("<None>") ? QString() : entry;
    Task coloured;
    after.applyTo(coloured);
    editTask(node, after, QStringLiteral("Category"), statusColour(coloured));
    if (categoriesForm_)
        categoriesForm_->hide();
}

void Ortolan::MENU_AddCategory_Click() {
    Dialogs::message(this, {QStringLiteral("Feature not yet implemented.")});
}

} // namespace ortolan
