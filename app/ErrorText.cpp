#include "app/ErrorText.h"

#include <cerrno>
#include <new>
#include <stdexcept>

#include "app/Language.h"
#include "formats/FormatError.h"
#include "platform/FileError.h"

namespace sonavel {

std::string DescribeFailure(const std::exception& error, const std::string& language) {
    if (const auto* file = dynamic_cast<const TFileError*>(&error)) {
        if (file->Code() == ENOSPC || file->Code() == EFBIG || file->Code() == EDQUOT) {
            return Pick(language, "Недостаточно места на диске: ", "Not enough disk space: ") +
                   file->FileName() + Pick(language, ". Документ не изменен.", ". The document is unchanged.");
        }
        return Pick(language, "Ошибка ввода-вывода: ", "Input/output error: ") + file->what() +
               Pick(language, ". Документ не изменен.", ". The document is unchanged.");
    }
    if (dynamic_cast<const TFormatError*>(&error) != nullptr) {
        return UnknownFormatText(language) + ": " + error.what();
    }
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return Pick(language, "Недостаточно памяти", "Out of memory");
    }
    return Pick(language, "Операция не выполнена: ", "The operation failed: ") + error.what();
}

std::string FileNotFoundText(const std::string& language) {
    return Pick(language, "Файл не найден", "File not found");
}

std::string UnknownFormatText(const std::string& language) {
    return Pick(language, "Формат файла не опознан", "Unknown format");
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
