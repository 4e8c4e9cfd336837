#include "editing/TaskFragment.h"
#include "TestSupport.h"

#include <QTest>

using namespace ortolan;

namespace {

// A fragment's tasks as "name<parent" lines, parents by index: enough to see nesting and order.
QString shape(const FragmentTasks& tasks) {
    QStringList lines;
    for (const FragmentTask& t : tasks)
        lines << t.fields.name + QLatin1Char('<') + QString::number(t.parent);
    return lines.join(QLatin1Char('\n'));
}

// Home / Trip (Flights, Hotel (Deposit)), Elsewhere
struct Trip {
    test::TaskList list;
    TreeNode* trip;
    TreeNode* flights;
    TreeNode* hotel;
    TreeNode* deposit;
    Trip() {
        list.setTitle("Home");
        trip = list.add("Trip");
        flights = list.add("Flights", trip);
        hotel = list.add("Hotel", trip);
        deposit = list.add("Deposit 120", hotel, kStatusComplete);
        list.add("Elsewhere");
    }
};

} // namespace

class TestFragment : public QObject {
    Q_OBJECT
private slots:
    void shouldCarryTheNodeWithItsSubTasksInOrder() {
        // given Trip with two sub-tasks, the second with one of its own, and a sibling after it
        Trip t;
        // when Trip is written and read back
        const auto tasks = TaskFragment::read(TaskFragment::write(*t.trip, t.list.th));
        // then Trip comes first, its sub-tasks follow in order, and nothing around it comes along
        QVERIFY(tasks);
        QCOMPARE(shape(*tasks), QStringLiteral("Trip<-1\nFlights<0\nHotel<0\nDeposit 120<2"));
        QCOMPARE(tasks->at(3).fields.status, kStatusComplete);
    }

    void shouldKeepEveryValueExactly_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("closing tag of its own field") << "a </DESC> b </NAME> </STATUS>";
        QTest::newRow("emoji and CJK") << QString::fromUtf8("🦜 \xe6\xbc\xa2\xe5\xad\x97");
        QTest::newRow("bytes that look like UTF-8") << QString::fromUtf8("Ã©");
        QTest::newRow("formula") << "Total !!sum!!";
    }
    void shouldKeepEveryValueExactly() {
        QFETCH(QString, value);
        // given a task carrying the value in every text field, and a sub-task named with it too
        test::TaskList list;
        TreeNode* node = list.add(value);
        Task* task = list.task(node);
        task->Description = value;
        task->CategoryString = value;
        task->Status = value;
        list.add(value, node);
        // when it goes through a fragment
        const auto tasks = TaskFragment::read(TaskFragment::write(*node, list.th));
        // then every field comes back as it was
        QVERIFY(tasks);
        QCOMPARE(tasks->size(), size_t(2));
        const FragmentTask& back = tasks->front();
        QCOMPARE(back.fields, (TaskFields{value, value, value, value, {}, 0}));
        QCOMPARE(tasks->back().fields.name, value);
        QCOMPARE(tasks->back().parent, 0);
    }

    // Files leave "[NOT SAVED]" tasks out; a fragment carries them, because cutting is moving and
    // must not lose what it moves. Pasted, they keep their mark and stay out of saved files.
    void shouldCarryTasksThatFilesLeaveOut_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("the import's folder") << "Outlook Tasks [NOT SAVED]";
        QTest::newRow("mark and escapes") << "&#[NOT SAVED] &[NOT SAVED]&lt;";
    }
    void shouldCarryTasksThatFilesLeaveOut() {
        QFETCH(QString, name);
        // given a marked task with a plain sub-task, which holds a marked one
        test::TaskList list;
        TreeNode* folder = list.add(name);
        TreeNode* meeting = list.add("Meeting", folder);
        list.add(name, meeting);
        // when the folder goes through a fragment
        const QByteArray bytes = TaskFragment::write(*folder, list.th);
        const auto tasks = TaskFragment::read(bytes);
        // then all three come back, names and all
        QVERIFY(tasks);
        QCOMPARE(shape(*tasks), name + "<-1\nMeeting<0\n" + name + "<1");
        // and the fragment is still a list any reader of files takes
        test::TaskList other;
        QVERIFY(other.loadBytes(bytes).ok);
        QCOMPARE(other.th.getTask("R1")->TaskName, name);
    }

    void shouldReadAWholeFileAsItsTopTasks() {
        const QByteArray file =
            "\r\n  <XML>\r\n<FORMATVERSION>1.02</FORMATVERSION>\r\n<TITLE>Home</TITLE>\r\n<LIST>\r\n"
            "<ITEM><NAME>Milk</NAME><LIST><ITEM><NAME>Oat</NAME></ITEM></LIST></ITEM>"
            "<ITEM><NAME>Bread</NAME></ITEM></LIST>\r\n</XML>\r\n";
        const auto tasks = TaskFragment::read(file);
        QVERIFY(tasks);
        QCOMPARE(shape(*tasks), QStringLiteral("Milk<-1\nOat<0\nBread<-1"));
    }

    void shouldRefuseWhatIsNotAFragment_data() {
        // clang-format off
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("plain text") << QByteArray("hello");
        QTest::newRow("no format version") << QByteArray("<XML><LIST><ITEM><NAME>a</NAME></ITEM></LIST></XML>");
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11);
        QTest::newRow("newer format") << QByteArray("<XML><FORMATVERSION>2.5</FORMATVERSION><LIST>" "<ITEM><NAME>a</NAME></ITEM></LIST></XML>");
        // clang-format on
    }
    void shouldRefuseWhatIsNotAFragment() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!TaskFragment::read(bytes));
    }
};

QTEST_GUILESS_MAIN(TestFragment)
#include "test_fragment.moc"
