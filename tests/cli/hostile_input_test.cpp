// sonavel-cli against damaged files, odd names, signals and a shared temporary folder: a clear
// message and exit code, nothing left in the temporary folder, an existing output untouched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "support/WaitUntil.h"
#include "support/WavBuilder.h"

namespace sonavel {
namespace {

namespace fs = std::filesystem;
using test::TWavBuilder;

// How long a run may take on a loaded machine before the test gives up on it.
constexpr auto Patience = std::chrono::seconds(120);

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Everything in a folder, recursively, as paths relative to it.
std::vector<std::string> Contents(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool HasPartialOutput(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().ends_with(".part")) {
            return true;
        }
    }
    return false;
}

bool WaitFor(const std::function<bool()>& condition) {
    return test::WaitUntil(condition, Patience);
}

// One sonavel-cli process with its output in files.
class TCli {
  public:
    TCli(const std::string& folder, const std::vector<std::string>& args)
        : Out_(folder + "out.txt"), Err_(folder + "err.txt") {
        Pid_ = ::fork();
        if (Pid_ == 0) {
            const int out = ::open(Out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(Err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(err, 2);
            std::vector<char*> argv{const_cast<char*>(SONAVEL_CLI_PATH)};
            for (const auto& a : args) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(SONAVEL_CLI_PATH, argv.data());
            ::_exit(127);
        }
    }
    ~TCli() {
        if (!Done_) {
            ::kill(Pid_, SIGKILL);
            Wait();
        }
    }
    TCli(const TCli&) = delete;
    TCli& operator=(const TCli&) = delete;

    void Signal(int signal) const { ::kill(Pid_, signal); }
    bool Running() {
        if (!Done_ && ::waitpid(Pid_, &Status_, WNOHANG) == Pid_) {
            Done_ = true;
        }
        return !Done_;
    }
    // The wait status; a run that outlasts the patience is killed and fails the test.
    int Wait() {
        if (!WaitFor([this] { return !Running(); })) {
            ADD_FAILURE() << "sonavel-cli did not end";
            ::kill(Pid_, SIGKILL);
            ::waitpid(Pid_, &Status_, 0);
            Done_ = true;
        }
        return Status_;
    }
    int ExitCode() {
        const int status = Wait();
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string Text() const { return ReadText(Out_) + ReadText(Err_); }

  private:
    std::string Out_;
    std::string Err_;
    pid_t Pid_ = -1;
    int Status_ = 0;
    bool Done_ = false;
};

class HostileInputTest : public ::testing::Test {
  protected:
    test::TTempFolder Work;
    std::string Tmp = Work.File("tmp/");
    std::string Out = Work.File("old-output.wav");
    const std::string OldOutput = "an existing output that must survive";

    HostileInputTest() {
        fs::create_directory(Tmp);
        std::ofstream(Out) << OldOutput;
    }

    std::vector<std::string> Args(std::vector<std::string> script) const {
        script.insert(script.begin(), {"--temp", Tmp});
        return script;
    }

    void ExpectNothingLeft(const std::string& what) {
        EXPECT_TRUE(Contents(Tmp).empty())
            << what << ": " << ::testing::PrintToString(Contents(Tmp));
        EXPECT_FALSE(HasPartialOutput(Work.Path())) << what;
    }

    // A sparse WAV file of silence: large, yet made in no time.
    std::string LargeInput(std::uint32_t seconds) const {
        const std::string path = Work.File("large.wav");
        const std::uint32_t rate = 96000;
        const std::uint32_t dataSize = seconds * rate * 4;
        TWavBuilder().Riff().Format(2, rate, 16).ChunkHeader("data", dataSize).WriteTo(path);
        fs::resize_file(path, 44 + std::uint64_t{dataSize});
        return path;
    }
};

TEST_F(HostileInputTest, DamagedAndOddFilesAreRefusedWithAClearMessage) {
    const std::string input = Work.File("in.wav");
    auto header = [](std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
        return TWavBuilder().Riff().FormatRaw(
            1, channels, rate, static_cast<std::uint16_t>(channels * ((bits + 7) / 8)), bits);
    };
    const std::vector<std::uint8_t> whole =
        TWavBuilder().Riff().Format(1, 8000, 16).Data({1, 2}, 2).Content();
    struct Case {
        std::string What;
        std::function<void()> Make;
        std::vector<std::string> Script;
        int Exit;
        std::string Message;
    };
    const std::vector<std::string> copy = {input, "-o", Out};
    const std::vector<Case> cases = {
        {"a FIFO", [&] { ::mkfifo(input.c_str(), 0644); }, copy, 1,
         "Cannot open the file " + input + ": not a regular file"},
        {"a folder", [&] { fs::create_directory(input); }, copy, 1,
         "Cannot open the file " + input + ": it is a folder"},
        {"a rate of 4,000,000,000 Hz",
         [&] { header(1, 4000000000U, 16).Data({1}, 2).WriteTo(input); }, copy, 2,
         "open: Unknown format: " + input},
        {"0 bits", [&] { header(1, 8000, 0).Data({1}, 2).WriteTo(input); }, copy, 2,
         "Unknown format: " + input},
        {"33 bits", [&] { header(1, 8000, 33).Data({1}, 2).WriteTo(input); }, copy, 2,
         "Unknown format: " + input},
        {"64 bits", [&] { header(1, 8000, 64).Data({1}, 2).WriteTo(input); }, copy, 2,
         "Unknown format: " + input},
        {"300 channels", [&] { header(300, 8000, 16).Data({1}, 2).WriteTo(input); }, copy, 2,
         "Unknown format: " + input},
        {"65,535 channels", [&] { header(65535, 8000, 16).Data({1}, 2).WriteTo(input); }, copy, 2,
         "Unknown format: " + input},
        {"33 bits in Russian",
         [&] { header(1, 8000, 33).Data({1}, 2).WriteTo(input); },
         {"--lang", "rus", input, "-o", Out},
         2,
         "open: Формат файла не опознан: " + input},
        {"a header cut short",
         [&] {
             TWavBuilder().Bytes({whole.begin(), whole.begin() + 30}).WriteTo(input);
         },
         copy, 2, "Unknown format: " + input},
        {"a format chunk of 14 bytes",
         [&] {
             TWavBuilder()
                 .Riff()
                 .ChunkHeader("fmt ", 14)
                 .Bytes({1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0})
                 .Data({1}, 2)
                 .WriteTo(input);
         },
         copy, 2, "Unknown format: " + input},
        {"no channels", [&] { header(0, 8000, 16).Data({1}, 2).WriteTo(input); }, copy, 1,
         "A document without channels cannot be saved"},
        {"statistics at the highest rate",
         [&] { header(1, 4194304, 16).Data({1}, 2).WriteTo(input); },
         {input, "stats"},
         0,
         "Samplerate: 4194304 Hz"},
    };
    for (const Case& c : cases) {
        fs::remove_all(input);
        c.Make();
        TCli cli(Work.Path(), Args(c.Script));
        EXPECT_EQ(cli.ExitCode(), c.Exit) << c.What << "\n" << cli.Text();
        EXPECT_NE(cli.Text().find(c.Message), std::string::npos) << c.What << "\n" << cli.Text();
        EXPECT_EQ(ReadText(Out), OldOutput) << c.What;
        ExpectNothingLeft(c.What);
    }

    // A LIST and a fact chunk before the data, as recorders write: the recording is loaded.
    TWavBuilder()
        .Riff()
        .Format(1, 8000, 16)
        .Chunk("LIST", {'I', 'N', 'F', 'O'})
        .Chunk("fact", {3, 0, 0, 0})
        .Data({5, 6, 7}, 2)
        .WriteTo(input);
    TCli cli(Work.Path(), Args({input, "-o", Out}));
    ASSERT_EQ(cli.ExitCode(), 0) << cli.Text();
    const auto saved = test::ReadWholeFile(Out);
    ASSERT_EQ(saved.size(), 44U + 6);
    EXPECT_EQ(std::vector<std::uint8_t>(saved.begin() + 44, saved.end()),
              (std::vector<std::uint8_t>{5, 0, 6, 0, 7, 0}));
    ExpectNothingLeft("LIST and fact");
}

TEST_F(HostileInputTest, ANameOf255BytesIsSaved) {
    const std::string name = std::string(251, 'n') + ".wav";
    TCli cli(Work.Path(), Args({"new", "channels=1", "rate=8000", "tone", "seconds=1", "save",
                                "path=" + Work.File(name)}));
    ASSERT_EQ(cli.ExitCode(), 0) << cli.Text();
    EXPECT_EQ(fs::file_size(Work.File(name)), 44U + 16000);
    ExpectNothingLeft("255 bytes");
}

TEST_F(HostileInputTest, SignalsMidSaveLeaveNothingAndTheOldOutputAlone) {
    const std::string input = LargeInput(120);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TCli cli(Work.Path(), Args({input, "-o", Out}));
        ASSERT_TRUE(WaitFor([&] { return HasPartialOutput(Work.Path()) || !cli.Running(); }));
        cli.Signal(signal);
        const int status = cli.Wait();
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(ReadText(Out), OldOutput) << signal;
        ExpectNothingLeft("signal " + std::to_string(signal));
    }
}

TEST_F(HostileInputTest, AKilledProgramsFilesStayUntilTheNextStartButNeverDisturbAnother) {
    const std::string input = LargeInput(120);
    TCli killed(Work.Path(), Args({input, "-o", Out}));
    ASSERT_TRUE(WaitFor([&] { return HasPartialOutput(Work.Path()) || !killed.Running(); }));
    ASSERT_TRUE(killed.Running());
    killed.Signal(SIGSTOP);  // held mid-save, however slow or fast the machine, until the kill

    // Another program at work in the same temporary folder meanwhile leaves the first alone.
    const std::vector<std::string> before = Contents(Tmp);
    const std::string small = Work.File("small.wav");
    const std::string smallOut = Work.File("small-out.wav");
    TWavBuilder().Riff().Format(1, 8000, 16).Data({1, 2, 3}, 2).WriteTo(small);
    TCli other(Work.File("other-"), Args({small, "volume", "percent=100", "-o", smallOut}));
    ASSERT_EQ(other.ExitCode(), 0) << other.Text();
    EXPECT_EQ(test::ReadWholeFile(smallOut), test::ReadWholeFile(small));
    for (const std::string& name : before) {
        EXPECT_TRUE(fs::exists(Tmp + name)) << name;
    }

    killed.Signal(SIGKILL);
    ASSERT_TRUE(WIFSIGNALED(killed.Wait()));
    EXPECT_FALSE(Contents(Tmp).empty());
    EXPECT_TRUE(HasPartialOutput(Work.Path()));
    EXPECT_EQ(ReadText(Out), OldOutput);

    TCli next(Work.File("next-"), Args({"new"}));
    ASSERT_EQ(next.ExitCode(), 0) << next.Text();
    ExpectNothingLeft("the start after a kill");
}

// The tool's clean-up takes what dead runs of the tool left, never a dead editor's documents,
// which that editor's next start offers back.
TEST_F(HostileInputTest, ADeadEditorsDocumentsOutliveTheToolsCleanUp) {
    for (const std::string name : {"sonavel-editor00", "sonavel-clirun00"}) {
        fs::create_directory(Tmp + name);
        std::ofstream(Tmp + name + ".lock");
        std::ofstream(Tmp + name + "/0.chl") << "samples";
    }
    std::ofstream(Tmp + "sonavel-editor00/doc-0.txt") << "sonavel-document=1";
    TCli run(Work.Path(), Args({"new"}));
    ASSERT_EQ(run.ExitCode(), 0) << run.Text();
    EXPECT_EQ(Contents(Tmp),
              (std::vector<std::string>{"sonavel-editor00", "sonavel-editor00.lock",
                                        "sonavel-editor00/0.chl", "sonavel-editor00/doc-0.txt"}));
}

}  // namespace
}  // namespace sonavel
