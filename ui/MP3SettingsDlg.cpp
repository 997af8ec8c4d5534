#include "ui/MP3SettingsDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "formats/MP3Utils.h"
#include "ui/MainTexts.h"
#include "ui/MakeChild.h"
#include "ui/OkCancelRow.h"

namespace sonavel {

namespace {

constexpr int DefaultBitrateItem = 9;
constexpr int StandardQualityItem = 4;
constexpr int QualityLevels = 10;

}  // namespace

TMP3SettingsForm::TMP3SettingsForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      StereoModeBox(MakeChild<QComboBox>(this)),
      ByteRateTypeBox(MakeChild<QComboBox>(this)),
      ByteRateBox(MakeChild<QComboBox>(this)),
      BitBtn1(MakeChild<QPushButton>(QStringLiteral("OK"), this)),
      BitBtn2(MakeChild<QPushButton>(this)),
      Label1_(MakeChild<QLabel>(this)),
      Label2_(MakeChild<QLabel>(this)),
      Label3_(MakeChild<QLabel>(this)) {
    setObjectName("MP3SettingsForm");
    StereoModeBox->setObjectName("StereoModeBox");
    ByteRateTypeBox->setObjectName("ByteRateTypeBox");
    ByteRateBox->setObjectName("ByteRateBox");
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2->setObjectName("BitBtn2");
    Label1_->setObjectName("Label1");
    Label2_->setObjectName("Label2");
    Label3_->setObjectName("Label3");

    for (const std::string_view mode : StereoModeTexts) {
        StereoModeBox->addItem(QString::fromUtf8(mode.data(), static_cast<qsizetype>(mode.size())));
    }
    StereoModeBox->setCurrentIndex(static_cast<int>(TStereoMode::JointStereo));
    ByteRateBox->setMaxVisibleItems(16);

    auto* grid = MakeChild<QGridLayout>();
    grid->addWidget(Label1_, 0, 0);
    grid->addWidget(StereoModeBox, 0, 1);
    grid->addWidget(Label2_, 1, 0);
    grid->addWidget(ByteRateTypeBox, 1, 1);
    grid->addWidget(Label3_, 2, 0);
    grid->addWidget(ByteRateBox, 2, 1);
    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->addLayout(grid);
    layout->addLayout(OkCancelRow(this, BitBtn1, BitBtn2));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ByteRateBox->setMinimumContentsLength(24);

    connect(ByteRateTypeBox, &QComboBox::currentIndexChanged, this,
            &TMP3SettingsForm::ByteRateTypeBoxChange);

    // The form is laid out with the Russian texts and preselects the default bit rate.
    SetLanguage("RUS");
    FillBitrates();
    ByteRateBox->setCurrentIndex(DefaultBitrateItem);
}

void TMP3SettingsForm::SetLanguage(const std::string& language) {
    const TMp3SettingsTexts* t = Mp3SettingsTexts(language);
    if (t == nullptr) {
        return;
    }
    setWindowTitle(QString::fromUtf8(t->Caption));
    Label1_->setText(QString::fromUtf8(t->Label1));
    Label2_->setText(QString::fromUtf8(t->Label2));
    Label3_->setText(QString::fromUtf8(t->Label3));
    BitBtn2->setText(QString::fromUtf8(t->BitBtn2));
    // The list's items change language; its selection stays.
    const QSignalBlocker quiet(ByteRateTypeBox);
    const int selected = std::max(ByteRateTypeBox->currentIndex(), 0);
    ByteRateTypeBox->clear();
    ByteRateTypeBox->addItem(QString::fromUtf8(t->Constant));
    ByteRateTypeBox->addItem(QString::fromUtf8(t->Variable));
    ByteRateTypeBox->setCurrentIndex(selected);
}

void TMP3SettingsForm::FillBitrates() {
    const int selected = ByteRateBox->currentIndex();
    const QSignalBlocker quiet(ByteRateBox);
    ByteRateBox->clear();
    if (ByteRateTypeBox->currentIndex() == static_cast<int>(TBitrateType::Variable)) {
        // The quality texts follow the dialog's own language, as its Cancel button shows it.
        const QString cancel = BitBtn2->text();
        const TMp3SettingsTexts* t = nullptr;
        if (cancel == QStringLiteral("Отмена")) {
            t = Mp3SettingsTexts("RUS");
        }
        if (cancel == QStringLiteral("Cancel")) {
            t = Mp3SettingsTexts("ENG");
        }
        for (int level = 0; level < QualityLevels; ++level) {
            QString item = QString::number(level);
            if (t != nullptr && level == 0) {
                item += QString::fromUtf8(t->BestQuality);
            }
            if (t != nullptr && level == StandardQualityItem) {
                item += QString::fromUtf8(t->StandardQuality);
            }
            if (t != nullptr && level == QualityLevels - 1) {
                item += QString::fromUtf8(t->PoorQuality);
            }
            ByteRateBox->addItem(item);
        }
    } else {
        for (const std::uint16_t rate : ConstantBitrates(SampleRate)) {
            ByteRateBox->addItem(QString::number(rate));
        }
    }
    ByteRateBox->setCurrentIndex(std::min(selected, ByteRateBox->count() - 1));
}

void TMP3SettingsForm::ByteRateTypeBoxChange() {
    FillBitrates();
    if (ByteRateTypeBox->currentIndex() == static_cast<int>(TBitrateType::Variable)) {
        ByteRateBox->setCurrentIndex(StandardQualityItem);
    }
}

TMp3Settings TMP3SettingsForm::Settings() const {
    TMp3Settings settings;
    settings.StereoMode = static_cast<TStereoMode>(std::max(StereoModeBox->currentIndex(), 0));
    const int item = std::max(ByteRateBox->currentIndex(), 0);
    if (ByteRateTypeBox->currentIndex() == static_cast<int>(TBitrateType::Variable)) {
        settings.BitrateType = TBitrateType::Variable;
        settings.Quality = static_cast<std::uint8_t>(item);
    } else {
        settings.BitrateType = TBitrateType::Constant;
        const auto& rates = ConstantBitrates(SampleRate);
        settings.Bitrate =
            rates.at(std::min<std::size_t>(static_cast<std::size_t>(item), rates.size() - 1));
    }
    return settings;
}

void TMP3SettingsForm::showEvent(QShowEvent* event) {
    FillBitrates();
    QDialog::showEvent(event);
}

}  // namespace sonavel
