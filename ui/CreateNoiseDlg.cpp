#include "ui/CreateNoiseDlg.h"

#include "ui/WaveGlyphs.h"

namespace sonavel {

TCreateNoiseForm::TCreateNoiseForm(TDialogValues& values, QWidget* parent)
    : TSynthesisForm(TOperation::CreateNoise, values, parent) {
    setObjectName("CreateNoiseForm");
    AddSynthesisRows("Label1", "Label2", "colour",
                     {NoiseIcon(TNoiseColour::White), NoiseIcon(TNoiseColour::Pink),
                      NoiseIcon(TNoiseColour::Brown)});
    // This dialog's OK is written in Cyrillic letters.
    Finish("Button1", nullptr, "ОК");
}

}  // namespace sonavel
