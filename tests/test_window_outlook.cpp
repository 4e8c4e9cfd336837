#include "calendar/CalendarGrid.h"
#include "calendar/CalendarManager.h"
#include "CalendarSamples.h"
#include "LoopbackServers.h"
#include "model/TaskHandler.h"
#include "WindowTestSupport.h"

#include <ctime>
#include <QAction>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QTimer>

using namespace ortolan;
using test::calendar;
using test::logMessages;
using test::messageTexts;
using test::vevent;
using test::vtodo;

namespace {

const QString kNotFound = QStringLiteral("Outlook application not found while trying to import Outlook data.");
const QString kTurnedOn = QStringLiteral(
    "When you start the program, Outlook ONE-TIME appointments will be added to your calendar. RECURRING "
    "APPOINTMENTS WILL NOT BE ADDED. Outlook dates will now be added...");
const QString kTurnedOff =
    QStringLiteral("Next time you start the program, Outlook dates will not be inserted into your calendar.");
const QString kImported = QStringLiteral("Outlook Tasks [NOT SAVED]");

// A dentist's appointment in the morning, a holiday, and a call at 17:00 New York time (23:00
// in Berlin); with two tasks, one looking like the ones the old program took out of Outlook.
const QByteArray kCalendar =
    calendar(vevent("DTSTART:20261210T090500", "Dentist") + vtodo("Renew passport") +
             vevent("DTSTART;VALUE=DATE:20261224", "Holiday") +
             vevent("DTSTART;TZID=America/New_York:20261215T170000", "Call with Boston") + vtodo("TP: water plants"));

QString dayText(Ortolan& o, int month, int day) {
    return o.CalMan->GetDateText(QDateTime(QDate(2026, month, day), QTime()));
}

// The texts of a node's children, joined by ",".
QString childTexts(const TreeNode* parent) {
    QStringList names;
    for (const TreeNode* c = parent->Child(); c; c = c->Next())
        names << c->Text();
    return names.join(',');
}

TreeNode* lastChild(const TreeNode* parent) {
    TreeNode* last = nullptr;
    for (TreeNode* c = parent->Child(); c; c = c->Next())
        last = c;
    return last;
}

} // namespace

// The machine's zone is fixed to Berlin in main(); the calendar opens on December 2026.
class TestWindowOutlook : public QObject {
    Q_OBJECT

private slots:
    void shouldPutAppointmentsOnTheCalendarAtStartUpWhenTheSettingAsks() {
        // given a calendar file and the setting on, in any letter case
        test::Window w;
        const QString source = w.listFile("mine.ics", kCalendar);
        writeSetting("outlookSource", source);
        writeSetting("loadOutlook", "true");
        // when the program starts
        Ortolan& o = w.start();
        // then each appointment is on its day with its time, the all-day one without
        QCOMPARE(dayText(o, 12, 10), QStringLiteral("09.05: Dentist\r\n"));
        QCOMPARE(dayText(o, 12, 24), QStringLiteral("Holiday\r\n"));
        QCOMPARE(dayText(o, 12, 15), QStringLiteral("23.00: Call with Boston\r\n"));
        QVERIFY(o.action("MENU_InsertOutlook")->isChecked());
        QCOMPARE(o.statusText(), QStringLiteral("Completed loading."));
        QVERIFY(Dialogs::messages().isEmpty());
        const QStringList log = logMessages();
        const qsizetype stage = log.indexOf("Loading Outlook (if available)...");
        QCOMPARE(log.mid(stage, 4), QStringList({"Loading Outlook (if available)...",
                                                 "Setting indicate to load outlook... Loading Outlook...",
                                                 "Done loading Outlook.", "Rendering calendar..."}));
        // and the calendar still shows the month it opened on
        QCOMPARE(o.CalMan->grid->Month(), 12);
        QCOMPARE(o.CalMan->grid->year(), 2026);
    }

    void shouldKeepTheShownMonthWhenAppointmentsLieElsewhere() {
        test::Window w;
        writeSetting("outlookSource", w.listFile("far.ics", calendar(vevent("DTSTART:20190301T080000", "Old") +
                                                                     vevent("DTSTART:20300101T080000", "Later"))));
        writeSetting("loadOutlook", "True");
        Ortolan& o = w.start();
        QCOMPARE(o.CalMan->GetDateText(QDateTime(QDate(2019, 3, 1), QTime())), QStringLiteral("08.00: Old\r\n"));
        QCOMPARE(o.CalMan->grid->Month(), 12);
        QCOMPARE(o.CalMan->grid->year(), 2026);
    }

