#pragma once

#include <QDialog>
#include <QString>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace sonavel {

struct TAddFolderTexts;

// The folder dialog of the settings: a tree of folders only, with the user's home and the
// root of the file system at the top. OK stores the selected folder in FolderName.
class TAddFolderDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TAddFolderDialog(QWidget* parent = nullptr);

    void SetTexts(const TAddFolderTexts& texts);
    // Opens the tree down to a folder and selects it; false when it is not in the tree.
    bool SelectPath(const QString& path);
    // Empties FolderName, as each showing of the dialog does.
    void FormShow();

    QString FolderName;

    QTreeWidget* ShellTreeView;
    QPushButton* OkButton;
    QPushButton* CancelButton;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OkButtonClick();
    // Adds the subfolders of an item once, when it is first opened.
    void Fill(QTreeWidgetItem& item);
    QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const QString& path, const QString& name);
};

}  // namespace sonavel
