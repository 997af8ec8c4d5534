#include "ui/ConnectFilesDlg.h"

#include <QGroupBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/FileListTexts.h"

namespace sonavel {

namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);  // NOLINT(cppcoreguidelines-owning-memory): Qt parent
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setIconSize(QSize(20, 20));
    return button;
}

}  // namespace

TConnectFilesForm::TConnectFilesForm(TDialogValues& values, QWidget* parent)
    : TFileListForm(TOperation::ConnectFiles, values, &ConnectFilesTexts, ConnectFilesOk, parent),
      UpButton(ArrowButton(Qt::UpArrow, "UpButton", GroupBox2)),
      DownButton(ArrowButton(Qt::DownArrow, "DownButton", GroupBox2)) {
    setObjectName("ConnectFilesForm");
    ButtonColumn().insertWidget(0, UpButton);
    ButtonColumn().insertWidget(1, DownButton);
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
