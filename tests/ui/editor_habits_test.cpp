#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>
#include <fstream>
#include <iterator>

#include "MainFormHarness.h"
#include "ui/ChildForm.h"
#include "ui/PaintBox.h"

namespace sonavel::test {
namespace {

void SendMouse(QWidget* widget, QEvent::Type type, int x, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF local(x, widget->height() / 2.0);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, held, modifiers);
    QApplication::sendEvent(widget, &event);
}

void SendWheel(QWidget* widget, int x, int notches, Qt::KeyboardModifiers modifiers) {
    const QPointF local(x, widget->height() / 2.0);
    QWheelEvent event(local, widget->mapToGlobal(local), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

std::pair<std::uint32_t, std::uint32_t> Selection(const TDocument& d) {
    return d.SelEndSet ? std::pair{d.SelStart, d.SelEnd} : std::pair{0U, 0U};
}

// --- The document window's mouse

using Habits = TFormTest;

TEST_F(Habits, DragShiftClickWheelAndScrollBar) {
    TChildForm& form = Open({std::vector<std::int32_t>(100000, 0)});
    TDocument& d = form.Document();
    form.show();
    d.ViewStart = 40000;
    d.ViewLength = 5200;  // 10 samples a pixel on the 520-pixel box
    d.GraphStart = 30000;
    d.GraphLength = 30000;
    auto* wave = form.findChild<TPaintBox*>("WaveBox");
    ASSERT_EQ(wave->width(), 520);

    SendMouse(wave, QEvent::MouseButtonPress, 100, Qt::LeftButton);
    SendMouse(wave, QEvent::MouseMove, 300, Qt::LeftButton);
    SendMouse(wave, QEvent::MouseButtonRelease, 300, Qt::LeftButton);
    EXPECT_EQ(Selection(d), (std::pair{41000U, 43000U}));
    EXPECT_EQ(d.CursorPos, 41000U);
    EXPECT_TRUE(wave->hasFocus() || !form.isActiveWindow());

    // Backwards and past the left side: the view scrolls with the selection.
    SendMouse(wave, QEvent::MouseButtonPress, 200, Qt::LeftButton);
    SendMouse(wave, QEvent::MouseMove, -30, Qt::LeftButton);
    SendMouse(wave, QEvent::MouseButtonRelease, -30, Qt::LeftButton);
    EXPECT_EQ(d.ViewStart, 39700U);
    EXPECT_EQ(Selection(d), (std::pair{39700U, 42000U}));

    // Shift+click extends from the far end; a plain click keeps the selection.
    SendMouse(wave, QEvent::MouseButtonPress, 500, Qt::LeftButton, Qt::ShiftModifier);
    SendMouse(wave, QEvent::MouseButtonRelease, 500, Qt::LeftButton);
    EXPECT_EQ(Selection(d), (std::pair{39700U, 44700U}));
    SendMouse(wave, QEvent::MouseButtonPress, 10, Qt::LeftButton);
    SendMouse(wave, QEvent::MouseButtonRelease, 10, Qt::LeftButton);
    EXPECT_EQ(Selection(d), (std::pair{39700U, 44700U}));
    EXPECT_EQ(d.CursorPos, 39800U);

    // The wheel scrolls, Ctrl+wheel zooms around the mouse; the scroll bar shows the view.
    SendWheel(wave, 0, -1, Qt::NoModifier);
    EXPECT_EQ(d.ViewStart, 40220U);
    auto* bar = form.findChild<QScrollBar*>("ViewScrollBar");
    ASSERT_NE(bar, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), 40220);
    EXPECT_EQ(bar->maximum(), 100000 - 5200);
    SendWheel(wave, 130, 1, Qt::ControlModifier);
    EXPECT_EQ(d.ViewLength, 2600U);
    EXPECT_EQ(d.ViewStart, 40870U);  // 41520 stays a quarter in
    // Moving the bar past the cache rebuilds it there.
    bar->setValue(bar->maximum());
    EXPECT_EQ(d.ViewStart, 100000U - 2600U);
    EXPECT_EQ(d.GraphStart, 70000U);
    EXPECT_FALSE(d.GraphBuilding.load());
}

// The interval box keeps digits and arrows; the editor's shortcuts get everything else, and
// Enter hands the focus back to the waveform.
TEST_F(Habits, IntervalBoxLeavesTheShortcutsToTheEditor) {
    TChildForm& form = Open({std::vector<std::int32_t>(1000, 0)});
    form.show();
    auto* interval = form.findChild<QSpinBox*>("IntervalEdit");
    QLineEdit* edit = interval->findChild<QLineEdit*>();
    const auto overridden = [&](int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::ShortcutOverride, key, modifiers);
        event.ignore();
        QApplication::sendEvent(edit, &event);
        return event.isAccepted();
    };
    EXPECT_TRUE(overridden(Qt::Key_5, Qt::NoModifier));
    for (const auto& [key, modifiers] :
         std::vector<std::pair<int, Qt::KeyboardModifiers>>{{Qt::Key_Z, Qt::ControlModifier},
                                                            {Qt::Key_X, Qt::ControlModifier},
                                                            {Qt::Key_A, Qt::ControlModifier},
                                                            {Qt::Key_Delete, Qt::NoModifier},
                                                            {Qt::Key_Space, Qt::NoModifier},
                                                            {Qt::Key_Home, Qt::NoModifier}}) {
        EXPECT_FALSE(overridden(key, modifiers)) << key;
    }
    // Five digits fit.
    EXPECT_GE(interval->width(),
              interval->fontMetrics().horizontalAdvance(QStringLiteral("99999")) + 20);
    EXPECT_GE(form.findChild<QToolButton*>("RightBtn")->x(), interval->geometry().right());
}

// --- The main window

using Editor = TMainFormTest;

// Redo brings back exactly what undo took, as many steps as were undone, from the menu, the
// tool button and both keys; a new operation clears it. The "*" follows the content.
TEST_F(Editor, RedoAndTheModifiedMark) {
    Form->SetLanguage("ENG");
    TDocument& d = OpenSine("a.wav", 3000);
    EXPECT_EQ(Form->PageControl().tabText(0), QStringLiteral("a.wav"));
    const std::vector<std::int32_t> opened = Samples(d, 0);
    Form->InvertMIClick();
    const std::vector<std::int32_t> inverted = Samples(d, 0);
    Form->ReverseMIClick();
    const std::vector<std::int32_t> reversed = Samples(d, 0);
    EXPECT_EQ(Form->PageControl().tabText(0), QStringLiteral("a.wav*"));
    EXPECT_TRUE(Form->windowTitle().startsWith(QStringLiteral("a.wav* - ")));
    EXPECT_FALSE(Enabled(TCommand::Redo));
    EXPECT_EQ(Form->Action(TCommand::Redo)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")),
                                   QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));

