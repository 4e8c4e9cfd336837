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
#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QStatusBar>

namespace ortolan {

namespace {

const QString kUnnamedTemporary = QStringLiteral("temp.oxml");

FileDialogRequest fileDialog(const QString& fileName, bool save) {
    return {QStringLiteral("Ortolan"),
            QStringLiteral("Ortolan Files (*.oxml);;XML files (*.xml);;All files (*)"),
            QStringLiteral("oxml"),
            fileName,
            save,
            save};
}

} // namespace

bool Ortolan::askToSaveChanges(const QString& prompt) {
    if (!fileHasBeenChanged_)
        return false;
    const PromptAnswer answer = Dialogs::message(
        this, {prompt, QStringLiteral("Save Before Continuing?"), PromptIcon::Question, PromptButtons::YesNoCancel});
    if (answer == PromptAnswer::Yes) {
        MENU_Save();
        return false;
    }
    return answer != PromptAnswer::No;
}

void Ortolan::loadTaskFile(const QString& fileName, bool addToHistory) {
    BackupCurrent(fileName, backupPrompt());
    const QString previousFile = currentFileName_;

    // A new registry and reader for every file; the tree shows nothing while it fills.
    taskH_ = std::make_unique<TaskHandler>();
    Tree->hide();
    xml_ = std::make_unique<XMLManager>(tree_);
    xml_->setPrompt(prompt_.get());
    xml_->setProgressHandler([this](float f) { xml_Progress(f); });
    const LoadResult result = loadTaskList(*xml_, fileName, tree_, *taskH_);

    if (!result.ok) {
        // The tree no longer holds the previous list: nothing may be saved over its file.
        currentFileName_.clear();
        fileHasBeenChanged_ = false;
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
    if (addToHistory)
        saveFileHistory(fileName, previousFile);
    tree_.Item(kRootID)->setExpanded(true);
    fileHasBeenChanged_ = false;
    currentFileName_ = fileName;
    // The reader reports the last item before registering it: count again now that all are in.
    QString done = statusText().startsWith(QLatin1String("Loading completed.")) ? loadedText() : QString();
    if (result.skippedValues > 0)
        done += QStringLiteral(" %1 damaged value(s) (due dates or icon numbers) could not be read and were left "
                               "empty.")
                    .arg(result.skippedValues);
    if (!done.isEmpty())
        setStatus(done.trimmed());
    listDueDatesOnCalendar();
}

QString Ortolan::loadedText() const {
    return QStringLiteral("Loading completed. ") + QString::number(taskH_->getTaskCount()) +
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
    currentFileName_.clear();
}

void Ortolan::MENU_OPEN() {
    if (askToSaveChanges(kNewOpenPrompt))
        return;
    const auto chosen = Dialogs::fileName(this, fileDialog(dialogFileName_, false));
    if (!chosen)
        return;
    dialogFileName_ = *chosen;
    loadTaskFile(*chosen, true);
}

void Ortolan::MENU_Save() {
    const QString previousName = currentFileName_;
    if (!currentFileName_.isEmpty() && currentFileName_ != kUnnamedTemporary) {
        BackupCurrent(currentFileName_, backupPrompt());
    } else {
        const auto chosen = Dialogs::fileName(this, fileDialog(dialogFileName_, true));
        if (!chosen)
            return;
        dialogFileName_ = *chosen;
        currentFileName_ = *chosen;
    }

    const SaveResult saved = xml_->saveXMLfile(currentFileName_);
    if (!saved.ok) {
        // The old file is whole (the write replaces it only when complete); the list stays
        // changed and keeps the name it had, so nothing pretends it was saved.
        currentFileName_ = previousName;
        setStatus(QStringLiteral("Saving failed."));
        Dialogs::message(this, {QStringLiteral("The list could not be saved.\n") + saved.error, kAppTitle,
                                PromptIcon::Critical, PromptButtons::Ok});
        return;
    }
    fileHasBeenChanged_ = false;
    saveFileHistory(currentFileName_);
    setStatus(QStringLiteral("Saving complete."));
    sound_->playwav2(readSetting(QStringLiteral("saveWave")));
}

void Ortolan::MENU_SaveAs() {
    const QString remembered = currentFileName_;
    currentFileName_.clear();
    MENU_Save();
    if (currentFileName_.isEmpty())
        currentFileName_ = remembered;
}

void Ortolan::MENU_SaveACopyAs() {
    const auto chosen = Dialogs::fileName(this, fileDialog(dialogFileName_, true));
    if (!chosen)
        return;
    dialogFileName_ = *chosen;
    bool copied = false;
    if (!currentFileName_.isEmpty() && QFile::exists(currentFileName_) && *chosen != currentFileName_) {
        // The dialog has asked before overwriting, so an existing copy gives way.
        if (QFile::exists(*chosen))
            QFile::remove(*chosen);
        copied = QFile::copy(currentFileName_, *chosen);
    }
    if (!copied)
        Dialogs::message(this, {QStringLiteral("Warning: Could not Save Copy As. You probably need the file to be "
                                               "saved originally first.")});
}

} // namespace ortolan