    void shouldGoOnStartingWhenTheSourceIsMissingOrDamaged_data() {
        QTest::addColumn<QString>("source"); // "cut" for a calendar file cut short
        QTest::addColumn<QString>("reason"); // what the status line and the log add
        QTest::newRow("no source set") << QString() << "No calendar source is set.";
        QTest::newRow("file gone") << "/nonexistent/calendar.ics" << "does not exist";
        QTest::newRow("calendar cut short") << "cut" << "cut short";
    }
    void shouldGoOnStartingWhenTheSourceIsMissingOrDamaged() {
        QFETCH(QString, source);
        QFETCH(QString, reason);
        // given the setting on and a source that cannot be read, or only in part
        test::Window w;
        const bool cut = source == "cut";
        writeSetting("outlookSource", cut ? w.listFile("cut.ics", kCalendar.left(kCalendar.indexOf("BEGIN:VEVENT\r\nUID:486f6c"))) : source);
        writeSetting("loadOutlook", "True");
        // when the program starts
        Ortolan& o = w.start();
        // then the user is told once, unless the source gave what it had, and is never asked for a file
        QCOMPARE(messageTexts(), cut ? QStringList() : QStringList({kNotFound}));
        QCOMPARE(dayText(o, 12, 10), cut ? QStringLiteral("09.05: Dentist\r\n") : QString());
        QVERIFY(Dialogs::fileRequests().isEmpty());
        // and the reason stays in the status line after the stage's own word, and is logged
        QVERIFY2(o.statusText().startsWith("Completed loading. ") && o.statusText().contains(reason),
                 qPrintable(o.statusText()));
        QVERIFY(test::readFile(getDataFolder() + "/log.txt").contains(reason.toUtf8()));
        // and the start goes on
        QVERIFY(logMessages().contains("Done loading Outlook."));
        QCOMPARE(logMessages().last(), QStringLiteral("Done loading."));
        QVERIFY(!o.startFailed());
        QCOMPARE(readSetting("loadOutlook"), QStringLiteral("True"));
    }

    void shouldGiveUpOnASlowCalendarAndGoOnStarting_data() {
        QTest::addColumn<QStringList>("manner");
        QTest::newRow("stalls after a few bytes") << QStringList{"--stall"};
        QTest::newRow("sends 8 bytes a second") << QStringList{"--drip", "8"};
    }
    void shouldGiveUpOnASlowCalendarAndGoOnStarting() {
        QFETCH(QStringList, manner);
        // given a calendar address that is slow beyond the time limit (shortened to a second)
        test::Window w;
        test::FileServer server(w.listFile("slow.ics", kCalendar), manner);
        QVERIFY2(server.started(), qPrintable(server.log()));
        writeSetting("outlookSource", server.url());
        writeSetting("loadOutlook", "True");
        w.beforeStart = [](Ortolan& o) { o.setCalendarTimeLimit(1); };
        int ticks = 0;
        QTimer clock;
        connect(&clock, &QTimer::timeout, [&] { ++ticks; });
        clock.start(50);
        // when the program starts
        Ortolan& o = w.start();
        // then the window went on handling events while it waited, and gave up with the reason
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QCOMPARE(messageTexts(), QStringList({kNotFound}));
        QVERIFY2(o.statusText().startsWith("Completed loading. ") && o.statusText().contains("timed out"),
                 qPrintable(o.statusText()));
        QCOMPARE(logMessages().last(), QStringLiteral("Done loading."));
        QVERIFY(o.centralWidget()->isEnabled() && o.menuBar()->isEnabled());
    }

