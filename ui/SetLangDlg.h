#pragma once

#include <QDialog>
#include <string>

class QPushButton;

namespace sonavel {

// The language window of the first start: a borderless frame with "Russian" and "English ".
// Either button closes it with OK; it cannot be closed otherwise.
class TSetLangForm : public QDialog {
    Q_OBJECT
  public:
    explicit TSetLangForm(QWidget* mainWindow = nullptr);

    std::string Language;  // "RUS" or "ENG" once a button was pressed

    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

  public slots:
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* MainWindow_;
};

}  // namespace sonavel
