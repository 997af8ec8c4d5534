#include "ui/ConnectFilesDlg.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPolygonF>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/FileListTexts.h"
#include "ui/VectorIconEngine.h"

namespace sonavel {

namespace {

// A navy arrow head pointing up or down.
class TArrowIcon : public TVectorIconEngine {
  public:
    explicit TArrowIcon(bool up) : Up_(up) {}
    QIconEngine* clone() const override { return new TArrowIcon(Up_); }  // NOLINT: Qt owns it

  protected:
    void Draw(QPainter& p) const override {
        p.setPen(Qt::NoPen);
        p.setBrush(Disabled() ? QColor(160, 160, 160) : QColor(0, 0, 128));
        const qreal tip = Up_ ? 3 : 13;
        const qreal base = Up_ ? 11 : 5;
        p.drawPolygon(QPolygonF({{8, tip}, {14, base}, {2, base}}));
    }

  private:
    bool Up_;
};

QToolButton* ArrowButton(bool up, const char* name, QWidget* parent, const QToolButton* like) {
    auto* button = new QToolButton(parent);  // NOLINT(cppcoreguidelines-owning-memory): Qt parent
    button->setObjectName(name);
    button->setIcon(QIcon(new TArrowIcon(up)));  // NOLINT(cppcoreguidelines-owning-memory)
    button->setIconSize(like->iconSize());
    button->setAutoRaise(true);
    // As large as the delete button beside them.
    button->setFixedSize(like->size());
    return button;
}

}  // namespace

TConnectFilesForm::TConnectFilesForm(TDialogValues& values, QWidget* parent)
    : TFileListForm(TOperation::ConnectFiles, values, &ConnectFilesTexts, ConnectFilesOk, parent),
      UpButton(ArrowButton(true, "UpButton", GroupBox2, DelButton)),
      DownButton(ArrowButton(false, "DownButton", GroupBox2, DelButton)) {
    setObjectName("ConnectFilesForm");
    ButtonColumn().insertWidget(0, UpButton);
    ButtonColumn().insertWidget(1, DownButton);
    // The buttons are reached from the list in the order they stand.
    setTabOrder(ListBox, UpButton);
    setTabOrder(UpButton, DownButton);
    setTabOrder(DownButton, DelButton);
    connect(UpButton, &QToolButton::clicked, this, &TConnectFilesForm::UpButtonClick);
    connect(DownButton, &QToolButton::clicked, this, &TConnectFilesForm::DownButtonClick);
}

void TConnectFilesForm::UpButtonClick() {
    if (EditOrder().MoveUp()) {
        ShowOrder();
    }
}

void TConnectFilesForm::DownButtonClick() {
    if (EditOrder().MoveDown()) {
        ShowOrder();
    }
}

}  // namespace sonavel
