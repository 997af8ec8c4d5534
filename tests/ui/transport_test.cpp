#include <QComboBox>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <mutex>

#include "UiTestSupport.h"
#include "core/PlaybackEngine.h"
#include "core/TransportControl.h"
#include "core/TransportThreads.h"
#include "platform/MemoryAudioDevice.h"

namespace sonavel::test {
namespace {

using TState = TTransportState;

// The main window's control timer as far as one document window's playback goes: takes the
// window's start requests, starts the play thread, follows the position with the cursor and
// brings the cursor back when the thread ends (reported to the next tick).
class TControlTimer : public QObject {
  public:
    TControlTimer(TChildForm& form, const TPlaybackEngine& engine) : Form_(&form), Engine_(engine) {
        connect(&Timer_, &QTimer::timeout, this, &TControlTimer::Tick);
        Timer_.start(10);
    }
    ~TControlTimer() override {
        Timer_.stop();
        Threads_.clear();
    }
    TControlTimer(const TControlTimer&) = delete;
    TControlTimer& operator=(const TControlTimer&) = delete;

    std::vector<std::uint32_t> Seen;  // the cursor at each tick while playing
    std::vector<int> Channels;        // the channel of every start
    int Ends = 0;

  private:
    void Tick() {
        std::vector<std::uint32_t> ended;
        {
            const std::lock_guard lock(Lock_);
            ended.swap(Ended_);
        }
        for (const std::uint32_t cursor : ended) {
            Finished(cursor);
        }
        if (Form_.isNull()) {
            return;
        }
        TDocument& d = Form_->Document();
        TAudioStream& s = *d.Stream;
        if (s.PlayState.load() == TState::Stopped) {
            Threads_.clear();  // a finished thread may only go while the word reads "stopped"
        }
        if (s.PlayState.load() == TState::Started) {
            d.CursorPos = CursorAfterPlayback(s.Position.load(), d.SampleCount);
            Seen.push_back(d.CursorPos);
            if (!d.PlayViewMode) {
                Form_->FollowCursor();
            }
            Form_->TrackBoxPaint();
        }
        if (TakeStartRequest(s.PlayState)) {
            s.Position.store(d.CursorPos);
            Channels.push_back(d.Channel());
            const TPlayThread::TParams params{d.Channel(), static_cast<std::uint32_t>(d.PlayEnd),
                                              d.SampleCount};
            Threads_.push_back(
                std::make_unique<TPlayThread>(Engine_, s, params, [this](std::uint32_t cursor) {
                    const std::lock_guard lock(Lock_);
                    Ended_.push_back(cursor);
                }));
        }
    }

    void Finished(std::uint32_t cursor) {
        ++Ends;
        if (Form_.isNull()) {
            return;
        }
        Form_->Document().CursorPos = cursor;
        if (!Form_->Document().PlayViewMode) {
            Form_->FollowCursor();
        }
        Form_->TrackBoxPaint();
    }

    QPointer<TChildForm> Form_;
    const TPlaybackEngine& Engine_;
    QTimer Timer_;
    std::vector<std::unique_ptr<TPlayThread>> Threads_;
    // Cursors reported by ended play threads, taken up on the next tick.
    std::mutex Lock_;
    std::vector<std::uint32_t> Ended_;
};

class Transport : public TFormTest {
  protected:
    Transport() {
        TMemoryDeviceOptions options;
        options.BufferPace = std::chrono::milliseconds(25);
        Devices = std::make_shared<TMemoryAudioSystem>(options);
        Engine = std::make_unique<TPlaybackEngine>(Devices, [](const TEngineMessage&) {});
    }

    void Click(const TChildForm& form, const char* name) {
        QTest::mouseClick(form.findChild<QToolButton*>(name), Qt::LeftButton);
    }

