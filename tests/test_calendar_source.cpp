#include "CalendarSamples.h"
#include "LoopbackServers.h"
#include "outlook/CalendarSource.h"
#include "TestSupport.h"

#include <ctime>
#include <memory>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace ortolan;
using test::calendar;
using test::vevent;
using test::vtodo;

namespace {

// A zone the system does not know, defined in the calendar itself: five hours ahead of UTC.
const QByteArray kPlusFiveZone = "BEGIN:VTIMEZONE\r\nTZID:Test/PlusFive\r\nBEGIN:STANDARD\r\n"
                                 "DTSTART:19700101T000000\r\nTZOFFSETFROM:+0500\r\nTZOFFSETTO:+0500\r\n"
                                 "END:STANDARD\r\nEND:VTIMEZONE\r\n";

QDateTime local(int y, int m, int d, int h, int min) {
    return QDateTime(QDate(y, m, d), QTime(h, min), Qt::LocalTime);
}

} // namespace

// The machine's zone is fixed to Berlin in main(), so conversions have one right answer.
class TestCalendarSource : public QObject {
    Q_OBJECT

private slots:
    void shouldPlaceEachAppointmentOnItsLocalDayWithItsPrefix_data() {
        // clang-format off
        QTest::addColumn<QByteArray>("zones");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QDateTime>("expectedStart");
        QTest::addColumn<bool>("allDay");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("floating time") << QByteArray() << QByteArray("DTSTART:20261210T090500") << local(2026, 12, 10, 9, 5) << false << "09.05: Meeting";
        QTest::newRow("afternoon") << QByteArray() << QByteArray("DTSTART:20261210T143000") << local(2026, 12, 10, 14, 30) << false << "14.30: Meeting";
        QTest::newRow("midnight is still a time") << QByteArray() << QByteArray("DTSTART:20261210T000000") << local(2026, 12, 10, 0, 0) << false << "00.00: Meeting";
        QTest::newRow("all day") << QByteArray() << QByteArray("DTSTART;VALUE=DATE:20261212") << local(2026, 12, 12, 0, 0) << true << "Meeting";
        QTest::newRow("UTC late evening is the next local day") << QByteArray() << QByteArray("DTSTART:20261210T233000Z") << local(2026, 12, 11, 0, 30) << false << "00.30: Meeting";
        QTest::newRow("named zone") << QByteArray() << QByteArray("DTSTART;TZID=America/New_York:20261210T090000") << local(2026, 12, 10, 15, 0) << false << "15.00: Meeting";
        // New York has moved its clocks on 8 March 2026, Berlin not until 29 March.
        QTest::newRow("named zone between the two summer-time starts") << QByteArray() << QByteArray("DTSTART;TZID=America/New_York:20260310T090000") << local(2026, 3, 10, 14, 0) << false << "14.00: Meeting";
        QTest::newRow("zone defined in the calendar") << kPlusFiveZone << QByteArray("DTSTART;TZID=Test/PlusFive:20261210T080000") << local(2026, 12, 10, 4, 0) << false << "04.00: Meeting";
        // clang-format on
    }
    void shouldPlaceEachAppointmentOnItsLocalDayWithItsPrefix() {
        QFETCH(QByteArray, zones);
        QFETCH(QByteArray, start);
        QFETCH(QDateTime, expectedStart);
        QFETCH(bool, allDay);
        QFETCH(QString, expectedText);
        // given one event
        const CalendarRead read = parseICalendar(calendar(zones + vevent(start, "Meeting")));
        // then it is read as one appointment at its local start
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.items.appointments.size(), 1);
        const Appointment& a = read.items.appointments.first();
        QCOMPARE(a.start, expectedStart);
        QCOMPARE(a.allDay, allDay);
        QCOMPARE(appointmentText(a), expectedText);
    }

    void shouldKeepTheSourcesOrderAndPassRecurringEventsOnce() {
        // given events, a recurring one among them, and to-dos in between
        const QByteArray text =
            calendar(vevent("DTSTART:20261203T100000", "Third of December") + vtodo("Buy paint") +
                     vevent("DTSTART:20261201T080000", "Weekly review", "RRULE:FREQ=WEEKLY;COUNT=10\r\n") +
                     vtodo("Call Anna") + vevent("DTSTART;VALUE=DATE:20261224", "Christmas Eve"));
        // when it is parsed
        const CalendarRead read = parseICalendar(text);
        // then every item appears once, in the file's order
        QVERIFY(read.ok);
        QStringList texts;
        for (const Appointment& a : read.items.appointments)
            texts << appointmentText(a);
        QCOMPARE(texts, QStringList({"10.00: Third of December", "08.00: Weekly review", "Christmas Eve"}));
        QCOMPARE(read.items.tasks, QStringList({"Buy paint", "Call Anna"}));
        QCOMPARE(read.items.skipped, 0);
    }

    void shouldUnescapeSummaries() {
        const CalendarRead read =
            parseICalendar(calendar(vevent("DTSTART:20261210T090000", "Zahnarzt\\, Dr. Müller\\; Raum 2") +
                                    vtodo("Line one\\nline two") + "BEGIN:VTODO\r\nUID:x\r\nEND:VTODO\r\n"));
        QVERIFY(read.ok);
        QCOMPARE(read.items.appointments.first().text, QString::fromUtf8("Zahnarzt, Dr. Müller; Raum 2"));
        QCOMPARE(read.items.tasks, QStringList({"Line one\nline two", ""}));
    }

    void shouldReadWhatItCanFromACalendarWithFaults() {
        // given a calendar with an event that has no start, one whose start is unreadable, a line
        // that is not a property, and a good event after them
        const QByteArray text = calendar("BEGIN:VEVENT\r\nUID:a\r\nSUMMARY:No start\r\nEND:VEVENT\r\n" +
                                         vevent("DTSTART:tomorrow", "Bad start") + "this line is noise\r\n" +
                                         vevent("DTSTART:20261210T110000", "Good"));
        // when it is parsed
        const CalendarRead read = parseICalendar(text);
        // then the good event is read and the two others are counted as skipped
        QVERIFY(read.ok);
        QCOMPARE(read.items.appointments.size(), 1);
        QCOMPARE(appointmentText(read.items.appointments.first()), QStringLiteral("11.00: Good"));
        QCOMPARE(read.items.skipped, 2);
    }

    void shouldReadWhatCameBeforeTheDamage_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("texts"); // the appointments' calendar texts
        QTest::addColumn<QStringList>("tasks");
        QTest::addColumn<QString>("damage"); // a part of the report; empty: none
        const QByteArray whole = vevent("DTSTART:20261210T090000", "Dentist") + vtodo("Floss");
        QTest::newRow("whole") << calendar(whole) << QStringList{"09.00: Dentist"} << QStringList{"Floss"} << "";
        QTest::newRow("folded lines") << calendar("BEGIN:VTODO\r\nUID:f\r\nSUMMARY:Call the\r\n  plumber\n\t about the sink\r\nEND:VTODO\r\n")
                                      << QStringList{} << QStringList{"Call the plumber about the sink"} << "";
        QTest::newRow("cut after an item") << calendar(whole).chopped(15) << QStringList{"09.00: Dentist"}
                                           << QStringList{"Floss"} << "cut short";
        QTest::newRow("cut inside an item") << calendar(whole).chopped(30) << QStringList{"09.00: Dentist"}
                                            << QStringList{} << "left out";
        QTest::newRow("a summary of 200 KiB") << calendar(vtodo("Long " + QByteArray(200 * 1024, 'x')) + whole)
                                              << QStringList{"09.00: Dentist"}
                                              << QStringList{"Long " + QString(64 * 1024 - 13, 'x'), "Floss"}
                                              << "2 line(s) longer than 64 KiB"; // and its UID
    }
    void shouldReadWhatCameBeforeTheDamage() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, tasks);
        QFETCH(QString, damage);
        const CalendarRead read = parseICalendar(text);
        QVERIFY2(read.ok, qPrintable(read.error));
        QStringList shown;
        for (const Appointment& a : read.items.appointments)
            shown << appointmentText(a);
        QCOMPARE(shown, texts);
        QCOMPARE(read.items.tasks, tasks);
        QCOMPARE(read.damage.isEmpty(), damage.isEmpty());
        QVERIFY2(read.damage.contains(damage), qPrintable(read.damage));
    }

    void shouldReadEveryCalendarOfTheText() {
        const CalendarRead read = parseICalendar(calendar(vevent("DTSTART:20261210T090000", "One")) +
                                                 calendar(vtodo("Two") + vevent("DTSTART:20261211T090000", "Three")));
        QVERIFY(read.ok);
        QCOMPARE(read.items.appointments.size(), 2);
        QCOMPARE(read.items.tasks, QStringList({"Two"}));
    }

    void shouldRefuseTextThatHoldsNoCalendar_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("prose") << QByteArray("Dear Anna,\nsee you on Tuesday.\n");
        QTest::newRow("web page") << QByteArray("<!DOCTYPE html><html><body>Not found</body></html>\n");
        QTest::newRow("task list") << QByteArray("<XML>\r\n<TITLE>My Tasks</TITLE>\r\n</XML>\r\n");
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        QTest::newRow("a lone event") << vevent("DTSTART:20261210T090000", "Orphan");
    }
    void shouldRefuseTextThatHoldsNoCalendar() {
        QFETCH(QByteArray, text);
        const CalendarRead read = parseICalendar(text);
        QVERIFY(!read.ok);
        QVERIFY(!read.error.isEmpty());
        QVERIFY(read.items.appointments.isEmpty());
        QVERIFY(read.items.tasks.isEmpty());
    }

    void shouldReadCalendarFiles() {
        // given a calendar file, also named as a file: address
        QTemporaryDir dir;
        const QString path = dir.filePath("my calendar.ics");
        QVERIFY(test::writeFile(path, calendar(vevent("DTSTART:20261210T090000", "Dentist") + vtodo("Floss"))));
        for (const QString& source : {path, QUrl::fromLocalFile(path).toString()}) {
            // when it is read
            const CalendarRead read = readCalendarSource(source);
            // then its items are there
            QVERIFY2(read.ok, qPrintable(read.error));
            QCOMPARE(read.items.appointments.size(), 1);
            QCOMPARE(read.items.tasks, QStringList({"Floss"}));
            QVERIFY(isObjectAvailable(source));
        }
    }

    void shouldExplainWhyAFileCannotBeUsed_data() {
        QTest::addColumn<QString>("name"); // in a fresh folder; "" for the folder itself
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "gone.ics" << QByteArray() << "does not exist";
        QTest::newRow("a folder") << "" << QByteArray() << "is not a calendar file";
        QTest::newRow("garbage") << "junk.ics" << QByteArray("not a calendar\n") << "no iCalendar data";
    }
    void shouldExplainWhyAFileCannotBeUsed() {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = name.isEmpty() ? dir.path() : dir.filePath(name);
        if (!contents.isEmpty())
            QVERIFY(test::writeFile(path, contents));
        const CalendarRead read = readCalendarSource(path);
        QVERIFY(!read.ok);
        QVERIFY2(read.error.contains(path) && read.error.contains(reason), qPrintable(read.error));
        QVERIFY(!isObjectAvailable(path));
    }

    void shouldReadPublishedCalendarsOverHttp() {
        // given a web server publishing a calendar, directly and behind a redirect (the server
        // sends "/moved" on to "/moved/", where the calendar is the folder's index page)
        QTemporaryDir dir;
        const QByteArray text = calendar(vevent("DTSTART:20261210T090000", "Published") + vtodo("Online task"));
        QVERIFY(test::writeFile(dir.filePath("team.ics"), text));
        QVERIFY(QDir(dir.path()).mkdir("moved"));
        QVERIFY(test::writeFile(dir.filePath("moved/index.html"), text));
        QVERIFY(test::writeFile(dir.filePath("page.html"), "<html><body>Hello</body></html>"));
        test::HttpServer server(dir.path());
        QVERIFY2(server.started(), qPrintable(server.log()));
        // when the address is read, then the calendar's items are there
        for (const QString& path : QStringList{"team.ics", "moved"}) {
            const CalendarRead read = readCalendarSource(server.url(path));
            QVERIFY2(read.ok, qPrintable(path + ": " + read.error));
            QCOMPARE(read.items.appointments.size(), 1);
            QCOMPARE(read.items.tasks, QStringList({"Online task"}));
        }
        // and an address that is missing or not a calendar is refused with the reason
        const CalendarRead missing = readCalendarSource(server.url("absent.ics"));
        QVERIFY(!missing.ok);
        QVERIFY2(missing.error.contains(server.url("absent.ics")) && missing.error.contains("404"),
                 qPrintable(missing.error));
        const CalendarRead page = readCalendarSource(server.url("page.html"));
        QVERIFY(!page.ok);
        QVERIFY2(page.error.contains("no iCalendar data"), qPrintable(page.error));
    }

    void shouldReadACalendarNestedDeeperThanTheStackGoes() {
        // given an event with 20,000 events nested inside it, and a thread with a small stack
        // (libical frees nested components by recursion)
        constexpr int kDepth = 20000;
        QByteArray body = "BEGIN:VEVENT\r\nUID:outer\r\nDTSTART:20261210T090000\r\nSUMMARY:Outer\r\n";
        body += QByteArray("BEGIN:VEVENT\r\n").repeated(kDepth);
        body += QByteArray("END:VEVENT\r\n").repeated(kDepth);
        body += "END:VEVENT\r\n";
        const QByteArray text = calendar(body);
        // when it is parsed and let go on that thread
        CalendarRead read;
        const std::unique_ptr<QThread> thread(QThread::create([&] { read = parseICalendar(text); }));
        thread->setStackSize(256 * 1024);
        thread->start();
        thread->wait();
        // then the outer event is read; the nested ones are no appointments of the calendar
        QVERIFY(read.ok);
        QCOMPARE(read.items.appointments.size(), 1);
        QCOMPARE(appointmentText(read.items.appointments.first()), QStringLiteral("09.00: Outer"));
    }

    void shouldReportADeadAddress() {
        const QString address = QStringLiteral("http://127.0.0.1:%1/calendar.ics").arg(test::closedPort());
        const CalendarRead read = readCalendarSource(address);
        QVERIFY(!read.ok);
        QVERIFY2(read.error.contains(address), qPrintable(read.error));
        QVERIFY(!isObjectAvailable(address));
        QVERIFY(!isObjectAvailable(QString()));
    }
};

int main(int argc, char** argv) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QCoreApplication app(argc, argv);
    TestCalendarSource tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_calendar_source.moc"
