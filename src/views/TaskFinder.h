#pragma once

#include <QHash>
#include <QString>
#include <vector>

namespace ortolan {

class TaskDocument;
class TreeNode;

// The text a search compares: case folded and accents dropped, so "cafe" finds "Café" and
// "STRASSE" finds "Straße".
QString foldedForFind(const QString& text);

// Finds the tasks whose name as shown, description or categories hold a text, and which
// nodes a filtered tree shows: the matches and their ancestors. The folded text of each node is kept between searches; whoever changes a
// node's text, description or categories says so with forget, and forgetAll after removals
// (a removed node's memory may be reused by a new one).
class TaskFinder {
public:
    explicit TaskFinder(const TaskDocument& document) : document_(document) {}

    struct Row {
        TreeNode* node = nullptr;
        bool shown = false; // the filtered tree shows this node
    };
    struct Result {
        std::vector<TreeNode*> matches; // in tree order
        std::vector<Row> rows;          // every node, in tree order; empty for an empty text
    };
    Result find(const QString& text);

    // Folds the text of every task not folded yet, so the first search costs no more than the next.
    void foldAll();
    void forget(const TreeNode* node) { folded_.remove(node); }
    void forgetAll() { folded_.clear(); }

private:
    const QString& foldedText(const TreeNode* node);

    const TaskDocument& document_; // its registry is renewed with every list
    QHash<const TreeNode*, QString> folded_;
};

// Whether the node is one of the matches (which are in tree order).
bool isMatch(const std::vector<TreeNode*>& matches, const TreeNode* node);

// Whether a comes before b in the tree's order (a parent before its children, each child's
// branch before its next sibling's).
bool comesBefore(const TreeNode* a, const TreeNode* b);

// The match after (or before) a node in tree order, going round at the end; none without
// matches. A node that is itself a match is passed over.
TreeNode* nextMatch(const std::vector<TreeNode*>& matches, const TreeNode* from, bool forward);

} // namespace ortolan
