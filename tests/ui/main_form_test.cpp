#include <QAbstractButton>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QSpinBox>

#include "MainFormHarness.h"
#include "app/ErrorText.h"
#include "core/TempPath.h"
#include "core/TransportControl.h"
#include "ui/ChildForm.h"
#include "ui/NewProjectDlg.h"

namespace sonavel::test {
namespace {

using enum TCommand;

// --- The enabling rule ---------------------------------------------------------------------

TEST(EnablingRule, WithoutDocumentOnlyTheNeverDisabledCommandsWork) {
    const TCommandSet enabled = EnabledCommands({});
    for (std::size_t i = 0; i < CommandCount; ++i) {
        const auto command = static_cast<TCommand>(i);
        EXPECT_EQ(enabled.test(i), !IsDocumentCommand(command)) << MenuItemName(command);
    }
    for (TCommand command : {NewFile, OpenFile, Settings, AudioSettings, Help, NewVersion, About}) {
        EXPECT_TRUE(enabled.test(Index(command))) << MenuItemName(command);
    }
}

TEST(EnablingRule, EmptyDocumentKeepsTheCommandsThatAddAudio) {
    const TCommandSet enabled = EnabledCommands({.HasDocument = true});
    for (TCommand command :
         {CloseFile, InsertSilence, InsFromFile, AddChannel, DelChannel, SampleRateChange,
          nBitsChange, ConnectFiles, MixFiles, CreateFreq, CreateNoise}) {
        EXPECT_TRUE(enabled.test(Index(command))) << MenuItemName(command);
    }
    for (TCommand command :
         {Save,          SaveAs,        SaveSelection, Cut,          CopyTo,
          Delete,        Erase,         SetSpeed,      SetVolume,    NormalizeVolume,
          UpVolume,      DownVolume,    Reverse,       AddEcho,      Revebration,
          Invert,        Equalize,      OffsetSpectra, MultiSpectra, FreqAnalys,
          SelDelSpectra, AddBrainWaves, AllAnalys,     RoundSound,   Undo,
          Insert,        Mix,           Overwrite}) {
        EXPECT_FALSE(enabled.test(Index(command))) << MenuItemName(command);
    }
}

TEST(EnablingRule, RecordingDisablesEveryDocumentCommandWhateverElseHolds) {
    const TCommandSet enabled = EnabledCommands({.HasDocument = true,
                                                 .Recording = true,
                                                 .Length = 1,
                                                 .RestoreCount = 1,
                                                 .ClipboardLength = 2});
    for (std::size_t i = 0; i < CommandCount; ++i) {
        EXPECT_EQ(enabled.test(i), !IsDocumentCommand(static_cast<TCommand>(i)));
    }
}

TEST(EnablingRule, UndoFollowsRestorePointsAndPastesFollowTheClipboard) {
    const TConditionState full{
        .HasDocument = true, .Length = 1, .RestoreCount = 1, .ClipboardLength = 2};
    EXPECT_TRUE(EnabledCommands(full).test(Index(Undo)));
    EXPECT_TRUE(EnabledCommands(full).test(Index(Mix)));
    TConditionState noUndo = full;
    noUndo.RestoreCount = 0;
    EXPECT_FALSE(EnabledCommands(noUndo).test(Index(Undo)));
    EXPECT_TRUE(EnabledCommands(noUndo).test(Index(Insert)));
    TConditionState noClip = full;
    noClip.ClipboardLength = 0;
    for (TCommand command : {Insert, Mix, Overwrite}) {
        EXPECT_FALSE(EnabledCommands(noClip).test(Index(command)));
    }
    EXPECT_TRUE(EnabledCommands(noClip).test(Index(Undo)));
}

TEST(CommandTable, EveryButtonSitsAtItsPlaceAndEveryCommandHasOneMenuItem) {
    ASSERT_EQ(ToolButtons().size(), 23U);
    int previous = 0;
    for (const TToolButton& button : ToolButtons()) {
        EXPECT_GT(button.Left, previous) << button.Name;
        previous = button.Left;
    }
    std::vector<int> items(CommandCount, 0);
    for (const TMenuRow& row : MenuTree()) {
        if (row.Kind == TMenuRow::Item) {
            ++items.at(Index(row.Command));
            EXPECT_EQ(MenuItemName(row.Command), row.Name);
        }
    }
    for (std::size_t i = 0; i < CommandCount; ++i) {
        EXPECT_EQ(items.at(i), 1) << MenuItemName(static_cast<TCommand>(i));
    }
}

// --- The main window's commands --------------------------------------------------------------

using MainForm = TMainFormTest;

TEST_F(MainForm, WithoutDocumentNothingButNewAndOpenWorks) {
    EXPECT_TRUE(Enabled(NewFile));
    EXPECT_TRUE(Enabled(OpenFile));
    EXPECT_TRUE(ButtonEnabled("SpeedButton1"));
    EXPECT_TRUE(ButtonEnabled("SpeedButton2"));
    for (TCommand command : {Save, CloseFile, Undo, Cut, CopyTo, Insert, InsFromFile, Delete,
                             NormalizeVolume, AddChannel}) {
        EXPECT_FALSE(Enabled(command)) << MenuItemName(command);
    }
    for (const char* button : {"SpeedButton3", "SpeedButton4", "SpeedButton12", "SpeedButton22"}) {
        EXPECT_FALSE(ButtonEnabled(button)) << button;
    }
}

// Every command has its window: with a document open, each is enabled exactly when the rule
// says so.
TEST_F(MainForm, EveryCommandIsConnectedAndFollowsTheRule) {
    OpenSine("a.wav");
    Form->UpdateCommands();
    const TConditionState state = ConditionsOf(Form->Workspace());
    for (std::size_t i = 0; i < CommandCount; ++i) {
        const auto command = static_cast<TCommand>(i);
        EXPECT_EQ(Enabled(command), sonavel::Enabled(Requirements(command), state))
            << MenuItemName(command);
    }
}

TEST_F(MainForm, NewEmptyProjectEnablesOnlyWhatNeedsNoAudio) {
    Form->NewProjectForm().nChannelsEdit->setValue(3);
    const TDocument& d = NewProject();
    EXPECT_EQ(d.Stream->ChannelCount, 3);
    EXPECT_EQ(d.Stream->SampleRate, 44100U);
    EXPECT_EQ(d.Stream->BitsPerSample, 16);
    EXPECT_EQ(Form->PageControl().count(), 1);
    EXPECT_EQ(Form->PageControl().tabText(0), QString());  // no language chosen yet
    for (TCommand command : {CloseFile, InsFromFile, AddChannel, DelChannel}) {
        EXPECT_TRUE(Enabled(command)) << MenuItemName(command);
    }
    for (TCommand command :
         {Save, SaveAs, SaveSelection, Cut, CopyTo, Delete, Erase, NormalizeVolume, UpVolume,
          DownVolume, Reverse, Invert, Undo, Insert}) {
        EXPECT_FALSE(Enabled(command)) << MenuItemName(command);
    }
    EXPECT_TRUE(ButtonEnabled("SpeedButton22"));
    EXPECT_FALSE(ButtonEnabled("SpeedButton3"));
}

TEST_F(MainForm, NewProjectIsNamedInTheInterfaceLanguage) {
    Form->SetLanguage("RUS");
    NewProject();
    EXPECT_EQ(Form->PageControl().tabText(0), QStringLiteral("Новый проект"));
    Form->SetLanguage("ENG");
    NewProject();
    EXPECT_EQ(Form->PageControl().tabText(1), QStringLiteral("New project"));
}

TEST_F(MainForm, CancelledNewProjectCreatesNothing) {
    Prompts->OnDialog = [](QDialog& dialog) {
        dialog.reject();
        return dialog.result();
    };
    Form->NewFileMIClick();
    EXPECT_EQ(Form->Workspace().Count(), 0U);
    EXPECT_EQ(Form->PageControl().count(), 0);
}

TEST_F(MainForm, PasteCommandsFollowTheClipboard) {
    TDocument& d = OpenSine("a.wav", 3000);
    EXPECT_FALSE(Enabled(Insert));
    EXPECT_FALSE(ButtonEnabled("SpeedButton7"));
    d.Select(100, 599);
    Form->CopyToMIClick();
    EXPECT_EQ(Form->Workspace().ClipboardStream->GetLength(), 500U);
    for (TCommand command : {Insert, Mix, Overwrite}) {
        EXPECT_TRUE(Enabled(command)) << MenuItemName(command);
    }
    for (const char* button : {"SpeedButton7", "SpeedButton8", "SpeedButton9"}) {
        EXPECT_TRUE(ButtonEnabled(button)) << button;
    }
    // The clipboard serves every document, also after its source has gone.
    Form->CloseFileMIClick();
    NewProject();
    EXPECT_TRUE(Enabled(Insert));
    Form->InsertMIClick();
    TDocument& target = *Form->Workspace().Active();
    EXPECT_EQ(target.Stream->GetLength(), 500U);
    EXPECT_TRUE(target.SelEndSet);
    EXPECT_EQ(target.SelEnd, 499U);
}

TEST_F(MainForm, UndoFollowsTheRestorePoints) {
    TDocument& d = OpenSine("a.wav", 2000);
    const std::vector<std::int32_t> before = Samples(d, 0);
    EXPECT_FALSE(Enabled(Undo));
    Form->InvertMIClick();
    EXPECT_TRUE(d.Modified);
    EXPECT_TRUE(Enabled(Undo));
    EXPECT_TRUE(ButtonEnabled("SpeedButton4"));
    EXPECT_NE(Samples(d, 0), before);
    Form->UndoMIClick();
    EXPECT_EQ(Samples(d, 0), before);
    EXPECT_FALSE(Enabled(Undo));
    EXPECT_FALSE(ButtonEnabled("SpeedButton4"));
    // Undo without a restore point does nothing.
    Form->UndoMIClick();
    EXPECT_EQ(Samples(d, 0), before);
}

TEST_F(MainForm, CutWithoutSelectionEmptiesTheDocumentAndDisablesWhatNeedsAudio) {
    TDocument& d = OpenSine("a.wav", 1500);
    Form->CutMIClick();
    EXPECT_EQ(d.Stream->GetLength(), 0U);
    EXPECT_EQ(d.CursorPos, 0U);
    EXPECT_EQ(Form->Workspace().ClipboardStream->GetLength(), 1500U);
    EXPECT_FALSE(Enabled(Save));
    EXPECT_FALSE(Enabled(CopyTo));
    EXPECT_TRUE(Enabled(Insert));
    EXPECT_TRUE(Enabled(Undo));
}

TEST_F(MainForm, DeletingAChannelNeedsOneChosenOfSeveral) {
    TDocument& d = OpenSine("a.wav");
    Form->DelChannelMIClick();  // all channels chosen
    ASSERT_EQ(Prompts->Informed.size(), 1U);
    EXPECT_EQ(Prompts->Informed[0].Text, QStringLiteral("Нельзя удалить все каналы"));
    EXPECT_EQ(d.Stream->ChannelCount, 2);
    EXPECT_FALSE(d.Modified);

    d.ChannelItem = 2;
    Form->DelChannelMIClick();
    EXPECT_EQ(d.Stream->ChannelCount, 1);
    EXPECT_EQ(d.ChannelItem, 0);
    d.ChannelItem = 1;
    Form->DelChannelMIClick();  // the last channel
    EXPECT_EQ(Prompts->Informed.size(), 2U);
    EXPECT_EQ(d.Stream->ChannelCount, 1);
}

// The paste commands answer as the command line does: enabled while the clipboard holds
// audio, but a single sample pastes nothing and leaves the channel choice alone.
TEST_F(MainForm, PasteFollowsTheClipboardsLength) {
    TDocument& d = OpenSine("a.wav", 100);
    for (std::uint32_t clip : {0U, 1U, 2U}) {
        Form->Workspace().ClipboardStream = std::make_unique<TAudioStream>(1, 16, 44100);
        std::vector<std::int32_t> samples(clip, 1 << 20);
        Form->Workspace().ClipboardStream->WriteSamples(0, 0, clip, samples.data());
        d.ChannelItem = 1;
        Form->UpdateCommands();
        EXPECT_EQ(Enabled(Insert), clip > 0) << clip;
        Form->InsertMIClick();
        EXPECT_EQ(d.Stream->GetLength(), clip == 2 ? 102U : 100U) << clip;
        EXPECT_EQ(d.ChannelItem, clip == 2 ? 0 : 1) << clip;
        EXPECT_EQ(d.RestoreCount(), clip == 2 ? 1 : 0) << clip;
    }
    EXPECT_TRUE(Prompts->Informed.empty());
}

TEST_F(MainForm, AddChannelGivesAnEmptyChannelAndTheListFollows) {
    TDocument& d = OpenSine("a.wav", 1000);
    Form->SetLanguage("ENG");
    Form->AddChannelMIClick();
    EXPECT_EQ(d.Stream->ChannelCount, 3);
    auto* box = Form->Child(d)->findChild<QComboBox*>("CurrentChannelBox");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(WaitFor([box] { return box->count() == 4; }));
    EXPECT_EQ(box->itemText(0), QStringLiteral("All"));
}

TEST_F(MainForm, FailedOperationShowsItsMessageAndLeavesTheDocumentAsItWas) {
    TDocument& d = OpenSine("a.wav", 2000);
    const std::vector<std::int32_t> before = Samples(d, 1);
    d.Select(10, 1009);
    // Nothing can be written for the restore point.
    SetTempPath(Temp.File("missing/folder/"));
    Form->NormalizeVolumeMIClick();
    SetTempPath(Temp.Path());
    ASSERT_EQ(Prompts->Informed.size(), 1U);
    EXPECT_FALSE(Prompts->Informed[0].Text.isEmpty());
    EXPECT_EQ(Samples(d, 1), before);
    EXPECT_FALSE(d.Modified);
    EXPECT_EQ(d.RestoreCount(), 0);
    EXPECT_TRUE(d.SelEndSet);
    EXPECT_EQ(d.SelStart, 10U);
    EXPECT_EQ(d.SelEnd, 1009U);
    EXPECT_FALSE(Enabled(Undo));
    EXPECT_FALSE(Form->ProcessForm().isVisible());
    // The editor goes on working.
    Form->InvertMIClick();
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(Prompts->Informed.size(), 1U);
}

// --- Documents, tabs and closing ----------------------------------------------------------------

TEST_F(MainForm, ClosingTheSecondOfThreeRenumbersTheThird) {
    Form->show();
    TDocument& first = OpenSine("one.wav", 500);
    OpenSine("two.wav", 600);
    TDocument& third = OpenSine("three.wav", 700);
    ASSERT_EQ(third.Tag, 2);
    Form->PageControlChange(1);
    ASSERT_EQ(Form->Workspace().Active()->Caption, "two.wav");
    Form->CloseFileMIClick();
    ASSERT_EQ(Form->Workspace().Count(), 2U);
    EXPECT_EQ(first.Tag, 0);
    EXPECT_EQ(third.Tag, 1);
    ASSERT_EQ(Form->PageControl().count(), 2);
    EXPECT_EQ(Form->PageControl().tabText(1), QStringLiteral("three.wav"));
    EXPECT_EQ(Form->PageControl().tabData(1).toInt(), 1);
    // The document that remains active has its tab selected.
    EXPECT_EQ(Form->PageControl().currentIndex(), Form->Workspace().Active()->Tag);

    Form->PageControl().setCurrentIndex(0);
    EXPECT_EQ(Form->Workspace().Active(), &first);
    Form->PageControl().setCurrentIndex(1);
    EXPECT_EQ(Form->Workspace().Active(), &third);
    EXPECT_EQ(Form->ActiveChild(), Form->Child(third));
    EXPECT_TRUE(Form->Child(third)->isVisible());
    const auto* area = Form->findChild<QMdiArea*>("DocumentArea");
    ASSERT_NE(area->currentSubWindow(), nullptr);
    EXPECT_EQ(area->currentSubWindow()->widget(), Form->Child(third));
    EXPECT_TRUE(area->currentSubWindow()->isMaximized());
}

TEST_F(MainForm, SelectingATabReevaluatesTheCommandsForItsDocument) {
    NewProject();
    OpenSine("a.wav");
    EXPECT_TRUE(Enabled(Save));
    Form->PageControl().setCurrentIndex(0);
    EXPECT_FALSE(Enabled(Save));
    Form->PageControl().setCurrentIndex(1);
    EXPECT_TRUE(Enabled(Save));
}

TEST_F(MainForm, UnmodifiedOrEmptyDocumentsCloseWithoutAsking) {
    OpenSine("a.wav");
    TDocument& empty = NewProject();
    empty.Modified = true;
    Form->CloseFileMIClick();
    Form->CloseFileMIClick();
    EXPECT_EQ(Form->Workspace().Count(), 0U);
    EXPECT_TRUE(Prompts->Asked.empty());
    EXPECT_FALSE(Enabled(CloseFile));
}

TEST_F(MainForm, CloseQuestionCancelKeepsAndNoDrops) {
    TDocument& d = OpenSine("a.wav");
    Form->InvertMIClick();
    Prompts->Answers = {TAnswer::Cancel};
    Form->CloseFileMIClick();
    ASSERT_EQ(Prompts->Asked.size(), 1U);
    EXPECT_EQ(Prompts->Asked[0].Text, QString());  // no language chosen: neither text
    EXPECT_EQ(Form->Workspace().Count(), 1U);
    EXPECT_TRUE(d.Modified);

    Form->SetLanguage("ENG");
    Prompts->Answers = {TAnswer::No};
    Form->CloseFileMIClick();
    EXPECT_EQ(Prompts->Asked.back().Text, QStringLiteral("Save changes before closing?"));
    EXPECT_EQ(Form->Workspace().Count(), 0U);
    EXPECT_EQ(Form->PageControl().count(), 0);
}

TEST_F(MainForm, CloseQuestionYesKeepsTheDocumentWhenTheSaveDoesNotHappen) {
    Form->SetLanguage("RUS");
    TDocument& d = OpenSine("a.wav");
    d.FileName.clear();  // as a new project: saving asks for a name
    Form->InvertMIClick();
    Prompts->Answers = {TAnswer::Yes};
    Prompts->SaveChoices = {std::nullopt};  // the save dialog is cancelled
    Form->CloseFileMIClick();
    ASSERT_EQ(Prompts->Asked.size(), 1U);
    EXPECT_EQ(Prompts->Asked[0].Text,
              QStringLiteral("Изменения не были сохранены. Сохранить изменения?"));
    EXPECT_EQ(Form->Workspace().Count(), 1U);
    EXPECT_TRUE(d.Modified);

    // A save that fails keeps it open too.
    Prompts->Answers = {TAnswer::Yes};
    Prompts->SaveChoices = {TSaveChoice{QString::fromStdString(Temp.File("no/such/dir/x.wav")), 1}};
    Form->CloseFileMIClick();
    EXPECT_EQ(Form->Workspace().Count(), 1U);
    EXPECT_EQ(Prompts->Informed.size(), 1U);
    EXPECT_TRUE(d.Modified);

    // One that succeeds closes it, and the file holds the changes.
    const std::string saved = Temp.File("saved.wav");
    Prompts->Answers = {TAnswer::Yes};
    Prompts->SaveChoices = {TSaveChoice{QString::fromStdString(saved), 1}};
    Form->CloseFileMIClick();
    EXPECT_EQ(Form->Workspace().Count(), 0U);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(saved)));
}