    void shouldStopReadingTheCalendarWhenTheWindowIsClosed_data() {
        QTest::addColumn<bool>("changed");
        QTest::newRow("at start-up") << false;
        QTest::newRow("importing into a changed list") << true;
    }
    void shouldStopReadingTheCalendarWhenTheWindowIsClosed() {
        QFETCH(bool, changed);
        // given a calendar address that stalls, read at start-up or by the task import
        test::Window w;
        test::FileServer server(w.listFile("slow.ics", kCalendar), {"--stall"});
        QVERIFY2(server.started(), qPrintable(server.log()));
        writeSetting("outlookSource", server.url());
        writeSetting("loadOutlook", changed ? "False" : "True");
        QElapsedTimer waited;
        QTimer::singleShot(500, [&] { w.window->close(); }); // the user closes the window meanwhile
        waited.start();
        Ortolan& o = w.start();
        if (changed) {
            o.setFileHasBeenChanged(true);
            Dialogs::setNextAnswer(PromptAnswer::No); // "save before exiting?"
            QTimer::singleShot(500, [&] { o.close(); });
            waited.start();
            o.action("MENU_OutlookTasks")->trigger();
            QTRY_VERIFY(!o.isVisible()); // asked about the changes once the read had stopped
            QCOMPARE(Dialogs::messages().size(), 1);
        } else {
            QVERIFY(messageTexts().isEmpty());
            QVERIFY(!logMessages().contains("Done loading."));
        }
        // then the read stopped well before its time limit and the window closed
        QVERIFY2(waited.elapsed() < 5000, qPrintable(QString::number(waited.elapsed())));
        QVERIFY(o.hasClosed());
        QVERIFY(!o.isVisible());
    }

    void shouldTurnTheDatesPreferenceOnAndOff() {
        // given a calendar source and the preference off
        test::Window w;
        writeSetting("outlookSource", w.listFile("mine.ics", kCalendar));
        Ortolan& o = w.start();
        QAction* item = o.action("MENU_InsertOutlook");
        // when the user turns it on, off and on again
        item->trigger();
        item->trigger();
        item->trigger();
        // then it is checked and stored, the user is told, and the dates are there at once
        QVERIFY(item->isChecked());
        QCOMPARE(readSetting("loadOutlook"), QStringLiteral("True"));
        QCOMPARE(messageTexts(), QStringList({kTurnedOn, kTurnedOff, kTurnedOn}));
        QCOMPARE(dayText(o, 12, 10), QStringLiteral("09.05: Dentist\r\n")); // once
        // when the user turns it off
        item->trigger();
        // then it is unchecked and stored, the user is told, and the dates stay until a restart
        QVERIFY(!item->isChecked());
        QCOMPARE(readSetting("loadOutlook"), QStringLiteral("False"));
        QCOMPARE(messageTexts(), QStringList({kTurnedOn, kTurnedOff, kTurnedOn, kTurnedOff}));
        QCOMPARE(dayText(o, 12, 10), QStringLiteral("09.05: Dentist\r\n"));
        // and the next start does not read the source
        w.window.reset();
        Ortolan& again = w.start();
        QVERIFY(dayText(again, 12, 10).isEmpty());
        QVERIFY(Dialogs::fileRequests().isEmpty());
    }

    void shouldAskForACalendarFileWhenNoneIsSet() {
        // given no source set
        test::Window w;
        const QString file = w.listFile("chosen.ics", kCalendar);
        Ortolan& o = w.start();
        // when the user turns the dates on and cancels the file dialog
        Dialogs::setNextFileName(std::nullopt);
        o.action("MENU_InsertOutlook")->trigger();
        // then nothing changes
        QCOMPARE(Dialogs::fileRequests().size(), 1);
        QCOMPARE(Dialogs::fileRequests().first().filter, QStringLiteral("iCalendar files (*.ics)"));
        QVERIFY(!Dialogs::fileRequests().first().save);
        QVERIFY(!o.action("MENU_InsertOutlook")->isChecked());
        QCOMPARE(readSetting("loadOutlook"), QStringLiteral("False"));
        QVERIFY(Dialogs::messages().isEmpty());
        // when the user tries again and picks a file
        Dialogs::setNextFileName(file);
        o.action("MENU_InsertOutlook")->trigger();
        // then it is kept as the source and read at once
        QCOMPARE(readSetting("outlookSource"), file);
        QVERIFY(o.action("MENU_InsertOutlook")->isChecked());
        QCOMPARE(dayText(o, 12, 24), QStringLiteral("Holiday\r\n"));
        // and the task import uses it without asking
        o.action("MENU_OutlookTasks")->trigger();
        QCOMPARE(Dialogs::fileRequests().size(), 2);
        QCOMPARE(lastChild(o.tree().Item(kRootID))->Text(), kImported);
    }

