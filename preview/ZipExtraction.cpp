// Extraction of the ZIP reader's members: which members a mask takes, each
// written as a plain file inside the base folder with its time and
// attributes, stored or inflated, its CRC-32 checked.
#include "preview/AbUnZipper.h"

#include "platform/ByteOrder.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/FileOps.h"
#include "platform/PortableNames.h"
#include "platform/Utf8.h"
#include "preview/ZipLayout.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

using namespace zip_layout;

bool IsSeparator(char c)
{
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A member may only be written as a plain file name inside the target folder:
// no parent references, no absolute path, no drive, nothing the file system
// would read as something else.
bool IsSafeName(const ZipItem& item) { return IsSafeRelativePath(item.fileName); }

// The modification time an MS-DOS date and time stand for, in local time;
// nothing for a date or time that cannot be.
std::optional<std::time_t> DosToTime(std::uint16_t date, std::uint16_t time)
{
    std::tm tm{};
    tm.tm_year = 80 + (date >> 9);
    tm.tm_mon = ((date >> 5) & 0x0F) - 1;
    tm.tm_mday = date & 0x1F;
    tm.tm_hour = time >> 11;
    tm.tm_min = (time >> 5) & 0x3F;
    tm.tm_sec = (time & 0x1F) * 2;
    tm.tm_isdst = -1;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59 || tm.tm_sec > 59)
        return std::nullopt;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1))
        return std::nullopt;
    return t;
}

std::string ErrnoText(int err) { return IoErrorMessage(IoCodeFromErrno(err)); }

// Writes decoded bytes and carries the CRC-32 along; the error text or empty.
std::string Write(std::FILE* out, const std::uint8_t* data, std::size_t size, std::uint32_t& crc)
{
    if (size == 0)
        return {};
    if (std::fwrite(data, 1, size, out) != size)
        return ErrnoText(errno);
    crc = static_cast<std::uint32_t>(::crc32(crc, data, static_cast<uInt>(size)));
    return {};
}

// The free space of the folder's file system; unlimited when it cannot be told.
std::uintmax_t AvailableSpace(const fs::path& folder)
{
    std::error_code ec;
    const fs::space_info info = fs::space(folder, ec);
    return ec ? std::numeric_limits<std::uintmax_t>::max() : info.available;
}

// The extracted file takes the member's recorded time and read-only attribute.
void GiveStoredTimeAndAttributes(const ZipItem& item, const fs::path& target)
{
    std::error_code ec;
    if (const auto time = DosToTime(item.dosDate, item.dosTime)) {
        const auto stamp = std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(*time));
        fs::last_write_time(target, stamp, ec);
    }
    if (item.IsReadOnly())
        SetReadOnlyOnly(target);
}

} // namespace

void TAbUnZipper::SetBaseDirectory(const std::string& folder)
{
    std::string dir = folder;
    const bool driveRoot = dir.size() == 3 && IsAsciiLetter(dir[0]) && dir[1] == ':';
    if (dir.size() > 1 && IsSeparator(dir.back()) && !driveRoot)
        dir.pop_back();
    std::error_code ec;
    if (!fs::is_directory(PathFromUtf8(dir), ec))
        throw ArchiveError(ZipText::NoDirectory);
    baseDirectory_ = dir;
}

void TAbUnZipper::ExtractFiles(const std::string& fileMask)
{
    // The matching members are taken first: a failure handler may close the archive.
    std::vector<ZipItem> matching;
    for (const ZipItem& item : items_)
        if (MatchesMask(item.fileName, fileMask))
            matching.push_back(item);
    bytesWritten_ = 0;
    for (const ZipItem& item : matching) {
        if (!stream_.is_open())
            return;
        ExtractItem(item);
    }
}

void TAbUnZipper::Fail(const ZipItem& item, const std::string& error)
{
    if (OnProcessItemFailure)
        OnProcessItemFailure(item, error);
}

