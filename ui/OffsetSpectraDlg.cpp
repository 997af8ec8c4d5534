#include "ui/OffsetSpectraDlg.h"

#include <QSpinBox>

namespace sonavel {

TOffsetSpectraForm::TOffsetSpectraForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::OffsetSpectra, values, parent),
      OffsetEdit(AddSpinRow("hz", "Label1", "Label2")) {
    setObjectName("OffsetSpectraForm");
    Finish("Button1");
}

}  // namespace sonavel
