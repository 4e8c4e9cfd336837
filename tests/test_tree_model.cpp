#include "file/XMLManager.h"
#include "TestSupport.h"
#include "views/Colouring.h"
#include "views/TaskTreeModel.h"
#include "views/TaskTreeView.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QFont>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace ortolan;

namespace {

// "a(b,c(d)),e": the rows below parent as the model shows them.
QString modelShape(const QAbstractItemModel& model, const QModelIndex& parent = QModelIndex()) {
    QStringList rows;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex i = model.index(r, 0, parent);
        const QString below = modelShape(model, i);
        rows << i.data().toString() + (below.isEmpty() ? QString() : QStringLiteral("(%1)").arg(below));
    }
    return rows.join(QLatin1Char(','));
}

// The same drawn from the tree itself.
QString treeShape(const TaskTree& tree, const TreeNode* parent = nullptr) {
    QStringList rows;
    const int count = parent ? parent->Children() : tree.TopLevelCount();
    for (int r = 0; r < count; ++r) {
        const TreeNode* n = parent ? parent->childAt(r) : tree.TopLevelAt(r);
        const QString below = treeShape(tree, n);
        rows << n->Text() + (below.isEmpty() ? QString() : QStringLiteral("(%1)").arg(below));
    }
    return rows.join(QLatin1Char(','));
}

// Where the view and the tree disagree about expanded nodes and the selection; empty when
// they are in step.
QString differences(const TaskTreeView& view) {
    const TaskTree& tree = *view.taskTree();
    QStringList found;
    for (int i = 1; i <= tree.Count(); ++i) {
        const TreeNode* n = tree.Item(i);
        if (view.isExpanded(view.model()->indexFromNode(n)) != n->Expanded())
            found
                << QStringLiteral("%1 expanded: view %2, tree %3").arg(n->Key()).arg(!n->Expanded()).arg(n->Expanded());
    }
    const QModelIndex selected = view.model()->indexFromNode(tree.SelectedItem());
    if (view.currentIndex() != selected)
        found << QStringLiteral("current row %1, tree's selection %2")
                     .arg(view.currentIndex().data().toString(), selected.data().toString());
    if (selected.isValid() && !view.selectionModel()->isSelected(selected))
        found << QStringLiteral("%1 selected in the tree only").arg(selected.data().toString());
    if (!selected.isValid() && view.selectionModel()->hasSelection())
        found << QStringLiteral("a row selected in the view only");
    return found.join(QStringLiteral("; "));
}

// The label editor open on the node's row, if any.
QLineEdit* editorOn(const TaskTreeView& view, const TreeNode* node) {
    return qobject_cast<QLineEdit*>(view.indexWidget(view.model()->indexFromNode(node)));
}

// Root ("My Tasks") with A (A1, A2), B and C below it.
struct SmallList {
    test::TaskList list;
    TreeNode* root = list.tree.Item(kRootID);
    TreeNode* a = list.add("A");
    TreeNode* a1 = list.add("A1", a);
    TreeNode* a2 = list.add("A2", a);
    TreeNode* b = list.add("B");
    TreeNode* c = list.add("C");

    TreeNode* named(const QString& name) const {
        if (name == kRootID)
            return root;
        for (int i = 1; i <= list.tree.Count(); ++i)
            if (list.tree.Item(i)->Text() == name)
                return list.tree.Item(i);
        return nullptr;
    }
};

} // namespace

class TestTreeModel : public QObject {
    Q_OBJECT
private slots:
    // ---- the item model ----

