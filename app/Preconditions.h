#pragma once

#include <cstdint>
#include <string>

#include "app/OperationTable.h"

namespace sonavel {

class TWorkspace;

// What the conditions of an operation look at. Both faces fill it from what they know: the
// editor and the run-time check from the workspace, the command-line dry run from its
// shadow of the documents.
struct TConditionState {
    bool HasDocument = false;
    bool Recording = false;  // the active document records
    std::uint32_t Length = 0;
    std::int32_t RestoreCount = 0;
    std::int32_t RedoCount = 0;
    std::uint32_t ClipboardLength = 0;
    std::uint16_t Channels = 0;
    int ChannelItem = 0;  // 0 all channels, k channel k - 1
};

TConditionState ConditionsOf(const TWorkspace& workspace, bool recording = false);

// The editor's enabling rule for a command with these requirements: a document, no
// recording, audio in the document, a restore point, audio in the clipboard.
bool Enabled(unsigned requirements, const TConditionState& state);

// Why an operation may not run now. A refusal without a message is silent: the command
// simply does nothing, as the editor's paste with a clipboard of one sample.
struct TRefusal {
    bool Refused = false;
    TMessage Message;  // empty for a silent refusal
};

// The run-time check of Execute, the editor's command handlers and the command-line tool.
TRefusal Refusal(unsigned requirements, const TConditionState& state);
TRefusal Refusal(TOperation operation, const TWorkspace& workspace);

}  // namespace sonavel
