#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/Dispatcher.h"
#include "app/FileCommands.h"
#include "app/RecentFiles.h"
#include "app/Recovery.h"
#include "core/TempPath.h"
#include "platform/ProgramFolder.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

namespace fs = std::filesystem;
using enum TOperation;

constexpr std::uint32_t LongLength = 300000;

std::unique_ptr<TAudioStream> Wave(std::uint32_t length, int seed) {
    auto s = std::make_unique<TAudioStream>(2, 16, 22050);
    std::vector<std::int32_t> v(length);
    for (std::uint16_t c = 0; c < 2; ++c) {
        for (std::uint32_t i = 0; i < length; ++i) {
            v[i] = static_cast<std::int32_t>((i * (7 + seed + c)) % 3001) * 600000 - 900000000;
        }
        s->WriteSamples(c, 0, length, v.data());
    }
    return s;
}

std::vector<std::int32_t> Samples(TAudioStream& s, std::uint16_t channel) {
    std::vector<std::int32_t> v(s.GetLength());
    s.ReadSamples(channel, 0, static_cast<std::uint32_t>(v.size()), v.data());
    return v;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Kills the process in the middle of deleting a channel: the channel and its file are gone,
// the operation has not finished.
class TKillObserver : public TOperationObserver {
  public:
    bool Armed = false;
    void FillChannelBox(TDocument& /*document*/) override {
        if (Armed) {
            ::raise(SIGKILL);
        }
    }
};

// Document "a.wav" gets a volume change of a selection; the new project gets an inversion
// and then loses its first channel in an operation the process does not survive.
void RunEditorAndDie(int maxUndos) {
    TWorkspace w;
    w.KeepRecoveryNotes = true;
    w.MaxUndos = maxUndos;
    w.Dialogs.SetVolume.VolumeEdit = 50;
    TKillObserver observer;
    w.AddDocument(Wave(5000, 1), "a.wav", "/music/a.wav", "PCM").Select(100, 199);
    Execute(w, SetVolume, observer);
    TDocument& b = w.AddDocument(Wave(LongLength, 2), "New project");
    Execute(w, Invert, observer);
    b.ChannelItem = 1;
    observer.Armed = true;
    Execute(w, DelChannel, observer);
    ::_exit(3);  // not reached
}

class RecoveryTest : public test::TStreamTest {
  protected:
    // Forks an editor that dies as above; true when it was killed.
    static bool EditorKilled(int maxUndos) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            RunEditorAndDie(maxUndos);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    std::vector<std::string> DeadFolders() const {
        std::vector<std::string> names;
        for (const std::string& name : Temp.Files()) {
            if (name.starts_with("sonavel-") && !name.ends_with(".lock") &&
                Temp.File(name) + "/" != ChannelFolder()) {
                names.push_back(name);
            }
        }
        return names;
    }
};

class RecoveryAfterKill : public RecoveryTest, public ::testing::WithParamInterface<int> {};

// Both documents come back with the samples of their last completed operation (the one that
// was cut short is gone), the names, the selection, modified; saved, they are the same bytes
// the documents would have been; the dead folder goes. With and without restore points.
TEST_P(RecoveryAfterKill, BothDocumentsComeBackAsAfterTheirLastCompletedOperation) {
    ASSERT_TRUE(EditorKilled(GetParam()));
    // A clean-up (the command-line tool's, or any program's start) leaves the documents.
    EXPECT_EQ(RemoveDeadProgramFolders(Temp.Path()), 0);
    ASSERT_EQ(DeadFolders().size(), 1U);

    TWorkspace expected;
    TOperationObserver quiet;
    expected.Dialogs.SetVolume.VolumeEdit = 50;
    expected.AddDocument(Wave(5000, 1), "a.wav").Select(100, 199);
    Execute(expected, SetVolume, quiet);
    expected.AddDocument(Wave(LongLength, 2), "New project");
    Execute(expected, Invert, quiet);

    TRecoverableDocuments found(Temp.Path());
    EXPECT_EQ(found.Captions(), (std::vector<std::string>{"a.wav", "New project"}));
    TWorkspace w;
    const auto result = found.Recover(w);
    ASSERT_EQ(result.Documents.size(), 2U);
    EXPECT_TRUE(result.Failure.empty());
    for (int tag = 0; tag < 2; ++tag) {
        TDocument& got = w.Document(tag);
        TDocument& want = expected.Document(tag);
        EXPECT_TRUE(got.Modified);
        EXPECT_EQ(got.SampleCount, want.Stream->GetLength());
        EXPECT_EQ(got.Stream->ChannelCount, 2);  // the channel being deleted is back
        EXPECT_EQ(got.Stream->SampleRate, 22050U);
        EXPECT_EQ(got.Stream->BitsPerSample, 16);
        for (std::uint16_t c = 0; c < 2; ++c) {
            EXPECT_TRUE(Samples(*got.Stream, c) == Samples(*want.Stream, c)) << tag << " " << c;
        }
        const std::string mine = Temp.File("got.wav");
        const std::string theirs = Temp.File("want.wav");
        ASSERT_TRUE(SaveStream(*got.Stream, mine, "PCM", {}, "ENG").Ok);
        ASSERT_TRUE(SaveStream(*want.Stream, theirs, "PCM", {}, "ENG").Ok);
        EXPECT_TRUE(Bytes(mine) == Bytes(theirs)) << tag;
    }
    EXPECT_EQ(w.Document(0).FileName, "/music/a.wav");
    EXPECT_EQ(w.Document(0).FileFormat, "PCM");
    EXPECT_TRUE(w.Document(0).SelEndSet);
    EXPECT_EQ(w.Document(0).SelStart, 100U);
    EXPECT_EQ(w.Document(0).SelEnd, 199U);
    EXPECT_TRUE(w.Document(1).FileName.empty());
    EXPECT_FALSE(w.Document(1).SelEndSet);
    EXPECT_TRUE(DeadFolders().empty());
}

INSTANTIATE_TEST_SUITE_P(RestorePoints, RecoveryAfterKill, ::testing::Values(2, 0));

// Declining removes the dead editor's files and lock; a running program's folder with notes
// is neither offered nor touched; a dead folder without notes is the clean-up's.
TEST_F(RecoveryTest, DeclineRemovesTheFilesAndRunningProgramsAreLeftAlone) {
    ASSERT_TRUE(EditorKilled(2));
    const std::string dead = DeadFolders().at(0);
    TProgramFolder running(Temp.Path());
    std::ofstream(running.Path() + "0.chl") << "live";
    TDocumentNote live;
    live.SampleRate = 8000;
    live.BitsPerSample = 8;
    live.Channels = {"0.chl"};
    std::ofstream(running.Path() + "doc-0.txt") << NoteText(live);
    // Another user's dead folder in a shared temporary folder (where this test may hand one
    // over) is not this user's to recover.
    const std::string other = Temp.File("sonavel-other000/");
    fs::create_directory(other);
    std::ofstream(Temp.File("sonavel-other000.lock"));
    std::ofstream(other + "0.chl") << "theirs";
    std::ofstream(other + "doc-0.txt") << NoteText(live);
    const bool handedOver = ::chown(other.c_str(), 4321, 4321) == 0;
    if (!handedOver) {
        fs::remove_all(other);
    }
    {
        TRecoverableDocuments found(Temp.Path());
        EXPECT_EQ(found.Captions().size(), 2U);  // the dead editor's only
        // Claimed: another start finds nothing while this one decides.
        EXPECT_TRUE(TRecoverableDocuments(Temp.Path()).Empty());
        found.Discard();
    }
    EXPECT_FALSE(fs::exists(Temp.File(dead)));
    EXPECT_FALSE(fs::exists(Temp.File(dead + ".lock")));
    EXPECT_TRUE(fs::exists(running.Path() + "doc-0.txt"));
    EXPECT_TRUE(fs::exists(running.Path() + "0.chl"));
    EXPECT_TRUE(TRecoverableDocuments(Temp.Path()).Empty());
    EXPECT_EQ(fs::exists(other + "doc-0.txt"), handedOver);
    // A dead folder whose note never got written (only its name was taken) goes when seen.
    fs::create_directory(Temp.File("sonavel-empty000"));
    std::ofstream(Temp.File("sonavel-empty000.lock"));
    std::ofstream(Temp.File("sonavel-empty000/doc-0.txt"));
    EXPECT_TRUE(TRecoverableDocuments(Temp.Path()).Empty());
    EXPECT_FALSE(fs::exists(Temp.File("sonavel-empty000")));
    EXPECT_FALSE(fs::exists(Temp.File("sonavel-empty000.lock")));
}

// A note is what the editor keeps beside an open document: written on every change, naming
// files that exist, and gone with the document.
TEST_F(RecoveryTest, NoteFollowsTheDocumentAndGoesWithIt) {
    TWorkspace w;
    w.KeepRecoveryNotes = true;
    TOperationObserver quiet;
    {
        TDocument& d = w.AddDocument(Wave(100, 3), "take.wav", "/t/take.wav", "PCM");
        KeepRecoveryNote(w, d);
        ASSERT_FALSE(d.Note.Path().empty());
        Execute(w, Reverse, quiet);
        const auto note = ParseNote(Bytes(d.Note.Path()));
        ASSERT_TRUE(note);
        EXPECT_EQ(note->Caption, "take.wav");
        ASSERT_EQ(note->Channels.size(), 2U);
        EXPECT_EQ(ChannelFolder() + note->Channels[0], d.Stream->ChannelFileNames[0]);
        EXPECT_EQ(fs::file_size(d.Stream->ChannelFileNames[0]), 200U);  // written back
    }
    const std::string path = w.Document(0).Note.Path();
    w.Close(0);
    EXPECT_FALSE(fs::exists(path));
    // The command-line tool keeps none.
    TWorkspace cli;
    TDocument& d = cli.AddDocument(Wave(10, 1), "x");
    KeepRecoveryNote(cli, d);
    EXPECT_TRUE(d.Note.Path().empty());
}

TEST(RecoveryNote, TextRoundTripsAndDamagedNotesAreRefused) {
    const TDocumentNote note{.FileName = "/a b/odd\nname\\x.wav",
                             .FileFormat = "MP3",
                             .Caption = "odd",
                             .SampleRate = 48000,
                             .BitsPerSample = 24,
                             .Channels = {"3.chl", "10.chl"},
                             .SelStartSet = true,
                             .SelEndSet = true,
                             .SelStart = 5,
                             .SelEnd = 4000000000U,
                             .CursorPos = 7};
    const std::string text = NoteText(note);
    EXPECT_EQ(ParseNote(text), note);
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = text;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    for (const std::string& damaged :
         {std::string(), text.substr(0, text.size() / 2), replaced("end=1\n", ""),
          replaced("channel=3.chl", "channel=../3.chl"), replaced("bits=24", "bits=0"),
          replaced("bits=24", "bits=33"), replaced("rate=48000", "rate=4x"),
          replaced("sonavel-document=1", "other=1")}) {
        EXPECT_FALSE(ParseNote(damaged)) << damaged;
    }
}

TEST(RecentFiles, NewestFirstOnceEachAtMostEight) {
    TRecentFiles list;
    for (int i = 1; i <= 10; ++i) {
        list.Add("/f" + std::to_string(i));
    }
    list.Add("/f5");
    list.Add("");
    EXPECT_EQ(list.Items(),
              (std::vector<std::string>{"/f5", "/f10", "/f9", "/f8", "/f7", "/f6", "/f4", "/f3"}));
    // A stored list is taken in its order, the first of repeats kept, cut to eight.
    const TRecentFiles stored({"/a", "", "/b", "/a", "/c", "/d", "/e", "/f", "/g", "/h", "/i"});
    EXPECT_EQ(stored.Items(),
              (std::vector<std::string>{"/a", "/b", "/c", "/d", "/e", "/f", "/g", "/h"}));
    list.Remove("/f10");
    const auto missing =
        list.RemoveMissing([](const std::string& p) { return p != "/f9" && p != "/f3"; });
    EXPECT_EQ(missing, (std::vector<std::string>{"/f9", "/f3"}));
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"/f5", "/f8", "/f7", "/f6", "/f4"}));
    EXPECT_EQ(RecentFileText(0, "/x/y.wav"), "&1 /x/y.wav");
    EXPECT_EQ(RecentFileText(7, "/z"), "&8 /z");
}

}  // namespace
}  // namespace sonavel
