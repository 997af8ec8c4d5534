#include "app/Dispatcher.h"

#include <cmath>
#include <optional>

#include "app/ErrorText.h"
#include "app/Preconditions.h"
#include "app/Recovery.h"
#include "app/UndoClipboard.h"
#include "core/LengthLimit.h"
#include "core/Progress.h"
#include "core/TransportControl.h"

namespace sonavel {

namespace {

using enum TOperation;

// The arguments every branch reads: channel, span and cursor.
struct TArguments {
    int Ch;
    std::uint32_t Sp;
    std::uint32_t Ln;
    std::uint32_t P;
};

// Refused (TLengthError) rather than wrapped when it passes the sample positions.
std::uint32_t SilenceSamples(int milliseconds, std::uint32_t sampleRate) {
    const auto n = static_cast<std::uint64_t>(
        std::llrint(static_cast<long double>(milliseconds) / 1000.0L * sampleRate));
    CheckLength(n, "InsertSilence");
    return static_cast<std::uint32_t>(n);
}

std::vector<std::uint8_t> GainBytes(const TEqualizeValues& values) {
    return {values.Gains.begin(), values.Gains.end()};
}

std::uint8_t Byte(auto value) {
    return static_cast<std::uint8_t>(value);
}

// The cursor and selection after cutting or deleting.
void AfterRemoval(TDocument& d) {
    d.CursorPos = d.SelEndSet ? d.SelStart : 0;
    d.ClearSelection();
}

class TBranches {
  public:
    TBranches(TWorkspace& workspace, TDocument& document, TOperationObserver& observer)
        : W(workspace), D(document), S(*document.Stream), Observer(observer) {}

