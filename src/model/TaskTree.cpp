#include "TaskTree.h"

#include <algorithm>

namespace ortolan {

// ---- TreeNode ----

const std::vector<TreeNode*>& TreeNode::siblings() const {
    return parent_->children_;
}

void TreeNode::renumberChildren() const {
    for (size_t i = 0; i < children_.size(); ++i)
        children_[i]->row_ = int(i);
    rowsStale_ = false;
}

int TreeNode::row() const {
    if (parent_->rowsStale_)
        parent_->renumberChildren();
    return row_;
}

TreeNode* TreeNode::Parent() const {
    return tree_->publicParent(parent_);
}

TreeNode* TreeNode::Next() const {
    const auto& s = siblings();
    const size_t r = size_t(row()) + 1;
    return r < s.size() ? s[r] : nullptr;
}

TreeNode* TreeNode::Previous() const {
    const int r = row();
    return r > 0 ? siblings()[size_t(r - 1)] : nullptr;
}

TreeNode* TreeNode::FirstSibling() const {
    return siblings().front();
}

void TreeNode::setText(const QString& text) {
    if (text_ == text)
        return;
    text_ = text;
    emit tree_->nodeChanged(this);
}

void TreeNode::setImage(int image) {
    if (image_ == image)
        return;
    image_ = image;
    emit tree_->nodeChanged(this);
}

void TreeNode::setExpanded(bool expanded) {
    if (expanded_ == expanded)
        return;
    expanded_ = expanded;
    emit tree_->expandedChanged(this);
}

bool TreeNode::Visible() const {
    for (const TreeNode* p = Parent(); p; p = p->Parent())
        if (!p->expanded_)
            return false;
    return true;
}

void TreeNode::setBold(bool bold) {
    if (bold_ == bold)
        return;
    bold_ = bold;
    emit tree_->nodeChanged(this);
}

void TreeNode::setForeColor(NodeColour colour) {
    if (foreColor_ == colour)
        return;
    foreColor_ = colour;
    emit tree_->nodeChanged(this);
}

bool TreeNode::isAncestorOf(const TreeNode* other) const {
    for (const TreeNode* p = other ? other->parent_ : nullptr; p; p = p->parent_)
        if (p == this)
            return true;
    return false;
}

// ---- TaskTree ----

TaskTree::TaskTree(QObject* parent) : QObject(parent) {}

TaskTree::~TaskTree() {
    destroyAll();
}

void TaskTree::destroyAll() {
    for (TreeNode* n : nodes_)
        pool_.destroy(n);
    nodes_.clear();
    pool_.reset();
}

TreeNode* TaskTree::Add(const QString& relativeKey, Relationship, const QString& key, const QString& text, int image,
                        TreeError* error) {
    TreeNode* relative = nullptr;
    if (!relativeKey.isEmpty()) {
        relative = byKey_.value(TaskKey{relativeKey}, nullptr);
        if (!relative) {
            if (error)
                *error = {TreeErrors::ElementNotFound, QStringLiteral("Element not found")};
            return nullptr;
        }
    }
    return Add(relative, key, text, image, error);
}

TreeNode* TaskTree::Add(TreeNode* relative, const QString& key, const QString& text, int image, TreeError* error) {
    TreeNode* holder = relative ? relative : &top_;
    if (byKey_.contains(TaskKey{key})) {
        if (error)
            *error = {TreeErrors::KeyNotUnique, QStringLiteral("Key is not unique in collection")};
        return nullptr;
    }
    TreeNode* node = pool_.create(this, key, text, image);
    byKey_.insert(TaskKey{key}, node);
    node->index_ = int(nodes_.size()) + 1;
    nodes_.push_back(node);

    const int r = int(holder->children_.size());
    TreeNode* parent = publicParent(holder);
    emit nodesAboutToBeInserted(parent, r, r);
    node->parent_ = holder;
    node->row_ = r;
    holder->children_.push_back(node);
    emit nodesInserted(parent, r, r);
    return node;
}

TreeNode* TaskTree::AddTopLevel(const QString& key, const QString& text, int image, TreeError* error) {
    return Add(QString(), Relationship::Child, key, text, image, error);
}

TreeNode* TaskTree::Item(int index) const {
    if (index < 1 || index > int(nodes_.size()))
        return nullptr;
    return nodes_[size_t(index - 1)];
}

TreeNode* TaskTree::Item(const QString& key) const {
    return byKey_.value(TaskKey{key}, nullptr);
}

void TaskTree::reserve(int count) {
    nodes_.reserve(size_t(count));
    byKey_.reserve(count);
}

void TaskTree::Clear() {
    const bool hadSelection = selected_ != nullptr;
    emit aboutToBeCleared();
    top_.children_.clear();
    top_.rowsStale_ = false;
    byKey_.clear();
    destroyAll();
    selected_ = nullptr;
    emit cleared();
    if (hadSelection)
        emit selectionChanged(nullptr);
}

void TaskTree::forgetSubtree(TreeNode* node, std::vector<char>& doomed) {
    std::vector<TreeNode*> stack{node};
    while (!stack.empty()) {
        TreeNode* n = stack.back();
        stack.pop_back();
        doomed[size_t(n->index_ - 1)] = 1;
        byKey_.remove(TaskKey{n->key_});
        if (n == selected_)
            selected_ = nullptr;
        stack.insert(stack.end(), n->children_.begin(), n->children_.end());
    }
}

void TaskTree::Remove(TreeNode* node) {
    if (!node || node->tree_ != this || node == &top_)
        return;
    TreeNode* holder = node->parent_;
    const int r = node->row();
    TreeNode* parent = publicParent(holder);
    emit nodesAboutToBeRemoved(parent, r, r);

    holder->children_.erase(holder->children_.begin() + r);
    holder->rowsStale_ = true;

    std::vector<char> doomed(nodes_.size(), 0);
    const bool hadSelection = selected_ != nullptr;
    forgetSubtree(node, doomed);

    // Later nodes close up, keeping their order of addition.
    size_t out = 0;
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (doomed[i]) {
            pool_.destroy(nodes_[i]);
            continue;
        }
        nodes_[out] = nodes_[i];
        nodes_[out]->index_ = int(out) + 1;
        ++out;
    }
    nodes_.resize(out);

