// Editing one task: the selection display, mouse presses and double-clicks in the tree,
// renaming, the description, the icon, completion, the formula commands and the tree's sounds.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "calendar/CalendarManager.h"
#include "document/EditTaskCommand.h"
#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "settings/OTLFunctions.h"
#include "settings/Sound.h"
#include "views/Colouring.h"
#include "views/Formulas.h"
#include "views/TaskTreeView.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>

namespace ortolan {


void Ortolan::connectEditingCommands() {
    auto on = [this](const char* name, void (Ortolan::*command)()) {
        connect(action(QLatin1String(name)), &QAction::triggered, this, command);
    };
    on("MENU_RENAME", &Ortolan::MENU_RENAME_Click);
    on("MENU_Rename2", &Ortolan::MENU_RENAME_Click);
    on("MENU_MarkAsCompleted", &Ortolan::MarkCompleteButton_Click);
    on("MENU_MarkAsIncomplete", &Ortolan::MarkAsIncompleteButton_Click);
    on("MENU_SUM_SECTION", &Ortolan::MENU_SUM_SECTION_Click);
    on("MENU_AVG_Section", &Ortolan::MENU_AVG_Section_Click);
    connect(MarkCompleteButton, &QPushButton::clicked, this, &Ortolan::MarkCompleteButton_Click);
    connect(MarkAsIncompleteButton, &QPushButton::clicked, this, &Ortolan::MarkAsIncompleteButton_Click);
    connect(Button_Save_Edits, &QPushButton::clicked, this, &Ortolan::Button_Save_Edits_Click);
    connect(IconSelector, &QListWidget::itemClicked, this, [this] { IconSelector_Click(); });
    connect(DescText, &QTextEdit::textChanged, this, &Ortolan::DescText_Change);
    DescText->installEventFilter(this);

    connect(Tree, &QAbstractItemView::clicked, this, [this] { Tree_Click(); });
    // The panel follows every change of selection, not only clicks: typing into the description
    // box writes into the selected task, so the box must never show another task's text.
    connect(&tree_, &TaskTree::selectionChanged, this, [this] { Tree_Click(); });
    // Hovering a task tells its due date, its categories and how its description begins.
    Tree->model()->setToolTipProvider([this](const TreeNode* node) { return taskToolTip(node); });
    // A formula task shows its result but is renamed as the name it stores.
    Tree->model()->setEditTextProvider([this](const TreeNode* node) {
        const Task* task = doc_->taskH().taskOf(node);
        return task ? task->TaskName : node->Text();
    });
    connect(Tree, &QAbstractItemView::doubleClicked, this, [this] { Tree_DblClick(); });
    connect(Tree->model(), &TaskTreeModel::labelEdited, this, &Ortolan::Tree_AfterLabelEdit);
    connect(Tree, &TaskTreeView::expandedByUser, this,
            [this](TreeNode* node, bool expanded) { expanded ? Tree_Expand(node) : Tree_Collapse(node); });
    Tree->setContextMenuPolicy(Qt::PreventContextMenu); // the press itself opens the Insert menu
    connect(Tree, &TaskTreeView::mousePressed, this, &Ortolan::Tree_MouseDown);
}

bool Ortolan::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DescText && event->type() == QEvent::KeyPress)
        DescText_KeyDown();
    return QMainWindow::eventFilter(watched, event);
}

void Ortolan::showStepApplied(const QString& key) {
    if (editingByHand_)
        return;
    if (TreeNode* node = tree_.Item(key)) {
        tree_.setSelectedItem(node); // opens its ancestors
        Tree->scrollTo(Tree->model()->indexFromNode(node));
    }
    showSelectedTask();
}

QString Ortolan::taskToolTip(const TreeNode* node) const {
    const Task* task = doc_->taskH().taskOf(node);
    if (!task)
        return {};
    QStringList lines;
    if (hasDueDate(task->DateDue))
        lines << QStringLiteral("Due: ") + QLocale().toString(task->DateDue.date(), QLocale::LongFormat);
    if (!task->CategoryString.isEmpty())
        lines << QStringLiteral("Categories: ") + task->CategoryString;
    // The description's first three lines, each cut at 80 characters.
    const QStringList description =
        QString(task->Description).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < std::min<qsizetype>(3, description.size()); ++i)
        if (!description[i].trimmed().isEmpty())
            lines << (description[i].size() > 80 ? description[i].left(79) + QChar(0x2026) : description[i]);
    if (description.size() > 3)
        lines << QString(QChar(0x2026));
    return lines.join(QLatin1Char('\n'));
}

