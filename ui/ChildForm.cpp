#include "ui/ChildForm.h"

#include <algorithm>
#include <cstdlib>

#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <exception>
#include <stdexcept>
#include <utility>

#include "app/DocumentTexts.h"
#include "app/ErrorText.h"
#include "app/GraphCache.h"
#include "core/TransportControl.h"
#include "platform/AudioDevice.h"
#include "ui/CallPost.h"
#include "ui/Glyphs.h"
#include "ui/GraphThread.h"
#include "ui/PaintBox.h"
#include "ui/ViewPainter.h"

namespace sonavel {

namespace {

// For objects Qt takes over: the window's controls (owned by their parent) and posted events
// (owned by the event queue).
template <class T, class... TArgs>
T* QtOwned(TArgs&&... args) {
    return new T(std::forward<TArgs>(args)...);  // NOLINT(cppcoreguidelines-owning-memory)
}

QString Text(const char* text) {
    return QString::fromUtf8(text);
}
QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr int ButtonTop = 98;
constexpr int TrackBoxLeft = 5;
constexpr int TrackBoxTop = 65;
constexpr int TrackBoxHeight = 25;
constexpr int WaveBoxLeft = 10;
constexpr int ScrollBarHeight = 10;     // the margin under the waveform
constexpr int AutoScrollInterval = 50;  // ms, while a drag is held past the waveform's side

// The keys the interval box keeps for itself; every other key goes to the editor's shortcuts.
bool IntervalKey(const QKeyEvent& key) {
    if ((key.modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier | Qt::ShiftModifier))
            .toInt() != 0) {
        return false;
    }
    switch (key.key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Backspace:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9;
    }
}

}  // namespace

struct TChildForm::TWidgets {
    TGraphCache Graph;
    std::string Language;
    std::shared_ptr<TAudioSystem> Devices;
    TProgressWait ProgressWait;
    // See HoldView; read and written on the window's thread only.
    bool ViewHeld = false;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* AudioPropertiesLB = nullptr;
    QLabel* TimePositionLabel = nullptr;
    QComboBox* CurrentChannelBox = nullptr;
    TPaintBox* TrackBox = nullptr;
    TPaintBox* WaveBox = nullptr;
    QToolButton* PlayBtn = nullptr;
    QToolButton* PlayViewBtn = nullptr;
    QToolButton* StopBtn = nullptr;
    QToolButton* RecordBtn = nullptr;
    QToolButton* SetMarkerBtn = nullptr;
    QToolButton* DelMarkerBtn = nullptr;
    QToolButton* ToBeginBtn = nullptr;
    QToolButton* LeftBtn = nullptr;
    QSpinBox* IntervalEdit = nullptr;
    QToolButton* RightBtn = nullptr;
    QToolButton* ToEndBtn = nullptr;
    QToolButton* Z_plusBtn = nullptr;
    QToolButton* Z_minusBtn = nullptr;
    QToolButton* Z_SelBtn = nullptr;
    QToolButton* Z_allBtn = nullptr;
    QToolButton* Z_1_1Btn = nullptr;
    QScrollBar* ViewScrollBar = nullptr;
    QTimer* AutoScroll = nullptr;
    int LastDragX = 0;

    // The labels keep their places but grow to their text (the Russian ones are wider than
    // the room the layout gives them), pushing what follows them on the row to the right.
    void ArrangeLabelRows() const {
        const auto fit = [](QLabel* label, int x, int minWidth) {
            label->setGeometry(x, label->y(), std::max(minWidth, label->sizeHint().width()),
                               label->height());
            return label->geometry().right();
        };
        const int propertiesX = std::max(130, fit(Label2, 10, 112) + 8);
        AudioPropertiesLB->move(propertiesX, AudioPropertiesLB->y());
        const int boxX = std::max(162, fit(Label1, 10, 147) + 5);
        CurrentChannelBox->move(boxX, CurrentChannelBox->y());
        const int timeX = std::max(
            365, fit(Label3, std::max(250, CurrentChannelBox->geometry().right() + 13), 109) + 6);
        TimePositionLabel->move(timeX, TimePositionLabel->y());
    }

