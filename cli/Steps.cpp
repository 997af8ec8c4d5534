#include "cli/Steps.h"

#include <cmath>
#include <fstream>
#include <optional>
#include <ostream>
#include <utility>

#include "app/DocumentTexts.h"
#include "app/ErrorText.h"
#include "app/FileCommands.h"
#include "app/Language.h"
#include "app/StatisticsText.h"
#include "cli/Arguments.h"
#include "formats/MP3Utils.h"
#include "formats/Mp3Writer.h"
#include "platform/ReplacingFile.h"

namespace sonavel::cli {

namespace {

const std::vector<std::uint32_t> DialogRates = {8000,  11025, 22050, 32000, 44100,
                                                48000, 64000, 88200, 96000, 192000};

const std::vector<std::string> StepWords = {
    "open",    "new",      "join",    "mix",       "activate",   "close",        "save",     "save-selection",
    "channel", "select",   "deselect", "cursor",   "copy",       "cut",          "paste",    "paste-mix",
    "paste-overwrite", "undo", "delete", "erase",  "silence",    "speed",        "volume",   "normalize",
    "fade-in", "fade-out", "reverse", "invert",    "echo",       "reverb",       "equalize", "filter",
    "offset",  "stretch",  "samplerate", "bits",   "add-channel", "delete-channel", "brainwaves", "rotate",
    "tone",    "noise",    "insert-file", "stats", "spectrum",   "info"};

// The format of each document as it will be when a step runs, so that ranges that depend on
// it (frequencies up to half the rate, channel numbers) are checked before anything runs.
struct TShadowFormat {
    std::uint16_t Channels = 0;
    std::uint32_t Rate = 0;
};

struct TShadowDocument {
    TShadowFormat Format;
    int ChannelItem = 0;
    std::vector<TShadowFormat> RestorePoints;
};

class TShadow {
public:
    explicit TShadow(int maxUndos) : MaxUndos_(maxUndos) {}

