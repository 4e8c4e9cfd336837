#include "views/TreeSearch.h"

#include "document/TaskDocument.h"
#include "views/FindBar.h"
#include "views/TaskTreeView.h"

#include <QLineEdit>
#include <QTimer>
#include <algorithm>

namespace ortolan {

TreeSearch::TreeSearch(TaskDocument& document, TaskTreeView* view, FindBar* bar, QObject* parent)
    : QObject(parent), document_(document), view_(view), bar_(bar), finder_(document), refresh_(new QTimer(this)) {
    bar_->setKeyTarget(view_);
    bar_->hide();
    refresh_->setSingleShot(true);
    refresh_->setInterval(0);
    connect(refresh_, &QTimer::timeout, this, [this] { refilter(false); });
    connect(bar_, &FindBar::searched, this, [this] { refilter(true); });
    connect(bar_, &FindBar::stepped, this, &TreeSearch::step);
    connect(bar_, &FindBar::closing, this, &TreeSearch::close);

    // The remembered texts follow every change of a task; while the bar is open, a change filters
    // again once the command that made it is done.
    TaskTree& tree = document_.tree();
    connect(&tree, &TaskTree::nodeChanged, this, [this](TreeNode* node) {
        finder_.forget(node);
        refreshLater();
    });
    connect(&document_, &TaskDocument::taskEdited, this, [this](const QString& key) {
        finder_.forget(document_.tree().Item(key));
        refreshLater();
    });
    connect(&tree, &TaskTree::nodesAboutToBeRemoved, this, &TreeSearch::forgetRemoved);
    for (auto changed : {&TaskTree::nodesInserted, &TaskTree::nodesRemoved})
        connect(&tree, changed, this, &TreeSearch::refreshLater);
    connect(&tree, &TaskTree::nodeMoved, this, &TreeSearch::refreshLater);
    // Another list: what the bar found and the opened tasks it would give back belong to the old one.
    connect(&tree, &TaskTree::aboutToBeCleared, this, [this] {
        finder_.forgetAll();
        hide();
    });
    // A task selected while the tree is filtered is shown, whether it matches or not, until
    // another is selected.
    connect(&tree, &TaskTree::selectionChanged, this, [this](TreeNode* node) {
        if (!isOpen())
            return;
        if (revealed_ && revealed_ != node)
            refreshLater();
        revealSelected();
        showCount();
    });
}

TreeSearch::~TreeSearch() = default;

bool TreeSearch::isOpen() const {
    return !bar_->isHidden();
}

void TreeSearch::refreshLater() {
    if (isOpen())
        refresh_->start();
}

void TreeSearch::forgetRemoved(TreeNode* parent, int first, int last) {
    // A removed node's memory may come back as a new node: what was kept for it goes, and the
    // matches wait for the filter to run again.
    found_.clear();
    revealed_ = nullptr;
    const TaskTree& tree = document_.tree();
    std::vector<const TreeNode*> doomed;
    for (int row = first; row <= last; ++row)
        doomed.push_back(parent ? parent->childAt(row) : tree.TopLevelAt(row));
    while (!doomed.empty()) {
        const TreeNode* node = doomed.back();
        doomed.pop_back();
        finder_.forget(node);
        for (int c = 0; c < node->Children(); ++c)
            doomed.push_back(node->childAt(c));
    }
}

void TreeSearch::open() {
    if (!isOpen()) {
        const TaskTree& tree = document_.tree();
        expandedBefore_.clear();
        expandedBefore_.reserve(tree.Count());
        for (int i = 1; i <= tree.Count(); ++i)
            expandedBefore_.insert(tree.Item(i)->Key(), tree.Item(i)->Expanded());
        finder_.foldAll(); // the cost of the first search is paid here, once per list
        bar_->show();
        bar_->raise();
        emit barShown(true);
        if (!bar_->text().isEmpty())
            refilter(false);
    }
    bar_->textBox()->setFocus(Qt::ShortcutFocusReason);
    bar_->textBox()->selectAll();
}

void TreeSearch::refilter(bool toMatch) {
    TaskTree& tree = document_.tree();
    const TaskFinder::Result result = finder_.find(bar_->text());
    found_ = result.matches;
    // As the user types, the selection goes to the first match from where it stands.
    if (toMatch && !isMatch(found_, tree.SelectedItem()))
        if (TreeNode* match = nextMatch(found_, tree.SelectedItem(), true))
            tree.setSelectedItem(match);
    if (result.rows.empty()) {
        view_->showAllRows();
    } else {
        // Every match keeps its place: its ancestors are opened.
        for (const TaskFinder::Row& row : result.rows)
            if (row.shown)
                if (TreeNode* parent = row.node->Parent(); parent && !parent->Expanded())
                    parent->setExpanded(true);
        view_->showFound(result.rows);
    }
    revealed_ = nullptr;
    revealSelected();
    showCount();
}

void TreeSearch::revealSelected() {
    TreeNode* selected = document_.tree().SelectedItem();
    view_->reveal(selected);
    if (selected && !isMatch(found_, selected))
        revealed_ = selected;
}

void TreeSearch::showCount() {
    const int count = int(found_.size());
    QString text;
    if (bar_->text().isEmpty())
        text.clear();
    else if (count == 0)
        text = QStringLiteral("No matches");
    else if (const TreeNode* selected = document_.tree().SelectedItem(); isMatch(found_, selected)) {
        const auto at = std::lower_bound(found_.begin(), found_.end(), selected,
                                         [](const TreeNode* m, const TreeNode* s) { return comesBefore(m, s); });
        text = QStringLiteral("%1 of %2").arg(int(at - found_.begin()) + 1).arg(count);
    } else
        text = count == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(count);
    bar_->setCount(text);
}

void TreeSearch::step(bool forward) {
    if (refresh_->isActive()) {
        refresh_->stop();
        refilter(false);
    }
    if (TreeNode* match = nextMatch(found_, document_.tree().SelectedItem(), forward)) {
        document_.tree().setSelectedItem(match);
        view_->scrollTo(view_->model()->indexFromNode(match));
    }
    showCount();
}

void TreeSearch::hide() {
    refresh_->stop();
    found_.clear();
    revealed_ = nullptr;
    expandedBefore_.clear();
    if (!isOpen())
        return;
    bar_->hide();
    emit barShown(false);
}

void TreeSearch::close() {
    if (!isOpen())
        return;
    TaskTree& tree = document_.tree();
    view_->showAllRows();
    // Opened and closed as before the search; tasks added since keep what they have.
    for (int i = 1; i <= tree.Count(); ++i) {
        TreeNode* node = tree.Item(i);
        const auto before = expandedBefore_.constFind(node->Key());
        if (before != expandedBefore_.cend() && node->Expanded() != *before)
            node->setExpanded(*before);
    }
    hide();
    // The last match stays selected and in sight.
    if (TreeNode* selected = tree.SelectedItem()) {
        for (TreeNode* parent = selected->Parent(); parent; parent = parent->Parent())
            parent->setExpanded(true);
        view_->scrollTo(view_->model()->indexFromNode(selected));
    }
    view_->setFocus(Qt::OtherFocusReason);
}

} // namespace ortolan
