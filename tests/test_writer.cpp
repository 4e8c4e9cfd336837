#include "file/ValueCodec.h"
#include "TestSupport.h"

#include <csignal>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>
#include <unistd.h>

using namespace ortolan;

namespace {

QByteArray lines(std::initializer_list<const char*> ls) {
    QByteArray out;
    for (const char* l : ls) {
        out += l;
        out += "\r\n";
    }
    return out + "\r\n";
}

} // namespace

class TestWriter : public QObject {
    Q_OBJECT
private slots:
    void shouldWriteTheGroceriesExampleByteForByte() {
        // given Home / Groceries (described, categorised, icon 3, due 5 Dec 2026) / Bread (complete)
        test::TaskList list;
        list.setTitle("Home");
        TreeNode* groceries = list.add("Groceries");
        Task* g = list.task(groceries);
        g->Description = "Milk";
        g->CategoryString = "Errands,Shopping";
        g->IconIndex = 3;
        g->DateDue = makeDueDate(QDate(2026, 12, 5));
        list.add("Bread", groceries, kStatusComplete);
        // when it is written
        const QByteArray bytes = list.xml.fileContents();
        // then
        QCOMPARE(bytes, lines({"<XML>",
                               "<FORMATVERSION>1.02</FORMATVERSION>",
                               "<TITLE>Home</TITLE>",
                               "<LIST>",
                               "\t<ITEM>",
                               "\t<NAME>Groceries</NAME>",
                               "\t<DESC>Milk</DESC>",
                               "\t<CATEGORIES>Errands,Shopping</CATEGORIES>",
                               "\t<ICONINDEX>3</ICONINDEX>",
                               "\t<STATUS>INCOMPLETE</STATUS>",
                               "\t<DATEDUE>12/5/2026</DATEDUE>",
                               "\t<LIST>",
                               "\t\t<ITEM>",
                               "\t\t<NAME>Bread</NAME>",
                               "\t\t<DESC></DESC>",
                               "\t\t<CATEGORIES></CATEGORIES>",
                               "\t\t<ICONINDEX>0</ICONINDEX>",
                               "\t\t<STATUS>COMPLETE</STATUS>",
                               "\t\t<DATEDUE>12:00:00 AM</DATEDUE>",
                               "\t\t</ITEM>",
                               "\t</LIST>",
                               "\t</ITEM>",
                               "</LIST>",
                               "</XML>"}));
        // and it reads back as the same tree
        test::TaskList back;
        QVERIFY(back.loadBytes(bytes).ok);
        QCOMPARE(back.xml.fileContents(), bytes);
        QCOMPARE(back.tree.Item("R2")->Parent()->Key(), QStringLiteral("R1"));
    }

    void shouldWriteAnEmptyListAsAnEmptyListElement() {
        test::TaskList list;
        QCOMPARE(list.xml.fileContents(), lines({"<XML>", "<FORMATVERSION>1.02</FORMATVERSION>",
                                                 "<TITLE>My Tasks</TITLE>", "<LIST>", "</LIST>", "</XML>"}));
        test::TaskList back;
        QVERIFY(back.loadBytes(list.xml.fileContents()).ok);
        QCOMPARE(back.tree.Count(), 1);
    }

    void shouldLeaveOutNotSavedTasksWithEverythingBelowThem() {
        test::TaskList list;
        list.add("Before");
        TreeNode* temp = list.add("Outlook [NOT SAVED]");
        list.add("Appointment", temp);
        list.add("After");
        const QByteArray bytes = list.xml.fileContents();
        QVERIFY(!bytes.contains("NOT SAVED"));
        QVERIFY(!bytes.contains("Appointment"));
        test::TaskList back;
        QVERIFY(back.loadBytes(bytes).ok);
        QCOMPARE(back.childNames(), QStringLiteral("Before,After"));
    }

