#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <memory>

#include "UiTestSupport.h"
#include "app/DialogValues.h"
#include "ui/CreateFreqDlg.h"
#include "ui/CreateNoiseDlg.h"
#include "ui/DialogTexts.h"
#include "ui/EqualizeDlg.h"
#include "ui/OffsetSpectraDlg.h"
#include "ui/ParameterForms.h"
#include "ui/RevebrationDlg.h"
#include "ui/RoundSoundDlg.h"
#include "ui/SelDelSpectraDlg.h"
#include "ui/SetSpeedDlg.h"

namespace sonavel::test {
namespace {

// Every dialog of the editor's commands, with the record they fill.
class ParameterDialogs : public ::testing::Test {
  protected:
    TDialogValues Values;
    QWidget Parent;
    TParameterForms Forms{Values, &Parent};

    template <class T>
    T& Form(TOperation operation) {
        auto* form = qobject_cast<T*>(Forms.Form(operation));
        EXPECT_NE(form, nullptr);
        return *form;
    }
};

TEST_F(ParameterDialogs, EveryDialogTakesItsRangesAndFirstValuesFromTheOperationTable) {
    const TFormat format{2, 44100};
    for (const TOperationInfo& info : Operations()) {
        TParameterForm* form = Forms.Form(info.Operation);
        if (form == nullptr) {
            EXPECT_TRUE(DialogTexts(info.Operation).empty()) << info.English;
            continue;
        }
        form->SetFormat(format);
        for (const TParameter& p : info.Parameters) {
            auto* spin = form->findChild<QSpinBox*>(QString::fromLatin1(p.Control));
            auto* list = form->findChild<QComboBox*>(QString::fromLatin1(p.Control));
            if (spin != nullptr) {
                EXPECT_EQ(spin->minimum(), p.Range(format).Min) << p.Control;
                EXPECT_EQ(spin->maximum(), p.Range(format).Max) << p.Control;
                EXPECT_EQ(spin->value(), std::get<std::int64_t>(p.DefaultFor(format))) << p.Control;
            } else if (list != nullptr) {
                EXPECT_EQ(list->count(), static_cast<int>(p.Items.size())) << p.Control;
                EXPECT_EQ(list->currentIndex(), std::get<std::int64_t>(p.Default())) << p.Control;
                EXPECT_FALSE(list->isEditable());
            }
        }
        // Every text of the table belongs to a control of the dialog.
        for (const TDialogText& text : DialogTexts(info.Operation)) {
            if (*text.Name != '\0') {
                EXPECT_NE(form->findChild<QWidget*>(QString::fromLatin1(text.Name)), nullptr)
                    << text.Name;
            }
        }
    }
}

TEST_F(ParameterDialogs, FormTextsGiveWayToTheLanguagesAndOtherWordsChangeNothing) {
    auto& reverb = Form<TRevebrationForm>(TOperation::Revebration);
    auto& speed = Form<TSetSpeedForm>(TOperation::SetSpeed);
    auto& band = Form<TSelDelSpectraForm>(TOperation::SelDelSpectra);
    EXPECT_EQ(reverb.windowTitle(), QStringLiteral("Добавление ревебрации"));
    EXPECT_EQ(speed.GlideCB->text(), QStringLiteral("Плавное изменение темпа "));
    EXPECT_EQ(band.RB2->text(), QStringLiteral("Удалить диапазон частот "));

    Forms.SetLanguage("RUS");
    EXPECT_EQ(reverb.windowTitle(), QStringLiteral("Добавление реверберации"));
    EXPECT_EQ(speed.GlideCB->text(), QStringLiteral("Плавное изменение темпа"));
    EXPECT_EQ(band.RB2->text(), QStringLiteral("Удалить диапазон частот"));
    Forms.SetLanguage("ENG");
    EXPECT_EQ(reverb.windowTitle(), QStringLiteral("Reverberation"));
    EXPECT_EQ(band.RB1->text(), QStringLiteral("Allocate"));
    EXPECT_EQ(band.findChild<QLabel*>("Label1")->text(), QStringLiteral("  "));
    Forms.SetLanguage("DEU");
    EXPECT_EQ(reverb.windowTitle(), QStringLiteral("Reverberation"));
    EXPECT_EQ(speed.AlgBox->itemText(0), QStringLiteral("Simple"));
    EXPECT_EQ(
        Form<TCreateNoiseForm>(TOperation::CreateNoise).findChild<QPushButton*>("Button1")->text(),
        QStringLiteral("ОК"));
}

TEST_F(ParameterDialogs, ListsChangeLanguageKeepingTheirSelection) {
    auto& speed = Form<TSetSpeedForm>(TOperation::SetSpeed);
    auto& tone = Form<TCreateFreqForm>(TOperation::CreateFreq);
    auto& round = Form<TRoundSoundForm>(TOperation::RoundSound);
    speed.AlgBox->setCurrentIndex(1);
    tone.PasteTypeBox->setCurrentIndex(2);
    round.DirectRound->setCurrentIndex(1);
    Forms.SetLanguage("ENG");
    EXPECT_EQ(speed.AlgBox->currentText(), QStringLiteral("Timbre saving"));
    EXPECT_EQ(tone.PasteTypeBox->currentText(), QStringLiteral("mixing"));
    EXPECT_EQ(round.DirectRound->currentText(), QStringLiteral("CCW"));
    EXPECT_EQ(tone.RadioButton2->text(), QStringLiteral("Rectangular"));
    Forms.SetLanguage("RUS");
    EXPECT_EQ(speed.AlgBox->currentText(), QStringLiteral("С сохранением тембра"));
    EXPECT_EQ(tone.PasteTypeBox->currentText(), QStringLiteral("смешение"));
    EXPECT_EQ(round.DirectRound->currentText(), QStringLiteral("против часовой"));
}

TEST_F(ParameterDialogs, ShiftAndBandFollowTheDocumentsRateAndTheBandIsPutInOrder) {
    auto& offset = Form<TOffsetSpectraForm>(TOperation::OffsetSpectra);
    auto& band = Form<TSelDelSpectraForm>(TOperation::SelDelSpectra);
    // Before any document the band's upper edge still holds its first value.
    EXPECT_EQ(band.SE2->value(), 99999);
    offset.SetFormat({2, 22050});
    band.SetFormat({2, 22050});
    EXPECT_EQ(offset.OffsetEdit->minimum(), -5512);
    EXPECT_EQ(offset.OffsetEdit->maximum(), 5512);
    EXPECT_EQ(band.SE1->minimum(), 1);
    EXPECT_EQ(band.SE2->maximum(), 11025);
    EXPECT_EQ(band.SE2->value(), 11025);  // lowered

    band.RB2->setChecked(true);
    band.SE1->setValue(5000);
    band.SE2->setValue(300);
    band.accept();
    EXPECT_EQ(Values.SelDelSpectra.SE1, 300);
    EXPECT_EQ(Values.SelDelSpectra.SE2, 5000);
    EXPECT_FALSE(Values.SelDelSpectra.RB1);
    EXPECT_EQ(band.SE1->value(), 300);
    EXPECT_EQ(band.SE2->value(), 5000);

    // Typed past the range, a number is clamped; cancel leaves the record alone.
    offset.OffsetEdit->findChild<QLineEdit*>()->setText("-9000");
    offset.accept();
    EXPECT_EQ(Values.OffsetSpectra.OffsetEdit, -5512);
    offset.OffsetEdit->setValue(100);
    offset.reject();
    EXPECT_EQ(Values.OffsetSpectra.OffsetEdit, -5512);
    auto& speed = Form<TSetSpeedForm>(TOperation::SetSpeed);
    speed.SpeedEdit->findChild<QLineEdit*>()->setText("5");
    speed.accept();
    EXPECT_EQ(Values.SetSpeed.SpeedEdit, 20);
}

TEST_F(ParameterDialogs, VolumeLabelShowsTheBarsPosition) {
    auto& tone = Form<TCreateFreqForm>(TOperation::CreateFreq);
    auto& noise = Form<TCreateNoiseForm>(TOperation::CreateNoise);
    EXPECT_EQ(tone.VolumeLabel->text(), QStringLiteral("100 %"));
    tone.VolumeBar->setValue(75);
    EXPECT_EQ(tone.VolumeLabel->text(), QStringLiteral("75 %"));
    EXPECT_EQ(tone.VolumeBar->tickInterval(), 5);
    noise.VolumeBar->setValue(0);
    EXPECT_EQ(noise.VolumeLabel->text(), QStringLiteral("0 %"));
    noise.RadioButton3->setChecked(true);
    noise.accept();
    EXPECT_EQ(Values.CreateNoise.VolumeBar, 0);
    EXPECT_EQ(Values.CreateNoise.Colour, TNoiseColour::Brown);
    EXPECT_FALSE(noise.RadioButton1->icon().isNull());
}

// The controls a Tab reaches, in order.
QStringList TabOrder(QWidget& form) {
    QStringList names;
    for (QWidget* w = form.nextInFocusChain(); w != &form; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && !w->objectName().startsWith("qt_")) {
            names << w->objectName();
        }
    }
    return names;
}

TEST_F(ParameterDialogs, TabRunsDownTheDialogAndTheFirstFieldHasTheFocus) {
    auto& tone = Form<TCreateFreqForm>(TOperation::CreateFreq);
    EXPECT_EQ(TabOrder(tone),
              QStringList({"FreqValueEdit", "LongEdit", "VolumeBar", "PasteTypeBox", "RadioButton1",
                           "RadioButton2", "RadioButton3", "Button1"}));
    const QStringList eq = TabOrder(Form<TEqualizeForm>(TOperation::Equalize));
    EXPECT_EQ(eq.mid(0, 4), QStringList({"StFrqEd", "FnFrqEd", "SetRangeBtn", "TrackBar1"}));
    EXPECT_EQ(eq.mid(18), QStringList({"TrackBar16", "Button2", "Button3", "Button4", "Button1"}));
    auto& band = Form<TSelDelSpectraForm>(TOperation::SelDelSpectra);
    band.show();
    EXPECT_EQ(band.focusWidget(), band.RB1);
    band.hide();
    tone.show();
    EXPECT_EQ(tone.focusWidget(), tone.FreqValueEdit);
    tone.hide();
}

// --- The equaliser -------------------------------------------------------------------------------

TEST_F(ParameterDialogs, EqualizerShowsItsRangeWithinTheDocumentsFrequencies) {
    auto& eq = Form<TEqualizeForm>(TOperation::Equalize);
    EXPECT_EQ(eq.TrackBars[0]->toolTip(), QStringLiteral("1 - 50 Гц"));
    eq.SetFormat({2, 44100});
    EXPECT_EQ(eq.StFrqEd->maximum(), 22018);
    EXPECT_EQ(eq.FnFrqEd->minimum(), 33);
    EXPECT_EQ(eq.FnFrqEd->value(), 22050);
    // Hints: L = 22049, band 1 is 1 .. 1 + Round(22049 / 16) = 1379.
    EXPECT_EQ(eq.TrackBars[0]->toolTip(), QStringLiteral("1 - 1379 Гц"));
    EXPECT_EQ(eq.TrackBars[15]->toolTip(), QStringLiteral("20672 - 22050 Гц"));
    EXPECT_EQ(eq.StaticText3->text(), QStringLiteral("11025 Гц"));

    // A start past the new top goes back to 1, an end past it comes down to the top.
    eq.StFrqEd->setValue(20000);
    eq.SetFormat({2, 22050});
    EXPECT_EQ(eq.StFrqEd->value(), 1);
    EXPECT_EQ(eq.FnFrqEd->value(), 11025);
    // An end too close to the start is set to the top.
    eq.StFrqEd->setValue(5000);
    eq.FnFrqEd->setValue(5010);
    eq.FormShow();
    EXPECT_EQ(eq.FnFrqEd->value(), 11025);

    eq.SetLanguage("ENG");
    eq.FormShow();
    EXPECT_EQ(eq.StaticText1->text(), QStringLiteral("5000 Hz"));
    EXPECT_EQ(eq.TrackBars[0]->toolTip(), QStringLiteral("5000 - 5377 Hz"));
}

TEST_F(ParameterDialogs, EqualizerRangeIsNeverNarrowerThan32Hz) {
    auto& eq = Form<TEqualizeForm>(TOperation::Equalize);
    eq.SetFormat({2, 44100});
    eq.StFrqEd->setValue(1000);
    eq.FnFrqEd->setValue(1010);
    eq.SetRangeBtnClick();
    EXPECT_EQ(eq.StFrqEd->value(), 978);
    EXPECT_EQ(eq.FnFrqEd->value(), 1010);
    // At the bottom the start cannot go lower, so the end goes up.
    eq.StFrqEd->setValue(1);
    eq.FnFrqEd->setValue(33);
    eq.StFrqEd->setValue(10);
    eq.SetRangeBtnClick();
    EXPECT_EQ(eq.StFrqEd->value(), 1);
    EXPECT_EQ(eq.FnFrqEd->value(), 33);
    EXPECT_EQ(eq.StaticText5->text(), QStringLiteral("33 Гц"));
}

TEST_F(ParameterDialogs, EqualizerBarsGiveTheGainsTopIs200Percent) {
    auto& eq = Form<TEqualizeForm>(TOperation::Equalize);
    eq.TrackBars[0]->setValue(0);
    eq.TrackBars[15]->setValue(150);
    EXPECT_EQ(eq.Gains[0], 200);
    EXPECT_EQ(eq.Gains[1], 100);
    EXPECT_EQ(eq.Gains[15], 50);
    eq.accept();
    EXPECT_EQ(Values.Equalize.Gains[0], 200);
    EXPECT_EQ(Values.Equalize.Gains[15], 50);
    eq.Button3->click();  // "0 %"
    EXPECT_EQ(eq.TrackBars[7]->value(), 200);
    EXPECT_EQ(eq.Gains[7], 0);
    eq.Button4->click();  // "200 %"
    EXPECT_EQ(eq.Gains[3], 200);
    eq.Button2->click();  // "100 %"
    EXPECT_EQ(eq.Gains[12], 100);
}

// Every dialog in both languages on screen: no text is cut short. With SONAVEL_DIALOG_SHOTS
// naming a folder, each is also written there as a picture.
TEST_F(ParameterDialogs, TextsFitInBothLanguages) {
    const QString shots = qEnvironmentVariable("SONAVEL_DIALOG_SHOTS");
    for (const char* language : {"RUS", "ENG"}) {
        std::vector<QPixmap> pictures;
        Forms.SetLanguage(language);
        for (const TOperationInfo& info : Operations()) {
            TParameterForm* form = Forms.Form(info.Operation);
            if (form == nullptr) {
                continue;
            }
            form->SetFormat({2, 44100});
            form->show();
            QCoreApplication::processEvents();
            for (QWidget* w : form->findChildren<QWidget*>()) {
                if (qobject_cast<QLabel*>(w) != nullptr ||
                    qobject_cast<QAbstractButton*>(w) != nullptr ||
                    qobject_cast<QComboBox*>(w) != nullptr) {
                    EXPECT_GE(w->width(), w->minimumSizeHint().width())
                        << form->objectName().toStdString() << " " << w->objectName().toStdString()
                        << " " << language;
                }
            }
            if (!shots.isEmpty()) {
                pictures.push_back(form->grab());
                QDir().mkpath(shots);
                pictures.back().save(
                    QStringLiteral("%1/%2-%3.png")
                        .arg(shots, form->objectName(), QString::fromLatin1(language)));
            }
            form->hide();
        }
        if (!pictures.empty()) {
            // One sheet of all of them, three to a row, to look at together.
            constexpr int Columns = 3;
            constexpr int Gap = 8;
            int width = 0;
            int height = 0;
            int rowHeight = 0;
            int x = 0;
            std::vector<QPoint> places;
            for (std::size_t i = 0; i < pictures.size(); ++i) {
                if (i % Columns == 0) {
                    height += rowHeight + (i > 0 ? Gap : 0);
                    rowHeight = 0;
                    x = 0;
                }
                places.emplace_back(x, height);
                x += pictures[i].width() + Gap;
                width = std::max(width, x);
                rowHeight = std::max(rowHeight, pictures[i].height());
            }
            QImage sheet(width, height + rowHeight, QImage::Format_RGB32);
            sheet.fill(Qt::darkGray);
            QPainter painter(&sheet);
            for (std::size_t i = 0; i < pictures.size(); ++i) {
                painter.drawPixmap(places[i], pictures[i]);
            }
            painter.end();
            sheet.save(QStringLiteral("%1/all-%2.png").arg(shots, QString::fromLatin1(language)));
        }
    }
}

}  // namespace
}  // namespace sonavel::test