void TAbUnZipper::ExtractItem(const ZipItem& item)
{
    if (item.IsFolder())
        return;
    const std::string targetName = TargetFileName.empty() ? item.NamePart() : TargetFileName;
    if (!IsSafeName(item) || !IsPortableFileName(targetName))
        return Fail(item, ZipText::UnsafeName);

    std::error_code ec;
    const fs::path folder = baseDirectory_.empty() ? fs::path(".") : PathFromUtf8(baseDirectory_);
    if (!fs::is_directory(folder, ec)) {
        if ((ExtractOptions & eoCreateDirs) == 0)
            return Fail(item, ZipText::NoDirectory);
        fs::create_directories(folder, ec);
        if (ec)
            return Fail(item, ErrnoText(ec.value()));
    }
    const fs::path target = folder / PathFromUtf8(targetName);

    if ((item.versionNeeded & 0xFF) > 63)
        return Fail(item, ZipText::NewerVersion);

    std::uint8_t local[kLocalSize];
    if (!ReadAt(item.localHeaderOffset, local, kLocalSize) || ReadLittleEndian32(local) != kLocalSig)
        return Fail(item, ZipText::NotPkZip);
    // Sizes and CRC come from the central directory; the local header only
    // tells where the data begins.
    const std::uint64_t dataOffset =
        item.localHeaderOffset + kLocalSize + ReadLittleEndian16(local + 26) + ReadLittleEndian16(local + 28);

    if (item.IsEncrypted())
        return Fail(item, ZipText::InvalidPassword);
    if (item.uncompressedSize > kMaxMemberSize || item.uncompressedSize > MaxBytesPerCall - bytesWritten_)
        return Fail(item, ZipText::TooLarge);
    if (item.overlapsOther)
        return Fail(item, ZipText::DamagedData);
    if (item.compressedSize > archiveSize_ || dataOffset > archiveSize_ - item.compressedSize)
        return Fail(item, ZipText::DamagedData);
    if (item.uncompressedSize > (FreeSpace ? FreeSpace(folder) : AvailableSpace(folder)))
        return Fail(item, IoErrorMessage(101));

    // Overwrite: the old copy (or a link in its place) is removed and a new
    // file created, so that nothing planted in the folder is written through.
    std::FILE* out = CreateFreshFile(target);
    if (!out)
        return Fail(item, ErrnoText(errno));
    // The recorded size bounds what the decoders write.
    bytesWritten_ += item.uncompressedSize;

    std::uint32_t crc = 0;
    std::string error;
    if (item.uncompressedSize == 0) {
        // An empty member needs no decoding, whatever its method.
    } else if (item.method == 0) {
        error = CopyStored(item, dataOffset, out, crc);
    } else if (item.method == 8) {
        error = Inflate(item, dataOffset, out, crc);
    } else {
        error = ZipText::UnsupportedMethod;
    }
    if (std::fclose(out) != 0 && error.empty())
        error = ErrnoText(errno);
    if (!error.empty()) {
        fs::remove(target, ec);
        return Fail(item, error);
    }
    if (crc != item.crc32) {
        // A damaged copy would serve as the cached picture for the rest of the run.
        fs::remove(target, ec);
        return Fail(item, ZipText::CrcFailed);
    }

    GiveStoredTimeAndAttributes(item, target);
}

std::string TAbUnZipper::CopyStored(const ZipItem& item, std::uint64_t offset, std::FILE* out, std::uint32_t& crc)
{
    if (item.compressedSize != item.uncompressedSize)
        return ZipText::DamagedData;
    std::vector<std::uint8_t> buffer(kChunk);
    std::uint64_t left = item.uncompressedSize;
    while (left > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, left));
        if (!ReadAt(offset, buffer.data(), n))
            return ZipText::DamagedData;
        if (std::string error = Write(out, buffer.data(), n, crc); !error.empty())
            return error;
        offset += n;
        left -= n;
    }
    return {};
}

std::string TAbUnZipper::Inflate(const ZipItem& item, std::uint64_t offset, std::FILE* out, std::uint32_t& crc)
{
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        return ZipText::DamagedData;
    std::vector<std::uint8_t> in(kChunk);
    std::vector<std::uint8_t> buffer(kChunk);
    std::uint64_t inLeft = item.compressedSize;
    std::uint64_t outLeft = item.uncompressedSize;
    std::string error;
    while (error.empty()) {
        if (z.avail_in == 0 && inLeft > 0) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, inLeft));
            if (!ReadAt(offset, in.data(), n)) {
                error = ZipText::DamagedData;
                break;
            }
            offset += n;
            inLeft -= n;
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
        }
        // Once the recorded size is reached, one spare byte of room shows
        // whether the stream would go on past it.
        const std::size_t room = outLeft > 0 ? static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, outLeft)) : 1;
        const uInt inBefore = z.avail_in;
        z.next_out = buffer.data();
        z.avail_out = static_cast<uInt>(room);
        const int rc = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = room - z.avail_out;
        if (rc != Z_OK && rc != Z_STREAM_END) {
            error = ZipText::DamagedData;
            break;
        }
        if (produced > outLeft) {
            error = ZipText::DamagedData;
            break;
        }
        error = Write(out, buffer.data(), produced, crc);
        outLeft -= produced;
        if (rc == Z_STREAM_END) {
            if (outLeft != 0 && error.empty())
                error = ZipText::DamagedData;
            break;
        }
        if (produced == 0 && z.avail_in == inBefore && error.empty())
            error = ZipText::DamagedData; // no progress: the data ends too early
    }
    inflateEnd(&z);
    return error;
}

} // namespace quarnel
