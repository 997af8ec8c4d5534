#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "app/Document.h"
#include "app/Workspace.h"
#include "core/SampleScale.h"
#include "support/TempFolder.h"
#include "support/WaitUntil.h"
#include "ui/ChildForm.h"

namespace sonavel::test {

// One QApplication for the whole program, on the offscreen platform unless told otherwise.
class TQtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        App_ = std::make_unique<QApplication>(Argc_, Argv_.data());
    }
    void TearDown() override { App_.reset(); }

  private:
    int Argc_ = 1;
    char Name_[8] = "ui-test";
    std::vector<char*> Argv_{Name_, nullptr};
    std::unique_ptr<QApplication> App_;
};

inline const ::testing::Environment* const QtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);  // NOLINT: gtest owns it

// A full-scale sine of the given period in samples.
inline std::vector<std::int32_t> Sine(std::uint32_t length, double period) {
    std::vector<std::int32_t> v(length);
    for (std::uint32_t i = 0; i < length; ++i) {
        v[i] = static_cast<std::int32_t>(
            std::lround(MaxLevel * std::sin(2 * std::numbers::pi * i / period)));
    }
    return v;
}

// Processes events until done() or the time runs out; the final done().
inline bool WaitFor(const std::function<bool()>& done,
                    int milliseconds = static_cast<int>(WaitLimit.count())) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return done();
}

// A workspace with documents whose channel files live in the test's own folder, and their
// windows, opened the way the file commands open them.
class TFormTest : public TStreamTest {
  protected:
    // channels[c] are the samples of channel c on the MaxLevel scale, stored in 16 bits.
    TChildForm& Open(const std::vector<std::vector<std::int32_t>>& channels,
                     const std::string& language = "ENG", std::uint32_t rate = 44100) {
        auto stream =
            std::make_unique<TAudioStream>(static_cast<std::uint16_t>(channels.size()), 16, rate);
        for (std::size_t c = 0; c < channels.size(); ++c) {
            stream->WriteSamples(static_cast<std::uint16_t>(c), 0,
                                 static_cast<std::uint32_t>(channels[c].size()),
                                 channels[c].data());
        }
        TDocument& document = Workspace.AddDocument(std::move(stream), "test.wav");
        return Window(document, language);
    }

    // An empty new project.
    TChildForm& OpenEmpty(std::uint16_t channels, const std::string& language = "ENG") {
        TDocument& document = Workspace.AddDocument(
            std::make_unique<TAudioStream>(channels, 16, 44100), "New project");
        return Window(document, language);
    }

    TChildForm& Window(TDocument& document, const std::string& language) {
        Forms.push_back(std::make_unique<TChildForm>(Workspace, document));
        TChildForm& form = *Forms.back();
        form.SetLanguage(language);
        form.ShowProperties();
        document.SampleCount = document.Stream->GetLength();
        document.ResetView();
        form.FillChannelBox();
        form.BuildGraph();
        form.resize(540, 280);
        return form;
    }

    // The windows go before the workspace that owns their documents.
    TWorkspace Workspace;
    std::vector<std::unique_ptr<TChildForm>> Forms;

    void TearDown() override { Forms.clear(); }
};

}  // namespace sonavel::test
