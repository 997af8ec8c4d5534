#include "ui/StatisticDlg.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "app/Language.h"
#include "app/StatisticsText.h"
#include "ui/AnalysisTexts.h"

namespace sonavel {

namespace {

constexpr int FormWidth = 360;
constexpr int FormHeight = 200;

}  // namespace

TStatisticForm::TStatisticForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ListBox(new QListWidget(this)) {  // NOLINT(cppcoreguidelines-owning-memory): Qt parent
    setObjectName("StatisticForm");
    ListBox->setObjectName("ListBox");
    auto* layout = new QVBoxLayout(this);  // NOLINT(cppcoreguidelines-owning-memory)
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ListBox);
    resize(FormWidth, FormHeight);
    SetLanguage(Russian);
}

void TStatisticForm::SetLanguage(const std::string& language) {
    if (const TStatisticTexts* t = StatisticTexts(language)) {
        setWindowTitle(QString::fromUtf8(t->Caption));
    }
}

void TStatisticForm::FormShow() {
    std::string language;
    if (windowTitle() == QString::fromUtf8(StatisticTexts(Russian)->Caption)) {
        language = Russian;
    }
    if (windowTitle() == QString::fromUtf8(StatisticTexts(English)->Caption)) {
        language = English;
    }
    ListBox->clear();
    for (const std::string& line : StatisticsLines(Statistics, language)) {
        ListBox->addItem(QString::fromStdString(line));
    }
    ListBox->setCurrentRow(-1);
}

void TStatisticForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

}  // namespace sonavel
