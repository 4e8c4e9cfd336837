// The main window's preference commands, the About box and the website command.

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "settings/OTLFunctions.h"
#include "views/TaskTreeView.h"

#include <QAction>
#include <QUrl>

namespace ortolan {

void Ortolan::MENU_Settings() {
    setStatus(QStringLiteral("NOTE: Settings are saved automatically."));
}

void Ortolan::MENU_DisableClickToRename() {
    // The menu item has already toggled its check mark when the user picked it; start-up calls
    // this without a click. Decide from the tree's mode, which only this command changes.
    const bool disable = tree_.LabelEdit() == TaskTree::LabelEditMode::Automatic;
    tree_.setLabelEdit(disable ? TaskTree::LabelEditMode::Manual : TaskTree::LabelEditMode::Automatic);
    Tree->applyLabelEditMode();
    action(QStringLiteral("MENU_DisableClickToRename"))->setChecked(disable);
    writeSetting(QStringLiteral("disableClickToRename"), disable);
}

void Ortolan::MENU_EasyEditing() {
    easyEditing_ = action(QStringLiteral("MENU_EasyEditing"))->isChecked();
    writeSetting(QStringLiteral("EasyEditing"), easyEditing_);
    if (easyEditing_)
        Dialogs::message(this, {QStringLiteral("Please Note:\r\nEasy editing automates keystrokes in Ortolan in "
                                               "order to make life easy. Some firewalls may present a warning the "
                                               "first time that you edit a task because of the keystroke insertion."),
                                QStringLiteral("Note"), PromptIcon::Information, PromptButtons::Ok});
}

void Ortolan::MENU_LoadLastAlways() {
    autoLoadMode_ = QStringLiteral("ALWAYS");
    writeSetting(QStringLiteral("autoLoad"), autoLoadMode_);
    checkCorrectAutoLoad();
}

void Ortolan::MENU_LoadLastUnlessFTP() {
    autoLoadMode_ = QStringLiteral("UNLESSFTP");
    writeSetting(QStringLiteral("autoLoad"), autoLoadMode_);
    checkCorrectAutoLoad();
}

void Ortolan::MENU_LoadLastNever() {
    autoLoadMode_ = QStringLiteral("NEVER");
    writeSetting(QStringLiteral("autoLoad"), autoLoadMode_);
    checkCorrectAutoLoad();
}

void Ortolan::checkCorrectAutoLoad() {
    action(QStringLiteral("MENU_LoadLastAlways"))->setChecked(autoLoadMode_ == QLatin1String("ALWAYS"));
    action(QStringLiteral("MENU_LoadLastUnlessFTP"))->setChecked(autoLoadMode_ == QLatin1String("UNLESSFTP"));
    action(QStringLiteral("MENU_LoadLastNever"))
        ->setChecked(autoLoadMode_ != QLatin1String("ALWAYS") && autoLoadMode_ != QLatin1String("UNLESSFTP"));
}

void Ortolan::MENU_About() {
    Dialogs::message(this, {kVersionText + QStringLiteral("\n") + kWebsite, QStringLiteral("About Ortolan"),
                            PromptIcon::None, PromptButtons::Ok});
}

void Ortolan::MENU_VISITUPDATESITE() {
    const auto answer = Dialogs::input(
        this, {QStringLiteral("Visit Update Website"),
               QStringLiteral("Please press OK to continue to the Ortolan website using your browser, or copy and "
                              "paste in the following address:"),
               kWebsite});
    if (answer && !answer->isEmpty())
        openUrl_(QUrl(kWebsite));
}

} // namespace ortolan
