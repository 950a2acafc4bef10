#include "gamedata/Dat1Archive.h"

#include "gamedata/SequentialReader.h"
#include "platform/ByteOrder.h"

namespace quarnel {
namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kFolderBlockSize = 16;    // file count and three numbers
constexpr std::size_t kMinFolderBytes = 1 + 16; // an empty name and an empty block
constexpr std::size_t kMinFileBytes = 1 + 16;   // an empty name and four numbers

} // namespace

bool Dat1Archive::Recognises(ArchiveFile& file)
{
    if (file.Size() < kHeaderSize + kMinFolderBytes)
        return false;
    std::uint8_t header[kHeaderSize];
    file.ReadAt(0, header, kHeaderSize, "the header");
    const std::uint32_t folders = ReadBigEndian32(header);
    return folders >= 1 && folders <= (file.Size() - kHeaderSize) / kMinFolderBytes && ReadBigEndian32(header + 8) == 0;
}

Dat1Archive::Dat1Archive(ArchiveFile archive) : Archive(std::move(archive), ArchiveFormat::Dat1)
{
    ArchiveFile& file = File();
    SequentialReader reader(file, 0, file.Size());
    const std::uint32_t folderCount = ReadBigEndian32(reader.Take(kHeaderSize, "the header"));
    if (folderCount > reader.Left() / kMinFolderBytes)
        file.Fail("the header claims " + std::to_string(folderCount) + " directories, more than the file can hold");
    folders_.reserve(folderCount);
    for (std::uint32_t i = 0; i < folderCount; ++i) {
        const std::size_t length = *reader.Take(1, "the directory names");
        const std::string_view name(reinterpret_cast<const char*>(reader.Take(length, "the directory names")), length);
        folders_.push_back({std::string(name)});
    }
    for (Folder& directory : folders_) {
        const std::string folder = directory.name == "." ? std::string() : directory.name;
        directory.first = Count();
        const std::uint32_t fileCount = ReadBigEndian32(reader.Take(kFolderBlockSize, "a directory's file list"));
        if (fileCount > reader.Left() / kMinFileBytes)
            file.Fail("directory '" + folder + "' claims " + std::to_string(fileCount) +
                      " files, more than the file can hold");
        for (std::uint32_t i = 0; i < fileCount; ++i) {
            // The name and its four numbers in one piece: the next Take may move the window.
            const std::size_t length = *reader.Take(1, "a directory's file list");
            const std::uint8_t* p = reader.Take(length + 16, "a directory's file list");
            const std::string_view name(reinterpret_cast<const char*>(p), length);
            p += length;
            Record record;
            const std::uint32_t attributes = ReadBigEndian32(p);
            switch (attributes & 0xF0) {
            case 0x20: record.method = StorageMethod::Stored; break;
            case 0x00:
            case 0x10: record.method = StorageMethod::Lzss; break;
            case 0x40: record.method = StorageMethod::LzssChunks; break;
            default:
                file.Fail("entry '" + folder + "\\" + std::string(name) + "' has an unknown storage method 0x" +
                          "0123456789ABCDEF"[(attributes >> 4) & 0xF] + "0");
            }
            record.offset = ReadBigEndian32(p + 4);
            record.unpackedSize = ReadBigEndian32(p + 8);
            record.packedSize = ReadBigEndian32(p + 12);
            Add(folder, name, record);
        }
        directory.count = Count() - directory.first;
    }
    FinishIndex();
}

std::optional<std::size_t> Dat1Archive::DirectorySearch(std::string_view path) const
{
    // The folder's name is searched among the folders (a path without one is
    // in the first), then the file's name among that folder's names: both
    // lists sorted, each searched by halving.
    const std::size_t slash = path.find_last_of("/\\");
    std::size_t folderIndex = 0;
    if (slash != std::string_view::npos) {
        const auto found = HalvingSearch(path.substr(0, slash), folders_.size(),
                                         [&](std::size_t i) { return std::string_view(folders_[i].name); });
        if (!found)
            return std::nullopt;
        folderIndex = *found;
    }
    if (folderIndex >= folders_.size())
        return std::nullopt;
    const Folder& folder = folders_[folderIndex];
    const std::size_t prefix = folder.name == "." || folder.name.empty() ? 0 : folder.name.size() + 1;
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto found =
        HalvingSearch(name, folder.count, [&](std::size_t i) { return Entry(folder.first + i).path.substr(prefix); });
    if (!found)
        return std::nullopt;
    return folder.first + *found;
}

} // namespace quarnel
