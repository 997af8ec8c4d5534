#pragma once

#include "ui/SynthesisForm.h"

namespace sonavel {

// The tone to generate at the cursor: wave form, frequency, length, volume and how it is
// pasted.
class TCreateFreqForm : public TSynthesisForm {
    Q_OBJECT
  public:
    explicit TCreateFreqForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* FreqValueEdit;
};

}  // namespace sonavel
