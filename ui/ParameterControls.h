#pragma once

#include <string>

#include "app/OperationTable.h"

class QAbstractButton;
class QComboBox;
class QSpinBox;

namespace sonavel {

// The dialogs' controls take their ranges, items and values from the operation table, so a
// dialog and the command line always offer the same.

// Fills a list with the parameter's items in the language, keeping the selected index.
void FillItems(QComboBox& box, const TParameter& parameter, const std::string& language);
// The spin edit's range for the document (fixed ranges ignore it).
void SetRange(QSpinBox& box, const TParameter& parameter, const TFormat& format = {});

// The value the dialog record holds, shown in the control.
void ShowValue(QSpinBox& box, const TParameter& parameter, const TDialogValues& values);
void ShowValue(QComboBox& box, const TParameter& parameter, const TDialogValues& values);
void ShowValue(QAbstractButton& box, const TParameter& parameter, const TDialogValues& values);

// The control's value stored in the dialog record.
void StoreValue(const QSpinBox& box, const TParameter& parameter, TDialogValues& values);
void StoreValue(const QComboBox& box, const TParameter& parameter, TDialogValues& values);
void StoreValue(const QAbstractButton& box, const TParameter& parameter, TDialogValues& values);

}  // namespace sonavel
