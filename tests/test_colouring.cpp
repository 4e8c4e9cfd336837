#include "TestSupport.h"
#include "views/Colouring.h"

#include <QTest>

using namespace ortolan;

class TestColouring : public QObject {
    Q_OBJECT
private slots:
    void shouldColourByStatusAndTodayCategory_data() {
        // clang-format off
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("categories");
        QTest::addColumn<NodeColour>("colour");
        QTest::newRow("unfinished") << "INCOMPLETE" << "" << kColourBlack;
        QTest::newRow("unfinished today") << "INCOMPLETE" << "Work,Today" << kColourDarkRed;
        QTest::newRow("done today is grey") << "COMPLETE" << "Today" << kColourGrey;
        QTest::newRow("lower-case complete is unfinished") << "complete" << "Today" << kColourDarkRed;
        QTest::newRow("empty status") << "" << "" << kColourBlack;
        QTest::newRow("Todays counts") << "" << "Todays" << kColourDarkRed;
        QTest::newRow("lower-case today does not") << "" << "today" << kColourBlack;
        // clang-format on
    }
    void shouldColourByStatusAndTodayCategory() {
        QFETCH(QString, status);
        QFETCH(QString, categories);
        QFETCH(NodeColour, colour);
        test::TaskList list;
        TreeNode* node = list.add("task", nullptr, status);
        list.task(node)->CategoryString = categories;
        node->setBold(true); // as the "Today" view leaves it
        ColourTree(list.tree, list.th);
        QCOMPARE(node->ForeColor(), colour);
        QVERIFY(!node->Bold());
    }

    void shouldLeaveTheTopNodeToColorNode() {
        test::TaskList list;
        TreeNode* top = list.tree.Item(kRootID);
        top->setBold(true);
        top->setForeColor(kColourGrey);
        ColourTree(list.tree, list.th);
        QVERIFY(top->Bold());
        QCOMPARE(top->ForeColor(), kColourGrey);
        colorNode(list.tree, list.th, kRootID);
        QVERIFY(!top->Bold());
        QCOMPARE(top->ForeColor(), kColourBlack);
    }

    void shouldColourOneNodeByKey() {
        test::TaskList list;
        TreeNode* a = list.add("a");
        TreeNode* b = list.add("b");
        list.task(a)->Status = kStatusComplete;
        list.task(b)->Status = kStatusComplete;
        colorNode(list.tree, list.th, a->Key());
        QCOMPARE(a->ForeColor(), kColourGrey);
        QCOMPARE(b->ForeColor(), kColourBlack);                       // untouched
        colorNode(list.tree, list.th, QStringLiteral("no such key")); // nothing to do, no failure
    }

    void shouldSkipNodesWithoutATask() {
        test::TaskList list;
        TreeNode* orphan = list.tree.Add(list.tree.Item(kRootID), "X1", "orphan", 2);
        orphan->setForeColor(kColourDarkRed);
        ColourTree(list.tree, list.th);
        QCOMPARE(orphan->ForeColor(), kColourDarkRed);
    }
};

QTEST_GUILESS_MAIN(TestColouring)
#include "test_colouring.moc"
