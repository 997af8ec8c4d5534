#pragma once

namespace sonavel {

// From here on SIGINT, SIGTERM and SIGHUP stop the program at once: its channel files and
// partial outputs are removed (an existing output file stays as it was) and it exits with
// 130, 143 or 129. Call first thing in main, before any thread starts.
void RemoveFilesOnTerminationSignals();

// Removes from the temporary folder the channel files and partial outputs of programs that
// died; call at start, once the temporary folder is known.
void RemoveLeftoversOfDeadPrograms();

}  // namespace sonavel
