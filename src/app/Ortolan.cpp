#include "Ortolan.h"

#include "Dialogs.h"
#include "document/OpenFolder.h"
#include "file/XMLManager.h"
#include "model/TaskHandler.h"
#include "settings/Sound.h"
#include "views/FindBar.h"
#include "views/Pictures.h"
#include "views/TaskTreeView.h"
#include "WrappingButton.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>

namespace ortolan {

namespace {

// The design places of the controls that the layout never moves, in twips.
struct Place {
    int left, top, width, height;
};
constexpr Place kLoader{120, 120, 6135, 5655};
constexpr Place kCalendarControls{120, -240, 6015, 735};
constexpr Place kStatusLabel{120, 0, 3495, 375};
constexpr Place kLabel2{120, 480, 2175, 255};
constexpr Place kDescText{120, 720, 3495, 2055};
// "Add Task" and "View as List" share one place in the design. "Add Task" keeps it; "View as
// List" takes a row of its own below the buttons, from the icon picker's spare height, so that
// both show their whole captions.
constexpr Place kAddTaskButton{120, 2880, 1095, 855};
constexpr Place kViewAsList{120, 4620, 3495, 375};
constexpr Place kCommand3{1320, 2880, 1095, 855};
constexpr Place kCategoriesButton{2520, 2880, 1095, 855};
constexpr Place kAddSubtaskButton{120, 3720, 1095, 855};
constexpr Place kCommand4{1320, 3720, 1095, 855};
constexpr Place kMarkComplete{2520, 3720, 1095, 855};
constexpr Place kIconSelector{120, 5040, 3495, 1695};
constexpr Place kNameText{8400, 480, 4215, 495};
constexpr Place kSaveEdits{7560, 2520, 1095, 855};
constexpr int kDesignClientWidth = 9990;
constexpr int kDesignClientHeight = 7080;
// Below this the layout's arithmetic would squeeze the tab strip out of reach.
constexpr int kMinimumClientWidth = 6000;
constexpr int kMinimumClientHeight = 5000;

} // namespace

// The tree, the list and the calendar are drawn in black, grey and dark red on white; a dark
// desktop palette must not turn their background dark beneath those colours.
void Ortolan::keepLight(QWidget* w) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::AlternateBase, QColor(245, 245, 245));
        p.setColor(group, QPalette::Text, Qt::black);
        p.setColor(group, QPalette::Window, Qt::white);
        p.setColor(group, QPalette::WindowText, Qt::black);
    }
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(240, 240, 240));
    w->setPalette(p);
}

