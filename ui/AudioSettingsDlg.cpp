#include "ui/AudioSettingsDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

#include "app/Language.h"
#include "platform/AudioDevice.h"
#include "ui/MakeChild.h"
#include "ui/OkCancelRow.h"
#include "ui/Prompts.h"
#include "ui/SettingsTexts.h"

namespace sonavel {

namespace {

// The sound settings programs of the common desktops, the most helpful first; each with the
// arguments that open it at the output and at the input devices.
struct TMixerCandidate {
    const char* Program;
    std::array<const char*, 3> Play;  // empty entries end the list
    std::array<const char*, 3> Record;
};

constexpr std::array MixerCandidates{
    TMixerCandidate{"pavucontrol", {"--tab=3"}, {"--tab=4"}},
    TMixerCandidate{"pavucontrol-qt", {"--tab=3"}, {"--tab=4"}},
    TMixerCandidate{"gnome-control-center", {"sound"}, {"sound"}},
    TMixerCandidate{
        "x-terminal-emulator", {"-e", "alsamixer", "-Vplayback"}, {"-e", "alsamixer", "-Vcapture"}},
};

QStringList Arguments(const std::array<const char*, 3>& list) {
    QStringList arguments;
    for (const char* argument : list) {
        if (argument != nullptr) {
            arguments << QString::fromLatin1(argument);
        }
    }
    return arguments;
}

}  // namespace

std::optional<TMixerProgram> FindMixer(bool recording) {
    for (const TMixerCandidate& candidate : MixerCandidates) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(candidate.Program));
        if (path.isEmpty()) {
            continue;
        }
        // A terminal is only of use when the mixer it is to run exists too.
        if (QString::fromLatin1(candidate.Program) == QStringLiteral("x-terminal-emulator") &&
            QStandardPaths::findExecutable(QStringLiteral("alsamixer")).isEmpty()) {
            continue;
        }
        return TMixerProgram{path, Arguments(recording ? candidate.Record : candidate.Play)};
    }
    return std::nullopt;
}

TAudioSettingsForm::TAudioSettingsForm(TPrompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      PlayDevBox(MakeChild<QComboBox>(this)),
      RecordDevBox(MakeChild<QComboBox>(this)),
      SpeedButton1(MakeChild<QToolButton>(this)),
      SpeedButton2(MakeChild<QToolButton>(this)),
      BitBtn1(MakeChild<QPushButton>(QStringLiteral("OK"), this)),
      BitBtn2(MakeChild<QPushButton>(this)),
      Prompts_(prompts),
      Label1_(MakeChild<QLabel>(this)),
      Label2_(MakeChild<QLabel>(this)) {
    setObjectName("AudioSettingsForm");
    PlayDevBox->setObjectName("PlayDevBox");
    RecordDevBox->setObjectName("RecordDevBox");
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton2->setObjectName("SpeedButton2");
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2->setObjectName("BitBtn2");
    Label1_->setObjectName("Label1");
    Label2_->setObjectName("Label2");

    PlayDevBox->setMinimumWidth(320);
    RecordDevBox->setMinimumWidth(320);
    for (QToolButton* button : {SpeedButton1, SpeedButton2}) {
        button->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
        button->setAutoRaise(true);
    }

    auto* grid = MakeChild<QGridLayout>();
    grid->addWidget(Label1_, 0, 0, 1, 2);
    grid->addWidget(PlayDevBox, 1, 0);
    grid->addWidget(SpeedButton1, 1, 1);
    grid->addWidget(Label2_, 2, 0, 1, 2);
    grid->addWidget(RecordDevBox, 3, 0);
    grid->addWidget(SpeedButton2, 3, 1);
    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->addLayout(grid);
    layout->addLayout(OkCancelRow(this, BitBtn1, BitBtn2));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(SpeedButton1, &QToolButton::clicked, this, &TAudioSettingsForm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TAudioSettingsForm::SpeedButton2Click);

    SetLanguage(Russian);
}

void TAudioSettingsForm::SetLanguage(const std::string& language) {
    const TAudioSettingsTexts* t = AudioSettingsTexts(language);
    if (t == nullptr) {
        return;
    }
    Language_ = language;
    setWindowTitle(QString::fromUtf8(t->Caption));
    Label1_->setText(QString::fromUtf8(t->Label1));
    Label2_->setText(QString::fromUtf8(t->Label2));
    BitBtn2->setText(QString::fromUtf8(t->BitBtn2));
    SpeedButton1->setToolTip(QString::fromUtf8(t->MixerHint));
    SpeedButton2->setToolTip(QString::fromUtf8(t->MixerHint));
    for (QComboBox* box : {PlayDevBox, RecordDevBox}) {
        if (box->count() == 0) {
            box->setPlaceholderText(QString::fromUtf8(t->NoDevice));
        }
    }
}

void TAudioSettingsForm::Fill(QComboBox& box, const std::vector<std::string>& names, int selected) {
    box.clear();
    for (const std::string& name : names) {
        box.addItem(QString::fromStdString(name));
    }
    const TAudioSettingsTexts* t = AudioSettingsTexts(Language_);
    // A list without devices says so; a number beyond the list selects nothing.
    box.setPlaceholderText(names.empty() && t != nullptr ? QString::fromUtf8(t->NoDevice)
                                                         : QString());
    box.setCurrentIndex(selected >= 0 && selected < box.count() ? selected : -1);
}

void TAudioSettingsForm::FormShow(TAudioSystem& devices, int playDevice, int recordDevice) {
    Fill(*PlayDevBox, devices.OutputDeviceNames(), playDevice);
    Fill(*RecordDevBox, devices.InputDeviceNames(), recordDevice);
}

void TAudioSettingsForm::SpeedButton1Click() {
    StartMixer(false);
}

void TAudioSettingsForm::SpeedButton2Click() {
    StartMixer(true);
}

void TAudioSettingsForm::StartMixer(bool recording) {
    const TAudioSettingsTexts* t = AudioSettingsTexts(Language_);
    const std::optional<TMixerProgram> mixer = FindMixer(recording);
    if (!mixer) {
        Prompts_.Inform(this, windowTitle(), QString::fromUtf8(t->NoMixer));
        return;
    }
    if (!Prompts_.StartProgram(mixer->Program, mixer->Arguments)) {
        Prompts_.Inform(this, windowTitle(), QString::fromUtf8(t->MixerFailed) + mixer->Program);
    }
}

}  // namespace sonavel
