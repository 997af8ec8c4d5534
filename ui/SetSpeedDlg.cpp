#include "ui/SetSpeedDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QSpinBox>

namespace sonavel {

TSetSpeedForm::TSetSpeedForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::SetSpeed, values, parent),
      SpeedEdit(AddSpinRow("percent", "Label1", "Label2")),
      AlgBox(AddListRow("algorithm", "Label3")),
      GlideCB(MakeCheck("glide", "GlideCB")) {
    setObjectName("SetSpeedForm");
    Grid().addWidget(GlideCB, Grid().rowCount(), 0, 1, 3);
    Finish("BitBtn1");
}

}  // namespace sonavel
