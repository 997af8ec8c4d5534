#pragma once

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Dispatcher.h"
#include "app/Workspace.h"
#include "cli/Script.h"

namespace sonavel::cli {

// A failure while the script runs (the message is already in the interface language).
class TRunError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What the steps run against.
struct TRunContext {
    TWorkspace& Workspace;
    TOperationObserver& Observer;
    std::ostream& Out;
    const std::string& Language;
};

using TAction = std::function<void(TRunContext&)>;

// Checks every step of the script against its parameters' ranges and the documents' formats
// as they will be when the step runs (a dry run that follows channel counts and sample
// rates), and returns the actions that carry the steps out. Throws TScriptError for the
// first step that is refused, before anything has run.
std::vector<TAction> PrepareScript(const TScript& script);

bool IsStepWord(const std::string& word);

// The steps part of --help: every step with its keys, defaults and ranges.
std::string StepsHelp();

}  // namespace sonavel::cli