namespace {

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new WrappingButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

Ortolan::Ortolan(QStringList arguments, QWidget* parent)
    : QMainWindow(parent), doc_(std::make_unique<TaskDocument>()), tree_(doc_->tree()),
      prompt_(std::make_unique<DialogPrompt>(this)), arguments_(std::move(arguments)), openUrl_(desktopUrlOpener()) {
    setObjectName(QStringLiteral("Ortolan"));
    setWindowTitle(QStringLiteral("Ortolan"));
    setWindowIcon(applicationIcon());
    sound_ = new SoundPlayer(this);
    createControls();
    createMenus();
    connectCommands();
    geometry_ = designGeometry();
    placeControls();
    const int px = pixelsFromTwips(kDesignClientWidth, logicalDpiX());
    const int py = pixelsFromTwips(kDesignClientHeight, logicalDpiY());
    resize(px, py + menuBar()->sizeHint().height());
    setMinimumSize(pixelsFromTwips(kMinimumClientWidth, logicalDpiX()),
                   pixelsFromTwips(kMinimumClientHeight, logicalDpiY()) + menuBar()->sizeHint().height());
}

Ortolan::~Ortolan() {
    // The controls show the tree and the registry: they go first, while both still exist.
    delete takeCentralWidget();
}

void Ortolan::createControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client_);

    TabStrip = new QTabWidget(client_);
    TabStrip->setObjectName(QStringLiteral("TabStrip"));
    TabStrip->setTabPosition(QTabWidget::South);

    Loader = new QLabel(QStringLiteral("Loading data, please wait."), client_);
    Loader->setObjectName(QStringLiteral("Loader"));
    Loader->setFrameShape(QFrame::Box);
    Loader->setAlignment(Qt::AlignCenter);
    Loader->setWordWrap(true);
    Loader->setAutoFillBackground(true);
    Loader->setStyleSheet(QStringLiteral("QLabel { background: white; color: black; border: 1px solid black; }"));
    QFont loaderFont(QStringLiteral("Arial"), 24);
    loaderFont.setItalic(true);
    Loader->setFont(loaderFont);

    Tree = new TaskTreeView(&tree_, client_);
    Tree->setObjectName(QStringLiteral("Tree"));
    Tree->model()->setPictureProvider([](int n) { return taskPicture(n); });
    keepLight(Tree);

    ListView = new QListWidget(client_);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->hide();
    keepLight(ListView);

    CalendarControls = new QFrame(client_);
    CalendarControls->setObjectName(QStringLiteral("CalendarControls"));
    CalendarControls->setFrameShape(QFrame::NoFrame);
    CalendarFontSize = new QComboBox(CalendarControls);
    CalendarFontSize->setObjectName(QStringLiteral("CalendarFontSize"));
    CalendarPrevious =
        button(CalendarControls, QStringLiteral("CalendarPrevious"), QStringLiteral("<< Previous Month"));
    CalendarNext = button(CalendarControls, QStringLiteral("CalendarNext"), QStringLiteral("Next Month >>"));
    CalendarControls->hide();

    RightFrame = new QFrame(client_);
    RightFrame->setObjectName(QStringLiteral("RightFrame"));
    RightFrame->setFrameShape(QFrame::NoFrame);

    StatusLabel = new QLabel(QStringLiteral("Welcome."), RightFrame);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setAlignment(Qt::AlignCenter);
    StatusLabel->setStyleSheet(
        QStringLiteral("QLabel { background: rgb(255, 255, 192); color: black; border: 1px solid black; }"));
    QFont statusFont(QStringLiteral("Arial"), 12);
    statusFont.setBold(true);
    StatusLabel->setFont(statusFont);

    Label2 = new QLabel(QStringLiteral("Description:"), RightFrame);
    Label2->setObjectName(QStringLiteral("Label2"));
    DescText = new QTextEdit(RightFrame);
    DescText->setObjectName(QStringLiteral("DescText"));
    DescText->setAcceptRichText(false);
    DescText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    AddTaskButton = button(RightFrame, QStringLiteral("AddTaskButton"), QStringLiteral("Add Task"));
    QFont bold = AddTaskButton->font();
    bold.setBold(true);
    AddTaskButton->setFont(bold);
    ViewAsList = button(RightFrame, QStringLiteral("ViewAsList"), QStringLiteral("View as List"));
    Command3 = button(RightFrame, QStringLiteral("Command3"), QStringLiteral("Move Up"));
    CategoriesButton = button(RightFrame, QStringLiteral("CategoriesButton"), QStringLiteral("Category..."));
    AddSubtaskButton = button(RightFrame, QStringLiteral("AddSubtaskButton"), QStringLiteral("Add Subtask"));
    Command4 = button(RightFrame, QStringLiteral("Command4"), QStringLiteral("Move Down"));
    MarkCompleteButton = button(RightFrame, QStringLiteral("MarkCompleteButton"), QStringLiteral("Mark as Completed"));
    MarkAsIncompleteButton =
        button(RightFrame, QStringLiteral("MarkAsIncompleteButton"), QStringLiteral("Mark as Incomplete"));
    MarkAsIncompleteButton->hide();

    IconSelector = new QListWidget(RightFrame);
    IconSelector->setObjectName(QStringLiteral("IconSelector"));
    IconSelector->setViewMode(QListView::IconMode);
    IconSelector->setIconSize(QSize(16, 16));
    IconSelector->setGridSize(QSize(28, 28));
    IconSelector->setMovement(QListView::Static);
    IconSelector->setResizeMode(QListView::Adjust);

    NameText = new QLineEdit(client_);
    NameText->setObjectName(QStringLiteral("NameText"));
    NameText->hide();
    Button_Save_Edits = button(client_, QStringLiteral("Button_Save_Edits"), QStringLiteral("Save Edits"));
    Button_Save_Edits->hide();

    Status = new QStatusBar(client_);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setSizeGripEnabled(false);

    ProgressBar = new QProgressBar(client_);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->hide(); // shown while a file loads

    // The placard lies beneath the tree and the list; the progress bar above the status bar.
    Loader->lower();
    TabStrip->lower();
    ProgressBar->raise();
}

