#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonavel::test {

// Builds WAV files byte by byte, including damaged and unusual ones.
class TWavBuilder {
  public:
    TWavBuilder& Riff(const std::string& id = "RIFF", const std::string& form = "WAVE");
    // A "fmt " chunk; extraBytes > 0 makes F = 16 + extraBytes.
    TWavBuilder& Format(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                        std::uint16_t tag = 1, std::uint16_t extraBytes = 0);
    // Format with an explicit block align (for damaged headers).
    TWavBuilder& FormatRaw(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                           std::uint16_t blockAlign, std::uint16_t bits);
    TWavBuilder& Chunk(const std::string& id, const std::vector<std::uint8_t>& body);
    // A chunk header with a size that need not match what follows.
    TWavBuilder& ChunkHeader(const std::string& id, std::uint32_t size);
    TWavBuilder& Bytes(const std::vector<std::uint8_t>& bytes);
    // Samples as signed values, stored little-endian in `bytesPerSample` bytes (unsigned
    // with 128 as zero when bytesPerSample is 1).
    TWavBuilder& Data(const std::vector<std::int32_t>& interleaved, unsigned bytesPerSample);

    const std::vector<std::uint8_t>& Content() const { return Bytes_; }
    void WriteTo(const std::string& path) const;

  private:
    void U16(std::uint32_t v);
    void U32(std::uint32_t v);
    void Id(const std::string& id);
    std::vector<std::uint8_t> Bytes_;
};

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

}  // namespace sonavel::test
