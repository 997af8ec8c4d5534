#include "ui/ChangeBitsDlg.h"

#include <QComboBox>

namespace sonavel {

TChangeBitsForm::TChangeBitsForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::nBitsChange, values, parent),
      NewValue(AddListRow("bits", nullptr, "Label1")) {
    setObjectName("ChangeBitsForm");
    Finish("BitBtn1");
}

}  // namespace sonavel
