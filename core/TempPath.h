#pragma once

#include <string>

namespace sonavel {

// The folder for channel files, always ending in '/'. Starts as $TEMP, else $TMPDIR, else
// /tmp; the settings may replace it. Safe to read and set from any thread.
std::string TempPath();
void SetTempPath(const std::string& folder);

// What TempPath starts as, from the environment.
std::string DefaultTempPath();

// Where channel files go: this program's own folder inside TempPath(), created when first
// needed and locked while the program lives, so that no other program touches them and a
// later start removes them if this one dies (platform/ProgramFolder.h). Ends in '/'.
std::string ChannelFolder();

// Removes from TempPath() what programs that are gone left there.
void RemoveLeftovers();

}  // namespace sonavel