void Ortolan::Tree_Click() {
    if (const TreeNode* node = tree_.SelectedItem())
        setStatus(node->Key());
    showSelectedTask();
}

// The panel shows the selected task, or nothing when no task is selected.
void Ortolan::showSelectedTask() {
    const TreeNode* node = tree_.SelectedItem();
    const Task* task = node ? doc_->taskH().taskOf(node) : nullptr;
    if (node && !task)
        return; // a node without a record: the panel keeps what it shows
    NameText->setText(task ? task->TaskName : QString());
    {
        // Showing the description is no edit: the box would hand back "\r\n" as "\n".
        const QSignalBlocker quiet(DescText);
        DescText->setPlainText(task ? task->Description : QString());
    }
    // The calendar's caption tells how to use it; it stays while the calendar is shown.
    if (!CalendarControls->isVisibleTo(this))
        StatusLabel->setText(task ? QStringLiteral("Status: ") + task->Status : QString());
    QListWidgetItem* picture = nullptr;
    for (int i = 0; task && i < IconSelector->count() && !picture; ++i)
        if (IconSelector->item(i)->data(Qt::UserRole).toInt() == task->IconIndex)
            picture = IconSelector->item(i);
    IconSelector->setCurrentItem(picture);
    UpdateButtons();
}

void Ortolan::Tree_MouseDown(Qt::MouseButton button, const QPoint& at) {
    TreeNode* node = Tree->model()->nodeFromIndex(Tree->indexAt(at));
    if (!node)
        return;
    tree_.setSelectedItem(node); // the view has selected it already; a no-op then
    if (button == Qt::RightButton)
        menu(QStringLiteral("MENU_INSERT"))->popup(Tree->viewport()->mapToGlobal(at));
}

void Ortolan::Tree_DblClick() {
    const TreeNode* node = tree_.SelectedItem();
    if (!node)
        return;
    const auto clickToRenameOff = booleanFromText(readSetting(QStringLiteral("disableClickToRename")));
    if (!clickToRenameOff)
        return;
    // A task with sub-tasks opens or closes its branch instead, as the tree does.
    if (!node->Child() && !*clickToRenameOff)
        MENU_RENAME_Click();
}

// Opening the editor changes nothing yet: the list is changed when a new name is stored.
void Ortolan::MENU_RENAME_Click() {
    tree_.StartLabelEdit();
}

void Ortolan::Tree_AfterLabelEdit(TreeNode* node, const QString& typed) {
    renameTask(node, typed, QStringLiteral("Rename"));
}

void Ortolan::renameTask(TreeNode* node, const QString& typed, const QString& caption) {
    if (!node)
        return;
    const Task* task = doc_->taskH().taskOf(node);
    if (!task) {
        node->setText(typed); // a node without a record has only its text to change
        doc_->setFileHasBeenChanged(true);
        return;
    }
    if (task->TaskName == typed)
        return; // the editor closed on the name it opened with
    // The day of its due date lists the task by its new name (see followEditedTask).
    TaskFields after = TaskFields::of(*task);
    after.name = typed;
    editTask(node, after, caption, node->ForeColor());
    Tree_Click();
}

void Ortolan::editTask(TreeNode* node, const TaskFields& after, const QString& caption, NodeColour colour, int visit) {
    const Task* task = doc_->taskH().taskOf(node);
    const TaskFields before = TaskFields::of(*task);
    if (before == after && node->ForeColor() == colour)
        return;
    byHand([&] {
        doc_->push(new EditTaskCommand(*doc_, node->Key(), before, after, caption, node->ForeColor(), colour, visit));
    });
}

