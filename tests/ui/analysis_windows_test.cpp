#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <array>
#include <cstdio>
#include <filesystem>

#include "MainFormHarness.h"
#include "ui/ConnectFilesDlg.h"
#include "ui/MixFilesDlg.h"
#include "ui/PaintBox.h"
#include "ui/SpectraAnalysDlg.h"
#include "ui/StatisticDlg.h"

namespace sonavel::test {
namespace {

QStringList Lines(const QListWidget& list) {
    QStringList lines;
    for (int i = 0; i < list.count(); ++i) {
        lines << list.item(i)->text();
    }
    return lines;
}

std::vector<std::int32_t> Joined(std::initializer_list<std::vector<std::int32_t>> parts) {
    std::vector<std::int32_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Values exactly representable in 16 bits, so that the stored documents hold them unchanged.
std::vector<std::int32_t> Ramp(std::uint32_t length, std::int32_t first, std::int32_t step) {
    std::vector<std::int32_t> v(length);
    for (std::uint32_t i = 0; i < length; ++i) {
        v[i] = (first + static_cast<std::int32_t>(i) * step) * 65536;
    }
    return v;
}

class AnalysisCommands : public TMainFormTest {
  protected:
    TDocument& OpenChannels(const std::string& name,
                            const std::vector<std::vector<std::int32_t>>& channels,
                            std::uint32_t rate = 44100) {
        EXPECT_TRUE(Form->OpenDocument(QString::fromStdString(WriteWav(name, channels, rate))));
        return *Form->Workspace().Active();
    }

    // Answers the spectrum window once per analysis with `answer`, noting the bins it shows.
    void AnswerSpectrum(const std::function<int(TSpectraAnalysForm&)>& answer) {
        Prompts->OnDialog = [this, answer](QDialog& dialog) {
            auto& form = dynamic_cast<TSpectraAnalysForm&>(dialog);
            Shown.push_back(Form->Workspace().SpectrumData);
            return answer(form);
        };
    }

    std::vector<std::vector<TComplex>> Shown;
};

TEST_F(AnalysisCommands, AnalysesNeedAudioAndTheFileCommandsAnOpenDocument) {
    const std::array commands{TCommand::FreqAnalys, TCommand::AllAnalys, TCommand::ConnectFiles,
                              TCommand::MixFiles};
    const auto enabled = [&] {
        std::vector<bool> states;
        for (const TCommand command : commands) {
            states.push_back(Enabled(command));
        }
        return states;
    };
    EXPECT_EQ(enabled(), std::vector<bool>({false, false, false, false}));
    NewProject();
    EXPECT_EQ(enabled(), std::vector<bool>({false, false, true, true}));
    OpenSine("a.wav");
    EXPECT_EQ(enabled(), std::vector<bool>({true, true, true, true}));
}

// --- The spectrum window ------------------------------------------------------------------------

TEST_F(AnalysisCommands, SpectrumWindowAnalysesAgainWithTheChosenSizeUntilLeft) {
    Form->SetLanguage("ENG");
    OpenChannels("tone.wav", {Sine(5000, 32)}, 22050);
    EXPECT_TRUE(Enabled(TCommand::FreqAnalys));
    TSpectraAnalysForm& form = Form->SpectraAnalysForm();
    EXPECT_EQ(form.FFTSizeBox->count(), 16);
    EXPECT_EQ(form.FFTSizeBox->itemText(0), QStringLiteral("2"));
    EXPECT_EQ(form.FFTSizeBox->itemText(15), QStringLiteral("65536"));
    EXPECT_EQ(form.FFTSizeBox->currentText(), QStringLiteral("2048"));

    AnswerSpectrum([](TSpectraAnalysForm& f) {
        if (f.FFTSizeBox->currentText() == QStringLiteral("2048")) {
            f.FFTSizeBox->setCurrentText(QStringLiteral("256"));
            f.OkButton->click();
        } else {
            f.reject();
        }
        return f.result();
    });
    Form->Action(TCommand::FreqAnalys)->trigger();
    ASSERT_EQ(Shown.size(), 2U);
    EXPECT_EQ(Shown[0].size(), 1025U);
    EXPECT_EQ(Shown[1].size(), 129U);
    // A period of 32 samples lies in bin 256 / 32 = 8 of the second analysis.
    const auto peak = std::max_element(Shown[1].begin(), Shown[1].end(), [](auto& a, auto& b) {
        return std::hypot(a.Re, a.Im) < std::hypot(b.Re, b.Im);
    });
    EXPECT_EQ(peak - Shown[1].begin(), 8);
    EXPECT_EQ(form.MaxFrequency, 11025U);
    EXPECT_TRUE(Form->Workspace().SpectrumData.empty());
    EXPECT_EQ(Form->Workspace().Dialogs.SpectraAnalys.FFTSizeBox, 256U);
    EXPECT_FALSE(Form->Workspace().Active()->Modified);
}

TEST_F(AnalysisCommands, SelectionOfOneSampleMoreThanTheSizeIsTwoBlocks) {
    constexpr std::uint32_t N = 256;
    TDocument& d = OpenChannels("dc.wav", {std::vector<std::int32_t>(2000, 1000 * 65536)});
    Form->SpectraAnalysForm().FFTSizeBox->setCurrentText(QStringLiteral("256"));
    AnswerSpectrum([](TSpectraAnalysForm& f) {
        f.reject();
        return f.result();
    });
    d.Select(100, 100 + N - 1);
    Form->FreqAnalysMIClick();
    d.Select(100, 100 + N);
    Form->FreqAnalysMIClick();
    Form->SpectraAnalysForm().FFTSizeBox->setCurrentText(QStringLiteral("2"));
    Form->FreqAnalysMIClick();
    ASSERT_EQ(Shown.size(), 3U);
    EXPECT_EQ(Shown[2].size(), 2U);  // DC and Nyquist
    // A constant: N samples in one block, then N + 1 samples averaged over two blocks.
    const long double one = Shown[0][0].Re;
    EXPECT_GT(one, 0);
    EXPECT_NEAR(static_cast<double>(Shown[1][0].Re / one), (N + 1.0) / (2.0 * N), 1e-12);
}

TEST_F(AnalysisCommands, SilentSpectrumRunsAlongTheBottomAndTheLoudestBinTouchesTheTop) {
    OpenChannels("quiet.wav", {std::vector<std::int32_t>(3000, 0)});
    const QRgb green = qRgb(0, 128, 0);
    const auto rowsWithGreen = [](const QImage& image) {
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == qRgb(0, 128, 0)) {
                    rows.push_back(y);
                    break;
                }
            }
        }
        return rows;
    };
    AnswerSpectrum([&](TSpectraAnalysForm& f) {
        QImage image(200, 100, QImage::Format_RGB32);
        f.SpectraPBoxPaint(image);
        EXPECT_EQ(rowsWithGreen(image), std::vector<int>{99});
        // The line runs from x = 0 to the last bin at Round(200 / 1025 * 1024) = 200.
        for (int x = 0; x < 200; ++x) {
            EXPECT_EQ(image.pixel(x, 99), green) << x;
        }
        EXPECT_EQ(image.pixel(0, 0), qRgb(128, 128, 128));  // grid
        EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
        f.reject();
        return f.result();
    });
    Form->FreqAnalysMIClick();
    ASSERT_EQ(Shown.size(), 1U);

