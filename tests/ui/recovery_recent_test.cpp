#include <QFile>
#include <filesystem>
#include <fstream>

#include "MainFormHarness.h"
#include "app/RecoveryNote.h"
#include "core/TempPath.h"

namespace sonavel::test {
namespace {

namespace fs = std::filesystem;

class RecoveryAndRecentFiles : public TMainFormTest {
  protected:
    // What an editor that died leaves: its folder with a mono 16-bit channel file and the
    // note of the document, and a lock file nobody holds.
    std::string LeaveDeadEditor(const std::vector<std::int16_t>& samples) {
        const std::string folder = Temp.File("sonavel-deadbeef/");
        fs::create_directory(folder);
        std::ofstream(Temp.File("sonavel-deadbeef.lock"));
        std::ofstream channel(folder + "7.chl", std::ios::binary);
        for (const std::int16_t s : samples) {
            channel.put(static_cast<char>(s & 0xFF)).put(static_cast<char>((s >> 8) & 0xFF));
        }
        TDocumentNote note;
        note.FileName = Temp.File("take.wav");
        note.FileFormat = "PCM";
        note.Caption = "take.wav";
        note.SampleRate = 8000;
        note.BitsPerSample = 16;
        note.Channels = {"7.chl"};
        note.SelEndSet = note.SelStartSet = true;
        note.SelStart = 1;
        note.SelEnd = 2;
        std::ofstream(folder + "doc-0.txt") << NoteText(note);
        return folder;
    }

    QString RecentText(std::size_t index) const {
        const QAction* action = Form->RecentFileActions().at(index);
        return action->isVisible() ? action->text() : QString();
    }
};

// The offer waits for the language; yes opens the document as it was, modified and under its
// own name, and saving it writes its samples; the dead folder goes.
TEST_F(RecoveryAndRecentFiles, YesRecoversTheDeadEditorsDocument) {
    const std::string dead = LeaveDeadEditor({100, -200, 300, 32767});
    Prompts->YesNoAnswers = {true};
    Form->RecoverAfterStart();
    EXPECT_TRUE(Prompts->Asked.empty());
    Form->FormActivate();
    ASSERT_EQ(Prompts->Asked.size(), 1U);
    EXPECT_TRUE(Prompts->Asked[0].Text.startsWith("The program ended unexpectedly. Recover"));
    EXPECT_TRUE(Prompts->Asked[0].Text.endsWith("\ntake.wav"));
    ASSERT_EQ(Form->Workspace().Count(), 1U);
    TDocument& d = *Form->Workspace().Active();
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(d.Caption, "take.wav");
    EXPECT_EQ(Samples(d, 0),
              (std::vector<std::int32_t>{100 * 65536, -200 * 65536, 300 * 65536, 2147418111}));
    EXPECT_EQ(Form->PageControl().count(), 1);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_FALSE(fs::exists(Temp.File("sonavel-deadbeef.lock")));
    // It is the editor's document now, with a note of its own.
    EXPECT_TRUE(fs::exists(d.Note.Path()));

    ASSERT_TRUE(Form->SaveMIClick());
    EXPECT_FALSE(d.Modified);
    EXPECT_EQ(fs::file_size(Temp.File("take.wav")), 44U + 8U);
    EXPECT_EQ(RecentText(0), "&1 " + QString::fromStdString(Temp.File("take.wav")));
}

TEST_F(RecoveryAndRecentFiles, NoDiscardsTheDocuments) {
    const std::string dead = LeaveDeadEditor({1, 2});
    Form->FormActivate();
    Form->SetLanguage("RUS");
    Form->RecoverAfterStart();
    ASSERT_EQ(Prompts->Asked.size(), 1U);
    EXPECT_TRUE(Prompts->Asked[0].Text.startsWith(
        QString::fromUtf8("Программа была завершена аварийно. Восстановить")));
    EXPECT_EQ(Form->Workspace().Count(), 0U);
    EXPECT_FALSE(fs::exists(dead));
    // Nothing left to offer at the next start.
    Form->RecoverAfterStart();
    EXPECT_EQ(Prompts->Asked.size(), 1U);
}

// Opened files go to the front of the File menu, are kept across a restart, and one that is
// gone leaves the list with the message when chosen; the others still open.
TEST_F(RecoveryAndRecentFiles, RecentFilesSurviveARestartAndMissingOnesLeave) {
    Form->FormActivate();
    const std::string a = WriteWav("a.wav", {{1, 2, 3}});
    const std::string b = WriteWav("b.wav", {{4, 5, 6}});
    ASSERT_TRUE(Form->OpenDocument(QString::fromStdString(a)));
    ASSERT_TRUE(Form->OpenDocument(QString::fromStdString(b)));
    ASSERT_TRUE(Form->OpenDocument(QString::fromStdString(a)));
    EXPECT_EQ(RecentText(0), "&1 " + QString::fromStdString(a));
    EXPECT_EQ(RecentText(1), "&2 " + QString::fromStdString(b));
    EXPECT_EQ(RecentText(2), QString());

    ASSERT_TRUE(Form->close());
    MakeForm();
    Form->FormActivate();
    EXPECT_EQ(RecentText(0), "&1 " + QString::fromStdString(a));
    EXPECT_EQ(RecentText(1), "&2 " + QString::fromStdString(b));

    fs::remove(a);
    Form->RecentFileActions().at(0)->trigger();
    ASSERT_EQ(Prompts->Informed.size(), 1U);
    EXPECT_EQ(Prompts->Informed[0].Text, "File not found: " + QString::fromStdString(a));
    EXPECT_EQ(RecentText(0), "&1 " + QString::fromStdString(b));
    EXPECT_EQ(RecentText(1), QString());
    EXPECT_EQ(Form->Workspace().Count(), 0U);

    Form->RecentFileActions().at(0)->trigger();
    ASSERT_EQ(Form->Workspace().Count(), 1U);
    EXPECT_EQ(Form->Workspace().Active()->FileName, b);
    ASSERT_TRUE(Form->close());
    EXPECT_EQ(QSettings("Korvane", "Sonavel_Pro").value("RecentFiles").toStringList(),
              QStringList{QString::fromStdString(b)});
}

}  // namespace
}  // namespace sonavel::test
