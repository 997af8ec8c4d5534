#include "app/Preconditions.h"

#include "app/ErrorText.h"
#include "app/Workspace.h"

namespace sonavel {

TConditionState ConditionsOf(const TWorkspace& workspace, bool recording) {
    TConditionState state;
    if (workspace.ClipboardStream) {
        state.ClipboardLength = workspace.ClipboardStream->GetLength();
    }
    const TDocument* d = workspace.Active();
    if (d == nullptr) {
        return state;
    }
    state.HasDocument = true;
    state.Recording = recording;
    if (recording) {
        return state;  // the stream grows under the record thread; nothing else counts now
    }
    state.Length = d->Stream->GetLength();
    state.RestoreCount = d->RestoreCount();
    state.RedoCount = d->RedoCount();
    state.Channels = d->Stream->ChannelCount;
    state.ChannelItem = d->ChannelItem;
    return state;
}

bool Enabled(unsigned requirements, const TConditionState& state) {
    if ((requirements & NeedsDocument) == 0) {
        return true;
    }
    if (!state.HasDocument || state.Recording) {
        return false;
    }
    if ((requirements & NeedsAudio) != 0 && state.Length == 0) {
        return false;
    }
    if ((requirements & NeedsRestorePoint) != 0 && state.RestoreCount == 0) {
        return false;
    }
    if ((requirements & NeedsRedoPoint) != 0 && state.RedoCount == 0) {
        return false;
    }
    return (requirements & NeedsClipboard) == 0 || state.ClipboardLength > 0;
}

TRefusal Refusal(unsigned requirements, const TConditionState& state) {
    // Made afresh for each return: a const local could not be moved out.
    const auto silent = [] { return TRefusal{true, {}}; };
    if ((requirements & NeedsDocument) != 0 && !state.HasDocument) {
        return silent();
    }
    if ((requirements & NeedsRestorePoint) != 0 && state.RestoreCount == 0) {
        return silent();
    }
    if ((requirements & NeedsRedoPoint) != 0 && state.RedoCount == 0) {
        return silent();
    }
    // A paste needs two samples at least: one sample makes no fragment.
    if ((requirements & NeedsClipboard) != 0 && state.ClipboardLength < 2) {
        return silent();
    }
    if ((requirements & NeedsOneOfSeveralChannels) != 0 &&
        (state.Channels <= 1 || state.ChannelItem == 0)) {
        return {true, {CannotDeleteAllChannelsText, CannotDeleteAllChannelsText}};
    }
    return {};
}

TRefusal Refusal(TOperation operation, const TWorkspace& workspace) {
    return Refusal(Info(operation).Requirements, ConditionsOf(workspace));
}

}  // namespace sonavel
