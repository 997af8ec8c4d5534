#include "ui/EqualizeDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "ui/MakeChild.h"
#include "ui/ParameterControls.h"

namespace sonavel {

namespace {

constexpr int BarHeight = 150;
constexpr int Neutral = 100;  // position (and gain) of 100 %

}  // namespace

TEqualizeForm::TEqualizeForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::Equalize, values, parent),
      StFrqEd(MakeSpin("from")),
      FnFrqEd(MakeSpin("to")),
      SetRangeBtn(MakeChild<QPushButton>(this)),
      StaticText1(MakeLabel("StaticText1")),
      StaticText3(MakeLabel("StaticText3")),
      StaticText5(MakeLabel("StaticText5")),
      Button2(MakeChild<QPushButton>(QStringLiteral("100 %"), this)),
      Button3(MakeChild<QPushButton>(QStringLiteral("0 %"), this)),
      Button4(MakeChild<QPushButton>(QStringLiteral("200 %"), this)),
      Label5_(MakeLabel("Label5")) {
    setObjectName("EqualizeForm");
    SetRangeBtn->setObjectName("SetRangeBtn");
    SetRangeBtn->setAutoDefault(false);
    Button2->setObjectName("Button2");
    Button3->setObjectName("Button3");
    Button4->setObjectName("Button4");

    QLabel* from = MakeLabel("Label4");
    from->setBuddy(StFrqEd);
    Label5_->setBuddy(FnFrqEd);
    auto* range = MakeChild<QHBoxLayout>();
    range->addWidget(from);
    range->addWidget(StFrqEd);
    range->addWidget(Label5_);
    range->addWidget(FnFrqEd);
    range->addWidget(MakeLabel("Label6"));
    range->addSpacing(12);
    range->addWidget(SetRangeBtn);
    range->addStretch();

    // The scale beside the bars: top, middle and bottom.
    auto* scale = MakeChild<QVBoxLayout>();
    scale->addWidget(MakeChild<QLabel>(QStringLiteral("200 %"), this), 0, Qt::AlignTop);
    scale->addStretch();
    scale->addWidget(MakeChild<QLabel>(QStringLiteral("100 %"), this));
    scale->addStretch();
    scale->addWidget(MakeChild<QLabel>(QStringLiteral("0 %"), this), 0, Qt::AlignBottom);
    auto* bars = MakeChild<QHBoxLayout>();
    const TRange gains = Parameter("gains").Range(Format());
    const auto& stored = Values_.Equalize.Gains;
    for (int i = 0; i < BandCount; ++i) {
        auto* bar = MakeChild<QSlider>(Qt::Vertical, this);
        bar->setObjectName(QStringLiteral("TrackBar%1").arg(i + 1));
        bar->setRange(static_cast<int>(gains.Min), static_cast<int>(gains.Max));
        // Position 0 is at the top, as the gain is 200 minus the position.
        bar->setInvertedAppearance(true);
        bar->setInvertedControls(true);
        bar->setTickPosition(QSlider::TicksBothSides);
        bar->setTickInterval(Neutral / 2);
        bar->setPageStep(Neutral / 10);
        bar->setMinimumHeight(BarHeight);
        bar->setValue(TopPosition() - stored.at(static_cast<std::size_t>(i)));
        bar->setToolTip(QStringLiteral("1 - 50 Гц"));
        connect(bar, &QSlider::valueChanged, this, &TEqualizeForm::UpdateGains);
        bars->addWidget(bar);
        TrackBars.at(static_cast<std::size_t>(i)) = bar;
    }
    auto* frequencies = MakeChild<QHBoxLayout>();
    frequencies->addWidget(StaticText1);
    frequencies->addStretch();
    frequencies->addWidget(StaticText3);
    frequencies->addStretch();
    frequencies->addWidget(StaticText5);
    auto* levels = MakeChild<QHBoxLayout>();
    for (QPushButton* button : {Button2, Button3, Button4}) {
        button->setAutoDefault(false);
        levels->addWidget(button);
    }
    levels->addStretch();

    Grid().addLayout(range, 0, 0, 1, 2);
    Grid().addLayout(scale, 1, 0);
    Grid().addLayout(bars, 1, 1);
    Grid().addLayout(frequencies, 2, 1);
    Grid().addLayout(levels, 3, 0, 1, 2);

    connect(SetRangeBtn, &QPushButton::clicked, this, &TEqualizeForm::SetRangeBtnClick);
    connect(Button2, &QPushButton::clicked, this, [this] { SetAllPositions(Neutral); });
    connect(Button3, &QPushButton::clicked, this, [this] { SetAllPositions(TopPosition()); });
    connect(Button4, &QPushButton::clicked, this, [this] { SetAllPositions(0); });

    UpdateGains();
    Finish("Button1");
    // Tab runs through the range, the bars from left to right, the level buttons and OK.
    QWidget* previous = SetRangeBtn;
    for (QWidget* next : TrackBars) {
        setTabOrder(previous, next);
        previous = next;
    }
    for (QWidget* next : {static_cast<QWidget*>(Button2), static_cast<QWidget*>(Button3),
                          static_cast<QWidget*>(Button4), static_cast<QWidget*>(OkButton_)}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

int TEqualizeForm::TopPosition() const {
    return static_cast<int>(Parameter("gains").Range(Format()).Max);
}

void TEqualizeForm::FormShow() {
    const int maxFrequency = MaxFrequency();
    // A start past the new top goes back to the bottom rather than to the top.
    int start = StFrqEd->value();
    if (start > maxFrequency - MinimumWidth) {
        start = 1;
    }
    SetRange(*StFrqEd, Parameter("from"), Format());
    StFrqEd->setValue(start);
    int end = FnFrqEd->value();
    if (end > maxFrequency || end < StFrqEd->value() + MinimumWidth) {
        end = maxFrequency;
    }
    SetRange(*FnFrqEd, Parameter("to"), Format());
    FnFrqEd->setValue(end);
    UpdateGains();
    UpdateLabels();
}

void TEqualizeForm::SetRangeBtnClick() {
    TakeTyped(*StFrqEd);
    TakeTyped(*FnFrqEd);
    if (FnFrqEd->value() - StFrqEd->value() < MinimumWidth) {
        StFrqEd->setValue(FnFrqEd->value() - MinimumWidth);
    }
    if (FnFrqEd->value() - StFrqEd->value() < MinimumWidth) {
        FnFrqEd->setValue(StFrqEd->value() + MinimumWidth);
    }
    UpdateLabels();
}

void TEqualizeForm::UpdateGains() {
    for (std::size_t i = 0; i < Gains.size(); ++i) {
        Gains.at(i) = static_cast<std::uint8_t>(TopPosition() - TrackBars.at(i)->value());
    }
}

void TEqualizeForm::UpdateLabels() {
    QString unit;
    if (Label5_->text() == QStringLiteral("до")) {
        unit = QStringLiteral(" Гц");
    }
    if (Label5_->text() == QStringLiteral("to")) {
        unit = QStringLiteral(" Hz");
    }
    const int start = StFrqEd->value();
    const int end = FnFrqEd->value();
    StaticText1->setText(QString::number(start) + unit);
    StaticText3->setText(QString::number((start + end) / 2) + unit);
    StaticText5->setText(QString::number(end) + unit);
    const double width = end - start;
    for (int a = 1; a <= BandCount; ++a) {
        const long lo = start + std::lrint((a - 1) * width / BandCount);
        const long hi = start + std::lrint(a * width / BandCount);
        TrackBars.at(static_cast<std::size_t>(a - 1))
            ->setToolTip(QStringLiteral("%1 - %2").arg(lo).arg(hi) + unit);
    }
}

void TEqualizeForm::SetAllPositions(int position) {
    for (QSlider* bar : TrackBars) {
        bar->setValue(position);
    }
}

void TEqualizeForm::StoreMore() {
    UpdateGains();
    Parameter("gains").Store(Values_, std::vector<std::int64_t>(Gains.begin(), Gains.end()));
}

}  // namespace sonavel
