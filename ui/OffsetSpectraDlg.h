#pragma once

#include "ui/ParameterForm.h"

class QSpinBox;

namespace sonavel {

// How far to shift the spectrum, up or down by at most half the document's highest
// frequency (the range follows the document when shown).
class TOffsetSpectraForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TOffsetSpectraForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* OffsetEdit;
};

}  // namespace sonavel
