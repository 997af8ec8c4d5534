#include "core/Progress.h"

namespace sonavel {

std::atomic<bool> Processing{false};
std::atomic<std::uint32_t> ProgressPosition{0};
std::atomic<std::uint32_t> ProgressTotal{0};
std::atomic<bool> CancelRequest{false};

}  // namespace sonavel
