#include "model/TaskHandler.h"
#include "views/Colouring.h"
#include "views/TaskTreeView.h"
#include "app/WrappingButton.h"
#include "calendar/CalendarGrid.h"
#include "calendar/CalendarManager.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>

using namespace ortolan;

namespace {

// Home: Errands (collapsed, holding "Call the bank" for today and "Post" done), Plans (holding
// "Book dentist" for today), "Read", "Water plants" (Todays).
QByteArray todayList() {
    using test::item;
    return test::smallList(
        "Home", item("Errands", "",
                     "<LIST>" + item("Call the bank", "<CATEGORIES>Work,Today</CATEGORIES>") +
                         item("Post", "<STATUS>COMPLETE</STATUS>") + "</LIST>") +
                    item("Plans", "", "<LIST>" + item("Book dentist", "<CATEGORIES>Today</CATEGORIES>") + "</LIST>") +
                    item("Read") + item("Water plants", "<CATEGORIES>Todays</CATEGORIES>"));
}

TreeNode* byText(Ortolan& o, const QString& text) {
    for (int i = 1; i <= o.tree().Count(); ++i)
        if (o.tree().Item(i)->Text() == text)
            return o.tree().Item(i);
    return nullptr;
}

} // namespace

class TestWindowViews : public QObject {
    Q_OBJECT
private slots:
    void shouldPlaceTheControlsAsDesigned() {
        test::Window w;
        Ortolan& o = w.start();
        const double dpi = o.logicalDpiX();
        // the right panel keeps to the window's outer right edge
        QCOMPARE(o.geometryInTwips().rightFrame.left, twipsFromPixels(o.frameGeometry().width(), dpi) - 3735);
        QCOMPARE(o.RightFrame->x(), pixelsFromTwips(o.geometryInTwips().rightFrame.left, dpi));
        QCOMPARE(o.MarkCompleteButton->geometry(), o.MarkAsIncompleteButton->geometry());
        QVERIFY(!o.AddTaskButton->geometry().intersects(o.ViewAsList->geometry())); // both can be reached
        QCOMPARE(o.geometryInTwips().tree.width, o.geometryInTwips().tabStrip.width - 250);
        QVERIFY(!o.ListView->isVisible());
        QVERIFY(!o.NameText->isVisible());
        QVERIFY(!o.Button_Save_Edits->isVisible());
        QVERIFY(!o.CalendarControls->isVisible());
        // once the list is loaded, the placard and the empty progress bar are out of the way
        QVERIFY(!o.Loader->isVisible());
        QVERIFY(!o.ProgressBar->isVisible());
        for (const char* name : {"AddTaskButton", "ViewAsList", "Command3", "CategoriesButton", "AddSubtaskButton",
                                 "Command4", "MarkCompleteButton"})
            QVERIFY2(o.findChild<WrappingButton*>(name)->captionFits(), name);
    }

    void shouldKeepTheTabsInReachOfATinyWindow() {
        test::Window w;
        Ortolan& o = w.start();
        o.resize(20, 20);
        QCoreApplication::processEvents();
        o.resize(o.width() + 1, o.height() + 1);
        QCoreApplication::processEvents();
        QVERIFY(o.width() >= o.minimumWidth() && o.height() >= o.minimumHeight());
        const QRect tabs = o.TabStrip->tabBar()->geometry().translated(o.TabStrip->pos());
        QVERIFY(tabs.height() > 0);
        QVERIFY2(tabs.bottom() < o.Status->y(), "the tabs lie above the status bar");
        QVERIFY(o.RightFrame->x() > o.TabStrip->x());
    }

    void shouldDrawTheListOnWhiteOnADarkDesktop() {
        QPalette dark;
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        test::Window w;
        writeSetting("lastFile", w.listFile("today.oxml", todayList()));
        Ortolan& o = w.start();
        for (QWidget* view : {static_cast<QWidget*>(o.Tree), static_cast<QWidget*>(o.ListView),
                              static_cast<QWidget*>(o.CalMan->grid)}) {
            QCOMPARE(view->palette().color(QPalette::Base), QColor(Qt::white));
            QCOMPARE(view->palette().color(QPalette::Text), QColor(Qt::black));
        }
        // the pixels below the last row are white
        const QImage shown = o.Tree->viewport()->grab().toImage();
        QCOMPARE(QColor(shown.pixel(shown.width() / 2, shown.height() - 3)), QColor(Qt::white));
        QApplication::setPalette(QPalette());
    }

