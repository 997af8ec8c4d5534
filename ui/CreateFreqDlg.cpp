#include "ui/CreateFreqDlg.h"

#include <QSpinBox>

#include "ui/WaveGlyphs.h"

namespace sonavel {

TCreateFreqForm::TCreateFreqForm(TDialogValues& values, QWidget* parent)
    : TSynthesisForm(TOperation::CreateFreq, values, parent),
      FreqValueEdit(AddSpinRow("freq", "Label1", "Label2")) {
    setObjectName("CreateFreqForm");
    AddSynthesisRows(
        "Label3", "Label4", "wave",
        {WaveIcon(TWaveForm::Sine), WaveIcon(TWaveForm::Rectangle), WaveIcon(TWaveForm::Triangle)});
    Finish("Button1");
}

}  // namespace sonavel
