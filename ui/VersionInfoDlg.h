#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace sonavel {

class TLinkLabel;
class TPrompts;

// What the new-version command shows: the running version, the libraries it runs with and
// where newer releases are published. The program itself never asks the network.
class TVersionInfoForm : public QDialog {
    Q_OBJECT
  public:
    TVersionInfoForm(TPrompts& prompts, QWidget* parent = nullptr);

    void SetLanguage(const std::string& language);
    // Opens the releases page.
    void UrlLabelClick();

    QLabel* InfoLabel;
    TLinkLabel* UrlLabel;

  private:
    TPrompts& Prompts_;
};

}  // namespace sonavel
