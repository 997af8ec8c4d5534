#include "app/ErrorText.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "app/Language.h"
#include "core/LengthLimit.h"
#include "formats/FormatError.h"
#include "platform/FileError.h"

namespace sonavel {

namespace {

// Why a file cannot be opened, for the reasons a user meets.
std::string OpenReason(int code, const std::string& language) {
    switch (code) {
        case EACCES:
        case EPERM:
            return Pick(language, "нет прав на чтение", "permission denied");
        case EISDIR:
            return Pick(language, "это папка", "it is a folder");
        case NotRegularFileCode:
            return Pick(language, "это не обычный файл (канал или устройство)",
                        "not a regular file (a pipe or a device)");
        case ENOENT:
            return Pick(language, "файл не найден", "no such file");
        case ENAMETOOLONG:
            return Pick(language, "слишком длинное имя", "the name is too long");
        default:
            return std::strerror(code);
    }
}

std::string Unchanged(const std::string& language) {
    return Pick(language, ". Документ не изменен.", ". The document is unchanged.");
}

}  // namespace

std::string DescribeFailure(const std::exception& error, const std::string& language) {
    if (const auto* file = dynamic_cast<const TFileError*>(&error)) {
        if (file->Action() == OpenAction) {
            return OpenFailureText(*file, language);
        }
        if (file->Code() == ENOSPC || file->Code() == EFBIG || file->Code() == EDQUOT) {
            return Pick(language, "Недостаточно места на диске: ", "Not enough disk space: ") +
                   file->FileName() + Unchanged(language);
        }
        return Pick(language, "Ошибка ввода-вывода: ", "Input/output error: ") + file->what() +
               Unchanged(language);
    }
    if (const auto* format = dynamic_cast<const TFormatError*>(&error)) {
        return UnknownFormatText(language) + ": " +
               (format->FileName().empty() ? std::string(error.what()) : format->FileName());
    }
    if (const auto* length = dynamic_cast<const TLengthError*>(&error)) {
        const std::string samples = std::to_string(length->Samples());
        const std::string limit = std::to_string(MaxSamples);
        return Pick(language,
                    "Слишком длинный результат: " + samples + " отсчетов, предел " + limit +
                        " отсчетов",
                    "Too long: " + samples + " samples; the limit is " + limit + " samples") +
               Unchanged(language);
    }
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return Pick(language, "Недостаточно памяти", "Out of memory");
    }
    return Pick(language, "Операция не выполнена: ", "The operation failed: ") + error.what();
}

std::string OpenFailureText(const TFileError& error, const std::string& language) {
    return Pick(language, "Невозможно открыть файл ", "Cannot open the file ") + error.FileName() +
           ": " + OpenReason(error.Code(), language);
}

std::string FileNotFoundText(const std::string& language) {
    return Pick(language, "Файл не найден", "File not found");
}

std::string UnknownFormatText(const std::string& language) {
    return Pick(language, "Формат файла не опознан", "Unknown format");
}

std::string NoChannelsToSaveText(const std::string& language) {
    return Pick(language, "Документ без каналов нельзя сохранить",
                "A document without channels cannot be saved");
}

std::string FileNotFoundText(const std::string& language, const std::string& path) {
    return FileNotFoundText(language) + ": " + path;
}

std::string UnknownFormatText(const std::string& language, const std::string& path) {
    return UnknownFormatText(language) + ": " + path;
}

std::string SaveFailedText(const std::string& language, const std::string& path,
                           const std::string& reason) {
    return Pick(language, "Файл не сохранен: ", "File not saved: ") + path + "\n" + reason;
}

}  // namespace sonavel