    // Runs the branch of the operation. Returns the operation whose graph step applies (the
    // multi-file branches hand over to graph building).
    TOperation Run(TOperation operation, const TArguments& a) {
        const TDialogValues& v = W.Dialogs;
        switch (operation) {
            case CopyTo:
                NewClipboard_ = std::make_unique<TAudioStream>();
                S.CopyTo(a.Ch, a.Sp, *NewClipboard_, a.Ln);
                break;
            case Cut:
                NewClipboard_ = std::make_unique<TAudioStream>();
                S.CopyTo(a.Ch, a.Sp, *NewClipboard_, a.Ln);
                S.DeleteFragment(a.Ch, a.Sp, a.Ln);
                AfterRemoval(D);
                break;
            case Insert:
            case Mix:
            case Overwrite: {
                TAudioStream& clip = *W.ClipboardStream;
                const std::uint8_t mode = operation == Insert ? TAudioStream::PasteInsert
                                          : operation == Mix  ? TAudioStream::PasteMix
                                                              : TAudioStream::PasteReplace;
                S.PasteFrom(a.Ch, a.P, clip, mode);
                PasteSelection(D, a.P, clip);
                break;
            }
            case InsertSilence: {
                const std::uint32_t n = SilenceSamples(v.InsertSilence.LongEdit, S.SampleRate);
                if (n == 0) {
                    break;
                }
                S.InsertSilence(a.Ch, a.P, n);
                if (n >= 2) {
                    D.Select(a.P, a.P + n - 1);
                }
                break;
            }
            case Delete:
                S.DeleteFragment(a.Ch, a.Sp, a.Ln);
                AfterRemoval(D);
                break;
            case Erase:
                S.Erase(a.Ch, a.Sp, a.Ln);
                break;
            case AddBrainWaves:
                S.AddBrainWaves(a.Sp, a.Ln, static_cast<std::uint16_t>(v.AddBrainWaves.FreqEdit));
                break;
            case RoundSound:
                S.RotateChannels(a.Sp, a.Ln, Byte(v.RoundSound.DirectRound),
                                 static_cast<std::uint32_t>(v.RoundSound.LongRound));
                break;
            case AddChannel:
                S.AddChannel();
                Observer.FillChannelBox(D);
                D.FillChannelBox();
                break;
            case DelChannel:
                S.DeleteChannel(static_cast<std::uint16_t>(D.ChannelItem - 1));
                Observer.FillChannelBox(D);
                D.FillChannelBox();
                break;
            case SetSpeed: {
                const int speed = v.SetSpeed.SpeedEdit;
                const bool glide = v.SetSpeed.GlideCB;
                if (v.SetSpeed.AlgBox == TSpeedAlgorithm::TimbreSaving) {
                    const auto factor = static_cast<std::uint16_t>(std::llrint(10000.0L / speed));
                    S.StretchSpectrum(a.Ch, a.Sp, a.Ln, factor, glide);
                }
                const std::uint32_t end = S.ChangeSpeed(a.Ch, a.Sp, glide, speed / 100.0, a.Ln);
                if (D.SelEndSet) {
                    // A fragment squeezed below two samples leaves no selection.
                    if (end >= 1 && end - 1 > D.SelStart) {
                        D.SelEnd = end - 1;
                    } else {
                        D.ClearSelection();
                    }
                }
                break;
            }
            case SetVolume:
                S.SetVolume(a.Ch, a.Sp, v.SetVolume.VolumeEdit / 100.0, a.Ln);
                break;
            case NormalizeVolume:
                S.Normalize(a.Ch, a.Sp, a.Ln);
                break;
            case UpVolume:
                S.FadeIn(a.Ch, a.Sp, a.Ln);
                break;
            case DownVolume:
                S.FadeOut(a.Ch, a.Sp, a.Ln);
                break;
            case Reverse:
                S.Reverse(a.Ch, a.Sp, a.Ln);
                break;
            case AddEcho:
                S.AddEcho(a.Ch, a.Sp, v.AddEcho.ResponseVolumeEdit / 100.0,
                          v.AddEcho.ResponseDelayEdit, v.AddEcho.nResponsesEdit, a.Ln);
                break;
            case Revebration:
                S.AddReverberation(a.Ch, a.Sp, v.Revebration.ReflectionVolumeEdit / 100.0,
                                   v.Revebration.ReflectionDelayEdit,
                                   v.Revebration.nReflectionsEdit, a.Ln);
                break;
            case Invert:
                S.Invert(a.Ch, a.Sp, a.Ln);
                break;
            case Equalize:
                S.Equalize(a.Ch, a.Sp, a.Ln, GainBytes(v.Equalize),
                           static_cast<std::uint32_t>(v.Equalize.StFrqEd),
                           static_cast<std::uint32_t>(v.Equalize.FnFrqEd - v.Equalize.StFrqEd + 1));
                break;
            case SelDelSpectra:
                S.FilterBand(a.Ch, a.Sp, a.Ln, static_cast<std::uint32_t>(v.SelDelSpectra.SE1),
                             static_cast<std::uint32_t>(v.SelDelSpectra.SE2), v.SelDelSpectra.RB1);
                break;
            case OffsetSpectra:
                S.OffsetSpectrum(a.Ch, a.Sp, a.Ln, v.OffsetSpectra.OffsetEdit);
                break;
            case MultiSpectra:
                S.StretchSpectrum(a.Ch, a.Sp, a.Ln,
                                  static_cast<std::uint16_t>(v.MultSpectra.MultEdit), false);
                break;
            case SampleRateChange:
                S.ChangeSampleRate(v.SampleRateChange.NewValueBox);
                break;
            case nBitsChange:
                S.ChangeBits(Byte(v.ChangeBits.NewValue));
                break;
            case CreateFreq: {
                const auto& f = v.CreateFreq;
                S.GenerateTone(a.Ch, a.P, Byte(f.Waveform), f.FreqValueEdit, Byte(f.VolumeBar),
                               Byte(f.PasteTypeBox),
                               static_cast<std::uint64_t>(f.LongEdit) * S.SampleRate);
                break;
            }
            case CreateNoise: {
                const auto& n = v.CreateNoise;
                S.GenerateNoise(a.Ch, a.P, Byte(n.Colour), Byte(n.VolumeBar), Byte(n.PasteTypeBox),
                                static_cast<std::uint64_t>(n.LongEdit) * S.SampleRate);
                break;
            }
            case AllAnalys: {
                TStatistics st;
                S.GetStatistics(a.Ch, a.Sp, a.Ln, st.Average, st.Peak, st.SilentCount);
                st.SampleRate = S.SampleRate;
                st.BitsPerSample = S.BitsPerSample;
                st.ChannelCount = S.ChannelCount;
                st.Length = a.Ln;
                W.Statistics = st;
                break;
            }
            case FreqAnalys: {
                const std::uint32_t n = v.SpectraAnalys.FFTSizeBox;
                std::vector<TComplex> data(n / 2 + 1);
                S.AnalyzeSpectrum(a.Ch, a.Sp, a.Ln, data, n);
                W.SpectrumData = std::move(data);
                break;
            }
            case InsFromFile:
                S.PasteFrom(a.Ch, a.P, *W.TransferStream, TAudioStream::PasteInsert);
                PasteSelection(D, a.P, *W.TransferStream);
                break;
            case SaveSelection:
                NewTransfer_ = std::make_unique<TAudioStream>();
                S.CopyTo(a.Ch, a.Sp, *NewTransfer_, a.Ln);
                break;
            case ConnectFiles:
                for (TDocument* source : v.ConnectFiles.Order) {
                    TAudioStream& q = *source->Stream;
                    if (q.GetLength() > 1) {
                        S.PasteFrom(-1, S.GetLength(), q, TAudioStream::PasteInsert);
                    }
                }
                D.MarkChanged();
                return BuildGraph;
            case MixFiles: {
                const auto k = static_cast<std::uint8_t>(v.MixFiles.Order.size());
                for (TDocument* source : v.MixFiles.Order) {
                    S.MixFrom(-1, 0, *source->Stream, k);
                }
                D.MarkChanged();
                return BuildGraph;
            }
            case Undo:
            case Redo:
            case BuildGraph:
                break;
        }
        return operation;
    }

    // Puts the new clipboard or transfer copy in place once the whole branch succeeded.
    void Commit() {
        if (NewClipboard_) {
            W.ClipboardStream = std::move(NewClipboard_);
        }
        if (NewTransfer_) {
            W.TransferStream = std::move(NewTransfer_);
        }
    }

