#include "ui/RoundSoundDlg.h"

#include <QComboBox>
#include <QSpinBox>

namespace sonavel {

TRoundSoundForm::TRoundSoundForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::RoundSound, values, parent),
      LongRound(AddSpinRow("period", "Label1", "Label2")),
      DirectRound(AddListRow("direction", "Label3")) {
    setObjectName("RoundSoundForm");
    Finish("Button1");
}

}  // namespace sonavel
