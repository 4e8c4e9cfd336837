#include "model/TaskTree.h"
#include "views/TaskFinder.h"

#include <QMap>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace ortolan;

namespace {

QString keysOf(const TaskTree& tree, const TreeNode* parent) {
    QStringList keys;
    if (!parent) {
        for (int r = 0; r < tree.TopLevelCount(); ++r)
            keys << tree.TopLevelAt(r)->Key();
    } else {
        for (const TreeNode* c = parent->Child(); c; c = c->Next())
            keys << c->Key();
    }
    return keys.join(QLatin1Char(','));
}

QString indexOrder(const TaskTree& tree) {
    QStringList keys;
    for (int i = 1; i <= tree.Count(); ++i)
        keys << tree.Item(i)->Key();
    return keys.join(QLatin1Char(','));
}

// Follows the tree's announcements alone, the way an item model does, so that a test can
// check the announcements tell the whole story.
class Mirror : public QObject {
public:
    explicit Mirror(TaskTree& tree) : tree_(tree) {
        connect(&tree, &TaskTree::nodesAboutToBeInserted, this, [this](TreeNode*, int, int) { expect(false); });
        connect(&tree, &TaskTree::nodesInserted, this, [this](TreeNode* parent, int first, int last) {
            expect(true);
            for (int r = first; r <= last; ++r)
                rows[parent].insert(r, childAt(parent, r)->Key());
        });
        connect(&tree, &TaskTree::nodesAboutToBeRemoved, this, [this](TreeNode* parent, int first, int last) {
            expect(false);
            for (int r = last; r >= first; --r)
                forget(parent, rows[parent].takeAt(r));
        });
        connect(&tree, &TaskTree::nodesRemoved, this, [this](TreeNode*, int, int) { expect(true); });
        connect(&tree, &TaskTree::nodeAboutToBeMoved, this,
                [this](TreeNode* node, TreeNode* oldParent, int oldRow, TreeNode* newParent, int newRow) {
                    expect(false);
                    QCOMPARE(rows[oldParent].at(oldRow), node->Key());
                    rows[newParent].insert(newRow, rows[oldParent].takeAt(oldRow));
                });
        connect(&tree, &TaskTree::nodeMoved, this, [this](TreeNode*, TreeNode*, int, TreeNode*, int) { expect(true); });
        connect(&tree, &TaskTree::aboutToBeCleared, this, [this] { expect(false); });
        connect(&tree, &TaskTree::cleared, this, [this] {
            expect(true);
            rows.clear();
        });
    }

    // Compares what the announcements built with the tree itself.
    bool matches() {
        if (keysFromMirror(nullptr) != keysOf(tree_, nullptr))
            return false;
        for (int i = 1; i <= tree_.Count(); ++i)
            if (keysFromMirror(tree_.Item(i)) != keysOf(tree_, tree_.Item(i)))
                return false;
        return !inChange_;
    }

    QMap<TreeNode*, QStringList> rows;
    int mismatchedPairs = 0;

private:
    void expect(bool closing) {
        if (closing != inChange_)
            ++mismatchedPairs;
        inChange_ = !closing;
    }
    TreeNode* childAt(TreeNode* parent, int r) { return parent ? parent->childAt(r) : tree_.TopLevelAt(r); }
    void forget(TreeNode*, const QString& key) {
        TreeNode* node = tree_.Item(key);
        if (!node)
            return;
        for (TreeNode* c = node->Child(); c; c = c->Next())
            forget(node, c->Key());
        rows.remove(node);
    }
    QString keysFromMirror(TreeNode* parent) const { return rows.value(parent).join(QLatin1Char(',')); }

    TaskTree& tree_;
    bool inChange_ = false;
};

} // namespace

