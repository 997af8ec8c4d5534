#include "app/Dispatcher.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "app/UndoClipboard.h"
#include "core/TempPath.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using enum TOperation;

class TRecorder : public TOperationObserver {
  public:
    void SetCaption(const std::string& caption) override { Captions.push_back(caption); }
    void BuildGraph(TDocument&) override { ++Graphs; }
    std::vector<std::string> Captions;
    int Graphs = 0;
};

std::vector<std::int32_t> Samples(TAudioStream& s, std::uint16_t channel) {
    std::vector<std::int32_t> v(s.GetLength());
    s.ReadSamples(channel, 0, static_cast<std::uint32_t>(v.size()), v.data());
    return v;
}

// A document whose channel c holds (i + 1) * 65536 * (c + 1) at sample i.
std::unique_ptr<TAudioStream> Ramp(std::uint16_t channels, std::uint32_t length,
                                   std::uint32_t rate = 44100) {
    auto s = std::make_unique<TAudioStream>(channels, 16, rate);
    for (std::uint16_t c = 0; c < channels; ++c) {
        std::vector<std::int32_t> v(length);
        for (std::uint32_t i = 0; i < length; ++i) {
            v[i] = static_cast<std::int32_t>((i % 1000 + 1) * 65536 * (c + 1));
        }
        s->WriteSamples(c, 0, length, v.data());
    }
    return s;
}

class DispatcherTest : public test::TStreamTest {
  protected:
    TWorkspace W;
    TRecorder Observer;

    TDocument& Open(std::unique_ptr<TAudioStream> s) { return W.AddDocument(std::move(s), "doc"); }
    TOperationResult Run(TOperation op) { return Execute(W, op, Observer); }
};

TEST_F(DispatcherTest, WithoutSelectionTheWholeDocumentAndAllChannels) {
    TDocument& d = Open(Ramp(2, 1000));
    W.Dialogs.SetVolume.VolumeEdit = 0;
    ASSERT_TRUE(Run(SetVolume).Ok);
    for (std::uint16_t c = 0; c < 2; ++c) {
        for (auto v : Samples(*d.Stream, c)) {
            ASSERT_EQ(v, 0);
        }
    }
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(d.RestoreCount(), 1);
}

TEST_F(DispatcherTest, OneChosenChannelOnlyAndTheChoiceReturnsToAll) {
    TDocument& d = Open(Ramp(2, 1000));
    const auto right = Samples(*d.Stream, 1);
    d.ChannelItem = 1;  // the left channel
    d.Select(100, 199);
    W.Dialogs.SetVolume.VolumeEdit = 0;
    ASSERT_TRUE(Run(SetVolume).Ok);
    const auto left = Samples(*d.Stream, 0);
    EXPECT_EQ(left[99], 100 * 65536);
    EXPECT_EQ(left[100], 0);
    EXPECT_EQ(left[199], 0);
    EXPECT_EQ(left[200], 201 * 65536);
    EXPECT_EQ(Samples(*d.Stream, 1), right);
    EXPECT_EQ(d.ChannelItem, 0);
    EXPECT_TRUE(d.SelEndSet);  // the selection survives operations
}

TEST_F(DispatcherTest, CaptionsInTheInterfaceLanguage) {
    Open(Ramp(1, 100));
    W.Language = "ENG";
    Run(SetVolume);
    EXPECT_EQ(Observer.Captions, (std::vector<std::string>{"Creating restoration point",
                                                           "Changing volume", "Creating graph"}));
    Observer.Captions.clear();
    W.Language = "RUS";
    Run(NormalizeVolume);
    EXPECT_EQ(Observer.Captions,
              (std::vector<std::string>{"Создание точки отката", "Выравнивание уровня громкости",
                                        "Построение графика"}));
    Observer.Captions.clear();
    Run(CopyTo);  // not undoable: no restore point, no graph
    EXPECT_EQ(Observer.Captions, (std::vector<std::string>{"Копирование в буфер обмена"}));
}

TEST_F(DispatcherTest, CutWithoutSelectionEmptiesTheDocument) {
    TDocument& d = Open(Ramp(2, 1000));
    d.CursorPos = 500;
    ASSERT_TRUE(Run(Cut).Ok);
    EXPECT_EQ(d.SampleCount, 0U);
    EXPECT_EQ(d.CursorPos, 0U);
    EXPECT_EQ(W.ClipboardStream->GetLength(), 1000U);
    EXPECT_EQ(W.ClipboardStream->ChannelCount, 2);
}

