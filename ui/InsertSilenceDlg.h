#pragma once

#include "ui/ParameterForm.h"

class QSpinBox;

namespace sonavel {

// The length of the silence to insert at the cursor, in milliseconds.
class TInsertSilenceForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TInsertSilenceForm(TDialogValues& values, QWidget* parent = nullptr);

    QSpinBox* LongEdit;
};

}  // namespace sonavel
