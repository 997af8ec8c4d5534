#pragma once

#include "ui/ParameterForm.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace sonavel {

// The new tempo in percent of the current one, the algorithm and whether the change glides.
class TSetSpeedForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TSetSpeedForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* SpeedEdit;
    QComboBox* AlgBox;
    QCheckBox* GlideCB;
};

}  // namespace sonavel
