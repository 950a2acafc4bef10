#include "library/NameTable.h"

#include "library/IniFile.h"
#include "platform/TextLines.h"

#include <vector>

namespace quarnel {

// The reader's key search, replayed once for all keys: walking the section's
// lines, the running key part at each line is the key for which the search
// would stop there. The first line to claim a key part wins (the search stops
// at the first match). The line that ends the section (the next line beginning
// with '[', or the last line of the file) answers only its own key part, for
// keys that no earlier line claimed.
NameTable NameTable::Load(const std::filesystem::path& iniFile, const std::string& section)
{
    return FromIniText(ReadFileBytes(IniFilePath(iniFile)), section);
}

NameTable NameTable::FromIniText(std::string_view bytes, const std::string& section)
{
    NameTable table;
    const std::vector<std::string> lines = SplitLines(bytes);
    const std::size_t count = lines.size();

    const std::string header = IniSectionHeader(section);
    std::size_t i = 0;
    while (i + 1 < count && IniUpperCase(lines[i]) != header)
        ++i;
    if (i + 1 >= count)
        return table;

    std::string keyPart;
    for (++i; i < count; ++i) {
        const std::string& raw = lines[i];
        const std::string_view line = raw.empty() ? std::string_view(" ") : std::string_view(raw);
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos)
            keyPart = IniUpperCase(line.substr(0, eq));
        if (!table.values_.contains(keyPart))
            table.values_.emplace(keyPart, IniValueOfLine(line));
        if (i + 1 == count || line.front() == '[')
            break;
    }
    return table;
}

NameTable NameTable::FromValues(std::unordered_map<std::string, std::string> values)
{
    NameTable table;
    for (auto& [key, value] : values)
        table.values_.emplace(IniUpperCase(key), std::move(value));
    return table;
}

std::string NameTable::Lookup(const std::string& key) const
{
    const auto it = values_.find(IniUpperCase(key));
    return it == values_.end() ? std::string() : it->second;
}

} // namespace quarnel
