#include "file/ValueCodec.h"
#include "TestSupport.h"
#include "views/Colouring.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using namespace ortolan;

namespace {

QByteArray item(const QByteArray& name, const QByteArray& inner = QByteArray()) {
    return "<ITEM><NAME>" + name + "</NAME><DESC></DESC><STATUS>INCOMPLETE</STATUS>" + inner + "</ITEM>";
}

QByteArray file(const QByteArray& items, const QByteArray& version = "1.02") {
    return "<XML>\r\n<FORMATVERSION>" + version + "</FORMATVERSION>\r\n<TITLE>T</TITLE>\r\n<LIST>\r\n" + items +
           "</LIST>\r\n</XML>\r\n\r\n";
}

QByteArray itemsFile(int n) {
    QByteArray items;
    for (int i = 1; i <= n; ++i)
        items += item("Item " + QByteArray::number(i));
    return file(items);
}

// Every task's name and depth below the top node, in file order.
QStringList namesAndDepths(const test::TaskList& list) {
    QStringList out;
    std::vector<std::pair<const TreeNode*, int>> stack;
    const TreeNode* top = list.tree.Item(kRootID);
    for (int r = top->Children() - 1; r >= 0; --r)
        stack.emplace_back(top->childAt(r), 1);
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        out << QStringLiteral("%1:%2").arg(depth).arg(list.th.getTask(node->Key())->TaskName);
        for (int r = node->Children() - 1; r >= 0; --r)
            stack.emplace_back(node->childAt(r), depth + 1);
    }
    return out;
}

// How deep the tree goes below the top node, following first children.
int firstChildDepth(const test::TaskList& list) {
    int depth = 0;
    for (const TreeNode* n = list.tree.Item(kRootID)->Child(); n; n = n->Child())
        ++depth;
    return depth;
}

QList<float> progressOf(const QByteArray& bytes) {
    test::TaskList list;
    QList<float> seen;
    list.xml.setProgressHandler([&](float f) { seen << f; });
    list.loadBytes(bytes);
    return seen;
}

} // namespace

class TestReader : public QObject {
    Q_OBJECT
private slots:
    void shouldReadTwoHundredItemsWhateverTheWhitespace() {
        // given 200 top-level items, every fifth with sub-items, and odd spacing between elements
        QByteArray items;
        const QByteArray gaps[] = {"", "\r\n", "\t\t\t", " junk text ", "\n\n"};
        for (int i = 1; i <= 200; ++i) {
            const QByteArray gap = gaps[i % 5];
            QByteArray inner;
            if (i % 5 == 0)
                inner = gap + "<LIST>" + gap + item("sub " + QByteArray::number(i)) + gap +
                        item("sub2 " + QByteArray::number(i)) + "</LIST>" + gap;
            items += gap + item("Item " + QByteArray::number(i), inner) + gap;
        }
        // when it is read
        test::TaskList list;
        QVERIFY(list.loadBytes(file(items)).ok);
        // then exactly 200 top-level items, in order, each with its own sub-items
        const TreeNode* top = list.tree.Item(kRootID);
        QCOMPARE(top->Children(), 200);
        for (int i = 1; i <= 200; ++i) {
            const TreeNode* n = top->childAt(i - 1);
            QCOMPARE(n->Text(), QStringLiteral("Item %1").arg(i));
            QCOMPARE(n->Children(), i % 5 == 0 ? 2 : 0);
        }
        QCOMPARE(list.th.getTaskCount(), 200 + 2 * 40);
    }

    void shouldNumberKeysItemThenSubItemsThenNextSibling() {
        test::TaskList list;
        QVERIFY(list.loadBytes(file(item("A", "<LIST>" + item("A1", "<LIST>" + item("A1a") + "</LIST>") + item("A2") +
                                                  "</LIST>") +
                                    item("B")))
                    .ok);
        QStringList order;
        for (const char* name : {"A", "A1", "A1a", "A2", "B"})
            for (int i = 2; i <= list.tree.Count(); ++i)
                if (list.tree.Item(i)->Text() == QLatin1String(name))
                    order << list.tree.Item(i)->Key();
        QCOMPARE(order, QStringList({"R1", "R2", "R3", "R4", "R5"}));
        QCOMPARE(list.th.getTask("R3")->TaskName, QStringLiteral("A1a"));
        QCOMPARE(list.tree.Item("R3")->Parent()->Key(), QStringLiteral("R2"));
    }