    // Captions and hints of one language.
    void ApplyTexts(const TDocumentWindowTexts& t) const {
        Label1->setText(Text(t.Label1));
        Label2->setText(Text(t.Label2));
        Label3->setText(Text(t.Label3));
        ArrangeLabelRows();
        ToBeginBtn->setText(Text(t.ToBeginCaption));
        ToEndBtn->setText(Text(t.ToEndCaption));
        PlayBtn->setToolTip(Text(t.PlayHint));
        PlayViewBtn->setToolTip(Text(t.PlayViewHint));
        StopBtn->setToolTip(Text(t.StopHint));
        RecordBtn->setToolTip(Text(t.RecordHint));
        SetMarkerBtn->setToolTip(Text(t.SetMarkerHint));
        DelMarkerBtn->setToolTip(Text(t.DelMarkerHint));
        ToBeginBtn->setToolTip(Text(t.ToBeginHint));
        LeftBtn->setToolTip(Text(t.LeftHint));
        IntervalEdit->setToolTip(Text(t.IntervalHint));
        RightBtn->setToolTip(Text(t.RightHint));
        ToEndBtn->setToolTip(Text(t.ToEndHint));
        Z_plusBtn->setToolTip(Text(t.ZoomInHint));
        Z_minusBtn->setToolTip(Text(t.ZoomOutHint));
        Z_SelBtn->setToolTip(Text(t.ZoomSelectionHint));
        Z_allBtn->setToolTip(Text(t.ZoomAllHint));
        Z_1_1Btn->setToolTip(Text(t.ZoomMaximalHint));
    }
};

TChildForm::TChildForm(TWorkspace& workspace, TDocument& document, QWidget* parent)
    : QWidget(parent),
      Workspace_(workspace),
      Document_(document),
      Widgets_(std::make_unique<TWidgets>()) {
    FormCreate();
}

TChildForm::~TChildForm() {
    // Nothing may play into or record from the document once its window has gone.
    if (Document_.Stream) {
        StopTransport(*Document_.Stream);
    }
    Widgets_->Graph.Resize(0);
}