    void shouldStayAValidItemModelWhileTheTreeChangesAtRandom_data() {
        QTest::addColumn<bool>("topLevelNodes");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("under the one top node") << false << 7u;
        QTest::newRow("several top-level nodes") << true << 23u;
        QTest::newRow("several top-level nodes, other changes") << true << 91u;
    }
    void shouldStayAValidItemModelWhileTheTreeChangesAtRandom() {
        QFETCH(bool, topLevelNodes);
        QFETCH(quint32, seed);
        // given a model checked by the item model tester, and rows held the way views hold them
        TaskTree tree;
        tree.AddTopLevel(kRootID, QStringLiteral("Root"), 1);
        TaskTreeModel model(&tree);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QHash<QString, QPersistentModelIndex> held;
        QRandomGenerator rng(seed);
        int next = 0;

        // when nodes are added, moved, removed, changed and all cleared away
        for (int step = 0; step < 400; ++step) {
            const int count = tree.Count();
            const int choice = int(rng.bounded(20));
            TreeNode* some = count ? tree.Item(1 + int(rng.bounded(count))) : nullptr;
            TreeNode* other = count ? tree.Item(1 + int(rng.bounded(count))) : nullptr;
            if (step % 100 == 99) {
                tree.Clear();
            } else if (count < 3 || choice < 8) {
                const QString key = QStringLiteral("K%1").arg(next++);
                TreeNode* added = (topLevelNodes && choice % 4 == 0) || !some ? tree.AddTopLevel(key, key, 2)
                                                                              : tree.Add(some, key, key, 2);
                if (rng.bounded(3) == 0)
                    held.insert(key, model.indexFromNode(added));
            } else if (choice < 13) {
                tree.SetParent(some, other); // refused when other lies in some's sub-tree
            } else if (choice < 17) {
                tree.Remove(some);
            } else {
                some->setBold(!some->Bold());
                some->setForeColor(rng.bounded(0x1000000u));
            }
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("the tester objected at step %1").arg(step)));

