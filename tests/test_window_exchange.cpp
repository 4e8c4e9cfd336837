// The File menu's ways out and in: export in four formats, import under the selected task as
// one step, printing (the whole list or the selected branch), the preview and PDF.

#include "WindowTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QPrinter>

using namespace ortolan;
using test::item;
using test::press;

namespace {

// Home > Shop (Errands, due) > Milk (done); Work > Report
QByteArray homeList() {
    return item("Shop", "<CATEGORIES>Errands</CATEGORIES><DATEDUE>12/8/2026</DATEDUE><DESC>corner shop</DESC>",
                "<LIST>" + item("Milk", "<STATUS>COMPLETE</STATUS>") + "</LIST>") +
           item("Work", {}, "<LIST>" + item("Report") + "</LIST>");
}

// Picks an item of one of the window's menus with the mouse, as the user does.
void choose(Ortolan& o, const char* menuName, const char* actionName) {
    QMenu* menu = o.menu(QLatin1String(menuName));
    menu->popup(o.mapToGlobal(QPoint(10, 10)));
    QTRY_VERIFY(menu->isVisible());
    QAction* a = o.action(QLatin1String(actionName));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
    QCoreApplication::processEvents();
    // The menu closed: the window system gives the window its keys back (offscreen, nobody does).
    QApplication::setActiveWindow(&o);
}

// Windows-1252, as an older outliner writes it: byte 0x80 is the euro sign.
const char* kOpmlImport = R"(<?xml version="1.0" encoding="windows-1252"?>
<opml version="2.0"><head><title>Other</title></head><body>
<outline text="Trip )" "\x80" R"(" _note="pack" _due="2026-12-24"><outline text="Tickets" _status="COMPLETE"/></outline>
<outline text="Gifts"/></body></opml>)";

} // namespace

class TestWindowExchange : public QObject {
    Q_OBJECT
private slots:
    void shouldExportTheListInTheFormatPicked_data() {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("iCalendar") << QByteArray("MENU_ExportICalendar") << "ics"
                                   << QStringList{"BEGIN:VTODO", "SUMMARY:Shopping", "DUE;VALUE=DATE:20261208"};
        QTest::newRow("OPML") << QByteArray("MENU_ExportOpml") << "opml"
                              << QStringList{"<outline text=\"Shopping\" _note=\"corner shop\""};
        QTest::newRow("Markdown") << QByteArray("MENU_ExportMarkdown") << "md"
                                  << QStringList{"# Home", "- [ ] Shopping · due 2026-12-08 · Errands",
                                                 "  corner shop", "  - [x] Milk"};
        QTest::newRow("CSV") << QByteArray("MENU_ExportCsv") << "csv"
                             << QStringList{"1,,Shopping,Shopping,INCOMPLETE,2026-12-08,Errands,0,corner shop",
                                            "2,Shopping,Milk,Milk,COMPLETE,,,0,"};
    }
    void shouldExportTheListInTheFormatPicked() {
        QFETCH(QByteArray, action);
        QFETCH(QString, suffix);
        QFETCH(QStringList, lines);
        test::OpenList l(homeList());
        // a new name still being typed goes out as shown
        l.select("Shop");
        press(Qt::Key_F2);
        test::type("Shopping");
        const QString out = l.w.home.path() + "/out." + suffix;
        Dialogs::setNextFileName(out);
        choose(*l.o, "MENU_Export", action.constData());
        const FileDialogRequest asked = Dialogs::fileRequests().last();
        QVERIFY(asked.save && asked.confirmOverwrite);
        QCOMPARE(asked.fileName, l.w.home.path() + "/home." + suffix);
        const QString written = QString::fromUtf8(test::readFile(out));
        for (const QString& line : lines)
            QVERIFY2(written.contains(line), qPrintable(written));
        QVERIFY(l.o->statusText().contains("out." + suffix));
        // a folder that is not there: the user is told, and nothing is written
        const QString nowhere = l.w.home.path() + "/gone/out." + suffix;
        Dialogs::setNextFileName(nowhere);
        choose(*l.o, "MENU_Export", action.constData());
        QVERIFY(Dialogs::messages().last().text.startsWith("Could not export to \"" + nowhere + "\": "));
        QVERIFY(!QFile::exists(nowhere));
    }

