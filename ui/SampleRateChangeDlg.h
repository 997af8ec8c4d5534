#pragma once

#include "ui/ParameterForm.h"

class QComboBox;

namespace sonavel {

// The document's new sample rate. Unlike the other dialogs it opens in the middle of the
// screen.
class TSampleRateChangeForm : public TParameterForm {
    Q_OBJECT
  public:
    explicit TSampleRateChangeForm(TDialogValues& values, QWidget* parent = nullptr);

    QComboBox* NewValueBox;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace sonavel
