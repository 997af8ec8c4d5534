#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct mpg123_handle_struct;

namespace sonavel {

// Results of decodeMP3, as mpglib gives them.
enum TMp3Result : int { MP3_ERR = -1, MP3_OK = 0, MP3_NEED_MORE = 1 };

// The decoder state of one load, with mpglib's three entry points, over libmpg123's feed
// interface. Output is interleaved signed 16-bit little-endian samples, always of the channel
// count given to the constructor: a stereo frame in a mono document is mixed down, a mono
// frame in a stereo one is doubled, so a stray frame never shifts the interleaving. Gapless
// decoding is on: a LAME/Info tag's encoder delay and padding are trimmed, so an MP3 saved by
// this program reopens with the document's exact length and timing.
class TMpglib {
  public:
    explicit TMpglib(int outputChannels);
    ~TMpglib();
    TMpglib(const TMpglib&) = delete;
    TMpglib& operator=(const TMpglib&) = delete;

    // Starts a fresh decoder: nothing fed before is remembered. Throws std::runtime_error when
    // libmpg123 cannot set one up.
    void InitMP3();
    // Closes the decoder; decodeMP3 then answers MP3_ERR until the next InitMP3.
    void ExitMP3();
    // Feeds `inSize` bytes (none for a drain call) and hands out what is decoded, at most
    // outSize bytes (a multiple of 4). MP3_OK: `done` > 0 bytes are in `out` and more may
    // follow on a drain call; MP3_NEED_MORE: feed more; MP3_ERR: the stream is broken here.
    TMp3Result decodeMP3(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                         std::size_t outSize, std::size_t& done);

  private:
    struct THandleDeleter {
        void operator()(mpg123_handle_struct* handle) const noexcept;
    };

    std::unique_ptr<mpg123_handle_struct, THandleDeleter> Handle_;
    int Channels_;
    bool Open_ = false;
    // An error that came after output in the same call; reported by the next call.
    bool PendingError_ = false;
};

}  // namespace sonavel
