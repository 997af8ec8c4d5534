// The operations that work on several channels at once must leave exactly the bytes the
// one-thread run leaves, at every stored width.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "core/ParallelWork.h"
#include "core/Progress.h"
#include "core/StreamSamples.h"
#include "formats/PCM_Format.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::RandomBytes;
using test::Stored;
using ParallelResultsTest = test::TStreamTest;

// Three channels of different lengths, each longer than two blocks of the block walks.
constexpr std::uint32_t Lengths[] = {150001, 140000, 131072};

std::unique_ptr<TAudioStream> RandomStream(std::uint16_t bits, unsigned seed) {
    auto s = std::make_unique<TAudioStream>(3, bits, 44100);
    for (std::uint16_t c = 0; c < 3; ++c) {
        const auto bytes = RandomBytes(std::size_t{Lengths[c]} * s->BytesPerSample, seed + c);
        s->WriteStored(c, 0, Lengths[c], bytes.data());
    }
    return s;
}

struct TCase {
    const char* Name;
    std::function<void(TAudioStream&, const std::string& file)> Run;
};

TEST_F(ParallelResultsTest, EveryThreadCountLeavesTheSameBytes) {
    const std::uint32_t n = 145000;
    const std::vector<TCase> cases = {
        {"volume", [](TAudioStream& s, auto&) { s.SetVolume(-1, 10, 1.7, n); }},
        {"normalize", [](TAudioStream& s, auto&) { s.Normalize(-1, 0, n); }},
        {"fade in", [](TAudioStream& s, auto&) { s.FadeIn(-1, 5, n); }},
        {"fade out", [](TAudioStream& s, auto&) { s.FadeOut(-1, 0, n); }},
        {"invert", [](TAudioStream& s, auto&) { s.Invert(-1, 0, n); }},
        {"reverse", [](TAudioStream& s, auto&) { s.Reverse(-1, 3, n); }},
        {"echo", [](TAudioStream& s, auto&) { s.AddEcho(-1, 100, 0.75, 400, 2, n); }},
        {"reverb", [](TAudioStream& s, auto&) { s.AddReverberation(-1, 0, 0.95, 8, 4, n); }},
        {"faster", [](TAudioStream& s, auto&) { s.ChangeSpeed(-1, 7, false, 1.5, n); }},
        {"slower, gliding", [](TAudioStream& s, auto&) { s.ChangeSpeed(-1, 0, true, 0.6, n); }},
        {"sample rate", [](TAudioStream& s, auto&) { s.ChangeSampleRate(32000); }},
        {"wider", [](TAudioStream& s, auto&) { s.ChangeBits(32); }},
        {"narrower", [](TAudioStream& s, auto&) { s.ChangeBits(8); }},
        {"wav save and load",
         [](TAudioStream& s, const std::string& file) {
             SavePCMFile(s, file);
             TPCM(file).LoadStream(s);
         }},
    };
    int run = 0;
    for (const std::uint16_t bits : {8, 16, 24, 32}) {
        for (const TCase& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + ", " + std::to_string(bits) + " bits");
            auto one = RandomStream(bits, bits);
            auto all = RandomStream(bits, bits);
            {
                const TThreadLimit limit(1);
                c.Run(*one, Temp.File("one" + std::to_string(run) + ".wav"));
            }
            c.Run(*all, Temp.File("all" + std::to_string(run) + ".wav"));
            ++run;
            EXPECT_FALSE(Processing.load());
            ASSERT_EQ(one->ChannelCount, all->ChannelCount);
            ASSERT_EQ(one->BitsPerSample, all->BitsPerSample);
            for (std::uint16_t ch = 0; ch < one->ChannelCount; ++ch) {
                EXPECT_EQ(Stored(*one, ch), Stored(*all, ch)) << "channel " << ch;
            }
        }
    }
}

}  // namespace
}  // namespace sonavel
