#pragma once

#include "views/TaskFinder.h"

#include <QHash>
#include <QObject>
#include <vector>

class QTimer;

namespace ortolan {

class FindBar;
class TaskDocument;
class TaskTreeView;
class TreeNode;

// What the find bar does to the tree: it filters the view to the tasks that match as the user
// types, steps the selection through the matches, follows every change of the list while it
// is open, and gives back the opened and closed tasks when it closes. The window owns it,
// places the bar and decides when a search may open.
class TreeSearch : public QObject {
    Q_OBJECT
public:
    TreeSearch(TaskDocument& document, TaskTreeView* view, FindBar* bar, QObject* parent = nullptr);
    ~TreeSearch() override;

    bool isOpen() const;
    // Shows the bar with the focus in its text, filtering at once by a text it kept.
    void open();
    // The next or previous match of the open bar, going round at the ends.
    void step(bool forward);
    // Every task shown again, opened and closed as before, the last match selected and in sight.
    void close();

signals:
    void barShown(bool shown); // the window lays the tree and the bar out again

private:
    // The tree filtered anew; toMatch moves the selection to the first match from it when it is
    // on none.
    void refilter(bool toMatch);
    void revealSelected(); // the selected task shown, though the filter may leave it out
    void showCount();
    void refreshLater(); // while open: filters again once the change under way is done
    void forgetRemoved(TreeNode* parent, int first, int last);
    void hide(); // the bar gone, nothing given back (the list it searched is gone)

    TaskDocument& document_;
    TaskTreeView* view_;
    FindBar* bar_;
    TaskFinder finder_;
    std::vector<TreeNode*> found_;     // the matches, in tree order
    QHash<QString, bool> expandedBefore_; // by key, when the bar opened
    QTimer* refresh_;                  // filters again once a change of the tree is done
    const TreeNode* revealed_ = nullptr; // a task shown only because it was selected; never read
};

} // namespace ortolan
