#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "MainFormHarness.h"
#include "ui/AddBrainWavesDlg.h"
#include "ui/AddEchoDlg.h"
#include "ui/ChangeBitsDlg.h"
#include "ui/CreateFreqDlg.h"
#include "ui/CreateNoiseDlg.h"
#include "ui/EqualizeDlg.h"
#include "ui/InsertSilenceDlg.h"
#include "ui/MultSpectraDlg.h"
#include "ui/OffsetSpectraDlg.h"
#include "ui/RevebrationDlg.h"
#include "ui/RoundSoundDlg.h"
#include "ui/SampleRateChangeDlg.h"
#include "ui/SelDelSpectraDlg.h"
#include "ui/SetSpeedDlg.h"
#include "ui/SetVolumeDlg.h"

namespace sonavel::test {
namespace {

using enum TCommand;

// The editor's dialog commands run end to end: the dialog is shown for the document, filled
// in and closed with Enter, and the document must then hold what the engine call with the
// same values makes of the same samples.
class DialogCommands : public TMainFormTest {
  protected:
    template <class T>
    void Answer(std::function<void(T&)> fill) {
        Prompts->OnDialog = [fill](QDialog& dialog) {
            auto* form = qobject_cast<T*>(&dialog);
            EXPECT_NE(form, nullptr) << dialog.objectName().toStdString();
            if (form == nullptr) {
                dialog.reject();
                return dialog.result();
            }
            dialog.show();
            fill(*form);
            QTest::keyClick(&dialog, Qt::Key_Return);
            EXPECT_FALSE(dialog.isVisible());
            return dialog.result();
        };
    }

    // A bit-exact copy of the document's stream as it is now, for the engine call.
    static std::unique_ptr<TAudioStream> Copy(TDocument& d) {
        TAudioStream& s = *d.Stream;
        auto copy = std::make_unique<TAudioStream>(s.ChannelCount, s.BitsPerSample, s.SampleRate);
        const std::uint32_t length = s.GetLength();
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length) * s.BytesPerSample);
        for (std::uint16_t c = 0; c < s.ChannelCount; ++c) {
            s.ReadStored(c, 0, length, bytes.data());
            copy->WriteStored(c, 0, length, bytes.data());
        }
        return copy;
    }

    void ExpectSame(TDocument& d, TAudioStream& expected) {
        ASSERT_EQ(d.Stream->ChannelCount, expected.ChannelCount);
        EXPECT_EQ(d.Stream->SampleRate, expected.SampleRate);
        EXPECT_EQ(d.Stream->BitsPerSample, expected.BitsPerSample);
        ASSERT_EQ(d.Stream->GetLength(), expected.GetLength());
        for (std::uint16_t c = 0; c < expected.ChannelCount; ++c) {
            std::vector<std::int32_t> want(expected.GetLength());
            expected.ReadSamples(c, 0, expected.GetLength(), want.data());
            EXPECT_EQ(Samples(d, c), want) << "channel " << c;
        }
    }
};

TEST_F(DialogCommands, EveryDialogCommandIsEnabledOnAudioAndTheGeneratorsOnAnEmptyProject) {
    NewProject();
    EXPECT_TRUE(Enabled(CreateFreq));
    EXPECT_TRUE(Enabled(CreateNoise));
    EXPECT_TRUE(Enabled(InsertSilence));
    EXPECT_TRUE(Enabled(SampleRateChange));
    EXPECT_FALSE(Enabled(SetVolume));
    EXPECT_FALSE(Enabled(Equalize));
    EXPECT_FALSE(ButtonEnabled("SpeedButton18"));
    OpenSine("a.wav", 500);
    for (TCommand command :
         {InsertSilence, SetSpeed, SetVolume, AddEcho, Revebration, SampleRateChange, nBitsChange,
          AddBrainWaves, OffsetSpectra, MultiSpectra, SelDelSpectra, RoundSound, CreateFreq,
          CreateNoise, Equalize}) {
        EXPECT_TRUE(Enabled(command)) << MenuItemName(command);
    }
    for (const char* button :
         {"SpeedButton10", "SpeedButton13", "SpeedButton14", "SpeedButton18"}) {
        EXPECT_TRUE(ButtonEnabled(button)) << button;
    }
    Form->SetLanguage("ENG");
    EXPECT_EQ(Form->ParameterForm(TOperation::SetVolume)->windowTitle(),
              QStringLiteral("Volume level"));
}

