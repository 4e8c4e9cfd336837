// The desktop's habits: the usual keys, and the file dialogs starting where the list is.

#include "calendar/CalendarManager.h"
#include "views/TaskTreeView.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QHelpEvent>
#include <QMenu>
#include <QTextEdit>
#include <QToolTip>

using namespace ortolan;
using test::item;
using test::press;
using test::type;

using Check = std::function<void(test::OpenList&)>;
Q_DECLARE_METATYPE(Check)

class TestWindowHabits : public QObject {
    Q_OBJECT
private slots:
    void shouldAnswerTheUsualKeysInTheTree_data() {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<Check>("check");
        QTest::newRow("Ctrl+X cuts") << QKeySequence("Ctrl+X") << Check([](test::OpenList& l) {
            QCOMPARE(l.children(), QStringLiteral("A,C"));
            QVERIFY(QGuiApplication::clipboard()->text().contains("<NAME>B</NAME>"));
        });
        QTest::newRow("Ctrl+V pastes") << QKeySequence("Ctrl+V") << Check([](test::OpenList& l) {
            QCOMPARE(l.children("B"), QStringLiteral("Pasted"));
        });
        QTest::newRow("F2 renames") << QKeySequence("F2") << Check([](test::OpenList& l) {
            QVERIFY(test::labelEditor(l.o->Tree));
        });
        QTest::newRow("Ctrl+O opens") << QKeySequence("Ctrl+O") << Check([](test::OpenList&) {
            QVERIFY(!Dialogs::fileRequests().first().save);
        });
        QTest::newRow("Ctrl+Shift+S saves as") << QKeySequence("Ctrl+Shift+S") << Check([](test::OpenList&) {
            QVERIFY(Dialogs::fileRequests().first().save);
        });
        QTest::newRow("Ctrl+Q exits") << QKeySequence("Ctrl+Q") << Check([](test::OpenList& l) {
            QVERIFY(!l.o->isVisible());
        });
    }
    void shouldAnswerTheUsualKeysInTheTree() {
        QFETCH(QKeySequence, keys);
        QFETCH(Check, check);
        // given a list with B selected and tasks on the clipboard
        test::OpenList l(item("A") + item("B") + item("C"));
        QGuiApplication::clipboard()->setText(QString::fromLatin1(test::smallList("x", item("Pasted"))));
        l.select("B");
        Dialogs::setNextFileName(std::nullopt);
        // when the keys are pressed in the tree
        QTest::keySequence(l.o->Tree, keys);
        // then the command ran
        check(l);
    }

    void shouldLeaveCutAndPasteToTheTextBoxWithTheFocus() {
        // given text typed into the description
        test::OpenList l(item("A") + item("B"));
        l.select("B");
        QTest::mouseClick(l.o->DescText->viewport(), Qt::LeftButton);
        type("note");
        l.o->DescText->selectAll();
        // when it is cut and pasted back with the keys
        press(Qt::Key_X, Qt::ControlModifier);
        QVERIFY(l.o->DescText->toPlainText().isEmpty());
        press(Qt::Key_V, Qt::ControlModifier);
        // then the box did both, and the tasks are untouched
        QCOMPARE(l.o->DescText->toPlainText(), QStringLiteral("note"));
        QCOMPARE(l.children(), QStringLiteral("A,B"));
    }