    void shouldWriteDueDatesInUsForm_data() {
        // clang-format off
        QTest::addColumn<QDateTime>("due");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QDateTime() << "12:00:00 AM";
        QTest::newRow("plain date") << makeDueDate(QDate(2027, 2, 1)) << "2/1/2027";
        QTest::newRow("afternoon") << makeDueDate(QDate(2026, 12, 5), QTime(15, 7, 9)) << "12/5/2026 3:07:09 PM";
        QTest::newRow("just after midnight") << makeDueDate(QDate(2026, 1, 1), QTime(0, 0, 1)) << "1/1/2026 12:00:01 AM";
        QTest::newRow("time only") << makeDueDate(QDate(1899, 12, 30), QTime(9, 5, 0)) << "9:05:00 AM";
        // clang-format on
    }
    void shouldWriteDueDatesInUsForm() {
        QFETCH(QDateTime, due);
        QFETCH(QString, text);
        QCOMPARE(formatDueDate(due), text);
        // and the text reads back as the same value
        const auto back = parseDueDate(text);
        QVERIFY(back);
        QCOMPARE(hasDueDate(*back), hasDueDate(due));
        if (hasDueDate(due))
            QCOMPARE(*back, due);
    }

    void shouldReadBackEveryValueExactly_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("closing tag") << "a </DESC> b";
        QTest::newRow("item tags") << "<ITEM><NAME>x</NAME></ITEM>";
        QTest::newRow("list tags") << "</LIST></ITEM></LIST></XML>";
        QTest::newRow("escapes as text") << "&lt; &amp; &#65; &#x41; &";
        QTest::newRow("not a tag") << "a < b <NAMES> <item>";
        QTest::newRow("line breaks") << "one\r\ntwo\nthree\r";
        QTest::newRow("beyond the code page") << QString::fromUtf8("→ łódź 漢字 😀");
        QTest::newRow("code page 1252") << QString::fromUtf8("€ café “quoted” — ‰");
        QTest::newRow("controls") << QString::fromUtf8("\x01\t\x7f") + QChar(0x81) + QChar(0x80);
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x");
    }
    void shouldReadBackEveryValueExactly() {
        QFETCH(QString, value);
        // given the value in every field a task has, and in the title
        test::TaskList list;
        list.setTitle(value);
        TreeNode* node = list.add(value);
        Task* t = list.task(node);
        t->Description = value;
        t->CategoryString = value;
        t->Status = value;
        list.add("sibling");
        // when written and read back
        test::TaskList back;
        QVERIFY(back.loadBytes(list.xml.fileContents()).ok);
        // then everything is as it was
        const Task* r = back.th.getTask("R1");
        QCOMPARE(back.tree.Item(kRootID)->Text(), value);
        QCOMPARE(r->TaskName, value);
        QCOMPARE(r->Description, value);
        QCOMPARE(r->CategoryString, value);
        QCOMPARE(r->Status, value);
        QCOMPARE(back.childNames(), value + QStringLiteral(",sibling"));
    }

    void shouldKeepPlainWindows1252ValuesUnescaped() {
        const QString value = QString::fromUtf8("café € 3 < 4 & 5");
        QByteArray expected = "caf\xe9 \x80 3 < 4 & 5";
        QCOMPARE(ValueCodec::encode(value), expected);
        QCOMPARE(ValueCodec::encode(QStringLiteral("&lt;")), QByteArray("&amp;lt;"));
        QCOMPARE(ValueCodec::encode(QString::fromUtf8("→")), QByteArray("&#8594;"));
        QCOMPARE(ValueCodec::encode(QString::fromUtf8("😀")), QByteArray("&#128512;"));
    }

    void shouldReportAFailedWriteAndKeepTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("list.oxml");
        test::TaskList list;
        list.add("precious");
        QVERIFY(list.xml.saveXMLfile(path).ok);
        const QByteArray before = test::readFile(path);

        // a folder that does not exist
        const SaveResult missing = list.xml.saveXMLfile(dir.filePath("no/such/folder/list.oxml"));
        QVERIFY(!missing.ok);
        QVERIFY(!missing.error.isEmpty());

        // a folder that refuses new files: the old file must survive untouched
        if (geteuid() != 0) {
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            list.add("newer");
            const SaveResult refused = list.xml.saveXMLfile(path);
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QVERIFY(!refused.ok);
            QCOMPARE(test::readFile(path), before);
        }

        // a disk that fills up part way through: a file-size limit makes the write fail after
        // the first kilobyte, even for root
        for (int i = 0; i < 50; ++i)
            list.add(QStringLiteral("task number %1").arg(i));
        const SaveResult full = test::withFileSizeLimit(1024, [&] { return list.xml.saveXMLfile(path); });
        QVERIFY(!full.ok);
        QVERIFY(!full.error.isEmpty());
        QCOMPARE(test::readFile(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"list.oxml"})); // no leftovers
    }
};

QTEST_GUILESS_MAIN(TestWriter)
#include "test_writer.moc"
