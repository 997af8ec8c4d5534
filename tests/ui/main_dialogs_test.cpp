#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "MainFormHarness.h"
#include "core/Progress.h"
#include "formats/MP3Utils.h"
#include "support/WaitUntil.h"
#include "ui/MP3SettingsDlg.h"
#include "ui/NewProjectDlg.h"
#include "ui/SaveDialog.h"

namespace sonavel::test {
namespace {

using namespace std::chrono_literals;

QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) {
        items << box.itemText(i);
    }
    return items;
}

// --- The new-project dialog --------------------------------------------------------------------

TEST(NewProjectDialog, OffersTheFormatsWithTheirDefaultsAndKeepsTheLastValues) {
    TDialogValues dialogs;
    TNewProjectForm form(dialogs);
    const TNewProjectValues& values = dialogs.NewProject;
    EXPECT_EQ(form.nChannelsEdit->minimum(), 1);
    EXPECT_EQ(form.nChannelsEdit->maximum(), 8);
    EXPECT_EQ(form.nChannelsEdit->value(), 2);
    EXPECT_EQ(Items(*form.SamplesPerSecCB),
              QStringList({"8000", "11025", "22050", "32000", "44100", "48000", "64000", "88200",
                           "96000", "192000"}));
    EXPECT_EQ(form.SamplesPerSecCB->currentText(), QStringLiteral("44100"));
    EXPECT_EQ(Items(*form.nBitsCB), QStringList({"8", "16", "24", "32"}));
    EXPECT_EQ(form.nBitsCB->currentText(), QStringLiteral("16"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Параметры нового проекта"));

    form.nChannelsEdit->setValue(9);  // clamped
    form.SamplesPerSecCB->setCurrentIndex(2);
    form.nBitsCB->setCurrentIndex(3);
    form.accept();
    EXPECT_EQ(form.ChannelCount, 8);
    EXPECT_EQ(form.SampleRate, 22050);
    EXPECT_EQ(form.BitsPerSample, 32);
    EXPECT_EQ(values.nChannelsEdit, 8);
    EXPECT_EQ(values.SamplesPerSecCB, 22050U);
    EXPECT_EQ(values.nBitsCB, 32);

    // Cancel keeps the result of the last OK.
    form.nChannelsEdit->setValue(1);
    form.reject();
    EXPECT_EQ(form.ChannelCount, 8);
    EXPECT_EQ(values.nChannelsEdit, 8);
}

// --- The MP3 settings dialog --------------------------------------------------------------------

TEST(Mp3SettingsDialog, OffersTheBitRatesOfTheDocumentsRate) {
    TMP3SettingsForm form;
    form.SetLanguage("ENG");
    EXPECT_EQ(form.StereoModeBox->currentText(), QStringLiteral("Joint Stereo"));
    EXPECT_EQ(form.StereoModeBox->itemText(0), QStringLiteral("Stereo "));
    EXPECT_EQ(form.ByteRateBox->maxVisibleItems(), 16);

    form.SampleRate = 22050;
    form.FillBitrates();
    ASSERT_EQ(form.ByteRateBox->count(), 14);
    EXPECT_EQ(form.ByteRateBox->itemText(0), QStringLiteral("8"));
    EXPECT_EQ(form.ByteRateBox->itemText(13), QStringLiteral("160"));
    EXPECT_EQ(form.ByteRateBox->currentText(), QStringLiteral("96"));

    form.SampleRate = 44100;
    form.FillBitrates();
    EXPECT_EQ(form.ByteRateBox->itemText(0), QStringLiteral("32"));
    EXPECT_EQ(form.ByteRateBox->itemText(13), QStringLiteral("320"));
    EXPECT_EQ(form.ByteRateBox->currentText(), QStringLiteral("160"));
    TMp3Settings settings = form.Settings();
    EXPECT_EQ(settings.BitrateType, TBitrateType::Constant);
    EXPECT_EQ(settings.Bitrate, 160);
    EXPECT_EQ(settings.StereoMode, TStereoMode::JointStereo);
}

TEST(Mp3SettingsDialog, VariableRateSelectsTheStandardQualityAndConstantKeepsTheIndex) {
    TMP3SettingsForm form;
    form.SetLanguage("ENG");
    form.ByteRateTypeBox->setCurrentIndex(1);
    ASSERT_EQ(form.ByteRateBox->count(), 10);
    EXPECT_EQ(form.ByteRateBox->currentText(), QStringLiteral("4  - Standart quality"));
    EXPECT_EQ(form.ByteRateBox->itemText(0), QStringLiteral("0  - Best quality"));
    EXPECT_EQ(form.ByteRateBox->itemText(9), QStringLiteral("9  - Poor quality"));
    form.ByteRateBox->setCurrentIndex(2);
    TMp3Settings settings = form.Settings();
    EXPECT_EQ(settings.BitrateType, TBitrateType::Variable);
    EXPECT_EQ(settings.Quality, 2);

    form.ByteRateBox->setCurrentIndex(4);
    form.ByteRateTypeBox->setCurrentIndex(0);
    EXPECT_EQ(form.ByteRateBox->currentText(), QStringLiteral("64"));
    form.StereoModeBox->setCurrentIndex(3);
    settings = form.Settings();
    EXPECT_EQ(settings.Bitrate, 64);
    EXPECT_EQ(settings.StereoMode, TStereoMode::Mono);
}

TEST(Mp3SettingsDialog, QualityTextsFollowTheDialogsOwnLanguage) {
    TMP3SettingsForm form;
    form.SetLanguage("RUS");
    form.ByteRateTypeBox->setCurrentIndex(1);
    EXPECT_EQ(form.ByteRateBox->itemText(0), QStringLiteral("0  - Лучшее качество"));
    EXPECT_EQ(form.ByteRateBox->itemText(4), QStringLiteral("4  - Стандартное качество"));
    EXPECT_EQ(form.ByteRateTypeBox->itemText(1), QStringLiteral("Переменный"));
    // Another word changes nothing, the levels keep their Russian texts.
    form.SetLanguage("XXX");
    form.FillBitrates();
    EXPECT_EQ(form.ByteRateBox->itemText(9), QStringLiteral("9  - Худшее качество"));
}

// --- The save dialog
// ---------------------------------------------------------------------------------

TEST(SaveDialog, TypedNameFollowsTheChosenType) {
    TSaveDialog dialog;
    EXPECT_EQ(dialog.FilterIndex(), 1);
    dialog.SetTypedName("take.wav");
    dialog.SaveDialogTypeChange(1);
    EXPECT_EQ(dialog.TypedName(), QStringLiteral("take.mp3"));
    dialog.SaveDialogTypeChange(0);
    EXPECT_EQ(dialog.TypedName(), QStringLiteral("take.wav"));
    dialog.SetTypedName("/music/Song.WAV");
    dialog.SaveDialogTypeChange(0);
    EXPECT_EQ(dialog.TypedName(), QStringLiteral("Song.WAV"));
    dialog.SetTypedName("a.b");
    dialog.SaveDialogTypeChange(1);
    EXPECT_EQ(dialog.TypedName(), QStringLiteral("a.mp3"));
    dialog.SetTypedName(QString());
    dialog.SaveDialogTypeChange(1);
    EXPECT_EQ(dialog.TypedName(), QString());
    dialog.SetFilterIndex(2);
    EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST(SaveDialog, FiltersKeepTheirTextsAndPatterns) {
    EXPECT_EQ(NameFilters("PCM (*.wav)|*.wav|MPEG Layer 3 (*.mp3)|*.mp3"),
              QStringList({"PCM (*.wav) (*.wav)", "MPEG Layer 3 (*.mp3) (*.mp3)"}));
    EXPECT_EQ(NameFilters("Аудиофайлы (*.wav, *.mp3)|*.wav;*.mp3").constFirst(),
              QStringLiteral("Аудиофайлы (*.wav, *.mp3) (*.wav *.mp3)"));
}

// --- File commands
// -----------------------------------------------------------------------------------

using FileCommands = TMainFormTest;

TEST_F(FileCommands, MissingFileAndUnknownFormatAreRefused) {
    Form->SetLanguage("ENG");
    EXPECT_FALSE(Form->OpenDocument(QString::fromStdString(Temp.File("none.wav"))));
    const std::string fake = Temp.File("x.wav");
    { std::ofstream(fake) << "not a wave file at all"; }
    EXPECT_FALSE(Form->OpenDocument(QString::fromStdString(fake)));
    // A WAV file named .mp3 is not recognised either.
    const std::string wav = WriteWav("real.wav", {{1, 2, 3}});
    const std::string misnamed = Temp.File("real.mp3");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(wav), QString::fromStdString(misnamed)));
    EXPECT_FALSE(Form->OpenDocument(QString::fromStdString(misnamed)));
    ASSERT_EQ(Prompts->Informed.size(), 3U);
    // Each message names its file.
    EXPECT_EQ(Prompts->Informed[0].Text,
              QString::fromStdString("File not found: " + Temp.File("none.wav")));
    EXPECT_EQ(Prompts->Informed[1].Text, QString::fromStdString("Unknown format: " + fake));
    EXPECT_EQ(Prompts->Informed[2].Text, QString::fromStdString("Unknown format: " + misnamed));
    EXPECT_EQ(Form->Workspace().Count(), 0U);
    EXPECT_EQ(Form->PageControl().count(), 0);
}

TEST_F(FileCommands, OpeningSetsUpTheWholeDocumentInView) {
    Form->OpenFileMIClick();  // cancelled dialog
    EXPECT_EQ(Form->Workspace().Count(), 0U);
    Prompts->OpenNames = {QString::fromStdString(WriteWav("song.wav", {Sine(3000, 50)}, 22050))};
    Form->OpenFileMIClick();
    ASSERT_EQ(Form->Workspace().Count(), 1U);
    const TDocument& d = *Form->Workspace().Active();
    EXPECT_EQ(d.FileFormat, "PCM");
    EXPECT_EQ(d.Caption, "song.wav");
    EXPECT_EQ(d.SampleCount, 3000U);
    EXPECT_EQ(d.CursorPos, 0U);
    EXPECT_EQ(d.ViewStart, 0U);
    EXPECT_EQ(d.ViewLength, 3000U);
    EXPECT_EQ(d.GraphLength, 3000U);
    EXPECT_FALSE(d.Modified);
    EXPECT_EQ(Form->PageControl().tabText(0), QStringLiteral("song.wav"));
    EXPECT_FALSE(Form->ProcessForm().isVisible());
    EXPECT_TRUE(Form->Action(TCommand::Save)->isEnabled());
}

TEST_F(FileCommands, InsertedFileIsConvertedToTheDocumentAndSelected) {
    TDocument& d = OpenSine("stereo.wav", 1000);
    d.CursorPos = 200;
    Prompts->OpenNames = {QString::fromStdString(WriteWav("mono.wav", {Sine(300, 30)}, 22050))};
    Form->InsFromFileMIClick();
    EXPECT_EQ(d.Stream->GetLength(), 1600U);
    EXPECT_TRUE(d.SelStartSet);
    EXPECT_EQ(d.SelStart, 200U);
    EXPECT_EQ(d.SelEnd, 799U);
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(d.RestoreCount(), 1);
    EXPECT_EQ(Form->Workspace().TransferStream, nullptr);
    EXPECT_EQ(Samples(d, 0), Samples(d, 1));
}

TEST_F(FileCommands, SaveAsFitsTheNameToTheTypeAndTakesItOver) {
    Form->SetLanguage("ENG");
    TDocument& d = OpenSine("a.wav", 1200);
    Form->InvertMIClick();
    Prompts->SaveChoices = {TSaveChoice{QString::fromStdString(Temp.File("take.mp3")), 1}};
    EXPECT_TRUE(Form->SaveAsMIClick());
    const std::string saved = Temp.File("take.wav");
    EXPECT_EQ(d.FileName, saved);
    EXPECT_EQ(d.FileFormat, "PCM");
    EXPECT_FALSE(d.Modified);
    EXPECT_EQ(Form->PageControl().tabText(0), QStringLiteral("take.wav"));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Temp.File("take.mp3"))));
    TAudioStream reread;
    TPCM(saved).LoadStream(reread);
    EXPECT_EQ(reread.GetLength(), 1200U);

    // A later save writes there without asking.
    Form->InvertMIClick();
    EXPECT_TRUE(Form->SaveMIClick());
    EXPECT_FALSE(d.Modified);
    EXPECT_TRUE(Prompts->SaveChoices.empty());
}

