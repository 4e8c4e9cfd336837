// Lists going out to other programs and coming back: every export is read back by a reader that
// is not the program's own (libical, Python's csv and xml.etree, pdftotext), and the OPML and
// iCalendar exports are imported again.

#include "exchange/ListExport.h"
#include "exchange/ListImport.h"
#include "model/DueDate.h"
#include "TestSupport.h"
#include "views/Formulas.h"

#include <libical/ical.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace ortolan;

namespace {

// What every reader must find of a task.
struct Expected {
    int depth;
    QString name;  // as stored
    QString shown; // as the tree shows it
    QString status;
    QString due; // ISO 8601
    QString categories;
    int icon;
    QString description;
};

// Values that break careless writers: markup, quotes, commas, semicolons, line breaks of both
// kinds, tabs, emoji, Windows-1252's own letters (€, œ) and letters beyond it.
const QString kNastyName = QStringLiteral("<b>Tag & \"quotes\"</b>, commas; semis \\ back");
const QString kNastyDescription = QStringLiteral("line one\r\nline two, with, commas\n\"quoted\"; x\ttab");
const QString kEmojiName = QString::fromUtf8("Emoji 🎉 café € œ Ω 中文");

// Home > nasty (Work, Home; due a day; icon 3) > emoji (completed, due a time) > deep (waiting)
//      > Total !!sum!! (shows Total 7) > 7
//      > [NOT SAVED] scratch > hidden
//      > (empty name)
struct HostileList : test::TaskList {
    QList<Expected> expected;
    HostileList() {
        setTitle(QStringLiteral("Home, \"sweet\" <home>"));
        TreeNode* nasty = add(kNastyName);
        Task* t = task(nasty);
        t->Description = kNastyDescription;
        t->CategoryString = QStringLiteral("Work, Home");
        t->DateDue = makeDueDate(QDate(2026, 12, 8));
        t->IconIndex = 3;
        TreeNode* emoji = add(kEmojiName, nasty, kStatusComplete);
        task(emoji)->DateDue = makeDueDate(QDate(2026, 12, 9), QTime(15, 30, 0));
        add(QStringLiteral("Deep"), emoji, QStringLiteral("WAITING"));
        TreeNode* total = add(QStringLiteral("Total, all; !!sum!!"));
        add(QStringLiteral("7"), total);
        TreeNode* scratch = add(QStringLiteral("[NOT SAVED] scratch"));
        add(QStringLiteral("hidden"), scratch);
        add(QString());
        ReCalcTree(tree, th);
        expected = {
            {1, kNastyName, kNastyName, "INCOMPLETE", "2026-12-08", "Work, Home", 3, kNastyDescription},
            {2, kEmojiName, kEmojiName, "COMPLETE", "2026-12-09T15:30:00", "", 0, ""},
            {3, "Deep", "Deep", "WAITING", "", "", 0, ""},
            {1, "Total, all; !!sum!!", tree.Item(5)->Text(), "INCOMPLETE", "", "", 0, ""},
            {2, "7", "7", "INCOMPLETE", "", "", 0, ""},
            {1, "", "", "INCOMPLETE", "", "", 0, ""},
        };
    }
};

// Runs Debian's Python on a script given as text; its standard output.
QByteArray python(const QString& script, const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning() << p.readAllStandardError();
    return p.readAllStandardOutput();
}

// Each outline as [depth, text, _note, _status, _due, _categories, _icon], by xml.etree.
const QString kReadOpml = QStringLiteral(R"(
import json, sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert root.tag == 'opml' and root.get('version') == '2.0'
rows = []
def walk(e, depth):
    for o in e.findall('outline'):
        rows.append([depth, o.get('text'), o.get('_note', ''), o.get('_status', ''), o.get('_due', ''),
                     o.get('_categories', ''), int(o.get('_icon', '0'))])
        walk(o, depth + 1)
walk(root.find('body'), 1)
print(json.dumps({'title': root.find('head/title').text, 'rows': rows}))
)");

// Each row after the header as [depth, path, name, shown, status, due, categories, icon, description].
const QString kReadCsv = QStringLiteral(R"(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f, strict=True))
print(json.dumps(rows))
)");

// The list exported into a file and read back by one of the Python scripts: its JSON.
QJsonDocument readBack(const test::TaskList& list, ExportFormat format, const QString& script) {
    QTemporaryDir dir;
    const QString path = dir.filePath("list." + exportSuffix(format));
    if (!test::writeFile(path, exportList(list.tree, list.th, format)))
        return {};
    return QJsonDocument::fromJson(python(script, {path}));
}

QString icalString(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    void shouldWriteOpmlThatXmlEtreeReadsWhole() {
        HostileList l;
        const QJsonObject read = readBack(l, ExportFormat::Opml, kReadOpml).object();
        QCOMPARE(read["title"].toString(), "Home, \"sweet\" <home>");
        const QJsonArray rows = read["rows"].toArray();
        QCOMPARE(rows.size(), l.expected.size());
        for (int i = 0; i < rows.size(); ++i) {
            const Expected& e = l.expected[i];
            QCOMPARE(rows[i].toArray(), (QJsonArray{e.depth, e.name, e.description, e.status, e.due, e.categories, e.icon}));
        }
    }

    void shouldWriteOpmlThatStaysXmlWhateverTheNamesHold() {
        // characters XML 1.0 cannot hold: a bell, a form feed, half of an emoji
        test::TaskList l;
        l.add(QStringLiteral("bell\a feed\f ") + QString::fromUtf8("🎉").left(1) + QStringLiteral(" end"));
        const QJsonArray rows = readBack(l, ExportFormat::Opml, kReadOpml).object()["rows"].toArray();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].toArray()[1].toString(), QString::fromUtf8("bell\uFFFD feed\uFFFD \uFFFD end"));
    }

    void shouldWriteCsvThatPythonsReaderReadsWhole() {
        HostileList l;
        const QJsonArray rows = readBack(l, ExportFormat::Csv, kReadCsv).array();
        QCOMPARE(rows.size(), l.expected.size() + 1);
        QCOMPARE(rows[0].toArray().toVariantList(),
                 QVariantList({"depth", "path", "name", "shown", "status", "due", "categories", "icon", "description"}));
        QCOMPARE(rows[2].toArray()[1].toString(), kNastyName); // the path of the emoji task
        QCOMPARE(rows[3].toArray()[1].toString(), kNastyName + " / " + kEmojiName);
        for (int i = 0; i < l.expected.size(); ++i) {
            const Expected& e = l.expected[i];
            const QJsonArray r = rows[i + 1].toArray();
            QCOMPARE(r.size(), 9);
            QCOMPARE((QJsonArray{r[0], r[2], r[3], r[4], r[5], r[6], r[7], r[8]}),
                     (QJsonArray{QString::number(e.depth), e.name, e.shown, e.status, e.due, e.categories,
                                 QString::number(e.icon), e.description}));
        }
    }

    void shouldWriteToDosThatLibicalReadsWhole() {
        HostileList l;
        icalcomponent* calendar = icalparser_parse_string(exportList(l.tree, l.th, ExportFormat::ICalendar).constData());
        QVERIFY(calendar);
        QCOMPARE(icalcomponent_count_errors(calendar), 0);
        QHash<QString, QString> summaryByUid;
        QStringList parents;
        int i = 0;
        for (icalcomponent* todo = icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT); todo;
             todo = icalcomponent_get_next_component(calendar, ICAL_VTODO_COMPONENT), ++i) {
            QVERIFY(i < l.expected.size());
            const Expected& e = l.expected[i];
            QVERIFY(icalcomponent_get_first_property(todo, ICAL_DTSTAMP_PROPERTY));
            const QString uid = icalString(icalcomponent_get_uid(todo));
            QVERIFY(!uid.isEmpty() && !summaryByUid.contains(uid));
            summaryByUid.insert(uid, icalString(icalcomponent_get_summary(todo)));
            QCOMPARE(icalString(icalcomponent_get_summary(todo)), e.shown);
            QCOMPARE(icalString(icalcomponent_get_description(todo)), QString(e.description).replace("\r\n", "\n"));
            QStringList categories;
            for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_CATEGORIES_PROPERTY); p;
                 p = icalcomponent_get_next_property(todo, ICAL_CATEGORIES_PROPERTY))
                categories << icalString(icalproperty_get_categories(p));
            QCOMPARE(categories.join(','), QString(e.categories).remove(' ')); // each name, trimmed
            QCOMPARE(icalcomponent_get_status(todo),
                     e.status == "COMPLETE" ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION);
            if (e.due.isEmpty()) {
                QVERIFY(!icalcomponent_get_first_property(todo, ICAL_DUE_PROPERTY));
            } else {
                const icaltimetype due = icalcomponent_get_due(todo);
                QCOMPARE(bool(due.is_date), !e.due.contains('T'));
                QCOMPARE(QString::fromLatin1(icaltime_as_ical_string(due)), QString(e.due).remove('-').remove(':'));
            }
            const icalproperty* related = icalcomponent_get_first_property(todo, ICAL_RELATEDTO_PROPERTY);
            QCOMPARE(bool(related), e.depth > 1);
            if (related) {
                QCOMPARE(icalparameter_get_reltype(icalproperty_get_first_parameter(
                             const_cast<icalproperty*>(related), ICAL_RELTYPE_PARAMETER)),
                         ICAL_RELTYPE_PARENT);
                parents << summaryByUid.value(icalString(icalproperty_get_relatedto(related)));
            }
        }
        QCOMPARE(i, l.expected.size());
        QCOMPARE(parents, (QStringList{kNastyName, kEmojiName, l.expected[3].shown}));
        icalcomponent_free(calendar);
    }

    void shouldComeBackWholeFromAnExport_data() {
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<bool>("oneKindOfLineBreak");
        QTest::newRow("OPML") << ExportFormat::Opml << false;
        // iCalendar text knows one line break, "\n", as the description box does
        QTest::newRow("iCalendar") << ExportFormat::ICalendar << true;
    }
    void shouldComeBackWholeFromAnExport() {
        QFETCH(ExportFormat, format);
        QFETCH(bool, oneKindOfLineBreak);
        HostileList l;
        const ImportedTasks back = importTasks(exportList(l.tree, l.th, format));
        QVERIFY2(back.ok, qPrintable(back.error));
        QVERIFY2(back.problems.isEmpty(), qPrintable(back.problems.join(' ')));
        QCOMPARE(int(back.tasks.size()), l.expected.size());
        const QList<int> parents = {-1, 0, 1, -1, 3, -1};
        for (int i = 0; i < l.expected.size(); ++i) {
            const FragmentTask& t = back.tasks[size_t(i)];
            const Expected& e = l.expected[i];
            const QString description =
                oneKindOfLineBreak ? QString(e.description).replace("\r\n", "\n") : e.description;
            const QDateTime due = e.due.isEmpty() ? QDateTime() : *parseDueDate(e.due);
            QCOMPARE(t.fields, (TaskFields{e.name, description, e.categories, e.status, due, qint16(e.icon)}));
            QCOMPARE(t.parent, parents[i]);
        }
    }

    void shouldImportWhatCanBeReadAndCountTheRest_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("names"); // name:parent's index
        QTest::addColumn<QString>("said");
        const auto todo = [](const QByteArray& uid, const QByteArray& parent) {
            return "BEGIN:VTODO\r\nUID:" + uid + "\r\nSUMMARY:" + uid +
                   (parent.isEmpty() ? QByteArray() : "\r\nRELATED-TO:" + parent) + "\r\nEND:VTODO\r\n";
        };
        const auto calendar = [](const QByteArray& body) {
            return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + body + "END:VCALENDAR\r\n";
        };
        QTest::newRow("plain text") << QByteArray("just some words") << false << "" << "neither OPML nor iCalendar";
        QTest::newRow("XML, not OPML") << QByteArray("<html><body/></html>") << false << "" << "not OPML";
        QTest::newRow("a cycle and a missing parent")
            << calendar(todo("a", "b") + todo("b", "a") + todo("c", "") + todo("d", "c") + todo("e", "nobody"))
            << true << "a:-1,b:-1,c:-1,d:2,e:-1"
            << "Imported 5 tasks. 1 task named a parent that is not in the file; they were put at the top. "
               "2 tasks were each other's parents (a cycle of RELATED-TO); they were put at the top.";
        QTest::newRow("a child before its parent") << calendar(todo("kid", "mum") + todo("mum", "")) << true
                                                   << "mum:-1,kid:0" << "Imported 2 tasks.";
        QTest::newRow("a calendar without to-dos") << calendar("") << true << "" << "holds no to-dos";
        QTest::newRow("OPML cut short")
            << QByteArray("<opml version=\"2.0\"><body><outline text=\"one\"><outline text=\"two\"/>"
                          "<outline text=\"three\" _due=\"someday\" _icon=\"x\"/><outline text=\"fo")
            << true << "one:-1,two:0,three:0"
            << "the 3 tasks before it were imported, the rest could not be read. 2 due date(s) or icon(s)";
        QTest::newRow("OPML of another outliner") << QByteArray("<?xml version=\"1.0\"?><opml version=\"1.0\"><head/>"
                                                                "<body><outline title=\"Titled\"/></body></opml>")
                                                  << true << "Titled:-1" << "Imported 1 task.";
    }
    void shouldImportWhatCanBeReadAndCountTheRest() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(QString, names);
        QFETCH(QString, said);
        const ImportedTasks r = importTasks(bytes);
        QCOMPARE(r.ok, ok);
        QStringList got;
        for (const FragmentTask& t : r.tasks)
            got << t.fields.name + ':' + QString::number(t.parent);
        QCOMPARE(got.join(','), names);
        const QString text = ok ? importReport(r) : r.error;
        QVERIFY2(text.contains(said), qPrintable(text));
    }

    void shouldPrintTheListIntoAPdfWithoutADisplay() {
        HostileList l;
        QTemporaryDir dir;
        const QString list = dir.filePath("plans.oxml");
        QVERIFY(l.xml.saveXMLfile(list).ok);
        const QString pdf = dir.filePath("plans.pdf");
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM"); // no display, no platform named: the tool manages alone
        env.remove("DISPLAY");
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(ORTOLAN_CLI), {"pdf", list, pdf});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const QString pages = test::pdfText(pdf);
        for (const QString& expected :
             {QStringLiteral("Home, \"sweet\" <home>"), kNastyName + QString::fromUtf8(" · due 2026-12-08 · Work, Home"),
              QStringLiteral("line two, with, commas"), QString::fromUtf8("☑ ") + kEmojiName.left(5),
              QStringLiteral("Deep"), l.expected[3].shown, QStringLiteral("plans.oxml"), QStringLiteral("Page 1 of 1")})
            QVERIFY2(pages.contains(expected.normalized(QString::NormalizationForm_KC)), qPrintable(expected + "\n" + pages));
        QVERIFY(!pages.contains("scratch") && !pages.contains("hidden"));
        // each level of the tree further in than its parent
        const auto indentOf = [&](const QString& start) -> qsizetype {
            for (const QString& line : pages.split('\n'))
                if (line.trimmed().startsWith(start))
                    return line.indexOf(start);
            return -1;
        };
        const qsizetype first = indentOf(QString::fromUtf8("☐ <b>Tag"));
        const qsizetype second = indentOf(QString::fromUtf8("☑ Emoji"));
        const qsizetype third = indentOf(QString::fromUtf8("☐ Deep"));
        QVERIFY2(first >= 0 && first < second && second < third, qPrintable(pages));
    }
};

QTEST_MAIN(TestExchange)
#include "test_exchange.moc"
