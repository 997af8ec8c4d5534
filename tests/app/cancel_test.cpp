#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/Dispatcher.h"
#include "app/FileCommands.h"
#include "core/Progress.h"
#include "formats/PCM_Format.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using enum TOperation;

// Asks for a cancel when the worker announces the caption it is told to stop at: the restore
// point's caption stops the copy, the operation's caption its branch, the graph caption comes
// after the point where nothing stops any more.
class TCancelAt : public TOperationObserver {
  public:
    explicit TCancelAt(std::string caption) : Caption_(std::move(caption)) {}
    void SetCaption(const std::string& caption) override {
        if (caption == Caption_) {
            RequestCancel();
        }
    }
    void BuildGraph(TDocument& /*document*/) override { ++Graphs; }
    int Graphs = 0;

  private:
    std::string Caption_;
};

std::vector<std::int32_t> Samples(TAudioStream& s, std::uint16_t channel) {
    std::vector<std::int32_t> v(s.GetLength());
    s.ReadSamples(channel, 0, static_cast<std::uint32_t>(v.size()), v.data());
    return v;
}

std::unique_ptr<TAudioStream> Noise(std::uint16_t channels, std::uint32_t length) {
    auto s = std::make_unique<TAudioStream>(channels, 16, 22050);
    std::uint32_t x = 12345;
    for (std::uint16_t c = 0; c < channels; ++c) {
        std::vector<std::int32_t> v(length);
        for (auto& value : v) {
            x = x * 1103515245U + 12345U;
            value = static_cast<std::int32_t>(x & 0xFFFF0000U);
        }
        s->WriteSamples(c, 0, length, v.data());
    }
    return s;
}

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class CancelTest : public test::TStreamTest {
  protected:
    TWorkspace W;

    // Everything a cancelled operation must leave as it was.
    struct TSnapshot {
        std::vector<std::vector<std::int32_t>> Channels;
        std::uint32_t Rate;
        std::uint16_t Bits;
        std::vector<std::vector<std::int32_t>> Newest;  // the newest restore point's samples
        int RestoreCount;
        std::uint32_t SelStart, SelEnd, CursorPos, ViewStart, ViewLength;
        bool Modified;
        int ChannelItem;
        std::size_t Files;  // channel files (their names may change)
        bool operator==(const TSnapshot&) const = default;
    };

    TSnapshot Take(TDocument& d) const {
        TSnapshot s{{},
                    d.Stream->SampleRate,
                    d.Stream->BitsPerSample,
                    {},
                    d.RestoreCount(),
                    d.SelStart,
                    d.SelEnd,
                    d.CursorPos,
                    d.ViewStart,
                    d.ViewLength,
                    d.Modified,
                    d.ChannelItem,
                    ChannelFiles().size()};
        for (std::uint16_t c = 0; c < d.Stream->ChannelCount; ++c) {
            s.Channels.push_back(Samples(*d.Stream, c));
        }
        if (d.RestoreCount() > 0) {
            for (std::uint16_t c = 0; c < d.RestorePoints[0]->ChannelCount; ++c) {
                s.Newest.push_back(Samples(*d.RestorePoints[0], c));
            }
        }
        return s;
    }
};

