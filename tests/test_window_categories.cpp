#include "model/TaskHandler.h"
#include "views/CategoriesForm.h"
#include "views/Colouring.h"
#include "views/Layout.h"
#include "views/Pictures.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QMouseEvent>
#include <QPointer>
#include <QTabWidget>

using namespace ortolan;

namespace {

// Home / Errand, Dentist (today), Report (work and home), Filed (done).
struct Chooser : test::OpenList {
    Chooser()
        : OpenList(test::item("Errand") + test::item("Dentist", "<CATEGORIES>Today</CATEGORIES>") +
                   test::item("Report", "<CATEGORIES>Work,Home</CATEGORIES>") +
                   test::item("Filed", "<STATUS>COMPLETE</STATUS>")) {}
    CategoriesForm* form() const { return o->categoriesForm(); }
    // Opens the chooser on the task shown as text, the document unchanged so far.
    CategoriesForm* openOn(const QString& text) const {
        select(text);
        o->setFileHasBeenChanged(false);
        QTest::mouseClick(o->CategoriesButton, Qt::LeftButton);
        return form();
    }
    int row(const QString& entry) const {
        for (int i = 0; i < form()->CategoriesList->count(); ++i)
            if (form()->CategoriesList->item(i)->text() == entry)
                return i;
        return -1;
    }
};

void moveMouseOver(QWidget* w) {
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

// Keeps the pointer moving over w for about the given time, in small steps.
void keepMovingOver(QWidget* w, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        moveMouseOver(w);
        QTest::qWait(10);
    }
}

} // namespace

class TestWindowCategories : public QObject {
    Q_OBJECT
private slots:
    void shouldLookAsTheChooserIsDesigned() {
        Chooser c;
        CategoriesForm* f = c.form();
        QCOMPARE(f->windowTitle(), QStringLiteral("Categories"));
        QCOMPARE(f->size(), QSize(pixelsFromTwips(3765, f->logicalDpiX()), pixelsFromTwips(2835, f->logicalDpiY())));
        QCOMPARE(f->palette().color(QPalette::Window), QColor(255, 255, 192));
        QCOMPARE(f->Background->text(), QStringLiteral("Choose a Category"));
        QVERIFY(f->Background->font().bold());
        QCOMPARE(f->OkCatBut->text(), QStringLiteral("Ok"));
        QCOMPARE(f->Command2->text(), QStringLiteral("Cancel"));
        QVERIFY(f->isWindow());
        QCOMPARE(f->parentWidget(), c.o);
        QVERIFY(!f->isVisible());
    }

    void shouldOpenWithoutBlockingAndRebuildTheEntries() {
        // given the chooser opened once and an entry picked
        Chooser c;
        CategoriesForm* f = c.openOn("Errand");
        QVERIFY(f->isVisible());
        QVERIFY(!f->isModal());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        f->CategoriesList->setCurrentRow(1);
        QTest::mouseClick(f->Command2, Qt::LeftButton);
        // when it is opened again
        QTest::mouseClick(c.o->CategoriesButton, Qt::LeftButton);
        // then it offers "<None>" and "Today" with their pictures, "<None>" selected, the timer running
        QCOMPARE(f->CategoriesList->count(), 2);
        QCOMPARE(f->CategoriesList->item(0)->text(), QStringLiteral("<None>"));
        QCOMPARE(f->CategoriesList->item(0)->icon().cacheKey(), tabPicture(2).cacheKey());
        QCOMPARE(f->CategoriesList->item(1)->text(), QStringLiteral("Today"));
        QCOMPARE(f->CategoriesList->item(1)->icon().cacheKey(), tabPicture(1).cacheKey());
        QCOMPARE(f->CategoriesList->currentRow(), 0);
        QVERIFY(f->CategoriesList->item(0)->isSelected());
        QVERIFY(f->hideTimerActive());
        QCOMPARE(f->hideInterval(), 1000);
    }

    void shouldPlaceTheChooserAndReportThePosition_data() {
        QTest::addColumn<QPoint>("windowAt");
        QTest::addColumn<bool>("fits"); // whether the rule's place lies on the screen already
        QTest::newRow("room beside the window") << QPoint(40, 300) << true;
        QTest::newRow("window far to the right") << QPoint(300, 300) << false;
    }
    void shouldPlaceTheChooserAndReportThePosition() {
        QFETCH(QPoint, windowAt);
        QFETCH(bool, fits);
        // given the window at a known place on the screen
        Chooser c;
        c.o->move(windowAt);
        QCOMPARE(c.o->frameGeometry().topLeft(), windowAt);
        const double dx = c.o->logicalDpiX();
        const double dy = c.o->logicalDpiY();
        auto twX = [&](int px) { return twipsFromPixels(px, dx); };
        auto twY = [&](int px) { return twipsFromPixels(px, dy); };
        const int frame = twX(c.o->RightFrame->width());
        const int left = frame + twX(windowAt.x()) + twX(c.o->CategoriesButton->x());
        // when the chooser is opened
        CategoriesForm* f = c.openOn("Errand");
        const int top = twY(c.o->CategoriesButton->y()) + twY(windowAt.y()) - twY(f->frameGeometry().height());
        // then the status bar shows the computed numbers
        QCOMPARE(c.o->statusText(),
                 QStringLiteral("LEFT: %1 TOP: %2").arg(QString::number(frame + left), QString::number(top)));
        // and the chooser stands there, moved onto the screen where the rule would put it off
        const QRect room = c.o->screen()->availableGeometry();
        const QPoint wanted(pixelsFromTwips(left, dx), pixelsFromTwips(top, dy));
        const QPoint expected(qBound(room.left(), wanted.x(), room.right() + 1 - f->frameGeometry().width()),
                              qBound(room.top(), wanted.y(), room.bottom() + 1 - f->frameGeometry().height()));
        QCOMPARE(f->frameGeometry().topLeft(), expected);
        QVERIFY(room.contains(f->frameGeometry()));
        QCOMPARE(expected == wanted, fits);
    }

