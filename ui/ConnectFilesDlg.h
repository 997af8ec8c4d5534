#pragma once

#include "ui/FileListDlg.h"

namespace sonavel {

// The join dialog: the new document's format and the open documents in the order they are
// joined, which the up and down buttons change.
class TConnectFilesForm : public TFileListForm {
    Q_OBJECT
  public:
    TConnectFilesForm(TDialogValues& values, QWidget* parent = nullptr);

    QToolButton* UpButton;
    QToolButton* DownButton;

  public slots:
    void UpButtonClick();
    void DownButtonClick();
};

}  // namespace sonavel
