#include "ui/InsertSilenceDlg.h"

#include <QSpinBox>

namespace sonavel {

TInsertSilenceForm::TInsertSilenceForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::InsertSilence, values, parent),
      LongEdit(AddSpinRow("ms", "Label1", "Label2")) {
    setObjectName("InsertSilenceForm");
    Finish("OkBtn");
}

}  // namespace sonavel
