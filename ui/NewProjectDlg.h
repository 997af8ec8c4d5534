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

struct TDialogValues;

// The new-project dialog: channel count, sample rate and bit resolution. It keeps its values
// between uses; OK stores them in its result fields and in the workspace's dialog record.
class TNewProjectForm : public QDialog {
    Q_OBJECT
  public:
    TNewProjectForm(TDialogValues& values, QWidget* parent = nullptr);

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
    TDialogValues& Values_;
    QLabel* Label1_;
    QLabel* Label2_;
    QLabel* Label3_;
    QLabel* Label4_;
    QLabel* Label5_;
};

}  // namespace sonavel
