#include "platform/TextLines.h"

#include "platform/RegularFile.h"

namespace quarnel {

std::string ReadFileBytes(const std::filesystem::path& file, std::size_t maxBytes)
{
    return ReadWholeFile(file, maxBytes);
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start && text[end - 1] == '\r')
            --end;
        lines.emplace_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}

} // namespace quarnel
