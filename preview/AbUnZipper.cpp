#include "preview/AbUnZipper.h"

#include "platform/ByteOrder.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/FileOps.h"
#include "platform/Glob.h"
#include "preview/ZipLayout.h"
#include "preview/ZipNames.h"
#include "platform/PortableNames.h"
#include "platform/Utf8.h"

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

constexpr std::uint32_t kCentralSig = 0x02014b50;
constexpr std::uint32_t kEndSig = 0x06054b50;
constexpr std::uint32_t kEnd64Sig = 0x06064b50;
constexpr std::uint32_t kLocator64Sig = 0x07064b50;
constexpr std::uint32_t kSpannedSig = 0x08074b50;

constexpr std::size_t kEndSize = 22;
constexpr std::size_t kLocatorSize = 20;
constexpr std::size_t kEnd64Size = 56;
constexpr std::size_t kCentralSize = 46;

constexpr std::uint64_t kFirstBlock = 512;
constexpr std::uint64_t kLargestBlock = 65536;

constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrSystem = 0x04;
constexpr std::uint32_t kAttrDirectory = 0x10;

[[noreturn]] void Throw(const char* text) { throw ArchiveError(text); }

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The MS-DOS attributes of a member: its low attribute byte, or, for a member
// made on a Unix host, what its Unix mode amounts to.
std::uint32_t DosAttributes(const ZipItem& item)
{
    if ((item.versionMadeBy >> 8) != 3 && item.externalAttributes <= 0x1FFFF)
        return item.externalAttributes & 0xFF;
    const std::uint32_t mode = item.externalAttributes >> 16;
    std::uint32_t attrs = 0;
    if ((mode & 0200) == 0)
        attrs |= kAttrReadOnly;
    switch (mode & 0170000) {
    case 0040000: attrs |= kAttrDirectory; break;
    case 0020000: // character device
    case 0060000: // block device
    case 0010000: // pipe
    case 0140000: // socket
        attrs |= kAttrSystem;
        break;
    default: break;
    }
    return attrs;
}

// The masks of ExtractFiles: "\\" is no separator, and a "*" of the name meets
// a "*" of the mask first as itself.
constexpr GlobRules kMaskRules{.eitherSeparator = false, .starMatchesItselfFirst = true};

