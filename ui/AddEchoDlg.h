#pragma once

#include "ui/ParameterForm.h"

class QSpinBox;

namespace sonavel {

// The echo: how many reflections, the delay between them and the volume of each.
class TAddEchoForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TAddEchoForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* nResponsesEdit;
    QSpinBox* ResponseDelayEdit;
    QSpinBox* ResponseVolumeEdit;
};

}  // namespace sonavel