    emit nodesRemoved(parent, r, r);
    if (hadSelection && !selected_)
        emit selectionChanged(nullptr);
}

bool TaskTree::Remove(const QString& key) {
    TreeNode* node = Item(key);
    if (!node)
        return false;
    Remove(node);
    return true;
}

TreeError TaskTree::SetParent(TreeNode* node, TreeNode* newParent) {
    return moveTo(node, newParent, 0);
}

TreeError TaskTree::moveTo(TreeNode* node, TreeNode* newParent, int row) {
    if (!node || !newParent || node->tree_ != this || newParent->tree_ != this || node == &top_)
        return {TreeErrors::ObjectNotSet, QStringLiteral("Object variable or With block variable not set")};
    if (node == newParent || node->isAncestorOf(newParent))
        return {TreeErrors::IntroducesCycle, QStringLiteral("This will introduce a cycle.")};

    TreeNode* oldHolder = node->parent_;
    const int oldRow = node->row();
    const int others = newParent->Children() - (oldHolder == newParent ? 1 : 0);
    row = std::clamp(row, 0, others);
    if (oldHolder == newParent && oldRow == row)
        return {}; // already there

    TreeNode* oldParent = publicParent(oldHolder);
    const int destination = oldHolder == newParent && row > oldRow ? row + 1 : row;
    emit nodeAboutToBeMoved(node, oldParent, oldRow, newParent, destination);
    oldHolder->children_.erase(oldHolder->children_.begin() + oldRow);
    oldHolder->rowsStale_ = true;
    newParent->children_.insert(newParent->children_.begin() + row, node);
    newParent->rowsStale_ = true;
    node->parent_ = newParent;
    emit nodeMoved(node, oldParent, oldRow, newParent, destination);
    return {};
}

void TaskTree::setSelectedItem(TreeNode* node) {
    if (node && (node->tree_ != this || node == &top_))
        return;
    if (selected_ == node)
        return;
    selected_ = node;
    emit selectionChanged(node);
}

void TaskTree::StartLabelEdit() {
    if (selected_)
        emit labelEditRequested(selected_);
}

} // namespace ortolan
