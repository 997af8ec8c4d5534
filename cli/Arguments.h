#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "cli/Script.h"

namespace sonavel::cli {

// Typed access to one step's KEY=VALUE arguments, with the dialogs' ranges. Every read
// marks its key as known; Finish refuses keys the step does not have.
class TArguments {
public:
    explicit TArguments(const TStep& step) : Step_(step) {}

    std::int64_t Int(const std::string& key, std::int64_t defaultValue, std::int64_t min, std::int64_t max);
    // One of the choices; returns its index.
    int Choice(const std::string& key, std::initializer_list<const char*> choices, int defaultIndex);
    std::string Text(const std::string& key, const std::string& defaultValue = {});
    std::string Required(const std::string& key);
    std::vector<std::int64_t> IntList(const std::string& key, std::size_t count, std::int64_t defaultValue,
                                      std::int64_t min, std::int64_t max);
    bool Has(const std::string& key) const { return Step_.Args.count(key) != 0; }
    void Finish() const;

    [[noreturn]] void Refuse(const std::string& russian, const std::string& english) const;

private:
    const TStep& Step_;
    std::vector<std::string> Known_;
};

// A whole decimal number, or nothing.
bool ParseInteger(const std::string& text, std::int64_t& value);

}  // namespace sonavel::cli
