#include "gamedata/Dat1Archive.h"

#include <algorithm>

namespace quarnel {
namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kFolderBlockSize = 16;    // file count and three numbers
constexpr std::size_t kMinFolderBytes = 1 + 16; // an empty name and an empty block
constexpr std::size_t kMinFileBytes = 1 + 16;   // an empty name and four numbers

std::uint32_t Be32(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// Reads the directory from the start of the file front to back, fetching
// more of the file as the parse goes, never past its end.
class DirectoryReader {
public:
    explicit DirectoryReader(ArchiveFile& file) : file_(file) {}

    std::uint64_t Position() const { return pos_; }
    std::uint64_t Left() const { return file_.Size() - pos_; }

    const std::uint8_t* Take(std::size_t size, const char* what)
    {
        if (!file_.Holds(pos_, size))
            file_.Fail(std::string(what) + " runs past the end of the file");
        if (pos_ + size > loaded_) {
            const std::uint64_t want = std::max<std::uint64_t>(pos_ + size, loaded_ * 2 + 65536);
            const std::size_t more = static_cast<std::size_t>(std::min<std::uint64_t>(want, file_.Size()) - loaded_);
            buffer_.resize(static_cast<std::size_t>(loaded_) + more);
            file_.ReadAt(loaded_, buffer_.data() + loaded_, more, "the directory");
            loaded_ += more;
        }
        const std::uint8_t* p = buffer_.data() + pos_;
        pos_ += size;
        return p;
    }

    std::string_view Name(const char* what)
    {
        const std::size_t length = *Take(1, what);
        return {reinterpret_cast<const char*>(Take(length, what)), length};
    }

private:
    ArchiveFile& file_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t loaded_ = 0;
    std::uint64_t pos_ = 0;
};

} // namespace

bool Dat1Archive::Recognises(ArchiveFile& file)
{
    if (file.Size() < kHeaderSize + kMinFolderBytes)
        return false;
    std::uint8_t header[kHeaderSize];
    file.ReadAt(0, header, kHeaderSize, "the header");
    const std::uint32_t folders = Be32(header);
    return folders >= 1 && folders <= (file.Size() - kHeaderSize) / kMinFolderBytes && Be32(header + 8) == 0;
}

Dat1Archive::Dat1Archive(ArchiveFile archive) : Archive(std::move(archive), ArchiveFormat::Dat1)
{
    ArchiveFile& file = File();
    DirectoryReader reader(file);
    const std::uint32_t folderCount = Be32(reader.Take(kHeaderSize, "the header"));
    if (folderCount > reader.Left() / kMinFolderBytes)
        file.Fail("the header claims " + std::to_string(folderCount) + " directories, more than the file can hold");
    std::vector<std::string> folders;
    folders.reserve(folderCount);
    for (std::uint32_t i = 0; i < folderCount; ++i) {
        const std::string_view name = reader.Name("the directory names");
        folders.emplace_back(name == "." ? std::string_view() : name);
    }
    for (const std::string& folder : folders) {
        const std::uint32_t fileCount = Be32(reader.Take(kFolderBlockSize, "a directory's file list"));
        if (fileCount > reader.Left() / kMinFileBytes)
            file.Fail("directory '" + folder + "' claims " + std::to_string(fileCount) +
                      " files, more than the file can hold");
        for (std::uint32_t i = 0; i < fileCount; ++i) {
            // The name and its four numbers in one piece: a later fetch may move the buffer.
            const std::size_t length = *reader.Take(1, "a directory's file list");
            const std::uint8_t* p = reader.Take(length + 16, "a directory's file list");
            const std::string_view name(reinterpret_cast<const char*>(p), length);
            p += length;
            Record record;
            const std::uint32_t attributes = Be32(p);
            switch (attributes & 0xF0) {
            case 0x20: record.method = StorageMethod::Stored; break;
            case 0x00:
            case 0x10: record.method = StorageMethod::Lzss; break;
            case 0x40: record.method = StorageMethod::LzssChunks; break;
            default:
                file.Fail("entry '" + folder + "\\" + std::string(name) + "' has an unknown storage method 0x" +
                          "0123456789ABCDEF"[(attributes >> 4) & 0xF] + "0");
            }
            record.offset = Be32(p + 4);
            record.unpackedSize = Be32(p + 8);
            record.packedSize = Be32(p + 12);
            Add(folder, name, record);
        }
    }
    FinishIndex();
}

} // namespace quarnel