// Whatever changed the text (typing, pasting with the mouse, a drop), the task has changed.
// Typing during one visit of the task is one step of the history.
void Ortolan::DescText_Change() {
    TreeNode* node = tree_.SelectedItem();
    const Task* task = node ? doc_->taskH().taskOf(node) : nullptr;
    if (!task)
        return;
    const QString text = DescText->toPlainText();
    // The box shows line ends as "\n"; a description read from a file has "\r\n".
    if (QString(task->Description).replace(QLatin1String("\r\n"), QLatin1String("\n")) == text)
        return;
    TaskFields after = TaskFields::of(*task);
    after.description = text;
    editTask(node, after, QStringLiteral("Typing"), node->ForeColor(), descriptionVisit_);
}

// A key that changes the text changes the task through DescText_Change; any other key
// changes nothing.
void Ortolan::DescText_KeyDown() {}

void Ortolan::Button_Save_Edits_Click() {
    DescText_Change();
    setStatus(QStringLiteral("Edits recorded."));
}

void Ortolan::IconSelector_Click() {
    TreeNode* node = tree_.SelectedItem();
    if (node && node->Index() == 1) {
        Dialogs::message(this, {QStringLiteral("You cannot change the icon for the top item.")});
        return;
    }
    const QListWidgetItem* item = IconSelector->currentItem();
    Task* task = node ? doc_->taskH().taskOf(node) : nullptr;
    if (!item || !task) {
        setStatus(QStringLiteral("Error: Please select an item before choosing an image."));
        return;
    }
    const int picture = item->data(Qt::UserRole).toInt();
    if (task->IconIndex == picture && node->Image() == picture)
        return;
    TaskFields after = TaskFields::of(*task);
    after.icon = qint16(picture);
    editTask(node, after, QStringLiteral("Change Icon"), node->ForeColor());
}

void Ortolan::MarkCompleteButton_Click() {
    markSelected(kStatusComplete, kColourGrey);
}

void Ortolan::MarkAsIncompleteButton_Click() {
    markSelected(kStatusIncomplete, kColourBlack);
}

void Ortolan::markSelected(const QString& status, NodeColour colour) {
    TreeNode* node = tree_.SelectedItem();
    const Task* task = node ? doc_->taskH().taskOf(node) : nullptr;
    if (!task)
        return;
    TaskFields after = TaskFields::of(*task);
    after.status = status;
    editTask(node, after,
             status == kStatusComplete ? QStringLiteral("Mark as Completed") : QStringLiteral("Mark as Incomplete"),
             colour);
    showSelectedTask(); // the panel shows the new status
}

void Ortolan::MENU_SUM_SECTION_Click() { appendFormula(kSumPlaceholder); }

void Ortolan::MENU_AVG_Section_Click() { appendFormula(kAvgPlaceholder); }

// Tells how to write the formula by hand, then adds it to the selected task's name as if typed.
// A sum follows a name ending in "$" directly ("Budget $700"); otherwise after ": ".
void Ortolan::appendFormula(const QString& placeholder) {
    Dialogs::message(this, {QStringLiteral("For reference, you can embed this formula by adding in '") + placeholder +
                                QStringLiteral("' into the text of your task name."),
                            QStringLiteral("Note"), PromptIcon::Information, PromptButtons::Ok});
    TreeNode* node = tree_.SelectedItem();
    const Task* task = node ? doc_->taskH().taskOf(node) : nullptr;
    if (!task)
        return;
    const QString& name = task->TaskName;
    const bool dollar = placeholder == kSumPlaceholder && name.endsWith(QLatin1Char('$'));
    renameTask(node, name + (dollar ? QString() : QStringLiteral(": ")) + placeholder,
               placeholder == kSumPlaceholder ? QStringLiteral("Sum Formula") : QStringLiteral("Average Formula"));
}

void Ortolan::Tree_Expand(TreeNode*) {
    sound_->playwav2(readSetting(QStringLiteral("treeClickWave")));
}

void Ortolan::Tree_Collapse(TreeNode*) {
    sound_->playwav2(readSetting(QStringLiteral("treeClickWave")));
    TreeNode* selected = tree_.SelectedItem();
    if (selected && selected->Index() == 1)
        selected->setExpanded(true);
}

} // namespace ortolan
