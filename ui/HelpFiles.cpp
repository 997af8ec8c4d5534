#include "ui/HelpFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/Language.h"
#include "ui/AboutDlg.h"

// The pages are in a static library: its resources must be asked for by name.
static void InitHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace sonavel {

namespace {

constexpr const char* StampName = "sonavel-help.stamp";
constexpr const char* IndexName = "index.html";

QString ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace

QString THelpFiles::DefaultFolder() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) {
        user = QStringLiteral("user");
    }
    return QDir(QDir::tempPath()).filePath(QStringLiteral("sonavel-help-") + user);
}

THelpFiles::THelpFiles(QString folder) : Folder_(std::move(folder)) {
    InitHelpResources();
}

QString THelpFiles::Write(const std::string& language) const {
    const QString source = QString::fromStdString(Pick(language, ":/help/ru", ":/help/en"));
    if (source.isEmpty()) {
        return {};
    }
    const QDir folder(Folder_);
    const QString index = folder.filePath(QString::fromLatin1(IndexName));
    const QString stamp = QString::fromStdString(language) + ' ' + ProgramVersion();
    const QString stampPath = folder.filePath(QString::fromLatin1(StampName));

    // A link planted in the shared temporary directory must not redirect the writing.
    if (QFileInfo(Folder_).isSymLink()) {
        return {};
    }
    if (ReadAll(stampPath) == stamp && QFileInfo::exists(index)) {
        return index;
    }
    if (!QDir().mkpath(Folder_)) {
        return {};
    }
    // The old language's pages go first, so no page of it is left behind; the stamp is
    // written last, so pages cut short are written again next time.
    QFile::remove(stampPath);
    for (const QString& name : folder.entryList(QDir::Files)) {
        QFile::remove(folder.filePath(name));
    }
    QDirIterator pages(source, QDir::Files);
    while (pages.hasNext()) {
        const QFileInfo page(pages.next());
        const QString target = folder.filePath(page.fileName());
        if (!QFile::copy(page.filePath(), target)) {
            return {};
        }
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    QSaveFile stampFile(stampPath);
    if (!stampFile.open(QIODevice::WriteOnly) || stampFile.write(stamp.toUtf8()) < 0 ||
        !stampFile.commit()) {
        return {};
    }
    return QFileInfo::exists(index) ? index : QString();
}

}  // namespace sonavel