TEST_F(FileCommands, NameChangedToFitItsTypeDoesNotReplaceAFileUnasked) {
    TDocument& d = OpenSine("a.wav", 800);
    const std::string existing = WriteWav("take.wav", {{5, 6, 7}});
    Prompts->SaveChoices = {TSaveChoice{QString::fromStdString(Temp.File("take.mp3")), 1}};
    Prompts->YesNoAnswers = {false};
    EXPECT_FALSE(Form->SaveAsMIClick());
    EXPECT_EQ(Prompts->Asked.size(), 1U);
    TAudioStream reread;
    TPCM(existing).LoadStream(reread);
    EXPECT_EQ(reread.GetLength(), 3U);
    EXPECT_EQ(d.FileName, Temp.File("a.wav"));
}

TEST_F(FileCommands, Mp3SavingAsksForItsSettingsWithTheDocumentsRate) {
    const std::string path = WriteWav("low.wav", {Sine(22050, 40)}, 22050);
    ASSERT_TRUE(Form->OpenDocument(QString::fromStdString(path)));
    TDocument& d = *Form->Workspace().Active();

    Prompts->SaveChoices = {TSaveChoice{QString::fromStdString(Temp.File("low")), 2}};
    Prompts->OnDialog = [](QDialog& dialog) {
        dialog.reject();
        return dialog.result();
    };
    EXPECT_FALSE(Form->SaveAsMIClick());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Temp.File("low.mp3"))));
    EXPECT_EQ(Form->MP3SettingsForm().SampleRate, 22050U);

    Prompts->OnDialog = {};
    Prompts->SaveChoices = {TSaveChoice{QString::fromStdString(Temp.File("low")), 2}};
    EXPECT_TRUE(Form->SaveAsMIClick());
    EXPECT_EQ(Prompts->DialogsRun.back(), QStringLiteral("MP3SettingsForm"));
    EXPECT_EQ(d.FileName, Temp.File("low.mp3"));
    EXPECT_EQ(d.FileFormat, "MP3");
    EXPECT_TRUE(IsMp3File(d.FileName));
}

