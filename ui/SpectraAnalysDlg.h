#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "spectra/Complex.h"

class QComboBox;
class QImage;
class QLabel;
class QPushButton;

namespace sonavel {

struct TDialogValues;
class TPaintBox;

// The spectrum window: the averaged spectrum of the last analysis as a green line over a
// grid, with a percent axis at its right and a frequency axis below, and the FFT size for
// the next analysis. "Analyse" closes it with OK, so that the command analyses again.
class TSpectraAnalysForm : public QDialog {
    Q_OBJECT
  public:
    // spectrumData is the analysis result the window shows; it is read only while painting.
    TSpectraAnalysForm(TDialogValues& values, const std::vector<TComplex>& spectrumData,
                       QWidget* parent = nullptr);

    void SetLanguage(const std::string& language);

    // The highest frequency of the analysed document: its rate div 2.
    std::uint32_t MaxFrequency = 22050;

    QWidget* ClientPanel;
    TPaintBox* SpectraPBox;
    TPaintBox* RightPBox;
    TPaintBox* DownPBox;
    QWidget* BottomPanel;
    QLabel* Label1;
    QComboBox* FFTSizeBox;
    QPushButton* OkButton;

    void SpectraPBoxPaint(QImage& image) const;
    void RightPBoxPaint(QImage& image) const;
    void DownPBoxPaint(QImage& image) const;
    void FormResize();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    TDialogValues& Values_;
    const std::vector<TComplex>& SpectrumData_;
};

}  // namespace sonavel