    TShadowDocument& Active(const TArguments& args) {
        if (Activation_.empty()) {
            args.Refuse("нет открытого документа", "no document is open");
        }
        return Documents_[static_cast<std::size_t>(Activation_.back())];
    }
    void Add(TShadowFormat format) {
        Documents_.push_back({format, 0, {}});
        Activation_.push_back(static_cast<int>(Documents_.size()) - 1);
    }
    std::size_t Count() const { return Documents_.size(); }
    void Activate(int index) {
        std::erase(Activation_, index);
        Activation_.push_back(index);
    }
    void CloseActive() {
        const int index = Activation_.back();
        Activation_.pop_back();
        Documents_.erase(Documents_.begin() + index);
        for (int& i : Activation_) {
            if (i > index) {
                --i;
            }
        }
    }
    // An undoable operation: a restore point of the format before it, the channel choice
    // back to all channels.
    void Undoable(TShadowDocument& d, TShadowFormat after) {
        if (MaxUndos_ > 0) {
            d.RestorePoints.insert(d.RestorePoints.begin(), d.Format);
            if (static_cast<int>(d.RestorePoints.size()) > MaxUndos_) {
                d.RestorePoints.pop_back();
            }
        }
        d.Format = after;
        d.ChannelItem = 0;
    }
    void Undo(TShadowDocument& d) {
        if (!d.RestorePoints.empty()) {
            d.Format = d.RestorePoints.front();
            d.RestorePoints.erase(d.RestorePoints.begin());
            d.ChannelItem = 0;
        }
    }

private:
    int MaxUndos_;
    std::vector<TShadowDocument> Documents_;
    std::vector<int> Activation_;
};

void Fail(const TOperationResult& result) {
    if (!result.Ok) {
        throw TRunError(result.Message);
    }
}

TAction Operation(TOperation operation) {
    return [operation](TRunContext& c) { Fail(Execute(c.Workspace, operation, c.Observer)); };
}

// Runs an operation after the step's values are put into its dialog's record.
template <typename Fill>
TAction OperationWith(TOperation operation, Fill fill) {
    return [operation, fill](TRunContext& c) {
        fill(c.Workspace.Dialogs);
        Fail(Execute(c.Workspace, operation, c.Observer));
    };
}

TShadowFormat NewFormat(TArguments& args, std::uint16_t& bits) {
    const auto channels = static_cast<std::uint16_t>(args.Int("channels", 2, 1, 8));
    const int rateIndex = static_cast<int>(args.Choice(
        "rate", {"8000", "11025", "22050", "32000", "44100", "48000", "64000", "88200", "96000", "192000"}, 4));
    bits = static_cast<std::uint16_t>(8 * (1 + args.Choice("bits", {"8", "16", "24", "32"}, 1)));
    return {channels, DialogRates[static_cast<std::size_t>(rateIndex)]};
}

std::string RecognisedFile(TArguments& args, TShadowFormat* format) {
    const std::string path = args.Required("path");
    if (!PathExists(path)) {
        args.Refuse("Файл не найден: " + path, "File not found: " + path);
    }
    const std::optional<TFileFacts> facts = ProbeFile(path);
    if (!facts) {
        args.Refuse("Формат файла не опознан: " + path, "Unknown format: " + path);
    }
    if (format != nullptr) {
        format->Channels = facts->Channels;
        format->Rate = facts->SampleRate;
    }
    return facts->Format;
}

struct TSaveTarget {
    std::string Path;
    std::string Format;
    TMp3Settings Mp3;
};

TSaveTarget SaveTarget(TArguments& args, std::uint32_t rate) {
    TSaveTarget target;
    target.Path = args.Required("path");
    std::string lower = target.Path;
    for (char& ch : lower) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    const auto endsWith = [&](const char* ext) {
        const std::string e = ext;
        return lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
    };
    const int mode = args.Choice("mode", {"stereo", "joint", "dual", "mono"}, 1);
    const bool hasQuality = args.Has("quality");
    const bool hasBitrate = args.Has("bitrate");
    if (endsWith(".wav")) {
        target.Format = PcmFormat;
        if (hasQuality || hasBitrate || args.Has("mode")) {
            args.Refuse("параметры MP3 для файла WAV", "MP3 settings given for a WAV file");
        }
        return target;
    }
    if (!endsWith(".mp3")) {
        args.Refuse("имя должно оканчиваться на .wav или .mp3", "the name must end in .wav or .mp3");
    }
    target.Format = Mp3Format;
    target.Mp3.StereoMode = static_cast<TStereoMode>(mode);
    if (hasQuality && hasBitrate) {
        args.Refuse("bitrate= и quality= вместе", "bitrate= and quality= together");
    }
    const auto& table = ConstantBitrates(rate);
    if (hasQuality) {
        target.Mp3.BitrateType = TBitrateType::Variable;
        target.Mp3.Quality = static_cast<std::uint8_t>(args.Int("quality", 4, 0, 9));
    } else {
        target.Mp3.BitrateType = TBitrateType::Constant;
        const auto bitrate = static_cast<std::uint16_t>(args.Int("bitrate", table[9], 1, 100000));
        if (std::find(table.begin(), table.end(), bitrate) == table.end()) {
            std::string list;
            for (const auto b : table) {
                list += (list.empty() ? "" : " ") + std::to_string(b);
            }
            args.Refuse("bitrate=" + std::to_string(bitrate) + ": ожидается одно из " + list,
                        "bitrate=" + std::to_string(bitrate) + ": expected one of " + list);
        }
        target.Mp3.Bitrate = bitrate;
    }
    return target;
}

TAction SaveAction(const TSaveTarget& target, bool selectionOnly) {
    return [target, selectionOnly](TRunContext& c) {
        TWorkspace& w = c.Workspace;
        TDocument& d = *w.Active();
        TAudioStream* stream = d.Stream.get();
        if (selectionOnly) {
            Fail(Execute(w, TOperation::CopySelection, c.Observer));
            stream = w.TransferStream.get();
        }
        const TSaveResult saved = SaveStream(*stream, target.Path, target.Format, target.Mp3, c.Language);
        if (selectionOnly) {
            w.TransferStream.reset();
        }
        if (!saved.Ok) {
            throw TRunError(saved.Message);
        }
        if (!selectionOnly) {
            d.FileName = target.Path;
            d.FileFormat = target.Format;
            d.Modified = false;
        }
    };
}

// The generators' length must fit the 32-bit sample count of a document.
void CheckGeneratorLength(TArguments& args, std::int64_t seconds, std::uint32_t rate) {
    if (static_cast<std::uint64_t>(seconds) * rate > UINT32_MAX) {
        args.Refuse("слишком длинный сигнал: " + std::to_string(seconds) + " с при " + std::to_string(rate) + " Гц",
                    "too long: " + std::to_string(seconds) + " s at " + std::to_string(rate) + " Hz exceeds " +
                        "4294967295 samples");
    }
}

TAction PrepareStep(const TStep& step, TShadow& shadow) {
    TArguments args(step);
    const std::string& w = step.Word;
    TAction action;

    if (w == "open") {
        TShadowFormat format;
        const std::string fileFormat = RecognisedFile(args, &format);
        const std::string path = args.Text("path");
        shadow.Add(format);
        action = [path, fileFormat](TRunContext& c) {
            auto stream = std::make_unique<TAudioStream>();
            try {
                LoadFile(path, fileFormat, *stream);
            } catch (const std::exception& e) {
                throw TRunError(DescribeFailure(e, c.Language));
            }
            c.Workspace.AddDocument(std::move(stream), BaseName(path), path, fileFormat);
        };
    } else if (w == "new" || w == "join" || w == "mix") {
        std::uint16_t bits = 16;
        const TShadowFormat format = NewFormat(args, bits);
        if (w != "new" && shadow.Count() == 0) {
            args.Refuse("нет открытых документов", "no document is open");
        }
        shadow.Add(format);
        const bool join = w == "join";
        const bool newOnly = w == "new";
        action = [format, bits, join, newOnly](TRunContext& c) {
            TWorkspace& ws = c.Workspace;
            // The sources in order of last activation, taken before the new document joins them.
            const std::vector<TDocument*> sources = ws.ActivationOrder();
            ws.AddDocument(std::make_unique<TAudioStream>(format.Channels, bits, format.Rate),
                           Pick(c.Language, "Новый проект", "New project"));
            if (newOnly) {
                return;
            }
            TFilesValues& values = join ? ws.Dialogs.ConnectFiles : ws.Dialogs.MixFiles;
            values.Order = sources;
            Fail(Execute(ws, join ? TOperation::JoinFiles : TOperation::MixFiles, c.Observer));
        };
    } else if (w == "activate") {
        if (shadow.Count() == 0) {
            args.Refuse("нет открытых документов", "no document is open");
        }
        const auto index = static_cast<int>(args.Int("index", 0, 0, static_cast<std::int64_t>(shadow.Count()) - 1));
        shadow.Activate(index);
        action = [index](TRunContext& c) { c.Workspace.Activate(index); };
    } else if (w == "close") {
        shadow.Active(args);
        shadow.CloseActive();
        action = [](TRunContext& c) { c.Workspace.Close(c.Workspace.Active()->Tag); };
    } else if (w == "save" || w == "save-selection") {
        const TShadowDocument& d = shadow.Active(args);
        action = SaveAction(SaveTarget(args, d.Format.Rate), w == "save-selection");
    } else if (w == "channel") {
        TShadowDocument& d = shadow.Active(args);
        const std::string n = args.Required("n");
        std::int64_t channel = 0;
        int item = 0;
        if (n != "all") {
            if (!ParseInteger(n, channel) || channel < 0 || channel >= d.Format.Channels) {
                args.Refuse("n=" + n + ": ожидается all или 0.." + std::to_string(d.Format.Channels - 1),
                            "n=" + n + ": expected all or 0.." + std::to_string(d.Format.Channels - 1));
            }
            item = static_cast<int>(channel) + 1;
        }
        d.ChannelItem = item;
        action = [item](TRunContext& c) { c.Workspace.Active()->ChannelItem = item; };
    } else if (w == "select") {
        shadow.Active(args);
        const auto from = static_cast<std::uint32_t>(args.Int("from", 0, 0, UINT32_MAX - 1));
        const auto to = static_cast<std::uint32_t>(args.Int("to", 0, 0, UINT32_MAX));
        if (!args.Has("from") || !args.Has("to") || from >= to) {
            args.Refuse("нужны from=S to=E, S < E", "needs from=S to=E with S < E");
        }
        action = [from, to](TRunContext& c) {
            TDocument& d = *c.Workspace.Active();
            if (to >= d.SampleCount) {
                throw TScriptError("select: конец " + std::to_string(to) + " за пределами документа (" +
                                       std::to_string(d.SampleCount) + " отсчетов)",
                                   "select: end " + std::to_string(to) + " is past the document (" +
                                       std::to_string(d.SampleCount) + " samples)");
            }
            d.Select(from, to);
        };
    } else if (w == "deselect") {
        shadow.Active(args);
        action = [](TRunContext& c) { c.Workspace.Active()->ClearSelection(); };
    } else if (w == "cursor") {
        shadow.Active(args);
        const auto at = static_cast<std::uint32_t>(args.Int("at", 0, 0, UINT32_MAX));
        action = [at](TRunContext& c) {
            TDocument& d = *c.Workspace.Active();
            if (at > 0 && at >= d.SampleCount) {
                throw TScriptError("cursor: позиция " + std::to_string(at) + " за пределами документа",
                                   "cursor: position " + std::to_string(at) + " is past the document");
            }
            d.CursorPos = at;
        };
    } else if (w == "copy" || w == "stats" || w == "info") {
        shadow.Active(args);
        if (w == "copy") {
            action = Operation(TOperation::CopyToClipboard);
        } else if (w == "stats") {
            action = [](TRunContext& c) {
                Fail(Execute(c.Workspace, TOperation::GeneralAnalysis, c.Observer));
                for (const auto& line : StatisticsLines(c.Workspace.Statistics, c.Language)) {
                    c.Out << line << '\n';
                }
            };
        } else {
            action = [](TRunContext& c) {
                TAudioStream& s = *c.Workspace.Active()->Stream;
                c.Out << ShowProperties(c.Language, s).value_or("") << '\n';
            };
        }
    } else if (w == "undo") {
        shadow.Undo(shadow.Active(args));
        action = Operation(TOperation::Undo);
    } else if (w == "spectrum") {
        shadow.Active(args);
        const auto size = args.Int("size", 2048, 2, 65536);
        if ((size & (size - 1)) != 0) {
            args.Refuse("size=" + std::to_string(size) + ": ожидается степень двойки 2..65536",
                        "size=" + std::to_string(size) + ": expected a power of two 2..65536");
        }
        const std::string out = args.Required("out");
        action = [size, out](TRunContext& c) {
            c.Workspace.Dialogs.SpectraAnalys.FFTSizeBox = std::to_string(size);
            Fail(Execute(c.Workspace, TOperation::SpectrumAnalysis, c.Observer));
            const std::uint32_t rate = c.Workspace.Active()->Stream->SampleRate;
            std::string csv = "bin,hz,magnitude\n";
            const auto& data = c.Workspace.SpectrumData;
            for (std::size_t j = 0; j < data.size(); ++j) {
                const long double hz = static_cast<long double>(j) * rate / static_cast<long double>(size);
                const long double magnitude = std::sqrt(data[j].Re * data[j].Re + data[j].Im * data[j].Im);
                char row[96];
                std::snprintf(row, sizeof row, "%zu,%.3Lf,%.6Lf\n", j, hz, magnitude);
                csv += row;
            }
            try {
                TReplacingFile file(out);
                file.File().WriteAt(csv.data(), csv.size(), 0);
                file.Commit();
            } catch (const std::exception& e) {
                throw TRunError(DescribeFailure(e, c.Language));
            }
        };
    } else if (w == "insert-file") {
        TShadowDocument& d = shadow.Active(args);
        RecognisedFile(args, nullptr);
        const std::string path = args.Text("path");
        std::string format = RecogniseFormat(path);
        shadow.Undoable(d, d.Format);
        action = [path, format](TRunContext& c) {
            auto transfer = std::make_unique<TAudioStream>();
            try {
                LoadFile(path, format, *transfer);
            } catch (const std::exception& e) {
                throw TRunError(DescribeFailure(e, c.Language));
            }
            c.Workspace.TransferStream = std::move(transfer);
            const TOperationResult result = Execute(c.Workspace, TOperation::InsertFile, c.Observer);
            c.Workspace.TransferStream.reset();
            Fail(result);
        };
    } else {
        // Undoable operations on the active document.
        TShadowDocument& d = shadow.Active(args);
        TShadowFormat after = d.Format;
        const std::uint32_t maxFrequency = d.Format.Rate / 2;
        if (w == "cut") {
            action = Operation(TOperation::Cut);
        } else if (w == "paste" || w == "paste-mix" || w == "paste-overwrite") {
            action = Operation(w == "paste" ? TOperation::PasteInsert
                               : w == "paste-mix" ? TOperation::PasteMix
                                                  : TOperation::PasteOverwrite);
        } else if (w == "delete") {
            action = Operation(TOperation::DeleteFragment);
        } else if (w == "erase") {
            action = Operation(TOperation::EraseFragment);
        } else if (w == "normalize") {
            action = Operation(TOperation::Normalize);
        } else if (w == "fade-in") {
            action = Operation(TOperation::FadeIn);
        } else if (w == "fade-out") {
            action = Operation(TOperation::FadeOut);
        } else if (w == "reverse") {
            action = Operation(TOperation::Reverse);
        } else if (w == "invert") {
            action = Operation(TOperation::Invert);
        } else if (w == "add-channel") {
            ++after.Channels;
            action = Operation(TOperation::AddChannel);
        } else if (w == "delete-channel") {
            if (d.Format.Channels <= 1 || d.ChannelItem == 0) {
                throw TScriptError(std::string(w) + ": " + CannotDeleteAllChannelsText,
                                   std::string(w) + ": " + CannotDeleteAllChannelsText);
            }
            --after.Channels;
            action = Operation(TOperation::DeleteChannel);
        } else if (w == "silence") {
            const int ms = static_cast<int>(args.Int("ms", 1000, 1, 30000));
            action = OperationWith(TOperation::InsertSilence, [ms](TDialogValues& v) { v.InsertSilence.LongEdit = ms; });
        } else if (w == "speed") {
            const int percent = static_cast<int>(args.Int("percent", 100, 20, 1000));
            const int algorithm = args.Choice("algorithm", {"simple", "timbre"}, 0);
            const bool glide = args.Choice("glide", {"no", "yes"}, 0) == 1;
            action = OperationWith(TOperation::SetSpeed, [=](TDialogValues& v) {
                v.SetSpeed = {percent, algorithm, glide};
            });
        } else if (w == "volume") {
            const int percent = static_cast<int>(args.Int("percent", 100, 0, 999));
            action = OperationWith(TOperation::SetVolume, [percent](TDialogValues& v) { v.SetVolume.VolumeEdit = percent; });
        } else if (w == "echo") {
            const int count = static_cast<int>(args.Int("count", 2, 1, 8));
            const int delay = static_cast<int>(args.Int("delay", 400, 1, 1000));
            const int volume = static_cast<int>(args.Int("volume", 75, 0, 100));
            action = OperationWith(TOperation::AddEcho, [=](TDialogValues& v) { v.AddEcho = {count, delay, volume}; });
        } else if (w == "reverb") {
            const int count = static_cast<int>(args.Int("count", 4, 1, 8));
            const int delay = static_cast<int>(args.Int("delay", 8, 1, 500));
            const int volume = static_cast<int>(args.Int("volume", 95, 0, 100));
            action = OperationWith(TOperation::Reverberation,
                                   [=](TDialogValues& v) { v.Revebration = {count, delay, volume}; });
        } else if (w == "equalize") {
            if (maxFrequency < 34) {
                args.Refuse("частота дискретизации слишком мала", "the sample rate is too low");
            }
            const auto from = static_cast<int>(args.Int("from", 1, 1, maxFrequency - 32));
            const auto to = static_cast<int>(args.Int("to", maxFrequency, 33, maxFrequency));
            if (from >= to) {
                args.Refuse("from должно быть меньше to", "from must be below to");
            }
            const auto gains = args.IntList("gains", 16, 100, 0, 200);
            action = OperationWith(TOperation::Equalize, [=](TDialogValues& v) {
                v.Equalize.MaxFrequency = maxFrequency;
                v.Equalize.StFrqEd = from;
                v.Equalize.FnFrqEd = to;
                for (std::size_t i = 0; i < 16; ++i) {
                    v.Equalize.Gains[i] = static_cast<std::uint8_t>(gains[i]);
                }
            });
        } else if (w == "filter") {
            if (maxFrequency < 1) {
                args.Refuse("частота дискретизации слишком мала", "the sample rate is too low");
            }
            auto low = static_cast<int>(args.Int("low", 1, 1, maxFrequency));
            auto high = static_cast<int>(args.Int("high", maxFrequency, 1, maxFrequency));
            if (high < low) {
                std::swap(low, high);  // as the dialog's OK does
            }
            const bool keep = args.Choice("mode", {"keep", "remove"}, 0) == 0;
            action = OperationWith(TOperation::FilterBand, [=](TDialogValues& v) { v.SelDelSpectra = {keep, low, high}; });
        } else if (w == "offset") {
            const auto limit = static_cast<std::int64_t>(maxFrequency / 2);
            const int hz = static_cast<int>(args.Int("hz", 0, -limit, limit));
            action = OperationWith(TOperation::OffsetSpectrum, [hz](TDialogValues& v) { v.OffsetSpectra.OffsetEdit = hz; });
        } else if (w == "stretch") {
            const int percent = static_cast<int>(args.Int("percent", 100, 50, 200));
            action = OperationWith(TOperation::StretchSpectrum, [percent](TDialogValues& v) { v.MultSpectra.MultEdit = percent; });
        } else if (w == "samplerate") {
            const int index = args.Choice(
                "rate", {"8000", "11025", "22050", "32000", "44100", "48000", "64000", "88200", "96000", "192000"}, 4);
            after.Rate = DialogRates[static_cast<std::size_t>(index)];
            const std::string rate = std::to_string(after.Rate);
            action = OperationWith(TOperation::ChangeSampleRate, [rate](TDialogValues& v) { v.SampleRateChange.NewValueBox = rate; });
        } else if (w == "bits") {
            const std::string bits = std::to_string(8 * (1 + args.Choice("bits", {"8", "16", "24", "32"}, 1)));
            action = OperationWith(TOperation::ChangeBits, [bits](TDialogValues& v) { v.ChangeBits.NewValue = bits; });
        } else if (w == "brainwaves") {
            const int hz = static_cast<int>(args.Int("hz", 8, 1, 40));
            action = OperationWith(TOperation::AddBrainWaves, [hz](TDialogValues& v) { v.AddBrainWaves.FreqEdit = hz; });
        } else if (w == "rotate") {
            const int period = static_cast<int>(args.Int("period", 4, 1, 999));
            const int direction = args.Choice("direction", {"cw", "ccw"}, 0);
            action = OperationWith(TOperation::RotateChannels,
                                   [=](TDialogValues& v) { v.RoundSound = {period, direction}; });
        } else if (w == "tone") {
            const int wave = args.Choice("wave", {"sine", "rectangle", "triangle"}, 0);
            const int freq = static_cast<int>(args.Int("freq", 333, 1, 22050));
            const int volume = static_cast<int>(args.Int("volume", 100, 0, 100));
            const int mode = args.Choice("mode", {"replace", "insert", "mix"}, 0);
            const int seconds = static_cast<int>(args.Int("seconds", 10, 1, 100000));
            CheckGeneratorLength(args, seconds, d.Format.Rate);
            action = OperationWith(TOperation::GenerateTone, [=](TDialogValues& v) {
                v.CreateFreq = {wave, freq, seconds, volume, mode};
            });
        } else if (w == "noise") {
            const int colour = args.Choice("colour", {"white", "pink", "brown"}, 0);
            const int volume = static_cast<int>(args.Int("volume", 100, 0, 100));
            const int mode = args.Choice("mode", {"replace", "insert", "mix"}, 0);
            const int seconds = static_cast<int>(args.Int("seconds", 10, 1, 100000));
            CheckGeneratorLength(args, seconds, d.Format.Rate);
            action = OperationWith(TOperation::GenerateNoise, [=](TDialogValues& v) {
                v.CreateNoise = {colour, seconds, volume, mode};
            });
        } else {
            throw TScriptError("Неизвестная команда " + w, "Unknown step " + w);
        }
        shadow.Undoable(d, after);
    }
    args.Finish();
    return action;
}

}  // namespace

bool IsStepWord(const std::string& word) {
    return std::find(StepWords.begin(), StepWords.end(), word) != StepWords.end();
}

std::vector<TAction> PrepareScript(const TScript& script) {
    TShadow shadow(script.MaxUndos);
    std::vector<TAction> actions;
    for (const TStep& step : script.Steps) {
        if (!IsStepWord(step.Word)) {
            throw TScriptError("Неизвестная команда " + step.Word, "Unknown step " + step.Word);
        }
        actions.push_back(PrepareStep(step, shadow));
    }
    return actions;
}

}  // namespace sonavel::cli
