#pragma once

#include <optional>
#include <string>

namespace sonavel {

class TWorkspace;

// The five settings kept for the user between runs (organisation "Korvane", application
// "Sonavel_Pro"): "MaxUndos", "AudioDevice", "RecordDevice" (integers), "TempFolder" and
// "Lang" (strings), and the list of recent files "RecentFiles".
class TSettings {
  public:
    // Reads "MaxUndos", "AudioDevice" and "RecordDevice" into the workspace and the engine's
    // device numbers and "TempFolder" into the temporary folder, each only when stored and
    // readable as its type; what is missing keeps its default. Values are taken as stored,
    // without range checks.
    static void Load(TWorkspace& workspace);
    // The stored "Lang", cut to its first three characters; none when it is not stored.
    static std::optional<std::string> ReadLanguage();
    // Writes all five values, also those never changed, and the recent files.
    static void Save(const TWorkspace& workspace, const std::string& language);
};

}  // namespace sonavel
