#include "app/RecoveryNote.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace sonavel {

namespace {

constexpr const char* Header = "sonavel-document=1";

std::string Escape(const std::string& value) {
    std::string out;
    for (const char c : value) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
            out += value[i] == 'n' ? '\n' : value[i];
        } else {
            out += value[i];
        }
    }
    return out;
}

template <class T>
bool ParseNumber(const std::string& text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

std::string NoteText(const TDocumentNote& note) {
    std::ostringstream out;
    out << Header << '\n'
        << "file=" << Escape(note.FileName) << '\n'
        << "format=" << Escape(note.FileFormat) << '\n'
        << "caption=" << Escape(note.Caption) << '\n'
        << "rate=" << note.SampleRate << '\n'
        << "bits=" << note.BitsPerSample << '\n';
    for (const std::string& channel : note.Channels) {
        out << "channel=" << Escape(channel) << '\n';
    }
    out << "selstartset=" << int{note.SelStartSet} << '\n'
        << "selendset=" << int{note.SelEndSet} << '\n'
        << "selstart=" << note.SelStart << '\n'
        << "selend=" << note.SelEnd << '\n'
        << "cursor=" << note.CursorPos << '\n'
        << "end=1\n";
    return out.str();
}

std::optional<TDocumentNote> ParseNote(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != Header) {
        return std::nullopt;
    }
    TDocumentNote note;
    std::map<std::string, std::string> values;
    bool ended = false;
    while (std::getline(in, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            return std::nullopt;
        }
        const std::string key = line.substr(0, equals);
        const std::string value = Unescape(line.substr(equals + 1));
        if (key == "channel") {
            // Only plain names: a note never reaches outside its own folder.
            if (value.empty() || value.find('/') != std::string::npos || value == "." ||
                value == "..") {
                return std::nullopt;
            }
            note.Channels.push_back(value);
        } else if (key == "end") {
            ended = true;
        } else {
            values[key] = value;
        }
    }
    int selStartSet = 0;
    int selEndSet = 0;
    if (!ended || !ParseNumber(values["rate"], note.SampleRate) ||
        !ParseNumber(values["bits"], note.BitsPerSample) || note.BitsPerSample < 1 ||
        note.BitsPerSample > 32 || note.Channels.empty() ||
        !ParseNumber(values["selstartset"], selStartSet) ||
        !ParseNumber(values["selendset"], selEndSet) ||
        !ParseNumber(values["selstart"], note.SelStart) ||
        !ParseNumber(values["selend"], note.SelEnd) ||
        !ParseNumber(values["cursor"], note.CursorPos)) {
        return std::nullopt;
    }
    note.FileName = values["file"];
    note.FileFormat = values["format"];
    note.Caption = values["caption"];
    note.SelStartSet = selStartSet != 0;
    note.SelEndSet = selEndSet != 0;
    return note;
}

bool TRecoveryNote::Write(const std::string& folder, const std::string& text) noexcept {
    try {
        std::string path = Path_;
        if (path.empty() || FolderOf(path) != folder) {
            // The name is taken by creating the file; until the rename fills it, it is empty,
            // which reads as no note at all.
            path.clear();
            for (int n = 0; n < 100000 && path.empty(); ++n) {
                const std::string candidate = folder + "doc-" + std::to_string(n) + ".txt";
                const int fd =
                    ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
                if (fd >= 0) {
                    ::close(fd);
                    path = candidate;
                } else if (errno != EEXIST) {
                    break;
                }
            }
            if (path.empty()) {
                Remove();
                return false;
            }
        }
        const std::string temporary = path + ".new";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out << text;
            out.flush();
            if (!out) {
                std::remove(temporary.c_str());
                if (path != Path_) {
                    std::remove(path.c_str());
                }
                Remove();
                return false;
            }
        }
        if (std::rename(temporary.c_str(), path.c_str()) != 0) {
            std::remove(temporary.c_str());
            if (path != Path_) {
                std::remove(path.c_str());
            }
            Remove();
            return false;
        }
        if (!Path_.empty() && Path_ != path) {
            std::remove(Path_.c_str());
        }
        Path_ = path;
        return true;
    } catch (...) {
        Remove();
        return false;
    }
}

void TRecoveryNote::Remove() noexcept {
    if (!Path_.empty()) {
        std::remove(Path_.c_str());
        Path_.clear();
    }
}

}  // namespace sonavel
