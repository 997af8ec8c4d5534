#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace sonavel {

struct TNewProjectValues;

// The new-project dialog: channel count, sample rate and bit resolution. It keeps its values
// between uses; OK stores them in its result fields and in the workspace's dialog record.
class TNewProjectForm : public QDialog {
    Q_OBJECT
  public:
    TNewProjectForm(TNewProjectValues& values, QWidget* parent = nullptr);

    void SetLanguage(const std::string& language);

    // The result of the last OK.
    std::int32_t ChannelCount = 2;
    std::int32_t SampleRate = 44100;
    std::uint16_t BitsPerSample = 16;

    QSpinBox* nChannelsEdit;
    QComboBox* SamplesPerSecCB;
    QComboBox* nBitsCB;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

  public slots:
    void accept() override;

  private:
    TNewProjectValues& Values_;
    QLabel* Label1_;
    QLabel* Label2_;
    QLabel* Label3_;
    QLabel* Label4_;
    QLabel* Label5_;
};

// The sample rates every rate list offers.
inline constexpr std::array<const char*, 10> SampleRateItems{
    "8000", "11025", "22050", "32000", "44100", "48000", "64000", "88200", "96000", "192000"};
inline constexpr std::array<const char*, 4> BitsItems{"8", "16", "24", "32"};

}  // namespace sonavel