    void shouldTellATasksDateCategoriesAndDescriptionOnHover() {
        test::OpenList l(item("Call", "<CATEGORIES>Work,Today</CATEGORIES><DATEDUE>12/5/2026</DATEDUE>"
                                      "<DESC>line one\r\nline two\r\n\r\nfour</DESC>") +
                         item("Plain"));
        const auto hover = [&](const char* task) {
            const QPoint at = test::labelPoint(l.o->Tree, l.node(task));
            QHelpEvent help(QEvent::ToolTip, at, l.o->Tree->viewport()->mapToGlobal(at));
            QApplication::sendEvent(l.o->Tree->viewport(), &help);
        };
        hover("Call");
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), "Due: " + QLocale().toString(QDate(2026, 12, 5), QLocale::LongFormat) +
                                       "\nCategories: Work,Today\nline one\nline two\n\u2026");
        hover("Plain"); // nothing to tell
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void shouldReopenARecentFileFromTheFileMenu() {
        // given two lists opened after the first, one of them gone since
        test::OpenList l(item("A"));
        const QString second = l.w.listFile("second.oxml", test::smallList("Second", item("S")));
        const QString third = l.w.listFile("third.oxml", test::smallList("Third", item("T")));
        for (const QString& path : {second, third}) {
            Dialogs::setNextFileName(path);
            QTest::keyClick(l.o->Tree, Qt::Key_O, Qt::ControlModifier);
        }
        QCOMPARE(readSetting("file2"), l.path);
        writeSetting("file3", third); // listed twice: shown once
        QVERIFY(QFile::remove(second));  // gone: not shown
        l.o->tree().Item(kRootID)->setText("Third, changed");
        l.o->setFileHasBeenChanged(true);
        // when File > Recent Files opens
        QMenu* recent = l.o->menu("MENU_RecentFiles");
        recent->popup(QPoint(0, 0));
        QTRY_VERIFY(recent->isVisible());
        // then it lists the files still there, newest first, each once
        QStringList listed;
        for (const QAction* a : recent->actions())
            listed << a->text();
        QCOMPARE(listed, (QStringList{third, l.path}));
        // when the oldest is clicked, the save question answered No
        Dialogs::setNextAnswer(PromptAnswer::No);
        QTest::mouseClick(recent, Qt::LeftButton, {}, recent->actionGeometry(recent->actions().last()).center());
        // then it opened, after the question Open asks
        QCOMPARE(Dialogs::messages().last().text, kNewOpenPrompt);
        QCOMPARE(l.o->currentFileName(), l.path);
        QCOMPARE(l.o->tree().Item(kRootID)->Text(), QStringLiteral("Home"));
        QCOMPARE(readSetting("lastFile"), l.path);
    }

    void shouldSetADueDateFromThePickerAsOneStep_data() {
        QTest::addColumn<std::optional<QDate>>("picked"); // none: "No Due Date"
        QTest::addColumn<QString>("day5");
        QTest::addColumn<QString>("day9");
        QTest::newRow("a day") << std::optional<QDate>(QDate(2026, 12, 9)) << "" << "-Call\r\n";
        QTest::newRow("no due date") << std::optional<QDate>() << "" << "";
    }
    void shouldSetADueDateFromThePickerAsOneStep() {
        QFETCH(std::optional<QDate>, picked);
        QFETCH(QString, day5);
        QFETCH(QString, day9);
        // given a task due on the 5th, selected
        test::OpenList l(item("Call", "<DATEDUE>12/5/2026</DATEDUE>") + item("Other"));
        l.select("Call");
        const QByteArray before = l.o->xml().fileContents();
        const auto day = [&](int d) { return l.o->CalMan->GetDateText(QDateTime(QDate(2026, 12, d), QTime())); };
        // when Insert > Set Due Date... is chosen and the picker answered
        Dialogs::setNextDate(DateChoice{picked});
        l.o->action("MENU_SetDueDate")->trigger();
        // then the picker started at the task's date, and the task and the calendar follow
        QCOMPARE(Dialogs::dateRequests(), QList<QDate>{QDate(2026, 12, 5)});
        QCOMPARE(l.task("Call")->DateDue.date(), picked.value_or(QDate()));
        QCOMPARE(day(5), day5);
        QCOMPARE(day(9), day9);
        QVERIFY(l.o->fileHasBeenChanged());
        // and one Ctrl+Z takes it back, day line included
        QTest::keyClick(l.o->Tree, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(l.o->xml().fileContents(), before);
        QCOMPARE(day(5), QStringLiteral("-Call\r\n"));
        QCOMPARE(day(9), QString());
        // and a cancelled picker changes nothing
        Dialogs::setNextDate(std::nullopt);
        l.o->action("MENU_SetDueDate")->trigger();
        QCOMPARE(l.o->xml().fileContents(), before);
    }

    void shouldOpenWhereAndAsLargeAsItWasLeft_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("kept"); // the place is on a screen
        QTest::newRow("on the screen") << QPoint(40, 30) << true;
        QTest::newRow("on a screen no longer there") << QPoint(9000, 7000) << false;
    }
    void shouldOpenWhereAndAsLargeAsItWasLeft() {
        QFETCH(QPoint, at);
        QFETCH(bool, kept);
        // given a window made larger and moved, then closed with Ctrl+Q
        test::Window w;
        Ortolan& first = w.start();
        const QSize designed = first.size();
        const int treeHeight = first.Tree->height();
        first.setGeometry(QRect(at, designed + QSize(120, 90)));
        QTest::keyClick(first.Tree, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!first.isVisible());
        QCOMPARE(readSetting("windowWidth").toInt(), designed.width() + 120);
        // when the program starts again
        w.window.reset();
        Ortolan& again = w.start();
        // then it is where and as large as it was left, laid out for that size; or as designed
        QCOMPARE(again.size(), kept ? designed + QSize(120, 90) : designed);
        if (kept) {
            QCOMPARE(again.geometry().topLeft(), at);
            QCOMPARE(again.Tree->height(), treeHeight + 90);
        }
    }

    void shouldStartTheFileDialogsWhereTheListIs_data() {
        QTest::addColumn<bool>("named"); // a list with a file, or a new one
        QTest::newRow("the open list's file") << true;
        QTest::newRow("a new list") << false;
    }
    void shouldStartTheFileDialogsWhereTheListIs() {
        QFETCH(bool, named);
        test::OpenList l(item("A"));
        if (!named)
            QTest::keyClick(l.o->Tree, Qt::Key_N, Qt::ControlModifier);
        Dialogs::setNextFileName(std::nullopt);
        Dialogs::setNextFileName(std::nullopt);
        QTest::keyClick(l.o->Tree, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(l.o->Tree, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        for (const FileDialogRequest& asked : Dialogs::fileRequests()) {
            const QString folder = QFileInfo(asked.fileName).path();
            if (named)
                QCOMPARE(asked.fileName, l.path);
            else
                QVERIFY2(folder == documents || folder == QDir::homePath(), qPrintable(asked.fileName));
        }
        QCOMPARE(Dialogs::fileRequests().size(), 2);
    }
};

QTEST_MAIN(TestWindowHabits)
#include "test_window_habits.moc"