QAction* Ortolan::addItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut,
                          bool hidden) {
    QAction* a = caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption);
    a->setObjectName(name);
    a->setShortcut(shortcut);
    a->setVisible(!hidden);
    actions_.insert(name, a);
    return a;
}

QMenu* Ortolan::addSubmenu(QMenu* parent, const QString& name, const QString& caption) {
    QMenu* m = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    menus_.insert(name, m);
    actions_.insert(name, m->menuAction());
    return m;
}

void Ortolan::createMenus() {
    QMenu* file = addSubmenu(nullptr, QStringLiteral("MENU_File"), QStringLiteral("&File"));
    addItem(file, QStringLiteral("MENU_NEW"), QStringLiteral("New"), QKeySequence(QStringLiteral("Ctrl+N")));
    addItem(file, QStringLiteral("MENU_OPEN"), QStringLiteral("&Open"));
    QMenu* recent = addSubmenu(file, QStringLiteral("MENU_RecentFiles"), QStringLiteral("Recent Files"));
    connect(recent, &QMenu::aboutToShow, this, &Ortolan::fillRecentFiles);
    addItem(file, QStringLiteral("MENU_Save"), QStringLiteral("Save"), QKeySequence(QStringLiteral("Ctrl+S")));
    addItem(file, QStringLiteral("MENU_SaveAs"), QStringLiteral("Save &As"));
    addItem(file, QStringLiteral("MENU_SaveACopyAs"), QStringLiteral("Save A &Copy As.."));
    addItem(file, QStringLiteral("MENU_OPEN_FOLDER"), QStringLiteral("Open Containing &Folder"),
            QKeySequence(QStringLiteral("Ctrl+E")));
    addItem(file, QStringLiteral("MENU_DASH_Exchange"), QStringLiteral("-"));
    addItem(file, QStringLiteral("MENU_Import"), QStringLiteral("Import..."));
    QMenu* exports = addSubmenu(file, QStringLiteral("MENU_Export"), QStringLiteral("Export"));
    addItem(exports, QStringLiteral("MENU_ExportICalendar"), QStringLiteral("iCalendar (.ics)..."));
    addItem(exports, QStringLiteral("MENU_ExportOpml"), QStringLiteral("OPML (.opml)..."));
    addItem(exports, QStringLiteral("MENU_ExportMarkdown"), QStringLiteral("Markdown (.md)..."));
    addItem(exports, QStringLiteral("MENU_ExportCsv"), QStringLiteral("CSV (.csv)..."));
    addItem(file, QStringLiteral("MENU_ExportPdf"), QStringLiteral("Export as PDF..."));
    addItem(file, QStringLiteral("MENU_Print"), QStringLiteral("&Print..."), QKeySequence(QStringLiteral("Ctrl+P")));
    addItem(file, QStringLiteral("MENU_PrintPreview"), QStringLiteral("Print Pre&view..."));
    addItem(file, QStringLiteral("MENU_Bar2"), QStringLiteral("-"));
    addItem(file, QStringLiteral("MENU_FTPopen"), QStringLiteral("Open from FTP..."));
    addItem(file, QStringLiteral("MENU_Bar3"), QStringLiteral("-"));
    QMenu* settings = addSubmenu(file, QStringLiteral("MENU_Settings"), QStringLiteral("Settings"));
    addItem(settings, QStringLiteral("MENU_DisableClickToRename"), QStringLiteral("Disable \"Click-to-rename\""));
    addItem(settings, QStringLiteral("MENU_EasyEditing"), QStringLiteral("Enable Easy Editing"), {}, true);
    addItem(settings, QStringLiteral("MENU_InsertOutlook"), QStringLiteral("Insert Outlook Dates into Calendar"));
    addItem(settings, QStringLiteral("MENU_OutlookTasks"), QStringLiteral("Import Tasks From Outlook"));
    addItem(settings, QStringLiteral("MENU_CalendarSource"), QStringLiteral("Calendar Source..."));
    QMenu* startup =
        addSubmenu(settings, QStringLiteral("MENU_LoadOnStartup"), QStringLiteral("Load last file on start-up"));
    addItem(startup, QStringLiteral("MENU_LoadLastAlways"), QStringLiteral("Always"));
    addItem(startup, QStringLiteral("MENU_LoadLastUnlessFTP"), QStringLiteral("Yes, unless its from an FTP site"), {},
            true);
    addItem(startup, QStringLiteral("MENU_LoadLastNever"), QStringLiteral("Never"));
    addItem(file, QStringLiteral("MENU_DASH1"), QStringLiteral("-"));
    addItem(file, QStringLiteral("MENU_Exit"), QStringLiteral("E&xit"));

    QMenu* edit = addSubmenu(nullptr, QStringLiteral("MENU_Edit"), QStringLiteral("&Edit"));
    // Undo and Redo name the step they take ("Undo Delete") and are greyed with none to take.
    // A text box with the focus keeps Ctrl+Z for its own typing.
    QAction* undo = doc_->history().createUndoAction(edit, QStringLiteral("Undo"));
    undo->setObjectName(QStringLiteral("MENU_Undo"));
    undo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Z"))});
    QAction* redo = doc_->history().createRedoAction(edit, QStringLiteral("Redo"));
    redo->setObjectName(QStringLiteral("MENU_Redo"));
    redo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    edit->addAction(undo);
    edit->addAction(redo);
    actions_.insert(undo->objectName(), undo);
    actions_.insert(redo->objectName(), redo);
    addItem(edit, QStringLiteral("MENU_DASH_Undo"), QStringLiteral("-"));
    addItem(edit, QStringLiteral("MENU_MoveUp"), QStringLiteral("Move Up"), QKeySequence(QStringLiteral("Ctrl+U")));
    addItem(edit, QStringLiteral("MENU_MoveDown"), QStringLiteral("Move Down"), QKeySequence(QStringLiteral("Ctrl+D")));
    addItem(edit, QStringLiteral("MENU_Cut"), QStringLiteral("Cut"));
    addItem(edit, QStringLiteral("MENU_Paste"), QStringLiteral("P&aste"));
    addItem(edit, QStringLiteral("MENU_RENAME"), QStringLiteral("Rename"), QKeySequence(QStringLiteral("Ctrl+R")));
    addItem(edit, QStringLiteral("MENU_DASH_Find"), QStringLiteral("-"));
    // Ctrl+F marks a task completed.
    addItem(edit, QStringLiteral("MENU_Find"), QStringLiteral("Find..."), QKeySequence(QStringLiteral("Ctrl+Shift+F")));

    QMenu* insert = addSubmenu(nullptr, QStringLiteral("MENU_INSERT"), QStringLiteral("Insert"));
    addItem(insert, QStringLiteral("MENU_NewTask"), QStringLiteral("New &Task"),
            QKeySequence(QStringLiteral("Ctrl+T")));
    addItem(insert, QStringLiteral("MENU_AddSubtask"), QStringLiteral("Add Sub-task"),
            QKeySequence(QStringLiteral("Ctrl+A")));
    addItem(insert, QStringLiteral("MENU_Expand"), QStringLiteral("Expand"), {}, true);
    addItem(insert, QStringLiteral("MENU_Sep1"), QStringLiteral("-"));
    addItem(insert, QStringLiteral("MENU_MarkAsCompleted"), QStringLiteral("Mark as Completed (&Finished)"),
            QKeySequence(QStringLiteral("Ctrl+F")));
    addItem(insert, QStringLiteral("MENU_MarkAsIncomplete"), QStringLiteral("Mark as &Incomplete"),
            QKeySequence(QStringLiteral("Ctrl+I")));
    addItem(insert, QStringLiteral("MENU_DASH_1032"), QStringLiteral("-"));
    QMenu* formula = addSubmenu(insert, QStringLiteral("MENU_INSERT_FORMULA"), QStringLiteral("Formula"));
    addItem(formula, QStringLiteral("MENU_SUM_SECTION"), QStringLiteral("Sum all numbers in section"));
    addItem(formula, QStringLiteral("MENU_AVG_Section"), QStringLiteral("Average of all numbers in section"));
    addItem(insert, QStringLiteral("MENU_DASH3245"), QStringLiteral("-"));
    addItem(insert, QStringLiteral("MENU_INSERT_Delete"), QStringLiteral("Delete"), QKeySequence(Qt::Key_Delete));
    addItem(insert, QStringLiteral("MENU_Rename2"), QStringLiteral("Rename Task"));
    addItem(insert, QStringLiteral("MENU_RemoveCalDate"), QStringLiteral("Remove Calendar Date"), {}, false);
    addItem(insert, QStringLiteral("MENU_DASH_3"), QStringLiteral("-"), {}, false);
    addItem(insert, QStringLiteral("MENU_ASSIGN_CALENDAR_DATE"), QStringLiteral("Assign Calendar Date"), {}, false);
    addItem(insert, QStringLiteral("MENU_SetDueDate"), QStringLiteral("Set Due Date..."));
    addItem(insert, QStringLiteral("MENU_DASH_030"), QStringLiteral("-"), {}, false);
    addItem(insert, QStringLiteral("MENU_AddCategory"), QStringLiteral("Add Category"), {}, true);

    QAction* about = menuBar()->addAction(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("MENU_About"));
    actions_.insert(about->objectName(), about);
    QMenu* updates = addSubmenu(nullptr, QStringLiteral("MENU_CHECKFORUPDATES"), QStringLiteral("Check for Updates"));
    addItem(updates, QStringLiteral("MENU_VISITUPDATESITE"), QStringLiteral("Visit Update Website"));

    // The desktop's usual keys, where the menu has none of its own; Rename keeps Ctrl+R first.
    // A text box with the focus keeps Ctrl+X and Ctrl+V for its own text.
    const QList<std::pair<const char*, QList<QKeySequence>>> usual = {
        {"MENU_OPEN", {QKeySequence(QStringLiteral("Ctrl+O"))}},
        {"MENU_SaveAs", {QKeySequence(QStringLiteral("Ctrl+Shift+S"))}},
        {"MENU_Exit", {QKeySequence(QStringLiteral("Ctrl+Q"))}},
        {"MENU_Cut", {QKeySequence(QStringLiteral("Ctrl+X"))}},
        {"MENU_Paste", {QKeySequence(QStringLiteral("Ctrl+V"))}},
        {"MENU_RENAME", {QKeySequence(QStringLiteral("Ctrl+R")), QKeySequence(Qt::Key_F2)}},
    };
    for (const auto& [name, keys] : usual)
        actions_.value(QLatin1String(name))->setShortcuts(keys);

    for (const char* name : {"MENU_DisableClickToRename", "MENU_EasyEditing", "MENU_InsertOutlook",
                             "MENU_LoadLastAlways", "MENU_LoadLastUnlessFTP", "MENU_LoadLastNever"})
        actions_.value(QLatin1String(name))->setCheckable(true);
}

