// Editing one task: the selection display, mouse presses and double-clicks in the tree,
// renaming, the description, the icon, completion, the formula commands and the tree's sounds.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
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
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>

namespace ortolan {

namespace {

// Hands mouse presses in the tree to the window before the view handles them.
class TreePressFilter : public QObject {
public:
    TreePressFilter(Ortolan* window, QWidget* viewport) : QObject(viewport), window_(window) {
        viewport->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* press = static_cast<QMouseEvent*>(event);
            window_->Tree_MouseDown(press->button(), press->position().toPoint());
        }
        return false;
    }

private:
    Ortolan* window_;
};

} // namespace

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
    connect(Tree, &QAbstractItemView::doubleClicked, this, [this] { Tree_DblClick(); });
    connect(Tree->model(), &TaskTreeModel::labelEdited, this, &Ortolan::Tree_AfterLabelEdit);
    connect(Tree, &TaskTreeView::expandedByUser, this,
            [this](TreeNode* node, bool expanded) { expanded ? Tree_Expand(node) : Tree_Collapse(node); });
    Tree->setContextMenuPolicy(Qt::PreventContextMenu); // the press itself opens the Insert menu
    new TreePressFilter(this, Tree->viewport());
}

bool Ortolan::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DescText && event->type() == QEvent::KeyPress)
        DescText_KeyDown();
    return QMainWindow::eventFilter(watched, event);
}

void Ortolan::Tree_Click() {
    const TreeNode* node = tree_.SelectedItem();
    if (!node)
        return;
    setStatus(node->Key());
    const Task* task = taskH_->taskOf(node);
    if (!task)
        return;
    NameText->setText(task->TaskName);
    {
        // Showing the description is no edit: the box would hand back "\r\n" as "\n".
        const QSignalBlocker quiet(DescText);
        DescText->setPlainText(task->Description);
    }
    StatusLabel->setText(QStringLiteral("Status: ") + task->Status);
    UpdateButtons();
}

void Ortolan::Tree_MouseDown(Qt::MouseButton button, const QPoint& at) {
    TreeNode* node = Tree->model()->nodeFromIndex(Tree->indexAt(at));
    if (!node)
        return;
    tree_.setSelectedItem(node);
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
    if (!node->Expanded() && !*clickToRenameOff)
        MENU_RENAME_Click();
}

void Ortolan::MENU_RENAME_Click() {
    tree_.StartLabelEdit();
    fileHasBeenChanged_ = true;
}

void Ortolan::Tree_AfterLabelEdit(TreeNode* node, const QString& typed) {
    if (!node)
        return;
    Task* task = taskH_->taskOf(node);
    if (task)
        task->TaskName = typed;
    fileHasBeenChanged_ = true;
    QString shown = typed;
    // The formula compares its siblings with the text the node showed before the edit.
    if (hasFormula(typed))
        shown = ReCalcForNode(tree_, *taskH_, node);
    ReCalcTree(tree_, *taskH_);
    Tree_Click();
    node->setText(shown);
}

void Ortolan::DescText_Change() {
    TreeNode* node = tree_.SelectedItem();
    if (Task* task = node ? taskH_->taskOf(node) : nullptr)
        task->Description = DescText->toPlainText();
}

void Ortolan::DescText_KeyDown() {
    fileHasBeenChanged_ = true;
}

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
    Task* task = node ? taskH_->taskOf(node) : nullptr;
    if (!item || !task) {
        setStatus(QStringLiteral("Error: Please select an item before choosing an image."));
        return;
    }
    const int picture = item->data(Qt::UserRole).toInt();
    node->setImage(picture);
    task->IconIndex = qint16(picture);
}

void Ortolan::MarkCompleteButton_Click() {
    markSelected(kStatusComplete, kColourGrey);
}

void Ortolan::MarkAsIncompleteButton_Click() {
    markSelected(kStatusIncomplete, kColourBlack);
}

void Ortolan::markSelected(const QString& status, NodeColour colour) {
    TreeNode* node = tree_.SelectedItem();
    if (!node)
        return;
    node->setForeColor(colour);
    fileHasBeenChanged_ = true;
    if (Task* task = taskH_->taskOf(node))
        task->Status = status;
    UpdateButtons();
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
    const Task* task = node ? taskH_->taskOf(node) : nullptr;
    if (!task)
        return;
    const QString& name = task->TaskName;
    const bool dollar = placeholder == kSumPlaceholder && name.endsWith(QLatin1Char('$'));
    Tree_AfterLabelEdit(node, name + (dollar ? QString() : QStringLiteral(": ")) + placeholder);
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
