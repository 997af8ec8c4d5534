#pragma once

#include <QIcon>
#include <vector>

#include "ui/ParameterForm.h"

namespace sonavel {

// What the tone and the noise dialogs share: the length, the volume track bar with its
// label, the paste method and a group of three radio buttons, each with its picture.
class TSynthesisForm : public TParameterForm {
    Q_OBJECT
  public:
    QSpinBox* LongEdit = nullptr;
    QSlider* VolumeBar = nullptr;
    QLabel* VolumeLabel = nullptr;
    QComboBox* PasteTypeBox = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;

    void FormShow() override;

  protected:
    using TParameterForm::TParameterForm;
    // The shared rows under what the dialog has placed already: the length with its labels
    // of those names, the volume, the paste method and, in the group GroupBox2, the radio
    // buttons of the choice of that key.
    void AddSynthesisRows(const char* lengthLabel, const char* lengthUnit, const char* choiceKey,
                          const std::vector<QIcon>& pictures);
};

}  // namespace sonavel
