#include "cli/Script.h"

#include "app/Language.h"
#include "cli/Steps.h"

namespace sonavel::cli {

std::string TScriptError::Text(const std::string& language) const {
    return language == Russian ? RussianText_ : what();
}

namespace {

int ParseMaxUndos(const std::string& text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '8') {
        return text[0] - '0';
    }
    throw TScriptError("--max-undos: ожидается число от 0 до 8",
                       "--max-undos: expected a number from 0 to 8");
}

}  // namespace

TScript ParseCommandLine(const std::vector<std::string>& args) {
    TScript script;
    std::size_t i = 0;
    auto value = [&](const std::string& option) -> std::string {
        if (i + 1 >= args.size()) {
            throw TScriptError(option + ": не задано значение", option + ": missing value");
        }
        return args[++i];
    };
    // Options come first.
    for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
        const std::string& option = args[i];
        if (option == "--help") {
            script.Help = true;
        } else if (option == "--quiet") {
            script.Quiet = true;
        } else if (option == "--lang") {
            const std::string lang = value(option);
            if (lang == "eng") {
                script.Language = English;
            } else if (lang == "rus") {
                script.Language = Russian;
            } else {
                throw TScriptError("--lang: ожидается eng или rus", "--lang: expected eng or rus");
            }
        } else if (option == "--temp") {
            script.TempFolder = value(option);
        } else if (option == "--max-undos") {
            script.MaxUndos = ParseMaxUndos(value(option));
        } else {
            throw TScriptError("Неизвестный параметр " + option, "Unknown option " + option);
        }
    }
    // A first word that names a file rather than a step is the input.
    bool first = true;
    for (; i < args.size(); ++i) {
        const std::string& token = args[i];
        if (token == "-o") {
            if (i + 1 >= args.size()) {
                throw TScriptError("-o: не задан выходной файл", "-o: missing output file");
            }
            script.Steps.push_back({"save", {{"path", args[++i]}}});
            if (i + 1 != args.size()) {
                throw TScriptError("-o OUTPUT должен быть последним", "-o OUTPUT must come last");
            }
            break;
        }
        const auto eq = token.find('=');
        if (eq != std::string::npos) {
            if (script.Steps.empty() || first) {
                throw TScriptError("Аргумент " + token + " без команды",
                                   "Argument " + token + " has no step");
            }
            const std::string key = token.substr(0, eq);
            auto& stepArgs = script.Steps.back().Args;
            if (!stepArgs.emplace(key, token.substr(eq + 1)).second) {
                throw TScriptError("Аргумент " + key + " повторен",
                                   "Argument " + key + " given twice");
            }
            continue;
        }
        if (first && !IsStepWord(token)) {
            script.Steps.push_back({"open", {{"path", token}}});
        } else {
            script.Steps.push_back({token, {}});
        }
        first = false;
    }
    return script;
}

std::string UsageText() {
    return std::string(R"(Usage: sonavel-cli [--lang eng|rus] [--temp DIR] [--max-undos N] [--quiet]
                  [INPUT] [STEP [KEY=VALUE ...] ...] [-o OUTPUT]

Runs the editor's operations as a script. INPUT is short for a first step
`open path=INPUT`, -o OUTPUT for a last step `save path=OUTPUT`. The whole script is
checked before any step runs; a refused script writes nothing.

Options:
  --lang eng|rus   language of messages and captions (default eng)
  --temp DIR       folder for the channel files (default $TEMP, else $TMPDIR, else /tmp)
  --max-undos N    restore points kept per document, 0..8 (default 2)
  --quiet          no progress line on a terminal

Exit status: 0 every step ran; 2 the script was refused (syntax, a value out of range,
a precondition, "File not found", "Unknown format"); 1 an input/output failure while
working; 130, 143 or 129 stopped by SIGINT, SIGTERM or SIGHUP (channel files and any
partial output removed, an existing output left as it was).

The tool holds a list of open documents like the editor; open, new, join and mix add one
and make it active; every other step acts on the active document, on the channel chosen
with `channel` and on the selection (or the whole document). A step a document cannot
take now (a paste with less than two samples in the clipboard, an undo with nothing to
undo) does nothing, as in the editor. RATE stands for the document's sample rate.

Steps, with their keys and defaults (ranges and choices in parentheses):
)") + StepsHelp() +
           R"(
Examples:
  sonavel-cli in.wav volume percent=150 -o louder.wav
  sonavel-cli in.wav select from=0 to=44099 cut cursor at=0 paste-mix -o out.mp3
  sonavel-cli new channels=1 rate=22050 bits=16 tone freq=440 seconds=3 fade-out -o a.wav
)";
}

}  // namespace sonavel::cli