    Shown.clear();
    OpenChannels("loud.wav", {Sine(3000, 16)});
    AnswerSpectrum([&](TSpectraAnalysForm& f) {
        QImage image(200, 100, QImage::Format_RGB32);
        f.SpectraPBoxPaint(image);
        EXPECT_EQ(rowsWithGreen(image).front(), 0);
        f.reject();
        return f.result();
    });
    Form->FreqAnalysMIClick();
    EXPECT_EQ(Shown.size(), 1U);
}

TEST_F(AnalysisCommands, SpectrumWindowFollowsItsSizeAndLanguage) {
    TSpectraAnalysForm& form = Form->SpectraAnalysForm();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Анализ частотного спектра"));
    EXPECT_EQ(form.minimumSize(), QSize(600, 400));
    form.FFTSizeBox->setCurrentIndex(3);
    Form->SetLanguage("ENG");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Frequency spectra analysis"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("FFT window size:"));
    EXPECT_EQ(form.OkButton->text(), QStringLiteral("Analyse"));
    EXPECT_EQ(form.FFTSizeBox->currentIndex(), 3);
    Form->SetLanguage("XXX");
    EXPECT_EQ(form.OkButton->text(), QStringLiteral("Analyse"));

    form.show();
    form.resize(800, 541);
    QCoreApplication::processEvents();
    const int panelWidth = form.ClientPanel->width();
    const int panelHeight = form.ClientPanel->height();
    EXPECT_EQ(form.RightPBox->width(), std::lround(panelWidth * 0.05));
    EXPECT_EQ(form.DownPBox->height(), std::lround(panelHeight * 0.06));
    EXPECT_EQ(form.SpectraPBox->width() + form.RightPBox->width(), panelWidth);
    EXPECT_EQ(form.OkButton->geometry().right() + 1, form.BottomPanel->width() - 10);
    form.hide();
}

