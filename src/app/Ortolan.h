#pragma once

#include "document/TaskDocument.h"
#include "model/Prompt.h"
#include "model/TaskTree.h"
#include "views/Layout.h"

#include <functional>
#include <memory>
#include <optional>
#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QScopedValueRollback>
#include <QStringList>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTextEdit;

namespace ortolan {

namespace net {
class Transfer;
}
enum class ExportFormat;
struct CalendarItems;
struct CalendarRead;
class DialogPrompt;
class Prompt;
class SoundPlayer;
class TaskHandler;
class TaskTreeView;
class XMLManager;

inline const QString kWebsite = QStringLiteral("https://ortolan.example.org");
// Asked before another list replaces a changed one.
inline const QString kNewOpenPrompt =
    QStringLiteral("Changes have not been saved. Would you like to save before continuing?");
inline const QString kVersionText = QStringLiteral("Ortolan v.0.9.0");

// The main window: the task tree under its tabs on the left, the task's details and the
// command buttons on the right, the status bar below. It owns the open document: the tree,
// the registry behind it, the file manager and the file's name.
//
// The window's commands live with their subsystems: the document commands and start-up in
// document/, the preferences in settings/, the layout, tabs and buttons in views/.
class Ortolan : public QMainWindow {
    Q_OBJECT
public:
    explicit Ortolan(QStringList arguments, QWidget* parent = nullptr);
    ~Ortolan() override;

    // ---- start-up and shut-down ----
    void startUp();
    bool startFailed() const { return startFailed_; }
    bool hasClosed() const { return closing_; } // closed already, possibly during start-up
    void MENU_Exit();

    // ---- the document ----
    bool askToSaveChanges(const QString& prompt); // true when cancelled
    void loadTaskFile(const QString& fileName, bool addToHistory);
    void xml_Progress(float fraction);
    QString loadedText() const; // "Loading completed. N tasks loaded."
    void MENU_NEW();
    void MENU_OPEN();
    void MENU_Save();
    void MENU_SaveAs();
    void MENU_SaveACopyAs();
    void openContainingFolder();
    QString dialogStart() const; // where the file dialogs start
    void saveList(bool askForName);
    void fillRecentFiles(); // File > Recent Files, as the menu opens

    // ---- layout, tabs, buttons ----
    void Form_Resize();
    void TabStrip_Click();
    void UpdateButtons();

    // ---- adding tasks (editing/OrtolanAdding.cpp) ----
    QString addTask(const QString& tname, const QString& tdesc = QString(), const QDateTime& tduedate = QDateTime(),
                    const QString& tstatus = QString(), bool isSubTask = false, bool askToSave = false,
                    bool doStartLabelEdit = false);
    void MENU_AddSubtask_Click();
    void MENU_NewTask_Click();

    // ---- editing a task (editing/OrtolanEditing.cpp) ----
    void Tree_Click();
    void showSelectedTask(); // the detail panel, without the status bar's key
    QString taskToolTip(const TreeNode* node) const; // due date, categories, the description's start
    void Tree_MouseDown(Qt::MouseButton button, const QPoint& at);
    void Tree_DblClick();
    void Tree_AfterLabelEdit(TreeNode* node, const QString& newString);
    // Stores a new name for the node's task as one step of the history.
    void renameTask(TreeNode* node, const QString& name, const QString& caption);
    void Tree_Expand(TreeNode* node);
    void Tree_Collapse(TreeNode* node);
    void MENU_RENAME_Click();
    void DescText_Change();
    void DescText_KeyDown();
    void Button_Save_Edits_Click();
    void IconSelector_Click();
    void MarkCompleteButton_Click();
    void MarkAsIncompleteButton_Click();
    void MENU_SUM_SECTION_Click();
    void MENU_AVG_Section_Click();

    // ---- deleting, cutting and pasting (editing/OrtolanClipboard.cpp) ----
    void MENU_INSERT_Delete_Click();
    void MENU_Cut_Click();
    void MENU_Paste_Click();

