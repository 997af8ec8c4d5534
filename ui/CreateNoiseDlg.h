#pragma once

#include "ui/SynthesisForm.h"

namespace sonavel {

// The noise to generate at the cursor: colour, length, volume and how it is pasted.
class TCreateNoiseForm : public TSynthesisForm {
    Q_OBJECT
  public:
    explicit TCreateNoiseForm(TDialogValues& values, QWidget* parent = nullptr);
};

}  // namespace sonavel
