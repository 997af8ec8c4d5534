#pragma once

#include "ui/ParameterForm.h"

class QSpinBox;

namespace sonavel {

// The reverberation: how many reflections, their delay and the volume of each.
class TRevebrationForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TRevebrationForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* nReflectionsEdit;
    QSpinBox* ReflectionDelayEdit;
    QSpinBox* ReflectionVolumeEdit;
};

}  // namespace sonavel
