#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "formats/Mp3Writer.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace sonavel {

// The MP3 settings dialog: stereo mode, bit-rate type and bit rate (or quality level). The
// saving command gives it the document's sample rate before showing it.
class TMP3SettingsForm : public QDialog {
    Q_OBJECT
  public:
    explicit TMP3SettingsForm(QWidget* parent = nullptr);

    void SetLanguage(const std::string& language);
    // Fills the bit-rate list for SampleRate and the bit-rate type, keeping its selection.
    void FillBitrates();
    // What the dialog shows, for the writer.
    TMp3Settings Settings() const;

    std::uint32_t SampleRate = 44100;

    QComboBox* StereoModeBox;
    QComboBox* ByteRateTypeBox;
    QComboBox* ByteRateBox;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ByteRateTypeBoxChange();

    QLabel* Label1_;
    QLabel* Label2_;
    QLabel* Label3_;
};

}  // namespace sonavel
