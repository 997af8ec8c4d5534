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
    throw TScriptError("--max-undos: ожидается число от 0 до 8", "--max-undos: expected a number from 0 to 8");
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
                throw TScriptError("Аргумент " + token + " без команды", "Argument " + token + " has no step");
            }
            const std::string key = token.substr(0, eq);
            auto& stepArgs = script.Steps.back().Args;
            if (!stepArgs.emplace(key, token.substr(eq + 1)).second) {
                throw TScriptError("Аргумент " + key + " повторен", "Argument " + key + " given twice");
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

const char* UsageText() {
    return R"(Usage: sonavel-cli [--lang eng|rus] [--temp DIR] [--max-undos N] [--quiet]
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
working.

Documents (the tool holds a list of open documents like the editor; open, new, join and
mix add one and make it active; every other step acts on the active document):
  open path=FILE                       a .wav (PCM) or .mp3 file
  new channels=2 rate=44100 bits=16    an empty document
  join channels=2 rate=44100 bits=16   every open document one after another, in order
                                       of last activation, into a new document
  mix channels=2 rate=44100 bits=16    every open document mixed into a new document
  activate index=N                     the N-th opened document (0-based)
  close                                closes the active document
  save path=FILE [mode=stereo|joint|dual|mono] [bitrate=K | quality=Q]
                                       .wav writes PCM, .mp3 writes MP3 (constant bit rate
                                       K kbit/s, default 160, or 96 below 32 kHz; or
                                       variable quality Q 0..9); other names are refused
  save-selection path=FILE [...]       the selection (or everything) of the chosen channels
  channel n=all|N                      the channel the next operation works on (0-based)
  select from=S to=E                   selects samples S..E inclusive (S < E)
  deselect                             no selection: operations take the whole document
  cursor at=P                          the cursor (where pastes, silence and tones go)

Operations (defaults and ranges as in the editor's dialogs):
  copy  cut  paste  paste-mix  paste-overwrite  undo  delete  erase
  silence ms=1000                      1..30000
  speed percent=100 algorithm=simple|timbre glide=no|yes      20..1000
  volume percent=100                   0..999
  normalize  fade-in  fade-out  reverse  invert
  echo count=2 delay=400 volume=75     1..8, 1..1000 ms, 0..100 %
  reverb count=4 delay=8 volume=95     1..8, 1..500 ms, 0..100 %
  equalize from=1 to=RATE/2 gains=G1,...,G16    gains 0..200 %
  filter low=1 high=RATE/2 mode=keep|remove
  offset hz=0                          -RATE/4..RATE/4
  stretch percent=100                  50..200
  samplerate rate=44100                8000 11025 22050 32000 44100 48000 64000 88200
                                       96000 192000
  bits bits=16                         8 16 24 32
  add-channel  delete-channel          (delete-channel needs `channel n=N` first)
  brainwaves hz=8                      1..40
  rotate period=4 direction=cw|ccw     1..999 s
  tone wave=sine|rectangle|triangle freq=333 volume=100 mode=replace|insert|mix seconds=10
  noise colour=white|pink|brown volume=100 mode=replace|insert|mix seconds=10
  insert-file path=FILE                inserted at the cursor
  stats                                prints the nine lines of the statistics
  spectrum size=2048 out=FILE.csv      averaged spectrum: rows bin,hz,magnitude
  info                                 prints the document's properties line

Examples:
  sonavel-cli in.wav volume percent=150 -o louder.wav
  sonavel-cli in.wav select from=0 to=44099 cut cursor at=0 paste-mix -o out.mp3
  sonavel-cli new channels=1 rate=22050 bits=16 tone freq=440 seconds=3 fade-out -o a.wav
)";
}

}  // namespace sonavel::cli
