#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTextBrowser>
#include <QTreeWidget>

#include "MainFormHarness.h"
#include "core/PlaybackEngine.h"
#include "core/TempPath.h"
#include "ui/AboutDlg.h"
#include "ui/AddFolder.h"
#include "ui/AudioSettingsDlg.h"
#include "ui/HelpForm.h"
#include "ui/LinkLabel.h"
#include "ui/SettingsDlg.h"
#include "ui/VersionInfoDlg.h"

namespace sonavel::test {
namespace {

using enum TCommand;

class SettingsWindows : public TMainFormTest {
  protected:
    void Store(const char* name, const QVariant& value) {
        QSettings settings("Korvane", "Sonavel_Pro");
        settings.setValue(name, value);
        settings.sync();
    }
    TSettingsForm& Dialog() { return Form->SettingsForm(); }
    // A folder of the test's own, without the trailing '/'.
    QString Folder(const char* name) {
        const QString path = QString::fromStdString(Temp.File(name));
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
    // Answers the settings dialog with a function of it, and the folder dialog with a folder.
    void Answer(const std::function<int(TSettingsForm&)>& settings,
                const QString& folder = QString()) {
        Prompts->OnDialog = [this, settings, folder](QDialog& dialog) {
            if (auto* folders = qobject_cast<TAddFolderDialog*>(&dialog)) {
                EXPECT_TRUE(folders->FolderName.isEmpty());
                EXPECT_TRUE(folders->SelectPath(folder)) << folder.toStdString();
                folders->OkButton->click();
                return dialog.result();
            }
            if (auto* form = qobject_cast<TSettingsForm*>(&dialog)) {
                return settings(*form);
            }
            dialog.accept();
            return dialog.result();
        };
    }
    // Whether the document's channel files lie inside the folder (in the program's own
    // subfolder there).
    static bool FilesIn(const TDocument& document, const std::string& folder) {
        const std::string& file = document.Stream->ChannelFileNames.at(0);
        return file.starts_with(folder.ends_with('/') ? folder : folder + "/");
    }
};

int Ok(QDialog& dialog) {
    qobject_cast<TSettingsForm*>(&dialog)->BitBtn1->click();
    return dialog.result();
}

TEST_F(SettingsWindows, FirstStartShowsTheDefaultsAndOkKeepsThem) {
    Form->SetLanguage("RUS");
    int shown = -1;
    Answer([&](TSettingsForm& d) {
        shown = d.nUndosEdit->value();
        EXPECT_EQ(d.FolderNameEdit->text().toStdString(), Temp.Path());
        EXPECT_TRUE(d.FolderNameEdit->isReadOnly());
        EXPECT_EQ(d.LangBox->currentIndex(), 0);
        return Ok(d);
    });
    Form->SettingsMIClick();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(Form->Workspace().MaxUndos, 2);
    EXPECT_EQ(TempPath(), Temp.Path());
    EXPECT_EQ(Form->Language(), "RUS");
}

TEST_F(SettingsWindows, StoredUndoCountAboveTheRangeIsShownAndStoredAsEight) {
    Store("MaxUndos", 20);
    MakeForm();
    EXPECT_EQ(Form->Workspace().MaxUndos, 20);
    Answer([](TSettingsForm& d) {
        EXPECT_EQ(d.nUndosEdit->value(), 8);
        d.nUndosEdit->stepUp();  // stays within the range
        EXPECT_EQ(d.nUndosEdit->value(), 8);
        return Ok(d);
    });
    Form->SettingsMIClick();
    EXPECT_EQ(Form->Workspace().MaxUndos, 8);
}

TEST_F(SettingsWindows, StoredFolderWithoutTrailingSlashTakesTheNewChannelFiles) {
    const QString folder = Folder("stored");
    Store("TempFolder", folder);
    MakeForm();
    Form->SetLanguage("ENG");
    TDocument& d = NewProject();
    EXPECT_TRUE(FilesIn(d, folder.toStdString()));
    Answer([&](TSettingsForm& dialog) {
        EXPECT_EQ(dialog.FolderNameEdit->text(), folder + '/');
        return Ok(dialog);
    });
    Form->SettingsMIClick();
    EXPECT_EQ(TempPath(), folder.toStdString() + "/");
}

TEST_F(SettingsWindows, CancelKeepsFolderAndCountButSwitchesTheLanguage) {
    Form->SetLanguage("RUS");
    const QString other = Folder("other");
    Answer(
        [](TSettingsForm& d) {
            d.SelectFolderBtn->click();
            d.nUndosEdit->setValue(6);
            d.LangBox->setCurrentIndex(1);
            d.BitBtn2->click();
            return d.result();
        },
        other);
    Form->SettingsMIClick();
    EXPECT_EQ(Form->Language(), "ENG");
    EXPECT_EQ(Form->Action(Settings)->text(), QStringLiteral("General settings"));
    EXPECT_EQ(Dialog().BitBtn2->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(Form->Workspace().MaxUndos, 2);
    EXPECT_EQ(TempPath(), Temp.Path());
}

TEST_F(SettingsWindows, ChosenFolderGetsTheSlashAndTakesChannelFilesFromThenOn) {
    Form->SetLanguage("ENG");
    TDocument& before = NewProject();
    const QString chosen = Folder("chosen");
    QString shown;
    Answer(
        [&](TSettingsForm& d) {
            d.SelectFolderBtn->click();
            shown = d.FolderNameEdit->text();
            d.nUndosEdit->setValue(0);
            return Ok(d);
        },
        chosen);
    Form->SettingsMIClick();
    EXPECT_EQ(shown, chosen + '/');
    EXPECT_EQ(Form->AddFolderDialog().windowTitle(), QStringLiteral("Select folder"));
    EXPECT_EQ(Form->AddFolderDialog().OkButton->text(), QStringLiteral("Select"));
    EXPECT_EQ(Form->Workspace().MaxUndos, 0);
    EXPECT_EQ(TempPath(), chosen.toStdString() + "/");
    TDocument& after = NewProject();
    EXPECT_TRUE(FilesIn(after, chosen.toStdString()));
    EXPECT_FALSE(FilesIn(before, chosen.toStdString()));  // made before: stays where it was
    EXPECT_TRUE(FilesIn(before, Temp.Path()));
    EXPECT_TRUE(Prompts->Informed.empty());

    // The root already ends in '/'; Russian texts come with the Russian dialog.
    Form->SetLanguage("RUS");
    Answer(
        [&](TSettingsForm& d) {
            d.SelectFolderBtn->click();
            shown = d.FolderNameEdit->text();
            return d.result();
        },
        "/");
    Form->SettingsMIClick();
    EXPECT_EQ(shown, QStringLiteral("/"));
    EXPECT_EQ(Form->AddFolderDialog().CancelButton->text(), QStringLiteral("Отмена"));
}

TEST_F(SettingsWindows, MissingOrUnwritableFolderIsRefusedWithAMessage) {
    Form->SetLanguage("ENG");
    const QString file = QString::fromStdString(WriteWav("plain.wav", {{0}}));
    // /proc takes no files, not even from the superuser.
    for (const QString& folder : {Temp.File("missing").c_str() + QString('/'), file + '/',
                                  QStringLiteral("relative/"), QStringLiteral("/proc/")}) {
        Prompts->Informed.clear();
        int result = -1;
        Answer([&](TSettingsForm& d) {
            d.FolderNameEdit->setText(folder);
            d.BitBtn1->click();
            result = d.result();
            EXPECT_FALSE(d.isVisible());
            return QDialog::Rejected;
        });
        Form->SettingsMIClick();
        EXPECT_NE(result, QDialog::Accepted) << folder.toStdString();
        ASSERT_EQ(Prompts->Informed.size(), 1U) << folder.toStdString();
        EXPECT_TRUE(Prompts->Informed[0].Text.endsWith(folder));
        EXPECT_EQ(TempPath(), Temp.Path());
    }
    // The same refusal when the folder dialog picks it.
    Prompts->Informed.clear();
    Answer(
        [](TSettingsForm& d) {
            d.SelectFolderBtn->click();
            EXPECT_EQ(d.FolderNameEdit->text(), QString::fromStdString(TempPath()));
            return QDialog::Rejected;
        },
        "/proc");
    Form->SettingsMIClick();
    ASSERT_EQ(Prompts->Informed.size(), 1U);
    EXPECT_TRUE(Prompts->Informed[0].Text.startsWith(QStringLiteral("Files cannot be written")));
}

TEST_F(SettingsWindows, FolderTreeHoldsFoldersOnlyFromHomeAndRoot) {
    const TAddFolderDialog& folders = Form->AddFolderDialog();
    ASSERT_EQ(folders.ShellTreeView->topLevelItemCount(), 2);
    EXPECT_EQ(folders.ShellTreeView->topLevelItem(0)->text(0), QDir::homePath());
    EXPECT_EQ(folders.ShellTreeView->topLevelItem(1)->text(0), QStringLiteral("/"));
    const QString parent = Folder("tree");
    ASSERT_TRUE(QDir().mkpath(parent + "/inner"));
    QFile(parent + "/file.txt").open(QIODevice::WriteOnly);
    ASSERT_TRUE(Form->AddFolderDialog().SelectPath(parent));
    const QTreeWidgetItem* item = folders.ShellTreeView->currentItem();
    ASSERT_EQ(item->childCount(), 1);
    EXPECT_EQ(item->child(0)->text(0), QStringLiteral("inner"));
    EXPECT_FALSE(Form->AddFolderDialog().SelectPath(parent + "/file.txt"));
}

// --- Audio devices -------------------------------------------------------------------------

TEST_F(SettingsWindows, DeviceListsByNumberAndOkStoresBoth) {
    TMemoryDeviceOptions devices;
    devices.OutputNames = {"Speakers", "Headphones"};
    devices.InputNames = {"Microphone", "Line in", "Webcam"};
    MakeForm(devices);
    RecordDevice.store(2);
    Prompts->OnDialog = [](QDialog& dialog) {
        auto& d = *qobject_cast<TAudioSettingsForm*>(&dialog);
        EXPECT_EQ(d.PlayDevBox->count(), 2);
        EXPECT_EQ(d.PlayDevBox->currentText(), QStringLiteral("Speakers"));
        EXPECT_EQ(d.RecordDevBox->currentText(), QStringLiteral("Webcam"));
        d.PlayDevBox->setCurrentIndex(1);
        d.RecordDevBox->setCurrentIndex(0);
        d.BitBtn1->click();
        return d.result();
    };
    Form->AudioSettingsMIClick();
    EXPECT_EQ(PlayDevice.load(), 1);
    EXPECT_EQ(RecordDevice.load(), 0);

    // Cancel stores nothing.
    Prompts->OnDialog = [](QDialog& dialog) {
        auto& d = *qobject_cast<TAudioSettingsForm*>(&dialog);
        d.PlayDevBox->setCurrentIndex(0);
        d.BitBtn2->click();
        return d.result();
    };
    Form->AudioSettingsMIClick();
    EXPECT_EQ(PlayDevice.load(), 1);
}

TEST_F(SettingsWindows, WithoutDevicesTheListsSaySoInEitherLanguageAndOkStoresMinusOne) {
    TMemoryDeviceOptions none;
    none.OutputNames.clear();
    none.InputNames.clear();
    MakeForm(none);
    for (const auto& [language, text] : {std::pair{"RUS", "Отсутствует"}, {"ENG", "None"}}) {
        Form->SetLanguage(language);
        PlayDevice.store(0);  // a number left from a machine that had a device
        Form->AudioSettingsMIClick();
        const TAudioSettingsForm& d = Form->AudioSettingsForm();
        EXPECT_EQ(d.PlayDevBox->count(), 0);
        EXPECT_EQ(d.PlayDevBox->currentIndex(), -1);
        EXPECT_EQ(d.PlayDevBox->placeholderText(), QString::fromUtf8(text));
        EXPECT_EQ(d.RecordDevBox->placeholderText(), QString::fromUtf8(text));
        EXPECT_EQ(PlayDevice.load(), -1);
        EXPECT_EQ(RecordDevice.load(), -1);
    }
}

TEST_F(SettingsWindows, MixerButtonsStartTheDesktopsSoundSettingsOrSayThereIsNone) {
    const QByteArray path = qgetenv("PATH");
    const QString bin = Folder("bin");
    qputenv("PATH", bin.toLocal8Bit());
    Form->SetLanguage("ENG");
    TAudioSettingsForm& d = Form->AudioSettingsForm();
    d.SpeedButton1->click();
    ASSERT_EQ(Prompts->Informed.size(), 1U);
    EXPECT_TRUE(Prompts->Informed[0].Text.startsWith(QStringLiteral("No sound settings program")));
    EXPECT_TRUE(Prompts->StartedPrograms.empty());

    QFile mixer(bin + "/pavucontrol");
    ASSERT_TRUE(mixer.open(QIODevice::WriteOnly));
    mixer.close();
    mixer.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    d.SpeedButton1->click();
    d.SpeedButton2->click();
    qputenv("PATH", path);
    ASSERT_EQ(Prompts->StartedPrograms.size(), 2U);
    EXPECT_EQ(Prompts->StartedPrograms[0], (QStringList{bin + "/pavucontrol", "--tab=3"}));
    EXPECT_EQ(Prompts->StartedPrograms[1], (QStringList{bin + "/pavucontrol", "--tab=4"}));
    EXPECT_EQ(Prompts->Informed.size(), 1U);
}

// --- Help, About and the version window -----------------------------------------------------

TEST_F(SettingsWindows, HelpIsWrittenInTheLanguageAndRewrittenWhenItOrTheVersionDiffers) {
    const QString folder = QString::fromStdString(Temp.File("help"));
    const auto page = [&] {
        QFile file(folder + "/index.html");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    Form->SetLanguage("RUS");
    Form->HelpMIClick();
    ASSERT_EQ(Prompts->OpenedUrls.size(), 1U);
    EXPECT_EQ(Prompts->OpenedUrls[0], QUrl::fromLocalFile(folder + "/index.html"));
    EXPECT_TRUE(page().contains(QStringLiteral("lang=\"ru\"")));
    EXPECT_TRUE(page().contains(QStringLiteral("Общие настройки")));

    // The same language and version: the files stay as they are.
    QFile::remove(folder + "/main.png");
    Form->HelpMIClick();
    EXPECT_FALSE(QFile::exists(folder + "/main.png"));

    Form->SetLanguage("ENG");
    Form->HelpMIClick();
    EXPECT_TRUE(page().contains(QStringLiteral("lang=\"en\"")));
    EXPECT_TRUE(page().contains(QStringLiteral("General settings")));
    EXPECT_TRUE(QFile::exists(folder + "/main.png"));
    EXPECT_EQ(Prompts->OpenedUrls.size(), 3U);

    // Pages of an older version are replaced.
    QFile stamp(folder + "/sonavel-help.stamp");
    ASSERT_TRUE(stamp.open(QIODevice::WriteOnly));
    stamp.write("ENG 0.9");
    stamp.close();
    QFile::remove(folder + "/main.png");
    Form->HelpMIClick();
    EXPECT_TRUE(QFile::exists(folder + "/main.png"));

    // Another word writes nothing and says nothing.
    Form->SetLanguage("DEU");
    Form->HelpMIClick();
    EXPECT_EQ(Prompts->OpenedUrls.size(), 4U);
    EXPECT_TRUE(Prompts->Informed.empty());
}

TEST_F(SettingsWindows, WithoutABrowserTheHelpWindowShowsThePages) {
    Prompts->BrowserWorks = false;
    Form->SetLanguage("ENG");
    Form->HelpMIClick();
    const THelpForm& help = Form->HelpForm();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Sonavel Pro help"));
    EXPECT_EQ(help.HelpBrowser->source().toLocalFile(),
              QString::fromStdString(Temp.File("help")) + "/index.html");
    EXPECT_TRUE(help.HelpBrowser->toPlainText().contains(QStringLiteral("General settings")));
}

TEST_F(SettingsWindows, UnwritableHelpFolderIsReported) {
    Form->SetHelpFolder("/proc/sonavel-help");
    Form->SetLanguage("ENG");
    Form->HelpMIClick();
    EXPECT_TRUE(Prompts->OpenedUrls.empty());
    ASSERT_EQ(Prompts->Informed.size(), 1U);
    EXPECT_TRUE(Prompts->Informed[0].Text.endsWith(QStringLiteral("/proc/sonavel-help")));
}

TEST_F(SettingsWindows, AboutAndVersionWindowsShowTheVersionAndOpenOurAddresses) {
    Form->SetLanguage("ENG");
    Form->AboutMIClick();
    Form->NewVersionMIClick();
    EXPECT_EQ(Prompts->DialogsRun, (std::vector<QString>{"AboutForm", "VersionInfoForm"}));
    TAboutForm& about = Form->AboutForm();
    EXPECT_EQ(about.Label1->text(), QStringLiteral("Sonavel Pro 1.4"));
    about.Label2Click();
    about.Label3Click();
    TVersionInfoForm& version = Form->VersionInfoForm();
    version.UrlLabelClick();
    ASSERT_EQ(Prompts->OpenedUrls.size(), 3U);
    EXPECT_EQ(Prompts->OpenedUrls[0].toString(), QStringLiteral("http://www.sonavel.example"));
    EXPECT_EQ(Prompts->OpenedUrls[1].toString(),
              QStringLiteral("mailto:support@sonavel.example?subject=Sonavel_Pro_1.4"));
    EXPECT_EQ(Prompts->OpenedUrls[2].host(), QStringLiteral("www.sonavel.example"));
    const QString info = version.InfoLabel->text();
    for (const QString& part :
         {QStringLiteral("1.4"), QString::fromLatin1(qVersion()), QStringLiteral("PortAudio 19"),
          QStringLiteral("libmpg123 1."), QStringLiteral("LAME 3.")}) {
        EXPECT_TRUE(info.contains(part)) << part.toStdString() << " in " << info.toStdString();
    }
    Form->SetLanguage("RUS");
    EXPECT_EQ(about.Label1->text(), QStringLiteral("Sonavel Про 1.4"));
    EXPECT_EQ(version.windowTitle(), QStringLiteral("Информация о новой версии"));
}

// --- The never-disabled commands ------------------------------------------------------------

TEST_F(SettingsWindows, SettingsHelpAndAboutWorkInEveryState) {
    const auto expectEnabled = [this](const char* state) {
        for (TCommand command :
             {NewFile, OpenFile, Settings, AudioSettings, Help, NewVersion, About}) {
            EXPECT_TRUE(Enabled(command)) << MenuItemName(command) << " " << state;
        }
        for (const char* button :
             {"SpeedButton1", "SpeedButton2", "SpeedButton19", "SpeedButton20", "SpeedButton21"}) {
            EXPECT_TRUE(ButtonEnabled(button)) << button << " " << state;
        }
    };
    TMemoryDeviceOptions devices;
    devices.BufferPace = std::chrono::milliseconds(5);
    MakeForm(devices);
    Form->SetLanguage("ENG");
    expectEnabled("without a document");
    NewProject();
    expectEnabled("empty document");
    TDocument& d = OpenSine("a.wav", 1000);
    Form->InvertMIClick();
    Form->CopyToMIClick();
    expectEnabled("document with audio, undo and clipboard");

    Form->Child(d)->findChild<QAbstractButton*>("RecordBtn")->click();
    Form->ConrolTimerTimer();
    ASSERT_TRUE(WaitFor([&] { return d.Stream->RecordState.load() == TTransportState::Started; }));
    EXPECT_FALSE(Enabled(Save));
    expectEnabled("recording");
    Form->Child(d)->findChild<QAbstractButton*>("StopBtn")->click();
    EXPECT_TRUE(WaitFor([&] { return Enabled(Save); }));

    // The menu item and the tool button reach the command.
    Prompts->DialogsRun.clear();
    Form->Action(About)->trigger();
    Form->findChild<QToolButton*>("SpeedButton19")->click();
    Form->findChild<QToolButton*>("SpeedButton20")->click();
    EXPECT_EQ(Prompts->DialogsRun,
              (std::vector<QString>{"AboutForm", "SettingsForm", "AudioSettingsForm"}));
}

// --- Qt's own texts -------------------------------------------------------------------------

TEST_F(SettingsWindows, QtsOwnButtonsFollowTheInterfaceLanguage) {
    const auto yesNoCancel = [] {
        QMessageBox box(QMessageBox::Question, "t", "q",
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return QStringList{box.button(QMessageBox::Yes)->text(),
                           box.button(QMessageBox::No)->text(),
                           box.button(QMessageBox::Cancel)->text()};
    };
    const auto fileDialogCancel = [] {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
    };
    Form->SetLanguage("RUS");
    EXPECT_EQ(yesNoCancel(), (QStringList{"&Да", "&Нет", "Отмена"}));
    EXPECT_EQ(fileDialogCancel(), QStringLiteral("Отмена"));
    Form->SetLanguage("DEU");
    EXPECT_EQ(yesNoCancel(), (QStringList{"&Да", "&Нет", "Отмена"}));
    Form->SetLanguage("ENG");
    EXPECT_EQ(yesNoCancel(), (QStringList{"&Yes", "&No", "Cancel"}));
    EXPECT_EQ(fileDialogCancel(), QStringLiteral("Cancel"));
}

}  // namespace
}  // namespace sonavel::test
