#include "ui/SpectraAnalysDlg.h"

#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/OperationTable.h"
#include "app/SpectrumView.h"
#include "ui/AnalysisTexts.h"
#include "ui/MakeChild.h"
#include "ui/PaintBox.h"
#include "ui/ParameterControls.h"
#include "ui/WaveRaster.h"

namespace sonavel {

namespace {

constexpr int MinimumWidth = 600;
constexpr int MinimumHeight = 400;
constexpr int BottomHeight = 41;
constexpr int Margin = 10;
const QColor Grey(128, 128, 128);
const QColor LineGreen(0, 128, 0);

const TParameter& FFTSizeParameter() {
    return Info(TOperation::FreqAnalys).Parameters[0];
}

QSize LogicalSize(const QImage& image) {
    const qreal ratio = image.devicePixelRatio();
    return {static_cast<int>(std::lround(image.width() / ratio)),
            static_cast<int>(std::lround(image.height() / ratio))};
}

QFont AxisFont(int height) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(height);
    return font;
}

int TextWidth(const QFont& font, const char* text) {
    return QFontMetrics(font).horizontalAdvance(QString::fromUtf8(text));
}

// Text whose top left corner is at (x, y), as a canvas writes it.
void TextOut(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

}  // namespace

TSpectraAnalysForm::TSpectraAnalysForm(TDialogValues& values,
                                       const std::vector<TComplex>& spectrumData, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMaximizeButtonHint),
      ClientPanel(MakeChild<QWidget>(this)),
      SpectraPBox(MakeChild<TPaintBox>([this](QImage& image) { SpectraPBoxPaint(image); },
                                       Qt::black, ClientPanel)),
      RightPBox(MakeChild<TPaintBox>([this](QImage& image) { RightPBoxPaint(image); }, Grey,
                                     ClientPanel)),
      DownPBox(
          MakeChild<TPaintBox>([this](QImage& image) { DownPBoxPaint(image); }, Grey, ClientPanel)),
      BottomPanel(MakeChild<QWidget>(this)),
      Label1(MakeChild<QLabel>(BottomPanel)),
      FFTSizeBox(MakeChild<QComboBox>(BottomPanel)),
      OkButton(MakeChild<QPushButton>(BottomPanel)),
      Values_(values),
      SpectrumData_(spectrumData) {
    setObjectName("SpectraAnalysForm");
    ClientPanel->setObjectName("ClientPanel");
    SpectraPBox->setObjectName("SpectraPBox");
    RightPBox->setObjectName("RightPBox");
    DownPBox->setObjectName("DownPBox");
    BottomPanel->setObjectName("BottomPanel");
    Label1->setObjectName("Label1");
    FFTSizeBox->setObjectName("FFTSizeBox");
    OkButton->setObjectName("OkButton");
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(MinimumWidth, MinimumHeight);
    setSizeGripEnabled(true);

    FillItems(*FFTSizeBox, FFTSizeParameter(), "RUS");
    ShowValue(*FFTSizeBox, FFTSizeParameter(), values);
    // The next analysis takes the size shown, however the window was left.
    connect(FFTSizeBox, &QComboBox::currentIndexChanged, this,
            [this] { StoreValue(*FFTSizeBox, FFTSizeParameter(), Values_); });
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &TSpectraAnalysForm::accept);

    BottomPanel->setFixedHeight(BottomHeight);
    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ClientPanel, 1);
    layout->addWidget(BottomPanel);
    ClientPanel->installEventFilter(this);
    BottomPanel->installEventFilter(this);

    SetLanguage("RUS");
}

void TSpectraAnalysForm::SetLanguage(const std::string& language) {
    const TSpectraAnalysTexts* t = SpectraAnalysTexts(language);
    if (t == nullptr) {
        return;
    }
    setWindowTitle(QString::fromUtf8(t->Caption));
    Label1->setText(QString::fromUtf8(t->Label1));
    OkButton->setText(QString::fromUtf8(t->OkButton));
    FormResize();
    DownPBox->update();
}

bool TSpectraAnalysForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && (watched == ClientPanel || watched == BottomPanel)) {
        FormResize();
    }
    return QDialog::eventFilter(watched, event);
}

void TSpectraAnalysForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormResize();
    OkButton->setFocus();
}

void TSpectraAnalysForm::FormResize() {
    const int panelWidth = ClientPanel->width();
    const int panelHeight = ClientPanel->height();
    const int right = RightBoxWidth(panelWidth);
    const int down = DownBoxHeight(panelHeight);
    // The frequency axis runs under the whole panel, so its last label fits under the
    // percent axis.
    DownPBox->setGeometry(0, panelHeight - down, panelWidth, down);
    RightPBox->setGeometry(panelWidth - right, 0, right, panelHeight - down);
    SpectraPBox->setGeometry(0, 0, panelWidth - right, panelHeight - down);

    const QSize button = OkButton->sizeHint();
    OkButton->resize(button);
    OkButton->move(BottomPanel->width() - button.width() - Margin,
                   (BottomHeight - button.height()) / 2);
    const QSize label = Label1->sizeHint();
    Label1->setGeometry(Margin, (BottomHeight - label.height()) / 2, label.width(), label.height());
    const QSize box = FFTSizeBox->sizeHint();
    FFTSizeBox->setGeometry(Margin + label.width() + 6, (BottomHeight - box.height()) / 2,
                            box.width(), box.height());
    // The frequency labels follow the spectrum box's width.
    DownPBox->update();
}

void TSpectraAnalysForm::SpectraPBoxPaint(QImage& image) const {
    const QSize size = LogicalSize(image);
    {
        QPainter painter(&image);
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::black);
        painter.setPen(Grey);
        const TSpectrumGrid grid = SpectrumGrid(size.width(), size.height());
        for (const int y : grid.Rows) {
            painter.drawLine(0, y, size.width(), y);
        }
        for (const int x : grid.Columns) {
            painter.drawLine(x, 0, x, size.height());
        }
    }
    // Up to 32769 bins: straight into the pixels.
    const std::vector<TPoint> line = SpectrumLine(SpectrumData_, size.width(), size.height());
    if (line.size() > 1) {
        RasterPolyline(image, line, LineGreen.rgb());
    }
}

void TSpectraAnalysForm::RightPBoxPaint(QImage& image) const {
    const QSize size = LogicalSize(image);
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(0, 0), size), Grey);
    const int height = FitFontHeight(PercentFontStart(size.height()), [&](int h) {
        return TextWidth(AxisFont(h), PercentFitText) <= size.width();
    });
    painter.setFont(AxisFont(height));
    painter.setPen(Qt::white);
    const int digitHeight = painter.fontMetrics().height();
    for (int c = 1; c < GridRows; ++c) {
        TextOut(painter, 2, PercentLabelY(c, size.height(), digitHeight),
                QString::fromStdString(PercentLabel(c)));
    }
}

void TSpectraAnalysForm::DownPBoxPaint(QImage& image) const {
    const QSize size = LogicalSize(image);
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(0, 0), size), Grey);
    const int height = FitFontHeight(FrequencyFontStart(size.height()), [&](int h) {
        return FrequencyFontFits(size.width(), TextWidth(AxisFont(h), FrequencyFitText));
    });
    painter.setFont(AxisFont(height));
    painter.setPen(Qt::white);
    const int spectrumWidth = SpectraPBox->width();
    for (int c = 1; c <= GridColumns; ++c) {
        const QString label = QString::fromStdString(FrequencyLabel(c, MaxFrequency));
        const int x = FrequencyLabelX(c, spectrumWidth);
        TextOut(painter, x - painter.fontMetrics().horizontalAdvance(label) / 2, 2, label);
    }
    // The unit follows the language of the button.
    const TSpectraAnalysTexts* russian = SpectraAnalysTexts("RUS");
    const TSpectraAnalysTexts* english = SpectraAnalysTexts("ENG");
    QString unit;
    if (OkButton->text() == QString::fromUtf8(russian->OkButton)) {
        unit = QString::fromUtf8(russian->Unit);
    }
    if (OkButton->text() == QString::fromUtf8(english->OkButton)) {
        unit = QString::fromUtf8(english->Unit);
    }
    TextOut(painter, 2, 2, unit);
}

}  // namespace sonavel