// --- The statistics window ----------------------------------------------------------------------

TEST_F(AnalysisCommands, StatisticsOfAFullScaleSquareWaveAndOfAHalfSilentSelection) {
    std::vector<std::int32_t> square(44100);
    for (std::size_t i = 0; i < square.size(); ++i) {
        square[i] = (i / 50) % 2 == 0 ? MaxLevel : -MaxLevel;
    }
    Form->SetLanguage("ENG");
    OpenChannels("square.wav", {square, square});
    QStringList shown;
    Prompts->OnDialog = [&](QDialog& dialog) {
        auto& form = dynamic_cast<TStatisticForm&>(dialog);
        form.FormShow();
        shown = Lines(*form.ListBox);
        return static_cast<int>(QDialog::Rejected);
    };
    Form->Action(TCommand::AllAnalys)->trigger();
    EXPECT_EQ(shown, QStringList({"Samplerate: 44100 Hz", "Bit resolution: 16 bit", "",
                                  "Long 44100 samples", "Long 1 seconds", "",
                                  "Average volume level: 100 %", "Maximal volume level: 100 %",
                                  "Long of silence: 0 sec."}));

    // A second of silence in both channels, then a second where only the left one sounds.
    const std::vector<std::int32_t> silence(22050, 0);
    TDocument& d = OpenChannels(
        "half.wav", {Joined({silence, Sine(22050, 100)}), Joined({silence, silence})}, 22050);
    Form->SetLanguage("RUS");
    Form->AllAnalysMIClick();
    EXPECT_EQ(shown.at(0), QStringLiteral("Частота дискретизации: 22050 Гц"));
    EXPECT_EQ(shown.at(3), QStringLiteral("Длительность в отсчетах: 44100"));
    EXPECT_EQ(shown.at(4), QStringLiteral("Длительность в секундах: 2"));
    EXPECT_EQ(shown.at(8), QStringLiteral("Длительность тишины: 1 sec."));
    d.Select(22050, 44099);
    Form->AllAnalysMIClick();
    EXPECT_EQ(shown.at(8), QStringLiteral("Длительность тишины: 0 sec."));
    EXPECT_EQ(shown.at(7), QStringLiteral("Максимальный уровень громкости: 100 %"));
    // The average of a sine on one of two channels: 2 / pi / 2 of full scale.
    EXPECT_EQ(shown.at(6), QStringLiteral("Среднее значение отсчета: 32 %"));
    EXPECT_EQ(Form->StatisticForm().windowTitle(), QStringLiteral("Статистика"));
}

// --- Joining and mixing -------------------------------------------------------------------------

class FilesCommands : public AnalysisCommands {
  protected:
    // Three mono documents a, b, c of different lengths and contents, opened in that order.
    void OpenThree() {
        // Even values: halving them for the mix loses nothing at 16 bits.
        A = Ramp(300, -100, 2);
        B = Ramp(500, 8, 0);
        C = Ramp(200, 50, -2);
        const std::array<std::pair<const char*, const std::vector<std::int32_t>*>, 3> files{
            {{"a.wav", &A}, {"b.wav", &B}, {"c.wav", &C}}};
        for (const auto& [name, samples] : files) {
            Paths.push_back(WriteWav(name, {*samples}));
            EXPECT_TRUE(Form->OpenDocument(QString::fromStdString(Paths.back())));
        }
    }

    void Activate(int tag) { Form->PageControl().setCurrentIndex(tag); }

    // The same documents joined or mixed by sonavel-cli; the samples of its result.
    std::vector<std::vector<std::int32_t>> Cli(const std::string& steps) {
        const std::string out = Temp.File("cli.wav");
        const std::string chl = Temp.File("cli-chl/");
        std::filesystem::create_directory(chl);
        std::string command = std::string(SONAVEL_CLI_PATH) + " --quiet --temp " + chl;
        for (const std::string& path : Paths) {
            command += " open path=" + path;
        }
        command += " " + steps + " -o " + out;
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        TAudioStream result;
        TPCM(out).LoadStream(result);
        std::vector<std::vector<std::int32_t>> channels(result.ChannelCount);
        for (std::uint16_t c = 0; c < result.ChannelCount; ++c) {
            channels[c].resize(result.GetLength());
            result.ReadSamples(c, 0, result.GetLength(), channels[c].data());
        }
        return channels;
    }