// Every kind of long operation, cancelled while its restore point (or private copy) is being
// taken and while it works, with and without restore points: the document, its restore
// points and the temporary folder are exactly as before, and nothing is reported.
TEST_F(CancelTest, EveryKindOfOperationPutsTheDocumentBackExactly) {
    const std::vector<TOperation> operations{SetVolume,     Reverse,      Equalize,
                                             OffsetSpectra, Delete,       SampleRateChange,
                                             nBitsChange,   InsertSilence};
    // Values that make every operation work through the whole span.
    W.Dialogs.SetVolume.VolumeEdit = 50;
    W.Dialogs.Equalize.Gains.fill(40);
    W.Dialogs.OffsetSpectra.OffsetEdit = 300;
    W.Dialogs.SampleRateChange.NewValueBox = 8000;
    W.Dialogs.ChangeBits.NewValue = 8;
    W.Dialogs.InsertSilence.LongEdit = 500;
    for (const int maxUndos : {0, 2}) {
        for (const TOperation op : operations) {
            for (const bool inCopy : {true, false}) {
                SCOPED_TRACE(Info(op).English + std::string(inCopy ? " in copy" : " in branch") +
                             " MaxUndos " + std::to_string(maxUndos));
                W.MaxUndos = maxUndos;
                TDocument& d = W.AddDocument(Noise(2, 60000), "doc");
                d.SampleCount = d.Stream->GetLength();
                d.ResetView();
                if (maxUndos > 0) {
                    TOperationObserver quiet;
                    ASSERT_TRUE(Execute(W, SetVolume, quiet).Ok);  // an older restore point
                }
                d.Select(1000, 40999);
                d.CursorPos = 500;
                const TSnapshot before = Take(d);

                TCancelAt observer(inCopy ? RestorePointCaption(W.Language)
                                          : Caption(op, W.Language));
                TOperationResult result;
                {
                    const TCancellable cancellable;
                    result = Execute(W, op, observer);
                }
                EXPECT_TRUE(result.Cancelled);
                EXPECT_FALSE(result.Ok);
                EXPECT_TRUE(result.Message.empty());
                EXPECT_EQ(observer.Graphs, 0);  // the cache still shows the document
                EXPECT_TRUE(Take(d) == before);
                W.Close(d.Tag);
            }
        }
    }
}

// A cancel that comes once the operation has been committed (while the graph is built) or
// on a thread that does not take cancels changes nothing: the operation completes.
TEST_F(CancelTest, TooLateOrNotAllowedCompletes) {
    TDocument& d = W.AddDocument(Noise(1, 30000), "doc");
    d.SampleCount = d.Stream->GetLength();
    W.Dialogs.SetVolume.VolumeEdit = 0;
    TCancelAt late(Caption(BuildGraph, W.Language));
    {
        const TCancellable cancellable;
        EXPECT_TRUE(Execute(W, SetVolume, late).Ok);
    }
    EXPECT_EQ(late.Graphs, 1);
    EXPECT_EQ(Samples(*d.Stream, 0), std::vector<std::int32_t>(30000, 0));

    TCancelAt unarmed(Caption(Invert, W.Language));
    EXPECT_TRUE(Execute(W, Invert, unarmed).Ok);
    EXPECT_EQ(d.RestoreCount(), 2);
}

// Opening: the reader stops, the partly read stream takes its channel files with it.
// Saving: the old file stays byte for byte and no partial file is left beside it.
TEST_F(CancelTest, OpenAndSaveLeaveNoTrace) {
    auto source = Noise(2, 200000);
    const std::string path = Temp.File("old.wav");
    SavePCMFile(*source, path);
    const std::string old = Content(path);
    const std::vector<std::string> files = ChannelFiles();

    for (const std::string& format : {PcmFormat, Mp3Format}) {
        SCOPED_TRACE(format);
        TSaveResult result;
        {
            const TCancellable cancellable;
            RequestCancel();
            const std::string target = format == PcmFormat ? path : Temp.File("old.mp3");
            result = SaveStream(*Noise(2, 200000), target, format, {}, "ENG");
        }
        EXPECT_FALSE(result.Ok);
        EXPECT_TRUE(result.Message.empty());
        EXPECT_EQ(Content(path), old);
        EXPECT_EQ(ChannelFiles(), files);
    }

    {
        const TCancellable cancellable;
        RequestCancel();
        TAudioStream stream;
        EXPECT_THROW(LoadFile(path, PcmFormat, stream), TCancelled);
    }
    EXPECT_EQ(ChannelFiles(), files);
}

}  // namespace
}  // namespace sonavel
