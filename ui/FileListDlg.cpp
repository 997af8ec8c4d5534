#include "ui/FileListDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Workspace.h"
#include "ui/CommandTable.h"
#include "ui/FileListTexts.h"
#include "ui/MakeChild.h"
#include "ui/ParameterControls.h"
#include "ui/ToolIcons.h"

namespace sonavel {

namespace {

constexpr int ListButtonSize = 28;

// The table's parameters of both commands: channels, rate, bits.
enum : std::size_t { Channels, Rate, Bits };

// The channel count is a number of the table's range, offered as a list of its values.
void FillRange(QComboBox& box, const TParameter& parameter) {
    const TRange range = parameter.Range({});
    for (std::int64_t n = range.Min; n <= range.Max; ++n) {
        box.addItem(QString::number(n));
    }
}

void ShowNumber(QComboBox& box, const TParameter& parameter, const TDialogValues& values) {
    const TRange range = parameter.Range({});
    const auto value = std::get<std::int64_t>(parameter.Load(values));
    box.setCurrentIndex(static_cast<int>(range.Clamp(value) - range.Min));
}

void StoreNumber(const QComboBox& box, const TParameter& parameter, TDialogValues& values) {
    if (box.currentIndex() >= 0) {
        parameter.Store(values, parameter.Range({}).Min + box.currentIndex());
    }
}

}  // namespace

TFileListForm::TFileListForm(TOperation operation, TDialogValues& values, TTextTable texts,
                             const char* ok, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      GroupBox1(MakeChild<QGroupBox>(this)),
      ChnBox(MakeChild<QComboBox>(GroupBox1)),
      HzBox(MakeChild<QComboBox>(GroupBox1)),
      BitBox(MakeChild<QComboBox>(GroupBox1)),
      GroupBox2(MakeChild<QGroupBox>(this)),
      ListBox(MakeChild<QListWidget>(GroupBox2)),
      DelButton(MakeChild<QToolButton>(GroupBox2)),
      Button1(MakeChild<QPushButton>(QString::fromUtf8(ok), this)),
      Operation_(operation),
      Values_(values),
      Texts_(texts),
      ButtonColumn_(MakeChild<QVBoxLayout>()),
      Label1_(MakeChild<QLabel>(GroupBox1)),
      Label2_(MakeChild<QLabel>(GroupBox1)),
      Label3_(MakeChild<QLabel>(GroupBox1)),
      Label4_(MakeChild<QLabel>(GroupBox1)),
      Label5_(MakeChild<QLabel>(GroupBox1)),
      Label6_(MakeChild<QLabel>(GroupBox1)) {
    GroupBox1->setObjectName("GroupBox1");
    ChnBox->setObjectName("ChnBox");
    HzBox->setObjectName("HzBox");
    BitBox->setObjectName("BitBox");
    GroupBox2->setObjectName("GroupBox2");
    ListBox->setObjectName("ListBox");
    DelButton->setObjectName("DelButton");
    Button1->setObjectName("Button1");
    Label1_->setObjectName("Label1");
    Label2_->setObjectName("Label2");
    Label3_->setObjectName("Label3");
    Label4_->setObjectName("Label4");
    Label5_->setObjectName("Label5");
    Label6_->setObjectName("Label6");

    const std::span<const TParameter> p = Parameters();
    FillRange(*ChnBox, p[Channels]);
    ShowNumber(*ChnBox, p[Channels], values);
    FillItems(*HzBox, p[Rate], "RUS");
    ShowValue(*HzBox, p[Rate], values);
    FillItems(*BitBox, p[Bits], "RUS");
    ShowValue(*BitBox, p[Bits], values);

    auto* format = MakeChild<QGridLayout>(GroupBox1);
    format->addWidget(Label1_, 0, 0, Qt::AlignRight);
    format->addWidget(ChnBox, 0, 1);
    format->addWidget(Label2_, 0, 2);
    format->addWidget(Label3_, 1, 0, Qt::AlignRight);
    format->addWidget(HzBox, 1, 1);
    format->addWidget(Label4_, 1, 2);
    format->addWidget(Label5_, 2, 0, Qt::AlignRight);
    format->addWidget(BitBox, 2, 1);
    format->addWidget(Label6_, 2, 2);
    format->setColumnStretch(2, 1);

    if (const std::optional<QIcon> icon = CommandIcon(TCommand::Delete)) {
        DelButton->setIcon(*icon);
    }
    DelButton->setAutoRaise(true);
    DelButton->setIconSize(QSize(20, 20));
    DelButton->setFixedSize(ListButtonSize, ListButtonSize);
    ListBox->setMinimumSize(260, 120);
    auto* files = MakeChild<QHBoxLayout>(GroupBox2);
    files->addWidget(ListBox, 1);
    files->addLayout(ButtonColumn_);
    ButtonColumn_->addStretch();
    ButtonColumn_->addWidget(DelButton);

    auto* buttons = MakeChild<QHBoxLayout>();
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TFileListForm::accept);
    connect(DelButton, &QToolButton::clicked, this, &TFileListForm::DelButtonClick);
    connect(ListBox, &QListWidget::currentRowChanged, this,
            [this](int row) { Order_.Select(row); });

    // The form is laid out with the Russian texts, the rate's unit as it was drawn.
    SetLanguage("RUS");
    Label4_->setText(QString::fromUtf8(FormRateUnit));
}

std::span<const TParameter> TFileListForm::Parameters() const {
    return Info(Operation_).Parameters;
}

void TFileListForm::SetLanguage(const std::string& language) {
    const TFileListTexts* t = Texts_(language);
    if (t == nullptr) {
        return;
    }
    setWindowTitle(QString::fromUtf8(t->Caption));
    GroupBox1->setTitle(QString::fromUtf8(t->GroupBox1));
    Label1_->setText(QString::fromUtf8(t->Label1));
    Label2_->setText(QString::fromUtf8(t->Label2));
    Label3_->setText(QString::fromUtf8(t->Label3));
    Label4_->setText(QString::fromUtf8(t->Label4));
    Label5_->setText(QString::fromUtf8(t->Label5));
    Label6_->setText(QString::fromUtf8(t->Label6));
    GroupBox2->setTitle(QString::fromUtf8(t->GroupBox2));
}

void TFileListForm::Fill(const TWorkspace& workspace) {
    Order_.Fill(workspace);
    ShowOrder();
}

void TFileListForm::ShowOrder() {
    const QSignalBlocker quiet(ListBox);
    ListBox->clear();
    for (const TFileOrder::TLine& line : Order_.Lines()) {
        ListBox->addItem(QString::fromStdString(line.Caption));
    }
    ListBox->setCurrentRow(Order_.Selected());
}

void TFileListForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Order_.Select(0);
    ShowOrder();
    ListBox->setFocus();
}

void TFileListForm::DelButtonClick() {
    if (Order_.Delete()) {
        ShowOrder();
    }
}

void TFileListForm::accept() {
    const std::span<const TParameter> p = Parameters();
    StoreNumber(*ChnBox, p[Channels], Values_);
    StoreValue(*HzBox, p[Rate], Values_);
    StoreValue(*BitBox, p[Bits], Values_);
    QDialog::accept();
}

}  // namespace sonavel