std::string Trim(const std::string& text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

void SplitPath(const std::string& path, std::string& folder, std::string& name)
{
    const std::size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Walks the extra field's blocks (tag, size, data); a block running past the
// end of the field ends the walk.
template <typename Visit> void ForEachExtra(const std::vector<std::uint8_t>& extra, Visit visit)
{
    std::size_t i = 0;
    while (i + 4 <= extra.size()) {
        const std::uint16_t tag = ReadLittleEndian16(&extra[i]);
        const std::size_t size = ReadLittleEndian16(&extra[i + 2]);
        if (size > extra.size() - i - 4)
            return;
        visit(tag, extra.data() + i + 4, size);
        i += 4 + size;
    }
}

// Takes the 64-bit values of the ZIP64 extended information field, each only
// when its classic field holds all ones, in the order the format fixes.
void ApplyZip64Extra(ZipItem& item)
{
    ForEachExtra(item.extraField, [&item](std::uint16_t tag, const std::uint8_t* data, std::size_t size) {
        if (tag != 0x0001)
            return;
        std::size_t at = 0;
        auto take64 = [&](std::uint64_t& field) {
            if (field == 0xFFFFFFFFu && at + 8 <= size) {
                field = ReadLittleEndian64(data + at);
                at += 8;
            }
        };
        take64(item.uncompressedSize);
        take64(item.compressedSize);
        take64(item.localHeaderOffset);
        if (item.diskNumberStart == 0xFFFF && at + 4 <= size)
            item.diskNumberStart = ReadLittleEndian32(data + at);
    });
}

} // namespace

bool ZipItem::IsFolder() const
{
    if (!fileName.empty() && fileName.back() == '/')
        return true;
    return (DosAttributes(*this) & kAttrDirectory) != 0 && uncompressedSize == 0;
}

std::string ZipItem::FolderPart() const
{
    std::string folder, name;
    SplitPath(fileName, folder, name);
    return folder;
}

std::string ZipItem::NamePart() const
{
    std::string folder, name;
    SplitPath(fileName, folder, name);
    return name;
}

bool ZipItem::IsReadOnly() const { return (DosAttributes(*this) & kAttrReadOnly) != 0; }

bool TAbUnZipper::MatchesMask(const std::string& memberName, const std::string& fileMask)
{
    std::string memberFolder, memberFile;
    SplitPath(memberName, memberFolder, memberFile);
    std::size_t start = 0;
    while (start <= fileMask.size()) {
        std::size_t end = fileMask.find(';', start);
        if (end == std::string::npos)
            end = fileMask.size();
        std::string pattern = Trim(fileMask.substr(start, end - start));
        start = end + 1;
        if (pattern.empty())
            continue;
        std::replace(pattern.begin(), pattern.end(), '\\', '/');
        std::string patternFolder, patternFile;
        SplitPath(pattern, patternFolder, patternFile);
        if (pattern.find('/') != std::string::npos && !MatchesGlob(memberFolder, patternFolder, kMaskRules))
            continue;
        if (patternFile == "*" || patternFile == "*.*" || MatchesGlob(memberFile, patternFile, kMaskRules))
            return true;
    }
    return false;
}

void TAbUnZipper::Close()
{
    stream_.close();
    stream_.clear();
    items_.clear();
    fileName_.clear();
    archiveSize_ = 0;
    window_.clear();
    windowStart_ = 0;
}

bool TAbUnZipper::ReadAt(std::uint64_t offset, void* buffer, std::size_t size)
{
    if (offset > archiveSize_ || size > archiveSize_ - offset)
        return false;
    if (size == 0)
        return true;
    const bool inWindow = offset >= windowStart_ && offset - windowStart_ <= window_.size() &&
                          size <= window_.size() - (offset - windowStart_);
    if (!inWindow && size <= kChunk) {
        // Small reads go through one window of the file, so that walking the
        // central directory or a backward search does not seek for each record.
        const std::uint64_t length = std::min<std::uint64_t>(kChunk, archiveSize_ - offset);
        window_.resize(static_cast<std::size_t>(length));
        stream_.clear();
        stream_.seekg(static_cast<std::streamoff>(offset));
        stream_.read(reinterpret_cast<char*>(window_.data()), static_cast<std::streamsize>(length));
        if (stream_.gcount() != static_cast<std::streamsize>(length)) {
            window_.clear();
            return false;
        }
        windowStart_ = offset;
    } else if (!inWindow) {
        stream_.clear();
        stream_.seekg(static_cast<std::streamoff>(offset));
        stream_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
        return stream_.gcount() == static_cast<std::streamsize>(size);
    }
    std::memcpy(buffer, window_.data() + (offset - windowStart_), size);
    return true;
}

bool TAbUnZipper::ReadBlock(std::uint64_t start, std::uint64_t end, std::vector<std::uint8_t>& block)
{
    block.resize(static_cast<std::size_t>(end - start));
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(start));
    stream_.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
    return stream_.gcount() == static_cast<std::streamsize>(block.size());
}

std::optional<std::uint64_t> TAbUnZipper::FindBackward(std::uint32_t signature, std::uint64_t last, std::uint64_t first,
                                                       std::size_t recordSize)
{
    // Positions last, last - 1, ..., first, in blocks read once each from the
    // end; only positions whose whole record lies in the file count.
    if (recordSize > archiveSize_)
        return std::nullopt;
    last = std::min<std::uint64_t>(last, archiveSize_ - recordSize);
    if (last < first)
        return std::nullopt;
    std::vector<std::uint8_t> block;
    std::uint64_t pos = last;
    while (true) {
        const std::uint64_t blockStart = pos - first >= kChunk ? pos - kChunk + 1 : first;
        if (!ReadBlock(blockStart, pos + 4, block))
            return std::nullopt;
        for (std::uint64_t p = pos + 1; p-- > blockStart;)
            if (ReadLittleEndian32(&block[p - blockStart]) == signature)
                return p;
        if (blockStart == first)
            return std::nullopt;
        pos = blockStart - 1;
    }
}

