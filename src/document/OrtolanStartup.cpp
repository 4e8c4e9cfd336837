// The main window's start-up and shut-down.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "calendar/CalendarManager.h"
#include "file/XMLManager.h"
#include "ftp/FTPdialog.h"
#include "model/TaskHandler.h"
#include "net/Transfer.h"
#include "settings/DataFolder.h"
#include "settings/OTLFunctions.h"
#include "views/Pictures.h"
#include "views/TaskTreeView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QTabWidget>

namespace ortolan {

namespace {
const QString kExitPrompt = QStringLiteral("Would you like to save before exiting? (Press Cancel to cancel exiting.)");
const QString kSettingsMissing = QStringLiteral("Error: Settings file for Ortolan cannot be found!");
const QString kDataFolderReadOnly =
    QStringLiteral("Ortolan cannot write to its data folder \"%1\". Settings, backups and the log will not be saved "
                   "until it can; your lists can still be opened and saved as usual.");
} // namespace

void Ortolan::startUp() {
    // The first start makes the data folder and its files; later starts find them there.
    const DataFolderSetup setup = prepareDataFolder();
    if (!setup.ok && !QFileInfo::exists(getDataFolder() + QStringLiteral("/otl.ini"))) {
        Dialogs::message(this, {setup.error + QStringLiteral("\n") + kSettingsMissing});
        startFailed_ = true;
        return;
    }
    // A data folder that cannot be written (read-only, another user's) still has the settings
    // to start with: the user is told once, and the lists are worked on as usual.
    dataFolderWritable_ = setup.ok && canWriteDataFolder();
    if (!dataFolderWritable_)
        Dialogs::message(this, {kDataFolderReadOnly.arg(getDataFolder()), kAppTitle, PromptIcon::Warning});

    writeLog(QStringLiteral("Loading and initilizing internal calendar..."));
    createCalendar();
    CalMan->RefreshCalendar();
    writeLog(QStringLiteral("Loading tab images..."));
    {
        const QSignalBlocker quiet(TabStrip); // making the tabs is not picking one
        while (TabStrip->count() > 0)
            delete TabStrip->widget(0);
        TabStrip->addTab(new QWidget(TabStrip), tabPicture(3), QStringLiteral("Main"));
        TabStrip->addTab(new QWidget(TabStrip), tabPicture(1), QStringLiteral("Today"));
        TabStrip->addTab(new QWidget(TabStrip), tabPicture(4), QStringLiteral("Calendar"));
    }

    geometry_.lastHeight = twipsFromPixels(frameGeometry().height(), logicalDpiY());
    frameExtra_ = frameGeometry().height() - height();
    geometry_.lastWidth = qint16(twipsFromPixels(frameGeometry().width(), logicalDpiX()));
    Tree->hide();
    Tree->setEnabled(false);
    Form_Resize();
    show();
    restoreWindowPlace(); // laid out from the design size, the layout follows as after a resize

    writeLog(QStringLiteral("Form shown, loading XML manager..."));
    doc_->renew();
    initSettingsFile();

    writeLog(QStringLiteral("Loading icons into IconSelector..."));
    for (int i = 2; i <= 20; ++i) {
        const QIcon picture = taskPicture(i);
        if (picture.isNull())
            continue; // a picture the list lacks is skipped
        auto* item = new QListWidgetItem(picture, QString(), IconSelector);
        item->setData(Qt::UserRole, i);
    }

    writeLog(QStringLiteral("Done, loading settings and settings up the current file..."));
    initEmptyList();

    easyEditing_ = readSetting(QStringLiteral("EasyEditing")) == QLatin1String("True");
    action(QStringLiteral("MENU_EasyEditing"))->setChecked(easyEditing_);
    autoLoadMode_ = readSetting(QStringLiteral("autoLoad"));
    checkCorrectAutoLoad();

    if (!guardedSetUp()) {
        Dialogs::message(this, {kSettingsMissing});
        startFailed_ = true;
        hide();
        return;
    }

    if (closing_)
        return;
    writeLog(QStringLiteral("Displaying Calendar..."));
    CalMan->RefreshCalendar();
    writeLog(QStringLiteral("Loading Outlook (if available)..."));
    loadOutlookStage();
    if (closing_)
        return; // closed while the calendar source was read
    writeLog(QStringLiteral("Rendering calendar..."));
    writeLog(QStringLiteral("Opening any files specified in the command line..."));
    QString named = arguments_.join(QLatin1Char(' '));
    named.remove(QLatin1Char('"'));
    if (!named.isEmpty())
        loadTaskFile(named, true);
    writeLog(QStringLiteral("Done loading."));
}

// Reading the click-to-rename switch and putting the first document in place: a failure here
// means the settings are not what the program needs, and it cannot go on.
bool Ortolan::guardedSetUp() {
    const auto clickToRenameOff = booleanFromText(readSetting(QStringLiteral("disableClickToRename")));
    if (!clickToRenameOff)
        return false;
    if (*clickToRenameOff)
        MENU_DisableClickToRename();

    if (autoLoadMode_ == QLatin1String("ALWAYS")) {
        QString last = readSetting(QStringLiteral("lastFile"));
        if (last.isEmpty())
            last = getDataFolder() + QStringLiteral("/example.oxml");
        loadTaskFile(last, true);
    } else {
        MENU_NEW();
    }
    if (closing_)
        return true; // the user chose to exit after a failed load; the window has closed

    writeLog(QStringLiteral("Displaying tree..."));
    Tree->setEnabled(true);
    Tree->show();
    Tree->setFocus(); // the keys go to the list from the start
    return true;
}

void Ortolan::initEmptyList() {
    doc_->renew();
    prepareEmptyList(tree_, doc_->taskH());
}

void Ortolan::loadOutlookStage() {
    const bool load = readSetting(QStringLiteral("loadOutlook")).toUpper() == QLatin1String("TRUE");
    action(QStringLiteral("MENU_InsertOutlook"))->setChecked(load);
    if (!load) {
        writeLog(QStringLiteral("Outlook not loaded..."));
        return;
    }
    writeLog(QStringLiteral("Setting indicate to load outlook... Loading Outlook..."));
    const QString loading = QStringLiteral("Loading Outlook appointments into calendar...");
    setStatus(loading);
    loadOutlookAppointments();
    // What the source said went wrong stays in view after the stage's own word.
    const QString said = statusText();
    setStatus(QStringLiteral("Completed loading.") + (said == loading ? QString() : QLatin1Char(' ') + said));
    writeLog(QStringLiteral("Done loading Outlook."));
}

Prompt* Ortolan::backupPrompt() {
    return dataFolderWritable_ ? prompt_.get() : nullptr;
}

void Ortolan::MENU_Exit() {
    close();
}

void Ortolan::closeEvent(QCloseEvent* event) {
    if (startFailed_ || closing_) {
        event->accept();
        return;
    }
    if (transfer_) {
        // A read under way stops within a second; a changed list is asked about once it has.
        transfer_->cancel();
        if (doc_->fileHasBeenChanged()) {
            closeAfterTransfer_ = true;
            event->ignore();
            return;
        }
    }
    if (askToSaveChanges(kExitPrompt)) { // also when a save asked for failed
        event->ignore();
        return;
    }
    closing_ = true;
    event->accept();
    unload();
}

namespace {
const char* const kPlaceKeys[] = {"windowLeft", "windowTop", "windowWidth", "windowHeight"};
} // namespace

// Where and how large the window was left, when that is on a screen that exists now.
void Ortolan::restoreWindowPlace() {
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = readSetting(QLatin1String(kPlaceKeys[i])).toInt(&ok);
        if (!ok)
            return; // never kept, or not a number: the window stays where it opened
    }
    const QRect place(values[0], values[1], values[2], values[3]);
    if (place.width() < minimumWidth() || place.height() < minimumHeight())
        return;
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().contains(place.center())) {
            setGeometry(place);
            break;
        }
    }
    if (readSetting(QStringLiteral("windowMaximized")) == QLatin1String("True"))
        setWindowState(windowState() | Qt::WindowMaximized);
}

void Ortolan::unload() {
    // The window's place and size, as they were before it was maximized.
    const QRect place = normalGeometry().isValid() ? normalGeometry() : geometry();
    const int values[4] = {place.x(), place.y(), place.width(), place.height()};
    for (int i = 0; i < 4; ++i)
        writeSetting(QLatin1String(kPlaceKeys[i]), QString::number(values[i]));
    writeSetting(QStringLiteral("windowMaximized"), isMaximized());
    QString open = readSetting(QStringLiteral("filesOpen"));
    open.remove(QLatin1Char(',') + doc_->currentFileName());
    writeSetting(QStringLiteral("filesOpen"), open);
    // The category chooser and the FTP dialog close with the window (they are its children);
    // a download under way stops with it.
    if (ftpDialog_)
        ftpDialog_->close();
}

} // namespace ortolan
