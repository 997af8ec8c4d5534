#pragma once

#include <string>
#include <vector>

#include "app/Workspace.h"

namespace sonavel {

// The nine lines of the statistics window, in the interface language.
std::vector<std::string> StatisticsLines(const TStatistics& statistics,
                                         const std::string& language);

}  // namespace sonavel
