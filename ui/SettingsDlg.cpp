#include "ui/SettingsDlg.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryFile>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Language.h"
#include "ui/AddFolder.h"
#include "ui/MakeChild.h"
#include "ui/OkCancelRow.h"
#include "ui/Prompts.h"
#include "ui/SettingsTexts.h"

namespace sonavel {

namespace {

constexpr int MinUndos = 0;
constexpr int MaxUndos = 8;

}  // namespace

TSettingsForm::TSettingsForm(TAddFolderDialog& folderDialog, TPrompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      FolderNameEdit(MakeChild<QLineEdit>(this)),
      SelectFolderBtn(MakeChild<QPushButton>(this)),
      LangBox(MakeChild<QComboBox>(this)),
      nUndosEdit(MakeChild<QSpinBox>(this)),
      BitBtn1(MakeChild<QPushButton>(QStringLiteral("OK"), this)),
      BitBtn2(MakeChild<QPushButton>(this)),
      FolderDialog_(folderDialog),
      Prompts_(prompts),
      FolderLabel_(MakeChild<QLabel>(this)),
      Label1_(MakeChild<QLabel>(this)),
      Label2_(MakeChild<QLabel>(this)) {
    setObjectName("SettingsForm");
    FolderNameEdit->setObjectName("FolderNameEdit");
    SelectFolderBtn->setObjectName("SelectFolderBtn");
    LangBox->setObjectName("LangBox");
    nUndosEdit->setObjectName("nUndosEdit");
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2->setObjectName("BitBtn2");
    FolderLabel_->setObjectName("FolderLabel");
    Label1_->setObjectName("Label1");
    Label2_->setObjectName("Label2");

    FolderNameEdit->setReadOnly(true);
    FolderNameEdit->setMinimumWidth(300);
    FolderLabel_->setBuddy(FolderNameEdit);
    LangBox->addItem(QString::fromUtf8(LangBoxRussian));
    LangBox->addItem(QString::fromUtf8(LangBoxEnglish));
    nUndosEdit->setRange(MinUndos, MaxUndos);
    nUndosEdit->setValue(2);
    // Only the arrows change the count.
    if (auto* edit = nUndosEdit->findChild<QLineEdit*>()) {
        edit->setReadOnly(true);
    }

    auto* folderRow = MakeChild<QHBoxLayout>();
    folderRow->addWidget(FolderNameEdit, 1);
    folderRow->addWidget(SelectFolderBtn);
    auto* grid = MakeChild<QGridLayout>();
    grid->addWidget(Label1_, 0, 0);
    grid->addWidget(nUndosEdit, 0, 1);
    grid->addWidget(Label2_, 1, 0);
    grid->addWidget(LangBox, 1, 1);
    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->addWidget(FolderLabel_);
    layout->addLayout(folderRow);
    layout->addSpacing(8);
    layout->addLayout(grid);
    layout->addLayout(OkCancelRow(this, BitBtn1, BitBtn2));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(SelectFolderBtn, &QPushButton::clicked, this, &TSettingsForm::SelectFolderBtnClick);

    SetLanguage(Russian);
}

void TSettingsForm::SetLanguage(const std::string& language) {
    const TSettingsTexts* t = SettingsTexts(language);
    if (t == nullptr) {
        return;
    }
    Language_ = language;
    setWindowTitle(QString::fromUtf8(t->Caption));
    Label1_->setText(QString::fromUtf8(t->Label1));
    Label2_->setText(QString::fromUtf8(t->Label2));
    FolderLabel_->setText(QString::fromUtf8(t->FolderLabel));
    SelectFolderBtn->setText(QString::fromUtf8(t->SelectFolderBtn));
    BitBtn2->setText(QString::fromUtf8(t->BitBtn2));
    // The folder dialog speaks the settings dialog's language.
    FolderDialog_.SetTexts(*AddFolderTexts(language));
}

void TSettingsForm::FormShow(const QString& folder, int maxUndos) {
    ShownFolder_ = folder;
    FolderNameEdit->setText(folder);
    nUndosEdit->setValue(std::clamp(maxUndos, MinUndos, MaxUndos));
}

std::string TSettingsForm::ChosenLanguage() const {
    switch (LangBox->currentIndex()) {
        case 0:
            return Russian;
        case 1:
            return English;
        default:
            return {};
    }
}

void TSettingsForm::SelectLanguage(const std::string& language) {
    if (language == Russian) {
        LangBox->setCurrentIndex(0);
    }
    if (language == English) {
        LangBox->setCurrentIndex(1);
    }
}

void TSettingsForm::SelectFolderBtnClick() {
    // The folder dialog follows the language this dialog shows, told by its Cancel button.
    const QString cancel = BitBtn2->text();
    if (cancel == QString::fromUtf8(AddFolderTexts(Russian)->CancelButton)) {
        FolderDialog_.SetTexts(*AddFolderTexts(Russian));
    } else if (cancel == QString::fromUtf8(AddFolderTexts(English)->CancelButton)) {
        FolderDialog_.SetTexts(*AddFolderTexts(English));
    }
    FolderDialog_.FormShow();
    FolderDialog_.SelectPath(FolderNameEdit->text());
    if (Prompts_.Run(FolderDialog_) != QDialog::Accepted || FolderDialog_.FolderName.isEmpty()) {
        return;
    }
    QString folder = FolderDialog_.FolderName;
    if (const QString problem = FolderProblem(folder); !problem.isEmpty()) {
        Prompts_.Inform(this, windowTitle(), problem);
        return;
    }
    if (!folder.endsWith('/')) {
        folder += '/';
    }
    FolderNameEdit->setText(folder);
}

QString TSettingsForm::FolderProblem(const QString& folder) const {
    const TSettingsTexts* t = SettingsTexts(Language_);
    const QFileInfo info(folder);
    if (!info.isAbsolute() || !info.isDir()) {
        return QString::fromUtf8(t->FolderMissing) + folder;
    }
    // Permissions alone do not tell (read-only mounts, ACLs): try to make a file there.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("sonavel-XXXXXX.probe")));
    if (!probe.open()) {
        return QString::fromUtf8(t->FolderNotWritable) + folder;
    }
    return {};
}

void TSettingsForm::accept() {
    // The folder shown at the start was in use already; a new one must be able to take files.
    const QString folder = FolderNameEdit->text();
    if (folder != ShownFolder_) {
        if (const QString problem = FolderProblem(folder); !problem.isEmpty()) {
            Prompts_.Inform(this, windowTitle(), problem);
            return;
        }
    }
    QDialog::accept();
}

}  // namespace sonavel