    void shouldImportUnderTheSelectedTaskAsOneStep() {
        test::OpenList l(homeList());
        const QString file = l.w.home.path() + "/other.opml";
        QVERIFY(test::writeFile(file, kOpmlImport));
        l.select("Work");
        Dialogs::setNextFileName(file);
        choose(*l.o, "MENU_File", "MENU_Import");
        QCOMPARE(l.children("Work"), QString::fromUtf8("Report,Trip €,Gifts"));
        QCOMPARE(l.children(QString::fromUtf8("Trip €")), "Tickets");
        QCOMPARE(l.task("Tickets")->Status, "COMPLETE");
        QCOMPARE(l.task(QString::fromUtf8("Trip €"))->DateDue, makeDueDate(QDate(2026, 12, 24)));
        QVERIFY(l.o->fileHasBeenChanged());
        QCOMPARE(l.o->statusText(), "Imported 3 tasks.");
        // one step takes it all back
        test::click(l.o->Tree, l.node("Report"));
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(l.children("Work"), "Report");
        QVERIFY(!l.o->fileHasBeenChanged());
    }

    void shouldSayWhatAnImportCouldNotRead_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("children"); // of the top task afterwards
        QTest::addColumn<QString>("said");
        QTest::newRow("not a calendar or outline") << QByteArray("name,status\nx,y\n") << "Shop,Work"
                                                   << "\"bad.txt\": The file is neither OPML nor iCalendar.";
        QTest::newRow("a missing parent: imported, counted")
            << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:1\r\nSUMMARY:Lost\r\nRELATED-TO:9\r\nEND:VTODO\r\n"
                          "END:VCALENDAR\r\n")
            << "Shop,Work,Lost"
            << "Imported 1 task. 1 task named a parent that is not in the file; they were put at the top.";
    }
    void shouldSayWhatAnImportCouldNotRead() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, children);
        QFETCH(QString, said);
        test::OpenList l(homeList());
        l.select("Home"); // the top task
        const QString file = l.w.home.path() + "/bad.txt";
        QVERIFY(test::writeFile(file, bytes));
        Dialogs::setNextFileName(file);
        choose(*l.o, "MENU_File", "MENU_Import");
        QCOMPARE(Dialogs::messages().last().text, said);
        QCOMPARE(l.children(), children);
    }

    void shouldPrintTheListOrTheSelectedBranch_data() {
        QTest::addColumn<bool>("selection");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("all pages") << false << QStringList{"Home", "☐ Shop · due 2026-12-08 · Errands", "corner shop", "☑ Milk", "Report", "home.oxml", "Page 1 of 1"} << QStringList{};
        QTest::newRow("the selection") << true << QStringList{"☐ Work", "☐ Report"} << QStringList{"Shop", "Milk"};
    }
    void shouldPrintTheListOrTheSelectedBranch() {
        QFETCH(bool, selection);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, left);
        test::OpenList l(homeList());
        l.select("Work");
        const QString pdf = l.w.home.path() + "/printed.pdf";
        Dialogs::setNextPrint(PrintChoice{pdf, selection});
        QTest::keyClick(l.o->Tree, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(Dialogs::printRequests().last().selectionOffered);
        const QString pages = test::pdfText(pdf);
        for (const QString& s : shown)
            QVERIFY2(pages.contains(s), qPrintable(pages));
        for (const QString& s : left)
            QVERIFY2(!pages.contains(s), qPrintable(pages));
    }

    void shouldPreviewAndExportThePagesAsPdf() {
        test::OpenList l(homeList());
        const QString previewed = l.w.home.path() + "/previewed.pdf";
        Dialogs::setNextPrint(PrintChoice{previewed, false});
        choose(*l.o, "MENU_File", "MENU_PrintPreview");
        QVERIFY(Dialogs::printRequests().last().preview);
        QVERIFY(test::pdfText(previewed).contains("☑ Milk"));
        const QString pdf = l.w.home.path() + "/list.pdf";
        Dialogs::setNextFileName(pdf);
        choose(*l.o, "MENU_File", "MENU_ExportPdf");
        QCOMPARE(Dialogs::fileRequests().last().fileName, l.w.home.path() + "/home.pdf");
        const QString pages = test::pdfText(pdf);
        QVERIFY2(pages.contains("☐ Shop · due 2026-12-08 · Errands") && pages.contains("Page 1 of 1"), qPrintable(pages));
    }
};

QTEST_MAIN(TestWindowExchange)
#include "test_window_exchange.moc"
