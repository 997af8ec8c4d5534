#pragma once

#include <array>
#include <string>

#include "app/OperationTable.h"

class QWidget;

namespace sonavel {

class TParameterForm;

// The parameter dialogs of the editor's effect, synthesis and conversion commands, created
// once with the main window (their parent, which owns them) and kept for the whole run.
class TParameterForms {
  public:
    TParameterForms(TDialogValues& values, QWidget* parent);

    // The dialog an operation shows; nullptr for an operation without one.
    TParameterForm* Form(TOperation operation) const;
    void SetLanguage(const std::string& language) const;

  private:
    std::array<TParameterForm*, OperationCount> Forms_{};
};

}  // namespace sonavel
