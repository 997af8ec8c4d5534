#pragma once

#include <cstdint>
#include <vector>

namespace sonavel {

class TAudioStream;

// Samples moved per ReadSamples/WriteSamples call by the editing, synthesis and conversion
// operations: large enough that window lookups and locking vanish in the cost, small enough
// that an operation holds only a few hundred KiB of samples per channel.
inline constexpr std::uint32_t FrameBlockSamples = 65536;

// The channels a channel argument stands for (-1 all, in ascending order, else the one);
// throws std::out_of_range, naming the operation, for a channel the stream does not have.
std::vector<std::uint16_t> CheckedChannels(const TAudioStream& stream, int channel,
                                           const char* operation);

// Throws std::invalid_argument when start + count reaches past the 32-bit sample positions,
// where writing would wrap around to the beginning of the channel.
void CheckSpan(std::uint64_t start, std::uint64_t count, const char* operation);

}  // namespace sonavel
