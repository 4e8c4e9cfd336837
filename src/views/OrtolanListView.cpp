// The list view: the task tree flattened into the tasks still to do, each under its parent's name.

#include "app/Ortolan.h"

#include "model/TaskHandler.h"
#include "views/Colouring.h"
#include "views/Pictures.h"
#include "views/TaskTreeView.h"

#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>

namespace ortolan {

namespace {

QColor colourOf(NodeColour c) {
    return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF));
}

} // namespace

void Ortolan::connectListViewCommands() {
    connect(ViewAsList, &QPushButton::clicked, this, &Ortolan::ViewAsList_Click);
    // An item of the list stands for its task: picking it selects the task, so the panel and the
    // commands act on the task the user sees highlighted.
    connect(ListView, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (TreeNode* node = item ? tree_.Item(item->data(Qt::UserRole).toString()) : nullptr)
            tree_.setSelectedItem(node);
    });
}

void Ortolan::ViewAsList_Click() {
    closeFind(); // the list covers the tree the bar filters
    listToggleCount_ = qint16((listToggleCount_ + 1) % 2);
    if (listToggleCount_ == 0) {
        ListView->hide();
        // Back to the view the list was shown over.
        if (calendarUnderList_)
            CalendarControls->show();
        else
            Tree->show();
        TabStrip->setEnabled(true);
        DescText->setReadOnly(false);
        return; // the items stay until the list is shown again
    }

    calendarUnderList_ = CalendarControls->isVisibleTo(this);
    const QSignalBlocker quiet(ListView); // filling the list picks no task
    ListView->clear();
    TabStrip->setEnabled(false);
    // The list follows the tree's colours as the last view left them, not the task records: grey
    // nodes are done (or outside "Today" after the "Today" view), dark red ones are for today.
    for (int i = 2; i <= tree_.Count(); ++i) {
        const TreeNode* node = tree_.Item(i);
        const Task* task = doc_->taskH().taskOf(node);
        if (!task)
            continue;
        const NodeColour colour = node->ForeColor();
        if (colour == kColourGrey || (node->Children() > 0 && colour != kColourDarkRed))
            continue;
        const TreeNode* parent = node->Parent();
        auto* item = new QListWidgetItem(taskPicture(1),
                                         (parent ? parent->Text() : QString()) + QStringLiteral(": ") + task->TaskName);
        item->setData(Qt::UserRole, node->Key());
        NodeColour itemColour = kColourBlack;
        if (task->Status.contains(QLatin1String("COMPLETED")))
            itemColour = kColourGrey;
        else if (task->CategoryString.contains(QLatin1String("Today")))
            itemColour = kColourDarkRed;
        item->setForeground(colourOf(itemColour));
        ListView->addItem(item);
    }
    Tree->hide();
    CalendarControls->hide();
    ListView->show();
    ListView->raise();
    DescText->setReadOnly(true);
}

} // namespace ortolan
