#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>

namespace sonavel::cli {

bool ParseInteger(const std::string& text, std::int64_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

void TArguments::Refuse(const std::string& russian, const std::string& english) const {
    throw TScriptError(Step_.Word + ": " + russian, Step_.Word + ": " + english);
}

std::int64_t TArguments::Int(const std::string& key, std::int64_t defaultValue, std::int64_t min,
                             std::int64_t max) {
    Known_.push_back(key);
    const auto it = Step_.Args.find(key);
    if (it == Step_.Args.end()) {
        return defaultValue;
    }
    std::int64_t value = 0;
    if (!ParseInteger(it->second, value) || value < min || value > max) {
        const std::string range = std::to_string(min) + ".." + std::to_string(max);
        Refuse(key + "=" + it->second + ": ожидается целое число " + range,
               key + "=" + it->second + ": expected a whole number in " + range);
    }
    return value;
}

int TArguments::Choice(const std::string& key, std::initializer_list<const char*> choices, int defaultIndex) {
    Known_.push_back(key);
    const auto it = Step_.Args.find(key);
    if (it == Step_.Args.end()) {
        return defaultIndex;
    }
    int index = 0;
    std::string list;
    for (const char* choice : choices) {
        if (it->second == choice) {
            return index;
        }
        list += (index++ ? "|" : "") + std::string(choice);
    }
    Refuse(key + "=" + it->second + ": ожидается " + list, key + "=" + it->second + ": expected " + list);
}

std::string TArguments::Text(const std::string& key, const std::string& defaultValue) {
    Known_.push_back(key);
    const auto it = Step_.Args.find(key);
    return it == Step_.Args.end() ? defaultValue : it->second;
}

std::string TArguments::Required(const std::string& key) {
    std::string value = Text(key);
    if (value.empty()) {
        Refuse("не задан " + key + "=", "missing " + key + "=");
    }
    return value;
}

std::vector<std::int64_t> TArguments::IntList(const std::string& key, std::size_t count, std::int64_t defaultValue,
                                              std::int64_t min, std::int64_t max) {
    Known_.push_back(key);
    const auto it = Step_.Args.find(key);
    if (it == Step_.Args.end()) {
        return std::vector<std::int64_t>(count, defaultValue);
    }
    std::vector<std::int64_t> values;
    std::string item;
    const std::string text = it->second + ",";
    for (const char c : text) {
        if (c != ',') {
            item += c;
            continue;
        }
        std::int64_t value = 0;
        if (!ParseInteger(item, value) || value < min || value > max) {
            break;
        }
        values.push_back(value);
        item.clear();
    }
    if (values.size() != count || !item.empty()) {
        const std::string what = std::to_string(count) + " " + std::to_string(min) + ".." + std::to_string(max);
        Refuse(key + ": ожидается " + what + " через запятую", key + ": expected " + what + " separated by commas");
    }
    return values;
}

void TArguments::Finish() const {
    for (const auto& [key, value] : Step_.Args) {
        if (std::find(Known_.begin(), Known_.end(), key) == Known_.end()) {
            Refuse("неизвестный аргумент " + key, "unknown argument " + key);
        }
    }
}

}  // namespace sonavel::cli