void Ortolan::connectCommands() {
    auto on = [this](const char* name, void (Ortolan::*command)()) {
        connect(actions_.value(QLatin1String(name)), &QAction::triggered, this, command);
    };
    on("MENU_NEW", &Ortolan::MENU_NEW);
    on("MENU_OPEN", &Ortolan::MENU_OPEN);
    on("MENU_Save", &Ortolan::MENU_Save);
    on("MENU_SaveAs", &Ortolan::MENU_SaveAs);
    on("MENU_SaveACopyAs", &Ortolan::MENU_SaveACopyAs);
    on("MENU_OPEN_FOLDER", &Ortolan::openContainingFolder);
    on("MENU_Exit", &Ortolan::MENU_Exit);
    on("MENU_DisableClickToRename", &Ortolan::MENU_DisableClickToRename);
    on("MENU_EasyEditing", &Ortolan::MENU_EasyEditing);
    on("MENU_LoadLastAlways", &Ortolan::MENU_LoadLastAlways);
    on("MENU_LoadLastUnlessFTP", &Ortolan::MENU_LoadLastUnlessFTP);
    on("MENU_LoadLastNever", &Ortolan::MENU_LoadLastNever);
    on("MENU_InsertOutlook", &Ortolan::MENU_InsertOutlook);
    on("MENU_OutlookTasks", &Ortolan::MENU_OutlookTasks);
    on("MENU_CalendarSource", &Ortolan::MENU_CalendarSource);
    on("MENU_FTPopen", &Ortolan::MENU_FTPopen);
    on("MENU_About", &Ortolan::MENU_About);
    on("MENU_VISITUPDATESITE", &Ortolan::MENU_VISITUPDATESITE);
    connect(menus_.value(QStringLiteral("MENU_Settings")), &QMenu::aboutToShow, this, &Ortolan::MENU_Settings);
    connectAddingCommands();
    connectEditingCommands();
    connectClipboardCommands();
    connectMovingCommands();
    connectCalendarCommands();
    connectListViewCommands();
    connectCategoryCommands();
    connectFindCommands();
    connectExchangeCommands();
    connect(TabStrip, &QTabWidget::currentChanged, this, [this] { TabStrip_Click(); });
    connect(&tree_, &TaskTree::selectionChanged, this, [this] {
        ++descriptionVisit_;
        UpdateButtons();
    });
    connect(doc_.get(), &TaskDocument::taskEdited, this, &Ortolan::followEditedTask);
    connect(doc_.get(), &TaskDocument::stepApplied, this, &Ortolan::showStepApplied);
}

