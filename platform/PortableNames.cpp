#include "platform/PortableNames.h"

#include <algorithm>

namespace quarnel {

bool IsPortableFileName(const std::string& name)
{
    if (name.empty() || name.front() == '.' || name.back() == '.' || name.back() == ' ')
        return false;
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back(); // "NUL .txt" opens the device as well
    for (char& c : stem)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices)
        if (stem == device)
            return false;
    if (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)
        return true;
    // Ports 1 to 9, and the superscript digits 1 to 3 (UTF-8), which Windows reserves too.
    const std::string port = stem.substr(3);
    const bool digit = port.size() == 1 && port[0] >= '1' && port[0] <= '9';
    return !(digit || port == "\xC2\xB9" || port == "\xC2\xB2" || port == "\xC2\xB3");
}

bool EveryPathPart(std::string_view path, const std::function<bool(std::string_view)>& test)
{
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (!test(path.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

bool IsSafeRelativePath(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos || path.front() == '/')
        return false;
    if (path.size() >= 2 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
        path[1] == ':')
        return false;
    if (!EveryPathPart(path, [](std::string_view part) { return part != ".."; }))
        return false;
    const std::size_t slash = path.rfind('/');
    const std::string part = slash == std::string::npos ? path : path.substr(slash + 1);
    return !part.empty() && part != "." && part.find(':') == std::string::npos;
}

} // namespace quarnel
