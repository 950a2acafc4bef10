#include "gamedata/GameConfig.h"

#include "gamedata/GamePath.h"
#include "platform/Errors.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include <string_view>

namespace quarnel {
namespace {

constexpr std::uintmax_t kMaxConfigBytes = 1 << 20;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

GameConfig ParseGameConfig(std::string_view text)
{
    GameConfig config;
    struct Key {
        const char* name;
        std::string GameConfig::*value;
    };
    static const Key kKeys[] = {
        {"MASTER_DAT", &GameConfig::masterDat},   {"MASTER_PATCHES", &GameConfig::masterPatches},
        {"CRITTER_DAT", &GameConfig::critterDat}, {"CRITTER_PATCHES", &GameConfig::critterPatches},
        {"LANGUAGE", &GameConfig::language},
    };
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    bool inSystem = false;
    for (const std::string& raw : SplitLines(text)) {
        // As the games read it, a ';' starts a comment anywhere on the line.
        const std::string_view line = Trim(std::string_view(raw).substr(0, raw.find(';')));
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSystem = close != std::string_view::npos && GamePathKey(Trim(line.substr(1, close - 1))) == "SYSTEM";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSystem || eq == std::string_view::npos)
            continue;
        const std::string key = GamePathKey(Trim(line.substr(0, eq)));
        const std::string_view value = Trim(line.substr(eq + 1));
        for (const Key& k : kKeys)
            if (key == k.name && !value.empty())
                config.*k.value = std::string(value);
        if (key == "CRITTER_DAT" && !value.empty())
            config.critterDatNamed = true;
    }
    return config;
}

GameConfig ReadGameConfig(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) || std::filesystem::file_size(file, ec) > kMaxConfigBytes)
        throw ArchiveError(Utf8FromPath(file) + ": not a configuration file");
    try {
        return ParseGameConfig(ReadFileBytes(file));
    } catch (const IoError& e) {
        throw ArchiveError(Utf8FromPath(file) + ": " + e.what());
    }
}

} // namespace quarnel
