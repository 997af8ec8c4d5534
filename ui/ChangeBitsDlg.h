#pragma once

#include "ui/ParameterForm.h"

class QComboBox;

namespace sonavel {

// The document's new bit resolution.
class TChangeBitsForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TChangeBitsForm(TDialogValues& values, QWidget* parent = nullptr);

    QComboBox* NewValue;
};

}  // namespace sonavel
