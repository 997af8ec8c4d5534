#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace sonavel {

class TLinkLabel;
class TPrompts;

// The program's name and version, its web site and support address.
class TAboutForm : public QDialog {
    Q_OBJECT
  public:
    TAboutForm(TPrompts& prompts, QWidget* parent = nullptr);

    void SetLanguage(const std::string& language);
    // Opens the web site / writes to the support address.
    void Label2Click();
    void Label3Click();

    QLabel* Label1;
    TLinkLabel* Label2;
    TLinkLabel* Label3;
    QLabel* Label4;
    QPushButton* BitBtn1;

  private:
    TPrompts& Prompts_;
};

// The version of this program, "1.4".
const char* ProgramVersion();

}  // namespace sonavel
