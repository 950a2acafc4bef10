#include "cli/CritterFiles.h"

#include "cli/CliError.h"
#include "proto/RecordFields.h"
#include "library/IniFile.h"
#include "platform/FileIdentity.h"
#include "platform/FolderListing.h"
#include "platform/Utf8.h"

#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel::cli {

std::vector<fs::path> CritterFiles(const std::vector<std::string>& arguments)
{
    std::vector<fs::path> files;
    // A file reached twice (alone and through its folder, or through two
    // links) is taken once: by its identity on disk, or by its path when it
    // cannot be reached (its read then reports why).
    std::set<FileIdentity> seen;
    std::set<fs::path> unreachable;
    auto add = [&](const fs::path& file) {
        std::error_code ec;
        const auto identity = IdentityOf(file);
        if (identity ? seen.insert(*identity).second
                     : unreachable.insert(fs::absolute(file, ec).lexically_normal()).second)
            files.push_back(file);
    };
    for (const std::string& argument : arguments) {
        const fs::path path = PathFromUtf8(argument);
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            add(path);
            continue;
        }
        for (const std::string& name : ListFolderFiles(path, ".pro"))
            add(path / PathFromUtf8(name));
    }
    if (files.empty())
        throw CliError("no *.pro file in the folders given");
    return files;
}

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
    return IsSecondGameSize(recordSize);
}

} // namespace quarnel::cli
