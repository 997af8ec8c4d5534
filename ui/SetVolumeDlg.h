#pragma once

#include "ui/ParameterForm.h"

class QSpinBox;

namespace sonavel {

// The new volume in percent of the current one.
class TSetVolumeForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TSetVolumeForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* VolumeEdit;
};

}  // namespace sonavel
