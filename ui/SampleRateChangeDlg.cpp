#include "ui/SampleRateChangeDlg.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

namespace sonavel {

TSampleRateChangeForm::TSampleRateChangeForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::SampleRateChange, values, parent),
      NewValueBox(AddListRow("rate", nullptr, "Label1")) {
    setObjectName("SampleRateChangeForm");
    Finish("BitBtn1", "BitBtn2");
}

void TSampleRateChangeForm::showEvent(QShowEvent* event) {
    TParameterForm::showEvent(event);
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    if (screen != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

}  // namespace sonavel
