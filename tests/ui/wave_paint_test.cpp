#include <QComboBox>
#include <QPixmap>
#include <QScrollBar>

#include "UiTestSupport.h"
#include "app/GraphCache.h"
#include "ui/GraphThread.h"
#include "ui/PaintBox.h"

namespace sonavel::test {
namespace {

using WavePaint = TFormTest;

const QColor Cream(255, 251, 240);
const QColor InvertedCream(0, 4, 15);
const QColor Green(0, 128, 0);
const QColor Red(255, 0, 0);
const QColor Navy(0, 0, 128);
const QColor Blue(0, 0, 255);
const QColor Yellow(255, 255, 0);
const QColor Silver(192, 192, 192);

QImage Grab(const TChildForm& form, const char* box) {
    return form.findChild<TPaintBox*>(box)->grab().toImage();
}

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).toRgb();
}

// 540 x 280: a wave box of 520 x 136, two rows of 68 (centres 34 and 102, the waveform 30
// pixels either side), and a track of 530 x 25.
class TStereoSine : public TFormTest {
  protected:
    void SetUp() override {
        TFormTest::SetUp();
        Form_ = &Open({Sine(44100, 20), std::vector<std::int32_t>(44100, 0)});
        Form_->show();
    }
    TChildForm& F() { return *Form_; }
    TDocument& D() { return Form_->Document(); }

  private:
    TChildForm* Form_ = nullptr;
};

TEST_F(TStereoSine, TheWaveIsPaintedFromTheCache) {
    QImage wave = Grab(F(), "WaveBox");
    ASSERT_EQ(wave.size(), QSize(520, 136));
    EXPECT_EQ(At(wave, 260, 0), Qt::black);  // the row's frame
    EXPECT_EQ(At(wave, 0, 10), Red);         // the cursor at 0, over every row
    EXPECT_EQ(At(wave, 0, 80), Red);
    for (const int x : {50, 260, 500}) {
        SCOPED_TRACE(x);
        // The full-scale sine fills its row from 4 to 64; the silent row has only its centre line.
        EXPECT_EQ(At(wave, x, 5), Green);
        EXPECT_EQ(At(wave, x, 34), Green);
        EXPECT_EQ(At(wave, x, 63), Green);
        EXPECT_EQ(At(wave, x, 2), Cream);
        EXPECT_EQ(At(wave, x, 102), Green);
        EXPECT_EQ(At(wave, x, 80), Cream);
        EXPECT_EQ(At(wave, x, 125), Cream);
    }

    // Silencing the samples changes nothing until the cache is rebuilt.
    D().Stream->WriteSamples(0, 0, 44100, std::vector<std::int32_t>(44100, 0).data());
    wave = Grab(F(), "WaveBox");
    EXPECT_EQ(At(wave, 260, 10), Green);
    F().BuildGraph();
    wave = Grab(F(), "WaveBox");
    EXPECT_EQ(At(wave, 260, 10), Cream);
    EXPECT_EQ(At(wave, 260, 34), Green);
}

TEST_F(TStereoSine, SelectionIsInvertedAndTheCursorDrawnOverTheChosenChannel) {
    D().Select(11025, 22050);  // x 130 to 260
    D().CursorPos = 33075;     // x 390
    auto* box = F().findChild<QComboBox*>("CurrentChannelBox");
    box->setCurrentIndex(2);  // the right channel: the lower row only
    ASSERT_EQ(D().ChannelItem, 2);
    QImage wave = Grab(F(), "WaveBox");
    EXPECT_EQ(At(wave, 200, 80), InvertedCream);
    EXPECT_EQ(At(wave, 200, 2), Cream);
    EXPECT_EQ(At(wave, 100, 80), Cream);
    EXPECT_EQ(At(wave, 270, 80), Cream);
    EXPECT_EQ(At(wave, 390, 80), Red);
    EXPECT_EQ(At(wave, 390, 2), Cream);

    box->setCurrentIndex(0);  // all channels: every row
    wave = Grab(F(), "WaveBox");
    EXPECT_EQ(At(wave, 200, 2), InvertedCream);
    EXPECT_EQ(At(wave, 200, 80), InvertedCream);
    EXPECT_EQ(At(wave, 390, 2), Red);

    // A selection running past the view is shaded to the view's edge, one that starts before
    // it from the left edge.
    D().ViewStart = 0;
    D().ViewLength = 22050;
    D().Select(11025, 40000);
    wave = Grab(F(), "WaveBox");
    EXPECT_EQ(At(wave, 515, 80), InvertedCream);
    EXPECT_EQ(At(wave, 519, 80), Qt::white);  // the black frame, inverted
    EXPECT_EQ(At(wave, 200, 80), Cream);
    D().ViewStart = 20000;
    D().Select(10000, 30000);
    wave = Grab(F(), "WaveBox");
    EXPECT_EQ(At(wave, 0, 80), Qt::white);  // the black frame, inverted
    EXPECT_EQ(At(wave, 5, 80), InvertedCream);
    EXPECT_EQ(At(wave, 300, 80), Cream);
}

