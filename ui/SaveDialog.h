#pragma once

#include <QFileDialog>

namespace sonavel {

// The save dialog: the types "PCM (*.wav)" (1) and "MPEG Layer 3 (*.mp3)" (2), a prompt before
// overwriting, and a typed name that follows the chosen type at once (song.wav becomes
// song.mp3 when MPEG Layer 3 is chosen).
class TSaveDialog : public QFileDialog {
    Q_OBJECT
  public:
    explicit TSaveDialog(QWidget* parent = nullptr);

    // 1 for PCM, 2 for MP3.
    int FilterIndex() const;
    void SetFilterIndex(int index);
    // The name typed in the dialog's name field.
    QString TypedName() const;
    void SetTypedName(const QString& name);

  public slots:
    // The file type was changed to the filter with this 0-based index.
    void SaveDialogTypeChange(int filterIndex);
};

}  // namespace sonavel
