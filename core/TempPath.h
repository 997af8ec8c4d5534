#pragma once

#include <string>

namespace sonavel {

// The folder for channel files, always ending in '/'. Starts as $TEMP, else $TMPDIR, else
// /tmp; the settings may replace it. Safe to read and set from any thread.
std::string TempPath();
void SetTempPath(const std::string& folder);

// What TempPath starts as, from the environment.
std::string DefaultTempPath();

}  // namespace sonavel
