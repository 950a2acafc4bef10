#include "library/IniFile.h"

#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include <vector>

namespace quarnel {

std::filesystem::path IniFilePath(const std::filesystem::path& file)
{
    std::filesystem::path result = file;
    if (Utf8FromPath(file.filename()).find('.') == std::string::npos)
        result += ".ini";
    return result;
}

std::string IniUpperCase(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

std::string IniSectionHeader(std::string_view section)
{
    std::string header(1, '[');
    header += IniUpperCase(section);
    header += ']';
    return header;
}

std::string IniValueOfLine(std::string_view line)
{
    const std::size_t eq = line.find('=');
    return std::string(eq == std::string_view::npos ? line : line.substr(eq + 1));
}

// The search walks the lines one at a time exactly as the reader always has;
// NameTable builds its lookup from the same rules and is tested against this.
std::string ReadIniValue(const std::filesystem::path& file, const std::string& section, const std::string& key)
{
    const std::vector<std::string> lines = SplitLines(ReadFileBytes(IniFilePath(file)));
    const std::size_t count = lines.size();

    // Find the header. Reaching the last line ends the search unseen.
    const std::string header = IniSectionHeader(section);
    std::size_t i = 0;
    for (;; ++i) {
        if (i + 1 >= count)
            return {};
        if (IniUpperCase(lines[i]) == header)
            break;
    }

    // Find the key.
    const std::string upperKey = IniUpperCase(key);
    std::string keyPart;
    std::string line;
    for (++i; i < count; ++i) {
        line = lines[i].empty() ? std::string(" ") : lines[i];
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            keyPart = line.substr(0, eq);
        if (i + 1 == count || line.front() == '[')
            break;
        if (upperKey == IniUpperCase(keyPart))
            break;
    }
    if (upperKey != IniUpperCase(keyPart))
        return {};
    return IniValueOfLine(line);
}

} // namespace quarnel
