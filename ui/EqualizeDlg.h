#pragma once

#include <array>
#include <cstdint>

#include "ui/ParameterForm.h"

class QPushButton;
class QSlider;
class QSpinBox;

namespace sonavel {

// The 16-band equaliser: the frequency range it works on and a vertical track bar per band,
// whose top is 200 % and bottom 0 %. The bands divide the range evenly; each bar's hint
// names its band.
class TEqualizeForm : public TParameterForm {
    Q_OBJECT
  public:
    static constexpr int BandCount = 16;
    static constexpr int MinimumWidth = 32;  // Hz: the narrowest range

    explicit TEqualizeForm(TDialogValues& values, QWidget* parent = nullptr);

    // The range follows the document; then the gains and the labels.
    void FormShow() override;
    // Makes the range at least 32 Hz wide and shows it on the labels and hints.
    void SetRangeBtnClick();

    // The gain of each band in percent, following the bars.
    std::array<std::uint8_t, BandCount> Gains{};

    QSpinBox* StFrqEd;
    QSpinBox* FnFrqEd;
    QPushButton* SetRangeBtn;
    std::array<QSlider*, BandCount> TrackBars{};
    QLabel* StaticText1;
    QLabel* StaticText3;
    QLabel* StaticText5;
    QPushButton* Button2;  // every band 100 %
    QPushButton* Button3;  // 0 %
    QPushButton* Button4;  // 200 %

  protected:
    void StoreMore() override;
    // The unit of the labels and band hints follows the language at once, not at the next show.
    void LanguageChanged() override { UpdateLabels(); }

  private:
    void UpdateGains();
    void UpdateLabels();
    void SetAllPositions(int position);
    int TopPosition() const;

    QLabel* Label5_;
};

}  // namespace sonavel
