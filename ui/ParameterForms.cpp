#include "ui/ParameterForms.h"

#include "ui/AddBrainWavesDlg.h"
#include "ui/AddEchoDlg.h"
#include "ui/ChangeBitsDlg.h"
#include "ui/CreateFreqDlg.h"
#include "ui/CreateNoiseDlg.h"
#include "ui/EqualizeDlg.h"
#include "ui/InsertSilenceDlg.h"
#include "ui/MultSpectraDlg.h"
#include "ui/OffsetSpectraDlg.h"
#include "ui/RevebrationDlg.h"
#include "ui/RoundSoundDlg.h"
#include "ui/SampleRateChangeDlg.h"
#include "ui/SelDelSpectraDlg.h"
#include "ui/SetSpeedDlg.h"
#include "ui/SetVolumeDlg.h"

namespace sonavel {

namespace {

// The dialogs are owned by their Qt parent.
template <class T>
TParameterForm* Make(TDialogValues& values, QWidget* parent) {
    return new T(values, parent);  // NOLINT(cppcoreguidelines-owning-memory)
}

}  // namespace

TParameterForms::TParameterForms(TDialogValues& values, QWidget* parent) {
    for (TParameterForm* form : {
             Make<TInsertSilenceForm>(values, parent),
             Make<TSetSpeedForm>(values, parent),
             Make<TSetVolumeForm>(values, parent),
             Make<TAddEchoForm>(values, parent),
             Make<TRevebrationForm>(values, parent),
             Make<TEqualizeForm>(values, parent),
             Make<TSelDelSpectraForm>(values, parent),
             Make<TOffsetSpectraForm>(values, parent),
             Make<TMultSpectraForm>(values, parent),
             Make<TSampleRateChangeForm>(values, parent),
             Make<TChangeBitsForm>(values, parent),
             Make<TAddBrainWavesForm>(values, parent),
             Make<TRoundSoundForm>(values, parent),
             Make<TCreateFreqForm>(values, parent),
             Make<TCreateNoiseForm>(values, parent),
         }) {
        Forms_.at(static_cast<std::size_t>(form->Operation())) = form;
    }
}

TParameterForm* TParameterForms::Form(TOperation operation) const {
    return Forms_.at(static_cast<std::size_t>(operation));
}

void TParameterForms::SetLanguage(const std::string& language) const {
    for (TParameterForm* form : Forms_) {
        if (form != nullptr) {
            form->SetLanguage(language);
        }
    }
}

}  // namespace sonavel