    void shouldImportTasksUnderANewTaskThatIsNeverSaved() {
        // given a list and a calendar source with two tasks
        test::OpenList list(test::item("Garden") + test::item("House"));
        Ortolan& o = *list.o;
        writeSetting("outlookSource", list.w.listFile("mine.ics", kCalendar));
        // when the tasks are imported
        o.action("MENU_OutlookTasks")->trigger();
        // then they sit, in order, under a new last task of the root, which is selected last
        QCOMPARE(list.children(), QStringLiteral("Garden,House,") + kImported);
        TreeNode* imported = lastChild(o.tree().Item(kRootID));
        QCOMPARE(childTexts(imported), QStringLiteral("Renew passport,TP: water plants"));
        QCOMPARE(o.tree().SelectedItem()->Text(), QStringLiteral("TP: water plants"));
        for (TreeNode* n : {imported, imported->Child(), imported->Child()->Next()}) {
            const Task* t = o.taskH().taskOf(n);
            QVERIFY(t);
            QCOMPARE(t->Status, QStringLiteral("INCOMPLETE"));
            QVERIFY(!hasDueDate(t->DateDue));
        }
        // and the list is not marked changed, and the source keeps its tasks
        QVERIFY(!o.fileHasBeenChanged());
        QVERIFY(test::readFile(readSetting("outlookSource")).contains("TP: water plants"));
        // when the list is saved anyway
        o.MENU_Save();
        // then the imported tasks are not in the file, and the rest is
        const QByteArray saved = test::readFile(list.path);
        QVERIFY(saved.contains("<NAME>House</NAME>"));
        QVERIFY(!saved.contains("Outlook Tasks"));
        QVERIFY(!saved.contains("Renew passport"));
    }

    void shouldImportFromAPublishedCalendar() {
        // given a calendar published by a web server on this machine
        test::OpenList list(test::item("Garden"));
        QTemporaryDir site;
        QVERIFY(test::writeFile(site.filePath("team.ics"), kCalendar));
        test::HttpServer server(site.path());
        QVERIFY2(server.started(), qPrintable(server.log()));
        writeSetting("outlookSource", server.url("team.ics"));
        // when its tasks and dates are imported
        list.o->action("MENU_OutlookTasks")->trigger();
        list.o->action("MENU_InsertOutlook")->trigger();
        // then both are there
        QCOMPARE(childTexts(lastChild(list.o->tree().Item(kRootID))), QStringLiteral("Renew passport,TP: water plants"));
        QCOMPARE(dayText(*list.o, 12, 15), QStringLiteral("23.00: Call with Boston\r\n"));
        QCOMPARE(messageTexts(), QStringList({kTurnedOn}));
    }