TEST_F(DialogCommands, AmplitudeAndTimeEffectsOnTheChosenChannelAndSelection) {
    TDocument& d = OpenSine("a.wav", 4000);
    d.Select(500, 2499);
    d.ChannelItem = 2;  // the right channel
    std::unique_ptr<TAudioStream> expected = Copy(d);

    Answer<TSetVolumeForm>([](TSetVolumeForm& f) { f.VolumeEdit->setValue(50); });
    Form->SetVolumeMIClick();
    expected->SetVolume(1, 500, 0.5, 2000);
    Answer<TAddEchoForm>([](TAddEchoForm& f) {
        f.nResponsesEdit->setValue(3);
        f.ResponseDelayEdit->setValue(20);
        f.ResponseVolumeEdit->setValue(60);
    });
    d.ChannelItem = 2;  // the channel box is filled anew after each operation
    Form->AddEchoMIClick();
    expected->AddEcho(1, 500, 0.6, 20, 3, 2000);
    ExpectSame(d, *expected);
    EXPECT_EQ(d.RestoreCount(), 2);

    // Reopened, the dialog shows the last values; cancelled, it changes nothing.
    Prompts->OnDialog = [](QDialog& dialog) {
        dialog.show();
        EXPECT_EQ(qobject_cast<TSetVolumeForm*>(&dialog)->VolumeEdit->value(), 50);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        return dialog.result();
    };
    Form->SetVolumeMIClick();
    ExpectSame(d, *expected);

    Answer<TSetSpeedForm>([](TSetSpeedForm& f) {
        f.SpeedEdit->setValue(200);
        f.AlgBox->setCurrentIndex(1);
    });
    d.ChannelItem = 2;
    Form->SetSpeedMIClick();
    expected->StretchSpectrum(1, 500, 2000, 50, false);
    expected->ChangeSpeed(1, 500, false, 2.0, 2000);
    ExpectSame(d, *expected);
    EXPECT_EQ(d.SelStart, 500U);
    EXPECT_EQ(d.SelEnd, 1499U);

    d.ChannelItem = 2;
    Answer<TRevebrationForm>([](TRevebrationForm& f) {
        f.nReflectionsEdit->setValue(2);
        f.ReflectionDelayEdit->setValue(5);
        f.ReflectionVolumeEdit->setValue(80);
    });
    Form->RevebrationMIClick();
    expected->AddReverberation(1, 500, 0.8, 5, 2, 1000);
    d.ChannelItem = 2;
    Answer<TMultSpectraForm>([](TMultSpectraForm& f) { f.MultEdit->setValue(150); });
    Form->MultiSpectraMIClick();
    expected->StretchSpectrum(1, 500, 1000, 150, false);
    // These two work on every channel together.
    Answer<TRoundSoundForm>([](TRoundSoundForm& f) {
        f.LongRound->setValue(1);
        f.DirectRound->setCurrentIndex(1);
    });
    Form->RoundSoundMIClick();
    expected->RotateChannels(500, 1000, TAudioStream::CounterClockwise, 1);
    Answer<TAddBrainWavesForm>([](TAddBrainWavesForm& f) { f.FreqEdit->setValue(12); });
    Form->AddBrainWavesMIClick();
    expected->AddBrainWaves(500, 1000, 12);
    ExpectSame(d, *expected);
}