void TChildForm::FormCreate() {
    TWidgets& w = *Widgets_;
    Document_.TrackDragging = false;
    Document_.ZoomBusy = false;

    setWindowTitle(
        Text(Document_.Caption.empty() ? std::string(DocumentWindowCaption) : Document_.Caption));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, FormColour);
    setPalette(colours);
    setAutoFillBackground(true);
    QFont bold = font;
    bold.setBold(true);

    const auto label = [this](const char* name, int left, int top, int width, int height) {
        auto* l = QtOwned<QLabel>(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(left, top, width, height);
        return l;
    };
    w.Label2 = label("Label2", 10, 6, 112, 16);
    w.AudioPropertiesLB = label("AudioPropertiesLB", 130, 6, 400, 16);
    w.AudioPropertiesLB->setFont(bold);
    w.Label1 = label("Label1", 10, 36, 147, 16);
    w.Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    w.Label3 = label("Label3", 250, 36, 109, 16);
    w.TimePositionLabel = label("TimePositionLabel", 365, 37, 200, 16);
    w.TimePositionLabel->setFont(bold);
    QPalette navy = w.TimePositionLabel->palette();
    navy.setColor(QPalette::WindowText, NavyColour);
    w.TimePositionLabel->setPalette(navy);
    w.TimePositionLabel->setText(Text(TimePositionInitialCaption));

    w.CurrentChannelBox = QtOwned<QComboBox>(this);
    w.CurrentChannelBox->setObjectName(QStringLiteral("CurrentChannelBox"));
    w.CurrentChannelBox->setGeometry(162, 33, 75, 24);

    // A held view keeps the picture it had: the image keeps what the last paint left.
    w.TrackBox = QtOwned<TPaintBox>(
        [this](QImage& image) {
            if (!Widgets_->ViewHeld) {
                DrawTrack(image, Document_);
            }
        },
        FormColour, this);
    w.TrackBox->setObjectName(QStringLiteral("TrackBox"));
    w.TrackBox->setGeometry(TrackBoxLeft, TrackBoxTop, 520, TrackBoxHeight);
    w.WaveBox = QtOwned<TPaintBox>(
        [this](QImage& image) {
            if (!Widgets_->ViewHeld) {
                DrawWave(image, Document_, Widgets_->Graph.Snapshot());
            }
        },
        WaveBackground, this);
    w.WaveBox->setObjectName(QStringLiteral("WaveBox"));
    w.WaveBox->setGeometry(WaveBoxLeft, WaveBoxTop, 509, 105);

    const auto button = [this](const char* name, int left) {
        auto* b = QtOwned<QToolButton>(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoRaise(true);
        b->setGeometry(left, ButtonTop, 23, 22);
        b->setIconSize(QSize(16, 16));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    const auto glyphButton = [&button](const char* name, int left, TGlyph glyph) {
        QToolButton* b = button(name, left);
        b->setIcon(GlyphIcon(glyph));
        return b;
    };
    const auto captionButton = [&button, &bold](const char* name, int left, const QColor& colour) {
        QToolButton* b = button(name, left);
        b->setFont(bold);
        QPalette ink = b->palette();
        ink.setColor(QPalette::ButtonText, colour);
        b->setPalette(ink);
        return b;
    };
    w.PlayBtn = glyphButton("PlayBtn", 10, TGlyph::Play);
    w.PlayViewBtn = glyphButton("PlayViewBtn", 37, TGlyph::PlayView);
    w.StopBtn = glyphButton("StopBtn", 64, TGlyph::Stop);
    w.RecordBtn = glyphButton("RecordBtn", 91, TGlyph::Record);
    w.SetMarkerBtn = glyphButton("SetMarkerBtn", 127, TGlyph::SetMarker);
    w.DelMarkerBtn = glyphButton("DelMarkerBtn", 154, TGlyph::DelMarker);
    w.ToBeginBtn = captionButton("ToBeginBtn", 190, Qt::black);
    w.LeftBtn = captionButton("LeftBtn", 218, Qt::blue);
    w.LeftBtn->setText(Text(LeftBtnCaption));
    w.IntervalEdit = QtOwned<QSpinBox>(this);
    w.IntervalEdit->setObjectName(QStringLiteral("IntervalEdit"));
    w.IntervalEdit->setGeometry(243, 96, 51, 26);
    w.IntervalEdit->setRange(IntervalMinimum, IntervalMaximum);
    w.IntervalEdit->setValue(IntervalDefault);
    // Five digits and the arrows, unclipped in either language and style; the buttons to its
    // right make room.
    const int digits = w.IntervalEdit->fontMetrics().horizontalAdvance(QStringLiteral("99999"));
    const int intervalWidth = std::max({51, w.IntervalEdit->sizeHint().width(), digits + 30});
    w.IntervalEdit->setGeometry(243, 96, intervalWidth, 26);
    const int room = intervalWidth - 51;
    w.IntervalEdit->installEventFilter(this);
    w.IntervalEdit->findChild<QLineEdit*>()->installEventFilter(this);
    w.RightBtn = captionButton("RightBtn", 296 + room, Qt::blue);
    w.RightBtn->setText(Text(RightBtnCaption));
    w.ToEndBtn = captionButton("ToEndBtn", 324 + room, Qt::black);
    w.Z_plusBtn = glyphButton("Z_plusBtn", 389, TGlyph::ZoomIn);
    w.Z_minusBtn = glyphButton("Z_minusBtn", 416, TGlyph::ZoomOut);
    w.Z_SelBtn = glyphButton("Z_SelBtn", 443, TGlyph::ZoomSelection);
    w.Z_allBtn = glyphButton("Z_allBtn", 470, TGlyph::ZoomAll);
    w.Z_1_1Btn = glyphButton("Z_1_1Btn", 497, TGlyph::ZoomMaximal);

    // Tab from the interval box goes back to the waveform, where the editor's keys act.
    w.WaveBox->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(w.IntervalEdit, w.WaveBox);

    w.ViewScrollBar = QtOwned<QScrollBar>(Qt::Horizontal, this);
    w.ViewScrollBar->setObjectName(QStringLiteral("ViewScrollBar"));
    w.ViewScrollBar->setFocusPolicy(Qt::NoFocus);
    w.AutoScroll = QtOwned<QTimer>(this);
    w.AutoScroll->setInterval(AutoScrollInterval);
    connect(w.AutoScroll, &QTimer::timeout, this, [this] { WaveBoxMove(Widgets_->LastDragX); });

    // The form is laid out with the Russian texts; SetLanguage replaces them.
    w.ApplyTexts(*DocumentWindowTexts("RUS"));
    w.CurrentChannelBox->addItem(Text(DocumentWindowTexts("RUS")->AllChannels));

    const TRebuildGraph rebuild = Rebuilder();
    connect(w.TrackBox, &TPaintBox::MouseDown, this, &TChildForm::TrackBoxMouseDown);
    connect(w.TrackBox, &TPaintBox::MouseMove, this, &TChildForm::TrackBoxMouseMove);
    connect(w.TrackBox, &TPaintBox::MouseUp, this,
            [this](int /*x*/, Qt::MouseButton button) { TrackBoxMouseUp(button); });
    connect(w.WaveBox, &TPaintBox::MousePress, this, &TChildForm::WaveBoxPress);
    connect(w.WaveBox, &TPaintBox::MouseMove, this, &TChildForm::WaveBoxMove);
    connect(w.WaveBox, &TPaintBox::MouseUp, this,
            [this](int /*x*/, Qt::MouseButton button) { WaveBoxRelease(button); });
    connect(w.WaveBox, &TPaintBox::Wheel, this, &TChildForm::WaveBoxWheel);
    connect(w.ViewScrollBar, &QScrollBar::valueChanged, this, &TChildForm::ScrollBarMoved);
    connect(w.CurrentChannelBox, &QComboBox::currentIndexChanged, this,
            &TChildForm::CurrentChannelBoxChange);
    connect(w.PlayBtn, &QToolButton::clicked, this, &TChildForm::PlayBtnClick);
    connect(w.PlayViewBtn, &QToolButton::clicked, this, &TChildForm::PlayViewBtnClick);
    connect(w.StopBtn, &QToolButton::clicked, this, &TChildForm::StopBtnClick);
    connect(w.RecordBtn, &QToolButton::clicked, this, &TChildForm::RecordBtnClick);
    connect(w.SetMarkerBtn, &QToolButton::clicked, this, &TChildForm::SetMarkerBtnClick);
    connect(w.DelMarkerBtn, &QToolButton::clicked, this, &TChildForm::DelMarkerBtnClick);
    connect(w.ToBeginBtn, &QToolButton::clicked, this, &TChildForm::ToBeginBtnClick);
    connect(w.LeftBtn, &QToolButton::clicked, this, &TChildForm::LeftBtnClick);
    connect(w.RightBtn, &QToolButton::clicked, this, &TChildForm::RightBtnClick);
    connect(w.ToEndBtn, &QToolButton::clicked, this, &TChildForm::ToEndBtnClick);
    connect(w.Z_plusBtn, &QToolButton::clicked, this,
            [this, rebuild] { Apply(Z_plusBtnClick(Document_, rebuild)); });
    connect(w.Z_minusBtn, &QToolButton::clicked, this,
            [this, rebuild] { Apply(Z_minusBtnClick(Document_, rebuild)); });
    connect(w.Z_SelBtn, &QToolButton::clicked, this,
            [this, rebuild] { Apply(Z_SelBtnClick(Document_, rebuild)); });
    connect(w.Z_allBtn, &QToolButton::clicked, this,
            [this, rebuild] { Apply(Z_allBtnClick(Document_, rebuild)); });
    connect(w.Z_1_1Btn, &QToolButton::clicked, this,
            [this, rebuild] { Apply(Z_1_1BtnClick(Document_, rebuild)); });

    resize(540, 280);
    FormResize();
}

bool TChildForm::OnWindowThread(const std::function<void()>& f) {
    if (QThread::currentThread() == thread()) {
        f();
        return true;
    }
    PostCall(this, f);
    return false;
}

bool TChildForm::event(QEvent* event) {
    return TakeCall(this, event) || QWidget::event(event);
}

void TChildForm::SetLanguage(const std::string& language) {
    OnWindowThread([this, language] {
        Widgets_->Language = language;
        if (const TDocumentWindowTexts* texts = DocumentWindowTexts(language)) {
            Widgets_->ApplyTexts(*texts);
        }
    });
}

const std::string& TChildForm::Language() const {
    return Widgets_->Language;
}

TGraphCache& TChildForm::Graph() const {
    return Widgets_->Graph;
}

void TChildForm::SetAudioSystem(std::shared_ptr<TAudioSystem> devices) {
    Widgets_->Devices = std::move(devices);
}

void TChildForm::SetProgressWait(TProgressWait wait) {
    Widgets_->ProgressWait = std::move(wait);
}

void TChildForm::FillChannelBox() {
    // The document and the cache change at once (the worker goes on with them); the list
    // follows on the window's thread.
    const std::vector<std::string> items =
        sonavel::FillChannelBox(Document_, Widgets_->Graph, Widgets_->Language);
    // Taken here: the worker may change the document again before the list is filled.
    const int item = Document_.ChannelItem;
    OnWindowThread([this, items, item] {
        QComboBox& box = *Widgets_->CurrentChannelBox;
        const QSignalBlocker quiet(box);
        box.clear();
        for (const std::string& item : items) {
            box.addItem(Text(item));
        }
        box.setCurrentIndex(item);
        Widgets_->WaveBox->update();
    });
}

void TChildForm::SelectChannelItem(int item) {
    QComboBox& box = *Widgets_->CurrentChannelBox;
    if (box.currentIndex() != item && item < box.count()) {
        const QSignalBlocker quiet(box);
        box.setCurrentIndex(item);
    }
}

void TChildForm::BuildGraph() {
    sonavel::BuildGraph(Document_, Widgets_->Graph);
    TrackBoxPaint();
}

void TChildForm::ShowProperties() {
    const std::optional<std::string> text =
        sonavel::ShowProperties(Widgets_->Language, *Document_.Stream);
    if (!text) {
        return;
    }
    OnWindowThread([this, line = *text] {
        Widgets_->AudioPropertiesLB->setText(Text(line));
        Widgets_->AudioPropertiesLB->adjustSize();
    });
}

void TChildForm::TrackBoxPaint() {
    OnWindowThread([this] {
        Widgets_->TrackBox->update();
        Widgets_->WaveBox->update();
        SyncScrollBar();
    });
}

void TChildForm::HoldView(bool held) {
    Widgets_->ViewHeld = held;
    if (!held) {
        TrackBoxPaint();
    }
}

void TChildForm::SyncScrollBar() {
    if (Widgets_->ViewHeld) {
        return;
    }
    QScrollBar& bar = *Widgets_->ViewScrollBar;
    const TScrollBarModel m = ScrollBarModel(Document_);
    const QSignalBlocker quiet(bar);
    bar.setRange(0, m.Maximum);
    bar.setPageStep(m.PageStep);
    bar.setSingleStep(m.SingleStep);
    bar.setValue(m.Value);
    bar.setEnabled(m.Maximum > 0);
}

void TChildForm::ScrollBarMoved(int value) {
    Apply(ScrollView(Document_, ScrollBarStart(Document_, value), Rebuilder()));
    SyncScrollBar();
}

void TChildForm::FollowCursor() {
    OnWindowThread([this] {
        sonavel::FollowCursor(Document_, Rebuilder());
        TrackBoxPaint();
    });
}

void TChildForm::SetTimeLabel(const std::string& text) {
    OnWindowThread([this, text] {
        Widgets_->TimePositionLabel->setText(Text(text));
        Widgets_->TimePositionLabel->adjustSize();
    });
}

TRebuildGraph TChildForm::Rebuilder() {
    return [this](TGraphRebuild kind) { RebuildGraph(kind); };
}

void TChildForm::RebuildGraph(TGraphRebuild kind) {
    TGraphicThread thread(Document_, Widgets_->Graph);
    if (kind == TGraphRebuild::WithProgress && Widgets_->ProgressWait) {
        const TDocumentWindowTexts* texts = DocumentWindowTexts(Widgets_->Language);
        Widgets_->ProgressWait(texts != nullptr ? texts->CreatingGraph : "",
                               [&thread] { return thread.Finished(); });
    }
    const std::exception_ptr failure = thread.Wait();
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            ShowMessage(DescribeFailure(error, Widgets_->Language));
        } catch (...) {
            ShowMessage(DescribeFailure(std::runtime_error("unknown error"), Widgets_->Language));
        }
    }
}