  private:
    TWorkspace& W;
    TDocument& D;
    TAudioStream& S;
    TOperationObserver& Observer;
    std::unique_ptr<TAudioStream> NewClipboard_;
    std::unique_ptr<TAudioStream> NewTransfer_;
};

// Whatever way the operation ends, the recovery note then names the document's own files.
class TNoteKeeper {
  public:
    TNoteKeeper(const TWorkspace& workspace, TDocument& document) : W(workspace), D(document) {}
    ~TNoteKeeper() { KeepRecoveryNote(W, D); }
    TNoteKeeper(const TNoteKeeper&) = delete;
    TNoteKeeper& operator=(const TNoteKeeper&) = delete;

  private:
    const TWorkspace& W;
    TDocument& D;
};

void ShowWholeDocument(TDocument& d) {
    d.ResetView();
    // A selection reaching past a shortened document would point at samples that are gone.
    if (d.SelEndSet && d.SelEnd >= d.SampleCount) {
        d.ClearSelection();
    }
}

}  // namespace

TOperationResult Execute(TWorkspace& workspace, TOperation operation,
                         TOperationObserver& observer) {
    TDocument* active = workspace.Active();
    if (active == nullptr) {
        return {};
    }
    const std::string& lang = workspace.Language;
    const TRefusal refusal = Refusal(operation, workspace);
    if (refusal.Refused) {
        return {false, true, refusal.Message.Text(lang)};
    }
    TDocument& d = *active;
    const TOperationInfo& info = Info(operation);
    // Values the document's format cannot take (a length past 2^32 - 1 samples) change nothing.
    if (info.Check != nullptr) {
        if (const auto problem =
                info.Check(workspace.Dialogs, {d.Stream->ChannelCount, d.Stream->SampleRate})) {
            return {false, true, problem->Text(lang)};
        }
    }
    const bool undoable = info.Undoable;
    const TNoteKeeper noteKeeper(workspace, d);
    // A new document being filled by joining or mixing has no completed content before that.
    if (operation == ConnectFiles || operation == MixFiles) {
        DropRecoveryNote(d);
    }

    StopTransport(*d.Stream);
    const std::uint32_t lengthBefore = d.SampleCount;
    TOperation graphStep = operation;
    try {
        std::optional<TRollbackGuard> rollback;
        if (undoable) {
            observer.SetCaption(RestorePointCaption(lang));
            rollback.emplace(d, workspace.MaxUndos, workspace.SafetyCopyWithoutUndo);
            // The stream's files change in place from here on: a recovery would take the copy.
            if (TAudioStream* before = rollback->LastCompleted()) {
                KeepRecoveryNote(workspace, d, before);
            } else {
                DropRecoveryNote(d);
            }
            d.MarkChanged();
        }
        observer.SetCaption(Caption(operation, lang));
        if (operation == Undo || operation == Redo) {
            if (operation == Undo) {
                UndoLast(d);
            } else {
                RedoLast(d);
            }
            observer.FillChannelBox(d);
        }
        const TArguments args{d.Channel(), d.SpanStart(), d.SpanLength(), d.CursorPos};
        TBranches branches(workspace, d, observer);
        graphStep = branches.Run(operation, args);
        d.SampleCount = d.Stream->GetLength();
        if (rollback) {
            // The note names the finished content before the copy it named goes.
            KeepRecoveryNote(workspace, d);
            rollback->Commit();
        }
        if (undoable) {
            // A new change makes what was undone unreachable.
            d.RedoPoints.clear();
        }
        branches.Commit();
    } catch (const TCancelled&) {
        // The rollback has put the stream, the restore points and the fields back; the graph
        // and the channel box were not touched before the point where nothing stops.
        d.SampleCount = d.Stream->GetLength();
        observer.ShowProperties(d);
        return {false, false, {}, true};
    } catch (const std::exception& error) {
        d.SampleCount = d.Stream->GetLength();
        observer.FillChannelBox(d);
        observer.BuildGraph(d);
        observer.ShowProperties(d);
        return {false, false, DescribeFailure(error, lang)};
    }

    // Building the graph of a newly opened file is part of opening it and may still be
    // cancelled (the opener then drops the document); after anything else it runs to its end.
    std::optional<TNotCancellable> committed;
    if (operation != BuildGraph) {
        committed.emplace();
    }
    if (graphStep == BuildGraph) {
        observer.SetCaption(Caption(BuildGraph, lang));
        ShowWholeDocument(d);
        try {
            observer.BuildGraph(d);
        } catch (const TCancelled&) {
            return {false, false, {}, true};
        }
    }
    if (undoable || operation == Undo || operation == Redo) {
        observer.SetCaption(Caption(BuildGraph, lang));
        if (d.SampleCount != lengthBefore) {
            ShowWholeDocument(d);
        }
        d.FillChannelBox();
        observer.FillChannelBox(d);
        observer.BuildGraph(d);
    }
    observer.ShowProperties(d);
    return {};
}

}  // namespace sonavel
