#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace sonavel {

// The progress window: a borderless cream window with the operation's name and a gauge of
// 0..1000, centred on the main window. It closes when the work behind it reports that it has
// finished, also when that report arrives before the window is shown. Work that can be
// cancelled gets a cancel button, which Escape presses too; the work then stops at its next
// step and reports its end as usual.
class TProcessForm : public QDialog {
    Q_OBJECT
  public:
    explicit TProcessForm(QWidget* mainWindow);

    // Prepares a run: the caption, and the window is open until Finish. Only a cancellable
    // run shows the cancel button.
    void Begin(const QString& caption, bool cancellable = false);
    // The cancel button's text in the language ("RUS"/"ENG").
    void SetLanguage(const std::string& language);
    // Asks the work to stop (the cancel button and Escape); nothing for a run that cannot be
    // cancelled.
    void Cancel();
    bool CancelVisible() const;
    void SetCaption(const QString& caption);
    QString Caption() const;
    // The gauge keeps the last value it was given.
    void SetProgress(int position);
    int Progress() const;

    // Shows the window modally until Finish; returns at once when Finish came first.
    void ExecUntilFinished();
    // Shows the window while the main window stays blocked, without waiting.
    void ShowModeless();
    // The work is done: the window closes (or will not open).
    void Finish();
    bool Finished() const { return Finished_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  public slots:
    // Escape cancels a cancellable run; neither it nor the window manager closes the window.
    void reject() override;

  private:
    QWidget* MainWindow_;
    QLabel* ProcessName_;
    QProgressBar* Gauge_;
    QToolButton* SpeedButton1_;
    QPushButton* CancelBtn_;
    bool Finished_ = true;
    bool Cancellable_ = false;
    bool InExec_ = false;
};

}  // namespace sonavel
