#include "editor/UserSettings.h"

#include <QSettings>

#include <memory>

namespace quarnel {
namespace {

const char* const kNameEncodingKey = "names/encoding";

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

} // namespace quarnel
