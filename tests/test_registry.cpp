#include "TestSupport.h"

#include <QRandomGenerator>
#include <QTest>

using namespace ortolan;

namespace {

std::unique_ptr<Task> record(const QString& id, const QString& name = QString()) {
    auto t = std::make_unique<Task>();
    t->ID = id;
    t->TaskName = name;
    return t;
}

// What a walk from the head finds: the reference getTask must agree with.
Task* walkFind(const TaskHandler& th, const QString& id) {
    for (Task* t = th.headTask(); t; t = t->NextTask())
        if (t->ID == id)
            return t;
    return nullptr;
}

QStringList chainIDs(const TaskHandler& th) {
    QStringList ids;
    for (Task* t = th.headTask(); t; t = t->NextTask())
        ids << t->ID;
    return ids;
}

QStringList chainIDsBackwards(const TaskHandler& th) {
    QStringList ids;
    for (Task* t = th.tailTask(); t; t = t->PreviousTask())
        ids.prepend(t->ID);
    return ids;
}

} // namespace

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void shouldNotAdvanceTheCounterWhenOnlyAskedForAnID() {
        TaskHandler th;
        QCOMPARE(th.getNewTaskID(), QStringLiteral("T1"));
        QCOMPARE(th.getNewTaskID(), QStringLiteral("T1"));
        th.addTask(record(th.getNewTaskID()));
        QCOMPARE(th.getNewTaskID(), QStringLiteral("T2"));
    }

    void shouldContinueNumberingAfterTheTasksOfAFile() {
        // given a file of three tasks
        test::TaskList list;
        const QByteArray file = "<XML><LIST><ITEM><NAME>a</NAME><DESC></DESC></ITEM>"
                                "<ITEM><NAME>b</NAME><DESC></DESC></ITEM>"
                                "<ITEM><NAME>c</NAME><DESC></DESC></ITEM></LIST></XML>";
        // when it is read
        QVERIFY(list.loadBytes(file).ok);
        // then the records are R1..R3 and the next new task is T4
        QCOMPARE(chainIDs(list.th), QStringList({"Root", "R1", "R2", "R3"}));
        QCOMPARE(list.th.getTaskCount(), 3);
        QCOMPARE(list.th.getNewTaskID(), QStringLiteral("T4"));
    }

    void shouldAgreeWithAChainWalkUnderRandomChanges() {
        // A few hundred adds and deletes with colliding IDs; after each, lookups must match a walk.
        TaskHandler th;
        QRandomGenerator rng(7);
        QList<Task*> live;
        for (int step = 0; step < 600; ++step) {
            if (live.isEmpty() || rng.bounded(3) != 0) {
                live << th.addTask(record(QStringLiteral("T%1").arg(rng.bounded(40))));
            } else {
                Task* doomed = live.takeAt(rng.bounded(int(live.size())));
                th.deleteTask(doomed);
            }
            QCOMPARE(th.getTaskCount(), live.size());
            for (int id = 0; id < 40; ++id) {
                const QString key = QStringLiteral("T%1").arg(id);
                QCOMPARE(th.getTask(key), walkFind(th, key));
            }
        }
        QCOMPARE(chainIDsBackwards(th), chainIDs(th));
        Task* root = th.headTask();
        th.deleteTask(root); // the root record is never deleted
        QCOMPARE(th.headTask()->ID, QStringLiteral("Root"));
    }

    void shouldHandOutUniqueIDsPastSixteenBits() {
        // given more tasks than a 16-bit counter can number
        TaskHandler th;
        const int n = 70000;
        for (int i = 0; i < n; ++i)
            th.addTask(record(th.getNewTaskID()));
        // then every ID is still distinct and found
        QCOMPARE(th.getNewTaskID(), QStringLiteral("T%1").arg(n + 1));
        QCOMPARE(th.getTask("T32768")->ID, QStringLiteral("T32768"));
        QCOMPARE(th.getTask("T70000"), th.tailTask());
        QCOMPARE(th.getTaskCount(), n);
    }

    void shouldForgetARememberedRecordOnceItIsDeleted() {
        // given a node whose record has been looked up through the node
        TaskTree tree;
        TaskHandler th;
        TreeNode* node = tree.AddTopLevel("T1", "one", 2);
        QVERIFY(!th.taskOf(node)); // no record yet
        Task* task = th.addTask(record("T1"));
        QCOMPARE(th.taskOf(node), task); // a record added later is found
        // when the record is deleted
        th.deleteTask(task);
        // then the node no longer leads to it
        QVERIFY(!th.taskOf(node));
        Task* again = th.addTask(record("T1"));
        QCOMPARE(th.taskOf(node), again);
        // and another registry is asked afresh
        TaskHandler other;
        QVERIFY(!other.taskOf(node));
        th.init();
        QVERIFY(!th.taskOf(node));
    }

};

QTEST_GUILESS_MAIN(TestRegistry)
#include "test_registry.moc"
