#include "editor/UserSettings.h"

#include <QSettings>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace quarnel {
namespace {

const char* const kNameEncodingKey = "names/encoding";
const char* const kRecentGameFoldersKey = "gameFolders/recent";

std::unique_ptr<QSettings> UserSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Quarnel", "Quarnel");
}

} // namespace

NameEncoding ReadNameEncodingSetting()
{
    const QString text = UserSettings()->value(kNameEncodingKey).toString();
    return NameEncodingFromOption(text.toStdString()).value_or(NameEncoding::Automatic);
}

void WriteNameEncodingSetting(NameEncoding encoding)
{
    UserSettings()->setValue(kNameEncodingKey, QString(NameEncodingOption(encoding)));
}

std::string NormalFolderText(const std::string& folder)
{
    if (folder.empty())
        return folder;
    // cleanPath drops "." and ".." parts and a separator at the end.
    const QString absolute = QFileInfo(QString::fromStdString(folder)).absoluteFilePath();
    return QDir::toNativeSeparators(QDir::cleanPath(absolute)).toStdString();
}

std::vector<std::string> ReadRecentGameFolders()
{
    std::vector<std::string> folders;
    for (const QString& entry : UserSettings()->value(kRecentGameFoldersKey).toStringList()) {
        const std::string folder = NormalFolderText(entry.toStdString());
        if (!folder.empty() && folders.size() < std::size_t(kRecentGameFolderCount) &&
            std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    return folders;
}

namespace {

void WriteRecentGameFolders(const std::vector<std::string>& folders)
{
    QStringList texts;
    for (const std::string& folder : folders)
        if (texts.size() < kRecentGameFolderCount)
            texts << QString::fromStdString(folder);
    UserSettings()->setValue(kRecentGameFoldersKey, texts);
}

} // namespace

void AddRecentGameFolder(const std::string& folder)
{
    const std::string normal = NormalFolderText(folder);
    std::vector<std::string> folders{normal};
    for (const std::string& earlier : ReadRecentGameFolders())
        if (earlier != normal)
            folders.push_back(earlier);
    WriteRecentGameFolders(folders);
}

void RemoveRecentGameFolder(const std::string& folder)
{
    const std::string normal = NormalFolderText(folder);
    std::vector<std::string> folders = ReadRecentGameFolders();
    folders.erase(std::remove(folders.begin(), folders.end(), normal), folders.end());
    WriteRecentGameFolders(folders);
}

} // namespace quarnel