void TChildForm::Apply(const TCommandResult& result) {
    if (result.Repaint) {
        TrackBoxPaint();
    }
    if (!result.Message.empty()) {
        ShowMessage(result.Message);
    }
}

void TChildForm::ShowMessage(const std::string& text) {
    QMessageBox::warning(this, QGuiApplication::applicationDisplayName(), Text(text));
}

void TChildForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TChildForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FollowCursor();
}

void TChildForm::FormResize() {
    const TWidgets& w = *Widgets_;
    const TDocumentLayout layout = sonavel::FormResize(width(), height());
    w.TrackBox->setGeometry(TrackBoxLeft, TrackBoxTop, layout.TrackBoxWidth, TrackBoxHeight);
    w.WaveBox->setGeometry(WaveBoxLeft, WaveBoxTop, layout.WaveBoxWidth, layout.WaveBoxHeight);
    w.ViewScrollBar->setGeometry(WaveBoxLeft, WaveBoxTop + layout.WaveBoxHeight,
                                 layout.WaveBoxWidth, ScrollBarHeight);
    w.Z_1_1Btn->move(layout.Z_1_1BtnLeft, ButtonTop);
    w.Z_allBtn->move(layout.Z_allBtnLeft, ButtonTop);
    w.Z_SelBtn->move(layout.Z_SelBtnLeft, ButtonTop);
    w.Z_minusBtn->move(layout.Z_minusBtnLeft, ButtonTop);
    w.Z_plusBtn->move(layout.Z_plusBtnLeft, ButtonTop);
}

