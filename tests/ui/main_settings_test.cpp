#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>

#include "MainFormHarness.h"
#include "app/DocumentTexts.h"
#include "core/PlaybackEngine.h"
#include "core/TempPath.h"
#include "ui/ChildForm.h"
#include "ui/MP3SettingsDlg.h"
#include "ui/MainTexts.h"
#include "ui/NewProjectDlg.h"

namespace sonavel::test {
namespace {

using enum TCommand;

class Settings : public TMainFormTest {
  protected:
    void Store(const char* name, const QVariant& value) {
        QSettings settings("Korvane", "Sonavel_Pro");
        settings.setValue(name, value);
        settings.sync();
    }
    QVariant Stored(const char* name) const {
        const QSettings settings("Korvane", "Sonavel_Pro");
        return settings.value(name);
    }
    bool IsStored(const char* name) const {
        const QSettings settings("Korvane", "Sonavel_Pro");
        return settings.contains(name);
    }

    // Every top menu, menu item and hint carries the text of the table.
    void ExpectMainTexts(const std::string& language) {
        const TMainWindowTexts* texts = MainWindowTexts(language);
        ASSERT_NE(texts, nullptr);
        int menus = 0;
        for (const QMenu* menu : Form->findChildren<QMenu*>()) {
            if (const char* text = FindText(texts->MenuItems, menu->objectName().toStdString())) {
                EXPECT_EQ(menu->title(), QString::fromUtf8(text))
                    << menu->objectName().toStdString();
                ++menus;
            }
        }
        EXPECT_EQ(menus, 8);
        for (std::size_t i = 0; i < CommandCount; ++i) {
            const QAction* action = Form->Action(static_cast<TCommand>(i));
            const char* text = FindText(texts->MenuItems, action->objectName().toStdString());
            ASSERT_NE(text, nullptr) << action->objectName().toStdString();
            EXPECT_EQ(action->text(), QString::fromUtf8(text));
        }
        for (const TToolButton& button : ToolButtons()) {
            const auto* widget = Form->findChild<QToolButton*>(QString::fromLatin1(button.Name));
            ASSERT_NE(widget, nullptr) << button.Name;
            EXPECT_EQ(widget->toolTip(), QString::fromUtf8(FindText(texts->Hints, button.Name)));
        }
        EXPECT_EQ(Form->windowTitle(), QString::fromUtf8(texts->Title));
    }
};

TEST_F(Settings, FirstStartAsksForTheLanguageAndEnglishReachesEveryText) {
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Sonavel ПРО"));
    EXPECT_EQ(Form->Action(NewFile)->text(), QStringLiteral("Новый"));
    EXPECT_TRUE(Form->Language().empty());

    Form->FormActivate();
    ASSERT_EQ(Prompts->DialogsRun, std::vector<QString>{"SetLangForm"});
    EXPECT_EQ(Form->Language(), "ENG");
    ExpectMainTexts("ENG");
    EXPECT_EQ(Form->findChild<QToolButton*>("SpeedButton1")->toolTip(),
              QStringLiteral("Сreate new project"));  // with its Cyrillic С
    EXPECT_EQ(Form->NewProjectForm().windowTitle(), QStringLiteral("New project settings"));
    EXPECT_EQ(Form->NewProjectForm().BitBtn2->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(Form->MP3SettingsForm().ByteRateTypeBox->itemText(1), QStringLiteral("Variable"));

    // Later activations apply it again without asking.
    Form->FormActivate();
    EXPECT_EQ(Prompts->DialogsRun.size(), 1U);
}

TEST_F(Settings, FilesGivenAtStartOpenOnceTheLanguageIsChosen) {
    const std::string path = WriteWav("start.wav", {Sine(500, 20)});
    Form->OpenAfterStart({QString::fromStdString(path)});
    EXPECT_EQ(Form->Workspace().Count(), 0U);
    Form->FormActivate();
    ASSERT_EQ(Form->Workspace().Count(), 1U);
    EXPECT_EQ(Form->Workspace().Active()->Caption, "start.wav");
    EXPECT_TRUE(Form->Action(Save)->isEnabled());
    // Later files open at once.
    Form->OpenAfterStart({QString::fromStdString(path)});
    EXPECT_EQ(Form->Workspace().Count(), 2U);
}

TEST_F(Settings, RussianChosenAtFirstStartGivesRussianTexts) {
    Prompts->OnDialog = [](QDialog& dialog) {
        qobject_cast<TSetLangForm*>(&dialog)->BitBtn1->click();
        return dialog.result();
    };
    Form->FormActivate();
    EXPECT_EQ(Form->Language(), "RUS");
    ExpectMainTexts("RUS");
    EXPECT_EQ(Form->MP3SettingsForm().windowTitle(),
              QStringLiteral("Настройка параметров MP3 формата"));
}

TEST_F(Settings, StoredLanguageIsTakenByItsFirstThreeLetters) {
    Store("Lang", "ENGLISH");
    MakeForm();
    Form->FormActivate();
    EXPECT_TRUE(Prompts->DialogsRun.empty());
    EXPECT_EQ(Form->Language(), "ENG");
    ExpectMainTexts("ENG");
}

TEST_F(Settings, UnknownLanguageWordChangesNoText) {
    Form->SetLanguage("ENG");
    Form->SetLanguage("DEU");
    EXPECT_EQ(Form->Language(), "DEU");
    ExpectMainTexts("ENG");
}

TEST_F(Settings, LanguageSwitchReachesOpenDocumentsAndKeepsListSelections) {
    Form->SetLanguage("RUS");
    OpenSine("a.wav");
    Form->MP3SettingsForm().ByteRateTypeBox->setCurrentIndex(1);
    Form->SetLanguage("ENG");
    EXPECT_EQ(Form->ActiveChild()->Language(), "ENG");
    EXPECT_EQ(Form->ActiveChild()->findChild<QLabel*>("Label1")->text(),
              QString::fromUtf8(DocumentWindowTexts("ENG")->Label1));
    EXPECT_EQ(Form->MP3SettingsForm().ByteRateTypeBox->currentIndex(), 1);
    EXPECT_EQ(Form->MP3SettingsForm().ByteRateTypeBox->currentText(), QStringLiteral("Variable"));
}

TEST_F(Settings, MissingValuesKeepTheDefaults) {
    EXPECT_EQ(Form->Workspace().MaxUndos, 2);
    EXPECT_EQ(PlayDevice.load(), 0);
    EXPECT_EQ(RecordDevice.load(), 0);
    EXPECT_EQ(TempPath(), Temp.Path());

    TMemoryDeviceOptions none;
    none.OutputNames.clear();
    none.InputNames.clear();
    MakeForm(none);
    EXPECT_EQ(PlayDevice.load(), -1);
    EXPECT_EQ(RecordDevice.load(), -1);
}

TEST_F(Settings, StoredValuesAreTakenAsTheyAre) {
    const std::string folder = Temp.File("channels");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    Store("MaxUndos", 20);
    Store("AudioDevice", 3);
    Store("RecordDevice", -1);
    Store("TempFolder", QString::fromStdString(folder));
    MakeForm();
    EXPECT_EQ(Form->Workspace().MaxUndos, 20);
    EXPECT_EQ(PlayDevice.load(), 3);
    EXPECT_EQ(RecordDevice.load(), -1);
    EXPECT_EQ(TempPath(), folder + "/");
    SetTempPath(Temp.Path());
}

TEST_F(Settings, UnreadableValueKeepsItsDefault) {
    Store("MaxUndos", "many");
    MakeForm();
    EXPECT_EQ(Form->Workspace().MaxUndos, 2);
}

TEST_F(Settings, AllFiveAreWrittenAtClose) {
    Form->FormActivate();  // English
    Form->Workspace().MaxUndos = 5;
    PlayDevice.store(1);
    RecordDevice.store(-1);
    EXPECT_FALSE(IsStored("MaxUndos"));
    EXPECT_TRUE(Form->close());
    EXPECT_EQ(Stored("MaxUndos").toInt(), 5);
    EXPECT_EQ(Stored("AudioDevice").toInt(), 1);
    EXPECT_EQ(Stored("RecordDevice").toInt(), -1);
    EXPECT_EQ(Stored("TempFolder").toString().toStdString(), Temp.Path());
    EXPECT_EQ(Stored("Lang").toString(), QStringLiteral("ENG"));

    // The next start finds them and does not ask for the language.
    MakeForm();
    Form->FormActivate();
    EXPECT_TRUE(Prompts->DialogsRun.empty());
    EXPECT_EQ(Form->Workspace().MaxUndos, 5);
}

TEST_F(Settings, NothingIsWrittenWhenClosingIsRefused) {
    OpenSine("a.wav");
    Form->InvertMIClick();
    Prompts->Answers = {TAnswer::Cancel};
    EXPECT_FALSE(Form->close());
    EXPECT_FALSE(IsStored("MaxUndos"));
    EXPECT_EQ(Form->Workspace().Count(), 1U);
}

}  // namespace
}  // namespace sonavel::test