// Deleting moves the cursor to the selection start, and then the length change brings
// cursor and view back to the whole document.
TEST_F(DispatcherTest, DeleteClearsTheSelectionAndShowsTheWholeDocument) {
    TDocument& d = Open(Ramp(1, 1000));
    d.Select(100, 299);
    d.CursorPos = 700;
    d.ViewStart = 50;
    d.ViewLength = 100;
    ASSERT_TRUE(Run(Delete).Ok);
    EXPECT_EQ(d.SampleCount, 800U);
    EXPECT_EQ(d.CursorPos, 0U);
    EXPECT_EQ(d.ViewStart, 0U);
    EXPECT_EQ(d.ViewLength, 800U);
    EXPECT_FALSE(d.SelStartSet || d.SelEndSet);
    EXPECT_EQ(Samples(*d.Stream, 0)[100], 301 * 65536);
}

TEST_F(DispatcherTest, PasteSelectsThePastedRangeAtTheDocumentsRate) {
    TDocument& source = Open(Ramp(1, 300, 22050));
    ASSERT_TRUE(Run(CopyTo).Ok);
    EXPECT_FALSE(source.Modified);
    TDocument& d = Open(Ramp(2, 1000, 44100));
    d.CursorPos = 10;
    ASSERT_TRUE(Run(Insert).Ok);
    EXPECT_EQ(d.SampleCount, 1600U);
    EXPECT_TRUE(d.SelEndSet);
    EXPECT_EQ(d.SelStart, 10U);
    EXPECT_EQ(d.SelEnd, 10U + 600 - 1);
    // A mono clipboard goes into every chosen channel.
    EXPECT_EQ(Samples(*d.Stream, 1)[10], Samples(*d.Stream, 0)[10]);
}

// A refused operation changes nothing: no restore point, no caption, the channel choice kept.
TEST_F(DispatcherTest, RefusedOperationsChangeNothing) {
    TDocument& d = Open(Ramp(2, 100));
    d.ChannelItem = 2;
    for (std::uint32_t clip : {0U, 1U}) {
        W.ClipboardStream = Ramp(1, clip);
        const TOperationResult r = Run(Insert);
        EXPECT_TRUE(r.Refused);
        EXPECT_TRUE(r.Message.empty());
    }
    EXPECT_EQ(d.ChannelItem, 2);
    d.ChannelItem = 0;
    const TOperationResult del = Run(DelChannel);
    EXPECT_TRUE(del.Refused);
    EXPECT_EQ(del.Message, "Нельзя удалить все каналы");
    EXPECT_TRUE(Run(Undo).Refused);
    W.Dialogs.InsertSilence.LongEdit = 30000;
    d.Stream->SampleRate = 200000000;  // 6e9 samples: past the limit
    const TOperationResult silence = Run(InsertSilence);
    EXPECT_TRUE(silence.Refused);
    EXPECT_NE(silence.Message.find("4294967295"), std::string::npos) << silence.Message;
    EXPECT_EQ(d.SampleCount, 100U);
    EXPECT_EQ(d.RestoreCount(), 0);
    EXPECT_FALSE(d.Modified);
    EXPECT_TRUE(Observer.Captions.empty());

    d.Stream->SampleRate = 44100;
    W.ClipboardStream = Ramp(1, 2);
    ASSERT_TRUE(Run(Insert).Ok);
    EXPECT_EQ(d.SampleCount, 102U);
}

TEST_F(DispatcherTest, SilenceOfOneSecondSelectsItsSamples) {
    TDocument& d = Open(Ramp(1, 1000));
    d.CursorPos = 250;
    W.Dialogs.InsertSilence.LongEdit = 1000;
    ASSERT_TRUE(Run(InsertSilence).Ok);
    EXPECT_EQ(d.SampleCount, 1000U + 44100);
    EXPECT_EQ(d.SelStart, 250U);
    EXPECT_EQ(d.SelEnd, 250U + 44099);
    // The length changed: cursor and view go back to the whole document.
    EXPECT_EQ(d.CursorPos, 0U);
    EXPECT_EQ(d.ViewLength, d.SampleCount);
}

TEST_F(DispatcherTest, SilencePastTheSamplePositionsIsRefusedNamingTheLimit) {
    TDocument& d = Open(Ramp(1, 10, 4000000000U));
    W.Dialogs.InsertSilence.LongEdit = 30000;
    W.Language = "RUS";
    const TOperationResult r = Run(InsertSilence);
    EXPECT_FALSE(r.Ok);
    EXPECT_NE(r.Message.find("предел 4294967295"), std::string::npos) << r.Message;
    EXPECT_EQ(d.Stream->GetLength(), 10U);
}

