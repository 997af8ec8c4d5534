#include <gtest/gtest.h>

#include "app/Dispatcher.h"
#include "app/Preconditions.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using enum TOperation;

std::vector<std::int32_t> Samples(TAudioStream& s) {
    std::vector<std::int32_t> v(s.GetLength());
    s.ReadSamples(0, 0, static_cast<std::uint32_t>(v.size()), v.data());
    return v;
}

std::unique_ptr<TAudioStream> Ramp(std::uint32_t length) {
    auto s = std::make_unique<TAudioStream>(1, 16, 8000);
    std::vector<std::int32_t> v(length);
    for (std::uint32_t i = 0; i < length; ++i) {
        v[i] = static_cast<std::int32_t>((i % 500) * 65536 * 3);
    }
    s->WriteSamples(0, 0, length, v.data());
    return s;
}

class RedoTest : public test::TStreamTest {
  protected:
    TWorkspace W;
    TOperationObserver Quiet;
    TOperationResult Run(TOperation op) { return Execute(W, op, Quiet); }
    bool Enabled(TOperation op) { return sonavel::Enabled(Info(op).Requirements, ConditionsOf(W)); }
};

// Undo steps back and redo forward through every state, bit for bit, the rate and length
// included; the redo copies are the undone streams themselves (the files never exceed the
// document and MaxUndos copies); a new operation clears what could be redone.
TEST_F(RedoTest, UndoAndRedoWalkTheStatesExactly) {
    W.MaxUndos = 3;
    TDocument& d = W.AddDocument(Ramp(3000), "doc");
    W.Dialogs.SetVolume.VolumeEdit = 37;
    W.Dialogs.SampleRateChange.NewValueBox = 11025;
    std::vector<std::vector<std::int32_t>> states{Samples(*d.Stream)};
    for (TOperation op : {SetVolume, Reverse, SampleRateChange}) {
        ASSERT_TRUE(Run(op).Ok);
        states.push_back(Samples(*d.Stream));
    }
    EXPECT_FALSE(Enabled(Redo));
    EXPECT_TRUE(Run(Redo).Refused);

    for (int k = 2; k >= 0; --k) {
        ASSERT_TRUE(Run(Undo).Ok);
        EXPECT_EQ(Samples(*d.Stream), states[static_cast<std::size_t>(k)]) << k;
        EXPECT_EQ(d.RestoreCount() + d.RedoCount(), 3);
        EXPECT_EQ(ChannelFiles().size(), 4U);
    }
    EXPECT_EQ(d.Stream->SampleRate, 8000U);
    EXPECT_FALSE(d.SelEndSet);
    for (std::size_t k = 1; k <= 3; ++k) {
        ASSERT_TRUE(Enabled(Redo));
        ASSERT_TRUE(Run(Redo).Ok);
        EXPECT_EQ(Samples(*d.Stream), states[k]) << k;
        EXPECT_EQ(d.SampleCount, states[k].size());
    }
    EXPECT_EQ(d.Stream->SampleRate, 11025U);
    EXPECT_EQ(d.RedoCount(), 0);

    Run(Undo);
    Run(Undo);
    ASSERT_EQ(d.RedoCount(), 2);
    // A refused or failed operation leaves the redo list; a done one clears it.
    d.ChannelItem = 0;
    EXPECT_TRUE(Run(DelChannel).Refused);
    EXPECT_EQ(d.RedoCount(), 2);
    ASSERT_TRUE(Run(Invert).Ok);
    EXPECT_EQ(d.RedoCount(), 0);
    EXPECT_FALSE(Enabled(Redo));
    EXPECT_EQ(ChannelFiles().size(), 3U);  // the document and its two restore points
}

// Modified after an undo or a redo says whether the content differs from the one last
// saved: an undo back past the save is a change to be asked about, a redo back to it is not.
TEST_F(RedoTest, ModifiedComparesWithTheSavedContent) {
    W.MaxUndos = 4;
    TDocument& d = W.AddDocument(Ramp(800), "doc");
    ASSERT_TRUE(Run(Invert).Ok);
    EXPECT_TRUE(d.Modified);
    d.MarkSaved();
    ASSERT_TRUE(Run(Reverse).Ok);
    EXPECT_TRUE(d.Modified);

    const std::vector<std::pair<TOperation, bool>> steps{
        {Undo, false},  // back at the saved content
        {Undo, true},   // past the save: the opened content
        {Redo, false},  // the saved content again
        {Redo, true},  {Undo, false},
    };
    for (const auto& [op, modified] : steps) {
        ASSERT_TRUE(Run(op).Ok);
        EXPECT_EQ(d.Modified, modified) << Info(op).English;
    }
    // The opened content, never changed, is not modified either.
    TDocument& fresh = W.AddDocument(Ramp(800), "fresh");
    ASSERT_TRUE(Run(Invert).Ok);
    ASSERT_TRUE(Run(Undo).Ok);
    EXPECT_FALSE(fresh.Modified);
}

}  // namespace
}  // namespace sonavel
