#include "editor/UserSettings.h"

#include <QSettings>

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

std::vector<std::string> ReadRecentGameFolders()
{
    std::vector<std::string> folders;
    for (const QString& folder : UserSettings()->value(kRecentGameFoldersKey).toStringList())
        if (!folder.isEmpty() && folders.size() < std::size_t(kRecentGameFolderCount))
            folders.push_back(folder.toStdString());
    return folders;
}

void AddRecentGameFolder(const std::string& folder)
{
    QStringList folders{QString::fromStdString(folder)};
    for (const std::string& earlier : ReadRecentGameFolders())
        if (earlier != folder && folders.size() < kRecentGameFolderCount)
            folders << QString::fromStdString(earlier);
    UserSettings()->setValue(kRecentGameFoldersKey, folders);
}

} // namespace quarnel
