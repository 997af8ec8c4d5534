#pragma once

#include <span>
#include <string>

#include "app/OperationTable.h"

namespace sonavel {

// A text of a parameter dialog: the control's object name (empty for the caption), its
// Russian and English texts, and the text the form is laid out with where that differs from
// the Russian one. A control whose texts come from the operation table's items (radio
// buttons) may carry only a form text.
struct TDialogText {
    const char* Name;
    const char* Russian;
    const char* English;
    const char* Form = nullptr;
};

// The texts of the dialog an operation shows; empty for an operation without one.
std::span<const TDialogText> DialogTexts(TOperation operation);

// The text for the language word; nullptr for a word that is neither "RUS" nor "ENG", or a
// control that has no text of its own in that language.
const char* TextFor(const TDialogText& text, const std::string& language);

}  // namespace sonavel
