// The main window's settings, help and About commands, and the Qt translations of its
// standard dialogs.

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSpinBox>
#include <QTranslator>
#include <QUrl>
#include <array>

#include "app/Language.h"
#include "core/PlaybackEngine.h"
#include "core/TempPath.h"
#include "ui/AboutDlg.h"
#include "ui/AddFolder.h"
#include "ui/AudioSettingsDlg.h"
#include "ui/HelpForm.h"
#include "ui/MainForm.h"
#include "ui/MakeChild.h"
#include "ui/Prompts.h"
#include "ui/SettingsDlg.h"
#include "ui/SettingsTexts.h"
#include "ui/VersionInfoDlg.h"

namespace sonavel {

namespace {

// Qt names the actions of a document window's system menu once, when the window is made; in
// this order, separators aside.
constexpr std::array SystemMenuTexts{"&Restore",  "&Move",        "&Size", "Mi&nimize",
                                     "Ma&ximize", "Stay on &Top", "&Close"};

// Gives the system menus of the open document windows the texts of the present translation.
void RetranslateSystemMenus(const QWidget& main) {
    for (const QMdiSubWindow* window : main.findChildren<QMdiSubWindow*>()) {
        const QMenu* menu = window->systemMenu();
        if (menu == nullptr) {
            continue;
        }
        std::size_t i = 0;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && i < SystemMenuTexts.size()) {
                action->setText(
                    QCoreApplication::translate("QMdiSubWindow", SystemMenuTexts.at(i++)));
            }
        }
    }
}

}  // namespace

void TMainForm::CreateSettingsForms() {
    AddFolderDialog_ = MakeChild<TAddFolderDialog>(this);
    SettingsForm_ = MakeChild<TSettingsForm>(*AddFolderDialog_, *Prompts_, this);
    AudioSettingsForm_ = MakeChild<TAudioSettingsForm>(*Prompts_, this);
    AboutForm_ = MakeChild<TAboutForm>(*Prompts_, this);
    VersionInfoForm_ = MakeChild<TVersionInfoForm>(*Prompts_, this);
    HelpForm_ = MakeChild<THelpForm>(this);
    QtTranslator_ = MakeChild<QTranslator>(this);
}

void TMainForm::SetSettingsLanguage(const std::string& word) {
    SettingsForm_->SetLanguage(word);
    AudioSettingsForm_->SetLanguage(word);
    AboutForm_->SetLanguage(word);
    VersionInfoForm_->SetLanguage(word);
    HelpForm_->SetLanguage(word);
    // Qt's own buttons and file dialogs follow the interface: Russian from Qt's translations,
    // English as Qt is written.
    if (word == Russian && !QtTranslatorInstalled_ &&
        (!QtTranslator_->isEmpty() ||
         QtTranslator_->load(QStringLiteral("qtbase_ru"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)))) {
        QtTranslatorInstalled_ = QCoreApplication::installTranslator(QtTranslator_);
    }
    if (word == English && QtTranslatorInstalled_) {
        QCoreApplication::removeTranslator(QtTranslator_);
        QtTranslatorInstalled_ = false;
    }
    RetranslateSystemMenus(*this);
}

void TMainForm::SettingsMIClick() {
    SettingsForm_->SelectLanguage(Language_);
    SettingsForm_->FormShow(QFile::decodeName(TempPath().c_str()), Workspace_.MaxUndos);
    if (Prompts_->Run(*SettingsForm_) == QDialog::Accepted) {
        // Channel files made from now on go to the new folder; those of open documents stay.
        SetTempPath(QFile::encodeName(SettingsForm_->FolderNameEdit->text()).toStdString());
        Workspace_.MaxUndos = SettingsForm_->nUndosEdit->value();
    }
    // The language is taken whichever button closed the dialog.
    if (const std::string chosen = SettingsForm_->ChosenLanguage(); !chosen.empty()) {
        SetLanguage(chosen);
    }
    UpdateCommands();
}

void TMainForm::AudioSettingsMIClick() {
    AudioSettingsForm_->FormShow(*Devices_, PlayDevice.load(), RecordDevice.load());
    if (Prompts_->Run(*AudioSettingsForm_) == QDialog::Accepted) {
        PlayDevice.store(AudioSettingsForm_->PlayDevBox->currentIndex());
        RecordDevice.store(AudioSettingsForm_->RecordDevBox->currentIndex());
    }
    UpdateCommands();
}

void TMainForm::HelpMIClick() {
    const QString page = HelpFiles_.Write(Language_);
    if (page.isEmpty()) {
        if (const THelpTexts* t = HelpTexts(Language_)) {
            Prompts_->Inform(this, windowTitle(),
                             QString::fromUtf8(t->CannotWrite) + HelpFiles_.Folder());
        }
        return;
    }
    // The desktop's browser shows the pages best; without one the program shows them itself.
    if (!Prompts_->OpenUrl(QUrl::fromLocalFile(page))) {
        HelpForm_->ShowPage(page);
    }
}

void TMainForm::NewVersionMIClick() {
    Prompts_->Run(*VersionInfoForm_);
}

void TMainForm::AboutMIClick() {
    Prompts_->Run(*AboutForm_);
}

}  // namespace sonavel
