#include "ui/ProcessDlg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include "app/Language.h"
#include "core/Progress.h"

namespace sonavel {

namespace {

constexpr int ClientWidth = 392;
constexpr int ClientHeight = 56;
const QColor Cream(255, 251, 240);
const QColor Maroon(128, 0, 0);
constexpr int GaugeLeft = 12;
constexpr int GaugeTop = 30;
constexpr int GaugeHeight = 16;
constexpr int CancelWidth = 76;

}  // namespace

TProcessForm::TProcessForm(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint),
      MainWindow_(mainWindow),
      ProcessName_(new QLabel(this)),
      Gauge_(new QProgressBar(this)),
      SpeedButton1_(new QToolButton(this)),
      CancelBtn_(new QPushButton(this)) {
    setObjectName("ProcessForm");
    setFixedSize(ClientWidth, ClientHeight);
    setModal(true);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Cream);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);

    QFont font("Arial");
    font.setBold(true);
    ProcessName_->setObjectName("ProcessName");
    ProcessName_->setFont(font);
    ProcessName_->setGeometry(12, 6, ClientWidth - 48, 18);

    Gauge_->setObjectName("Gauge");
    Gauge_->setRange(0, 1000);
    Gauge_->setValue(0);
    Gauge_->setTextVisible(false);
    Gauge_->setGeometry(GaugeLeft, GaugeTop, ClientWidth - 2 * GaugeLeft, GaugeHeight);
    Gauge_->setStyleSheet(
        "QProgressBar { border: 1px solid #808080; background: white; }"
        "QProgressBar::chunk { background: #800000; }");
    palette = Gauge_->palette();
    palette.setColor(QPalette::Highlight, Maroon);
    Gauge_->setPalette(palette);

    SpeedButton1_->setObjectName("SpeedButton1");
    SpeedButton1_->setText(QStringLiteral("_"));
    SpeedButton1_->setAutoRaise(true);
    SpeedButton1_->setGeometry(ClientWidth - 24, 3, 20, 18);
    SpeedButton1_->setFocusPolicy(Qt::NoFocus);
    connect(SpeedButton1_, &QToolButton::clicked, this, [this] {
        if (MainWindow_ != nullptr) {
            MainWindow_->showMinimized();
        }
    });

    CancelBtn_->setObjectName("CancelBtn");
    CancelBtn_->setGeometry(ClientWidth - GaugeLeft - CancelWidth, GaugeTop - 4, CancelWidth,
                            GaugeHeight + 8);
    CancelBtn_->setAutoDefault(false);
    CancelBtn_->hide();
    SetLanguage(English);
    connect(CancelBtn_, &QPushButton::clicked, this, &TProcessForm::Cancel);
}

void TProcessForm::Begin(const QString& caption, bool cancellable) {
    Finished_ = false;
    Cancellable_ = cancellable;
    CancelBtn_->setVisible(cancellable);
    CancelBtn_->setEnabled(cancellable);
    // The gauge makes room for the button.
    const int gaugeWidth = ClientWidth - 2 * GaugeLeft - (cancellable ? CancelWidth + 8 : 0);
    Gauge_->setGeometry(GaugeLeft, GaugeTop, gaugeWidth, GaugeHeight);
    SetCaption(caption);
}

void TProcessForm::SetLanguage(const std::string& language) {
    const std::string text = Pick(language, "Отмена", "Cancel");
    if (!text.empty()) {
        CancelBtn_->setText(QString::fromStdString(text));
    }
}

void TProcessForm::Cancel() {
    if (Finished_ || !Cancellable_) {
        return;
    }
    RequestCancel();
    // Pressed once is enough; the window closes when the work has stopped.
    CancelBtn_->setEnabled(false);
}

bool TProcessForm::CancelVisible() const {
    return Cancellable_ && !CancelBtn_->isHidden();
}

void TProcessForm::SetCaption(const QString& caption) {
    ProcessName_->setText(caption);
}

QString TProcessForm::Caption() const {
    return ProcessName_->text();
}

void TProcessForm::SetProgress(int position) {
    Gauge_->setValue(std::clamp(position, 0, 1000));
}

int TProcessForm::Progress() const {
    return Gauge_->value();
}

void TProcessForm::ExecUntilFinished() {
    if (Finished_) {
        return;
    }
    setWindowModality(Qt::ApplicationModal);
    InExec_ = true;
    exec();
    InExec_ = false;
}

void TProcessForm::ShowModeless() {
    if (Finished_) {
        return;
    }
    setWindowModality(Qt::ApplicationModal);
    show();
}

void TProcessForm::Finish() {
    Finished_ = true;
    if (InExec_) {
        done(QDialog::Accepted);
    } else {
        hide();
    }
}

void TProcessForm::reject() {
    if (Finished_) {
        QDialog::reject();
        return;
    }
    Cancel();
}

void TProcessForm::closeEvent(QCloseEvent* event) {
    if (Finished_) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

void TProcessForm::showEvent(QShowEvent* event) {
    if (MainWindow_ != nullptr) {
        const QRect main = MainWindow_->frameGeometry();
        move(main.left() + (main.width() - width()) / 2,
             main.top() + (main.height() - height()) / 2);
    }
    QDialog::showEvent(event);
}

void TProcessForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace sonavel
