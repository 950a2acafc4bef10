#pragma once
// Reads a range of an archive file front to back through one small window,
// so that a directory of tens of thousands of entries is parsed without
// holding all of its bytes at once, and never read past the range's end.
#include "gamedata/ArchiveFile.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace quarnel {

class SequentialReader {
public:
    SequentialReader(ArchiveFile& file, std::uint64_t start, std::uint64_t end);

    // Bytes left in the range.
    std::uint64_t Left() const { return end_ - pos_; }

    // The next size bytes, valid until the next call; ArchiveError "<what>
    // runs past the end of ..." when the range ends first.
    const std::uint8_t* Take(std::size_t size, const char* what);

private:
    ArchiveFile& file_;
    std::uint64_t pos_; // of the next byte in the file
    std::uint64_t end_;
    std::unique_ptr<std::uint8_t[]> window_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;  // the next byte's place in the window
    std::size_t filled_ = 0; // bytes of the window holding file data
};

} // namespace quarnel
