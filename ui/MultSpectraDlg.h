#pragma once

#include "ui/ParameterForm.h"

class QSpinBox;

namespace sonavel {

// The factor by which the spectrum is stretched or squeezed, in percent.
class TMultSpectraForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TMultSpectraForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* MultEdit;
};

}  // namespace sonavel
