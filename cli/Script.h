#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace sonavel::cli {

// A refused script: the message in both interface languages.
class TScriptError : public std::runtime_error {
  public:
    TScriptError(std::string russian, const std::string& english)
        : std::runtime_error(english), RussianText_(std::move(russian)) {}
    // The message in the interface language ("RUS" or "ENG").
    std::string Text(const std::string& language) const;

  private:
    std::string RussianText_;
};

struct TStep {
    std::string Word;
    std::map<std::string, std::string> Args;
};

struct TScript {
    std::string Language = "ENG";
    std::string TempFolder;  // empty: the default
    int MaxUndos = 2;
    bool Quiet = false;
    bool Help = false;
    std::vector<TStep> Steps;
};

// Reads the command line: options, then an optional INPUT, the steps, and -o OUTPUT. Checks
// only the shape (options, '=' tokens, duplicate keys); the steps themselves are checked by
// CheckScript.
TScript ParseCommandLine(const std::vector<std::string>& args);

// The --help text.
std::string UsageText();

}  // namespace sonavel::cli
