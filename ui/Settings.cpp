#include "ui/Settings.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "app/Workspace.h"
#include "core/PlaybackEngine.h"
#include "core/TempPath.h"

namespace sonavel {

namespace {

constexpr const char* Organisation = "Korvane";
constexpr const char* Application = "Sonavel_Pro";

std::optional<int> ReadInteger(const QSettings& settings, const char* name) {
    if (!settings.contains(name)) {
        return std::nullopt;
    }
    bool ok = false;
    const int value = settings.value(name).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<QString> ReadString(const QSettings& settings, const char* name) {
    if (!settings.contains(name)) {
        return std::nullopt;
    }
    const QVariant value = settings.value(name);
    // A list or another compound value has no text to take.
    if (!value.canConvert<QString>() || value.typeId() == QMetaType::QStringList) {
        return std::nullopt;
    }
    return value.toString();
}

}  // namespace

void TSettings::Load(TWorkspace& workspace) {
    const QSettings settings(Organisation, Application);
    if (const auto undos = ReadInteger(settings, "MaxUndos")) {
        workspace.MaxUndos = *undos;
    }
    if (const auto device = ReadInteger(settings, "AudioDevice")) {
        PlayDevice.store(*device);
    }
    if (const auto device = ReadInteger(settings, "RecordDevice")) {
        RecordDevice.store(*device);
    }
    if (const auto folder = ReadString(settings, "TempFolder"); folder && !folder->isEmpty()) {
        SetTempPath(folder->toStdString());
    }
    std::vector<std::string> recent;
    for (const QString& path : settings.value("RecentFiles").toStringList()) {
        recent.push_back(QFile::encodeName(path).toStdString());
    }
    workspace.RecentFiles = TRecentFiles(recent);
}

std::optional<std::string> TSettings::ReadLanguage() {
    const QSettings settings(Organisation, Application);
    const auto lang = ReadString(settings, "Lang");
    if (!lang) {
        return std::nullopt;
    }
    return lang->left(3).toStdString();
}

void TSettings::Save(const TWorkspace& workspace, const std::string& language) {
    QSettings settings(Organisation, Application);
    if (!settings.isWritable()) {
        return;
    }
    settings.setValue("MaxUndos", workspace.MaxUndos);
    settings.setValue("AudioDevice", PlayDevice.load());
    settings.setValue("RecordDevice", RecordDevice.load());
    settings.setValue("TempFolder", QString::fromStdString(TempPath()));
    settings.setValue("Lang", QString::fromStdString(language));
    QStringList recent;
    for (const std::string& path : workspace.RecentFiles.Items()) {
        recent << QFile::decodeName(path.c_str());
    }
    settings.setValue("RecentFiles", recent);
    settings.sync();
}

}  // namespace sonavel
