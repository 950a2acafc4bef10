#include "gamedata/Dat2Archive.h"

#include "gamedata/SequentialReader.h"
#include "platform/ByteOrder.h"

namespace quarnel {
namespace {

constexpr std::size_t kTrailerSize = 8;
constexpr std::size_t kFixedEntryBytes = 4 + 1 + 12; // name length, compressed byte, three numbers

} // namespace

bool Dat2Archive::Recognises(ArchiveFile& file)
{
    if (file.Size() < kTrailerSize)
        return false;
    std::uint8_t trailer[kTrailerSize];
    file.ReadAt(file.Size() - kTrailerSize, trailer, kTrailerSize, "the trailer");
    return ReadLittleEndian32(trailer + 4) == file.Size();
}

Dat2Archive::Dat2Archive(ArchiveFile archive) : Archive(std::move(archive), ArchiveFormat::Dat2)
{
    ArchiveFile& file = File();
    const std::uint64_t fileSize = file.Size();
    std::uint8_t trailer[kTrailerSize];
    file.ReadAt(fileSize - kTrailerSize, trailer, kTrailerSize, "the trailer");
    const std::uint32_t treeSize = ReadLittleEndian32(trailer);
    if (treeSize < 4 || treeSize > fileSize - kTrailerSize)
        file.Fail("tree size " + std::to_string(treeSize) + " does not fit in the file's " + std::to_string(fileSize) +
                  " bytes");
    SequentialReader tree(file, fileSize - kTrailerSize - treeSize, fileSize - kTrailerSize);
    const std::uint32_t count = ReadLittleEndian32(tree.Take(4, "the tree"));
    // Refused before anything is allocated for the entries.
    if (count > (treeSize - 4) / kFixedEntryBytes)
        file.Fail("the tree claims " + std::to_string(count) + " entries, more than its " + std::to_string(treeSize) +
                  " bytes can hold");
    Reserve(count, treeSize - 4 - std::size_t{count} * kFixedEntryBytes);

    for (std::uint32_t i = 0; i < count; ++i) {
        if (tree.Left() < kFixedEntryBytes)
            file.Fail("entry " + std::to_string(i + 1) + " of the tree is cut short");
        const std::uint32_t nameLength = ReadLittleEndian32(tree.Take(4, "the tree"));
        if (nameLength > tree.Left() - (kFixedEntryBytes - 4))
            file.Fail("the name of entry " + std::to_string(i + 1) + " runs past the end of the tree");
        // The name and its numbers in one piece.
        const std::uint8_t* p = tree.Take(nameLength + 13, "the tree");
        const std::string_view name(reinterpret_cast<const char*>(p), nameLength);
        p += nameLength;
        Record record;
        record.method = p[0] != 0 ? StorageMethod::Zlib : StorageMethod::Stored;
        record.unpackedSize = ReadLittleEndian32(p + 1);
        record.packedSize = ReadLittleEndian32(p + 5);
        record.offset = ReadLittleEndian32(p + 9);
        Add({}, name, record);
    }
    FinishIndex();
}

std::optional<std::size_t> Dat2Archive::DirectorySearch(std::string_view path) const
{
    return HalvingSearch(path, Count(), [&](std::size_t i) { return Entry(i).path; });
}

} // namespace quarnel