    // ---- moving (editing/OrtolanMoving.cpp) ----
    void moveUpNode(int origkey, int thekey, bool* ThisNodeIsFirst = nullptr);
    void MENU_MoveUp_Click();
    void MENU_MoveDown_Click();
    void moveSelected(bool up);
    // Dragging a task in the tree onto another. The view calls these with points of its
    // viewport; the start gives the key the drag carries, or nothing when no drag can start.
    QString Tree_OLEStartDrag();
    bool Tree_OLEDragOver(const QPoint& at);
    void Tree_OLEDragDrop(const QString& key, const QPoint& at);
    bool treeDragActive() const { return treeDragActive_; }

private:
    bool treeDragActive_ = false; // from the start of a drag in the tree until a drop is handled

public:
    // ---- calendar (calendar/OrtolanCalendar.cpp) ----
    class CalendarManager* CalMan = nullptr; // made during start-up, owned by the window
    void CalendarGrid_DblClick(int year, int month, int day, const QString& text); // month from 0
    void SetCalDateText(const QDateTime& myDate, const QString& theText);
    void CalendarNext_Click();
    void CalendarPrevious_Click();
    void CalendarFontSize_Click();
    void CalendarFontSize_Change();
    void ChangeCalFontSize(int Size);
    void MENU_ASSIGN_CALENDAR_DATE_Click();
    void MENU_RemoveCalDate_Click();
    void MENU_SetDueDate_Click();
    void createCalendar();         // the manager and its grid, in CalendarControls
    void placeCalendarGrid();      // the grid over the tree's rectangle
    void listDueDatesOnCalendar(); // after a load: every task with a due date on its day

    // ---- list view and categories (views/OrtolanListView.cpp, views/OrtolanCategories.cpp) ----
    // Switches between the task tree and a flat list of the tasks still to do.
    void ViewAsList_Click();
    bool listShown() const { return listToggleCount_ == 1; }
    // Places and shows the category chooser beside the window.
    void CategoriesButton_Click();
    // Puts the selected task into the category entry names ("<None>": into none).
    void applyCategory(const QString& entry);
    void MENU_AddCategory_Click();
    // The category chooser, made on first use.
    class CategoriesForm* categoriesForm();

    // ---- calendar import (outlook/OrtolanOutlook.cpp) ----
    // Appointments of the calendar source onto the month calendar.
    void loadOutlookAppointments();
    // The source's tasks under a new "Outlook Tasks [NOT SAVED]" task of the root.
    void importOutlookTasks();
    void MENU_InsertOutlook();
    // Shows the calendar source and lets the user type an address or choose an .ics file; the
    // new source is read once before it is kept.
    void MENU_CalendarSource();
    void MENU_OutlookTasks();
    // Reads a calendar source while the window goes on; closing the window cancels the read.
    // Nothing when it could not be read (the user is told, unless the window is closing).
    std::optional<CalendarItems> readCalendar(const QString& source);
    CalendarRead readCalendarInBackground(const QString& source);
    // The transfer under way, if any.
    bool transferUnderWay() const { return transfer_ != nullptr; }

    // ---- opening from FTP (ftp/OrtolanFtp.cpp) ----
    void MENU_FTPopen();
    class FTPdialog* ftpDialog(); // made on first use, a child of the window

    // ---- other programs and paper (exchange/OrtolanExchange.cpp) ----
    // Writes the list in another program's format, to a file the user names.
    void MENU_Export(ExportFormat format);
    // Reads the tasks of an OPML or iCalendar file under the selected task (the top task when
    // none), as one step.
    void MENU_Import();
    void MENU_Print();
    void MENU_PrintPreview();
    void MENU_ExportPdf();