    void shouldApplyTheChosenEntryToTheSelectedTask_data() {
        // clang-format off
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("byClick"); // a click on the entry instead of Ok
        QTest::addColumn<QString>("categories");
        QTest::addColumn<quint32>("colour");
        QTest::newRow("Today by Ok") << "Errand" << "Today" << false << "Today" << kColourDarkRed;
        QTest::newRow("Today by click") << "Errand" << "Today" << true << "Today" << kColourDarkRed;
        QTest::newRow("Today replaces other categories") << "Report" << "Today" << false << "Today" << kColourDarkRed;
        QTest::newRow("Today on a completed task") << "Filed" << "Today" << false << "Today" << kColourGrey;
        QTest::newRow("<None> clears") << "Dentist" << "<None>" << false << "" << kColourBlack;
        // clang-format on
    }
    void shouldApplyTheChosenEntryToTheSelectedTask() {
        QFETCH(QString, task);
        QFETCH(QString, entry);
        QFETCH(bool, byClick);
        QFETCH(QString, categories);
        QFETCH(quint32, colour);
        // given the chooser open on a task
        Chooser c;
        CategoriesForm* f = c.openOn(task);
        const int row = c.row(entry);
        QVERIFY(row >= 0);
        // when the entry is chosen
        if (byClick) {
            QListWidget* list = f->CategoriesList;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        } else {
            f->CategoriesList->setCurrentRow(row);
            QTest::mouseClick(f->OkCatBut, Qt::LeftButton);
        }
        // then the task has the category, its node the matching colour, the document is changed
        QCOMPARE(c.task(task)->CategoryString, categories);
        QCOMPARE(c.node(task)->ForeColor(), NodeColour(colour));
        QVERIFY(c.o->fileHasBeenChanged());
        QVERIFY(!f->isVisible());
        QVERIFY(!f->hideTimerActive());
    }

    void shouldEditTheTaskSelectedWhenTheChoiceIsMade() {
        // given the chooser opened on one task and the selection moved to another
        Chooser c;
        CategoriesForm* f = c.openOn("Errand");
        c.select("Report");
        // when "Today" is chosen
        f->CategoriesList->setCurrentRow(c.row("Today"));
        QTest::mouseClick(f->OkCatBut, Qt::LeftButton);
        // then the task selected now gets it
        QCOMPARE(c.task("Report")->CategoryString, QStringLiteral("Today"));
        QVERIFY(c.task("Errand")->CategoryString.isEmpty());
    }

    void shouldChangeNothingWithoutASelection_data() {
        QTest::addColumn<bool>("noNode");
        QTest::newRow("no node selected") << true;
        QTest::newRow("no entry selected") << false;
    }
    void shouldChangeNothingWithoutASelection() {
        QFETCH(bool, noNode);
        Chooser c;
        CategoriesForm* f = c.openOn("Report");
        if (noNode)
            c.o->tree().setSelectedItem(nullptr);
        else
            f->CategoriesList->clearSelection();
        f->CategoriesList->setCurrentRow(c.row("Today"), QItemSelectionModel::NoUpdate);
        QTest::mouseClick(f->OkCatBut, Qt::LeftButton);
        QCOMPARE(c.task("Report")->CategoryString, QStringLiteral("Work,Home"));
        QVERIFY(!c.o->fileHasBeenChanged());
        QVERIFY(f->isVisible());
    }

    void shouldHideItselfWhenThePointerStaysAway() {
        // given a short wait for the pointer
        Chooser c;
        c.form()->setHideInterval(60);
        // when the chooser is opened and the pointer never comes
        CategoriesForm* f = c.openOn("Errand");
        QVERIFY(f->isVisible());
        // then it hides itself and stops its timer
        QTRY_VERIFY_WITH_TIMEOUT(!f->isVisible(), 2000);
        QVERIFY(!f->hideTimerActive());
        QVERIFY(c.task("Errand")->CategoryString.isEmpty());
    }

    void shouldStayWhileThePointerMovesOverTheListOrBackground_data() {
        QTest::addColumn<QString>("over");
        QTest::addColumn<bool>("stays");
        QTest::newRow("list") << "CategoriesList" << true;
        QTest::newRow("background") << "Background" << true;
        QTest::newRow("Ok button") << "OkCatBut" << false;
    }
    void shouldStayWhileThePointerMovesOverTheListOrBackground() {
        QFETCH(QString, over);
        QFETCH(bool, stays);
        // given the chooser open with a short wait
        Chooser c;
        c.form()->setHideInterval(250);
        CategoriesForm* f = c.openOn("Errand");
        QWidget* target = over == "CategoriesList" ? f->CategoriesList->viewport() : f->findChild<QWidget*>(over);
        QVERIFY(target);
        // when the pointer keeps moving over a control for longer than the wait
        keepMovingOver(target, 600);
        // then the chooser is still up only when the control restarts the wait
        QCOMPARE(f->isVisible(), stays);
        // and it goes once the pointer stops
        QTRY_VERIFY_WITH_TIMEOUT(!f->isVisible(), 2000);
    }

};

QTEST_MAIN(TestWindowCategories)
#include "test_window_categories.moc"