TEST_F(FileCommands, SaveSelectionWritesTheSelectionOnlyAndLeavesTheDocumentAlone) {
    TDocument& d = OpenSine("a.wav", 2000);
    d.Modified = true;
    d.Select(100, 349);
    d.ChannelItem = 2;  // the right channel only
    Prompts->SaveChoices = {TSaveChoice{QString::fromStdString(Temp.File("part")), 1}};
    Form->SaveSelectionMIClick();
    TAudioStream part;
    TPCM(Temp.File("part.wav")).LoadStream(part);
    EXPECT_EQ(part.ChannelCount, 1);
    EXPECT_EQ(part.GetLength(), 250U);
    EXPECT_EQ(d.FileName, Temp.File("a.wav"));
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(d.RestoreCount(), 0);
    EXPECT_EQ(Form->Workspace().TransferStream, nullptr);
}

// --- The progress window and the worker ---------------------------------------------------------

using Worker = TMainFormTest;

TEST_F(Worker, ProgressWindowClosesWhenTheWorkEndsBeforeItAppears) {
    bool ran = false;
    // A guard, so that a window that never closes fails the test instead of hanging it.
    QTimer::singleShot(5000, &Form->ProcessForm(), [this] { Form->ProcessForm().Finish(); });
    Form->Runner().RunModal("quick", nullptr, [&ran] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(Form->ProcessForm().Finished());
    EXPECT_FALSE(Form->ProcessForm().isVisible());
    EXPECT_FALSE(Form->Runner().Busy());

    // Finished before the modal wait begins: it does not open at all.
    TProcessForm& progress = Form->ProcessForm();
    progress.Begin("x");
    progress.Finish();
    progress.ExecUntilFinished();
    EXPECT_FALSE(progress.isVisible());
}

TEST_F(Worker, ProgressWindowCannotBeClosedByTheUserWhileWorkRuns) {
    TProcessForm& progress = Form->ProcessForm();
    std::atomic<bool> release{false};
    QTimer::singleShot(50, &progress, [&progress, &release] {
        progress.reject();  // Escape
        progress.close();   // the window manager
        QTimer::singleShot(100, &progress, [&progress, &release] {
            EXPECT_TRUE(progress.isVisible());
            EXPECT_FALSE(progress.Finished());
            release = true;
        });
    });
    Form->Runner().RunModal("slow", nullptr,
                            [&release] { EXPECT_TRUE(WaitUntil([&] { return release.load(); })); });
    EXPECT_TRUE(release);
    EXPECT_FALSE(progress.isVisible());
}

TEST_F(Worker, ActionsWaitingForTheWorkerRunAfterIt) {
    std::vector<int> order;
    std::atomic<bool> release{false};
    QTimer::singleShot(30, Form.get(), [&] {
        Form->Runner().WhenIdle([&order] { order.push_back(2); });
        release = true;
    });
    Form->Runner().RunModal("work", nullptr, [&] {
        EXPECT_TRUE(WaitUntil([&] { return release.load(); }));
        order.push_back(1);
    });
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    Form->Runner().WhenIdle([&order] { order.push_back(3); });
    EXPECT_EQ(order.back(), 3);
}

TEST_F(Worker, ControlTimerMovesTheGaugeFromTheProgressCounters) {
    {
        TProgressScope scope(2000);
        TProgressScope::Step(700);
        Form->ConrolTimerTimer();
        EXPECT_EQ(Form->ProcessForm().Progress(), 350);
        TProgressScope::Step(501);  // 250.5, rounded to even
        Form->ConrolTimerTimer();
        EXPECT_EQ(Form->ProcessForm().Progress(), 250);
        TProgressScope::Step(503);
        Form->ConrolTimerTimer();
        EXPECT_EQ(Form->ProcessForm().Progress(), 252);
    }
    // Without a running operation the gauge keeps its last value.
    Form->ConrolTimerTimer();
    EXPECT_EQ(Form->ProcessForm().Progress(), 252);
}

TEST_F(Worker, OperationCaptionsFollowTheLanguage) {
    Form->SetLanguage("ENG");
    OpenSine("a.wav", 1000);
    QStringList captions;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const QString caption = Form->ProcessForm().Caption();
        if (captions.isEmpty() || captions.back() != caption) {
            captions << caption;
        }
    });
    poll.start(0);
    Form->Runner().FinishDelay = 100ms;
    Form->ReverseMIClick();
    poll.stop();
    EXPECT_TRUE(captions.contains(QStringLiteral("Creating graph")));
    EXPECT_FALSE(captions.contains(QStringLiteral("Обращение звучания")));
}

}  // namespace
}  // namespace sonavel::test