    std::vector<std::vector<std::int32_t>> All(TDocument& d) {
        std::vector<std::vector<std::int32_t>> channels;
        for (std::uint16_t c = 0; c < d.Stream->ChannelCount; ++c) {
            channels.push_back(Samples(d, c));
        }
        return channels;
    }

    std::vector<std::int32_t> A, B, C;
    std::vector<std::string> Paths;
};

TEST_F(FilesCommands, JoinFollowsTheOrderOfActivationAndAgreesWithTheCommandLine) {
    Form->SetLanguage("ENG");
    OpenThree();
    Activate(0);  // a: the order of activation is now b, c, a
    TConnectFilesForm& dialog = Form->ConnectFilesForm();
    QStringList listed;
    Prompts->OnDialog = [&](QDialog& shown) {
        EXPECT_EQ(&shown, &dialog);
        listed = Lines(*dialog.ListBox);
        EXPECT_EQ(dialog.ListBox->currentRow(), 0);
        EXPECT_EQ(dialog.FileIndexes(), (std::vector<std::int32_t>{1, 2, 0}));
        dialog.ChnBox->setCurrentText(QStringLiteral("2"));
        dialog.Button1->click();
        return dialog.result();
    };
    Form->Action(TCommand::ConnectFiles)->trigger();
    EXPECT_EQ(listed, QStringList({"b.wav", "c.wav", "a.wav"}));
    ASSERT_EQ(Form->Workspace().Count(), 4U);
    TDocument& joined = *Form->Workspace().Active();
    EXPECT_EQ(joined.Tag, 3);
    EXPECT_EQ(joined.Caption, "New project");
    EXPECT_TRUE(joined.Modified);
    EXPECT_TRUE(joined.FileName.empty());
    EXPECT_EQ(joined.SampleCount, 1000U);
    EXPECT_EQ(joined.ViewLength, 1000U);
    EXPECT_EQ(Form->PageControl().currentIndex(), 3);
    EXPECT_EQ(Samples(joined, 0), Joined({B, C, A}));
    EXPECT_EQ(Samples(joined, 1), Joined({B, C, A}));  // a mono source fills every channel
    EXPECT_EQ(All(joined), Cli("activate index=0 join channels=2 rate=44100 bits=16"));
    EXPECT_TRUE(Form->Workspace().Dialogs.ConnectFiles.Order.empty());
    EXPECT_EQ(Samples(Form->Workspace().Document(0), 0), A);  // the sources are untouched
    EXPECT_FALSE(Form->Workspace().Document(0).Modified);
}

TEST_F(FilesCommands, ReorderedJoinAndAFormatKeptForTheNextUse) {
    OpenThree();  // in order of activation a, b, c
    TConnectFilesForm& dialog = Form->ConnectFilesForm();
    Prompts->OnDialog = [&](QDialog&) {
        dialog.ListBox->setCurrentRow(2);  // c to the top, then a to the bottom
        dialog.UpButtonClick();
        dialog.UpButtonClick();
        dialog.UpButtonClick();  // already first
        EXPECT_EQ(dialog.ListBox->currentRow(), 0);
        dialog.ListBox->setCurrentRow(1);
        dialog.DownButton->click();
        dialog.DownButton->click();  // already last
        EXPECT_EQ(Lines(*dialog.ListBox), QStringList({"c.wav", "b.wav", "a.wav"}));
        dialog.ChnBox->setCurrentText(QStringLiteral("1"));
        dialog.HzBox->setCurrentText(QStringLiteral("22050"));
        dialog.BitBox->setCurrentText(QStringLiteral("8"));
        dialog.accept();
        return dialog.result();
    };
    Form->ConnectFilesMIClick();
    TDocument& joined = *Form->Workspace().Active();
    EXPECT_EQ(joined.Stream->ChannelCount, 1);
    EXPECT_EQ(joined.Stream->SampleRate, 22050U);
    EXPECT_EQ(joined.Stream->BitsPerSample, 8);
    // Half the rate keeps every second sample.
    EXPECT_EQ(joined.SampleCount, 500U);
    EXPECT_EQ(All(joined), Cli("activate index=2 activate index=1 activate index=0 "
                               "join channels=1 rate=22050 bits=8"));
    const TFilesValues& kept = Form->Workspace().Dialogs.ConnectFiles;
    EXPECT_EQ(kept.ChnBox, 1);
    EXPECT_EQ(kept.HzBox, 22050U);
    EXPECT_EQ(kept.BitBox, 8);
    EXPECT_EQ(dialog.HzBox->currentText(), QStringLiteral("22050"));
}

