// The main window's document: asking to save, loading, New, Open, Save, Save As, Save A Copy As.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "document/Backups.h"
#include "file/XMLManager.h"
#include "model/TaskHandler.h"
#include "settings/OTLFunctions.h"
#include "settings/Sound.h"
#include "views/TaskTreeView.h"

#include <cmath>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QStandardPaths>
#include <QStatusBar>

namespace ortolan {

namespace {

const QString kUnnamedTemporary = QStringLiteral("temp.oxml");
const QString kDamagedFile =
    QStringLiteral("%1 task(s) could not be read from \"%2\": the file is damaged or cut short. The tasks that "
                   "could be read are open without a file name, so Save asks for a new name and the file stays as "
                   "it is.");

FileDialogRequest fileDialog(const QString& fileName, bool save) {
    return {QStringLiteral("Ortolan"),
            QStringLiteral("Ortolan Files (*.oxml);;XML files (*.xml);;All files (*)"),
            QStringLiteral("oxml"),
            fileName,
            save,
            save};
}

// The user's documents folder, or the home folder where there is none.
QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

// Where the file dialogs start: at the open list's file, else at the name chosen last, else in
// the documents folder; never in the folder the program happened to start in.
QString Ortolan::dialogStart() const {
    const QString& open = doc_->currentFileName();
    if (!open.isEmpty() && open != kUnnamedTemporary && !downloadedCopy_)
        return open;
    if (!dialogFileName_.isEmpty())
        return dialogFileName_;
    return documentsFolder() + QLatin1Char('/');
}

// A name being typed into the tree counts as typed: what is saved is what the user sees.
bool Ortolan::askToSaveChanges(const QString& prompt) {
    Tree->commitLabelEdit();
    if (!doc_->fileHasBeenChanged())
        return false;
    const PromptAnswer answer = Dialogs::message(
        this, {prompt, QStringLiteral("Save Before Continuing?"), PromptIcon::Question, PromptButtons::YesNoCancel});
    if (answer == PromptAnswer::Yes) {
        MENU_Save();
        // A save that failed or whose dialog was cancelled leaves the list changed: the command
        // that asked stops, rather than throw the changes away.
        return doc_->fileHasBeenChanged();
    }
    return answer != PromptAnswer::No;
}

void Ortolan::loadTaskFile(const QString& name, bool addToHistory) {
    // A relative name means the folder the program was started in, whatever it is later. The
    // bare name "temp.oxml" stays as it is: it stands for a list that has no name of its own yet.
    const QString fileName =
        name.isEmpty() || name == kUnnamedTemporary ? name : QFileInfo(name).absoluteFilePath();
    Tree->commitLabelEdit();
    if (listShown())
        ViewAsList_Click(); // the list showed the list being replaced
    BackupCurrent(fileName, backupPrompt());
    const QString previousFile = doc_->currentFileName();
    downloadedCopy_ = false;

    // A new registry and reader for every file, and a new history; the tree shows nothing
    // while it fills.
    doc_->renew();
    Tree->hide();
    Loader->show();
    doc_->xml().setPrompt(prompt_.get());
    doc_->xml().setProgressHandler([this](float f) { xml_Progress(f); });
    const LoadResult result = loadTaskList(doc_->xml(), fileName, tree_, doc_->taskH());

    if (!result.ok) {
        // The tree no longer holds the previous list: nothing may be saved over its file.
        doc_->setCurrentFileName(QString());
        doc_->markSaved();
        if (!result.error.isEmpty())
            setStatus(result.error);
        const PromptAnswer exit =
            Dialogs::message(this, {QStringLiteral("Error loading to do list file. Would you like to exit?"), kAppTitle,
                                    PromptIcon::None, PromptButtons::YesNo});
        if (exit == PromptAnswer::Yes)
            MENU_Exit();
        else
            MENU_NEW();
        return;
    }

    Tree->show();
    Loader->hide();
    ProgressBar->hide();
    // A file cut off part way opens as far as it could be read, but without its name: a save
    // must not write the shortened list over the file, which may yet be mended.
    const bool damaged = result.unreadItems > 0;
    if (addToHistory && !damaged)
        saveFileHistory(fileName, previousFile);
    tree_.Item(kRootID)->setExpanded(true);
    doc_->markSaved();
    doc_->setCurrentFileName(damaged ? QString() : fileName);
    // The top task is selected and the tree has the keys, so its commands work at once. The
    // status bar keeps what it says of the load, not the top task's key.
    const QString said = statusText();
    tree_.setSelectedItem(tree_.Item(kRootID));
    showSelectedTask();
    setStatus(said);
    Tree->setFocus();
    // The reader reports the last item before registering it: count again now that all are in.
    QString done = said.startsWith(QLatin1String("Loading completed.")) ? loadedText() : QString();
    if (result.skippedValues > 0)
        done += QStringLiteral(" %1 damaged value(s) (due dates or icon numbers) could not be read and were left "
                               "empty.")
                    .arg(result.skippedValues);
    if (!done.isEmpty())
        setStatus(done.trimmed());
    listDueDatesOnCalendar();
    if (damaged)
        Dialogs::message(this, {kDamagedFile.arg(result.unreadItems).arg(QDir::toNativeSeparators(fileName)), kAppTitle,
                                PromptIcon::Warning, PromptButtons::Ok});
}

QString Ortolan::loadedText() const {
    return QStringLiteral("Loading completed. ") + QString::number(doc_->taskH().getTaskCount()) +
           QStringLiteral(" tasks loaded.");
}

void Ortolan::xml_Progress(float fraction) {
    const QString done = loadedText();
    if (fraction <= 0.02f) {
        ProgressBar->setValue(0);
        ProgressBar->setVisible(true);
    }
    const double percent = double(fraction) * 100.0;
    if (percent <= 100.0) {
        ProgressBar->setValue(int(std::nearbyint(percent)));
        // Repaint the bar; user input waits until the list is read.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (ProgressBar->value() == 100) {
            setStatus(done);
            ProgressBar->setVisible(false);
        }
    } else {
        setStatus(done);
    }
}

void Ortolan::MENU_NEW() {
    if (askToSaveChanges(kNewOpenPrompt))
        return;
    loadTaskFile(getDataFolder() + QStringLiteral("/new.oxml"), false);
    doc_->setCurrentFileName(QString());
}

void Ortolan::MENU_OPEN() {
    if (askToSaveChanges(kNewOpenPrompt))
        return;
    const auto chosen = Dialogs::fileName(this, fileDialog(dialogStart(), false));
    if (!chosen)
        return;
    dialogFileName_ = *chosen;
    loadTaskFile(*chosen, true);
}

// The files opened and saved last (the history's keys), newest first, each once, only those
// still there; picking one opens it as Open does.
void Ortolan::fillRecentFiles() {
    QMenu* recent = menu(QStringLiteral("MENU_RecentFiles"));
    recent->clear();
    QStringList seen;
    for (const char* key : {"lastFile", "file1", "file2", "file3"}) {
        const QString path = readSetting(QLatin1String(key));
        if (path.isEmpty() || seen.contains(path) || !QFileInfo(path).isFile())
            continue;
        seen << path;
        QAction* item = recent->addAction(QDir::toNativeSeparators(path));
        connect(item, &QAction::triggered, this, [this, path] {
            if (askToSaveChanges(kNewOpenPrompt))
                return;
            dialogFileName_ = path;
            loadTaskFile(path, true);
        });
    }
    if (seen.isEmpty())
        recent->addAction(QStringLiteral("No recent files"))->setEnabled(false);
}

void Ortolan::MENU_Save() {
    saveList(false);
}

void Ortolan::saveList(bool askForName) {
    Tree->commitLabelEdit();
    const QString previousName = doc_->currentFileName();
    // A list downloaded into the temporary folder is saved where the user says: the system
    // empties that folder, and the edits with it.
    const bool temporary = downloadedCopy_;
    if (!askForName && !doc_->currentFileName().isEmpty() && doc_->currentFileName() != kUnnamedTemporary &&
        !temporary) {
        BackupCurrent(doc_->currentFileName(), backupPrompt());
    } else {
        const QString suggested =
            temporary ? QDir(documentsFolder()).filePath(QFileInfo(doc_->currentFileName()).fileName()) : dialogStart();
        const auto chosen = Dialogs::fileName(this, fileDialog(suggested, true));
        if (!chosen)
            return;
        dialogFileName_ = *chosen;
        doc_->setCurrentFileName(QFileInfo(*chosen).absoluteFilePath());
    }

    const SaveResult saved = doc_->xml().saveXMLfile(doc_->currentFileName());
    if (!saved.ok) {
        // The old file is whole (the write replaces it only when complete); the list stays
        // changed and keeps the name it had, so nothing pretends it was saved.
        doc_->setCurrentFileName(previousName);
        setStatus(QStringLiteral("Saving failed."));
        Dialogs::message(this, {QStringLiteral("The list could not be saved.\n") + saved.error, kAppTitle,
                                PromptIcon::Critical, PromptButtons::Ok});
        return;
    }
    doc_->markSaved();
    downloadedCopy_ = false;
    saveFileHistory(doc_->currentFileName());
    setStatus(QStringLiteral("Saving complete."));
    sound_->playwav2(readSetting(QStringLiteral("saveWave")));
}

void Ortolan::MENU_SaveAs() {
    saveList(true);
}

void Ortolan::MENU_SaveACopyAs() {
    const auto chosen = Dialogs::fileName(this, fileDialog(dialogStart(), true));
    if (!chosen)
        return;
    dialogFileName_ = *chosen;
    bool copied = false;
    if (!doc_->currentFileName().isEmpty() && QFile::exists(doc_->currentFileName()) && *chosen != doc_->currentFileName()) {
        // The dialog has asked before overwriting, so an existing copy gives way.
        if (QFile::exists(*chosen))
            QFile::remove(*chosen);
        copied = QFile::copy(doc_->currentFileName(), *chosen);
    }
    if (!copied)
        Dialogs::message(this, {QStringLiteral("Warning: Could not Save Copy As. You probably need the file to be "
                                               "saved originally first.")});
}

} // namespace ortolan