void TChildForm::TrackBoxMouseDown(int x, Qt::MouseButton button) {
    if (button != Qt::LeftButton) {
        return;
    }
    Apply(sonavel::TrackBoxMouseDown(Document_, x, Widgets_->TrackBox->width(), Rebuilder()));
}

void TChildForm::TrackBoxMouseMove(int x) {
    Apply(sonavel::TrackBoxMouseMove(Document_, x, Widgets_->TrackBox->width(), Rebuilder()));
}

void TChildForm::TrackBoxMouseUp(Qt::MouseButton button) {
    if (button != Qt::LeftButton) {
        return;
    }
    Apply(sonavel::TrackBoxMouseUp(Document_, Rebuilder()));
}

void TChildForm::WaveBoxMouseDown(int x) {
    Apply(sonavel::WaveBoxMouseDown(Document_, x, Widgets_->WaveBox->width()));
}

void TChildForm::WaveBoxPress(int x, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    if (button != Qt::LeftButton) {
        WaveBoxMouseDown(x);
        return;
    }
    Widgets_->LastDragX = x;
    Apply(WaveBoxDragStart(Document_, x, Widgets_->WaveBox->width(),
                           modifiers.testFlag(Qt::ShiftModifier)));
    emit CommandsMayChange();
}

void TChildForm::WaveBoxMove(int x) {
    TWidgets& w = *Widgets_;
    if (!Document_.WaveDragging) {
        return;
    }
    w.LastDragX = x;
    Apply(WaveBoxDragMove(Document_, x, w.WaveBox->width(), Rebuilder()));
    // Held past a side, the view keeps scrolling without the mouse moving.
    const bool outside = x < 0 || x >= w.WaveBox->width();
    if (outside && !w.AutoScroll->isActive()) {
        w.AutoScroll->start();
    } else if (!outside) {
        w.AutoScroll->stop();
    }
}