    void shouldKeepThePanelsControlsWhereTheyWereDesigned_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips"); // left, top, width, height
        QTest::newRow("StatusLabel") << "StatusLabel" << QRect(120, 0, 3495, 375);
        QTest::newRow("Label2") << "Label2" << QRect(120, 480, 2175, 255);
        QTest::newRow("DescText") << "DescText" << QRect(120, 720, 3495, 2055);
        QTest::newRow("Command3") << "Command3" << QRect(1320, 2880, 1095, 855);
        QTest::newRow("CategoriesButton") << "CategoriesButton" << QRect(2520, 2880, 1095, 855);
        QTest::newRow("AddSubtaskButton") << "AddSubtaskButton" << QRect(120, 3720, 1095, 855);
        QTest::newRow("Command4") << "Command4" << QRect(1320, 3720, 1095, 855);
        QTest::newRow("MarkCompleteButton") << "MarkCompleteButton" << QRect(2520, 3720, 1095, 855);
        // "View as List" has a row of its own between the buttons and the icons
        QTest::newRow("AddTaskButton") << "AddTaskButton" << QRect(120, 2880, 1095, 855);
        QTest::newRow("ViewAsList") << "ViewAsList" << QRect(120, 4620, 3495, 375);
        QTest::newRow("IconSelector") << "IconSelector" << QRect(120, 5040, 3495, 1695);
        QTest::newRow("Loader") << "Loader" << QRect(120, 120, 6135, 5655);
        QTest::newRow("NameText") << "NameText" << QRect(8400, 480, 4215, 495);
        QTest::newRow("Button_Save_Edits") << "Button_Save_Edits" << QRect(7560, 2520, 1095, 855);
    }
    void shouldKeepThePanelsControlsWhereTheyWereDesigned() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        test::Window w;
        Ortolan& o = w.start();
        o.resize(o.width() + 30, o.height() + 30); // the layout moves none of these
        QCoreApplication::processEvents();
        const auto* control = o.findChild<QWidget*>(name);
        QVERIFY(control);
        const double dpi = o.logicalDpiX();
        QCOMPARE(control->geometry(), QRect(pixelsFromTwips(twips.x(), dpi), pixelsFromTwips(twips.y(), dpi),
                                            pixelsFromTwips(twips.width(), dpi), pixelsFromTwips(twips.height(), dpi)));
    }

    void shouldPickOutTheDaysTasksAndRestoreThem() {
        // given a list with "Today" tasks, one of them inside a collapsed branch
        test::Window w;
        writeSetting("lastFile", w.listFile("today.oxml", todayList()));
        writeSetting("doSlowMoEffects", "True");
        Ortolan& o = w.start();
        TreeNode* bank = byText(o, "Call the bank");
        TreeNode* errands = byText(o, "Errands");
        QVERIFY(!bank->Visible());
        // "Book dentist" moves under "Read", a node added after it
        QVERIFY(!o.tree().SetParent(byText(o, "Book dentist"), byText(o, "Read")));
        // when the "Today" tab is picked
        test::clickTab(o, "Today");
        // then the day's tasks are bold and visible, every other task collapsed and grey
        for (const char* today : {"Call the bank", "Book dentist", "Water plants"})
            QVERIFY2(byText(o, today)->Bold(), today);
        QVERIFY(bank->Visible());
        QVERIFY(byText(o, "Water plants")->Visible());
        for (const char* other : {"Post", "Read"}) {
            QVERIFY2(!byText(o, other)->Bold(), other);
            QCOMPARE(byText(o, other)->ForeColor(), kColourGrey);
        }
        // nodes go in the order they were added: "Errands" was collapsed before its child opened
        // it again, while "Read", added after the task moved under it, hides it once more
        QVERIFY(errands->Expanded());
        QCOMPARE(errands->ForeColor(), kColourGrey);
        QVERIFY(!byText(o, "Book dentist")->Visible());
        // when "Main" is picked again, bold goes and the colours come back; branches stay collapsed
        test::clickTab(o, "Main");
        QVERIFY(!bank->Bold());
        QCOMPARE(bank->ForeColor(), kColourDarkRed);
        QCOMPARE(byText(o, "Post")->ForeColor(), kColourGrey);
        QCOMPARE(byText(o, "Read")->ForeColor(), kColourBlack);
        QVERIFY(!byText(o, "Read")->Expanded());
    }

    void shouldPauseOnEveryRevealedTaskInSlowMotion() {
        test::Window w;
        writeSetting("lastFile", w.listFile("today.oxml", todayList()));
        writeSetting("doSlowMoEffects", "1"); // a number other than zero is true
        Ortolan& o = w.start();
        o.setSlowMotionPause(40);
        QElapsedTimer timer;
        timer.start();
        test::clickTab(o, "Today"); // reveals "Call the bank" and "Book dentist"
        QVERIFY(timer.elapsed() >= 80);
    }

    void shouldTreatAnUnreadableSlowMotionSettingAsOff() {
        test::Window w;
        writeSetting("lastFile", w.listFile("today.oxml", todayList()));
        writeSetting("doSlowMoEffects", "very slow");
        Ortolan& o = w.start();
        o.setSlowMotionPause(60000); // would hang the test if the pause were taken
        test::clickTab(o, "Today");
        QVERIFY(byText(o, "Book dentist")->Bold());
    }

    void shouldShowTheCompletionButtonThatFits_data() {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<bool>("completed");
        QTest::newRow("COMPLETE") << QByteArray("COMPLETE") << true;
        QTest::newRow("complete counts here") << QByteArray("complete") << true;
        QTest::newRow("INCOMPLETE") << QByteArray("INCOMPLETE") << false;
    }
    void shouldShowTheCompletionButtonThatFits() {
        QFETCH(QByteArray, status);
        QFETCH(bool, completed);
        test::Window w;
        writeSetting("lastFile",
                     w.listFile("one.oxml", test::smallList("One", "<ITEM><NAME>Task</NAME><STATUS>" + status +
                                                                       "</STATUS><DESC></DESC></ITEM>")));
        Ortolan& o = w.start();
        test::click(o.Tree, o.tree().Item("R1"));
        QCOMPARE(o.MarkAsIncompleteButton->isVisible(), completed);
        QCOMPARE(o.MarkCompleteButton->isVisible(), !completed);
        // without a selection nothing changes
        o.tree().setSelectedItem(nullptr);
        QCOMPARE(o.MarkAsIncompleteButton->isVisible(), completed);
    }

    void shouldSwitchClickToRenameBackAndForth() {
        test::Window w;
        Ortolan& o = w.start();
        QAction* item = o.action("MENU_DisableClickToRename");
        item->trigger();
        QCOMPARE(o.tree().LabelEdit(), TaskTree::LabelEditMode::Manual);
        QVERIFY(item->isChecked());
        QCOMPARE(readSetting("disableClickToRename"), QStringLiteral("True"));
        item->trigger();
        QCOMPARE(o.tree().LabelEdit(), TaskTree::LabelEditMode::Automatic);
        QVERIFY(!item->isChecked());
        QCOMPARE(readSetting("disableClickToRename"), QStringLiteral("False"));
        QVERIFY(o.Tree->editTriggers() != QAbstractItemView::NoEditTriggers);
    }

    void shouldShowAboutAndTheWebsite() {
        test::Window w;
        Ortolan& o = w.start();
        o.action("MENU_About")->trigger();
        const PromptMessage about = Dialogs::messages().last();
        QCOMPARE(about.title, QStringLiteral("About Ortolan"));
        QCOMPARE(about.text, QStringLiteral("Ortolan v.0.9.0\n") + kWebsite);
        QCOMPARE(about.icon, PromptIcon::None);

        // cancelled, then emptied, then OK with the address changed: only the last opens the site
        Dialogs::setNextInput(std::nullopt);
        Dialogs::setNextInput(QString());
        Dialogs::setNextInput(QStringLiteral("something else"));
        for (int i = 0; i < 3; ++i)
            o.action("MENU_VISITUPDATESITE")->trigger();
        const InputRequest asked = Dialogs::inputRequests().first();
        QCOMPARE(asked.title, QStringLiteral("Visit Update Website"));
        QCOMPARE(asked.label, QStringLiteral("Please press OK to continue to the Ortolan website using your browser, "
                                             "or copy and paste in the following address:"));
        QCOMPARE(asked.text, kWebsite);
        QCOMPARE(w.opened, QList<QUrl>({QUrl(kWebsite)}));
    }
};

QTEST_MAIN(TestWindowViews)
#include "test_window_views.moc"