    Form->UndoMIClick();
    Form->UndoMIClick();
    EXPECT_EQ(Samples(d, 0), opened);
    EXPECT_TRUE(Enabled(TCommand::Redo));
    EXPECT_TRUE(ButtonEnabled("SpeedButton23"));
    EXPECT_EQ(Form->PageControl().tabText(0), QStringLiteral("a.wav"));  // back at the file
    Form->Action(TCommand::Redo)->trigger();
    EXPECT_EQ(Samples(d, 0), inverted);
    Form->findChild<QToolButton*>("SpeedButton23")->click();
    EXPECT_EQ(Samples(d, 0), reversed);
    EXPECT_FALSE(Enabled(TCommand::Redo));

    // Saved, then undone past the save: closing would now ask.
    Prompts->SaveChoices = {TSaveChoice{QString::fromStdString(Temp.File("b.wav")), 1}};
    ASSERT_TRUE(Form->SaveAsMIClick());
    EXPECT_EQ(Form->PageControl().tabText(0), QStringLiteral("b.wav"));
    Form->UndoMIClick();
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(Form->PageControl().tabText(0), QStringLiteral("b.wav*"));
    Form->EraseMIClick();
    EXPECT_FALSE(Enabled(TCommand::Redo));
    EXPECT_TRUE(Prompts->Informed.empty());

    // The status bar tells the selection in time and samples.
    d.Select(441, 881);
    Form->ConrolTimerTimer();
    EXPECT_EQ(
        Form->statusBar()->findChild<QLabel*>("StatusLine")->text(),
        QStringLiteral(
            "Selection: start 0:00:00.010 (441), end 0:00:00.020 (881), length 0:00:00.010 (441)"));
}

