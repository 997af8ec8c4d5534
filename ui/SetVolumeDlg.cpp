#include "ui/SetVolumeDlg.h"

#include <QSpinBox>

namespace sonavel {

TSetVolumeForm::TSetVolumeForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::SetVolume, values, parent),
      VolumeEdit(AddSpinRow("percent", "Label1", "Label2")) {
    setObjectName("SetVolumeForm");
    Finish("BitBtn1");
}

}  // namespace sonavel
