#include "ui/MixFilesDlg.h"

#include "ui/FileListTexts.h"

namespace sonavel {

TMixFilesForm::TMixFilesForm(TDialogValues& values, QWidget* parent)
    : TFileListForm(TOperation::MixFiles, values, &MixFilesTexts, MixFilesOk, parent) {
    setObjectName("MixFilesForm");
}

}  // namespace sonavel