TEST_F(DispatcherTest, DoubleSpeedHalvesTheSelection) {
    TDocument& d = Open(Ramp(1, 5000));
    d.Select(1000, 1999);
    W.Dialogs.SetSpeed = {200, TSpeedAlgorithm::Simple, false};
    ASSERT_TRUE(Run(SetSpeed).Ok);
    EXPECT_EQ(d.SelStart, 1000U);
    EXPECT_EQ(d.SelEnd - d.SelStart + 1, 500U);
    EXPECT_EQ(d.SampleCount, 4500U);

    TDocument& e = Open(Ramp(1, 5000));
    const auto before = Samples(*e.Stream, 0);
    e.Select(10, 20);
    W.Dialogs.SetSpeed = {100, TSpeedAlgorithm::Simple, false};
    ASSERT_TRUE(Run(SetSpeed).Ok);
    EXPECT_EQ(e.SelEnd, 20U);
    EXPECT_EQ(Samples(*e.Stream, 0), before);
}

TEST_F(DispatcherTest, DeletingTheChosenChannel) {
    TDocument& d = Open(Ramp(3, 100));
    const auto third = Samples(*d.Stream, 2);
    d.ChannelItem = 2;  // channel 1
    ASSERT_TRUE(Run(DelChannel).Ok);
    EXPECT_EQ(d.Stream->ChannelCount, 2);
    EXPECT_EQ(Samples(*d.Stream, 1), third);
    EXPECT_EQ(d.ChannelItem, 0);
}

TEST_F(DispatcherTest, RestorePointsFollowMaxUndos) {
    TDocument& d = Open(Ramp(1, 100));
    W.MaxUndos = 0;
    Run(Invert);
    EXPECT_EQ(d.RestoreCount(), 0);
    EXPECT_EQ(ChannelFiles().size(), 1U);  // no copy left behind either

    W.MaxUndos = 2;
    const auto afterA = [&] {
        Run(Invert);  // A
        return Samples(*d.Stream, 0);
    }();
    Run(Reverse);  // B
    Run(Invert);   // C
    EXPECT_EQ(d.RestoreCount(), 2);
    Run(Undo);
    Run(Undo);
    EXPECT_EQ(Samples(*d.Stream, 0), afterA);
    EXPECT_EQ(d.RestoreCount(), 0);
    Run(Undo);  // nothing left: nothing happens
    EXPECT_EQ(Samples(*d.Stream, 0), afterA);

    W.MaxUndos = 8;
    for (int i = 0; i < 5; ++i) {
        Run(Invert);
    }
    EXPECT_EQ(d.RestoreCount(), 5);
    W.MaxUndos = 2;
    EXPECT_EQ(d.RestoreCount(), 5);  // lowering discards nothing at once
    Run(Invert);
    EXPECT_EQ(d.RestoreCount(), 2);
    EXPECT_EQ(ChannelFiles().size(), 3U);  // the document and two points, one channel each
}

TEST_F(DispatcherTest, UndoBringsBackTheSamplesExactly) {
    TDocument& d = Open(Ramp(2, 700));
    std::vector<std::int32_t> loud(700, MaxLevel);
    d.Stream->WriteSamples(0, 0, 700, loud.data());
    const auto before0 = Samples(*d.Stream, 0);
    const auto before1 = Samples(*d.Stream, 1);
    W.Dialogs.SetVolume.VolumeEdit = 50;
    Run(SetVolume);
    Run(Undo);
    EXPECT_EQ(Samples(*d.Stream, 0), before0);
    EXPECT_EQ(Samples(*d.Stream, 1), before1);
}

TEST_F(DispatcherTest, UndoAfterASampleRateChange) {
    TDocument& d = Open(Ramp(1, 44100));
    d.Select(10, 20);
    d.CursorPos = 15;
    W.Dialogs.SampleRateChange.NewValueBox = 22050;
    ASSERT_TRUE(Run(SampleRateChange).Ok);
    EXPECT_EQ(d.Stream->SampleRate, 22050U);
    EXPECT_TRUE(d.Modified);
    d.CursorPos = 7;
    ASSERT_TRUE(Run(Undo).Ok);
    EXPECT_EQ(d.Stream->SampleRate, 44100U);
    EXPECT_EQ(d.SampleCount, 44100U);
    EXPECT_FALSE(d.SelStartSet || d.SelEndSet);
    EXPECT_EQ(d.CursorPos, 0U);
    EXPECT_EQ(d.ViewLength, 44100U);
    // Back at the content as opened: nothing to save.
    EXPECT_FALSE(d.Modified);
}

TEST_F(DispatcherTest, JoinFollowsTheOrderOfLastActivation) {
    Open(Ramp(1, 10));                 // tag 0
    TDocument& b = Open(Ramp(1, 20));  // tag 1
    Open(Ramp(1, 30));                 // tag 2
    W.Activate(0);                     // order now: 1, 2, 0
    W.Dialogs.ConnectFiles.Order = W.ActivationOrder();
    TDocument& target = W.AddDocument(std::make_unique<TAudioStream>(1, 16, 44100), "joined");
    ASSERT_TRUE(Run(ConnectFiles).Ok);
    EXPECT_EQ(target.SampleCount, 60U);
    EXPECT_TRUE(target.Modified);
    const auto joined = Samples(*target.Stream, 0);
    EXPECT_EQ(std::vector<std::int32_t>(joined.begin(), joined.begin() + 20),
              Samples(*b.Stream, 0));
    EXPECT_EQ(target.RestoreCount(), 0);
}