    // The stored bytes of channel 0 from `from` on.
    static std::vector<std::uint8_t> Stored(TDocument& d, std::uint32_t from) {
        std::vector<std::uint8_t> bytes(2 * static_cast<std::size_t>(d.SampleCount - from));
        d.Stream->ReadStored(0, from, d.SampleCount - from, bytes.data());
        return bytes;
    }

    std::shared_ptr<TMemoryAudioSystem> Devices;
    std::unique_ptr<TPlaybackEngine> Engine;
};

TEST_F(Transport, PlaybackFollowsTheCursorAndReturnsToItsStartAtTheEnd) {
    TChildForm& form = Open({Sine(88200, 100)});
    TDocument& d = form.Document();
    form.SetAudioSystem(Devices);
    form.show();
    TControlTimer timer(form, *Engine);
    QSignalSpy changes(&form, &TChildForm::CommandsMayChange);

    d.CursorPos = 20000;
    Click(form, "PlayBtn");
    EXPECT_EQ(d.Stream->PlayState.load(), TState::Starting);
    EXPECT_EQ(d.PlayEnd, 88199);
    EXPECT_FALSE(d.PlayViewMode);
    EXPECT_EQ(changes.count(), 1);
    // A second press while a start is pending does nothing.
    Click(form, "PlayBtn");
    ASSERT_TRUE(WaitFor([&] { return timer.Ends == 1; }));
    EXPECT_EQ(d.Stream->PlayState.load(), TState::Stopped);

    // The cursor ran forward with the sound, then went back to the start.
    ASSERT_FALSE(timer.Seen.empty());
    const auto furthest = std::max_element(timer.Seen.begin(), timer.Seen.end());
    EXPECT_GT(*furthest, 40000U);
    EXPECT_TRUE(std::is_sorted(timer.Seen.begin(), furthest + 1));
    EXPECT_EQ(d.CursorPos, 20000U);  // back where playback began
    EXPECT_EQ(timer.Channels, std::vector<int>{-1});

    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    const std::vector<std::uint8_t> expected = Stored(d, 20000);
    ASSERT_GE(played.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin()));
    EXPECT_TRUE(std::all_of(played.begin() + static_cast<std::ptrdiff_t>(expected.size()),
                            played.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(Transport, PlayingTheVisibleZoneStopsAtItsLastSampleAndLocksZoom) {
    TChildForm& form = Open({Sine(88200, 100)});
    TDocument& d = form.Document();
    form.show();
    TControlTimer timer(form, *Engine);
    d.ViewLength = 30000;
    d.CursorPos = 0;
    Click(form, "PlayViewBtn");
    EXPECT_EQ(d.PlayEnd, 29999);
    EXPECT_TRUE(d.PlayViewMode);
    ASSERT_TRUE(WaitFor([&] { return d.Stream->PlayState.load() == TState::Started; }));
    Click(form, "Z_plusBtn");
    EXPECT_EQ(d.ViewLength, 30000U);
    ASSERT_TRUE(WaitFor([&] { return timer.Ends == 1; }));
    EXPECT_EQ(d.CursorPos, 0U);
    EXPECT_EQ(d.ViewStart, 0U);

    // Every sample up to the last visible one was heard, nothing after it.
    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    const std::vector<std::uint8_t> all = Stored(d, 0);
    ASSERT_GE(played.size(), 60000U);
    EXPECT_TRUE(std::equal(all.begin(), all.begin() + 60000, played.begin()));
    EXPECT_TRUE(
        std::all_of(played.begin() + 60000, played.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(Transport, StopLeavesTheCursorWherePlaybackStopped) {
    TChildForm& form = Open({Sine(441000, 100)});
    TDocument& d = form.Document();
    form.show();
    TControlTimer timer(form, *Engine);
    Click(form, "PlayBtn");
    ASSERT_TRUE(WaitFor([&] { return timer.Seen.size() >= 2 && timer.Seen.back() > 0; }));
    QSignalSpy changes(&form, &TChildForm::CommandsMayChange);
    Click(form, "StopBtn");
    EXPECT_EQ(changes.count(), 1);
    ASSERT_TRUE(WaitFor([&] { return timer.Ends == 1; }));
    EXPECT_EQ(d.Stream->PlayState.load(), TState::Stopped);
    EXPECT_GT(d.CursorPos, 0U);
    EXPECT_LT(d.CursorPos, 441000U);
    EXPECT_EQ(d.CursorPos, d.Stream->Position.load());
}

TEST_F(Transport, ChangingTheChannelRestartsPlaybackWithTheNewChannel) {
    TChildForm& form = Open({Sine(441000, 100), Sine(441000, 50)});
    TDocument& d = form.Document();
    form.show();
    TControlTimer timer(form, *Engine);
    Click(form, "PlayBtn");
    ASSERT_TRUE(WaitFor([&] { return d.Stream->PlayState.load() == TState::Started; }));
    form.findChild<QComboBox*>("CurrentChannelBox")->setCurrentIndex(2);
    // The old run has ended and the new one is requested.
    EXPECT_EQ(d.Stream->PlayState.load(), TState::Starting);
    ASSERT_TRUE(WaitFor([&] { return timer.Channels.size() == 2; }));
    EXPECT_EQ(timer.Channels, (std::vector<int>{-1, 1}));
    ASSERT_TRUE(WaitFor([&] { return d.Stream->PlayState.load() == TState::Started; }));
    Click(form, "StopBtn");
    ASSERT_TRUE(WaitFor([&] { return timer.Ends == 2; }));

    // Changing the channel while stopped only chooses it.
    form.findChild<QComboBox*>("CurrentChannelBox")->setCurrentIndex(1);
    EXPECT_EQ(d.ChannelItem, 1);
    EXPECT_EQ(d.Stream->PlayState.load(), TState::Stopped);
}

TEST_F(Transport, ClosingTheWindowStopsPlaybackFirst) {
    TChildForm& form = Open({Sine(441000, 100)});
    TDocument& d = form.Document();
    form.show();
    TControlTimer timer(form, *Engine);
    Click(form, "PlayBtn");
    ASSERT_TRUE(WaitFor([&] { return d.Stream->PlayState.load() == TState::Started; }));
    Forms.clear();
    EXPECT_EQ(d.Stream->PlayState.load(), TState::Stopped);
    // The thread's last report finds no window and touches nothing.
    ASSERT_TRUE(WaitFor([&] { return timer.Ends == 1; }));
}

TEST_F(Transport, RecordRequestClearsTheSelectionAndStopWithdrawsAPendingStart) {
    TChildForm& form = Open({Sine(1000, 100)});
    TDocument& d = form.Document();
    d.Select(10, 20);
    Click(form, "RecordBtn");
    EXPECT_EQ(d.Stream->RecordState.load(), TState::Starting);
    EXPECT_FALSE(d.SelStartSet);
    Click(form, "PlayBtn");  // never play and record at once
    EXPECT_EQ(d.Stream->PlayState.load(), TState::Stopped);
    // Nobody has taken the request up yet: a stop ends it at once.
    Click(form, "StopBtn");
    EXPECT_EQ(d.Stream->RecordState.load(), TState::Stopped);
}

TEST_F(Transport, MissingDevicesAreReported) {
    TMemoryDeviceOptions none;
    none.OutputNames.clear();
    none.InputNames.clear();
    TChildForm& form = Open({Sine(1000, 100)}, "ENG");
    form.SetAudioSystem(std::make_shared<TMemoryAudioSystem>(none));
    form.show();
    for (const char* button : {"PlayBtn", "PlayViewBtn", "RecordBtn"}) {
        SCOPED_TRACE(button);
        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->close();
            }
        });
        Click(form, button);
        EXPECT_EQ(shown, "Audiodevice error");
        EXPECT_EQ(form.Document().Stream->PlayState.load(), TState::Stopped);
        EXPECT_EQ(form.Document().Stream->RecordState.load(), TState::Stopped);
    }
}

}  // namespace
}  // namespace sonavel::test