TEST_F(FilesCommands, MixOfDifferentLengthsIsAsLongAsTheLongestAtHalfLevel) {
    Form->SetLanguage("RUS");
    OpenThree();
    Form->CloseFileMIClick();  // c
    TMixFilesForm& dialog = Form->MixFilesForm();
    Prompts->OnDialog = [&](QDialog&) {
        EXPECT_EQ(Lines(*dialog.ListBox), QStringList({"a.wav", "b.wav"}));
        dialog.ChnBox->setCurrentText(QStringLiteral("1"));
        dialog.accept();
        return dialog.result();
    };
    Form->Action(TCommand::MixFiles)->trigger();
    TDocument& mixed = *Form->Workspace().Active();
    EXPECT_EQ(mixed.Caption, "Новый проект");
    std::vector<std::int32_t> expected(500);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = B[i] / 2 + (i < A.size() ? A[i] / 2 : 0);
    }
    EXPECT_EQ(Samples(mixed, 0), expected);
    Paths.pop_back();
    EXPECT_EQ(All(mixed), Cli("mix channels=1 rate=44100 bits=16"));
}

TEST_F(FilesCommands, DeleteKeepsTwoLinesAndCancelCreatesNothing) {
    OpenThree();
    TMixFilesForm& mix = Form->MixFilesForm();
    Prompts->OnDialog = [&](QDialog& dialog) {
        auto& form = dynamic_cast<TFileListForm&>(dialog);
        form.ListBox->setCurrentRow(2);
        form.DelButton->click();
        EXPECT_EQ(form.ListBox->currentRow(), 1);
        form.DelButton->click();  // two are left: refused
        EXPECT_EQ(form.FileIndexes(), (std::vector<std::int32_t>{0, 1}));
        EXPECT_EQ(form.ListBox->count(), 2);
        form.reject();
        return form.result();
    };
    Form->MixFilesMIClick();
    Form->ConnectFilesMIClick();
    EXPECT_EQ(Prompts->DialogsRun, (std::vector<QString>{"MixFilesForm", "ConnectFilesForm"}));
    EXPECT_EQ(Form->Workspace().Count(), 3U);
    EXPECT_EQ(Form->PageControl().count(), 3);
    EXPECT_EQ(Form->Workspace().Active()->Tag, 2);
    // The next use lists every open document again.
    Prompts->OnDialog = [&](QDialog&) { return static_cast<int>(QDialog::Rejected); };
    Form->MixFilesMIClick();
    EXPECT_EQ(mix.ListBox->count(), 3);
}