TEST_F(TStereoSine, RecordingShowsLevelBarsAndARedTrack) {
    D().Stream->Levels[0].store(MaxLevel / 2);                               // navy to x 260
    D().Stream->Levels[1].store(static_cast<std::int32_t>(MaxLevel * 0.8));  // green to x 416
    D().Stream->RecordState.store(TTransportState::Started);
    const QImage wave = Grab(F(), "WaveBox");
    EXPECT_EQ(At(wave, 100, 34), Navy);
    EXPECT_EQ(At(wave, 259, 34), Navy);
    EXPECT_EQ(At(wave, 261, 34), Cream);
    EXPECT_EQ(At(wave, 100, 5), Cream);  // the bars keep 15 % of the row free
    EXPECT_EQ(At(wave, 400, 102), Green);
    EXPECT_EQ(At(wave, 420, 102), Cream);
    const QImage track = Grab(F(), "TrackBox");
    EXPECT_EQ(At(track, 100, 12), Red);
    D().Stream->Levels[0].store(MaxLevel);
    EXPECT_EQ(At(Grab(F(), "WaveBox"), 500, 34), Red);
    D().Stream->RecordState.store(TTransportState::Stopped);
}

TEST_F(TStereoSine, TrackShowsZoneSelectionAndCursor) {
    D().ViewStart = 22050;
    D().ViewLength = 11025;  // x 265 to 395
    D().Select(4410, 8820);  // x 57 to 109
    D().CursorPos = 33075;   // x 395
    const QImage track = Grab(F(), "TrackBox");
    ASSERT_EQ(track.size(), QSize(530, 25));
    EXPECT_EQ(At(track, 300, 12), Qt::white);
    EXPECT_EQ(At(track, 265, 12), Qt::black);
    EXPECT_EQ(At(track, 200, 12), Silver);
    EXPECT_EQ(At(track, 80, 12), Blue);
    EXPECT_EQ(At(track, 395, 2), Yellow);
    EXPECT_EQ(At(track, 2, 12), QColor(220, 215, 185));
}

TEST_F(TStereoSine, AHeldViewKeepsItsPictureAndLettingGoShowsTheDocument) {
    const QImage wave = Grab(F(), "WaveBox");
    const QImage track = Grab(F(), "TrackBox");
    auto* bar = F().findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    const int maximum = bar->maximum();

    // What the worker does to the document behind the progress window.
    F().HoldView(true);
    D().Select(11025, 22050);
    D().CursorPos = 27563;  // the middle of the view
    D().ViewStart = 22050;
    D().ViewLength = 11025;
    F().TrackBoxPaint();
    EXPECT_EQ(Grab(F(), "WaveBox"), wave);
    EXPECT_EQ(Grab(F(), "TrackBox"), track);
    EXPECT_EQ(bar->maximum(), maximum);

    F().HoldView(false);
    EXPECT_NE(bar->maximum(), maximum);
    EXPECT_EQ(At(Grab(F(), "TrackBox"), 300, 12), Qt::white);  // the zone, x 265 to 395
    EXPECT_EQ(At(Grab(F(), "WaveBox"), 260, 2), Red);
}

TEST_F(WavePaint, EmptyProjectShowsFramesWithoutWaveform) {
    TChildForm& form = OpenEmpty(2);
    form.show();
    const QImage wave = Grab(form, "WaveBox");
    EXPECT_EQ(At(wave, 0, 30), Qt::black);
    EXPECT_EQ(At(wave, 260, 34), Cream);
    EXPECT_EQ(At(wave, 260, 102), Cream);
    EXPECT_EQ(At(wave, 260, 66), Qt::black);  // bottom edge of the first frame
}

TEST_F(WavePaint, PaintsAtAnySizeWithoutCrashing) {
    TChildForm& sine = Open({Sine(50000, 100), Sine(50000, 37)});
    TChildForm& empty = OpenEmpty(1);
    TChildForm& none = OpenEmpty(0);
    for (TChildForm* form : {&sine, &empty, &none}) {
        form->show();
        for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(12, 140), QSize(20, 145),
                                 QSize(27, 300), QSize(540, 280), QSize(2600, 1600)}) {
            SCOPED_TRACE(size.width());
            form->resize(size);
            form->grab();
            for (const char* name : {"Z_plusBtn", "Z_1_1Btn", "Z_minusBtn", "Z_allBtn"}) {
                form->findChild<QWidget*>(name)->grab();
                QMetaObject::invokeMethod(form->findChild<QObject*>(name), "click");
                form->grab();
            }
        }
    }
    // A view that has wandered outside the cache (as the worker may leave it) draws what
    // the cache has and nothing beyond.
    sine.Document().ViewStart = 49000;
    sine.Document().ViewLength = 1000;
    sine.Document().GraphStart = 0;
    sine.Document().GraphLength = 400;
    sine.resize(540, 280);
    sine.grab();
}

TEST_F(WavePaint, PaintsDuringARebuildThatChangesTheChannelCount) {
    TChildForm& form = Open({Sine(2000000, 100)});
    form.show();
    TDocument& d = form.Document();
    d.Stream->AddChannel();
    d.Stream->WriteSamples(1, 0, 2000000, Sine(2000000, 50).data());
    {
        TGraphicThread thread(d, form.Graph());
        EXPECT_TRUE(d.GraphBuilding.load());
        do {
            form.grab();
        } while (!thread.Finished());
        EXPECT_EQ(thread.Wait(), nullptr);
    }
    EXPECT_FALSE(d.GraphBuilding.load());
    ASSERT_EQ(form.Graph().ChannelCount(), 2U);
    const QImage wave = Grab(form, "WaveBox");
    EXPECT_EQ(At(wave, 260, 5), Green);
    EXPECT_EQ(At(wave, 260, 73), Green);
}

}  // namespace
}  // namespace sonavel::test
