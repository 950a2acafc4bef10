#include "source/GameChoice.h"

#include "library/IniFile.h"
#include "platform/Utf8.h"
#include "proto/ProLayout.h"

#include <system_error>

namespace fs = std::filesystem;

namespace quarnel {

std::optional<bool> ChosenSecondGame(const std::string& option)
{
    if (option.empty())
        return std::nullopt;
    return option == "fo2";
}

std::optional<bool> GameOfFolder(const fs::path& folder, std::optional<bool> chosen)
{
    if (chosen)
        return chosen;
    std::error_code ec;
    fs::path absolute = fs::absolute(folder.empty() ? fs::path(".") : folder, ec).lexically_normal();
    if (!absolute.has_filename())
        absolute = absolute.parent_path();
    const std::string name = IniUpperCase(Utf8FromPath(absolute.filename()));
    if (name == "FO1" || name == "FO2")
        return name == "FO2";
    return std::nullopt;
}

bool IsSecondGameFile(const fs::path& file, std::size_t recordSize, std::optional<bool> chosen)
{
    if (const auto game = GameOfFolder(fs::path(file).remove_filename(), chosen))
        return *game;
    return recordSize == kSecondGameRecordSize;
}

} // namespace quarnel
