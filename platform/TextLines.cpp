#include "platform/TextLines.h"

#include "platform/Errors.h"
#include "platform/FileOpen.h"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace quarnel {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

std::string ReadFileBytes(const std::filesystem::path& file)
{
    if (file.empty())
        throw IoError(2);
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> f(OpenFile(file, "rb"));
    if (!f)
        ThrowIoErrorFromErrno();
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, f.get());
        bytes.append(buffer, got);
        if (got < sizeof buffer)
            break;
    }
    if (std::ferror(f.get())) // a folder opens on Linux and fails on the first read
        ThrowIoErrorFromErrno();
    return bytes;
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