    void shouldFetchWithTheAddresssCredentialsAndNeverShowThem_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("imports");
        QTest::newRow("right password") << "s3cret-Word" << true;
        QTest::newRow("wrong password") << "s3cret-Guess" << false;
    }
    void shouldFetchWithTheAddresssCredentialsAndNeverShowThem() {
        QFETCH(QString, password);
        QFETCH(bool, imports);
        // given a calendar published behind a user name and password, the address carrying them
        test::OpenList list(test::item("Garden"));
        const QString file = list.w.listFile("team.ics", kCalendar);
        test::FileServer server(file, {"--user", "ann:s3cret-Word"});
        QVERIFY2(server.started(), qPrintable(server.log()));
        writeSetting("outlookSource", server.url("ann:" + password));
        // when its tasks and dates are imported
        list.o->action("MENU_OutlookTasks")->trigger();
        list.o->action("MENU_InsertOutlook")->trigger();
        // then the server was asked with them, and a refusal names the address without them
        QCOMPARE(list.children() == "Garden," + kImported, imports);
        QCOMPARE(dayText(*list.o, 12, 10).isEmpty(), !imports);
        if (!imports)
            QVERIFY2(list.o->statusText().contains(server.url()), qPrintable(list.o->statusText()));
        // (the settings keep the source whole: the next start fetches with them again)
        const QString log = QString::fromUtf8(test::readFile(getDataFolder() + "/log.txt"));
        for (const QString& shown : test::messageTexts() + QStringList{list.o->statusText(), log})
            QVERIFY2(!shown.contains(password), qPrintable(shown));
    }

    void shouldSetTheCalendarSourceOnlyToOneThatReads_data() {
        QTest::addColumn<QString>("typed"); // "file": left empty and a file chosen; "-": cancelled
        QTest::addColumn<bool>("kept");
        QTest::newRow("a file chosen") << "file" << true;
        QTest::newRow("an address typed") << "address" << true;
        QTest::newRow("a dead address") << "dead" << false;
        QTest::newRow("a file that is no calendar") << "garbage" << false;
        QTest::newRow("cancelled") << "-" << false;
        QTest::newRow("the old address left as shown") << "shown" << false;
    }
    void shouldSetTheCalendarSourceOnlyToOneThatReads() {
        QFETCH(QString, typed);
        QFETCH(bool, kept);
        // given a source behind a password, and a calendar file and a published one to change to
        test::OpenList list(test::item("Garden"));
        const QString file = list.w.listFile("mine.ics", kCalendar);
        test::FileServer server(file);
        QVERIFY2(server.started(), qPrintable(server.log()));
        const QString old = server.url("ann:s3cret-Word");
        writeSetting("outlookSource", old);
        const QString source = typed == "file"      ? file
                               : typed == "address" ? QString(server.url()).replace("calendar.ics", "team.ics")
                               : typed == "dead"    ? QStringLiteral("http://127.0.0.1:%1/x.ics").arg(test::closedPort())
                               : typed == "garbage" ? list.path
                                                    : server.url();
        if (typed == "-")
            Dialogs::setNextInput(std::nullopt);
        else
            Dialogs::setNextInput(typed == "file" ? QString() : source);
        Dialogs::setNextFileName(file);
        // when the user opens Settings > Calendar Source... and answers
        list.o->action("MENU_CalendarSource")->trigger();
        // then the box showed the old source without its password
        QCOMPARE(Dialogs::inputRequests().first().text, server.url());
        // and only a source that reads is kept, a refusal saying why
        QCOMPARE(readSetting("outlookSource"), kept ? source : old);
        const bool refused = typed == "dead" || typed == "garbage";
        QCOMPARE(test::messageTexts().size(), refused ? 1 : 0);
        if (refused)
            QVERIFY(test::messageTexts().first().contains(typed == "dead" ? "/x.ics" : "home.oxml"));
        QCOMPARE(Dialogs::fileRequests().size(), typed == "file" ? 1 : 0);
    }

    void shouldChangeNothingWhenTheSourceCannotBeRead_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("garbage file") << "garbage";
        QTest::newRow("dead address") << "dead";
        QTest::newRow("missing page") << "404";
    }
    void shouldChangeNothingWhenTheSourceCannotBeRead() {
        QFETCH(QString, kind);
        test::OpenList list(test::item("Garden") + test::item("House"));
        Ortolan& o = *list.o;
        QTemporaryDir site;
        test::HttpServer server(site.path());
        QVERIFY2(server.started(), qPrintable(server.log()));
        const QString source =
            kind == "garbage" ? list.w.listFile("garbage.ics", QByteArray(4000, '\x7f') + "\0\1\2END:VCALENDAR")
            : kind == "dead"  ? QStringLiteral("http://127.0.0.1:%1/cal.ics").arg(test::closedPort())
                              : server.url("absent.ics");
        writeSetting("outlookSource", source);
        const int before = o.tree().Count();
        // when the user imports tasks, then asks for dates
        o.action("MENU_OutlookTasks")->trigger();
        // then the message is shown and nothing else changes
        QCOMPARE(messageTexts(), QStringList({kNotFound}));
        QCOMPARE(o.tree().Count(), before);
        QVERIFY(!o.fileHasBeenChanged());
        QCOMPARE(readSetting("outlookSource"), source);
        o.loadOutlookAppointments();
        QCOMPARE(messageTexts(), QStringList({kNotFound, kNotFound}));
        QVERIFY(dayText(o, 12, 10).isEmpty());
    }

};

int main(int argc, char** argv) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QApplication app(argc, argv);
    TestWindowOutlook tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_window_outlook.moc"