    // ---- finding tasks (views/OrtolanFind.cpp) ----
    // Opens the find bar over the bottom of the tree; typing filters the tree to the matches.
    void MENU_Find();
    void findStep(bool forward); // the next or previous match (Enter, F3, Shift+F3)
    // Closes the bar: every task shown again, opened and closed as before, the last match selected.
    void closeFind();
    bool findShown() const;
    class FindBar* findBar() const { return findBar_; }

    // ---- preferences ----
    void MENU_Settings();
    void MENU_DisableClickToRename();
    void MENU_EasyEditing();
    void MENU_LoadLastAlways();
    void MENU_LoadLastUnlessFTP();
    void MENU_LoadLastNever();
    void checkCorrectAutoLoad();
    void MENU_About();
    void MENU_VISITUPDATESITE();

    // ---- what the commands work on ----
    TaskDocument& document() { return *doc_; }
    TaskTree& tree() { return tree_; }
    TaskHandler& taskH() { return doc_->taskH(); }
    XMLManager& xml() { return doc_->xml(); }
    const QString& currentFileName() const { return doc_->currentFileName(); }
    bool fileHasBeenChanged() const { return doc_->fileHasBeenChanged(); }
    void setFileHasBeenChanged(bool changed) { doc_->setFileHasBeenChanged(changed); }
    bool easyEditing() const { return easyEditing_; }
    const QString& autoLoadMode() const { return autoLoadMode_; }
    QAction* action(const QString& name) const { return actions_.value(name); }
    QMenu* menu(const QString& name) const { return menus_.value(name); }
    void setStatus(const QString& text);
    QString statusText() const;
    const WindowGeometry& geometryInTwips() const { return geometry_; }

    // ---- seams for tests ----
    // The pause between the nodes the "Today" view reveals (normally 200 ms).
    void setSlowMotionPause(int milliseconds) { slowMotionPauseMs_ = milliseconds; }
    // How long reading a calendar address may take in all (normally 30 s).
    void setCalendarTimeLimit(int seconds) { calendarSeconds_ = seconds; }
    // Opens web addresses and folders; normally the desktop's handler.
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }
    SoundPlayer& sound() { return *sound_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // construction (app/Ortolan.cpp)
    void createControls();
    static void keepLight(QWidget* w); // a white page whatever the desktop's colours
    void createMenus();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut = {},
                     bool hidden = false);
    QMenu* addSubmenu(QMenu* parent, const QString& name, const QString& caption);
    void connectCommands();
    void placeControls();

    // start-up stages (document/OrtolanStartup.cpp)
    bool guardedSetUp();
    void initEmptyList();
    void loadOutlookStage();
    void unload();
    void restoreWindowPlace();
    // Backups warn through this; not again and again when the data folder is known read-only.
    Prompt* backupPrompt();

    // the views (views/OrtolanView.cpp)
    void showTodayView(bool slowMotion);

    // each command family connects its own controls
    void connectAddingCommands();
    void connectEditingCommands();
    void connectClipboardCommands();
    bool removeTaskBranch(TreeNode* node, bool cut); // true when it went
    void addSubtask(const QString& caption);
    // Runs a change of the user's own, which the window follows by itself (the history's replays
    // it follows through showStepApplied).
    template <typename Change> auto byHand(Change&& change) {
        const QScopedValueRollback<bool> mine(editingByHand_, true);
        return change();
    }
    // Shows what an edit of the list had to say, in order.
    void tell(const QList<PromptMessage>& said);
    void markSelected(const QString& status, NodeColour colour);
    // Gives the node's task new fields and the node a colour, as one step of the history.
    void editTask(TreeNode* node, const TaskFields& after, const QString& caption, NodeColour colour, int visit = -1);
    // After a step the history replayed: the calendar's lines, and the task shown and selected.
    void followEditedTask(const QString& key, const TaskFields& before, const TaskFields& after);
    void showStepApplied(const QString& key);
    void appendFormula(const QString& placeholder);
    QString newTask(const QString& parentKey, const QString& name, const QString& status, const QDateTime& due,
                    const QString& caption, bool changesFile = true);
    void connectMovingCommands();
    void connectCalendarCommands();
    void connectListViewCommands();
    void connectCategoryCommands();
    void connectFindCommands();
    void connectExchangeCommands();
    // A file name beside the open list's, with the suffix given, for the export dialogs.
    QString exportStart(const QString& suffix) const;
    // The calendar source, asking for an iCalendar file when none is set; empty when cancelled.
    QString calendarSource(bool mayAsk);

