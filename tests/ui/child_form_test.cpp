#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <thread>

#include "UiTestSupport.h"
#include "app/GraphCache.h"
#include "ui/PaintBox.h"

namespace sonavel::test {
namespace {

using Form = TFormTest;

QStringList Items(const TChildForm& form) {
    const auto* box = form.findChild<QComboBox*>("CurrentChannelBox");
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

QString LabelText(const TChildForm& form, const char* name) {
    return form.findChild<QLabel*>(name)->text();
}

QToolButton* Button(const TChildForm& form, const char* name) {
    return form.findChild<QToolButton*>(name);
}

void Click(const TChildForm& form, const char* name) {
    QTest::mouseClick(Button(form, name), Qt::LeftButton);
}

TPaintBox* Box(const TChildForm& form, const char* name) {
    return form.findChild<TPaintBox*>(name);
}

void SendMouse(QWidget* widget, QEvent::Type type, int x, Qt::MouseButton button) {
    const QPointF local(x, widget->height() / 2.0);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

std::vector<std::int32_t> Silence(std::uint32_t n) {
    return std::vector<std::int32_t>(n, 0);
}

// --- Texts

TEST_F(Form, ChannelBoxListsTheChannelsInEitherLanguage) {
    // Before the first filling the list is the form's own: all channels, in Russian.
    const TChildForm bare(
        Workspace, Workspace.AddDocument(std::make_unique<TAudioStream>(2, 16, 44100), "new"));
    EXPECT_EQ(Items(bare), QStringList{"Все"});

    struct TCase {
        std::uint16_t Channels;
        const char* Language;
        QStringList Items;
    };
    const std::vector<TCase> cases{
        {1, "RUS", {"Все"}},
        {1, "ENG", {"All"}},
        {2, "RUS", {"Все", "Левый", "Правый"}},
        {2, "ENG", {"All", "Left", "Right"}},
        {4, "RUS", {"Все", "1-й", "2-й", "3-й", "4-й"}},
        {4, "ENG", {"All", "1", "2", "3", "4"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Language) + " " + std::to_string(c.Channels));
        TChildForm& form = Open(std::vector(c.Channels, Silence(100)), c.Language);
        EXPECT_EQ(Items(form), c.Items);
        EXPECT_EQ(form.findChild<QComboBox*>("CurrentChannelBox")->currentIndex(), 0);
        EXPECT_EQ(form.Graph().ChannelCount(), c.Channels);
    }
}

TEST_F(Form, ChannelListChangesLanguageOnlyWhenFilledAgain) {
    TChildForm& form = Open({Silence(10), Silence(10)}, "RUS");
    form.findChild<QComboBox*>("CurrentChannelBox")->setCurrentIndex(2);
    EXPECT_EQ(form.Document().ChannelItem, 2);
    form.SetLanguage("ENG");
    EXPECT_EQ(Items(form), (QStringList{"Все", "Левый", "Правый"}));
    form.FillChannelBox();
    EXPECT_EQ(Items(form), (QStringList{"All", "Left", "Right"}));
    EXPECT_EQ(form.Document().ChannelItem, 0);
    EXPECT_EQ(form.findChild<QComboBox*>("CurrentChannelBox")->currentIndex(), 0);
}

TEST_F(Form, FillingTheChannelListFromAnotherThreadReachesTheWindow) {
    TChildForm& form = Open({Silence(10)}, "ENG");
    form.Document().Stream->AddChannel();
    form.findChild<QComboBox*>("CurrentChannelBox")->setCurrentIndex(0);
    std::thread worker([&form] { form.FillChannelBox(); });
    worker.join();
    // The document and the cache follow at once, the list once the window's thread runs.
    EXPECT_EQ(form.Graph().ChannelCount(), 2U);
    EXPECT_TRUE(WaitFor([&] { return Items(form).size() == 3; }));
    EXPECT_EQ(Items(form), (QStringList{"All", "Left", "Right"}));
}

TEST_F(Form, LabelsCaptionsAndHintsFollowTheLanguage) {
    TChildForm& form = OpenEmpty(1, "XYZ");
    // Laid out in Russian; an unknown word changes no text and the channel list, filled
    // for it, gets no items at all.
    EXPECT_EQ(LabelText(form, "Label1"), "Обрабатываемый канал:");
    EXPECT_EQ(Button(form, "ToBeginBtn")->text(), "Н");
    EXPECT_EQ(Items(form), QStringList{});
    EXPECT_EQ(form.Document().Channel(), -1);
    EXPECT_EQ(LabelText(form, "TimePositionLabel"), "0:00:00   0");

    const std::vector<std::pair<const char*, std::pair<const char*, const char*>>> hints{
        {"PlayBtn", {"Начать воспроизведение", "Play"}},
        {"PlayViewBtn", {"Воспроизвести до конца видимой зоны", "Play to end of a seen zone"}},
        {"StopBtn", {"Стоп", "Stop"}},
        {"RecordBtn", {"Начать запись с текущей позиции", "Begin record from current position"}},
        {"SetMarkerBtn", {"Установить границу выделения", "Set border of selection"}},
        {"DelMarkerBtn", {"Убрать границы выделения", "Remove borders of selection"}},
        {"ToBeginBtn", {"В начало", "Go to start"}},
        {"LeftBtn", {"Назад на заданный интервал", "Back on the set interval"}},
        {"RightBtn", {"Вперед на заданный интервал", "Forward on the set interval"}},
        {"ToEndBtn", {"В конец", "Go to finish"}},
        {"Z_plusBtn", {"Увеличить масштаб", "Zoom in"}},
        {"Z_minusBtn", {"Уменьшить масштаб", "Zoom out"}},
        {"Z_SelBtn", {"Масштаб по выделенному", "Scale on selection"}},
        {"Z_allBtn", {"Уместить в окно", "Fit to window"}},
        {"Z_1_1Btn", {"Максимальный масштаб", "Maximal scale"}},
    };
    for (const char* language : {"ENG", "XYZ", "RUS", "ENG"}) {
        SCOPED_TRACE(language);
        form.SetLanguage(language);
        EXPECT_EQ(form.Language(), language);
        // "XYZ" keeps the English texts of the step before.
        const bool russian = std::string(language) == "RUS";
        EXPECT_EQ(LabelText(form, "Label1"),
                  russian ? "Обрабатываемый канал:" : "Processable channel:");
        EXPECT_EQ(LabelText(form, "Label2"),
                  russian ? "Параметры файла:" : "File characteristics:");
        EXPECT_EQ(LabelText(form, "Label3"), russian ? "Текущая позиция:" : "Current position:");
        EXPECT_EQ(Button(form, "ToBeginBtn")->text(), russian ? "Н" : "S");
        EXPECT_EQ(Button(form, "ToEndBtn")->text(), russian ? "К" : "F");
        EXPECT_EQ(Button(form, "LeftBtn")->text(), "<<");
        EXPECT_EQ(Button(form, "RightBtn")->text(), ">>");
        for (const auto& [name, texts] : hints) {
            EXPECT_EQ(Button(form, name)->toolTip(), russian ? texts.first : texts.second) << name;
        }
        EXPECT_EQ(form.findChild<QSpinBox*>("IntervalEdit")->toolTip(),
                  russian ? "Заданный интервал в миллисекундах" : "Interval in milliseconds");
    }
}

TEST_F(Form, PropertiesLineAndTimeLabel) {
    TChildForm& stereo = Open({Silence(44100), Silence(44100)}, "ENG");
    EXPECT_EQ(LabelText(stereo, "AudioPropertiesLB"),
              "44100 Hz  16 bit  2 chnl.    0:00:01    44100");
    stereo.SetLanguage("RUS");
    stereo.ShowProperties();
    EXPECT_EQ(LabelText(stereo, "AudioPropertiesLB"),
              "44100 Гц  16 бит  2 кнл.    0:00:01    44100");

    TChildForm& empty = OpenEmpty(2, "ENG");
    EXPECT_EQ(LabelText(empty, "AudioPropertiesLB"), "44100 Hz  16 bit  2 chnl.    0:00:00    0");

    std::thread timer([&empty] { empty.SetTimeLabel("1:00:00    158760000"); });
    timer.join();
    EXPECT_TRUE(
        WaitFor([&] { return LabelText(empty, "TimePositionLabel") == "1:00:00    158760000"; }));
}

TEST_F(Form, ResizingPlacesTheBoxesAndZoomButtons) {
    TChildForm& form = OpenEmpty(1);
    form.show();
    form.resize(800, 600);
    EXPECT_EQ(Box(form, "TrackBox")->geometry(), QRect(5, 65, 790, 25));
    EXPECT_EQ(Box(form, "WaveBox")->geometry(), QRect(10, 134, 780, 600 - 134 - 10));
    EXPECT_EQ(Button(form, "Z_1_1Btn")->x(), 766);
    EXPECT_EQ(Button(form, "Z_allBtn")->x(), 739);
    EXPECT_EQ(Button(form, "Z_plusBtn")->x(), 766 - 4 * 27);
    EXPECT_EQ(Button(form, "PlayBtn")->geometry(), QRect(10, 98, 23, 22));
    // Too small a window leaves the boxes empty rather than negative.
    form.resize(5, 50);
    EXPECT_EQ(Box(form, "WaveBox")->height(), 0);
    EXPECT_EQ(Box(form, "TrackBox")->width(), 0);
}

// --- Mouse

TEST_F(Form, TrackClicksAndDragsMoveTheCursor) {
    TChildForm& form = Open({Sine(44100, 100)});
    TDocument& d = form.Document();
    form.show();
    TPaintBox* track = Box(form, "TrackBox");
    ASSERT_EQ(track->width(), 530);

    QTest::mouseClick(track, Qt::LeftButton, {}, QPoint(265, 12));
    EXPECT_EQ(d.CursorPos, 22050U);  // Round(260 / 520 * 44100)
    EXPECT_EQ(d.Stream->Position.load(), 22050U);
    EXPECT_FALSE(d.TrackDragging);

    QTest::mouseClick(track, Qt::LeftButton, {}, QPoint(3, 12));
    EXPECT_EQ(d.CursorPos, 0U);

    // A right click does nothing.
    QTest::mouseClick(track, Qt::RightButton, {}, QPoint(265, 12));
    EXPECT_EQ(d.CursorPos, 0U);

    // A move without a held button does nothing; a drag past the right end stops on the
    // last sample, and past the left end at 0.
    SendMouse(track, QEvent::MouseMove, 100, Qt::NoButton);
    EXPECT_EQ(d.CursorPos, 0U);
    SendMouse(track, QEvent::MouseButtonPress, 100, Qt::LeftButton);
    EXPECT_TRUE(d.TrackDragging);
    SendMouse(track, QEvent::MouseMove, 900, Qt::LeftButton);
    EXPECT_EQ(d.CursorPos, 44099U);
    SendMouse(track, QEvent::MouseMove, -20, Qt::LeftButton);
    EXPECT_EQ(d.CursorPos, 0U);
    SendMouse(track, QEvent::MouseMove, 5000, Qt::LeftButton);
    SendMouse(track, QEvent::MouseButtonRelease, 5000, Qt::LeftButton);
    EXPECT_FALSE(d.TrackDragging);
    EXPECT_EQ(d.CursorPos, 44099U);
    SendMouse(track, QEvent::MouseMove, 100, Qt::NoButton);
    EXPECT_EQ(d.CursorPos, 44099U);
}

TEST_F(Form, TrackClickOnAZoomedViewRecentresItAndRebuildsTheCacheWhenItLeavesIt) {
    TChildForm& form = Open({Sine(441000, 441)});
    TDocument& d = form.Document();
    form.show();
    Click(form, "Z_1_1Btn");  // view 320, cache 81920 around the cursor at 0
    ASSERT_EQ(d.ViewLength, 320U);
    ASSERT_EQ(d.GraphStart, 0U);
    ASSERT_EQ(d.GraphLength, 81920U);

    TPaintBox* track = Box(form, "TrackBox");
    QTest::mouseClick(track, Qt::LeftButton, {}, QPoint(265, 12));
    EXPECT_EQ(d.CursorPos, 220500U);
    EXPECT_EQ(d.ViewStart, 220500U - 160);
    EXPECT_EQ(d.GraphStart, d.ViewStart);
    EXPECT_EQ(d.GraphLength, 81920U);
    EXPECT_FALSE(d.GraphBuilding.load());
    // The cache now holds the stretch from the new start: its first column is the sine there.
    const TGraphSnapshot graph = form.Graph().Snapshot();
    std::int32_t expected = 0;
    d.Stream->ReadSample(0, d.GraphStart, expected);
    EXPECT_EQ((*graph[0])[0].First, expected);
}

TEST_F(Form, WaveClickMovesOnlyTheCursor) {
    TChildForm& form = Open({Silence(10000)});
    TDocument& d = form.Document();
    form.show();
    d.ViewStart = 1000;
    d.ViewLength = 2000;
    d.Stream->Position.store(7);
    TPaintBox* wave = Box(form, "WaveBox");
    ASSERT_EQ(wave->width(), 520);
    QTest::mouseClick(wave, Qt::RightButton, {}, QPoint(130, 20));
    EXPECT_EQ(d.CursorPos, 1500U);  // 130 / 520 * 2000 + 1000
    EXPECT_EQ(d.ViewStart, 1000U);
    EXPECT_EQ(d.Stream->Position.load(), 7U);
    // The right edge is one past the view: the cursor stays on the document.
    d.ViewStart = 8000;
    SendMouse(wave, QEvent::MouseButtonPress, 520, Qt::LeftButton);
    EXPECT_EQ(d.CursorPos, 9999U);
}

// --- Zoom

TEST_F(Form, ZoomingInHalvesTheViewAndRebuildsOnlyWhenTheCacheIsTooLarge) {
    TChildForm& form = Open({Sine(441000, 441)});
    TDocument& d = form.Document();
    int rebuilds = 0;
    std::string caption;
    form.SetProgressWait([&](const std::string& text, const std::function<bool()>& finished) {
        ++rebuilds;
        caption = text;
        EXPECT_TRUE(d.GraphBuilding.load() || finished());
        EXPECT_TRUE(WaitFor(finished));
    });
    form.show();
    for (const std::uint32_t view :
         {220500U, 110250U, 55125U, 27562U, 13781U, 6890U, 3445U, 1722U}) {
        Click(form, "Z_plusBtn");
        EXPECT_EQ(d.ViewLength, view);
        EXPECT_EQ(d.GraphLength, 441000U);
        EXPECT_EQ(rebuilds, 0);
        form.grab();
    }
    Click(form, "Z_plusBtn");
    EXPECT_EQ(d.ViewLength, 861U);
    EXPECT_EQ(d.GraphLength, 1722U);
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(caption, "Creating graph");
    EXPECT_FALSE(d.ZoomBusy);
    EXPECT_LE(d.GraphStart, d.ViewStart);
    EXPECT_GE(d.GraphStart + d.GraphLength, d.ViewStart + d.ViewLength);

    Click(form, "Z_allBtn");
    EXPECT_EQ(d.ViewStart, 0U);
    EXPECT_EQ(d.ViewLength, 441000U);
    EXPECT_EQ(d.GraphLength, 441000U);
    EXPECT_EQ(rebuilds, 2);
    Click(form, "Z_allBtn");  // already whole: no rebuild
    EXPECT_EQ(rebuilds, 2);
}

TEST_F(Form, ZoomOutMaximalScaleAndScaleOnSelection) {
    TChildForm& form = Open({Sine(100000, 441)});
    TDocument& d = form.Document();
    form.show();
    d.ViewLength = 45000;  // 45 %: doubling is more than 80 %, so the whole document
    Click(form, "Z_minusBtn");
    EXPECT_EQ(d.ViewLength, 100000U);
    EXPECT_EQ(d.ViewStart, 0U);

    d.CursorPos = 50000;
    Click(form, "Z_1_1Btn");
    EXPECT_EQ(d.ViewLength, 320U);
    EXPECT_EQ(d.ViewStart, 50000U - 160);
    EXPECT_EQ(d.GraphLength, 81920U);

    // Scale on selection needs a complete selection.
    Click(form, "Z_allBtn");
    Click(form, "Z_SelBtn");
    EXPECT_EQ(d.ViewLength, 100000U);
    d.Select(1000, 1099);
    Click(form, "Z_SelBtn");
    EXPECT_EQ(d.CursorPos, 1049U);
    EXPECT_EQ(d.ViewLength, 320U);
    EXPECT_EQ(d.ViewStart, 1049U - 160);
}

TEST_F(Form, ZoomIsIgnoredOnAnEmptyDocumentAndWhileRecording) {
    TChildForm& empty = OpenEmpty(2);
    empty.show();
    for (const char* name : {"Z_plusBtn", "Z_minusBtn", "Z_SelBtn", "Z_allBtn", "Z_1_1Btn"}) {
        Click(empty, name);
    }
    EXPECT_EQ(empty.Document().ViewLength, 0U);

    TChildForm& form = Open({Silence(10000)});
    form.show();
    form.Document().Stream->RecordState.store(TTransportState::Started);
    Click(form, "Z_1_1Btn");
    EXPECT_EQ(form.Document().ViewLength, 10000U);
    form.Document().Stream->RecordState.store(TTransportState::Stopped);
}

// --- Markers and navigation

TEST_F(Form, MarkersSetWidenAndClearTheSelection) {
    TChildForm& form = Open({Silence(10000)});
    TDocument& d = form.Document();
    QSignalSpy changes(&form, &TChildForm::CommandsMayChange);
    d.CursorPos = 500;
    Click(form, "SetMarkerBtn");
    Click(form, "SetMarkerBtn");  // the same place twice: still one border
    EXPECT_TRUE(d.SelStartSet);
    EXPECT_FALSE(d.SelEndSet);
    d.CursorPos = 200;
    Click(form, "SetMarkerBtn");
    EXPECT_TRUE(d.SelEndSet);
    EXPECT_EQ(d.SelStart, 200U);
    EXPECT_EQ(d.SelEnd, 500U);
    d.CursorPos = 800;
    Click(form, "SetMarkerBtn");
    EXPECT_EQ(d.SelEnd, 800U);
    d.CursorPos = 300;
    Click(form, "SetMarkerBtn");
    EXPECT_EQ(d.SelStart, 200U);
    EXPECT_EQ(d.SelEnd, 800U);
    EXPECT_GE(changes.count(), 5);

    Click(form, "DelMarkerBtn");
    EXPECT_FALSE(d.SelStartSet);
    EXPECT_FALSE(d.SelEndSet);
}

TEST_F(Form, NavigationButtonsStepByTheInterval) {
    TChildForm& form = Open({Silence(44100)});
    TDocument& d = form.Document();
    form.show();
    auto* interval = form.findChild<QSpinBox*>("IntervalEdit");
    EXPECT_EQ(interval->value(), 10);
    EXPECT_EQ(interval->minimum(), 1);
    EXPECT_EQ(interval->maximum(), 9999);

    d.CursorPos = 1000;
    Click(form, "RightBtn");
    EXPECT_EQ(d.CursorPos, 1441U);
    EXPECT_EQ(d.Stream->Position.load(), 1441U);
    Click(form, "LeftBtn");
    Click(form, "LeftBtn");
    EXPECT_EQ(d.CursorPos, 559U);
    interval->setValue(5000);
    Click(form, "LeftBtn");
    EXPECT_EQ(d.CursorPos, 0U);
    Click(form, "RightBtn");
    EXPECT_EQ(d.CursorPos, 44099U);

    d.Select(100, 200);
    Click(form, "ToBeginBtn");
    EXPECT_EQ(d.CursorPos, 100U);
    Click(form, "ToEndBtn");
    EXPECT_EQ(d.CursorPos, 200U);
    d.ClearSelection();
    Click(form, "ToBeginBtn");
    EXPECT_EQ(d.CursorPos, 0U);
    Click(form, "ToEndBtn");
    EXPECT_EQ(d.CursorPos, 44099U);
}

TEST_F(Form, RecordingLocksMarkersAndWaveClicks) {
    TChildForm& form = Open({Silence(1000)});
    TDocument& d = form.Document();
    form.show();
    d.Stream->RecordState.store(TTransportState::Started);
    d.CursorPos = 10;
    Click(form, "SetMarkerBtn");
    EXPECT_FALSE(d.SelStartSet);
    QTest::mouseClick(Box(form, "WaveBox"), Qt::LeftButton, {}, QPoint(200, 20));
    EXPECT_EQ(d.CursorPos, 10U);
    d.Stream->RecordState.store(TTransportState::Stopped);
}

}  // namespace
}  // namespace sonavel::test