void Ortolan::placeControls() {
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    auto put = [&](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(pixelsFromTwips(left, dpiX), pixelsFromTwips(top, dpiY), pixelsFromTwips(width, dpiX),
                       pixelsFromTwips(height, dpiY));
    };
    auto putRect = [&](QWidget* w, const TwipRect& r) { put(w, r.left, r.top, r.width, r.height); };
    auto putPlace = [&](QWidget* w, const Place& p) { put(w, p.left, p.top, p.width, p.height); };

    putRect(TabStrip, geometry_.tabStrip);
    putRect(Tree, geometry_.tree);
    if (findShown()) {
        // The find bar takes the bottom of the tree's rectangle.
        const QRect treeRect = Tree->geometry();
        const int barHeight = std::min(findBar_->sizeHint().height(), treeRect.height());
        findBar_->setGeometry(treeRect.left(), treeRect.bottom() + 1 - barHeight, treeRect.width(), barHeight);
        Tree->setGeometry(treeRect.adjusted(0, 0, 0, -barHeight));
    }
    putRect(ListView, geometry_.listView);
    putRect(RightFrame, geometry_.rightFrame);
    putRect(ProgressBar, geometry_.progressBar);
    // The status bar keeps to the bottom edge of the client area, across its whole width.
    const int statusHeight = pixelsFromTwips(geometry_.status.height, dpiY);
    Status->setGeometry(0, client_->height() - statusHeight, client_->width(), statusHeight);

    if (fixedControlsPlaced_)
        return; // the rest never moves
    fixedControlsPlaced_ = true;
    putPlace(Loader, kLoader);
    putPlace(CalendarControls, kCalendarControls);
    const int third = CalendarControls->width() / 3;
    CalendarFontSize->setGeometry(0, CalendarControls->height() / 2, third - 4, CalendarControls->height() / 2);
    CalendarPrevious->setGeometry(third, CalendarControls->height() / 2, third - 4, CalendarControls->height() / 2);
    CalendarNext->setGeometry(2 * third, CalendarControls->height() / 2, third - 4, CalendarControls->height() / 2);
    putPlace(StatusLabel, kStatusLabel);
    putPlace(Label2, kLabel2);
    putPlace(DescText, kDescText);
    putPlace(AddTaskButton, kAddTaskButton);
    putPlace(ViewAsList, kViewAsList);
    putPlace(Command3, kCommand3);
    putPlace(CategoriesButton, kCategoriesButton);
    putPlace(AddSubtaskButton, kAddSubtaskButton);
    putPlace(Command4, kCommand4);
    putPlace(MarkCompleteButton, kMarkComplete);
    putPlace(MarkAsIncompleteButton, kMarkComplete);
    putPlace(IconSelector, kIconSelector);
    putPlace(NameText, kNameText);
    putPlace(Button_Save_Edits, kSaveEdits);
}

void Ortolan::setStatus(const QString& text) {
    Status->showMessage(text);
}

QString Ortolan::statusText() const {
    return Status->currentMessage();
}

void Ortolan::openContainingFolder() {
    MENU_OPEN_FOLDER(doc_->currentFileName(), openUrl_);
}

} // namespace ortolan