    // the open list, and what the window keeps beside it
    std::unique_ptr<TaskDocument> doc_;
    TaskTree& tree_; // the document's
    std::unique_ptr<DialogPrompt> prompt_;
    SoundPlayer* sound_ = nullptr;
    QString dialogFileName_; // the file dialog opens with the name chosen last
    bool editingByHand_ = false; // a command of the user's own is being pushed, not replayed
    bool calendarByHand_ = false; // the calendar moved the task's line itself
    int descriptionVisit_ = 0;   // counts the selections, so typing groups by task visit
    bool downloadedCopy_ = false; // the list open is a download in the temporary folder, not yet saved elsewhere

    // preferences and start-up
    QStringList arguments_;
    bool dataFolderWritable_ = true; // when not, the user has been told once at start-up
    bool startFailed_ = false;
    bool closing_ = false;
    net::Transfer* transfer_ = nullptr;        // the network read under way, if any
    bool closeAfterTransfer_ = false;          // closing was asked for while it ran
    int calendarSeconds_ = 30;
    bool easyEditing_ = false;
    QString autoLoadMode_;
    int slowMotionPauseMs_ = 200;
    std::function<bool(const QUrl&)> openUrl_;

    // layout
    WindowGeometry geometry_;
    bool fixedControlsPlaced_ = false; // the controls the layout never moves
    int frameExtra_ = 0;               // what the window frame adds to the height, in pixels

public:
    // The controls, named as the window's design names them.
    QTabWidget* TabStrip = nullptr; // tabs along its bottom edge, the tree lies over its pane
    TaskTreeView* Tree = nullptr;
    QListWidget* ListView = nullptr;
    QLabel* Loader = nullptr;
    QFrame* CalendarControls = nullptr;
    QComboBox* CalendarFontSize = nullptr;
    QPushButton* CalendarPrevious = nullptr;
    QPushButton* CalendarNext = nullptr;
    QFrame* RightFrame = nullptr;
    QLabel* StatusLabel = nullptr;
    QLabel* Label2 = nullptr;
    QTextEdit* DescText = nullptr;
    QPushButton* AddTaskButton = nullptr;
    QPushButton* ViewAsList = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* CategoriesButton = nullptr;
    QPushButton* AddSubtaskButton = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* MarkCompleteButton = nullptr;
    QPushButton* MarkAsIncompleteButton = nullptr;
    QListWidget* IconSelector = nullptr;
    QLineEdit* NameText = nullptr;
    QPushButton* Button_Save_Edits = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QStatusBar* Status = nullptr;

private:
    QWidget* client_ = nullptr;
    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;

    // list view and categories
    qint16 listToggleCount_ = 0;                     // clicks of ViewAsList, modulo 2
    bool calendarUnderList_ = false;                 // the list was shown over the calendar
    QHash<QString, int> appointmentsShown_;          // each appointment on the calendar, by start and text
    class CategoriesForm* categoriesForm_ = nullptr; // a child window, gone with this one

    class FTPdialog* ftpDialog_ = nullptr; // a child window, gone with this one

    // finding
    class FindBar* findBar_ = nullptr;
    class TreeSearch* search_ = nullptr;

    // calendar
    QRect calendarFramePlace_; // CalendarControls' own place, before it grows to take the grid
    QPoint calendarShift_;     // how far its own controls have moved inside it since
};

} // namespace ortolan
