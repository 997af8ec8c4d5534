#include "ui/RevebrationDlg.h"

#include <QSpinBox>

namespace sonavel {

TRevebrationForm::TRevebrationForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::Revebration, values, parent),
      nReflectionsEdit(AddSpinRow("count", "Label1")),
      ReflectionDelayEdit(AddSpinRow("delay", "Label2", "Label3")),
      ReflectionVolumeEdit(AddSpinRow("volume", "Label4", "Label5")) {
    setObjectName("RevebrationForm");
    Finish("BitBtn1");
}

}  // namespace sonavel