TEST_F(DialogCommands, SpectralEffectsGetTheDocumentsRangesAndTheirValues) {
    const std::vector<std::int32_t> wave = Sine(6000, 37);
    ASSERT_TRUE(Form->OpenDocument(QString::fromStdString(WriteWav("low.wav", {wave}, 22050))));
    TDocument& d = *Form->Workspace().Active();
    std::unique_ptr<TAudioStream> expected = Copy(d);
    const std::uint32_t n = 6000;

    Answer<TSelDelSpectraForm>([](TSelDelSpectraForm& f) {
        EXPECT_EQ(f.SE2->maximum(), 11025);
        EXPECT_EQ(f.SE2->value(), 11025);
        f.RB2->setChecked(true);
        f.SE1->setValue(5000);
        f.SE2->setValue(300);
    });
    Form->SelDelSpectraMIClick();
    expected->FilterBand(-1, 0, n, 300, 5000, false);

    Answer<TOffsetSpectraForm>([](TOffsetSpectraForm& f) {
        EXPECT_EQ(f.OffsetEdit->minimum(), -5512);
        f.OffsetEdit->setValue(700);
    });
    Form->OffsetSpectraMIClick();
    expected->OffsetSpectrum(-1, 0, n, 700);

    Answer<TEqualizeForm>([](TEqualizeForm& f) {
        EXPECT_EQ(f.FnFrqEd->value(), 11025);
        f.StFrqEd->setValue(100);
        f.FnFrqEd->setValue(8000);
        f.TrackBars[0]->setValue(0);
        f.TrackBars[4]->setValue(200);
        f.TrackBars[15]->setValue(170);
    });
    Form->EqualizeMIClick();
    std::vector<std::uint8_t> gains(16, 100);
    gains[0] = 200;
    gains[4] = 0;
    gains[15] = 30;
    expected->Equalize(-1, 0, n, gains, 100, 7901);
    ExpectSame(d, *expected);
}

TEST_F(DialogCommands, GeneratorsWriteIntoANewEmptyProject) {
    TDocument& d = NewProject();
    auto expected = std::make_unique<TAudioStream>(2, 16, 44100);
    Answer<TCreateFreqForm>([](TCreateFreqForm& f) {
        f.RadioButton3->setChecked(true);
        f.FreqValueEdit->setValue(1000);
        f.LongEdit->setValue(1);
        f.VolumeBar->setValue(50);
    });
    Form->CreateFreqMIClick();
    expected->GenerateTone(-1, 0, TAudioStream::Triangle, 1000, 50, 0, 44100);
    ExpectSame(d, *expected);

    // Noise is random: its length and its bound tell what it was given.
    d.CursorPos = 0;
    Answer<TCreateNoiseForm>([](TCreateNoiseForm& f) {
        f.LongEdit->setValue(2);
        f.VolumeBar->setValue(10);
        f.PasteTypeBox->setCurrentIndex(1);  // insert
    });
    Form->CreateNoiseMIClick();
    EXPECT_EQ(d.Stream->GetLength(), 3U * 44100U);
    const std::vector<std::int32_t> noise = Samples(d, 0);
    const auto loudest = std::max_element(noise.begin(), noise.begin() + 2 * 44100,
                                          [](int a, int b) { return std::abs(a) < std::abs(b); });
    EXPECT_GT(std::abs(*loudest), 0);
    EXPECT_LE(std::abs(*loudest), MaxLevel / 10 + 65536);
}

TEST_F(DialogCommands, ConversionsAndSilenceChangeTheWholeDocument) {
    TDocument& d = OpenSine("a.wav", 3000);
    std::unique_ptr<TAudioStream> expected = Copy(d);
    Answer<TSampleRateChangeForm>(
        [](TSampleRateChangeForm& f) { f.NewValueBox->setCurrentIndex(2); });
    Form->SampleRateChangeMIClick();
    expected->ChangeSampleRate(22050);
    Answer<TChangeBitsForm>([](TChangeBitsForm& f) { f.NewValue->setCurrentIndex(0); });
    Form->nBitsChangeMIClick();
    expected->ChangeBits(8);
    ExpectSame(d, *expected);

    d.ClearSelection();
    d.CursorPos = 100;
    Answer<TInsertSilenceForm>([](TInsertSilenceForm& f) { f.LongEdit->setValue(20); });
    Form->InsertSilenceMIClick();
    EXPECT_EQ(d.Stream->GetLength(), 1500U + 441U);
    EXPECT_EQ(d.SelStart, 100U);
    EXPECT_EQ(d.SelEnd, 540U);
}

}  // namespace
}  // namespace sonavel::test
