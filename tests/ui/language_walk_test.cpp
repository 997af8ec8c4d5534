// Every text of every window in one language: the windows are found by walking the main
// window's children, so a window made with the main window as its parent is checked without
// being named here.

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTabWidget>
#include <set>

#include "MainFormHarness.h"
#include "ui/SettingsTexts.h"

namespace sonavel::test {
namespace {

// Texts that read the same in both languages.
const std::set<QString> SameInBothLanguages{
    "OK",
    "ОК",  // the noise window's OK, in Cyrillic letters
    "Language",
    "Russian",
    "English",
    "English ",
    "Stereo ",
    "Joint Stereo",
    "Dual Channel",
    "Mono",
    "Сreate new project",  // the English hint that begins with a Cyrillic С
    QString::fromUtf8(WebSite),
    QString::fromUtf8(SupportMail),
    QString::fromUtf8(ReleasesUrl),
};

// Controls that show the user's data (file, folder and device names, pages), not texts of
// the program.
const std::set<QString> DataControls{"PlayDevBox",    "RecordDevBox", "FolderNameEdit",
                                     "ShellTreeView", "PageControl",  "HelpBrowser"};

struct TText {
    QString Where;
    QString Text;
};

QString PathOf(const QObject* object) {
    QString path;
    for (; object != nullptr; object = object->parent()) {
        const QString name = object->objectName();
        path.prepend(
            '/' + (name.isEmpty() ? QString::fromLatin1(object->metaObject()->className()) : name));
    }
    return path;
}

bool InData(const QObject* object) {
    for (; object != nullptr; object = object->parent()) {
        // The File menu's recent files show paths, not texts.
        if (DataControls.contains(object->objectName()) ||
            object->objectName().startsWith("RecentFile")) {
            return true;
        }
    }
    return false;
}

// Every text a person can read in the windows of the main window, with where it is.
std::vector<TText> Texts(QWidget& main) {
    std::vector<TText> texts;
    const auto add = [&texts](const QObject* where, const QString& what, const QString& text) {
        if (!text.isEmpty()) {
            texts.push_back({PathOf(where) + ' ' + what, text});
        }
    };
    QList<QWidget*> widgets = main.findChildren<QWidget*>();
    widgets.prepend(&main);
    for (const QWidget* w : widgets) {
        if (InData(w)) {
            continue;
        }
        if (w->isWindow()) {
            add(w, "caption", w->windowTitle());
        }
        add(w, "hint", w->toolTip());
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            add(w, "text", label->text());
        }
        if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            add(w, "text", button->text());
        }
        if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
            add(w, "title", group->title());
        }
        if (const auto* menu = qobject_cast<const QMenu*>(w)) {
            add(w, "title", menu->title());
        }
        if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
            add(w, "placeholder", edit->placeholderText());
        }
        if (const auto* spin = qobject_cast<const QSpinBox*>(w)) {
            add(w, "prefix", spin->prefix());
            add(w, "suffix", spin->suffix());
        }
        if (const auto* box = qobject_cast<const QComboBox*>(w)) {
            add(w, "placeholder", box->placeholderText());
            for (int i = 0; i < box->count(); ++i) {
                add(w, "item " + QString::number(i), box->itemText(i));
            }
        }
        if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                add(w, "tab " + QString::number(i), tabs->tabText(i));
            }
        }
    }
    for (const QAction* action : main.findChildren<QAction*>()) {
        if (!InData(action)) {
            add(action, "text", action->text());
        }
    }
    return texts;
}

bool HasCyrillic(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

bool HasLatin(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.script() == QChar::Script_Latin; });
}

// A text of the other language: Cyrillic in English, Latin without any Cyrillic in Russian.
bool OtherLanguage(const std::string& language, const QString& text) {
    if (SameInBothLanguages.contains(text)) {
        return false;
    }
    return language == "ENG" ? HasCyrillic(text) : HasLatin(text) && !HasCyrillic(text);
}

class LanguageWalk : public TMainFormTest {
  protected:
    // The windows speak a language as a person finds them: switched from the Russian forms,
    // with a document opened afterwards.
    void Apply(const std::string& language) {
        OpenSine("1.wav");
        Form->SetLanguage(language);
        OpenSine("2.wav");
    }
};

TEST_F(LanguageWalk, NoTextOfTheOtherLanguageIsLeftInAnyWindow) {
    for (const std::string language : {"ENG", "RUS", "ENG"}) {
        MakeForm();
        Apply(language);
        const std::vector<TText> texts = Texts(*Form);
        ASSERT_GT(texts.size(), 200U);  // the walk reached the windows
        int windows = 0;
        for (const QWidget* w : Form->findChildren<QWidget*>()) {
            windows += w->isWindow() ? 1 : 0;
        }
        EXPECT_GE(windows, 9);
        for (const TText& t : texts) {
            EXPECT_FALSE(OtherLanguage(language, t.Text))
                << language << ": " << t.Where.toStdString() << " \"" << t.Text.toStdString()
                << '"';
        }
    }
}

TEST_F(LanguageWalk, SwitchingBackAndForthChangesEveryTextAndAnotherWordNone) {
    Apply("ENG");
    const std::vector<TText> english = Texts(*Form);
    Form->SetLanguage("RUS");
    const std::vector<TText> russian = Texts(*Form);
    Form->SetLanguage("DEU");
    const std::vector<TText> unknown = Texts(*Form);
    Form->SetLanguage("ENG");
    const std::vector<TText> again = Texts(*Form);
    const auto join = [](const std::vector<TText>& texts) {
        QStringList all;
        for (const TText& t : texts) {
            all << t.Where + '=' + t.Text;
        }
        return all.join('\n').toStdString();
    };
    EXPECT_NE(join(english), join(russian));
    EXPECT_EQ(join(unknown), join(russian));
    EXPECT_EQ(join(again), join(english));
}

}  // namespace
}  // namespace sonavel::test
