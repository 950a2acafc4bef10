#pragma once
// Random access to an archive file, opened for reading only. Every read is
// checked against the file's size before anything is allocated or read.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quarnel {

class ArchiveFile {
public:
    // ArchiveError naming the file when it is missing, not a regular file or unreadable.
    explicit ArchiveFile(const std::filesystem::path& file);
    ArchiveFile(ArchiveFile&&) = default;
    ArchiveFile& operator=(ArchiveFile&&) = default;

    // The path as UTF-8, for messages.
    const std::string& Name() const { return name_; }
    std::uint64_t Size() const { return size_; }

    // Whether size bytes at offset lie inside the file.
    bool Holds(std::uint64_t offset, std::uint64_t size) const { return offset <= size_ && size <= size_ - offset; }

    // Exactly size bytes at offset; ArchiveError ("what" names the part) when
    // they are not inside the file or cannot be read.
    void ReadAt(std::uint64_t offset, void* buffer, std::size_t size, const char* what);
    std::vector<std::uint8_t> ReadAt(std::uint64_t offset, std::size_t size, const char* what);

    // ArchiveError "<file>: <what>".
    [[noreturn]] void Fail(const std::string& what) const;

private:
    std::string name_;
    std::ifstream stream_;
    std::uint64_t size_ = 0;
};

} // namespace quarnel
