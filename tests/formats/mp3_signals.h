#pragma once

// Signals and measurements shared by the MP3 tests: test files are made by the tests
// themselves, and decoded files are checked against libmpg123 used directly.

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"

namespace sonavel::test {

// Fills `count` samples of one channel with a sine of the given frequency and peak level
// (fraction of full scale).
inline void WriteSine(TAudioStream& s, std::uint16_t channel, double frequency, double peak,
                      std::uint32_t count) {
    std::vector<std::int32_t> v(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        v[i] = static_cast<std::int32_t>(std::lround(
            peak * MaxLevel * std::sin(2 * std::numbers::pi * frequency * i / s.SampleRate)));
    }
    s.WriteSamples(channel, 0, count, v.data());
}

inline std::vector<std::int32_t> Levels(TAudioStream& s, std::uint16_t channel) {
    std::vector<std::int32_t> v(s.GetLength());
    s.ReadSamples(channel, 0, static_cast<std::uint32_t>(v.size()), v.data());
    return v;
}

// Stored 16-bit values of one channel.
inline std::vector<std::int16_t> Stored16(TAudioStream& s, std::uint16_t channel) {
    std::vector<std::uint8_t> bytes(std::size_t{s.GetLength()} * 2);
    s.ReadStored(channel, 0, s.GetLength(), bytes.data());
    std::vector<std::int16_t> v(bytes.size() / 2);
    for (std::size_t i = 0; i < v.size(); ++i) {
        v[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return v;
}

// Amplitude of the component at `frequency` (a single DFT bin), as a fraction of the
// signal's full scale `full`.
template <typename T>
double Amplitude(const std::vector<T>& v, double frequency, double rate, double full,
                 std::size_t from = 0, std::size_t to = 0) {
    if (to == 0 || to > v.size()) {
        to = v.size();
    }
    double re = 0;
    double im = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double phase = 2 * std::numbers::pi * frequency * static_cast<double>(i) / rate;
        re += static_cast<double>(v[i]) * std::cos(phase);
        im += static_cast<double>(v[i]) * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / static_cast<double>(to - from) / full;
}

template <typename T>
double Rms(const std::vector<T>& v, double full, std::size_t from = 0, std::size_t to = 0) {
    if (to == 0 || to > v.size()) {
        to = v.size();
    }
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) {
        sum += static_cast<double>(v[i]) * static_cast<double>(v[i]);
    }
    return std::sqrt(sum / static_cast<double>(to - from)) / full;
}

// LAME renders a steady tone about 0.45 dB below its level (its quantisation, the same with
// its own command-line encoder); levels after a round trip are compared within 8 %.
inline constexpr double LevelTolerance = 0.08;

// The shift (in samples, within +-maxLag) at which `decoded` best matches `original`.
template <typename T>
int BestLag(const std::vector<T>& original, const std::vector<T>& decoded, int maxLag) {
    int best = 0;
    double bestScore = -1e300;
    const auto n = static_cast<std::ptrdiff_t>(std::min(original.size(), decoded.size()));
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double score = 0;
        for (std::ptrdiff_t i = maxLag; i < n - maxLag; ++i) {
            score += static_cast<double>(original[static_cast<std::size_t>(i)]) *
                     static_cast<double>(decoded[static_cast<std::size_t>(i + lag)]);
        }
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

// Sign changes from negative to non-negative.
template <typename T>
std::size_t UpwardZeroCrossings(const std::vector<T>& v, std::size_t from = 0, std::size_t to = 0) {
    if (to == 0 || to > v.size()) {
        to = v.size();
    }
    std::size_t n = 0;
    for (std::size_t i = from + 1; i < to; ++i) {
        if (v[i - 1] < 0 && v[i] >= 0) {
            ++n;
        }
    }
    return n;
}

// A whole file decoded by libmpg123's own file reader: interleaved 16-bit samples.
struct TReferenceDecode {
    long Rate = 0;
    int Channels = 0;
    std::vector<std::int16_t> Samples;
};

inline TReferenceDecode DecodeWithLibmpg123(const std::string& path) {
    int error = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &error);
    if (mh == nullptr) {
        throw std::runtime_error("mpg123_new");
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    mpg123_param(mh, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i) {
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    TReferenceDecode out;
    if (mpg123_open(mh, path.c_str()) != MPG123_OK) {
        mpg123_delete(mh);
        throw std::runtime_error("mpg123_open " + path);
    }
    int encoding = 0;
    mpg123_getformat(mh, &out.Rate, &out.Channels, &encoding);
    std::vector<unsigned char> buffer(65536);
    for (;;) {
        std::size_t done = 0;
        const int r = mpg123_read(mh, buffer.data(), buffer.size(), &done);
        const std::size_t old = out.Samples.size();
        out.Samples.resize(old + done / 2);
        std::memcpy(out.Samples.data() + old, buffer.data(), done / 2 * 2);
        if (r != MPG123_OK && r != MPG123_NEW_FORMAT) {
            break;
        }
    }
    mpg123_delete(mh);
    return out;
}

inline std::vector<std::int16_t> Deinterleave(const TReferenceDecode& d, int channel) {
    std::vector<std::int16_t> v;
    for (std::size_t i = static_cast<std::size_t>(channel); i < d.Samples.size();
         i += static_cast<std::size_t>(d.Channels)) {
        v.push_back(d.Samples[i]);
    }
    return v;
}

}  // namespace sonavel::test
