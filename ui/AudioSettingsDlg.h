#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace sonavel {

class TAudioSystem;
class TPrompts;

// A program that shows the desktop's sound settings, with its arguments.
struct TMixerProgram {
    QString Program;
    QStringList Arguments;
};

// The first sound settings program installed on the PATH, opened at its output or its input
// devices; none when there is none.
std::optional<TMixerProgram> FindMixer(bool recording);

// The audio device settings: the playback and the recording device by number, and two buttons
// that start the desktop's sound settings program.
class TAudioSettingsForm : public QDialog {
    Q_OBJECT
  public:
    TAudioSettingsForm(TPrompts& prompts, QWidget* parent = nullptr);

    void SetLanguage(const std::string& language);
    // Fills both lists with the devices in number order and selects the given numbers.
    void FormShow(TAudioSystem& devices, int playDevice, int recordDevice);
    void SpeedButton1Click();
    void SpeedButton2Click();

    QComboBox* PlayDevBox;
    QComboBox* RecordDevBox;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

  private:
    void StartMixer(bool recording);
    void Fill(QComboBox& box, const std::vector<std::string>& names, int selected);

    TPrompts& Prompts_;
    std::string Language_ = "RUS";
    QLabel* Label1_;
    QLabel* Label2_;
};

}  // namespace sonavel