TEST_F(MainForm, CloseQueryAsksForEachModifiedDocumentAndStopsAtCancel) {
    Form->SetLanguage("ENG");
    TDocument& a = OpenSine("a.wav");
    Form->InvertMIClick();
    OpenSine("b.wav");
    Form->InvertMIClick();
    OpenSine("c.wav");  // unmodified
    Prompts->Answers = {TAnswer::No, TAnswer::Cancel};
    EXPECT_FALSE(Form->FormCloseQuery());
    // c closed silently, b dropped, a kept by Cancel; each question titled with its document.
    ASSERT_EQ(Prompts->Asked.size(), 2U);
    EXPECT_EQ(Prompts->Asked[0].Title, QStringLiteral("b.wav"));
    EXPECT_EQ(Prompts->Asked[1].Title, QStringLiteral("a.wav"));
    ASSERT_EQ(Form->Workspace().Count(), 1U);
    EXPECT_EQ(Form->Workspace().Active(), &a);
    EXPECT_EQ(a.Tag, 0);
    EXPECT_EQ(Form->PageControl().count(), 1);
}

TEST_F(MainForm, CloseQueryKeepsADocumentWhoseSaveFailed) {
    TDocument& d = OpenSine("a.wav");
    Form->InvertMIClick();
    d.FileName = Temp.File("gone/a.wav");  // cannot be written any more
    Prompts->Answers = {TAnswer::Yes};
    EXPECT_FALSE(Form->FormCloseQuery());
    EXPECT_EQ(Form->Workspace().Count(), 1U);
    EXPECT_EQ(Prompts->Informed.size(), 1U);
}

