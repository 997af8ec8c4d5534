#include "support/WavBuilder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace sonavel::test {

void TWavBuilder::U16(std::uint32_t v) {
    Bytes_.push_back(static_cast<std::uint8_t>(v));
    Bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void TWavBuilder::U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        Bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void TWavBuilder::Id(const std::string& id) {
    for (std::size_t i = 0; i < 4; ++i) {
        Bytes_.push_back(static_cast<std::uint8_t>(i < id.size() ? id[i] : ' '));
    }
}

TWavBuilder& TWavBuilder::Riff(const std::string& id, const std::string& form) {
    Id(id);
    U32(0);  // ignored by readers
    Id(form);
    return *this;
}

TWavBuilder& TWavBuilder::Format(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                 std::uint16_t tag, std::uint16_t extraBytes) {
    const unsigned bps = (bits + 7) / 8;
    Id("fmt ");
    U32(16U + extraBytes);
    U16(tag);
    U16(channels);
    U32(rate);
    U32(rate * channels * bps);
    U16(channels * bps);
    U16(bits);
    for (unsigned i = 0; i < extraBytes; ++i) {
        Bytes_.push_back(0);
    }
    return *this;
}

TWavBuilder& TWavBuilder::FormatRaw(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                    std::uint16_t blockAlign, std::uint16_t bits) {
    Id("fmt ");
    U32(16);
    U16(tag);
    U16(channels);
    U32(rate);
    U32(rate * blockAlign);
    U16(blockAlign);
    U16(bits);
    return *this;
}

TWavBuilder& TWavBuilder::Chunk(const std::string& id, const std::vector<std::uint8_t>& body) {
    ChunkHeader(id, static_cast<std::uint32_t>(body.size()));
    return Bytes(body);
}

TWavBuilder& TWavBuilder::ChunkHeader(const std::string& id, std::uint32_t size) {
    Id(id);
    U32(size);
    return *this;
}

TWavBuilder& TWavBuilder::Bytes(const std::vector<std::uint8_t>& bytes) {
    Bytes_.insert(Bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

TWavBuilder& TWavBuilder::Data(const std::vector<std::int32_t>& interleaved,
                               unsigned bytesPerSample) {
    ChunkHeader("data", static_cast<std::uint32_t>(interleaved.size() * bytesPerSample));
    for (const std::int32_t v : interleaved) {
        const auto raw = static_cast<std::uint32_t>(bytesPerSample == 1 ? v + 128 : v);
        for (unsigned k = 0; k < bytesPerSample; ++k) {
            Bytes_.push_back(static_cast<std::uint8_t>(raw >> (8 * k)));
        }
    }
    return *this;
}

void TWavBuilder::WriteTo(const std::string& path) const {
    std::vector<std::uint8_t> bytes = Bytes_;
    if (bytes.size() >= 8) {
        // The RIFF size, as a writer would set it (readers ignore it).
        const auto size = static_cast<std::uint32_t>(bytes.size() - 8);
        for (int i = 0; i < 4; ++i) {
            bytes[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
        }
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace sonavel::test
