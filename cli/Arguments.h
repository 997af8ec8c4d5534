#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "app/OperationTable.h"
#include "cli/Script.h"

namespace sonavel::cli {

// One step's KEY=VALUE arguments read against its parameters: every given value is checked
// against its type and its range for the document the step will act on, keys the step does
// not have are refused, and a refusal names the step, the key and what is allowed.
class TArguments {
  public:
    TArguments(const TStep& step, std::span<const TParameter> parameters,
               const TFormat& format = {});

    bool Given(const std::string& key) const { return Step_.Args.count(key) != 0; }
    // The checked value, or the parameter's default for the document when the key is absent.
    TValue Value(const std::string& key) const;
    std::int64_t Number(const std::string& key) const { return std::get<std::int64_t>(Value(key)); }
    // The text as given; empty when absent. For keys the step checks itself.
    std::string Raw(const std::string& key) const;
    // A given number checked against a range the step works out itself.
    std::int64_t Number(const std::string& key, const TRange& range, std::int64_t fallback) const;
    // The values of the parameters that live in the dialog record, given or default.
    void StoreInto(TDialogValues& values) const;

    [[noreturn]] void Refuse(const std::string& russian, const std::string& english) const;
    [[noreturn]] void Refuse(const TMessage& message) const {
        Refuse(message.Russian, message.English);
    }

  private:
    const TParameter& Find(const std::string& key) const;
    TValue Parse(const TParameter& parameter, const std::string& text) const;

    const TStep& Step_;
    std::span<const TParameter> Parameters_;
    TFormat Format_;
    std::map<std::string, TValue> Values_;
};

// A whole decimal number, or nothing.
bool ParseInteger(const std::string& text, std::int64_t& value);

// "1..30000", or the parameter's stated range, or its items joined by '|'.
std::string AllowedText(const TParameter& parameter, const TFormat& format);

}  // namespace sonavel::cli
