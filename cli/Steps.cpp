#include "cli/Steps.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <span>
#include <utility>

#include "app/DocumentTexts.h"
#include "app/ErrorText.h"
#include "app/FileCommands.h"
#include "app/Language.h"
#include "app/Preconditions.h"
#include "app/StatisticsText.h"
#include "cli/Arguments.h"

namespace sonavel::cli {

namespace {

// ---------------------------------------------------------------------------------------------
// The documents as they will be when each step runs, so that ranges that depend on them
// (frequencies up to half the rate, channel numbers) are checked before anything runs.

struct TShadowDocument {
    TFormat Format;
    // The channel choice; none once an operation whose running depends on the clipboard or
    // the restore points may or may not have put it back to all channels.
    std::optional<int> ChannelItem = 0;
    std::vector<TFormat> RestorePoints;
    std::vector<TFormat> RedoPoints;
};

class TShadow {
  public:
    explicit TShadow(int maxUndos) : MaxUndos_(maxUndos) {}

    bool Empty() const { return Activation_.empty(); }
    std::size_t Count() const { return Documents_.size(); }
    TShadowDocument& Active() { return Documents_[static_cast<std::size_t>(Activation_.back())]; }
    void Add(TFormat format) {
        Documents_.push_back({format, 0, {}, {}});
        Activation_.push_back(static_cast<int>(Documents_.size()) - 1);
    }
    void Activate(int index) {
        std::erase(Activation_, index);
        Activation_.push_back(index);
    }
    void CloseActive() {
        const int index = Activation_.back();
        Activation_.pop_back();
        Documents_.erase(Documents_.begin() + index);
        for (int& i : Activation_) {
            i -= i > index ? 1 : 0;
        }
    }
    // An undoable operation: a restore point of the format before it, the channel choice
    // back to all channels.
    void Undoable(TShadowDocument& d, TFormat after) {
        if (MaxUndos_ > 0) {
            d.RestorePoints.insert(d.RestorePoints.begin(), d.Format);
            if (static_cast<int>(d.RestorePoints.size()) > MaxUndos_) {
                d.RestorePoints.pop_back();
            }
        }
        d.Format = after;
        d.ChannelItem = 0;
        d.RedoPoints.clear();
    }
    // Undo and redo move the format between the two lists.
    static void Swap(TShadowDocument& d, std::vector<TFormat>& from, std::vector<TFormat>& to) {
        if (!from.empty()) {
            to.insert(to.begin(), d.Format);
            d.Format = from.front();
            from.erase(from.begin());
            d.ChannelItem = 0;
        }
    }
    void Undo(TShadowDocument& d) { Swap(d, d.RestorePoints, d.RedoPoints); }
    void Redo(TShadowDocument& d) { Swap(d, d.RedoPoints, d.RestorePoints); }

