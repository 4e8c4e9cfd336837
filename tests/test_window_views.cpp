#include "WindowTestSupport.h"
#include "model/TaskHandler.h"
#include "views/Colouring.h"
#include "views/TaskTreeView.h"

#include <QAction>
#include <QMenu>
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
        QCOMPARE(o.StatusLabel->text(), QStringLiteral("Welcome."));
    }

    void shouldGrowTheTreeWithTheWindow() {
        // given the window as it opened
        test::Window w;
        Ortolan& o = w.start();
        const int treeHeight = o.Tree->height();
        const int tabsHeight = o.TabStrip->height();
        const int frameHeight = o.RightFrame->height();
        const int frameLeft = o.RightFrame->x();
        const int tabsWidth = o.TabStrip->width();
        // when it grows by 40 pixels (600 twips at 96 dpi) in height and 20 in width
        o.resize(o.width() + 20, o.height() + 40);
        QCoreApplication::processEvents();
        // then the tree and the tabs grow with it, the right panel moves and keeps its size
        QCOMPARE(o.Tree->height(), treeHeight + 40);
        QCOMPARE(o.ListView->height(), o.Tree->height());
        QCOMPARE(o.TabStrip->height(), tabsHeight + 40);
        QCOMPARE(o.RightFrame->height(), frameHeight);
        QCOMPARE(o.RightFrame->x(), frameLeft + 20);
        QCOMPARE(o.TabStrip->width(), tabsWidth + 20);
        QCOMPARE(o.geometryInTwips().tree.width, o.geometryInTwips().tabStrip.width - 250);
        // and a minimized window is left alone
        const WindowGeometry before = o.geometryInTwips();
        o.showMinimized();
        QCoreApplication::processEvents();
        if (o.isMinimized())
            QCOMPARE(o.geometryInTwips(), before);
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
        o.TabStrip->setCurrentIndex(1);
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
        o.TabStrip->setCurrentIndex(0);
        QVERIFY(!bank->Bold());
        QCOMPARE(bank->ForeColor(), kColourDarkRed);
        QCOMPARE(byText(o, "Post")->ForeColor(), kColourGrey);
        QCOMPARE(byText(o, "Read")->ForeColor(), kColourBlack);
        QVERIFY(!byText(o, "Read")->Expanded());
    }

    void shouldTreatAnUnreadableSlowMotionSettingAsOff() {
        test::Window w;
        writeSetting("lastFile", w.listFile("today.oxml", todayList()));
        writeSetting("doSlowMoEffects", "very slow");
        Ortolan& o = w.start();
        o.setSlowMotionPause(60000); // would hang the test if the pause were taken
        o.TabStrip->setCurrentIndex(1);
        QVERIFY(byText(o, "Book dentist")->Bold());
    }

    void shouldShowTheCompletionButtonThatFits_data() {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<bool>("completed");
        QTest::newRow("COMPLETE") << QByteArray("COMPLETE") << true;
        QTest::newRow("complete counts here") << QByteArray("complete") << true;
        QTest::newRow("INCOMPLETE") << QByteArray("INCOMPLETE") << false;
        QTest::newRow("empty") << QByteArray("") << false;
    }
    void shouldShowTheCompletionButtonThatFits() {
        QFETCH(QByteArray, status);
        QFETCH(bool, completed);
        test::Window w;
        writeSetting("lastFile", w.listFile("one.oxml", test::smallList("One", "<ITEM><NAME>Task</NAME><STATUS>" + status +
                                                                                     "</STATUS><DESC></DESC></ITEM>")));
        Ortolan& o = w.start();
        o.tree().setSelectedItem(o.tree().Item("R1"));
        QCOMPARE(o.MarkAsIncompleteButton->isVisible(), completed);
        QCOMPARE(o.MarkCompleteButton->isVisible(), !completed);
        // without a selection nothing changes
        o.tree().setSelectedItem(nullptr);
        QCOMPARE(o.MarkAsIncompleteButton->isVisible(), completed);
    }

    void shouldNoteThatSettingsAreSaved() {
        test::Window w;
        Ortolan& o = w.start();
        emit o.findChild<QMenu*>("MENU_Settings")->aboutToShow();
        QCOMPARE(o.statusText(), QStringLiteral("NOTE: Settings are saved automatically."));
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

    void shouldNoteEasyEditingWhenItIsTurnedOn() {
        test::Window w;
        Ortolan& o = w.start();
        o.action("MENU_EasyEditing")->trigger();
        QVERIFY(o.easyEditing());
        QCOMPARE(readSetting("EasyEditing"), QStringLiteral("True"));
        const PromptMessage note = Dialogs::messages().last();
        QCOMPARE(note.title, QStringLiteral("Note"));
        QCOMPARE(note.icon, PromptIcon::Information);
        QCOMPARE(note.text, QStringLiteral("Please Note:\r\nEasy editing automates keystrokes in Ortolan in order to "
                                           "make life easy. Some firewalls may present a warning the first time that "
                                           "you edit a task because of the keystroke insertion."));
        o.action("MENU_EasyEditing")->trigger();
        QVERIFY(!o.easyEditing());
        QCOMPARE(readSetting("EasyEditing"), QStringLiteral("False"));
        QCOMPARE(Dialogs::messages().size(), 1); // turning it off says nothing
    }

    void shouldRememberTheStartUpChoice_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("value");
        QTest::newRow("Always") << "MENU_LoadLastAlways" << "ALWAYS";
        QTest::newRow("unless FTP") << "MENU_LoadLastUnlessFTP" << "UNLESSFTP";
        QTest::newRow("Never") << "MENU_LoadLastNever" << "NEVER";
    }
    void shouldRememberTheStartUpChoice() {
        QFETCH(QString, item);
        QFETCH(QString, value);
        test::Window w;
        writeSetting("autoLoad", "NEVER");
        Ortolan& o = w.start();
        o.action(item)->trigger();
        o.action(item)->trigger(); // picking it twice keeps it picked
        QCOMPARE(readSetting("autoLoad"), value);
        QCOMPARE(o.autoLoadMode(), value);
        for (const char* each : {"MENU_LoadLastAlways", "MENU_LoadLastUnlessFTP", "MENU_LoadLastNever"})
            QCOMPARE(o.action(each)->isChecked(), item == QLatin1String(each));
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
