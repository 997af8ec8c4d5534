#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QToolButton;

namespace sonavel {

// The progress window: a borderless cream window with the operation's name and a gauge of
// 0..1000, centred on the main window. There is no cancel: it closes when the work behind it
// reports that it has finished, also when that report arrives before the window is shown.
class TProcessForm : public QDialog {
    Q_OBJECT
  public:
    explicit TProcessForm(QWidget* mainWindow);

    // Prepares a run: the caption, and the window is open until Finish.
    void Begin(const QString& caption);
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
    // Neither Escape nor the window manager can end an operation.
    void reject() override;

  private:
    QWidget* MainWindow_;
    QLabel* ProcessName_;
    QProgressBar* Gauge_;
    QToolButton* SpeedButton1_;
    bool Finished_ = true;
    bool InExec_ = false;
};

}  // namespace sonavel