TEST_F(DispatcherTest, MixingDocumentsOfDifferentLengths) {
    auto a = std::make_unique<TAudioStream>(1, 16, 44100);
    auto b = std::make_unique<TAudioStream>(1, 16, 44100);
    std::vector<std::int32_t> ones(100, 1 << 24);
    a->WriteSamples(0, 0, 100, ones.data());
    b->WriteSamples(0, 0, 50, ones.data());
    Open(std::move(a));
    Open(std::move(b));
    W.Dialogs.MixFiles.Order = W.ActivationOrder();
    TDocument& target = W.AddDocument(std::make_unique<TAudioStream>(1, 16, 44100), "mixed");
    ASSERT_TRUE(Run(MixFiles).Ok);
    const auto mixed = Samples(*target.Stream, 0);
    ASSERT_EQ(mixed.size(), 100U);
    EXPECT_NEAR(mixed[10], 1 << 24, 65536 * 2);
    EXPECT_NEAR(mixed[80], 1 << 23, 65536 * 2);
}

// A failure inside an operation (here the file size limit standing in for a full disk)
// puts the document back as it was and leaves no channel file behind.
class FailureTest : public DispatcherTest {
  protected:
    void WithFileSizeLimit(std::uint64_t bytes, const std::function<void()>& body) {
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
        body();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
};

TEST_F(FailureTest, DiskFullDuringAnOperationLeavesTheDocumentAsItWas) {
    for (const int maxUndos : {2, 0}) {
        TWorkspace w;
        w.MaxUndos = maxUndos;
        TDocument& d = w.AddDocument(Ramp(2, 100000), "doc");
        w.Dialogs.SetVolume.VolumeEdit = 50;
        ASSERT_TRUE(Execute(w, SetVolume, Observer).Ok);  // one point to keep
        for (auto& f : d.Stream->ChannelFiles) {
            f->Flush();
        }
        const auto before0 = Samples(*d.Stream, 0);
        const auto before1 = Samples(*d.Stream, 1);
        const int points = d.RestoreCount();
        d.Modified = false;
        d.Select(5, 10);
        d.CursorPos = 50;
        const auto filesBefore = ChannelFiles();
        w.Dialogs.InsertSilence.LongEdit = 30000;  // grows each channel far past the limit
        w.Language = "ENG";
        TOperationResult result;
        WithFileSizeLimit(400000, [&] { result = Execute(w, InsertSilence, Observer); });
        EXPECT_FALSE(result.Ok);
        EXPECT_NE(result.Message.find("Not enough disk space"), std::string::npos)
            << result.Message;
        EXPECT_EQ(Samples(*d.Stream, 0), before0) << maxUndos;
        EXPECT_EQ(Samples(*d.Stream, 1), before1) << maxUndos;
        EXPECT_EQ(d.SampleCount, 100000U);
        EXPECT_EQ(d.RestoreCount(), points);
        EXPECT_FALSE(d.Modified);
        EXPECT_EQ(d.SelStart, 5U);
        EXPECT_EQ(d.CursorPos, 50U);
        EXPECT_EQ(ChannelFiles().size(), filesBefore.size()) << maxUndos;
    }
    EXPECT_TRUE(ChannelFiles().empty());
}

TEST_F(FailureTest, AMissingTempFolderIsReportedAndNothingChanges) {
    TDocument& d = Open(Ramp(1, 1000));
    const auto before = Samples(*d.Stream, 0);
    SetTempPath(Temp.File("gone"));
    W.Language = "RUS";
    const TOperationResult result = Run(Invert);
    SetTempPath(Temp.Path());
    EXPECT_FALSE(result.Ok);
    EXPECT_NE(result.Message.find("Ошибка ввода-вывода"), std::string::npos) << result.Message;
    EXPECT_EQ(Samples(*d.Stream, 0), before);
    EXPECT_EQ(d.RestoreCount(), 0);
    EXPECT_FALSE(d.Modified);
}

TEST_F(FailureTest, AFailedCopyKeepsTheOldClipboard) {
    TDocument& d = Open(Ramp(1, 1000));
    Run(CopyTo);
    TAudioStream* clipboard = W.ClipboardStream.get();
    d.Select(0, 9);
    SetTempPath(Temp.File("gone"));
    EXPECT_FALSE(Run(CopyTo).Ok);
    SetTempPath(Temp.Path());
    EXPECT_EQ(W.ClipboardStream.get(), clipboard);
    EXPECT_EQ(W.ClipboardStream->GetLength(), 1000U);
}

}  // namespace
}  // namespace sonavel
