#pragma once

#include "ui/ParameterForm.h"

class QComboBox;
class QSpinBox;

namespace sonavel {

// The rotation of the sound between the channels: seconds per turn and direction.
class TRoundSoundForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TRoundSoundForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* LongRound;
    QComboBox* DirectRound;
};

}  // namespace sonavel