std::optional<std::uint64_t> TAbUnZipper::FindEndRecord()
{
    std::uint8_t record[kEndSize];
    if (archiveSize_ < kEndSize)
        return std::nullopt;
    if (ReadAt(archiveSize_ - kEndSize, record, kEndSize) && ReadLittleEndian32(record) == kEndSig &&
        ReadLittleEndian16(record + 20) == 0)
        return archiveSize_ - kEndSize;

    // Backward in growing blocks; each block overlaps the one after it by a
    // whole record so that no record is cut in two. Each block is read once
    // and searched in memory.
    std::vector<std::uint8_t> block;
    std::uint64_t blockEnd = archiveSize_;
    std::uint64_t blockSize = kFirstBlock;
    while (true) {
        const std::uint64_t blockStart = blockEnd > blockSize ? blockEnd - blockSize : 0;
        if (blockEnd - blockStart >= kEndSize) {
            if (!ReadBlock(blockStart, blockEnd, block))
                return std::nullopt;
            for (std::uint64_t p = blockEnd - kEndSize + 1; p-- > blockStart;) {
                const std::uint8_t* at = &block[p - blockStart];
                if (ReadLittleEndian32(at) == kEndSig && ReadLittleEndian16(at + 20) <= archiveSize_ - (p + kEndSize))
                    return p;
            }
        }
        if (blockStart == 0)
            return std::nullopt;
        blockEnd = blockStart + kEndSize;
        blockSize = std::min(blockSize * 2, kLargestBlock);
    }
}

void TAbUnZipper::SetFileName(const std::string& archivePath)
{
    Close();
    if (archivePath.empty())
        return;
    const fs::path path = OpenStream(archivePath);
    try {
        if (UpperAscii(path.extension().string()) != ".ZIP")
            Throw(ZipText::UnhandledType);
        std::uint8_t head[4] = {};
        const bool spanned = ReadAt(0, head, 4) && ReadLittleEndian32(head) == kSpannedSig;
        const std::optional<std::uint64_t> end = FindEndRecord();
        if (!end)
            Throw(spanned ? ZipText::NotPkZip : ZipText::UnhandledType);
        ReadCentralDirectory(*end);
        MarkOverlappingMembers();
    } catch (...) {
        Close();
        throw;
    }
    fileName_ = archivePath;
}

void TAbUnZipper::OpenWithDirectory(const std::string& archivePath, std::vector<ZipItem> items)
{
    Close();
    OpenStream(archivePath);
    items_ = std::move(items);
    fileName_ = archivePath;
}

fs::path TAbUnZipper::OpenStream(const std::string& archivePath)
{
    const fs::path path = PathFromUtf8(archivePath);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status))
        Throw(ZipText::FileNotFound);
    // A folder, pipe or device is no archive file; opening a pipe could block for ever.
    if (!fs::is_regular_file(status))
        Throw(ZipText::InvalidStream);

    // Read-only access; other programs may still read and write the file.
    stream_.open(path, std::ios::binary | std::ios::in);
    if (!stream_.is_open())
        Throw(ZipText::InvalidStream);
    stream_.seekg(0, std::ios::end);
    const std::streamoff size = stream_.tellg();
    if (size <= 0) {
        Close();
        Throw(ZipText::InvalidStream);
    }
    archiveSize_ = static_cast<std::uint64_t>(size);
    return path;
}

void TAbUnZipper::MarkOverlappingMembers()
{
    // Members in the order of their data. The extent of a member is at least
    // its local header's fixed part and its compressed data; one that begins
    // before the member ahead of it ends shares bytes with it, and both are
    // refused: a small archive could otherwise write the same data many times.
    std::vector<std::size_t> order(items_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return items_[a].localHeaderOffset < items_[b].localHeaderOffset;
    });
    std::uint64_t reach = 0;
    std::size_t reacher = 0;
    bool any = false;
    for (std::size_t index : order) {
        ZipItem& item = items_[index];
        if (item.IsFolder() && item.compressedSize == 0)
            continue;
        const std::uint64_t begin = item.localHeaderOffset;
        const std::uint64_t extent = kLocalSize + std::min(item.compressedSize, archiveSize_);
        if (any && begin < reach) {
            item.overlapsOther = true;
            items_[reacher].overlapsOther = true;
        }
        if (!any || begin + extent > reach) {
            reach = begin + extent;
            reacher = index;
        }
        any = true;
    }
}

