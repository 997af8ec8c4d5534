#pragma once

#include "ui/ParameterForm.h"

class QSpinBox;

namespace sonavel {

// The frequency of the binaural beats.
class TAddBrainWavesForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TAddBrainWavesForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* FreqEdit;
};

}  // namespace sonavel
