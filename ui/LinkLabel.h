#pragma once

#include <QLabel>

namespace sonavel {

// A text that answers a click, with a hand cursor: the About and version windows' addresses.
class TLinkLabel : public QLabel {
    Q_OBJECT
  public:
    explicit TLinkLabel(QWidget* parent = nullptr);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace sonavel