TEST_F(FilesCommands, DialogTextsInBothLanguagesWithTheListsKeepingTheirIndex) {
    TConnectFilesForm& join = Form->ConnectFilesForm();
    TMixFilesForm& mix = Form->MixFilesForm();
    const auto label = [](QDialog& d, const char* name) {
        return d.findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    EXPECT_EQ(label(join, "Label4"), QStringLiteral("Гц."));  // as laid out
    EXPECT_EQ(join.ChnBox->currentText(), QStringLiteral("2"));
    EXPECT_EQ(join.HzBox->currentText(), QStringLiteral("44100"));
    EXPECT_EQ(join.BitBox->currentText(), QStringLiteral("16"));
    EXPECT_EQ(join.ChnBox->count(), 8);
    join.HzBox->setCurrentIndex(2);
    Form->SetLanguage("ENG");
    EXPECT_EQ(join.windowTitle(), QStringLiteral("Connecting of files"));
    EXPECT_EQ(join.GroupBox1->title(), QStringLiteral("New project settings"));
    EXPECT_EQ(join.GroupBox2->title(), QStringLiteral("Order of connecting"));
    EXPECT_EQ(label(join, "Label1"), QStringLiteral("Number of channels:"));
    EXPECT_EQ(label(join, "Label2"), QStringLiteral("chnl."));
    EXPECT_EQ(label(join, "Label4"), QStringLiteral("Hz"));
    EXPECT_EQ(join.HzBox->currentIndex(), 2);
    EXPECT_EQ(mix.windowTitle(), QStringLiteral("Mixing"));
    EXPECT_EQ(mix.GroupBox2->title(), QStringLiteral("Files to mixing"));
    EXPECT_EQ(join.Button1->text(), QStringLiteral("OK"));
    EXPECT_EQ(mix.Button1->text(), QStringLiteral("ОК"));
    EXPECT_EQ(Form->StatisticForm().windowTitle(), QStringLiteral("General analysis"));
    Form->SetLanguage("RUS");
    EXPECT_EQ(label(mix, "Label4"), QStringLiteral("Гц"));
    EXPECT_EQ(label(mix, "Label5"), QStringLiteral("Четкость:"));
    EXPECT_EQ(mix.GroupBox2->title(), QStringLiteral("Смешиваемые файлы"));
    EXPECT_EQ(join.windowTitle(), QStringLiteral("Соединение аудиофайлов"));
    Form->SetLanguage("XXX");
    EXPECT_EQ(join.windowTitle(), QStringLiteral("Соединение аудиофайлов"));
    EXPECT_EQ(mix.findChild<QToolButton*>("UpButton"), nullptr);
    // Tab leads from the list through the buttons beside it in their order.
    QWidget* next = join.ListBox;
    QStringList tabOrder;
    for (int i = 0; i < 4; ++i) {
        do {
            next = next->nextInFocusChain();
        } while ((next->focusPolicy() & Qt::TabFocus) == 0);
        tabOrder << next->objectName();
    }
    EXPECT_EQ(tabOrder, QStringList({"UpButton", "DownButton", "DelButton", "Button1"}));
}

// --- The four windows on screen -----------------------------------------------------------------

// Every text of the four windows fits its control in both languages. With
// SONAVEL_WINDOW_PICTURES=folder the windows are also saved there as PNG pictures.
TEST_F(FilesCommands, EveryTextFitsItsControlInBothLanguages) {
    OpenThree();
    const QString pictures = qEnvironmentVariable("SONAVEL_WINDOW_PICTURES");
    Form->SpectraAnalysForm().MaxFrequency = 22050;
    Form->Workspace().SpectrumData.assign(1025, TComplex{});
    for (std::size_t j = 0; j < 1025; ++j) {
        Form->Workspace().SpectrumData[j].Re = 1e9L / (1.0L + static_cast<long double>(j) / 30);
    }
    Form->StatisticForm().Statistics = {22050, 1500000000, 400000000, 44100, 16, 2, 220500};
    Form->ConnectFilesForm().Fill(Form->Workspace());
    Form->MixFilesForm().Fill(Form->Workspace());
    const std::array<QDialog*, 4> windows{&Form->SpectraAnalysForm(), &Form->StatisticForm(),
                                          &Form->ConnectFilesForm(), &Form->MixFilesForm()};
    for (const std::string language : {"RUS", "ENG"}) {
        Form->SetLanguage(language);
        for (QDialog* window : windows) {
            window->show();
            QCoreApplication::processEvents();
            QString where = window->objectName() + " " + QString::fromStdString(language);
            for (const QLabel* text : window->findChildren<QLabel*>()) {
                EXPECT_GE(text->width(), text->sizeHint().width()) << where.toStdString();
            }
            for (const QPushButton* button : window->findChildren<QPushButton*>()) {
                EXPECT_GE(button->width(), button->sizeHint().width()) << where.toStdString();
            }
            for (const QGroupBox* group : window->findChildren<QGroupBox*>()) {
                EXPECT_GE(group->width(), group->fontMetrics().horizontalAdvance(group->title()))
                    << where.toStdString();
            }
            if (auto* list = window->findChild<QListWidget*>()) {
                for (int i = 0; i < list->count(); ++i) {
                    EXPECT_GE(list->viewport()->width(),
                              list->fontMetrics().horizontalAdvance(list->item(i)->text()))
                        << where.toStdString() << " " << i;
                }
            }
            const QImage picture = window->grab().toImage();
            EXPECT_FALSE(picture.isNull());
            if (!pictures.isEmpty()) {
                picture.save(pictures + "/" + where.replace(' ', '-') + ".png");
            }
            window->hide();
        }
    }
}

}  // namespace
}  // namespace sonavel::test
