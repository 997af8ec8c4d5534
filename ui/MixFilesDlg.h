#pragma once

#include "ui/FileListDlg.h"

namespace sonavel {

// The mix dialog: the new document's format and the open documents to mix into it.
class TMixFilesForm : public TFileListForm {
    Q_OBJECT
  public:
    TMixFilesForm(TDialogValues& values, QWidget* parent = nullptr);
};

}  // namespace sonavel
