#include "gamedata/SequentialReader.h"

#include <algorithm>
#include <cstring>

namespace quarnel {

namespace {
constexpr std::size_t kWindowSize = 64 * 1024;
}

SequentialReader::SequentialReader(ArchiveFile& file, std::uint64_t start, std::uint64_t end)
    : file_(file), pos_(start), end_(end)
{
}

const std::uint8_t* SequentialReader::Take(std::size_t size, const char* what)
{
    if (size > Left())
        file_.Fail(std::string(what) +
                   (end_ == file_.Size() ? " runs past the end of the file" : " runs past the end of the directory"));
    if (filled_ - begin_ < size) {
        // Keep the bytes not yet taken, then fill the window from the file.
        const std::size_t kept = filled_ - begin_;
        if (size > capacity_) {
            const std::size_t capacity = std::max(size, kWindowSize);
            auto window = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
            if (kept)
                std::memcpy(window.get(), window_.get() + begin_, kept);
            window_ = std::move(window);
            capacity_ = capacity;
        } else if (kept) {
            std::memmove(window_.get(), window_.get() + begin_, kept);
        }
        const std::uint64_t unread = end_ - (pos_ + kept);
        const std::size_t more = static_cast<std::size_t>(std::min<std::uint64_t>(capacity_ - kept, unread));
        file_.ReadAt(pos_ + kept, window_.get() + kept, more, what);
        begin_ = 0;
        filled_ = kept + more;
    }
    const std::uint8_t* p = window_.get() + begin_;
    begin_ += size;
    pos_ += size;
    return p;
}

} // namespace quarnel
