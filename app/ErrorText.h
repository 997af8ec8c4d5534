#pragma once

#include <exception>
#include <string>

namespace sonavel {

class TFileError;

// What to tell the user about a failed operation, in the interface language.
std::string DescribeFailure(const std::exception& error, const std::string& language);

// The messages of the file commands.
std::string FileNotFoundText(const std::string& language);
std::string UnknownFormatText(const std::string& language);
// Why a file cannot be opened as a document: "Cannot open the file PATH: permission denied".
std::string OpenFailureText(const TFileError& error, const std::string& language);
std::string NoChannelsToSaveText(const std::string& language);
// The same, naming the file: "Файл не найден: PATH" / "File not found: PATH".
std::string FileNotFoundText(const std::string& language, const std::string& path);
std::string UnknownFormatText(const std::string& language, const std::string& path);
// A save that failed, naming the file, then why.
std::string SaveFailedText(const std::string& language, const std::string& path,
                           const std::string& reason);
// Shown in either interface language, as it is.
inline const char* const CannotDeleteAllChannelsText = "Нельзя удалить все каналы";

}  // namespace sonavel
