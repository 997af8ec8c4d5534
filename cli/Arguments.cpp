#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>

namespace sonavel::cli {

bool ParseInteger(const std::string& text, std::int64_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

namespace {

std::string RangeText(const TRange& range) {
    return std::to_string(range.Min) + ".." + std::to_string(range.Max);
}

}  // namespace

std::string AllowedText(const TParameter& parameter, const TFormat& format) {
    switch (parameter.Type) {
        case TParamType::Choice: {
            std::string list;
            for (const auto& item : parameter.Items) {
                list += (list.empty() ? "" : "|") + std::string(item.Word);
            }
            return list;
        }
        case TParamType::YesNo:
            return "no|yes";
        case TParamType::FilePath:
            return "FILE";
        case TParamType::Integer:
        case TParamType::NumberList:
            break;
    }
    if (parameter.Range == nullptr) {
        return parameter.RangeText != nullptr ? parameter.RangeText : "";
    }
    if (format.SampleRate == 0 && parameter.RangeText != nullptr) {
        return parameter.RangeText;
    }
    return RangeText(parameter.Range(format));
}

TArguments::TArguments(const TStep& step, std::span<const TParameter> parameters,
                       const TFormat& format)
    : Step_(step), Parameters_(parameters), Format_(format) {
    for (const auto& [key, text] : step.Args) {
        const auto it = std::find_if(parameters.begin(), parameters.end(),
                                     [&](const TParameter& p) { return key == p.Key; });
        if (it == parameters.end()) {
            Refuse("неизвестный аргумент " + key, "unknown argument " + key);
        }
        Values_.emplace(key, Parse(*it, text));
    }
    for (const TParameter& p : parameters) {
        if (p.Type == TParamType::FilePath && !Given(p.Key)) {
            Refuse("не задан " + std::string(p.Key) + "=", "missing " + std::string(p.Key) + "=");
        }
    }
}

TValue TArguments::Parse(const TParameter& p, const std::string& text) const {
    const std::string key = p.Key;
    const std::string allowed = AllowedText(p, Format_);
    const auto refuse = [&](const char* russian, const char* english) {
        Refuse(key + "=" + text + ": " + russian + allowed,
               key + "=" + text + ": " + english + allowed);
    };
    switch (p.Type) {
        case TParamType::Integer: {
            if (p.Range == nullptr) {
                return text;  // the step checks it
            }
            std::int64_t value = 0;
            if (!ParseInteger(text, value) || !p.Range(Format_).Contains(value)) {
                refuse("ожидается целое число ", "expected a whole number in ");
            }
            return value;
        }
        case TParamType::Choice:
        case TParamType::YesNo: {
            const bool yesNo = p.Type == TParamType::YesNo;
            const std::size_t count = yesNo ? 2 : p.Items.size();
            for (std::size_t i = 0; i < count; ++i) {
                const char* word = yesNo ? (i == 0 ? "no" : "yes") : p.Items[i].Word;
                if (text == word) {
                    return static_cast<std::int64_t>(i);
                }
            }
            refuse("ожидается ", "expected ");
            break;
        }
        case TParamType::NumberList: {
            std::vector<std::int64_t> values;
            std::string item;
            bool bad = false;
            for (const char c : text + ",") {
                if (c != ',') {
                    item += c;
                    continue;
                }
                std::int64_t value = 0;
                bad = bad || !ParseInteger(item, value) || !p.Range(Format_).Contains(value);
                values.push_back(value);
                item.clear();
            }
            if (bad || values.size() != p.Count) {
                const std::string what = std::to_string(p.Count) + " " + allowed;
                Refuse(key + ": ожидается " + what + " через запятую",
                       key + ": expected " + what + " separated by commas");
            }
            return values;
        }
        case TParamType::FilePath:
            if (text.empty()) {
                Refuse("не задан " + key + "=", "missing " + key + "=");
            }
            return text;
    }
    return text;
}

const TParameter& TArguments::Find(const std::string& key) const {
    return *std::find_if(Parameters_.begin(), Parameters_.end(),
                         [&](const TParameter& p) { return key == p.Key; });
}

TValue TArguments::Value(const std::string& key) const {
    const auto it = Values_.find(key);
    return it != Values_.end() ? it->second : Find(key).DefaultFor(Format_);
}

std::string TArguments::Raw(const std::string& key) const {
    const auto it = Step_.Args.find(key);
    return it == Step_.Args.end() ? std::string() : it->second;
}

std::int64_t TArguments::Number(const std::string& key, const TRange& range,
                                std::int64_t fallback) const {
    if (!Given(key)) {
        return fallback;
    }
    const std::string text = Raw(key);
    std::int64_t value = 0;
    if (!ParseInteger(text, value) || !range.Contains(value)) {
        Refuse(key + "=" + text + ": ожидается целое число " + RangeText(range),
               key + "=" + text + ": expected a whole number in " + RangeText(range));
    }
    return value;
}

void TArguments::StoreInto(TDialogValues& values) const {
    for (const TParameter& p : Parameters_) {
        if (p.Store != nullptr) {
            p.Store(values, Value(p.Key));
        }
    }
}

void TArguments::Refuse(const std::string& russian, const std::string& english) const {
    throw TScriptError(Step_.Word + ": " + russian, Step_.Word + ": " + english);
}

}  // namespace sonavel::cli
