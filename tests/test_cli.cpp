#include "TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace ortolan;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(ORTOLAN_CLI), args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

const QByteArray kExampleJson = R"({"title": "Home", "tasks": [
  {"name": "Groceries", "description": "Milk", "categories": "Errands,Shopping", "icon": 3,
   "status": "INCOMPLETE", "due": "12/5/2026", "children": [
     {"name": "Bread", "status": "COMPLETE", "due": "12:00:00 AM"}]},
  {"name": "Rent 500"}, {"name": "Total !!sum!!", "categories": "Today"}]})";

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void shouldExitTwoOnWrongUsage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate", "x"};
        QTest::newRow("dump without a file") << QStringList{"dump"};
        QTest::newRow("resave with one file") << QStringList{"resave", "a.oxml"};
        QTest::newRow("export to an unknown format") << QStringList{"export", "--format", "xls", "a.oxml", "-"};
        QTest::newRow("export without a format") << QStringList{"export", "a.oxml", "b.md"};
    }
    void shouldExitTwoOnWrongUsage() {
        QFETCH(QStringList, args);
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("Usage"));
        QCOMPARE(cli({"--help"}).exitCode, 0);
    }

    void shouldBuildAFileFromJsonAndDumpItBack() {
        // given a list described in JSON
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("in.json"), kExampleJson));
        // when it is written as a task list and dumped
        QCOMPARE(cli({"from-json", dir.filePath("in.json"), dir.filePath("out.oxml")}).exitCode, 0);
        const Run dump = cli({"dump", dir.filePath("out.oxml")});
        QCOMPARE(dump.exitCode, 0);
        // then the dump shows the list as the program would
        const QJsonObject list = QJsonDocument::fromJson(dump.out).object();
        QCOMPARE(list["title"].toString(), QStringLiteral("Home"));
        QCOMPARE(list["count"].toInt(), 4);
        const QJsonArray tasks = list["tasks"].toArray();
        QCOMPARE(tasks.size(), 3);
        const QJsonObject groceries = tasks[0].toObject();
        QCOMPARE(groceries["key"].toString(), QStringLiteral("R1"));
        QCOMPARE(groceries["due"].toString(), QStringLiteral("12/5/2026"));
        QCOMPARE(groceries["image"].toInt(), 3);
        QCOMPARE(groceries["children"].toArray()[0].toObject()["colour"].toString(), QStringLiteral("grey"));
        QCOMPARE(groceries["children"].toArray()[0].toObject()["image"].toInt(), 2);
        const QJsonObject total = tasks[2].toObject();
        QCOMPARE(total["name"].toString(), QStringLiteral("Total !!sum!!"));
        QCOMPARE(total["text"].toString(), QStringLiteral("Total 500"));
        QCOMPARE(total["colour"].toString(), QStringLiteral("darkred"));
        QCOMPARE(total["bold"].toBool(), false);
    }

    void shouldResaveWithoutChangingAFileItWrote() {
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("in.json"), kExampleJson));
        QCOMPARE(cli({"from-json", dir.filePath("in.json"), dir.filePath("a.oxml")}).exitCode, 0);
        QCOMPARE(cli({"resave", dir.filePath("a.oxml"), dir.filePath("b.oxml")}).exitCode, 0);
        QCOMPARE(test::readFile(dir.filePath("b.oxml")), test::readFile(dir.filePath("a.oxml")));
        QVERIFY(test::readFile(dir.filePath("a.oxml")).startsWith("<XML>\r\n<FORMATVERSION>1.02</FORMATVERSION>\r\n"));
    }

    void shouldDumpAListOfAnyDepthAndEveryCharacter() {
        // given a list 20,000 levels deep, its deepest name full of what JSON must escape
        constexpr int kDepth = 20000;
        QByteArray items;
        for (int i = 1; i < kDepth; ++i)
            items += "<ITEM><NAME>L" + QByteArray::number(i) + "</NAME><LIST>";
        items += "<ITEM><NAME>say \"hi\" \\ tab\t caf\xe9</NAME></ITEM>";
        for (int i = 1; i < kDepth; ++i)
            items += "</LIST></ITEM>";
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("deep.oxml"), "<XML><TITLE>Deep</TITLE><LIST>" + items + "</LIST></XML>"));
        // when it is dumped
        const Run r = cli({"dump", dir.filePath("deep.oxml")});
        // then every level is there, closed in order, the text escaped, in a size that grows with the list
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(int(r.out.count("\"children\": [")), kDepth);
        QCOMPARE(int(r.out.count('{')), kDepth + 1);
        QCOMPARE(int(r.out.count('}')), kDepth + 1);
        QVERIFY(r.out.contains("\"name\": \"say \\\"hi\\\" \\\\ tab\\u0009 caf\xc3\xa9\""));
        QVERIFY(r.out.trimmed().endsWith('}'));
        QVERIFY(r.out.size() < qsizetype(kDepth) * 3000); // with an indent per level, gigabytes
        // and a shallow part of it reads as JSON
        const QByteArray shallow = r.out.left(r.out.indexOf("\"children\": [")) + "\"children\": []}]}";
        QJsonParseError error;
        const QJsonObject list = QJsonDocument::fromJson(shallow, &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        QCOMPARE(list["count"].toInt(), kDepth);
        QCOMPARE(list["tasks"].toArray()[0].toObject()["key"].toString(), QStringLiteral("R1"));
    }

    void shouldRefuseBadInputAndWriteNothing_data() {
        // clang-format off
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("missing file") << QStringList{"dump", "@missing.oxml"} << QByteArray() << QByteArray("no such file");
        QTest::newRow("not JSON") << QStringList{"from-json", "@in", "@out"} << QByteArray("{nope") << QByteArray("JSON");
        QTest::newRow("bad due date") << QStringList{"from-json", "@in", "@out"} << QByteArray(R"({"tasks": [{"name": "x", "due": "someday"}]})") << QByteArray("someday");
        QTest::newRow("bad icon") << QStringList{"from-json", "@in", "@out"} << QByteArray(R"({"tasks": [{"name": "x", "icon": 1.5}]})") << QByteArray("icon");
        QTest::newRow("newer version without --yes") << QStringList{"resave", "@in", "@out"} << QByteArray("<XML><FORMATVERSION>9</FORMATVERSION><LIST></LIST></XML>") << QByteArray("newer version");
        QTest::newRow("unreadable version") << QStringList{"resave", "@in", "@out"} << QByteArray("<XML><FORMATVERSION>1e999</FORMATVERSION></XML>") << QByteArray("not a valid Ortolan file");
        QTest::newRow("folder to write into is missing") << QStringList{"resave", "@in", "@no/such/folder/out"} << QByteArray("<XML><LIST></LIST></XML>") << QByteArray("Could not write");
        QTest::newRow("export of a missing file") << QStringList{"export", "--format", "csv", "@missing.oxml", "@out"} << QByteArray() << QByteArray("no such file");
        QTest::newRow("export into a missing folder") << QStringList{"export", "--format", "opml", "@in", "@no/such/folder/out"} << QByteArray("<XML><LIST></LIST></XML>") << QByteArray("no/such/folder/out");
        QTest::newRow("PDF of a broken file") << QStringList{"pdf", "@in", "@out"} << QByteArray("<XML><FORMATVERSION>1e999</FORMATVERSION></XML>") << QByteArray("not a valid Ortolan file");
        // clang-format on
    }
    void shouldRefuseBadInputAndWriteNothing() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, message);
        QTemporaryDir dir;
        if (!input.isEmpty())
            QVERIFY(test::writeFile(dir.filePath("in"), input));
        for (QString& a : args)
            if (a.startsWith(QLatin1Char('@')))
                a = dir.filePath(a.mid(1));
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(message), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("out")));
        QVERIFY(!QFile::exists(dir.filePath("missing.oxml")));
    }

    void shouldExportToStandardOutput() {
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("in.json"), kExampleJson));
        QCOMPARE(cli({"from-json", dir.filePath("in.json"), dir.filePath("list.oxml")}).exitCode, 0);
        const Run r = cli({"export", "--format", "md", dir.filePath("list.oxml"), "-"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("# Home\n\n- [ ] Groceries \xC2\xB7 due 2026-12-05 \xC2\xB7 Errands,Shopping\n  Milk\n"
                                  "  - [x] Bread\n"),
                 r.out.constData());
    }

    void shouldOpenANewerVersionWhenToldYes() {
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("in"), "<XML><FORMATVERSION>9</FORMATVERSION><TITLE>Future</TITLE><LIST>"
                                                    "<ITEM><NAME>a</NAME><DESC></DESC></ITEM></LIST></XML>"));
        const Run r = cli({"--yes", "dump", dir.filePath("in")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(r.out).object()["count"].toInt(), 1);
    }

    void shouldWarnAboutValuesItCouldNotRead() {
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("in"),
                                "<XML><LIST><ITEM><NAME>a</NAME><DATEDUE>someday</DATEDUE><DESC></DESC></ITEM>"
                                "</LIST></XML>"));
        const Run r = cli({"dump", dir.filePath("in")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.contains("1 value(s) could not be read"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
