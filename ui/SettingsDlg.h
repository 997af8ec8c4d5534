#pragma once

#include <QDialog>
#include <QString>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace sonavel {

class TAddFolderDialog;
class TPrompts;

// The general settings: the folder for channel files, the restore points per document and the
// interface language. The main window's command fills it, shows it and takes its values.
class TSettingsForm : public QDialog {
    Q_OBJECT
  public:
    TSettingsForm(TAddFolderDialog& folderDialog, TPrompts& prompts, QWidget* parent = nullptr);

    void SetLanguage(const std::string& language);
    // Shows the current folder and undo count, the count within the field's range.
    void FormShow(const QString& folder, int maxUndos);
    // Asks for a folder in the folder dialog and puts it, ending in '/', into the field.
    void SelectFolderBtnClick();
    // The language word of the selected list item; empty when none is selected.
    std::string ChosenLanguage() const;
    void SelectLanguage(const std::string& language);

    QLineEdit* FolderNameEdit;
    QPushButton* SelectFolderBtn;
    QComboBox* LangBox;
    QSpinBox* nUndosEdit;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

  public slots:
    // OK: only a folder that exists and takes files closes the dialog.
    void accept() override;

  private:
    // The message why the folder cannot hold channel files; empty when it can.
    QString FolderProblem(const QString& folder) const;

    TAddFolderDialog& FolderDialog_;
    TPrompts& Prompts_;
    std::string Language_ = "RUS";
    QString ShownFolder_;
    QLabel* FolderLabel_;
    QLabel* Label1_;
    QLabel* Label2_;
};

}  // namespace sonavel
