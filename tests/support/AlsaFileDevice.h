#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sonavel::test {

// Points ALSA, and so PortAudio, at a private configuration without any sound card: its
// default device writes what is played into one file and reads what is recorded from
// another, as fast as it is asked. Create it before PortAudio is first initialised; ALSA
// reads its configuration once per process.
class TAlsaFileDevice {
  public:
    explicit TAlsaFileDevice(const std::string& folder)
        : PlayedFile_(folder + "played.raw"), RecordFile_(folder + "record.raw") {
        const std::string config = folder + "asound.conf";
        std::ofstream(config) << "pcm.sonavel_null { type null }\n"
                                 "pcm.sonavel_play {\n"
                                 "    type file\n"
                                 "    slave.pcm \"sonavel_null\"\n"
                                 "    file \""
                              << PlayedFile_
                              << "\"\n"
                                 "    format \"raw\"\n"
                                 "}\n"
                                 "pcm.sonavel_record {\n"
                                 "    type file\n"
                                 "    slave.pcm \"sonavel_null\"\n"
                                 "    file \"/dev/null\"\n"
                                 "    infile \""
                              << RecordFile_
                              << "\"\n"
                                 "    format \"raw\"\n"
                                 "}\n"
                                 "pcm.!default {\n"
                                 "    type asym\n"
                                 "    playback.pcm \"sonavel_play\"\n"
                                 "    capture.pcm \"sonavel_record\"\n"
                                 "}\n";
        ::setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
        ::setenv("JACK_NO_START_SERVER", "1", 1);
        SetRecordInput({});
    }

    // What recording reads, from its start, each time an input opens.
    void SetRecordInput(const std::vector<std::uint8_t>& bytes) const {
        std::ofstream(RecordFile_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    // What the last output opened has played (the file starts afresh with each opening).
    std::vector<std::uint8_t> Played() const {
        std::ifstream in(PlayedFile_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::string PlayedFile_;
    std::string RecordFile_;
};

}  // namespace sonavel::test
