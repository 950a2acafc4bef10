#include "cli/CopyComparison.h"

#include "platform/FileIdentity.h"
#include "platform/Utf8.h"

#include <algorithm>

namespace quarnel::cli {

bool CopyComparison::SameBytes(const Holding& a, const Holding& b)
{
    if (a.size != b.size)
        return false;
    const auto* archiveA = dynamic_cast<const ArchiveLayer*>(a.layer);
    const auto* archiveB = dynamic_cast<const ArchiveLayer*>(b.layer);
    if (archiveA && archiveB)
        if (const auto known = CompareEntries(*archiveA, a.path, *archiveB, b.path))
            return *known;
    return a.layer->Read(a.path) == b.layer->Read(b.path);
}

std::optional<bool> CopyComparison::CompareEntries(const ArchiveLayer& a, std::string_view pathA, const ArchiveLayer& b,
                                                   std::string_view pathB)
{
    const auto indexA = a.archive().Find(pathA);
    const auto indexB = b.archive().Find(pathB);
    if (!indexA || !indexB)
        return std::nullopt;
    const ArchiveEntry entryA = a.archive().Entry(*indexA);
    const ArchiveEntry entryB = b.archive().Entry(*indexB);
    // Only the same method and packed size can be told apart by the packed bytes;
    // an entry too large to read is left to the reader, which refuses it.
    if (entryA.method != entryB.method || entryA.packedSize != entryB.packedSize ||
        entryA.unpackedSize != entryB.unpackedSize || entryA.packedSize > Archive::kMaxUnpackedSize)
        return std::nullopt;
    if (entryA.offset == entryB.offset && SameArchiveBytes(a, b))
        return true;
    PackedReader& readerA = ReaderOf(a);
    PackedReader& readerB = ReaderOf(b);
    if (!readerA.file.Holds(entryA.offset, entryA.packedSize) || !readerB.file.Holds(entryB.offset, entryB.packedSize))
        return std::nullopt;
    // One packed stream unpacks to one result: equal packed bytes are equal files.
    const std::uint8_t* packedA = readerA.Bytes(entryA.offset, entryA.packedSize);
    if (std::equal(packedA, packedA + entryA.packedSize, readerB.Bytes(entryB.offset, entryB.packedSize)))
        return true;
    // Stored bytes are the file itself; packed ones may still unpack alike.
    if (entryA.method == StorageMethod::Stored)
        return false;
    return std::nullopt;
}

bool CopyComparison::SameArchiveBytes(const ArchiveLayer& a, const ArchiveLayer& b)
{
    const auto known = sameBytes_.find({&a, &b});
    if (known != sameBytes_.end())
        return known->second;
    bool& same = sameBytes_[{&a, &b}];
    const auto identityA = IdentityOf(PathFromUtf8(a.archive().Name()));
    same = identityA && identityA == IdentityOf(PathFromUtf8(b.archive().Name()));
    PackedReader& readerA = ReaderOf(a);
    PackedReader& readerB = ReaderOf(b);
    const std::uint64_t size = readerA.file.Size();
    if (same || size != readerB.file.Size())
        return same;
    // One pass in large blocks, stopping at the first difference.
    constexpr std::uint64_t kBlock = 1 << 20;
    for (std::uint64_t offset = 0; offset < size; offset += kBlock) {
        const auto block = static_cast<std::size_t>(std::min(kBlock, size - offset));
        const std::uint8_t* bytesA = readerA.Bytes(offset, block);
        if (!std::equal(bytesA, bytesA + block, readerB.Bytes(offset, block)))
            return same;
    }
    same = true;
    return same;
}

CopyComparison::PackedReader& CopyComparison::ReaderOf(const ArchiveLayer& layer)
{
    std::unique_ptr<PackedReader>& reader = readers_[&layer];
    if (!reader)
        reader = std::make_unique<PackedReader>(ArchiveFile(PathFromUtf8(layer.archive().Name())));
    return *reader;
}

const std::uint8_t* CopyComparison::PackedReader::Bytes(std::uint64_t offset, std::size_t size)
{
    constexpr std::uint64_t kWindow = 1 << 20;
    if (offset < start || offset - start + size > window.size()) {
        if (!file.Holds(offset, size))
            file.Fail("bytes " + std::to_string(offset) + " to " + std::to_string(offset + size) +
                      " lie outside the file");
        // A read at or just past the window's end starts the next window; any other reads itself alone.
        const std::uint64_t end = start + window.size();
        const bool onward = !window.empty() && offset >= end && offset - end < kWindow;
        start = offset;
        window.resize(
            onward ? static_cast<std::size_t>(std::max<std::uint64_t>(size, std::min(kWindow, file.Size() - offset)))
                   : size);
        file.ReadAt(offset, window.data(), window.size(), "the entry's data");
    }
    return window.data() + (offset - start);
}

} // namespace quarnel::cli
