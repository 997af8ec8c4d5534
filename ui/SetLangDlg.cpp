#include "ui/SetLangDlg.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/MainTexts.h"
#include "ui/MakeChild.h"

namespace sonavel {

TSetLangForm::TSetLangForm(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint),
      BitBtn1(MakeChild<QPushButton>(QString::fromUtf8(SetLangRussian), this)),
      BitBtn2(MakeChild<QPushButton>(QString::fromUtf8(SetLangEnglish), this)),
      MainWindow_(mainWindow) {
    setObjectName("SetLangForm");
    setFixedSize(127, 117);
    auto* label = MakeChild<QLabel>(QString::fromUtf8(SetLangLabel), this);
    label->setObjectName("Label1");
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(8, 10, 111, 20);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2->setObjectName("BitBtn2");
    BitBtn1->setGeometry(16, 40, 95, 28);
    BitBtn2->setGeometry(16, 76, 95, 28);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        Language = "RUS";
        accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, [this] {
        Language = "ENG";
        accept();
    });
}

void TSetLangForm::reject() {
    // Only the two buttons answer.
}

void TSetLangForm::showEvent(QShowEvent* event) {
    if (MainWindow_ != nullptr) {
        const QRect main = MainWindow_->frameGeometry();
        move(main.left() + (main.width() - width()) / 2,
             main.top() + (main.height() - height()) / 2);
    }
    QDialog::showEvent(event);
}

void TSetLangForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace sonavel
