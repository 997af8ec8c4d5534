#include "ui/SynthesisForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/MakeChild.h"

namespace sonavel {

namespace {

constexpr QSize PictureSize(36, 18);

}  // namespace

void TSynthesisForm::FormShow() {
    TParameterForm::FormShow();
    VolumeLabel->setText(QString::number(VolumeBar->value()) + QStringLiteral(" %"));
}

void TSynthesisForm::AddSynthesisRows(const char* lengthLabel, const char* lengthUnit,
                                      const char* choiceKey, const std::vector<QIcon>& pictures) {
    LongEdit = AddSpinRow("seconds", lengthLabel, lengthUnit);

    auto* volume = MakeChild<QGroupBox>(this);
    volume->setObjectName("GroupBox1");
    auto* volumeLayout = MakeChild<QGridLayout>(volume);
    QLabel* volumeCaption = MakeLabel("Label5");
    VolumeBar = MakeSlider("volume");
    VolumeLabel = MakeChild<QLabel>(this);
    VolumeLabel->setObjectName("VolumeLabel");
    // Room for "100 %" whatever the value, so the bar does not jump.
    VolumeLabel->setMinimumWidth(VolumeLabel->fontMetrics().horizontalAdvance("100 %") + 4);
    VolumeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    volumeCaption->setBuddy(VolumeBar);
    volumeLayout->addWidget(volumeCaption, 0, 0, 1, 2);
    volumeLayout->addWidget(VolumeBar, 1, 0);
    volumeLayout->addWidget(VolumeLabel, 1, 1);
    Grid().addWidget(volume, Grid().rowCount(), 0, 1, 3);
    connect(VolumeBar, &QSlider::valueChanged, this, [this] { FormShow(); });

    PasteTypeBox = AddListRow("mode", "Label6");

    auto* group = MakeChild<QGroupBox>(this);
    group->setObjectName("GroupBox2");
    auto* groupLayout = MakeChild<QVBoxLayout>(group);
    const std::vector<QRadioButton*> radios =
        MakeRadios(choiceKey, {"RadioButton1", "RadioButton2", "RadioButton3"});
    for (std::size_t i = 0; i < radios.size(); ++i) {
        radios[i]->setIconSize(PictureSize);
        if (i < pictures.size()) {
            radios[i]->setIcon(pictures[i]);
        }
        groupLayout->addWidget(radios[i]);
    }
    RadioButton1 = radios.at(0);
    RadioButton2 = radios.at(1);
    RadioButton3 = radios.at(2);
    Grid().addWidget(group, Grid().rowCount(), 0, 1, 3);
}

}  // namespace sonavel