TEST_F(MainForm, FilesDroppedOnTheWindowAreOpened) {
    const std::string path = WriteWav("dropped.wav", {Sine(800, 40)});
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(path)), QUrl("http://example.org/x.wav")});
    // A drop goes to the window that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_TRUE(WaitFor([this] { return Form->Workspace().Count() == 1; }));
    EXPECT_EQ(Form->Workspace().Active()->Caption, "dropped.wav");
    EXPECT_TRUE(Prompts->Informed.empty());
}

TEST_F(MainForm, KeysMoveTheCursorAndStartAndStopPlayback) {
    TDocument& d = OpenSine("a.wav", 5000);
    d.CursorPos = 2500;
    const auto key = [this](const char* name) {
        Form->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    };
    key("ToEndKey");
    EXPECT_EQ(d.CursorPos, 4999U);
    key("ToBeginKey");
    EXPECT_EQ(d.CursorPos, 0U);
    key("PlayStopKey");
    EXPECT_EQ(d.Stream->PlayState.load(), TTransportState::Starting);
    key("PlayStopKey");  // a start nobody has taken up yet is withdrawn
    EXPECT_EQ(d.Stream->PlayState.load(), TTransportState::Stopped);
    EXPECT_EQ(Form->Action(Undo)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(Form->Action(Delete)->shortcut(), QKeySequence(QKeySequence::Delete));
}

// --- Playback and recording through the control timer
// ----------------------------------------------

TEST_F(MainForm, RecordingDisablesTheDocumentCommandsUntilItsGraphIsRebuilt) {
    TMemoryDeviceOptions devices;
    devices.BufferPace = std::chrono::milliseconds(5);
    devices.InputFill = 0x40;
    MakeForm(devices);
    Form->SetLanguage("ENG");
    TDocument& d = OpenSine("a.wav", 1000);
    TChildForm* window = Form->Child(d);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(Enabled(Save));

    window->findChild<QAbstractButton*>("RecordBtn")->click();
    ASSERT_EQ(d.Stream->RecordState.load(), TTransportState::Starting);
    Form->ConrolTimerTimer();  // takes the request and starts the record thread
    EXPECT_TRUE(WaitFor([&] { return d.Stream->RecordState.load() == TTransportState::Started; }));
    for (TCommand command : {Save, CloseFile, Cut, NormalizeVolume, InsFromFile, AddChannel}) {
        EXPECT_FALSE(Enabled(command)) << MenuItemName(command);
    }
    EXPECT_TRUE(Enabled(NewFile));
    // The program cannot be closed meanwhile.
    EXPECT_FALSE(Form->FormCloseQuery());
    ASSERT_EQ(Prompts->Informed.size(), 1U);
    EXPECT_EQ(Prompts->Informed[0].Text, QStringLiteral("Stop record"));
    EXPECT_EQ(Form->Workspace().Count(), 1U);

    EXPECT_TRUE(WaitFor([&] { return d.Stream->GetLength() > 5000; }));
    window->findChild<QAbstractButton*>("StopBtn")->click();
    EXPECT_TRUE(WaitFor([&] { return Enabled(Save); }));
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(d.SampleCount, d.Stream->GetLength());
    EXPECT_EQ(d.ViewLength, d.SampleCount);
    EXPECT_EQ(d.GraphLength, d.SampleCount);
    EXPECT_FALSE(Form->ProcessForm().isVisible());
}

TEST_F(MainForm, PlaybackEndsWithTheCursorWhereItBegan) {
    TMemoryDeviceOptions devices;
    devices.BufferPace = std::chrono::milliseconds(2);
    MakeForm(devices);
    TDocument& d = OpenSine("a.wav", 20000);
    d.CursorPos = 1000;
    Form->Child(d)->findChild<QAbstractButton*>("PlayBtn")->click();
    ASSERT_EQ(d.Stream->PlayState.load(), TTransportState::Starting);
    Form->ConrolTimerTimer();
    EXPECT_TRUE(WaitFor([&] {
        return d.Stream->PlayState.load() == TTransportState::Stopped &&
               !Devices->PlayedBytes().empty();
    }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(WaitFor([&] { return d.CursorPos == 1000; }));
    // An operation started right after takes the finished thread over without trouble.
    Form->InvertMIClick();
    EXPECT_TRUE(d.Modified);
}

}  // namespace
}  // namespace sonavel::test
