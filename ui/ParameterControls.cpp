#include "ui/ParameterControls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSignalBlocker>
#include <QSpinBox>
#include <limits>

namespace sonavel {

namespace {

int ToInt(std::int64_t value) {
    if (value < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(value);
}

std::int64_t Number(const TParameter& parameter, const TDialogValues& values) {
    return std::get<std::int64_t>(parameter.Load(values));
}

}  // namespace

void FillItems(QComboBox& box, const TParameter& parameter, const std::string& language) {
    const QSignalBlocker blocker(box);
    const int index = box.currentIndex();
    box.clear();
    for (std::size_t i = 0; i < parameter.Items.size(); ++i) {
        const std::string text = parameter.ItemText(i, language);
        box.addItem(QString::fromStdString(text.empty() ? parameter.Items[i].Word : text));
    }
    box.setCurrentIndex(index);
}

void SetRange(QSpinBox& box, const TParameter& parameter, const TFormat& format) {
    if (parameter.Range != nullptr) {
        const TRange range = parameter.Range(format);
        box.setRange(ToInt(range.Min), ToInt(range.Max));
    }
}

void ShowValue(QSpinBox& box, const TParameter& parameter, const TDialogValues& values) {
    box.setValue(ToInt(Number(parameter, values)));
}

void ShowValue(QComboBox& box, const TParameter& parameter, const TDialogValues& values) {
    box.setCurrentIndex(ToInt(Number(parameter, values)));
}

void ShowValue(QAbstractButton& box, const TParameter& parameter, const TDialogValues& values) {
    box.setChecked(Number(parameter, values) != 0);
}

void StoreValue(const QSpinBox& box, const TParameter& parameter, TDialogValues& values) {
    parameter.Store(values, std::int64_t{box.value()});
}

void StoreValue(const QComboBox& box, const TParameter& parameter, TDialogValues& values) {
    if (box.currentIndex() >= 0) {
        parameter.Store(values, std::int64_t{box.currentIndex()});
    }
}

void StoreValue(const QAbstractButton& box, const TParameter& parameter, TDialogValues& values) {
    parameter.Store(values, std::int64_t{box.isChecked() ? 1 : 0});
}

}  // namespace sonavel