void TAbUnZipper::ReadCentralDirectory(std::uint64_t endOffset)
{
    std::uint8_t rec[kEnd64Size];
    if (!ReadAt(endOffset, rec, kEndSize))
        Throw(ZipText::NotPkZip);
    std::uint64_t thisDisk = ReadLittleEndian16(rec + 4);
    std::uint64_t centralDisk = ReadLittleEndian16(rec + 6);
    std::uint64_t entriesHere = ReadLittleEndian16(rec + 8);
    std::uint64_t entries = ReadLittleEndian16(rec + 10);
    std::uint64_t centralSize = ReadLittleEndian32(rec + 12);
    std::uint64_t centralOffset = ReadLittleEndian32(rec + 16);

    if (thisDisk == 0xFFFF || centralDisk == 0xFFFF || entriesHere == 0xFFFF || entries == 0xFFFF ||
        centralSize == 0xFFFFFFFF || centralOffset == 0xFFFFFFFF) {
        if (endOffset < kLocatorSize)
            Throw(ZipText::NotPkZip);
        const auto locator = FindBackward(kLocator64Sig, endOffset - kLocatorSize, 0, kLocatorSize);
        if (!locator || !ReadAt(*locator, rec, kLocatorSize))
            Throw(ZipText::NotPkZip);
        const std::uint32_t recordDisk = ReadLittleEndian32(rec + 4);
        const std::uint64_t recordOffset = ReadLittleEndian64(rec + 8);
        const std::uint32_t totalDisks = ReadLittleEndian32(rec + 16);
        if (recordDisk != 0 || totalDisks > 1)
            Throw(ZipText::NotPkZip);
        if (!ReadAt(recordOffset, rec, kEnd64Size) || ReadLittleEndian32(rec) != kEnd64Sig)
            Throw(ZipText::NotPkZip);
        thisDisk = ReadLittleEndian32(rec + 16);
        centralDisk = ReadLittleEndian32(rec + 20);
        entriesHere = ReadLittleEndian64(rec + 24);
        entries = ReadLittleEndian64(rec + 32);
        centralSize = ReadLittleEndian64(rec + 40);
        centralOffset = ReadLittleEndian64(rec + 48);
    }
    // Archives split over several disks are not read.
    if (thisDisk != 0 || centralDisk != 0 || entriesHere != entries)
        Throw(ZipText::NotPkZip);
    // Every entry takes at least its fixed part, so a count the file cannot hold is a lie.
    if (entries > archiveSize_ / kCentralSize)
        Throw(ZipText::NotPkZip);

    std::uint64_t pos = centralOffset;
    std::uint8_t h[kCentralSize];
    for (std::uint64_t i = 0; i < entries; ++i) {
        if (!ReadAt(pos, h, kCentralSize) || ReadLittleEndian32(h) != kCentralSig)
            Throw(ZipText::NotPkZip);
        ZipItem item;
        item.versionMadeBy = ReadLittleEndian16(h + 4);
        item.versionNeeded = ReadLittleEndian16(h + 6);
        item.flags = ReadLittleEndian16(h + 8);
        item.method = ReadLittleEndian16(h + 10);
        item.dosTime = ReadLittleEndian16(h + 12);
        item.dosDate = ReadLittleEndian16(h + 14);
        item.crc32 = ReadLittleEndian32(h + 16);
        item.compressedSize = ReadLittleEndian32(h + 20);
        item.uncompressedSize = ReadLittleEndian32(h + 24);
        const std::size_t nameLength = ReadLittleEndian16(h + 28);
        const std::size_t extraLength = ReadLittleEndian16(h + 30);
        const std::size_t commentLength = ReadLittleEndian16(h + 32);
        item.diskNumberStart = ReadLittleEndian16(h + 34);
        item.externalAttributes = ReadLittleEndian32(h + 38);
        item.localHeaderOffset = ReadLittleEndian32(h + 42);
        item.rawName.resize(nameLength);
        item.extraField.resize(extraLength);
        if (!ReadAt(pos + kCentralSize, item.rawName.data(), nameLength) ||
            !ReadAt(pos + kCentralSize + nameLength, item.extraField.data(), extraLength))
            Throw(ZipText::NotPkZip);
        ApplyZip64Extra(item);
        if (item.diskNumberStart != 0)
            Throw(ZipText::NotPkZip);
        item.fileName = ZipNameToUtf8(item.rawName, item.flags, item.extraField);
        items_.push_back(std::move(item));
        pos += kCentralSize + nameLength + extraLength + commentLength;
    }
}

} // namespace quarnel
