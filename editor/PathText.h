#pragma once
// Conversions between the toolkit's text and file system paths.
#include <QString>

#include <filesystem>

namespace quarnel {

inline std::filesystem::path ToPath(const QString& text)
{
#ifdef _WIN32
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(text.toStdString());
#endif
}

inline QString ToQString(const std::filesystem::path& path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QString::fromStdString(path.string());
#endif
}

} // namespace quarnel
