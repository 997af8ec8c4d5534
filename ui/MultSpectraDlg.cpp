#include "ui/MultSpectraDlg.h"

#include <QSpinBox>

namespace sonavel {

TMultSpectraForm::TMultSpectraForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::MultiSpectra, values, parent),
      MultEdit(AddSpinRow("percent", "Label1", "Label2")) {
    setObjectName("MultSpectraForm");
    Finish("Button1");
}

}  // namespace sonavel
