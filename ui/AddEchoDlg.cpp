#include "ui/AddEchoDlg.h"

#include <QSpinBox>

namespace sonavel {

TAddEchoForm::TAddEchoForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::AddEcho, values, parent),
      nResponsesEdit(AddSpinRow("count", "Label1")),
      ResponseDelayEdit(AddSpinRow("delay", "Label2", "Label3")),
      ResponseVolumeEdit(AddSpinRow("volume", "Label4", "Label5")) {
    setObjectName("AddEchoForm");
    Finish("BitBtn1");
}

}  // namespace sonavel