  private:
    int MaxUndos_;
    std::vector<TShadowDocument> Documents_;
    std::vector<int> Activation_;
};

// ---------------------------------------------------------------------------------------------
// Running

// A refusal the core could only make at run time: silent ones do nothing, as in the editor.
void Fail(const TOperationResult& result) {
    if (result.Refused && !result.Message.empty()) {
        throw TScriptError(result.Message, result.Message);
    }
    if (!result.Ok && !result.Refused) {
        throw TRunError(result.Message);
    }
}

void Load(const std::string& path, const std::string& format, TAudioStream& stream,
          const std::string& language) {
    try {
        LoadFile(path, format, stream);
    } catch (const std::exception& e) {
        throw TRunError(DescribeFailure(e, language));
    }
}

// ---------------------------------------------------------------------------------------------
// The steps' own parameters (what the operation table does not describe)

constexpr std::array PathParams{TParameter{"path", "", TParamType::FilePath}};
constexpr std::array SaveModeList{TChoiceItem{"stereo", "", ""}, TChoiceItem{"joint", "", ""},
                                  TChoiceItem{"dual", "", ""}, TChoiceItem{"mono", "", ""}};
template <std::int64_t Min, std::int64_t Max>
TRange Fixed(const TFormat& /*format*/) {
    return {Min, Max};
}
constexpr std::array SaveParams{
    TParameter{"path", "", TParamType::FilePath},
    TParameter{"mode", "StereoModeBox", TParamType::Choice, nullptr, nullptr, SaveModeList},
    // Checked against the rate's table by the step.
    TParameter{"bitrate",
               "ByteRateBox",
               TParamType::Integer,
               nullptr,
               "kbit/s of the MPEG table",
               {},
               1,
               "kbit/s"},
    TParameter{"quality", "ByteRateBox", TParamType::Integer, &Fixed<0, 9>}};
constexpr std::array ChannelParams{
    TParameter{"n", "CurrentChannelBox", TParamType::Integer, nullptr, "all|0..CHANNELS-1"}};
constexpr std::array SelectParams{
    TParameter{"from", "", TParamType::Integer, &Fixed<0, 0xFFFFFFFE>},
    TParameter{"to", "", TParamType::Integer, &Fixed<1, 0xFFFFFFFF>}};
constexpr std::array CursorParams{TParameter{"at", "", TParamType::Integer, &Fixed<0, 0xFFFFFFFF>}};
constexpr std::array ActivateParams{
    TParameter{"index", "", TParamType::Integer, nullptr, "0..DOCUMENTS-1"}};
constexpr std::array SpectrumOutParams{TParameter{"out", "", TParamType::FilePath}};

using TPrepare = TAction (*)(const TStep&, TShadow&);

struct TStepInfo {
    std::string Word;
    std::vector<TParameter> Parameters;
    std::string Help;
    TPrepare Prepare = nullptr;                 // steps of the command-line tool itself
    const TOperationInfo* Operation = nullptr;  // steps of the operation table
};

TShadowDocument& ActiveDocument(const TStep& step, TShadow& shadow) {
    if (shadow.Empty()) {
        throw TScriptError(step.Word + ": нет открытого документа",
                           step.Word + ": no document is open");
    }
    return shadow.Active();
}

const std::vector<TStepInfo>& Steps();

std::span<const TParameter> ParametersOf(const TStep& step) {
    for (const TStepInfo& info : Steps()) {
        if (info.Word == step.Word) {
            return info.Parameters;
        }
    }
    return {};
}

// A file that exists and whose format is known: its format, channels and rate.
TFileFacts RecognisedFile(const TArguments& args) {
    const std::string path = args.Raw("path");
    if (!PathExists(path)) {
        args.Refuse("Файл не найден: " + path, "File not found: " + path);
    }
    const std::optional<TFileFacts> facts = ProbeFile(path);
    if (!facts) {
        args.Refuse("Формат файла не опознан: " + path, "Unknown format: " + path);
    }
    return *facts;
}

TAction PrepareOpen(const TStep& step, TShadow& shadow) {
    const TArguments args(step, ParametersOf(step));
    const TFileFacts facts = RecognisedFile(args);
    const std::string path = args.Raw("path");
    shadow.Add({facts.Channels, facts.SampleRate});
    return [path, format = facts.Format](TRunContext& c) {
        auto stream = std::make_unique<TAudioStream>();
        Load(path, format, *stream, c.Language);
        c.Workspace.AddDocument(std::move(stream), BaseName(path), path, format);
    };
}

TAction PrepareNew(const TStep& step, TShadow& shadow) {
    const TArguments args(step, ParametersOf(step));
    TDialogValues values;
    args.StoreInto(values);
    const TNewProjectValues v = values.NewProject;
    shadow.Add({static_cast<std::uint16_t>(v.nChannelsEdit), v.SamplesPerSecCB});
    return [v](TRunContext& c) {
        c.Workspace.AddDocument(std::make_unique<TAudioStream>(
                                    static_cast<std::uint16_t>(v.nChannelsEdit),
                                    static_cast<std::uint16_t>(v.nBitsCB), v.SamplesPerSecCB),
                                Pick(c.Language, "Новый проект", "New project"));
    };
}

TAction PrepareActivate(const TStep& step, TShadow& shadow) {
    const TArguments args(step, ParametersOf(step));
    ActiveDocument(step, shadow);
    const auto index = static_cast<int>(
        args.Number("index", {0, static_cast<std::int64_t>(shadow.Count()) - 1}, 0));
    shadow.Activate(index);
    return [index](TRunContext& c) { c.Workspace.Activate(index); };
}

TAction PrepareClose(const TStep& step, TShadow& shadow) {
    const TArguments args(step, ParametersOf(step));
    ActiveDocument(step, shadow);
    shadow.CloseActive();
    return [](TRunContext& c) { c.Workspace.Close(c.Workspace.Active()->Tag); };
}

struct TSaveTarget {
    std::string Path;
    std::string Format;
    TMp3Settings Mp3;
};

TSaveTarget SaveTarget(const TArguments& args, std::uint32_t rate) {
    TSaveTarget target;
    target.Path = args.Raw("path");
    std::string lower = target.Path;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    const auto endsWith = [&](const std::string& ext) {
        return lower.size() > ext.size() &&
               lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0;
    };
    if (endsWith(".wav")) {
        target.Format = PcmFormat;
        if (args.Given("quality") || args.Given("bitrate") || args.Given("mode")) {
            args.Refuse("параметры MP3 для файла WAV", "MP3 settings given for a WAV file");
        }
        return target;
    }
    if (!endsWith(".mp3")) {
        args.Refuse("имя должно оканчиваться на .wav или .mp3",
                    "the name must end in .wav or .mp3");
    }
    target.Format = Mp3Format;
    target.Mp3.StereoMode = static_cast<TStereoMode>(args.Given("mode") ? args.Number("mode") : 1);
    if (args.Given("quality") && args.Given("bitrate")) {
        args.Refuse("bitrate= и quality= вместе", "bitrate= and quality= together");
    }
    const std::vector<std::uint16_t> table = Mp3ConstantBitrates(rate);
    if (args.Given("quality")) {
        target.Mp3.BitrateType = TBitrateType::Variable;
        target.Mp3.Quality = static_cast<std::uint8_t>(args.Number("quality"));
        return target;
    }
    target.Mp3.BitrateType = TBitrateType::Constant;
    const auto bitrate = args.Number("bitrate", {1, 100000}, table[9]);
    if (std::find(table.begin(), table.end(), bitrate) == table.end()) {
        std::string list;
        for (const auto b : table) {
            list += (list.empty() ? "" : " ") + std::to_string(b);
        }
        args.Refuse("bitrate=" + std::to_string(bitrate) + ": ожидается одно из " + list,
                    "bitrate=" + std::to_string(bitrate) + ": expected one of " + list);
    }
    target.Mp3.Bitrate = static_cast<std::uint16_t>(bitrate);
    return target;
}

void Save(TRunContext& c, TAudioStream& stream, const TSaveTarget& target) {
    const TSaveResult saved =
        SaveStream(stream, target.Path, target.Format, target.Mp3, c.Language);
    if (!saved.Ok) {
        throw TRunError(saved.Message);
    }
}

TAction PrepareSave(const TStep& step, TShadow& shadow) {
    const TShadowDocument& d = ActiveDocument(step, shadow);
    const TArguments args(step, ParametersOf(step));
    return [target = SaveTarget(args, d.Format.SampleRate)](TRunContext& c) {
        TDocument& doc = *c.Workspace.Active();
        Save(c, *doc.Stream, target);
        doc.FileName = target.Path;
        doc.FileFormat = target.Format;
        doc.Modified = false;
    };
}

// A last save to a WAV file straight after a change of bit depth: the file is written from the
// samples as stored, converted on the way, so the document is not converted first (a pass over
// the audio fewer). Nothing after it could see the document's width. Empty for an MP3 target.
std::optional<TAction> PrepareSaveAtWidth(const TStep& step, TShadow& shadow, std::uint8_t bits) {
    const TShadowDocument& d = ActiveDocument(step, shadow);
    const TArguments args(step, ParametersOf(step));
    TSaveTarget target = SaveTarget(args, d.Format.SampleRate);
    if (target.Format != PcmFormat) {
        return std::nullopt;
    }
    return [target = std::move(target), bits](TRunContext& c) {
        TDocument& doc = *c.Workspace.Active();
        const TSaveResult saved =
            SaveStream(*doc.Stream, target.Path, target.Format, target.Mp3, c.Language, bits);
        if (!saved.Ok) {
            throw TRunError(saved.Message);
        }
        doc.FileName = target.Path;
        doc.FileFormat = target.Format;
        doc.Modified = false;
    };
}

TAction PrepareChannel(const TStep& step, TShadow& shadow) {
    TShadowDocument& d = ActiveDocument(step, shadow);
    const TArguments args(step, ParametersOf(step));
    const std::string n = args.Raw("n");
    std::int64_t channel = 0;
    int item = 0;
    if (n != "all") {
        if (!ParseInteger(n, channel) || channel < 0 || channel >= d.Format.Channels) {
            const std::string allowed = "all | 0.." + std::to_string(d.Format.Channels - 1);
            args.Refuse("n=" + n + ": ожидается " + allowed, "n=" + n + ": expected " + allowed);
        }
        item = static_cast<int>(channel) + 1;
    }
    d.ChannelItem = item;
    return [item](TRunContext& c) { c.Workspace.Active()->ChannelItem = item; };
}

TAction PrepareSelect(const TStep& step, TShadow& shadow) {
    ActiveDocument(step, shadow);
    const TArguments args(step, ParametersOf(step));
    if (!args.Given("from") || !args.Given("to") || args.Number("from") >= args.Number("to")) {
        args.Refuse("нужны from=S to=E, S < E", "needs from=S to=E with S < E");
    }
    const auto from = static_cast<std::uint32_t>(args.Number("from"));
    const auto to = static_cast<std::uint32_t>(args.Number("to"));
    return [from, to](TRunContext& c) {
        TDocument& d = *c.Workspace.Active();
        if (to >= d.SampleCount) {
            throw TScriptError("select: конец " + std::to_string(to) + " за пределами документа (" +
                                   std::to_string(d.SampleCount) + " отсчетов)",
                               "select: end " + std::to_string(to) + " is past the document (" +
                                   std::to_string(d.SampleCount) + " samples)");
        }
        d.Select(from, to);
    };
}

TAction PrepareDeselect(const TStep& step, TShadow& shadow) {
    ActiveDocument(step, shadow);
    const TArguments args(step, ParametersOf(step));
    return [](TRunContext& c) { c.Workspace.Active()->ClearSelection(); };
}

TAction PrepareCursor(const TStep& step, TShadow& shadow) {
    ActiveDocument(step, shadow);
    const TArguments args(step, ParametersOf(step));
    const auto at = static_cast<std::uint32_t>(args.Given("at") ? args.Number("at") : 0);
    return [at](TRunContext& c) {
        TDocument& d = *c.Workspace.Active();
        if (at > 0 && at >= d.SampleCount) {
            throw TScriptError("cursor: позиция " + std::to_string(at) + " за пределами документа",
                               "cursor: position " + std::to_string(at) + " is past the document");
        }
        d.CursorPos = at;
    };
}

TAction PrepareInfo(const TStep& step, TShadow& shadow) {
    ActiveDocument(step, shadow);
    const TArguments args(step, ParametersOf(step));
    return [](TRunContext& c) {
        c.Out << ShowProperties(c.Language, *c.Workspace.Active()->Stream).value_or("") << '\n';
    };
}

// ---------------------------------------------------------------------------------------------
// Operations of the table: the values go into the workspace's dialog record, then the
// dispatcher runs. A few steps do something around it.

std::string SpectrumCsv(const std::vector<TComplex>& data, std::uint32_t rate, std::uint32_t size) {
    std::string csv = "bin,hz,magnitude\n";
    for (std::size_t j = 0; j < data.size(); ++j) {
        const long double hz = static_cast<long double>(j) * rate / static_cast<long double>(size);
        const long double magnitude = std::sqrt(data[j].Re * data[j].Re + data[j].Im * data[j].Im);
        std::array<char, 96> row{};
        std::snprintf(row.data(), row.size(), "%zu,%.3Lf,%.6Lf\n", j, hz, magnitude);
        csv += row.data();
    }
    return csv;
}

// What runs around the dispatcher for the steps that need more than the operation.
TAction Around(TOperation operation, const TArguments& args, const TDialogValues& values,
               const TShadowDocument& d, TAction run) {
    switch (operation) {
        case TOperation::AllAnalys:
            return [run](TRunContext& c) {
                run(c);
                for (const auto& line : StatisticsLines(c.Workspace.Statistics, c.Language)) {
                    c.Out << line << '\n';
                }
            };
        case TOperation::FreqAnalys:
            return [run, out = args.Raw("out")](TRunContext& c) {
                run(c);
                const std::uint32_t rate = c.Workspace.Active()->Stream->SampleRate;
                const std::string csv = SpectrumCsv(c.Workspace.SpectrumData, rate,
                                                    c.Workspace.Dialogs.SpectraAnalys.FFTSizeBox);
                const TSaveResult saved = SaveText(out, csv, c.Language);
                if (!saved.Ok) {
                    throw TRunError(saved.Message);
                }
            };
        case TOperation::InsFromFile:
            return [run, path = args.Raw("path"),
                    format = RecognisedFile(args).Format](TRunContext& c) {
                auto transfer = std::make_unique<TAudioStream>();
                Load(path, format, *transfer, c.Language);
                c.Workspace.TransferStream = std::move(transfer);
                try {
                    run(c);
                } catch (...) {
                    c.Workspace.TransferStream.reset();
                    throw;
                }
                c.Workspace.TransferStream.reset();
            };
        case TOperation::SaveSelection:
            return [run, target = SaveTarget(args, d.Format.SampleRate)](TRunContext& c) {
                run(c);
                const std::unique_ptr<TAudioStream> selection =
                    std::move(c.Workspace.TransferStream);
                if (selection) {
                    Save(c, *selection, target);
                }
            };
        case TOperation::ConnectFiles:
        case TOperation::MixFiles:
            return [run, operation,
                    v = operation == TOperation::ConnectFiles ? values.ConnectFiles
                                                              : values.MixFiles](TRunContext& c) {
                TWorkspace& w = c.Workspace;
                // The sources in order of last activation, taken before the new document joins
                // them.
                const std::vector<TDocument*> sources = w.ActivationOrder();
                w.AddDocument(
                    std::make_unique<TAudioStream>(static_cast<std::uint16_t>(v.ChnBox),
                                                   static_cast<std::uint16_t>(v.BitBox), v.HzBox),
                    Pick(c.Language, "Новый проект", "New project"));
                (operation == TOperation::ConnectFiles ? w.Dialogs.ConnectFiles
                                                       : w.Dialogs.MixFiles)
                    .Order = sources;
                run(c);
            };
        default:
            return run;
    }
}

// The width a bits step asks for, as its action would pass it on.
std::uint8_t BitsOf(const TStepInfo& step, const TStep& given, TShadow& shadow) {
    const TArguments args(given, step.Parameters, ActiveDocument(given, shadow).Format);
    TDialogValues values;
    args.StoreInto(values);
    return static_cast<std::uint8_t>(values.ChangeBits.NewValue);
}

TAction PrepareOperation(const TStepInfo& step, const TStep& given, TShadow& shadow) {
    const TOperationInfo& info = *step.Operation;
    const TOperation operation = info.Operation;
    const bool newDocument =
        operation == TOperation::ConnectFiles || operation == TOperation::MixFiles;
    TShadowDocument& d = ActiveDocument(given, shadow);
    const TArguments args(given, step.Parameters, newDocument ? TFormat{} : d.Format);
    TDialogValues values;
    args.StoreInto(values);
    if (info.Settle != nullptr) {
        info.Settle(values);
    }
    if (info.Check != nullptr) {
        if (const auto problem = info.Check(values, d.Format)) {
            args.Refuse(*problem);
        }
    }
    // What can be known before running: deleting needs one chosen channel of several.
    if (d.ChannelItem) {
        const TConditionState state{
            .HasDocument = true, .Channels = d.Format.Channels, .ChannelItem = *d.ChannelItem};
        const TRefusal refusal = Refusal(info.Requirements & NeedsOneOfSeveralChannels, state);
        if (refusal.Refused) {
            throw TScriptError(given.Word + ": " + refusal.Message.Russian,
                               given.Word + ": " + refusal.Message.English);
        }
    }

    TAction run = [operation, values, params = step.Parameters](TRunContext& c) {
        for (const TParameter& p : params) {
            if (p.Store != nullptr) {
                p.Store(c.Workspace.Dialogs, p.Load(values));
            }
        }
        Fail(Execute(c.Workspace, operation, c.Observer));
    };
    TAction action = Around(operation, args, values, d, std::move(run));

    if (newDocument) {
        const TFilesValues& v =
            operation == TOperation::ConnectFiles ? values.ConnectFiles : values.MixFiles;
        shadow.Add({static_cast<std::uint16_t>(v.ChnBox), v.HzBox});
    } else if (operation == TOperation::Undo) {
        shadow.Undo(d);
    } else if (operation == TOperation::Redo) {
        shadow.Redo(d);
    } else if (info.Undoable) {
        shadow.Undoable(
            d, info.FormatAfter != nullptr ? info.FormatAfter(d.Format, values) : d.Format);
        // Whether these run is known only when they do.
        if ((info.Requirements & (NeedsClipboard | NeedsRestorePoint)) != 0) {
            d.ChannelItem.reset();
        }
    }
    return action;
}

// ---------------------------------------------------------------------------------------------
// The step table

std::vector<TParameter> Joined(std::span<const TParameter> a, std::span<const TParameter> b = {}) {
    std::vector<TParameter> all(a.begin(), a.end());
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

std::vector<TStepInfo> MakeSteps() {
    std::vector<TStepInfo> steps{
        {"open", Joined(PathParams), "a .wav (PCM) or .mp3 file", &PrepareOpen},
        {"new", Joined(NewProjectParameters()), "an empty document", &PrepareNew},
        {"activate", Joined(ActivateParams), "the N-th opened document (0-based)",
         &PrepareActivate},
        {"close", {}, "closes the active document", &PrepareClose},
        {"save", Joined(SaveParams),
         ".wav writes PCM, .mp3 writes MP3 (constant bit rate, default 160, or 96 below 32 kHz; or "
         "variable "
         "quality 0..9); other names are refused",
         &PrepareSave},
        {"channel", Joined(ChannelParams), "the channel the next operation works on (0-based)",
         &PrepareChannel},
        {"select", Joined(SelectParams), "selects samples S..E inclusive (S < E)", &PrepareSelect},
        {"deselect", {}, "no selection: operations take the whole document", &PrepareDeselect},
        {"cursor", Joined(CursorParams), "the cursor (where pastes, silence and tones go)",
         &PrepareCursor},
        {"info", {}, "prints the document's properties line", &PrepareInfo},
    };
    for (const TOperationInfo& info : Operations()) {
        if (info.CliWord == nullptr) {
            continue;
        }
        std::span<const TParameter> extra;
        if (info.Operation == TOperation::FreqAnalys) {
            extra = SpectrumOutParams;
        } else if (info.Operation == TOperation::SaveSelection) {
            extra = SaveParams;
        }
        steps.push_back({info.CliWord, Joined(info.Parameters, extra), info.Help, nullptr, &info});
    }
    return steps;
}

const std::vector<TStepInfo>& Steps() {
    static const std::vector<TStepInfo> steps = MakeSteps();
    return steps;
}

const TStepInfo* FindStep(const std::string& word) {
    const auto& steps = Steps();
    const auto it = std::find_if(steps.begin(), steps.end(),
                                 [&](const TStepInfo& s) { return s.Word == word; });
    return it == steps.end() ? nullptr : &*it;
}

std::string DefaultText(const TParameter& p) {
    if (p.Load == nullptr) {
        return p.Type == TParamType::FilePath ? "FILE" : "";
    }
    const TValue value = p.Default();
    switch (p.Type) {
        case TParamType::Choice:
            return p.Items[static_cast<std::size_t>(std::get<std::int64_t>(value))].Word;
        case TParamType::YesNo:
            return std::get<std::int64_t>(value) != 0 ? "yes" : "no";
        case TParamType::NumberList:
            return std::to_string(std::get<std::vector<std::int64_t>>(value).front()) + ",...";
        case TParamType::Integer:
            if (p.Range != nullptr && p.RangeText != nullptr) {
                return "";  // depends on the document: the range says it
            }
            return std::to_string(std::get<std::int64_t>(value));
        case TParamType::FilePath:
            break;
    }
    return "";
}

}  // namespace

bool IsStepWord(const std::string& word) {
    return FindStep(word) != nullptr;
}

std::vector<TAction> PrepareScript(const TScript& script) {
    TShadow shadow(script.MaxUndos);
    std::vector<TAction> actions;
    std::uint8_t lastBits = 0;  // the width a bits step just asked for; 0 after any other step
    for (std::size_t i = 0; i < script.Steps.size(); ++i) {
        const TStep& step = script.Steps[i];
        const TStepInfo* info = FindStep(step.Word);
        if (info == nullptr) {
            throw TScriptError("Неизвестная команда " + step.Word, "Unknown step " + step.Word);
        }
        const bool last = i + 1 == script.Steps.size();
        if (last && lastBits != 0 && step.Word == "save") {
            if (auto fused = PrepareSaveAtWidth(step, shadow, lastBits)) {
                actions.back() = std::move(*fused);
                break;
            }
        }
        lastBits = 0;
        if (info->Operation != nullptr && info->Operation->Operation == TOperation::nBitsChange) {
            lastBits = BitsOf(*info, step, shadow);
        }
        actions.push_back(info->Prepare != nullptr ? info->Prepare(step, shadow)
                                                   : PrepareOperation(*info, step, shadow));
    }
    return actions;
}

std::string StepsHelp() {
    std::string help;
    for (const TStepInfo& step : Steps()) {
        help += "  " + step.Word;
        for (const TParameter& p : step.Parameters) {
            const std::string value = DefaultText(p);
            const std::string allowed = AllowedText(p, {});
            help += std::string(" ") + p.Key + "=" + (value.empty() ? allowed : value);
            if (!value.empty() && !allowed.empty() && allowed != value &&
                p.Type != TParamType::FilePath) {
                help += " (" + allowed + (p.Unit[0] != '\0' ? std::string(" ") + p.Unit : "") + ")";
            }
        }
        help += "\n      " + step.Help + "\n";
    }
    return help;
}

}  // namespace sonavel::cli
