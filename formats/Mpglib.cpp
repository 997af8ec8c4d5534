#include "formats/Mpglib.h"

#include <mpg123.h>

#include <stdexcept>
#include <string>

namespace sonavel {

namespace {

void Check(int result, const char* what) {
    if (result != MPG123_OK) {
        throw std::runtime_error(std::string("MP3 decoder: ") + what + ": " +
                                 mpg123_plain_strerror(result));
    }
}

// A format change is announced once per change, so a handful in a row means a stream that
// keeps switching; give up on it as broken rather than loop.
constexpr int MaxFormatNotices = 16;

}  // namespace

void TMpglib::THandleDeleter::operator()(mpg123_handle_struct* handle) const noexcept {
    mpg123_delete(handle);
}

TMpglib::TMpglib(int outputChannels) : Channels_(outputChannels == 1 ? 1 : 2) {}

TMpglib::~TMpglib() {
    ExitMP3();
}

void TMpglib::InitMP3() {
    ExitMP3();
    if (!Handle_) {
        int error = MPG123_OK;
        Handle_.reset(mpg123_new(nullptr, &error));
        if (!Handle_) {
            Check(error == MPG123_OK ? MPG123_ERR : error, "cannot create a decoder");
        }
        mpg123_handle* mh = Handle_.get();
        Check(mpg123_param(mh, MPG123_ADD_FLAGS,
                           MPG123_QUIET | MPG123_GAPLESS | MPG123_FORCE_ENDIAN |
                               (Channels_ == 1 ? MPG123_MONO_MIX : MPG123_FORCE_STEREO),
                           0.0),
              "flags");
        // The big-endian bit stays clear, so forced endianness means little-endian; every
        // rate is decoded at its own rate, never resampled.
        Check(mpg123_param(mh, MPG123_REMOVE_FLAGS, MPG123_BIG_ENDIAN | MPG123_AUTO_RESAMPLE, 0.0),
              "flags");
        Check(mpg123_format_none(mh), "format");
        const long* rates = nullptr;
        std::size_t rateCount = 0;
        mpg123_rates(&rates, &rateCount);
        for (std::size_t i = 0; i < rateCount; ++i) {
            Check(mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16),
                  "format");
        }
    }
    Check(mpg123_open_feed(Handle_.get()), "open");
    Open_ = true;
    PendingError_ = false;
}

void TMpglib::ExitMP3() {
    if (Open_) {
        mpg123_close(Handle_.get());
        Open_ = false;
    }
}

TMp3Result TMpglib::decodeMP3(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                              std::size_t outSize, std::size_t& done) {
    done = 0;
    if (!Open_) {
        return MP3_ERR;
    }
    if (PendingError_) {
        PendingError_ = false;
        return MP3_ERR;
    }
    mpg123_handle* mh = Handle_.get();
    int result = mpg123_decode(mh, in, in != nullptr ? inSize : 0, out, outSize, &done);
    // A new format only says that decoding may go on; the format itself is fixed above.
    for (int notices = 0; result == MPG123_NEW_FORMAT && done == 0; ++notices) {
        if (notices == MaxFormatNotices) {
            return MP3_ERR;
        }
        result = mpg123_decode(mh, nullptr, 0, out, outSize, &done);
    }
    if (done > 0) {
        // Output first; an error met after it is reported by the next call.
        PendingError_ = result != MPG123_OK && result != MPG123_NEED_MORE &&
                        result != MPG123_NEW_FORMAT && result != MPG123_DONE;
        return MP3_OK;
    }
    if (result == MPG123_NEED_MORE || result == MPG123_OK || result == MPG123_DONE) {
        return MP3_NEED_MORE;
    }
    return MP3_ERR;
}

}  // namespace sonavel