            // then the model shows the tree's shape, and held rows follow their nodes or go with them
            QCOMPARE(modelShape(model), treeShape(tree));
            for (auto it = held.cbegin(); it != held.cend(); ++it) {
                const TreeNode* node = tree.Item(it.key());
                const QString where = QStringLiteral("%1 at step %2").arg(it.key()).arg(step);
                QVERIFY2(it.value().isValid() == bool(node), qPrintable(where));
                if (node) {
                    QVERIFY2(model.nodeFromIndex(it.value()) == node, qPrintable(where));
                    QVERIFY2(it.value() == model.indexFromNode(node), qPrintable(where));
                }
            }
        }
        tree.Clear();
        QCOMPARE(model.rowCount(), 0);
        for (const QPersistentModelIndex& p : std::as_const(held))
            QVERIFY(!p.isValid());
    }

    void shouldAnnounceAMoveAsAMoveOfOneRow_data() {
        // clang-format off
        QTest::addColumn<QString>("moved");
        QTest::addColumn<QString>("newParent");
        QTest::addColumn<int>("oldRow");
        QTest::addColumn<QString>("shapeAfter");
        const QString root = kRootID;
        QTest::newRow("to the front of its own parent") << QStringLiteral("C") << root << 2 << QStringLiteral("My Tasks(C,A(A1,A2),B)");
        QTest::newRow("into a sibling, before its children") << QStringLiteral("B") << QStringLiteral("A") << 1 << QStringLiteral("My Tasks(A(B,A1,A2),C)");
        QTest::newRow("out to its grandparent") << QStringLiteral("A2") << root << 1 << QStringLiteral("My Tasks(A2,A(A1),B,C)");
        QTest::newRow("into a leaf") << QStringLiteral("A") << QStringLiteral("C") << 0 << QStringLiteral("My Tasks(B,C(A(A1,A2)))");
        // clang-format on
    }
    void shouldAnnounceAMoveAsAMoveOfOneRow() {
        QFETCH(QString, moved);
        QFETCH(QString, newParent);
        QFETCH(int, oldRow);
        QFETCH(QString, shapeAfter);
        // given
        SmallList s;
        TaskTreeModel model(&s.list.tree);
        TreeNode* node = s.named(moved);
        TreeNode* target = s.named(newParent);
        const QModelIndex oldParentIndex = model.indexFromNode(node->Parent());
        const QModelIndex targetIndex = model.indexFromNode(target);
        const QPersistentModelIndex held = model.indexFromNode(node);
        QSignalSpy aboutToMove(&model, &QAbstractItemModel::rowsAboutToBeMoved);
        QSignalSpy reset(&model, &QAbstractItemModel::modelAboutToBeReset);
        // when
        QVERIFY(!s.list.tree.SetParent(node, target));
        // then one row moved, from its old place to the front of the new parent
        QCOMPARE(reset.size(), 0);
        QCOMPARE(aboutToMove.size(), 1);
        const QList<QVariant> args = aboutToMove.first();
        QCOMPARE(args.at(0).value<QModelIndex>(), oldParentIndex);
        QCOMPARE(args.at(1).toInt(), oldRow);
        QCOMPARE(args.at(2).toInt(), oldRow);
        QCOMPARE(args.at(3).value<QModelIndex>(), targetIndex);
        QCOMPARE(args.at(4).toInt(), 0);
        QCOMPARE(modelShape(model), shapeAfter);
        QCOMPARE(held.row(), 0);
        QCOMPARE(model.nodeFromIndex(held.parent()), target);
    }

    void shouldShowTheNodesColourAndBoldness_data() {
        QTest::addColumn<quint32>("colour");
        QTest::addColumn<bool>("bold");
        QTest::newRow("black") << quint32(kColourBlack) << false;
        QTest::newRow("dark red, bold") << quint32(kColourDarkRed) << true;
        QTest::newRow("grey") << quint32(kColourGrey) << false;
        QTest::newRow("white, bold") << 0xFFFFFFu << true;
        QTest::newRow("every channel different") << 0x123456u << false;
    }
    void shouldShowTheNodesColourAndBoldness() {
        QFETCH(quint32, colour);
        QFETCH(bool, bold);
        // given
        SmallList s;
        TaskTreeModel model(&s.list.tree);
        const QModelIndex index = model.indexFromNode(s.a1);
        s.a1->setForeColor(~colour & 0xFFFFFFu);
        s.a1->setBold(!bold);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        // when
        s.a1->setForeColor(colour);
        s.a1->setBold(bold);
        // then
        const QColor shown = index.data(Qt::ForegroundRole).value<QBrush>().color();
        QCOMPARE(shown, QColor((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
        const QVariant font = index.data(Qt::FontRole);
        QCOMPARE(font.isValid(), bold);
        if (bold)
            QVERIFY(font.value<QFont>().bold());
        QVERIFY(!changed.isEmpty());
        for (const QList<QVariant>& args : std::as_const(changed)) {
            QCOMPARE(args.at(0).value<QModelIndex>(), index);
            QCOMPARE(args.at(1).value<QModelIndex>(), index);
        }
    }

    // ---- the view ----

    void shouldKeepExpandedStateThroughStructureChanges_data() {
        QTest::addColumn<int>("change");
        QTest::newRow("last child removed, then a new one added") << 0;
        QTest::newRow("expanded node moved with its expanded child") << 1;
        QTest::newRow("moved to the front of its own parent") << 2;
        QTest::newRow("new child under an expanded leaf") << 3;
    }
    void shouldKeepExpandedStateThroughStructureChanges() {
        QFETCH(int, change);
        // given A and A1 (given a child) expanded and C collapsed
        SmallList s;
        TreeNode* a11 = s.list.add("A11", s.a1);
        TaskTreeView view(&s.list.tree);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (TreeNode* n : {s.root, s.a, s.a1})
            n->setExpanded(true);
        // when
        switch (change) {
        case 0:
            s.list.tree.Remove(a11);
            s.list.add("A12", s.a1);
            break;
        case 1:
            QVERIFY(!s.list.tree.SetParent(s.a, s.c));
            break;
        case 2:
            QVERIFY(!s.list.tree.SetParent(s.a1, s.root));
            QVERIFY(!s.list.tree.SetParent(s.a, s.root));
            break;
        case 3:
            s.b->setExpanded(true);
            s.list.add("B1", s.b);
            break;
        }
        // then the view agrees with the tree, and a later collapse from the tree still shows
        QCOMPARE(differences(view), QString());
        s.a->setExpanded(false);
        s.a1->setExpanded(false);
        QCOMPARE(differences(view), QString());
        s.a->setExpanded(true);
        QCOMPARE(differences(view), QString());
    }

    void shouldStayInStepWhenAMoveHasToBeShownAsAReset() {
        // given A and its child A1 expanded, A2 selected
        SmallList s;
        s.list.add("A11", s.a1);
        for (TreeNode* n : {s.root, s.a, s.a1})
            n->setExpanded(true);
        TaskTreeView view(&s.list.tree);
        s.list.tree.setSelectedItem(s.a2);
        QSignalSpy reset(view.model(), &QAbstractItemModel::modelReset);
        // when the tree announces a move of A onto its own place, which an item model cannot move
        emit s.list.tree.nodeAboutToBeMoved(s.a, s.root, 0, s.root, 0);
        emit s.list.tree.nodeMoved(s.a, s.root, 0, s.root, 0);
        // then the view starts afresh from the tree
        QCOMPARE(reset.size(), 1);
        QCOMPARE(modelShape(*view.model()), QStringLiteral("My Tasks(A(A1(A11),A2),B,C)"));
        QCOMPARE(differences(view), QString());
        QVERIFY(view.isExpanded(view.model()->indexFromNode(s.a1)));
    }

    void shouldOpenTheAncestorsOfANodeTheTreeSelects_data() {
        QTest::addColumn<bool>("shown");
        QTest::newRow("shown") << true;
        QTest::newRow("not shown yet") << false;
    }
    void shouldOpenTheAncestorsOfANodeTheTreeSelects() {
        QFETCH(bool, shown);
        // given A collapsed
        SmallList s;
        s.root->setExpanded(true);
        TaskTreeView view(&s.list.tree);
        if (shown) {
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
        }
        // when the program selects A's child
        s.list.tree.setSelectedItem(s.a2);
        // then A is opened to show it, in the view and in the tree
        QVERIFY(s.a->Expanded());
        QCOMPARE(differences(view), QString());
        QVERIFY(view.visualRect(view.model()->indexFromNode(s.a2)).isValid());
    }

    void shouldSelectAHalfHiddenRowTheUserClicksWithoutScrolling() {
        // given a view showing its last row only in part
        SmallList s;
        s.root->setExpanded(true);
        for (int i = 0; i < 30; ++i)
            s.list.add(QStringLiteral("N%1").arg(i));
        TaskTreeView view(&s.list.tree);
        view.resize(200, 120);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const int height = view.viewport()->height();
        QModelIndex cut = view.indexAt(QPoint(5, height - 1));
        QVERIFY(cut.isValid());
        const QRect rect = view.visualRect(cut);
        QVERIFY2(rect.bottom() >= height, "the bottom row is shown whole; make the view shorter");
        const int scrolled = view.verticalScrollBar()->value();
        // when the user clicks its visible part
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(rect.center().x(), rect.top() + 1));
        // then that node is selected and the rows stay where they were
        QCOMPARE(s.list.tree.SelectedItem(), view.model()->nodeFromIndex(cut));
        QCOMPARE(view.verticalScrollBar()->value(), scrolled);
        QCOMPARE(differences(view), QString());
    }

    void shouldKeepTheSelectionWhenTheUserTogglesTheSelectedRowOff() {
        // given B selected
        SmallList s;
        s.root->setExpanded(true);
        TaskTreeView view(&s.list.tree);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        s.list.tree.setSelectedItem(s.b);
        // when the user toggles it off
        QTest::keyClick(view.viewport(), Qt::Key_Space, Qt::ControlModifier);
        // then it stays selected, in the view as in the tree
        QCOMPARE(s.list.tree.SelectedItem(), s.b);
        QCOMPARE(differences(view), QString());
    }

    void shouldSelectTheRowFocusLandsOnWhenNothingIsSelected() {
        SmallList s;
        TaskTreeView view(&s.list.tree);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(view.hasFocus());
        QCOMPARE(s.list.tree.SelectedItem(), s.root);
        QCOMPARE(differences(view), QString());
    }

    void shouldLeaveNothingSelectedWhenTheSelectedNodeIsRemoved_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("removed");
        QTest::newRow("the node itself") << QStringLiteral("B") << QStringLiteral("B");
        QTest::newRow("its ancestor") << QStringLiteral("A2") << QStringLiteral("A");
    }
    void shouldLeaveNothingSelectedWhenTheSelectedNodeIsRemoved() {
        QFETCH(QString, selected);
        QFETCH(QString, removed);
        // given
        SmallList s;
        s.root->setExpanded(true);
        s.a->setExpanded(true);
        TaskTreeView view(&s.list.tree);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        s.list.tree.setSelectedItem(s.named(selected));
        // when
        s.list.tree.Remove(s.named(removed));
        // then the view does not pick a neighbour for the tree
        QVERIFY(!s.list.tree.SelectedItem());
        QCOMPARE(differences(view), QString());
    }

    void shouldKeepTheViewInStepThroughRandomChangesFromBothSides() {
        // given a shown view over a list with several top-level nodes
        TaskTree tree;
        tree.AddTopLevel(kRootID, QStringLiteral("Root"), 1);
        TaskTreeView view(&tree);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QRandomGenerator rng(5);
        int next = 0;
        // when the tree changes, and the tree and the user expand and select, at random
        for (int step = 0; step < 400; ++step) {
            const int count = tree.Count();
            TreeNode* some = count ? tree.Item(1 + int(rng.bounded(count))) : nullptr;
            TreeNode* other = count ? tree.Item(1 + int(rng.bounded(count))) : nullptr;
            const int choice = int(rng.bounded(23));
            if (step % 100 == 50) {
                tree.Clear();
            } else if (count < 3 || choice < 7) {
                const QString key = QStringLiteral("K%1").arg(next++);
                if (choice == 0 || !some)
                    tree.AddTopLevel(key, key, 2);
                else
                    tree.Add(some, key, key, 2);
            } else if (choice < 10) {
                tree.SetParent(some, other);
            } else if (choice < 12) {
                tree.Remove(some);
            } else if (choice < 15) {
                some->setExpanded(!some->Expanded());
            } else if (choice < 18) {
                const QModelIndex i = view.model()->indexFromNode(some);
                view.setExpanded(i, !view.isExpanded(i));
            } else if (choice < 20) {
                tree.setSelectedItem(rng.bounded(4) ? some : nullptr);
            } else {
                view.setCurrentIndex(view.model()->indexFromNode(some));
            }
            // then the two agree after every step
            QCOMPARE(modelShape(*view.model()), treeShape(tree));
            const QString found = differences(view);
            QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("step %1: %2").arg(step).arg(found)));
        }
    }

    void shouldOpenTheLabelTheTreeAsksForEvenInManualMode() {
        // given a manual list with A2 (inside collapsed A) selected
        SmallList s;
        s.root->setExpanded(true);
        s.list.tree.setLabelEdit(TaskTree::LabelEditMode::Manual);
        TaskTreeView view(&s.list.tree);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        s.list.tree.setSelectedItem(s.a2);
        QSignalSpy edited(view.model(), &TaskTreeModel::labelEdited);
        // when the program starts a label edit
        s.list.tree.StartLabelEdit();
        // then an editor opens on A2's label
        QLineEdit* editor = editorOn(view, s.a2);
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("A2"));
        // and what the user types is reported, the node left for the window to rename
        editor->setText(QStringLiteral("Call the plumber"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!editorOn(view, s.a2)); // the editor commits on its next turn of the event loop
        QCOMPARE(edited.size(), 1);
        QCOMPARE(edited.first().at(0).value<TreeNode*>(), s.a2);
        QCOMPARE(edited.first().at(1).toString(), QStringLiteral("Call the plumber"));
        QCOMPARE(s.a2->Text(), QStringLiteral("A2"));
    }

};

QTEST_MAIN(TestTreeModel)
#include "test_tree_model.moc"
