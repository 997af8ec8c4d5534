#pragma once

#include <QDialog>
#include <string>

class QTextBrowser;

namespace sonavel {

// The help pages inside the program, for a desktop where no browser can be started.
class THelpForm : public QDialog {
    Q_OBJECT
  public:
    explicit THelpForm(QWidget* parent = nullptr);

    void SetLanguage(const std::string& language);
    // Shows a page of the written help files, without making the window modal.
    void ShowPage(const QString& path);

    QTextBrowser* HelpBrowser;
};

}  // namespace sonavel
