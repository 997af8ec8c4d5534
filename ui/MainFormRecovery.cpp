// The main window's recovery of a dead editor's documents and its list of recent files.

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "app/ErrorText.h"
#include "app/Recovery.h"
#include "core/TempPath.h"
#include "ui/ChildForm.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

namespace sonavel {

namespace {

QString Native(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

}  // namespace

void TMainForm::RecoverAfterStart() {
    if (InActivate_ || Language_.empty()) {
        RecoveryPending_ = true;
        return;
    }
    TRecoverableDocuments found(TempPath());
    if (found.Empty()) {
        return;
    }
    QString question = MainText(&TMainWindowTexts::RecoverDocuments);
    for (const std::string& caption : found.Captions()) {
        question += QStringLiteral("\n") + QString::fromStdString(caption);
    }
    if (!Prompts_->AskYesNo(this, windowTitle(), question)) {
        found.Discard();
        return;
    }
    const TRecoverableDocuments::TResult result = found.Recover(Workspace_);
    for (TDocument* document : result.Documents) {
        SetUpDocumentWindow(*document);
        RunOperation(TOperation::BuildGraph);
    }
    if (!result.Failure.empty()) {
        Prompts_->Inform(this, QString(), QString::fromStdString(result.Failure));
    }
    UpdateCommands();
}

void TMainForm::CreateRecentFileItems() {
    QMenu* fileMenu = Layout_.TopMenus.front();
    fileMenu->addSeparator()->setObjectName(QStringLiteral("RecentFilesSeparator"));
    for (std::size_t i = 0; i < TRecentFiles::MaxCount; ++i) {
        QAction* action = fileMenu->addAction(QString());
        action->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        connect(action, &QAction::triggered, this, [this, i] { OpenRecentFile(i); });
        RecentActions_.push_back(action);
    }
    UpdateRecentFileItems();
}

void TMainForm::UpdateRecentFileItems() {
    const std::vector<std::string>& files = Workspace_.RecentFiles.Items();
    for (std::size_t i = 0; i < RecentActions_.size(); ++i) {
        QAction* action = RecentActions_[i];
        action->setVisible(i < files.size());
        action->setText(i < files.size() ? Native(RecentFileText(i, files[i])) : QString());
    }
    if (auto* separator = findChild<QAction*>(QStringLiteral("RecentFilesSeparator"))) {
        separator->setVisible(!files.empty());
    }
}

void TMainForm::RememberFile(const std::string& fileName) {
    Workspace_.RecentFiles.Add(fileName);
    UpdateRecentFileItems();
}

void TMainForm::OpenRecentFile(std::size_t index) {
    const std::vector<std::string>& files = Workspace_.RecentFiles.Items();
    if (index >= files.size()) {
        return;
    }
    const std::string path = files[index];
    if (!QFileInfo::exists(Native(path))) {
        Workspace_.RecentFiles.Remove(path);
        UpdateRecentFileItems();
        Prompts_->Inform(this, QString(),
                         QString::fromStdString(FileNotFoundText(Language_, path)));
        return;
    }
    OpenDocument(Native(path));
    UpdateCommands();
}

}  // namespace sonavel
