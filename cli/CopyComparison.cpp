#include "cli/CopyComparison.h"

#include "platform/FileIdentity.h"
#include "platform/Utf8.h"

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
    if (entryA.offset == entryB.offset && SameArchiveFile(a, b))
        return true;
    ArchiveFile& fileA = PackedReader(a);
    ArchiveFile& fileB = PackedReader(b);
    if (!fileA.Holds(entryA.offset, entryA.packedSize) || !fileB.Holds(entryB.offset, entryB.packedSize))
        return std::nullopt;
    // One packed stream unpacks to one result: equal packed bytes are equal files.
    if (fileA.ReadAt(entryA.offset, entryA.packedSize, "the entry's data") ==
        fileB.ReadAt(entryB.offset, entryB.packedSize, "the entry's data"))
        return true;
    // Stored bytes are the file itself; packed ones may still unpack alike.
    if (entryA.method == StorageMethod::Stored)
        return false;
    return std::nullopt;
}

bool CopyComparison::SameArchiveFile(const ArchiveLayer& a, const ArchiveLayer& b)
{
    const auto known = sameFile_.find({&a, &b});
    if (known != sameFile_.end())
        return known->second;
    const auto identityA = IdentityOf(PathFromUtf8(a.archive().Name()));
    const bool same = identityA && identityA == IdentityOf(PathFromUtf8(b.archive().Name()));
    sameFile_[{&a, &b}] = same;
    return same;
}

ArchiveFile& CopyComparison::PackedReader(const ArchiveLayer& layer)
{
    std::unique_ptr<ArchiveFile>& reader = readers_[&layer];
    if (!reader)
        reader = std::make_unique<ArchiveFile>(PathFromUtf8(layer.archive().Name()));
    return *reader;
}

} // namespace quarnel::cli
