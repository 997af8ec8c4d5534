#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/OperationTable.h"
#include "core/AudioStream.h"
#include "core/TempPath.h"
#include "formats/PCM_Format.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavel {
namespace {

struct TRun {
    int Status;
    std::string Out;
    std::string Err;
};

// Runs sonavel-cli with its channel files in the test's own folder.
class CliTest : public test::TStreamTest {
  protected:
    std::string In = Temp.File("in.wav");
    std::string Out = Temp.File("out.wav");
    std::string Chl = Temp.File("chl/");

    CliTest() { std::filesystem::create_directory(Chl); }

    TRun Cli(const std::string& arguments) {
        const std::string errFile = Temp.File("stderr.txt");
        const std::string command =
            std::string(SONAVEL_CLI_PATH) + " --temp " + Chl + " " + arguments + " 2>" + errFile;
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        std::array<char, 4096> buffer{};
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
            out.append(buffer.data(), n);
        }
        const int status = ::pclose(pipe);
        std::ifstream err(errFile);
        std::stringstream text;
        text << err.rdbuf();
        return {WEXITSTATUS(status), out, text.str()};
    }

    void WriteInput(const std::vector<std::int32_t>& interleaved, std::uint16_t channels = 1,
                    std::uint32_t rate = 8000) {
        test::TWavBuilder().Riff().Format(channels, rate, 16).Data(interleaved, 2).WriteTo(In);
    }

    std::vector<std::int32_t> Stored(const std::string& path, std::uint16_t channel = 0) {
        TAudioStream s;
        TPCM(path).LoadStream(s);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(s.GetLength()) * 2);
        s.ReadStored(channel, 0, s.GetLength(), bytes.data());
        std::vector<std::int32_t> v;
        for (std::size_t i = 0; i < bytes.size(); i += 2) {
            v.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
        }
        return v;
    }
};

TEST_F(CliTest, VolumeOnAWavFile) {
    WriteInput({1000, -2000, 3000, 0});
    const TRun r = Cli(In + " volume percent=50 -o " + Out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Stored(Out), (std::vector<std::int32_t>{500, -1000, 1500, 0}));
    EXPECT_TRUE(std::filesystem::is_empty(Chl));  // no channel file left behind
}

TEST_F(CliTest, OpenAndSaveUnchangedIsByteExact) {
    WriteInput({32767, -32768, 1, -1, 12345, 0}, 2);
    ASSERT_EQ(Cli(In + " -o " + Out).Status, 0);
    EXPECT_EQ(test::ReadWholeFile(Out), test::ReadWholeFile(In));
}

// A bits step just before the last save is written while saving; the file must be the one
// converting first gives (a step between keeps the two apart). An MP3 target converts first.
TEST_F(CliTest, BitsJustBeforeSavingGivesTheConvertedFile) {
    WriteInput({32767, -32768, 1, -1, 12345, 0, 255, -256}, 2);
    for (const char* bits : {"8", "24"}) {
        const std::string converted = Temp.File("converted.wav");
        ASSERT_EQ(Cli(In + " bits bits=" + bits + " -o " + Out).Status, 0);
        ASSERT_EQ(Cli(In + " bits bits=" + bits + " channel n=all -o " + converted).Status, 0);
        EXPECT_EQ(test::ReadWholeFile(Out), test::ReadWholeFile(converted)) << bits;
        EXPECT_EQ(test::ReadWholeFile(Out).size(), 44U + 8 * (bits[0] == '8' ? 1 : 3)) << bits;
    }
    const TRun r = Cli(In + " bits bits=24 -o " + Temp.File("out.mp3"));
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_TRUE(std::filesystem::is_empty(Chl));
}

TEST_F(CliTest, SelectionAndChannelLimitAnOperation) {
    WriteInput({100, 200, 100, 200, 100, 200, 100, 200}, 2);
    const TRun r = Cli(In + " channel n=1 select from=1 to=2 invert -o " + Out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Stored(Out, 0), (std::vector<std::int32_t>{100, 100, 100, 100}));
    EXPECT_EQ(Stored(Out, 1), (std::vector<std::int32_t>{200, -200, -200, 200}));
}

