// Lengths computed from a duration and a rate, or from a change of speed or rate, that pass
// the 32-bit sample positions are refused before anything changes.
#include "core/LengthLimit.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/AudioStream.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

class LengthLimitTest : public test::TStreamTest {};

TEST_F(LengthLimitTest, OperationsPassingTheLimitLeaveTheStreamAsItWas) {
    struct Case {
        const char* What;
        std::function<void(TAudioStream&)> Run;
    };
    TAudioStream slow(1, 16, 1);
    slow.WriteSample(0, 0, 65536);
    slow.WriteSample(0, 1, 131072);
    const std::vector<Case> cases = {
        {"silence behind two samples", [](TAudioStream& s) { s.InsertSilence(-1, 0, UINT32_MAX); }},
        {"tone inserted",
         [](TAudioStream& s) { s.GenerateTone(-1, 0, 0, 440, 50, 1, UINT32_MAX); }},
        {"tone replacing at the end",
         [](TAudioStream& s) { s.GenerateTone(-1, 1, 0, 440, 50, 0, UINT32_MAX); }},
        {"noise longer than any stream",
         [](TAudioStream& s) { s.GenerateNoise(-1, 0, 0, 50, 0, MaxSamples + 1); }},
        {"slowed down", [](TAudioStream& s) { s.ChangeSpeed(-1, 0, false, 1e-10, 2); }},
        {"rate raised", [](TAudioStream& s) { s.ChangeSampleRate(4000000000U); }},
        {"file pasted at a higher rate",
         [&slow](TAudioStream& s) { s.PasteFrom(-1, 0, slow, TAudioStream::PasteInsert); }},
    };
    for (const Case& c : cases) {
        TAudioStream s(1, 16, 4000000000U);
        s.WriteSample(0, 0, 65536);
        s.WriteSample(0, 1, 131072);
        if (std::string(c.What) == "rate raised") {
            s.SampleRate = 1;
        }
        const std::uint32_t rate = s.SampleRate;
        try {
            c.Run(s);
            ADD_FAILURE() << c.What << ": not refused";
        } catch (const TLengthError& e) {
            EXPECT_GT(e.Samples(), MaxSamples) << c.What;
            EXPECT_NE(std::string(e.what()).find("4294967295"), std::string::npos) << c.What;
        }
        EXPECT_EQ(s.GetLength(), 2U) << c.What;
        EXPECT_EQ(s.SampleRate, rate) << c.What;
        std::int32_t v = 0;
        s.ReadSample(0, 1, v);
        EXPECT_EQ(v, 131072) << c.What;
    }
    // Up to the limit is taken.
    EXPECT_NO_THROW(CheckLength(MaxSamples, "edge"));
}

}  // namespace
}  // namespace sonavel
