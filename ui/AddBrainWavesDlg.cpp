#include "ui/AddBrainWavesDlg.h"

#include <QSpinBox>

namespace sonavel {

TAddBrainWavesForm::TAddBrainWavesForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::AddBrainWaves, values, parent),
      FreqEdit(AddSpinRow("hz", "Label1", "Label2")) {
    setObjectName("AddBrainWavesForm");
    Finish("Button1");
}

}  // namespace sonavel