TEST_F(CliTest, CutPasteAndUndo) {
    WriteInput({1, 2, 3, 4, 5, 6});
    TRun r = Cli(In + " select from=0 to=1 cut cursor at=2 paste -o " + Out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Stored(Out), (std::vector<std::int32_t>{3, 4, 1, 2, 5, 6}));
    r = Cli(In + " reverse undo -o " + Out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Stored(Out), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(CliTest, JoinInOrderOfLastActivation) {
    WriteInput({1, 2});
    const std::string second = Temp.File("b.wav");
    test::TWavBuilder().Riff().Format(1, 8000, 16).Data({7, 8, 9}, 2).WriteTo(second);
    const TRun r = Cli("open path=" + In + " open path=" + second +
                       " activate index=0 join channels=1 rate=8000 bits=16 -o " + Out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Stored(Out), (std::vector<std::int32_t>{7, 8, 9, 1, 2}));
}

TEST_F(CliTest, NoiseIsTheSameInEveryRun) {
    const std::string script = "new channels=1 rate=8000 bits=16 noise seconds=1 -o ";
    ASSERT_EQ(Cli(script + Out).Status, 0);
    const std::string again = Temp.File("again.wav");
    ASSERT_EQ(Cli(script + again).Status, 0);
    EXPECT_EQ(test::ReadWholeFile(Out), test::ReadWholeFile(again));
    const auto samples = Stored(Out);
    EXPECT_EQ(samples.size(), 8000U);
    EXPECT_NE(std::count(samples.begin(), samples.end(), 0), 8000);
}

TEST_F(CliTest, StatsInfoAndSpectrum) {
    WriteInput({32767, -32768, 32767, -32768});
    TRun r = Cli(In + " stats info");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out,
              "Samplerate: 8000 Hz\nBit resolution: 16 bit\n\nLong 4 samples\nLong 0 seconds\n\n"
              "Average volume level: 100 %\nMaximal volume level: 100 %\nLong of silence: 0 sec.\n"
              "8000 Hz  16 bit  1 chnl.    0:00:00    4\n");
    r = Cli("--lang rus " + In + " stats");
    EXPECT_NE(r.Out.find("Частота дискретизации: 8000 Гц"), std::string::npos);

    const std::string csv = Temp.File("s.csv");
    r = Cli(In + " spectrum size=8 out=" + csv);
    ASSERT_EQ(r.Status, 0) << r.Err;
    std::ifstream in(csv);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 1U + 5);
    EXPECT_EQ(lines[0], "bin,hz,magnitude");
    EXPECT_EQ(lines[5].substr(0, 11), "4,4000.000,");
}

TEST_F(CliTest, RefusedScriptsExitTwoAndWriteNothing) {
    WriteInput({1, 2, 3});
    const struct {
        std::string Args;
        std::string Message;
    } cases[] = {
        {In + " -o " + Out + "x.wav frobnicate", "-o OUTPUT must come last"},
        {In + " frobnicate -o " + Out, "Unknown step frobnicate"},
        {In + " volume percent=1000 -o " + Out,
         "volume: percent=1000: expected a whole number in 0..999"},
        {In + " volume loud=1 -o " + Out, "volume: unknown argument loud"},
        {In + " save path=" + Out + " echo count=9", "echo: count=9"},
        {Temp.File("missing.wav") + " -o " + Out, "File not found"},
        {In + " delete-channel -o " + Out, "Нельзя удалить все каналы"},
        {In + " offset hz=2001 -o " + Out,
         "offset: hz=2001: expected a whole number in -2000..2000"},
        {In + " save path=" + Temp.File("x.flac"), "the name must end in .wav or .mp3"},
        {In + " save path=" + Temp.File("x.mp3") + " bitrate=320", "expected one of 8 16 24"},
        {"new rate=8000 tone seconds=1 -o " + Out, ""},
        {"new rate=192000 tone seconds=100000 -o " + Out, "too long"},
        {"volume", "no document is open"},
    };
    for (const auto& c : cases) {
        const TRun r = Cli(c.Args);
        if (c.Message.empty()) {
            EXPECT_EQ(r.Status, 0) << c.Args << "\n" << r.Err;
            std::filesystem::remove(Out);
            continue;
        }
        EXPECT_EQ(r.Status, 2) << c.Args;
        EXPECT_NE(r.Err.find(c.Message), std::string::npos) << c.Args << "\n" << r.Err;
        EXPECT_FALSE(std::filesystem::exists(Out)) << c.Args;
    }
    const std::string notWav = Temp.File("fake.wav");
    std::ofstream(notWav) << "hello";
    TRun r = Cli(notWav + " -o " + Out);
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("Unknown format"), std::string::npos);
    r = Cli("--lang rus " + notWav + " -o " + Out);
    EXPECT_NE(r.Err.find("Формат файла не опознан"), std::string::npos);
}

TEST_F(CliTest, AnInputOutputFailureExitsOne) {
    WriteInput({1, 2, 3});
    const TRun r = Cli(In + " -o " + Temp.File("no/such/folder/out.wav"));
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("No such file or directory"), std::string::npos) << r.Err;
}

