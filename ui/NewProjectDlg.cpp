#include "ui/NewProjectDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/OperationTable.h"
#include "ui/MainTexts.h"
#include "ui/MakeChild.h"
#include "ui/OkCancelRow.h"
#include "ui/ParameterControls.h"

namespace sonavel {

namespace {

// The dialog's controls in the order of the new-project parameters.
const TParameter& Parameter(std::size_t index) {
    return NewProjectParameters()[index];
}

}  // namespace

TNewProjectForm::TNewProjectForm(TDialogValues& values, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      nChannelsEdit(MakeChild<QSpinBox>(this)),
      SamplesPerSecCB(MakeChild<QComboBox>(this)),
      nBitsCB(MakeChild<QComboBox>(this)),
      BitBtn1(MakeChild<QPushButton>(QStringLiteral("OK"), this)),
      BitBtn2(MakeChild<QPushButton>(this)),
      Values_(values),
      Label1_(MakeChild<QLabel>(this)),
      Label2_(MakeChild<QLabel>(this)),
      Label3_(MakeChild<QLabel>(this)),
      Label4_(MakeChild<QLabel>(this)),
      Label5_(MakeChild<QLabel>(this)) {
    setObjectName("NewProjectForm");
    nChannelsEdit->setObjectName("nChannelsEdit");
    SamplesPerSecCB->setObjectName("SamplesPerSecCB");
    nBitsCB->setObjectName("nBitsCB");
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2->setObjectName("BitBtn2");
    Label1_->setObjectName("Label1");
    Label2_->setObjectName("Label2");
    Label3_->setObjectName("Label3");
    Label4_->setObjectName("Label4");
    Label5_->setObjectName("Label5");

    SetRange(*nChannelsEdit, Parameter(0));
    ShowValue(*nChannelsEdit, Parameter(0), values);
    FillItems(*SamplesPerSecCB, Parameter(1), "RUS");
    ShowValue(*SamplesPerSecCB, Parameter(1), values);
    FillItems(*nBitsCB, Parameter(2), "RUS");
    ShowValue(*nBitsCB, Parameter(2), values);

    auto* grid = MakeChild<QGridLayout>();
    grid->addWidget(Label1_, 0, 0, Qt::AlignRight);
    grid->addWidget(nChannelsEdit, 0, 1);
    grid->addWidget(Label2_, 1, 0, Qt::AlignRight);
    grid->addWidget(SamplesPerSecCB, 1, 1);
    grid->addWidget(Label3_, 1, 2);
    grid->addWidget(Label4_, 2, 0, Qt::AlignRight);
    grid->addWidget(nBitsCB, 2, 1);
    grid->addWidget(Label5_, 2, 2);
    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->addLayout(grid);
    layout->addLayout(OkCancelRow(this, BitBtn1, BitBtn2));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The form is laid out with the Russian texts.
    SetLanguage("RUS");
}

void TNewProjectForm::SetLanguage(const std::string& language) {
    const TNewProjectTexts* t = NewProjectTexts(language);
    if (t == nullptr) {
        return;
    }
    setWindowTitle(QString::fromUtf8(t->Caption));
    Label1_->setText(QString::fromUtf8(t->Label1));
    Label2_->setText(QString::fromUtf8(t->Label2));
    Label3_->setText(QString::fromUtf8(t->Label3));
    Label4_->setText(QString::fromUtf8(t->Label4));
    Label5_->setText(QString::fromUtf8(t->Label5));
    BitBtn2->setText(QString::fromUtf8(t->BitBtn2));
}

void TNewProjectForm::accept() {
    ChannelCount = nChannelsEdit->value();
    SampleRate = SamplesPerSecCB->currentText().toInt();
    BitsPerSample = static_cast<std::uint16_t>(nBitsCB->currentText().toUInt());
    StoreValue(*nChannelsEdit, Parameter(0), Values_);
    StoreValue(*SamplesPerSecCB, Parameter(1), Values_);
    StoreValue(*nBitsCB, Parameter(2), Values_);
    QDialog::accept();
}

}  // namespace sonavel