    void shouldTakeFieldsVerbatimAndShowPictureTwoForIconZero() {
        test::TaskList list;
        QVERIFY(list.loadBytes(file("<ITEM><NAME> spaced </NAME><DESC>line 1\r\nline 2</DESC>"
                                    "<CATEGORIES>Today,Work</CATEGORIES><ICONINDEX>0</ICONINDEX>"
                                    "<STATUS>complete</STATUS><DATEDUE>2/1/2027 3:07:09 PM</DATEDUE></ITEM>"
                                    "<ITEM><NAME>No icon</NAME><DESC></DESC></ITEM>"
                                    "<ITEM><NAME>Icon 7</NAME><ICONINDEX>7</ICONINDEX><DESC></DESC></ITEM>"))
                    .ok);
        const Task* t = list.th.getTask("R1");
        QCOMPARE(t->TaskName, QStringLiteral(" spaced "));
        QCOMPARE(t->Description, QStringLiteral("line 1\r\nline 2"));
        QCOMPARE(t->CategoryString, QStringLiteral("Today,Work"));
        QCOMPARE(t->Status, QStringLiteral("complete"));
        QCOMPARE(t->DateDue, makeDueDate(QDate(2027, 2, 1), QTime(15, 7, 9)));
        QCOMPARE(t->IconIndex, 0);
        QCOMPARE(list.tree.Item("R1")->Image(), 2);
        QCOMPARE(list.tree.Item("R2")->Image(), 2);
        QVERIFY(!hasDueDate(list.th.getTask("R2")->DateDue));
        QVERIFY(list.th.getTask("R2")->Status.isEmpty());
        QCOMPARE(list.tree.Item("R3")->Image(), 7);
        QCOMPARE(list.th.getTask("R3")->IconIndex, 7);
    }

    void shouldAskBeforeReadingANewerFormat_data() {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("asks");
        QTest::newRow("1.03") << QByteArray("1.03") << true;
        QTest::newRow("1.02") << QByteArray("1.02") << false;
        QTest::newRow("none") << QByteArray() << false;
        QTest::newRow("not a number") << QByteArray("abc") << false;
    }
    void shouldAskBeforeReadingANewerFormat() {
        QFETCH(QByteArray, version);
        QFETCH(bool, asks);
        const QByteArray bytes = file(item("A"), version);
        // answered No
        test::ScriptedPrompt no;
        test::TaskList list;
        const LoadResult refused = list.loadBytes(bytes, &no);
        QCOMPARE(no.asked.size(), asks ? 1 : 0);
        QCOMPARE(refused.ok, !asks);
        if (asks) {
            const PromptMessage& m = no.asked.first();
            QCOMPARE(m.title, QStringLiteral("Error loading file"));
            QCOMPARE(m.buttons, PromptButtons::YesNo);
            QCOMPARE(m.text, QStringLiteral("This is file was created in a newer version on Ortolan. Please download "
                                            "the latest version in order to read this file.\nWould you like to try to "
                                            "open the file anyway?"));
            // answered Yes
            test::ScriptedPrompt yes;
            yes.answers << PromptAnswer::Yes;
            QVERIFY(list.loadBytes(bytes, &yes).ok);
            QCOMPARE(list.childNames(), QStringLiteral("A"));
        }
    }