void TChildForm::WaveBoxRelease(Qt::MouseButton button) {
    if (button != Qt::LeftButton) {
        return;
    }
    Widgets_->AutoScroll->stop();
    Apply(WaveBoxDragEnd(Document_));
    TrackBoxPaint();
}

void TChildForm::WaveBoxWheel(int x, int notches, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::ControlModifier)) {
        // One zoom step per notch: away from the user zooms in.
        for (int i = 0; i < std::abs(notches); ++i) {
            Apply(WheelZoom(Document_, notches > 0, x, Widgets_->WaveBox->width(), Rebuilder()));
        }
        return;
    }
    Apply(WheelScroll(Document_, notches, Rebuilder()));
}

void TChildForm::SelectAll() {
    Apply(sonavel::SelectAll(Document_));
    emit CommandsMayChange();
}

void TChildForm::SelectToStart() {
    Apply(sonavel::SelectToStart(Document_, Rebuilder()));
    emit CommandsMayChange();
}

void TChildForm::SelectToEnd() {
    Apply(sonavel::SelectToEnd(Document_, Rebuilder()));
    emit CommandsMayChange();
}

void TChildForm::TakeFocus() {
    Widgets_->WaveBox->setFocus(Qt::OtherFocusReason);
}

bool TChildForm::eventFilter(QObject* watched, QEvent* event) {
    // The interval box keeps its digits and arrows; the editor's shortcuts win over anything
    // else it would take (Ctrl+Z, Delete, Space...), and Enter or Escape hand the focus back.
    if (event->type() == QEvent::ShortcutOverride) {
        if (!IntervalKey(*static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            Widgets_->IntervalEdit->interpretText();
            TakeFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TChildForm::CurrentChannelBoxChange(int index) {
    Apply(sonavel::CurrentChannelBoxChange(Document_, index));
    SelectChannelItem(Document_.ChannelItem);
    emit CommandsMayChange();
}

namespace {

bool HasDevice(const std::shared_ptr<TAudioSystem>& devices, bool output) {
    if (!devices) {
        return true;
    }
    return output ? !devices->OutputDeviceNames().empty() : !devices->InputDeviceNames().empty();
}

}  // namespace

void TChildForm::PlayBtnClick() {
    Apply(sonavel::PlayBtnClick(Document_, HasDevice(Widgets_->Devices, true), Widgets_->Language));
    emit CommandsMayChange();
}

void TChildForm::PlayViewBtnClick() {
    Apply(sonavel::PlayViewBtnClick(Document_, HasDevice(Widgets_->Devices, true),
                                    Widgets_->Language));
    emit CommandsMayChange();
}

void TChildForm::StopBtnClick() {
    Apply(sonavel::StopBtnClick(Document_));
    emit CommandsMayChange();
}

void TChildForm::RecordBtnClick() {
    Apply(sonavel::RecordBtnClick(Document_, HasDevice(Widgets_->Devices, false),
                                  Widgets_->Language));
    emit CommandsMayChange();
}

void TChildForm::SetMarkerBtnClick() {
    Apply(sonavel::SetMarkerBtnClick(Document_));
    emit CommandsMayChange();
}

void TChildForm::DelMarkerBtnClick() {
    Apply(sonavel::DelMarkerBtnClick(Document_));
    emit CommandsMayChange();
}

void TChildForm::ToBeginBtnClick() {
    Apply(sonavel::ToBeginBtnClick(Document_, Rebuilder()));
}

void TChildForm::LeftBtnClick() {
    Apply(sonavel::LeftBtnClick(Document_, Widgets_->IntervalEdit->value(), Rebuilder()));
}

void TChildForm::RightBtnClick() {
    Apply(sonavel::RightBtnClick(Document_, Widgets_->IntervalEdit->value(), Rebuilder()));
}

void TChildForm::ToEndBtnClick() {
    Apply(sonavel::ToEndBtnClick(Document_, Rebuilder()));
}

}  // namespace sonavel