// With the interval box focused the editor's keys act on the document and digits on the box;
// Enter gives the focus back to the waveform; Ctrl+Q goes through the close questions.
TEST_F(Editor, KeysReachTheDocumentFromTheIntervalBox) {
    Form->SetLanguage("ENG");
    TDocument& d = OpenSine("a.wav", 2000);
    Form->InvertMIClick();
    const std::vector<std::int32_t> inverted = Samples(d, 0);
    Form->show();
    auto* interval = Form->ActiveChild()->findChild<QSpinBox*>("IntervalEdit");
    QLineEdit* edit = interval->findChild<QLineEdit*>();
    auto* wave = Form->ActiveChild()->findChild<TPaintBox*>("WaveBox");
    // Keys typed into the focused interval box (a command's progress window may have taken
    // the activation for a moment).
    const auto type = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        interval->setFocus();
        QTest::keyClick(edit, key, modifiers);
    };
    type(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(Samples(d, 0), inverted);
    // Back on the document once the progress window has gone.
    Form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    EXPECT_TRUE(wave->hasFocus());
    type(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Samples(d, 0), inverted);
    type(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Selection(d), (std::pair{0U, 1999U}));
    interval->setFocus();
    edit->end(false);
    type(Qt::Key_7);
    EXPECT_EQ(edit->text(), QStringLiteral("107"));
    type(Qt::Key_Return);
    EXPECT_TRUE(wave->hasFocus());
    EXPECT_EQ(interval->value(), 107);

    Prompts->Answers = {TAnswer::Cancel};
    type(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(Prompts->Asked.size(), 1U);
    EXPECT_EQ(Form->Workspace().Count(), 1U);
}

// Cancel (its button or Escape) during an effect, an open and a save: the document, the
// temporary folder and the existing file are as before, and nothing is reported.
TEST_F(Editor, CancelLeavesEverythingAsItWas) {
    Form->SetLanguage("RUS");
    TDocument& d = OpenSine("a.wav", 441000);  // ten seconds: the MP3 save takes a while
    Form->InvertMIClick();
    const std::vector<std::int32_t> before = Samples(d, 0);
    const std::vector<std::string> files = ChannelFiles();

    // The worker waits for the playback to stop before it takes the restore point: the
    // cancel comes in that time.
    d.Stream->PlayState.store(TTransportState::Started);
    bool shown = false;
    QTimer::singleShot(0, Form.get(), [&] {
        TProcessForm& progress = Form->ProcessForm();
        shown = progress.CancelVisible();
        EXPECT_EQ(progress.findChild<QPushButton*>("CancelBtn")->text(), QStringLiteral("Отмена"));
        QTest::keyClick(&progress, Qt::Key_Escape);
        d.Stream->PlayState.store(TTransportState::Stopped);
    });
    Form->ReverseMIClick();
    EXPECT_TRUE(shown);
    EXPECT_EQ(Samples(d, 0), before);
    EXPECT_EQ(d.RestoreCount(), 1);
    EXPECT_EQ(ChannelFiles(), files);
    EXPECT_TRUE(Prompts->Informed.empty());

    // Open and save: the cancel button is pressed as soon as the progress window runs.
    QTimer presser;
    presser.setInterval(0);
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (!Form->ProcessForm().Finished()) {
            Form->ProcessForm().findChild<QPushButton*>("CancelBtn")->click();
        }
    });
    presser.start();
    const std::vector<std::int32_t> minute = Sine(44100 * 60, 300);
    const std::string big = WriteWav("big.wav", {minute, minute});
    const std::vector<std::string> withBig = ChannelFiles();
    EXPECT_FALSE(Form->OpenDocument(QString::fromStdString(big)));
    EXPECT_EQ(Form->Workspace().Count(), 1U);
    EXPECT_EQ(Form->PageControl().count(), 1);
    EXPECT_EQ(ChannelFiles(), withBig);

    const std::string old = Temp.File("old.mp3");
    { std::ofstream(old) << "the old file"; }
    const std::vector<std::string> withOld = ChannelFiles();
    d.FileName = old;
    d.FileFormat = "MP3";
    EXPECT_FALSE(Form->SaveMIClick());
    presser.stop();
    std::ifstream in(old);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the old file");
    EXPECT_EQ(ChannelFiles(), withOld);
    EXPECT_TRUE(d.Modified);
    EXPECT_TRUE(Prompts->Informed.empty());
}

}  // namespace
}  // namespace sonavel::test
