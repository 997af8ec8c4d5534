#include "app/ProgramLifetime.h"

#include "core/TempPath.h"
#include "platform/ProgramFolder.h"
#include "platform/TerminationSignals.h"

namespace sonavel {

void RemoveFilesOnTerminationSignals() {
    EndOnTerminationSignals(ClearProgramFoldersForExit);
}

void RemoveLeftoversOfDeadPrograms() {
    RemoveLeftovers();
}

}  // namespace sonavel
