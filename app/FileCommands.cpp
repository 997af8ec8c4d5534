#include "app/FileCommands.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "app/ErrorText.h"
#include "core/Progress.h"
#include "formats/FormatError.h"
#include "formats/MP3Utils.h"
#include "formats/MP3_Format.h"
#include "formats/PCM_Format.h"
#include "platform/FileError.h"
#include "platform/OsFile.h"
#include "platform/ReplacingFile.h"

namespace sonavel {

namespace {

// The extension with its dot, empty when the name has none.
std::string Extension(const std::string& name) {
    const std::string base = BaseName(name);
    const auto dot = base.rfind('.');
    return dot == std::string::npos ? std::string() : base.substr(dot);
}

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

std::vector<std::uint16_t> Mp3ConstantBitrates(std::uint32_t sampleRate) {
    const auto& table = ConstantBitrates(sampleRate);
    return {table.begin(), table.end()};
}

TSaveResult SaveText(const std::string& fileName, const std::string& text,
                     const std::string& language) {
    try {
        TReplacingFile file(fileName);
        file.File().WriteAt(text.data(), text.size(), 0);
        file.Commit();
        return {true, {}};
    } catch (const std::exception& error) {
        return {false, DescribeFailure(error, language)};
    }
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RecogniseFormat(const std::string& fileName) {
    // Opening refuses what is not a regular file, or cannot be read, and says why.
    TOsFile::OpenExisting(fileName, TOsFile::TAccess::ReadOnly);
    const std::string ext = Upper(Extension(fileName));
    if (ext == ".WAV" && IsWaveFile(fileName)) {
        return PcmFormat;
    }
    if (ext == ".MP3" && IsMp3File(fileName)) {
        return Mp3Format;
    }
    return {};
}

std::optional<TFileFacts> ProbeFile(const std::string& fileName) {
    TFileFacts facts;
    facts.Format = RecogniseFormat(fileName);
    try {
        if (facts.Format == PcmFormat) {
            const TWaveHeader header = ReadWaveHeader(fileName);
            facts.Channels = header.Channels;
            facts.SampleRate = header.SampleRate;
            return facts;
        }
        if (facts.Format == Mp3Format) {
            TMP3 mp3(fileName);
            mp3.FindFrame(0);
            facts.Channels = mp3.Header.ChannelMode == "Mono" ? 1 : 2;
            facts.SampleRate = mp3.Header.SampleRate;
            return facts;
        }
    } catch (const TFileError&) {
        throw;
    } catch (const std::exception&) {
        // A header the reader refuses: not a file this program opens.
    }
    return std::nullopt;
}

bool PathExists(const std::string& path) {
    return FileExists(path);
}

std::string FileNameForFormat(const std::string& name, const std::string& format) {
    const std::string wanted = format == Mp3Format ? ".mp3" : ".wav";
    const std::string ext = Lower(Extension(name));
    if (ext == wanted) {
        return name;
    }
    return name.substr(0, name.size() - ext.size()) + wanted;
}

void LoadFile(const std::string& fileName, const std::string& format, TAudioStream& stream) {
    try {
        if (format == PcmFormat) {
            TPCM(fileName).LoadStream(stream);
        } else if (format == Mp3Format) {
            TMP3(fileName).LoadStream(stream);
        } else {
            throw TFormatError("no reader for format '" + format + "'");
        }
    } catch (const TFormatError& error) {
        if (!error.FileName().empty()) {
            throw;
        }
        throw TFormatError(error.what(), fileName);
    }
}

TSaveResult SaveStream(TAudioStream& stream, const std::string& fileName, const std::string& format,
                       const TMp3Settings& mp3Settings, const std::string& language,
                       std::optional<std::uint8_t> bits) {
    // Such a file would say it has no channels, and other programs refuse it.
    if (stream.ChannelCount == 0) {
        return {false, NoChannelsToSaveText(language)};
    }
    try {
        if (format == PcmFormat && bits) {
            SavePCMFile(stream, fileName, *bits);
        } else if (format == PcmFormat) {
            SavePCMFile(stream, fileName);
        } else if (bits) {
            throw std::invalid_argument("SaveStream: a width is given only for a PCM file");
        } else if (format == Mp3Format) {
            SaveMP3File(stream, fileName, mp3Settings);
        } else {
            return {false, UnknownFormatText(language)};
        }
        return {true, {}};
    } catch (const TCancelled&) {
        // The replacing file has gone with the partial copy; the old file is untouched.
        return {false, {}};
    } catch (const std::exception& error) {
        return {false, DescribeFailure(error, language)};
    }
}

}  // namespace sonavel
