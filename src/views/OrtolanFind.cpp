// Finding tasks: the find bar over the bottom of the tree filters it as the user types.

#include "app/Ortolan.h"

#include "views/FindBar.h"
#include "views/TaskTreeView.h"

#include <QAction>
#include <QLineEdit>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>

namespace ortolan {

void Ortolan::connectFindCommands() {
    finder_ = std::make_unique<TaskFinder>(*doc_);
    findBar_ = new FindBar(client_);
    findBar_->setKeyTarget(Tree);
    findBar_->hide();
    findRefresh_ = new QTimer(this);
    findRefresh_->setSingleShot(true);
    findRefresh_->setInterval(0);
    connect(findRefresh_, &QTimer::timeout, this, [this] {
        if (findShown())
            refilter(false);
    });

    connect(action(QStringLiteral("MENU_Find")), &QAction::triggered, this, &Ortolan::MENU_Find);
    connect(findBar_, &FindBar::searched, this, [this] { refilter(true); });
    connect(findBar_, &FindBar::stepped, this, &Ortolan::findStep);
    connect(findBar_, &FindBar::closing, this, &Ortolan::closeFind);
    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(next, &QShortcut::activated, this, [this] { findStep(true); });
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    connect(previous, &QShortcut::activated, this, [this] { findStep(false); });

    // The remembered texts follow every change of a task; a change of the tree's shape filters
    // again once the command that made it is done.
    connect(&tree_, &TaskTree::nodeChanged, this, [this](TreeNode* node) {
        finder_->forget(node);
        findRefresh_->start();
    });
    connect(doc_.get(), &TaskDocument::taskEdited, this, [this](const QString& key) {
        finder_->forget(tree_.Item(key));
        findRefresh_->start();
    });
    connect(&tree_, &TaskTree::nodesAboutToBeRemoved, this, [this](TreeNode* parent, int first, int last) {
        // A removed node's memory may come back as a new node: what was kept for it goes, and
        // the matches wait for the filter to run again.
        found_.clear();
        revealed_ = nullptr;
        std::vector<const TreeNode*> doomed;
        for (int row = first; row <= last; ++row)
            doomed.push_back(parent ? parent->childAt(row) : tree_.TopLevelAt(row));
        while (!doomed.empty()) {
            const TreeNode* node = doomed.back();
            doomed.pop_back();
            finder_->forget(node);
            for (int c = 0; c < node->Children(); ++c)
                doomed.push_back(node->childAt(c));
        }
    });
    for (auto changed : {&TaskTree::nodesInserted, &TaskTree::nodesRemoved})
        connect(&tree_, changed, findRefresh_, qOverload<>(&QTimer::start));
    connect(&tree_, &TaskTree::nodeMoved, findRefresh_, qOverload<>(&QTimer::start));
    // Another list: what the bar found and the opened nodes it would restore belong to the old one.
    connect(&tree_, &TaskTree::aboutToBeCleared, this, [this] {
        finder_->forgetAll();
        found_.clear();
        revealed_ = nullptr;
        expandedBeforeFind_.clear();
        if (findShown()) {
            findBar_->hide();
            placeControls();
        }
    });
    // A task selected while the tree is filtered is shown, whether it matches or not, until
    // another is selected.
    connect(&tree_, &TaskTree::selectionChanged, this, [this](TreeNode* node) {
        if (!findShown())
            return;
        if (revealed_ && revealed_ != node)
            findRefresh_->start();
        revealSelected();
        showFindCount();
    });
}

bool Ortolan::findShown() const {
    return findBar_ && !findBar_->isHidden();
}

void Ortolan::MENU_Find() {
    // The bar filters the tree: the calendar and the list make way for it.
    if (listShown())
        ViewAsList_Click();
    if (TabStrip->tabText(TabStrip->currentIndex()) == QLatin1String("Calendar"))
        TabStrip->setCurrentIndex(0);
    if (!findShown()) {
        expandedBeforeFind_.clear();
        expandedBeforeFind_.reserve(tree_.Count());
        for (int i = 1; i <= tree_.Count(); ++i)
            expandedBeforeFind_.insert(tree_.Item(i)->Key(), tree_.Item(i)->Expanded());
        finder_->foldAll(); // the cost of the first search is paid here, once per list
        findBar_->show();
        findBar_->raise();
        placeControls();
        if (!findBar_->text().isEmpty())
            refilter(false);
    }
    findBar_->textBox()->setFocus(Qt::ShortcutFocusReason);
    findBar_->textBox()->selectAll();
}

void Ortolan::refilter(bool toMatch) {
    const TaskFinder::Result result = finder_->find(findBar_->text());
    found_ = result.matches;
    // As the user types, the selection goes to the first match from where it stands.
    if (toMatch && !isMatch(found_, tree_.SelectedItem()))
        if (TreeNode* match = nextMatch(found_, tree_.SelectedItem(), true))
            tree_.setSelectedItem(match);
    if (result.rows.empty()) {
        Tree->showAllRows();
    } else {
        // Every match keeps its place: its ancestors are opened.
        for (const TaskFinder::Row& row : result.rows)
            if (row.shown)
                if (TreeNode* parent = row.node->Parent(); parent && !parent->Expanded())
                    parent->setExpanded(true);
        Tree->showFound(result.rows);
    }
    revealed_ = nullptr;
    revealSelected();
    showFindCount();
}

void Ortolan::revealSelected() {
    TreeNode* selected = tree_.SelectedItem();
    Tree->reveal(selected);
    if (selected && !isMatch(found_, selected))
        revealed_ = selected;
}

void Ortolan::showFindCount() {
    const int count = int(found_.size());
    QString text;
    if (findBar_->text().isEmpty())
        text.clear();
    else if (count == 0)
        text = QStringLiteral("No matches");
    else if (const TreeNode* selected = tree_.SelectedItem(); isMatch(found_, selected)) {
        const auto at = std::lower_bound(found_.begin(), found_.end(), selected,
                                         [](const TreeNode* m, const TreeNode* s) { return comesBefore(m, s); });
        text = QStringLiteral("%1 of %2").arg(int(at - found_.begin()) + 1).arg(count);
    } else
        text = count == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(count);
    findBar_->setCount(text);
}

void Ortolan::findStep(bool forward) {
    if (!findShown()) {
        MENU_Find();
        if (findBar_->text().isEmpty())
            return;
    }
    if (findRefresh_->isActive()) {
        findRefresh_->stop();
        refilter(false);
    }
    if (TreeNode* match = nextMatch(found_, tree_.SelectedItem(), forward)) {
        tree_.setSelectedItem(match);
        Tree->scrollTo(Tree->model()->indexFromNode(match));
    }
    showFindCount();
}

void Ortolan::closeFind() {
    if (!findShown())
        return;
    findRefresh_->stop();
    findBar_->hide();
    Tree->showAllRows();
    // Opened and closed as before the search; tasks added since keep what they have.
    for (int i = 1; i <= tree_.Count(); ++i) {
        TreeNode* node = tree_.Item(i);
        const auto before = expandedBeforeFind_.constFind(node->Key());
        if (before != expandedBeforeFind_.cend() && node->Expanded() != *before)
            node->setExpanded(*before);
    }
    expandedBeforeFind_.clear();
    found_.clear();
    revealed_ = nullptr;
    placeControls();
    // The last match stays selected and in sight.
    if (TreeNode* selected = tree_.SelectedItem()) {
        for (TreeNode* parent = selected->Parent(); parent; parent = parent->Parent())
            parent->setExpanded(true);
        Tree->scrollTo(Tree->model()->indexFromNode(selected));
    }
    Tree->setFocus(Qt::OtherFocusReason);
}

} // namespace ortolan
