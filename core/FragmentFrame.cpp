#include "core/FragmentFrame.h"

#include <stdexcept>
#include <string>

#include "core/AudioStream.h"

namespace sonavel {

std::vector<std::uint16_t> CheckedChannels(const TAudioStream& stream, int channel,
                                           const char* operation) {
    if (channel < -1 || channel >= static_cast<int>(stream.ChannelCount)) {
        throw std::out_of_range(std::string(operation) + ": no channel " + std::to_string(channel) +
                                " in a stream of " + std::to_string(stream.ChannelCount) +
                                " channels");
    }
    return stream.SelectedChannels(channel);
}

void CheckSpan(std::uint64_t start, std::uint64_t count, const char* operation) {
    constexpr std::uint64_t positions = std::uint64_t{1} << 32;
    if (start > positions || count > positions - start) {
        throw std::invalid_argument(std::string(operation) + ": " + std::to_string(count) +
                                    " samples at " + std::to_string(start) +
                                    " reach past the 4,294,967,296 sample positions of a channel");
    }
}

}  // namespace sonavel
