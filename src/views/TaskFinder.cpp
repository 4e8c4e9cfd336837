#include "views/TaskFinder.h"

#include "document/TaskDocument.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"

#include <algorithm>

namespace ortolan {

QString foldedForFind(const QString& text) {
    const bool plain = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (plain)
        return text.toLower();
    // Compatibility decomposition splits "é" into "e" and its accent (and "ﬁ" into "fi"); the
    // accents are then dropped.
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining &&
            category != QChar::Mark_Enclosing)
            out.append(c);
    }
    out = out.toCaseFolded();
    // Simple case folding keeps "ß" whole, which full folding writes "ss".
    out.replace(QChar(0x00DF), QLatin1String("ss"));
    return out;
}

const QString& TaskFinder::foldedText(const TreeNode* node) {
    auto it = folded_.find(node);
    if (it != folded_.end())
        return *it;
    // The fields are joined by line breaks, which a search text cannot hold, so no match
    // runs from one field into the next.
    QString text = node->Text();
    if (const Task* task = document_.taskH().taskOf(node)) {
        text += QLatin1Char('\n') + task->Description;
        text += QLatin1Char('\n') + task->CategoryString;
    }
    return *folded_.insert(node, foldedForFind(text));
}

void TaskFinder::foldAll() {
    const TaskTree& tree = document_.tree();
    folded_.reserve(tree.Count());
    for (int i = 1; i <= tree.Count(); ++i)
        foldedText(tree.Item(i));
}

TaskFinder::Result TaskFinder::find(const QString& text) {
    Result result;
    const TaskTree& tree = document_.tree();
    const QString wanted = foldedForFind(text);
    if (wanted.isEmpty())
        return result;
    result.rows.reserve(size_t(tree.Count()));
    std::vector<int> parentRow;
    parentRow.reserve(size_t(tree.Count()));
    // Shows a row and its ancestors; an ancestor already shown has its own shown already.
    auto show = [&](int row) {
        for (; row >= 0 && !result.rows[size_t(row)].shown; row = parentRow[size_t(row)])
            result.rows[size_t(row)].shown = true;
    };

    // Depth first, in tree order: the node and the rows of its ancestors.
    std::vector<std::pair<TreeNode*, int>> pending; // node, its parent's row
    for (int i = tree.TopLevelCount() - 1; i >= 0; --i)
        pending.emplace_back(tree.TopLevelAt(i), -1);
    while (!pending.empty()) {
        const auto [node, parent] = pending.back();
        pending.pop_back();
        const int row = int(result.rows.size());
        result.rows.push_back(Row{node, false});
        parentRow.push_back(parent);
        if (foldedText(node).contains(wanted)) {
            result.matches.push_back(node);
            show(row);
        }
        for (int c = node->Children() - 1; c >= 0; --c)
            pending.emplace_back(node->childAt(c), row);
    }
    return result;
}

namespace {

// The rows from the top level down to the node.
std::vector<int> pathOf(const TreeNode* node) {
    std::vector<int> path;
    for (; node; node = node->Parent())
        path.push_back(node->row());
    std::reverse(path.begin(), path.end());
    return path;
}

} // namespace

bool comesBefore(const TreeNode* a, const TreeNode* b) {
    // A path that is the start of another (an ancestor's) comes first, as the comparison of
    // sequences has it.
    return pathOf(a) < pathOf(b);
}

bool isMatch(const std::vector<TreeNode*>& matches, const TreeNode* node) {
    return node && std::binary_search(matches.begin(), matches.end(), node,
                                      [](const TreeNode* a, const TreeNode* b) { return comesBefore(a, b); });
}

TreeNode* nextMatch(const std::vector<TreeNode*>& matches, const TreeNode* from, bool forward) {
    if (matches.empty())
        return nullptr;
    if (!from)
        return forward ? matches.front() : matches.back();
    if (forward) {
        const auto after = std::upper_bound(matches.begin(), matches.end(), from,
                                            [](const TreeNode* f, const TreeNode* m) { return comesBefore(f, m); });
        return after == matches.end() ? matches.front() : *after;
    }
    const auto at = std::lower_bound(matches.begin(), matches.end(), from,
                                     [](const TreeNode* m, const TreeNode* f) { return comesBefore(m, f); });
    return at == matches.begin() ? matches.back() : *(at - 1);
}

} // namespace ortolan
