#include "ui/ParameterForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>
#include <stdexcept>

#include "app/Language.h"
#include "ui/DialogTexts.h"
#include "ui/MakeChild.h"
#include "ui/ParameterControls.h"

namespace sonavel {

namespace {

constexpr int SliderTick = 5;

// Before the first document the ranges that depend on one stay open, so the first values
// are shown as the record holds them and only the document's own range lowers them.
constexpr TFormat Unbounded{0, std::numeric_limits<std::uint32_t>::max()};

int Number(const TParameter& parameter, const TDialogValues& values) {
    return static_cast<int>(std::get<std::int64_t>(parameter.Load(values)));
}

}  // namespace

TParameterForm::TParameterForm(TOperation operation, TDialogValues& values, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      Values_(values),
      Operation_(operation),
      Grid_(MakeChild<QGridLayout>()) {}

const TParameter& TParameterForm::Parameter(const char* key) const {
    const TParameter* parameter = FindParameter(Info(Operation_), key);
    if (parameter == nullptr) {
        throw std::logic_error(std::string("no parameter ") + key);
    }
    return *parameter;
}

void TParameterForm::TakeTyped(QSpinBox& box) {
    bool number = false;
    const int typed = box.cleanText().toInt(&number);
    if (number) {
        box.setValue(typed);  // clamps
    } else {
        box.interpretText();
    }
}

QSpinBox* TParameterForm::MakeSpin(const char* key) {
    const TParameter& p = Parameter(key);
    auto* box = MakeChild<QSpinBox>(this);
    box->setObjectName(QString::fromLatin1(p.Control));
    SetRange(*box, p, Unbounded);
    Bindings_.push_back({TKind::Spin, &p, box, nullptr, {}});
    return box;
}

QComboBox* TParameterForm::MakeList(const char* key) {
    const TParameter& p = Parameter(key);
    auto* box = MakeChild<QComboBox>(this);
    box->setObjectName(QString::fromLatin1(p.Control));
    box->setEditable(false);
    FillItems(*box, p, Russian);
    Bindings_.push_back({TKind::List, &p, box, nullptr, {}});
    return box;
}

QCheckBox* TParameterForm::MakeCheck(const char* key, const char* name) {
    const TParameter& p = Parameter(key);
    auto* box = MakeChild<QCheckBox>(this);
    box->setObjectName(QString::fromLatin1(name));
    Bindings_.push_back({TKind::Check, &p, box, nullptr, {}});
    return box;
}

QSlider* TParameterForm::MakeSlider(const char* key) {
    const TParameter& p = Parameter(key);
    auto* bar = MakeChild<QSlider>(Qt::Horizontal, this);
    bar->setObjectName(QString::fromLatin1(p.Control));
    const TRange range = p.Range(Unbounded);
    bar->setRange(static_cast<int>(range.Min), static_cast<int>(range.Max));
    bar->setTickInterval(SliderTick);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setPageStep(SliderTick);
    Bindings_.push_back({TKind::Slider, &p, bar, nullptr, {}});
    return bar;
}

std::vector<QRadioButton*> TParameterForm::MakeRadios(const char* key, std::vector<QString> names) {
    const TParameter& p = Parameter(key);
    auto* group = MakeChild<QButtonGroup>(this);
    std::vector<QRadioButton*> radios;
    for (std::size_t i = 0; i < p.Items.size() && i < names.size(); ++i) {
        auto* radio = MakeChild<QRadioButton>(this);
        radio->setObjectName(names[i]);
        group->addButton(radio, static_cast<int>(i));
        radios.push_back(radio);
    }
    Bindings_.push_back({TKind::Radios, &p, nullptr, group, radios});
    return radios;
}

QLabel* TParameterForm::MakeLabel(const char* name) {
    auto* label = MakeChild<QLabel>(this);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

void TParameterForm::AddRow(QLabel* label, QWidget* control, QLabel* unit) {
    const int row = Grid_->rowCount();
    if (label != nullptr) {
        Grid_->addWidget(label, row, 0);
        label->setBuddy(control);
    }
    if (control != nullptr) {
        Grid_->addWidget(control, row, 1);
    }
    if (unit != nullptr) {
        Grid_->addWidget(unit, row, 2);
    }
}

QSpinBox* TParameterForm::AddSpinRow(const char* key, const char* label, const char* unit) {
    QLabel* before = label != nullptr ? MakeLabel(label) : nullptr;
    QSpinBox* box = MakeSpin(key);
    AddRow(before, box, unit != nullptr ? MakeLabel(unit) : nullptr);
    return box;
}

QComboBox* TParameterForm::AddListRow(const char* key, const char* label, const char* unit) {
    QLabel* before = label != nullptr ? MakeLabel(label) : nullptr;
    QComboBox* box = MakeList(key);
    AddRow(before, box, unit != nullptr ? MakeLabel(unit) : nullptr);
    return box;
}

void TParameterForm::Finish(const char* okName, const char* cancelName, const char* okText) {
    OkButton_ = MakeChild<QPushButton>(QString::fromUtf8(okText), this);
    OkButton_->setObjectName(QString::fromLatin1(okName));
    OkButton_->setDefault(true);
    connect(OkButton_, &QPushButton::clicked, this, &TParameterForm::accept);
    auto* buttons = MakeChild<QHBoxLayout>();
    buttons->addStretch();
    buttons->addWidget(OkButton_);
    if (cancelName != nullptr) {
        auto* cancel = MakeChild<QPushButton>(this);
        cancel->setObjectName(QString::fromLatin1(cancelName));
        connect(cancel, &QPushButton::clicked, this, &TParameterForm::reject);
        buttons->addWidget(cancel);
    }
    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->addLayout(Grid_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ShowValues();
    ApplyTexts(Russian, true);
}

void TParameterForm::ApplyTexts(const std::string& language, bool form) {
    for (const TBinding& b : Bindings_) {
        if (b.Kind == TKind::List) {
            FillItems(*static_cast<QComboBox*>(b.Control), *b.Param, language);
        }
        for (std::size_t i = 0; i < b.Radios.size(); ++i) {
            b.Radios[i]->setText(QString::fromStdString(b.Param->ItemText(i, language)));
        }
    }
    for (const TDialogText& entry : DialogTexts(Operation_)) {
        const char* text = TextFor(entry, language);
        if (form && entry.Form != nullptr) {
            text = entry.Form;
        }
        if (text == nullptr) {
            continue;
        }
        const QString value = QString::fromUtf8(text);
        if (*entry.Name == '\0') {
            setWindowTitle(value);
            continue;
        }
        QObject* control = findChild<QObject*>(QString::fromLatin1(entry.Name));
        if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(value);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->setText(value);
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            group->setTitle(value);
        }
    }
}

void TParameterForm::SetLanguage(const std::string& language) {
    if (language != Russian && language != English) {
        return;
    }
    ApplyTexts(language, false);
    LanguageChanged();
}

void TParameterForm::ShowValues() {
    for (const TBinding& b : Bindings_) {
        switch (b.Kind) {
            case TKind::Spin:
                ShowValue(*static_cast<QSpinBox*>(b.Control), *b.Param, Values_);
                break;
            case TKind::List:
                ShowValue(*static_cast<QComboBox*>(b.Control), *b.Param, Values_);
                break;
            case TKind::Check:
                ShowValue(*static_cast<QCheckBox*>(b.Control), *b.Param, Values_);
                break;
            case TKind::Slider:
                static_cast<QSlider*>(b.Control)->setValue(Number(*b.Param, Values_));
                break;
            case TKind::Radios:
                if (QAbstractButton* radio = b.Group->button(Number(*b.Param, Values_))) {
                    radio->setChecked(true);
                }
                break;
        }
    }
}

void TParameterForm::SetRanges() {
    for (const TBinding& b : Bindings_) {
        if (b.Kind == TKind::Spin) {
            SetRange(*static_cast<QSpinBox*>(b.Control), *b.Param, Format_);
        }
    }
}

void TParameterForm::SetFormat(const TFormat& format) {
    Format_ = format;
    FormShow();
}

void TParameterForm::FormShow() {
    SetRanges();
}

void TParameterForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
    // The first field has the focus, its number selected for typing over.
    for (const TBinding& b : Bindings_) {
        QWidget* first = b.Control != nullptr ? b.Control : b.Group->checkedButton();
        if (first != nullptr) {
            first->setFocus(Qt::OtherFocusReason);
            if (auto* spin = qobject_cast<QSpinBox*>(first)) {
                spin->selectAll();
            }
            break;
        }
    }
}

void TParameterForm::accept() {
    for (const TBinding& b : Bindings_) {
        switch (b.Kind) {
            case TKind::Spin: {
                auto* spin = static_cast<QSpinBox*>(b.Control);
                TakeTyped(*spin);
                StoreValue(*spin, *b.Param, Values_);
                break;
            }
            case TKind::List:
                StoreValue(*static_cast<QComboBox*>(b.Control), *b.Param, Values_);
                break;
            case TKind::Check:
                StoreValue(*static_cast<QCheckBox*>(b.Control), *b.Param, Values_);
                break;
            case TKind::Slider:
                b.Param->Store(Values_, std::int64_t{static_cast<QSlider*>(b.Control)->value()});
                break;
            case TKind::Radios:
                if (b.Group->checkedId() >= 0) {
                    b.Param->Store(Values_, std::int64_t{b.Group->checkedId()});
                }
                break;
        }
    }
    StoreMore();
    if (const auto settle = Info(Operation_).Settle) {
        settle(Values_);
        ShowValues();
        ShowMore();
    }
    QDialog::accept();
}

}  // namespace sonavel
