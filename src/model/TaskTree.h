#pragma once

#include "ObjectPool.h"
#include "TaskKey.h"

#include <memory>
#include <QHash>
#include <QObject>
#include <QString>
#include <vector>

namespace ortolan {

class Task;
class TaskHandler;
class TaskTree;

// A text colour as 0xRRGGBB.
using NodeColour = quint32;

// What the tree says when it refuses an operation: a number and a description, shown to the
// user by the command that asked.
struct TreeError {
    int number = 0;
    QString description;
    explicit operator bool() const { return number != 0; }
};

namespace TreeErrors {
inline constexpr int ObjectNotSet = 91;
inline constexpr int ElementNotFound = 35601;
inline constexpr int KeyNotUnique = 35602;
inline constexpr int IntroducesCycle = 35614;
} // namespace TreeErrors

enum class Relationship { Child = 4 };

class TreeNode {
public:
    const QString& Key() const { return key_; }
    const QString& Text() const { return text_; }
    void setText(const QString& text);
    int Image() const { return image_; }
    void setImage(int image);

    // 1-based place in the node collection, in order of addition.
    int Index() const { return index_; }

    TreeNode* Parent() const; // none for a top-level node
    TreeNode* Child() const { return children_.empty() ? nullptr : children_.front(); }
    TreeNode* Next() const;
    TreeNode* Previous() const;
    TreeNode* FirstSibling() const;
    int Children() const { return int(children_.size()); }
    TreeNode* childAt(int row) const { return row >= 0 && row < Children() ? children_[size_t(row)] : nullptr; }
    int row() const; // place among its siblings, 0-based

    bool Expanded() const { return expanded_; }
    void setExpanded(bool expanded);
    bool Visible() const; // false while a collapsed ancestor hides it

    bool Bold() const { return bold_; }
    void setBold(bool bold);
    NodeColour ForeColor() const { return foreColor_; }
    void setForeColor(NodeColour colour);

    bool isAncestorOf(const TreeNode* other) const;

private:
    friend class TaskTree;
    friend class TaskHandler;
    friend class ObjectPool<TreeNode>;
    TreeNode(TaskTree* tree, QString key, QString text, int image)
        : tree_(tree), key_(std::move(key)), text_(std::move(text)), image_(image) {}
    const std::vector<TreeNode*>& siblings() const;
    void renumberChildren() const;

    TaskTree* tree_;
    TreeNode* parent_ = nullptr; // the hidden holder for top-level nodes
    std::vector<TreeNode*> children_;
    QString key_;
    QString text_;
    int index_ = 0;
    mutable int row_ = 0;
    int image_ = 0;
    NodeColour foreColor_ = 0;
    bool expanded_ = false;
    bool bold_ = false;
    mutable bool rowsStale_ = false; // children_'s row_ fields need renumbering
    // The node's record as the registry last found it (see TaskHandler::taskOf).
    mutable Task* task_ = nullptr;
    mutable quint64 taskGeneration_ = 0;
};

// The task tree: the shape of the list and the text shown for each task. Nodes are found by
// key or by their 1-based index; removing a node moves later indexes down, moves never change
// them. Structure changes are announced in pairs (about to / done) so an item model can follow.
class TaskTree : public QObject {
    Q_OBJECT
public:
    enum class LabelEditMode { Automatic = 0, Manual = 1 };

    explicit TaskTree(QObject* parent = nullptr);
    ~TaskTree() override;

    // Adds a node as the last child of the node with relativeKey, or as a top-level node when
    // relativeKey is empty. Returns null and sets *error when the key is taken or the relative
    // does not exist.
    TreeNode* Add(const QString& relativeKey, Relationship relationship, const QString& key, const QString& text,
                  int image, TreeError* error = nullptr);
    // The same with the relative given as a node (null: top level).
    TreeNode* Add(TreeNode* relative, const QString& key, const QString& text, int image, TreeError* error = nullptr);
    TreeNode* AddTopLevel(const QString& key, const QString& text, int image, TreeError* error = nullptr);

    TreeNode* Item(int index) const; // 1-based; null when out of range
    TreeNode* Item(const QString& key) const;
    int Count() const { return int(nodes_.size()); }

    void reserve(int count); // room for this many nodes without growing the collection
    void Clear();
    void Remove(TreeNode* node); // the node and its descendants
    bool Remove(const QString& key);

    // Moves the node with its sub-tree to be the first child of newParent. Refused when
    // newParent is the node itself or lies inside its sub-tree.
    TreeError SetParent(TreeNode* node, TreeNode* newParent);
    // The same to any row of newParent (counted once the node has left its place; past the end:
    // last). The move signals give the destination as an item model counts it, before the node
    // leaves its place.
    TreeError moveTo(TreeNode* node, TreeNode* newParent, int row);

    // Top-level nodes, in order.
    int TopLevelCount() const { return int(top_.children_.size()); }
    TreeNode* TopLevelAt(int row) const { return top_.childAt(row); }

    TreeNode* SelectedItem() const { return selected_; }
    void setSelectedItem(TreeNode* node); // a node of this tree, or null

    LabelEditMode LabelEdit() const { return labelEdit_; }
    void setLabelEdit(LabelEditMode mode) { labelEdit_ = mode; }
    void StartLabelEdit(); // asks the view to open the selected node's label

signals:
    // parent is null for top-level rows.
    void nodesAboutToBeInserted(ortolan::TreeNode* parent, int first, int last);
    void nodesInserted(ortolan::TreeNode* parent, int first, int last);
    void nodesAboutToBeRemoved(ortolan::TreeNode* parent, int first, int last);
    void nodesRemoved(ortolan::TreeNode* parent, int first, int last);
    void nodeAboutToBeMoved(ortolan::TreeNode* node, ortolan::TreeNode* oldParent, int oldRow,
                            ortolan::TreeNode* newParent, int newRow);
    void nodeMoved(ortolan::TreeNode* node, ortolan::TreeNode* oldParent, int oldRow, ortolan::TreeNode* newParent,
                   int newRow);
    void aboutToBeCleared();
    void cleared();
    void nodeChanged(ortolan::TreeNode* node); // text, image, colour or bold
    void expandedChanged(ortolan::TreeNode* node);
    void selectionChanged(ortolan::TreeNode* node);
    void labelEditRequested(ortolan::TreeNode* node);

private:
    friend class TreeNode;
    TreeNode* publicParent(const TreeNode* holder) const {
        return holder == &top_ ? nullptr : const_cast<TreeNode*>(holder);
    }
    void forgetSubtree(TreeNode* node, std::vector<char>& doomed);

    void destroyAll();

    TreeNode top_{this, QString(), QString(), 0}; // holds the top-level nodes; not in the collection
    ObjectPool<TreeNode> pool_;
    std::vector<TreeNode*> nodes_; // index order
    QHash<TaskKey, TreeNode*> byKey_;
    TreeNode* selected_ = nullptr;
    LabelEditMode labelEdit_ = LabelEditMode::Automatic;
};

} // namespace ortolan
