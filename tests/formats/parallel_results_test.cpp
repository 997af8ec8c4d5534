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
        {"triangle tone mixed",
         [](TAudioStream& s, auto&) {
             s.GenerateTone(-1, 9, TAudioStream::Triangle, 441.5, 90, 2, n);
         }},
        {"sine tone inserted",
         [](TAudioStream& s, auto&) { s.GenerateTone(1, 0, TAudioStream::Sine, 1000, 70, 1, n); }},
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

struct TFigures {
    std::vector<TComplex> Spectrum;
    std::int32_t Average = 0;
    std::int32_t Peak = 0;
    std::uint32_t Silent = 0;
};

TFigures Analyse(TAudioStream& s, int channel) {
    TFigures f;
    s.AnalyzeSpectrum(channel, 3, 140000, f.Spectrum, 1024);
    s.GetStatistics(channel, 0, 145000, f.Average, f.Peak, f.Silent);
    return f;
}

TEST_F(ParallelResultsTest, AnalysesGiveTheSameFiguresOnEveryThreadCount) {
    for (const std::uint16_t bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        auto s = RandomStream(bits, bits);
        // Silent in every channel at 1000 .. 1099, in one only at 2000 .. 2099.
        const std::vector<std::int32_t> zeros(100, 0);
        for (std::uint16_t c = 0; c < 3; ++c) {
            s->WriteSamples(c, 1000, 100, zeros.data());
        }
        s->WriteSamples(0, 2000, 100, zeros.data());
        for (const int channel : {-1, 1}) {
            TFigures one;
            {
                const TThreadLimit limit(1);
                one = Analyse(*s, channel);
            }
            const TFigures all = Analyse(*s, channel);
            EXPECT_GE(one.Silent, channel == -1 ? 100U : 200U);
            EXPECT_EQ(one.Silent, all.Silent);
            EXPECT_EQ(one.Average, all.Average);
            EXPECT_EQ(one.Peak, all.Peak);
            ASSERT_EQ(one.Spectrum.size(), all.Spectrum.size());
            for (std::size_t j = 0; j < one.Spectrum.size(); ++j) {
                ASSERT_EQ(one.Spectrum[j].Re, all.Spectrum[j].Re) << j;
                ASSERT_EQ(one.Spectrum[j].Im, all.Spectrum[j].Im) << j;
            }
        }
    }
}

}  // namespace
}  // namespace sonavel