TEST_F(CliTest, HelpListsEveryStepWithItsKeys) {
    const TRun r = Cli("--help");
    EXPECT_EQ(r.Status, 0);
    for (const TOperationInfo& info : Operations()) {
        if (info.CliWord == nullptr) {
            continue;
        }
        std::string line = std::string("\n  ") + info.CliWord;
        for (const TParameter& p : info.Parameters) {
            line += std::string(" ") + p.Key + "=";
        }
        const auto at = r.Out.find(
            line.substr(0, line.find('=') == std::string::npos ? line.size() : line.find('=')));
        ASSERT_NE(at, std::string::npos) << info.CliWord;
    }
    for (const char* text : {"spectrum size=2048", "silence ms=1000 (1..30000 ms)",
                             "offset hz=-RATE/4..RATE/4", "--max-undos"}) {
        EXPECT_NE(r.Out.find(text), std::string::npos) << text;
    }
}

// Each parameter of each operation step refuses a value just outside what it allows, and
// the message names the step, the key and the allowed values.
TEST_F(CliTest, EveryParameterRefusesAValueJustOutsideItsRange) {
    WriteInput({1, 2, 3, 4}, 2, 44100);
    const TFormat format{2, 44100};
    int checked = 0;
    for (const TOperationInfo& info : Operations()) {
        for (const TParameter& p : info.Parameters) {
            std::vector<std::pair<std::string, std::string>> bad;  // value, allowed text
            if (p.Type == TParamType::Integer || p.Type == TParamType::NumberList) {
                const TRange range = p.Range(format);
                const std::string allowed =
                    std::to_string(range.Min) + ".." + std::to_string(range.Max);
                for (std::int64_t v : {range.Min - 1, range.Max + 1}) {
                    std::string value = std::to_string(v);
                    for (std::size_t i = 1; i < p.Count; ++i) {
                        value += ",100";
                    }
                    bad.emplace_back(value, allowed);
                }
            } else if (p.Type == TParamType::Choice || p.Type == TParamType::YesNo) {
                bad.emplace_back("nonsense",
                                 p.Type == TParamType::YesNo ? "no|yes" : p.Items.back().Word);
            }
            for (const auto& [value, allowed] : bad) {
                const std::string step = std::string(info.CliWord) + " " + p.Key + "=" + value;
                const TRun r = Cli(In + " " + step + " -o " + Out);
                EXPECT_EQ(r.Status, 2) << step;
                EXPECT_NE(r.Err.find(std::string(info.CliWord) + ": " + p.Key), std::string::npos)
                    << step << r.Err;
                EXPECT_NE(r.Err.find(allowed), std::string::npos) << step << r.Err;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 60);
    EXPECT_FALSE(std::filesystem::exists(Out));
}

// Refusals leave everything as the editor leaves it: a paste from a clipboard of one sample
// does nothing, so the chosen channel still holds for the next step.
TEST_F(CliTest, RefusedPasteKeepsTheChannelChoiceAndDeletionNeedsAChosenChannel) {
    WriteInput({5});
    const std::string stereo = Temp.File("stereo.wav");
    test::TWavBuilder()
        .Riff()
        .Format(2, 8000, 16)
        .Data({10, 20, 30, 40, 50, 60}, 2)
        .WriteTo(stereo);
    TRun r = Cli(In + " copy open path=" + stereo + " channel n=1 paste invert -o " + Out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Stored(Out, 0), (std::vector<std::int32_t>{10, 30, 50}));
    EXPECT_EQ(Stored(Out, 1), (std::vector<std::int32_t>{-20, -40, -60}));

    // With two samples the paste runs and puts the choice back to all channels.
    r = Cli(stereo + " select from=0 to=1 copy channel n=1 cursor at=0 paste invert -o " + Out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::vector<std::int32_t> left = Stored(Out, 0);  // the pasted range is the selection
    ASSERT_GE(left.size(), 3U);
    EXPECT_EQ(left[0], -10);
    EXPECT_EQ(left[2], 50);
    EXPECT_EQ(Stored(Out, 1), (std::vector<std::int32_t>{-10, -30, 20, 40, 60}));

    for (const std::string& script :
         {stereo + " delete-channel", In + " channel n=0 delete-channel"}) {
        r = Cli(script + " -o " + Out);
        EXPECT_EQ(r.Status, 2) << script;
        EXPECT_NE(r.Err.find("Нельзя удалить все каналы"), std::string::npos) << script;
    }
    r = Cli(stereo + " channel n=0 delete-channel -o " + Out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Stored(Out, 0), (std::vector<std::int32_t>{20, 40, 60}));
}

}  // namespace
}  // namespace sonavel