class TestTree : public QObject {
    Q_OBJECT
private slots:
    void shouldFindTextWhateverItsCaseAndAccents_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("found");
        QTest::newRow("accent stored") << QString::fromUtf8("Café") << "cafe" << true;
        QTest::newRow("accent typed") << "Resume" << QString::fromUtf8("RÉSUMÉ") << true;
        QTest::newRow("sharp s") << QString::fromUtf8("Straße") << "STRASSE" << true;
        QTest::newRow("ligature") << QString::fromUtf8("\uFB01le") << "file" << true;
        QTest::newRow("Greek capitals") << QString::fromUtf8("ΆΝΘΡΩΠΟΣ") << QString::fromUtf8("άνθρωπος") << true;
        QTest::newRow("another letter") << QString::fromUtf8("Café") << "cafa" << false;
        QTest::newRow("emoji kept") << QString::fromUtf8("Party 🎉 now") << QString::fromUtf8("🎉") << true;
    }
    void shouldFindTextWhateverItsCaseAndAccents() {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, found);
        QCOMPARE(foldedForFind(stored).contains(foldedForFind(typed)), found);
    }

    void shouldAddChildrenLastAndNumberNodesInOrderOfAddition() {
        TaskTree tree;
        tree.AddTopLevel("Root", "My Tasks", 1);
        tree.Add("Root", Relationship::Child, "A", "a", 2);
        tree.Add("Root", Relationship::Child, "B", "b", 2);
        tree.Add("A", Relationship::Child, "A1", "a1", 2);
        QCOMPARE(keysOf(tree, tree.Item("Root")), QStringLiteral("A,B"));
        QCOMPARE(indexOrder(tree), QStringLiteral("Root,A,B,A1"));
        QCOMPARE(tree.Item(4)->Index(), 4);
        QCOMPARE(tree.Item(4)->Parent(), tree.Item("A"));
        QVERIFY(!tree.Item(1)->Parent());
        QVERIFY(!tree.Item(0));
        QVERIFY(!tree.Item(5));
    }

    void shouldRefuseDuplicateKeysAndUnknownRelatives() {
        TaskTree tree;
        tree.AddTopLevel("Root", "My Tasks", 1);
        TreeError error;
        QVERIFY(!tree.Add("Root", Relationship::Child, "Root", "again", 2, &error));
        QCOMPARE(error.number, TreeErrors::KeyNotUnique);
        QVERIFY(!tree.Add("Nowhere", Relationship::Child, "X", "x", 2, &error));
        QCOMPARE(error.number, TreeErrors::ElementNotFound);
        QCOMPARE(tree.Count(), 1);
    }

    void shouldMoveIndexesDownWhenNodesAreRemoved() {
        // given Root, A (with A1, A2), B, C
        TaskTree tree;
        tree.AddTopLevel("Root", "My Tasks", 1);
        for (const char* k : {"A", "B", "C"})
            tree.Add("Root", Relationship::Child, k, k, 2);
        tree.Add("A", Relationship::Child, "A1", "a1", 2);
        tree.Add("A", Relationship::Child, "A2", "a2", 2);
        tree.setSelectedItem(tree.Item("A2"));
        // when A goes with its sub-tree
        QVERIFY(tree.Remove(QStringLiteral("A")));
        // then the later nodes close up and the selection inside it is gone
        QCOMPARE(indexOrder(tree), QStringLiteral("Root,B,C"));
        QCOMPARE(tree.Item("C")->Index(), 3);
        QVERIFY(!tree.Item("A1"));
        QVERIFY(!tree.SelectedItem());
        QCOMPARE(keysOf(tree, tree.Item("Root")), QStringLiteral("B,C"));
        // and the freed key can be used again
        QVERIFY(tree.Add("Root", Relationship::Child, "A", "again", 2));
    }

    void shouldMakeTheMovedNodeTheFirstChildOfItsNewParent() {
        TaskTree tree;
        tree.AddTopLevel("Root", "My Tasks", 1);
        for (const char* k : {"A", "B", "C"})
            tree.Add("Root", Relationship::Child, k, k, 2);
        tree.Add("A", Relationship::Child, "A1", "a1", 2);
        tree.Add("C", Relationship::Child, "C1", "c1", 2);

        QVERIFY(!tree.SetParent(tree.Item("C"), tree.Item("A")));
        QCOMPARE(keysOf(tree, tree.Item("A")), QStringLiteral("C,A1"));
        QCOMPARE(keysOf(tree, tree.Item("C")), QStringLiteral("C1")); // the sub-tree travels along
        QCOMPARE(tree.Item("C")->Index(), 4);                         // moves keep the index
        QCOMPARE(indexOrder(tree), QStringLiteral("Root,A,B,C,A1,C1"));

        // to its own parent: brought to the front of its siblings
        QVERIFY(!tree.SetParent(tree.Item("B"), tree.Item("Root")));
        QCOMPARE(keysOf(tree, tree.Item("Root")), QStringLiteral("B,A"));
        QCOMPARE(tree.Item("A1")->Previous(), tree.Item("C"));
        QCOMPARE(tree.Item("A1")->FirstSibling(), tree.Item("C"));
        QVERIFY(!tree.Item("A1")->Next());
    }

    void shouldRefuseANewParentInsideTheNodesOwnSubtree() {
        TaskTree tree;
        tree.AddTopLevel("Root", "My Tasks", 1);
        tree.Add("Root", Relationship::Child, "A", "a", 2);
        tree.Add("A", Relationship::Child, "A1", "a1", 2);
        tree.Add("A1", Relationship::Child, "A11", "a11", 2);

        const TreeError intoGrandchild = tree.SetParent(tree.Item("A"), tree.Item("A11"));
        QCOMPARE(intoGrandchild.number, TreeErrors::IntroducesCycle);
        QVERIFY(!intoGrandchild.description.isEmpty());
        QCOMPARE(tree.SetParent(tree.Item("A"), tree.Item("A")).number, TreeErrors::IntroducesCycle);
        // nodes of another tree are refused too
        TaskTree other;
        TreeNode* stranger = other.AddTopLevel("S", "s", 2);
        QCOMPARE(tree.SetParent(stranger, tree.Item("A")).number, TreeErrors::ObjectNotSet);
        QCOMPARE(tree.SetParent(tree.Item("A"), stranger).number, TreeErrors::ObjectNotSet);
        tree.setSelectedItem(stranger);
        QVERIFY(!tree.SelectedItem());
        QVERIFY(!tree.Item("A")->childAt(5));
        QVERIFY(!tree.TopLevelAt(-1));
        QCOMPARE(tree.Item("A")->Parent(), tree.Item("Root"));
        QCOMPARE(tree.Item("A11")->Parent(), tree.Item("A1"));
    }

    void shouldHideNodesUnderACollapsedAncestor() {
        TaskTree tree;
        tree.AddTopLevel("Root", "My Tasks", 1);
        tree.Add("Root", Relationship::Child, "A", "a", 2);
        tree.Add("A", Relationship::Child, "A1", "a1", 2);
        QVERIFY(tree.Item("Root")->Visible());
        QVERIFY(!tree.Item("A1")->Visible());
        tree.Item("Root")->setExpanded(true);
        tree.Item("A")->setExpanded(true);
        QVERIFY(tree.Item("A1")->Visible());
        tree.Item("Root")->setExpanded(false);
        QVERIFY(!tree.Item("A1")->Visible());
        QVERIFY(tree.Item("A")->Expanded());
    }

    void shouldAnnounceEveryChangeInPairs() {
        // given a mirror that learns the tree only from its announcements
        TaskTree tree;
        Mirror mirror(tree);
        tree.AddTopLevel("Root", "My Tasks", 1);
        QRandomGenerator rng(11);
        int next = 0;
        // when nodes are added, moved and removed at random
        for (int step = 0; step < 400; ++step) {
            const int count = tree.Count();
            const int choice = int(rng.bounded(10));
            TreeNode* some = tree.Item(1 + int(rng.bounded(count)));
            if (choice < 5 || count < 3) {
                tree.Add(some, QStringLiteral("K%1").arg(next++), QStringLiteral("n"), 2);
            } else if (choice < 8) {
                tree.SetParent(tree.Item(2 + int(rng.bounded(count - 1))), some); // refusals announce nothing
            } else {
                tree.Remove(tree.Item(2 + int(rng.bounded(count - 1))));
            }
            QVERIFY2(mirror.matches(), qPrintable(QStringLiteral("after step %1").arg(step)));
        }
        tree.Clear();
        // then the mirror saw every change, each announced before and after
        QVERIFY(mirror.matches());
        QCOMPARE(mirror.mismatchedPairs, 0);
        QCOMPARE(tree.Count(), 0);
    }

};

QTEST_GUILESS_MAIN(TestTree)
#include "test_tree.moc"