    void shouldReadMissingAndEmptyFilesAsAnEmptyList() {
        QTemporaryDir dir;
        QFile empty(dir.filePath("empty.oxml"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        for (const QString& path :
             {dir.filePath("empty.oxml"), dir.filePath("missing.oxml"), dir.filePath("no/such/folder/missing.oxml")}) {
            test::TaskList list;
            test::ScriptedPrompt prompt;
            list.xml.setPrompt(&prompt);
            const LoadResult r = loadTaskList(list.xml, path, list.tree, list.th);
            QVERIFY(r.ok);
            QCOMPARE(list.tree.Count(), 1);
            QCOMPARE(list.tree.Item(kRootID)->Text(), QStringLiteral("My Tasks"));
            QVERIFY(prompt.asked.isEmpty());
        }
        QVERIFY(!QFile::exists(dir.filePath("missing.oxml"))); // reading creates nothing
    }

    void shouldRefuseAPathThatCannotBeRead() {
        QTemporaryDir dir;
        test::TaskList list;
        const LoadResult r = loadTaskList(list.xml, dir.path(), list.tree, list.th);
        QVERIFY(!r.ok);
        QVERIFY(r.error.contains(dir.path()));
    }

    void shouldReadBrokenFilesAsExpected_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("topLevel");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("questions");
        // clang-format off
        QTest::newRow("complete") << "complete.oxml" << true << "Broken" << "One,Two,Three" << 4 << 0 << 0;
        QTest::newRow("cut inside an item") << "cut-in-item.oxml" << true << "Broken" << "One,Two" << 3 << 0 << 0;
        QTest::newRow("cut inside a sub-list") << "cut-in-nested-list.oxml" << true << "Broken" << "One" << 1 << 0 << 0;
        QTest::newRow("list never closed") << "unclosed-list.oxml" << true << "Broken" << "One,Two,Three" << 4 << 0 << 0;
        QTest::newRow("empty") << "empty.oxml" << true << "My Tasks" << "" << 0 << 0 << 0;
        QTest::newRow("binary garbage") << "garbage.oxml" << false << "" << "" << 0 << 0 << 0;
        QTest::newRow("unreadable dates") << "bad-dates.oxml" << true << "Broken" << "Good,Bad month,Words" << 3 << 2 << 0;
        QTest::newRow("unreadable icons") << "bad-icons.oxml" << true << "Broken" << "Big,Letters,Fine,Unknown picture" << 4 << 2 << 0;
        QTest::newRow("newer version declined") << "newer-version.oxml" << false << "" << "" << 0 << 0 << 1;
        QTest::newRow("version overflows") << "huge-version.oxml" << false << "" << "" << 0 << 0 << 1;
        QTest::newRow("no version") << "no-version.oxml" << true << "Broken" << "One,Two,Three" << 4 << 0 << 0;
        QTest::newRow("no title") << "no-title.oxml" << true << "My Tasks" << "One,Two,Three" << 4 << 0 << 0;
        QTest::newRow("missing fields") << "missing-fields.oxml" << true << "Broken" << "Only a name,,Last" << 3 << 0 << 0;
        QTest::newRow("UTF-8") << "utf8.oxml" << true << "Broken" << QString::fromUtf8("Zürich → 東京") << 1 << 0 << 0;
        QTest::newRow("Windows-1252") << "cp1252.oxml" << true << "Broken" << QString::fromUtf8("Café €5") << 1 << 0 << 0;
        QTest::newRow("starts with an item") << "starts-with-item.oxml" << true << "My Tasks" << "Inner" << 1 << 0 << 0;
        QTest::newRow("Windows-1252 that would be UTF-8") << "cp1252-like-utf8.oxml" << true << "Broken" << QString::fromUtf8("ZÃ¼rich") << 1 << 0 << 0;
        // clang-format on
    }
    void shouldReadBrokenFilesAsExpected() {
        QFETCH(QString, name);
        QFETCH(bool, ok);
        QFETCH(QString, title);
        QFETCH(QString, topLevel);
        QFETCH(int, count);
        QFETCH(int, skipped);
        QFETCH(int, questions);
        test::TaskList list;
        test::ScriptedPrompt prompt;
        list.xml.setPrompt(&prompt);
        QList<float> progress;
        list.xml.setProgressHandler([&](float f) { progress << f; });
        const LoadResult r = loadTaskList(list.xml, QStringLiteral(ORTOLAN_TEST_DATA "/") + name, list.tree, list.th);
        QCOMPARE(r.ok, ok);
        QCOMPARE(prompt.asked.size(), questions);
        for (float f : progress)
            QVERIFY(f > 0 && f <= 1);
        if (!ok)
            return;
        QCOMPARE(list.tree.Item(kRootID)->Text(), title);
        QCOMPARE(list.childNames(), topLevel);
        QCOMPARE(list.th.getTaskCount(), count);
        QCOMPARE(list.tree.Count(), count + 1);
        QCOMPARE(r.skippedValues, skipped);
        // every item the file has a tag for and that was not read is counted, for the user to hear of
        const int tags = int(test::readFile(QStringLiteral(ORTOLAN_TEST_DATA "/") + name).count("<ITEM>"));
        QCOMPARE(r.unreadItems, tags - count);
    }

    void shouldReadBackWhatItWroteOfEveryDataFile() {
        const QDir data(QStringLiteral(ORTOLAN_TEST_DATA));
        const QStringList names = data.entryList({QStringLiteral("*.oxml")}, QDir::Files, QDir::Name);
        QVERIFY(names.size() > 10);
        for (const QString& name : names) {
            test::TaskList first;
            test::ScriptedPrompt yes;
            yes.answers << PromptAnswer::Yes;
            first.xml.setPrompt(&yes);
            if (!loadTaskList(first.xml, data.filePath(name), first.tree, first.th).ok)
                continue;
            const QByteArray saved = first.xml.fileContents();
            test::TaskList second;
            QVERIFY2(second.loadBytes(saved).ok, qPrintable(name));
            QCOMPARE(second.th.getTask(kRootID)->TaskName, first.tree.Item(kRootID)->Text());
            QCOMPARE(namesAndDepths(second), namesAndDepths(first));
        }
    }

    void shouldWriteWindows1252AsItIsUnlessItWouldReadAsUtf8_data() {
        // Names whose Windows-1252 bytes may happen to form UTF-8 ("Ã¼" is C3 BC).
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("written"); // part of the file
        QTest::addColumn<int>("escapes");
        QTest::newRow("French and German") << QStringList{QString::fromUtf8("«café»"), QString::fromUtf8("Größe")}
                                           << QByteArray("<NAME>\xAB" "caf\xE9\xBB</NAME>") << 0;
        QTest::newRow("would read as UTF-8: one escape")
            << QStringList{QString::fromUtf8("ZÃ¼rich"), QString::fromUtf8("Ã©tÃ© Ã€")}
            << QByteArray("<NAME>Z\xC3&#188;rich</NAME>\r\n\t<DESC></DESC>") << 1;
        QTest::newRow("UTF-8 look-alike beside plain French")
            << QStringList{QString::fromUtf8("ZÃ¼rich"), QString::fromUtf8("café")}
            << QByteArray("<NAME>Z\xC3\xBCrich</NAME>") << 0;
        QTest::newRow("a lead byte at the end of a value")
            << QStringList{QString::fromUtf8("Ã©"), QString::fromUtf8("endsÃ")} << QByteArray("<NAME>\xC3\xA9</NAME>")
            << 0;
    }
    void shouldWriteWindows1252AsItIsUnlessItWouldReadAsUtf8() {
        QFETCH(QStringList, names);
        QFETCH(QByteArray, written);
        QFETCH(int, escapes);
        test::TaskList list;
        for (const QString& name : names)
            list.add(name);
        const QByteArray saved = list.xml.fileContents();
        QVERIFY(!ValueCodec::looksLikeUtf8(saved));
        QVERIFY2(saved.contains(written), saved.constData());
        QCOMPARE(int(saved.count("&#")), escapes);
        test::TaskList again;
        QVERIFY(again.loadBytes(saved).ok);
        QCOMPARE(again.childNames(), names.join(','));
    }

    void shouldReadWriteAndDropATreeTwoHundredThousandLevelsDeep() {
        constexpr int kDepth = 200000;
        QByteArray items;
        items.reserve(kDepth * 40);
        for (int i = 1; i <= kDepth; ++i)
            items += "<ITEM><NAME>L" + QByteArray::number(i) + "</NAME><LIST>";
        for (int i = 1; i <= kDepth; ++i)
            items += "</LIST></ITEM>";
        QByteArray saved;
        {
            test::TaskList list;
            QVERIFY(list.loadBytes(file(items)).ok);
            QCOMPARE(list.th.getTaskCount(), kDepth);
            QCOMPARE(firstChildDepth(list), kDepth);
            QCOMPARE(list.th.getTask(list.tree.Item(kDepth + 1)->Key())->TaskName, QStringLiteral("L200000"));
            saved = list.xml.fileContents();
            // The tabs stop growing at some depth, so the file stays proportional to the tree.
            QVERIFY(saved.size() < qsizetype(kDepth) * 1000);
        } // the tree goes here, all 200,000 levels of it
        test::TaskList again;
        QVERIFY(again.loadBytes(saved).ok);
        QCOMPARE(again.th.getTaskCount(), kDepth);
        QCOMPARE(firstChildDepth(again), kDepth);
    }

    void shouldStopIndentingPastThirtyTwoLevels() {
        test::TaskList list;
        TreeNode* parent = nullptr;
        for (int i = 1; i <= 40; ++i)
            parent = list.add(QStringLiteral("L%1").arg(i), parent);
        const QByteArray saved = list.xml.fileContents();
        QVERIFY(saved.contains("\r\n" + QByteArray(32, '\t') + "<NAME>L40</NAME>\r\n"));
        QVERIFY(saved.contains("\r\n" + QByteArray(31, '\t') + "<NAME>L31</NAME>\r\n"));
        QVERIFY(!saved.contains(QByteArray(33, '\t')));
        test::TaskList again;
        QVERIFY(again.loadBytes(saved).ok);
        QCOMPARE(firstChildDepth(again), 40);
    }

    void shouldReadAMillionUnclosedItemsAsNoTasks() {
        // An item without its closing tag ends its list, so none of these is a task.
        QByteArray unclosed;
        unclosed.reserve(6 * 1000000 + 200);
        unclosed += "<XML><FORMATVERSION>1.02</FORMATVERSION><TITLE>T</TITLE><LIST>";
        for (int i = 0; i < 1000000; ++i)
            unclosed += "<ITEM>";
        test::TaskList list;
        const LoadResult r = list.loadBytes(unclosed);
        QVERIFY(r.ok);
        QCOMPARE(list.th.getTaskCount(), 0);
        QCOMPARE(list.tree.Count(), 1);
        QCOMPARE(list.th.getTask(kRootID)->TaskName, QStringLiteral("T"));

        // A million unclosed items after a thousand whole ones: the whole ones are read.
        QByteArray closedThenOpen = file(QByteArray("<ITEM><NAME>x</NAME></ITEM>").repeated(1000));
        closedThenOpen.insert(closedThenOpen.lastIndexOf("</LIST>"),
                              QByteArray("<ITEM><NAME>y</NAME>").repeated(1000000));
        test::TaskList mixed;
        QVERIFY(mixed.loadBytes(closedThenOpen).ok);
        QCOMPARE(mixed.th.getTaskCount(), 1000);
    }

    void shouldSkipOnlyTheValuesThatCannotBeRead() {
        test::TaskList list;
        QVERIFY(loadTaskList(list.xml, ORTOLAN_TEST_DATA "/bad-dates.oxml", list.tree, list.th).ok);
        QCOMPARE(list.th.getTask("R1")->DateDue, makeDueDate(QDate(2027, 2, 1)));
        QVERIFY(!hasDueDate(list.th.getTask("R2")->DateDue));
        QCOMPARE(list.th.getTask("R2")->Status, QStringLiteral("INCOMPLETE"));
        test::TaskList icons;
        QVERIFY(loadTaskList(icons.xml, ORTOLAN_TEST_DATA "/bad-icons.oxml", icons.tree, icons.th).ok);
        QCOMPARE(icons.th.getTask("R1")->IconIndex, 0);
        QCOMPARE(icons.th.getTask("R4")->IconIndex, 50); // a picture the list lacks: shown as 2, kept as 50
        QCOMPARE(icons.tree.Item("R4")->Image(), 2);
    }

    void shouldReadDueDates_data() {
        // clang-format off
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("due"); // invalid: no due date
        QTest::addColumn<bool>("readable");
        const QDateTime none;
        QTest::newRow("no date") << "12:00:00 AM" << none << true;
        QTest::newRow("date") << "12/5/2026" << makeDueDate(QDate(2026, 12, 5)) << true;
        QTest::newRow("date and time") << "12/5/2026 3:07:09 PM" << makeDueDate(QDate(2026, 12, 5), QTime(15, 7, 9)) << true;
        QTest::newRow("24-hour time") << "1/1/2026 17:45" << makeDueDate(QDate(2026, 1, 1), QTime(17, 45)) << true;
        QTest::newRow("ISO with time") << "2026-12-05T08:00:00" << makeDueDate(QDate(2026, 12, 5), QTime(8, 0)) << true;
        QTest::newRow("spaces around") << "  2/1/2027 " << makeDueDate(QDate(2027, 2, 1)) << true;
        QTest::newRow("no such day") << "2/30/2026" << none << false;
        QTest::newRow("two-digit year") << "12/5/26" << none << false;
        QTest::newRow("hour 13 PM") << "1/1/2026 13:00:00 PM" << none << false;
        QTest::newRow("trailing text") << "12/5/2026 soon" << none << false;
        // clang-format on
    }
    void shouldReadDueDates() {
        QFETCH(QString, text);
        QFETCH(QDateTime, due);
        QFETCH(bool, readable);
        const auto read = parseDueDate(text);
        QCOMPARE(bool(read), readable);
        if (readable) {
            QCOMPARE(hasDueDate(*read), due.isValid());
            if (due.isValid())
                QCOMPARE(*read, due);
        }
    }

    void shouldReportProgressOncePerWholePercent_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("reports");
        QTest::newRow("10 items") << 10 << 10;
        QTest::newRow("150 items") << 150 << 100;
        QTest::newRow("no items") << 0 << 0;
    }
    void shouldReportProgressOncePerWholePercent() {
        QFETCH(int, items);
        QFETCH(int, reports);
        const QList<float> seen = progressOf(itemsFile(items));
        QCOMPARE(seen.size(), reports);
        if (reports == 0)
            return;
        QCOMPARE(seen.last(), 1.0f);
        for (qsizetype i = 1; i < seen.size(); ++i)
            QVERIFY(seen[i] > seen[i - 1]);
        if (items == 10)
            QCOMPARE(seen.first(), 0.1f);
    }

    void shouldColourAndRecalculateAfterReading() {
        test::TaskList list;
        QVERIFY(list.loadBytes(file(item("Rent 500") + item("Food 200") + item("Total: !!sum!!") +
                                    "<ITEM><NAME>Call</NAME><CATEGORIES>Today</CATEGORIES><DESC></DESC></ITEM>" +
                                    "<ITEM><NAME>Done</NAME><STATUS>COMPLETE</STATUS><DESC></DESC></ITEM>"))
                    .ok);
        QCOMPARE(list.tree.Item("R3")->Text(), QStringLiteral("Total: 700"));
        QCOMPARE(list.th.getTask("R3")->TaskName, QStringLiteral("Total: !!sum!!"));
        QCOMPARE(list.tree.Item("R4")->ForeColor(), kColourDarkRed);
        QCOMPARE(list.tree.Item("R5")->ForeColor(), kColourGrey);
        QCOMPARE(list.tree.Item("R1")->ForeColor(), kColourBlack);
    }
};

QTEST_GUILESS_MAIN(TestReader)
#include "test_reader.moc"
