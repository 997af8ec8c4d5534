#pragma once

#include "ui/ParameterForm.h"

class QRadioButton;
class QSpinBox;

namespace sonavel {

// The frequency band to keep or to remove. When shown, both edges range over the document's
// frequencies and an edge above the highest is lowered to it; OK puts the edges in order.
class TSelDelSpectraForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TSelDelSpectraForm(TDialogValues& values, QWidget* parent = nullptr);

    QRadioButton* RB1;  // keep the band
    QRadioButton* RB2;  // delete it
    QSpinBox* SE1;
    QSpinBox* SE2;
};

}  // namespace sonavel
