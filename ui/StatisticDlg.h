#pragma once

#include <QDialog>
#include <string>

#include "app/Workspace.h"

class QListWidget;

namespace sonavel {

// The statistics window: nine lines about the analysed fragment, in the language its
// caption speaks.
class TStatisticForm : public QDialog {
    Q_OBJECT
  public:
    explicit TStatisticForm(QWidget* parent = nullptr);

    void SetLanguage(const std::string& language);
    // Lists the lines of Statistics.
    void FormShow();

    // The last analysis; kept until the next one.
    TStatistics Statistics;
    QListWidget* ListBox;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace sonavel
