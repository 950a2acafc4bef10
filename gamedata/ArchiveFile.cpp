#include "gamedata/ArchiveFile.h"

#include "platform/Errors.h"
#include "platform/Utf8.h"

namespace quarnel {

namespace fs = std::filesystem;

ArchiveFile::ArchiveFile(const fs::path& file) : name_(Utf8FromPath(file))
{
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status))
        Fail(IoErrorMessage(2));
    // A folder, pipe or device is no archive; reading a pipe could block for ever.
    if (!fs::is_regular_file(status))
        Fail("not a regular file");
    stream_.open(file, std::ios::binary | std::ios::in);
    if (!stream_.is_open())
        Fail(IoErrorMessage(fs::exists(file, ec) ? 5 : 2)); // gone since the look: not found
    stream_.seekg(0, std::ios::end);
    const std::streamoff size = stream_.tellg();
    if (size < 0)
        Fail("cannot be read");
    size_ = static_cast<std::uint64_t>(size);
}

void ArchiveFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size, const char* what)
{
    if (!Holds(offset, size))
        Fail(std::string(what) + " lies outside the file");
    if (size == 0)
        return;
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(offset));
    stream_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    if (!stream_ || static_cast<std::size_t>(stream_.gcount()) != size)
        Fail(std::string(what) + " cannot be read");
}

std::vector<std::uint8_t> ArchiveFile::ReadAt(std::uint64_t offset, std::size_t size, const char* what)
{
    if (!Holds(offset, size))
        Fail(std::string(what) + " lies outside the file");
    std::vector<std::uint8_t> bytes(size);
    ReadAt(offset, bytes.data(), size, what);
    return bytes;
}

void ArchiveFile::Fail(const std::string& what) const { throw ArchiveError(name_ + ": " + what); }

} // namespace quarnel
