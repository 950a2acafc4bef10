#include "gamedata/Archive.h"

#include "gamedata/Dat1Archive.h"
#include "gamedata/Dat2Archive.h"
#include "gamedata/Decompressors.h"
#include "gamedata/GamePath.h"
#include "platform/Errors.h"

#include <algorithm>

namespace quarnel {

const char* MethodName(StorageMethod method)
{
    switch (method) {
    case StorageMethod::Stored: return "stored";
    case StorageMethod::Lzss: return "lzss";
    case StorageMethod::LzssChunks: return "lzss-chunks";
    case StorageMethod::Zlib: return "zlib";
    }
    return "stored";
}

std::unique_ptr<Archive> Archive::Open(const std::filesystem::path& file)
{
    ArchiveFile archive(file);
    if (Dat2Archive::Recognises(archive)) {
        if (!Dat1Archive::Recognises(archive))
            return std::make_unique<Dat2Archive>(std::move(archive));
        // A first-game archive may end in bytes that read as its size: when
        // the second game's directory is not there, it is read as the first
        // game's; failing that too, the second game's fault is the one told.
        try {
            return std::make_unique<Dat2Archive>(ArchiveFile(file));
        } catch (const ArchiveError& second) {
            try {
                return std::make_unique<Dat1Archive>(std::move(archive));
            } catch (const ArchiveError&) {
                throw second;
            }
        }
    }
    if (Dat1Archive::Recognises(archive))
        return std::make_unique<Dat1Archive>(std::move(archive));
    archive.Fail("not a DAT archive of either game (no second-game trailer holding the file's size, "
                 "no first-game directory header)");
}

ArchiveEntry Archive::Entry(std::size_t index) const
{
    const Record& r = records_.at(index);
    const KeySpan& span = spans_[index];
    return {std::string_view(paths_).substr(span.start, span.length), r.unpackedSize,
            r.method == StorageMethod::Stored ? r.unpackedSize : r.packedSize, r.offset, r.method};
}

std::optional<std::size_t> Archive::Find(std::string_view path) const
{
    if (const auto entry = index_.Find(path))
        return *entry;
    return std::nullopt;
}

bool Archive::IsRepeated(std::size_t index) const { return index_.IsRepeated(index); }

int Archive::DirectoryCompare(std::string_view a, std::string_view b)
{
    auto lowered = [](char c) {
        const auto byte = static_cast<unsigned char>(c == '/' ? '\\' : c);
        return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : int{byte};
    };
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
        if (const int difference = lowered(a[i]) - lowered(b[i]))
            return difference;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

void Archive::Reserve(std::size_t count, std::size_t pathBytes)
{
    records_.reserve(count);
    spans_.reserve(count);
    paths_.reserve(pathBytes);
}

void Archive::Add(std::string_view folder, std::string_view name, const Record& record)
{
    const std::size_t start = paths_.size();
    if (!folder.empty()) {
        paths_ += folder;
        paths_ += '/';
    }
    paths_ += name;
    for (std::size_t i = start; i < paths_.size(); ++i)
        if (paths_[i] == '\\')
            paths_[i] = '/';
    if (paths_.size() > UINT32_MAX)
        file_.Fail("the directory's paths are too long");
    spans_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(paths_.size() - start)});
    records_.push_back(record);
}

void Archive::FinishIndex()
{
    index_.Build(paths_, spans_);
    for (std::uint32_t entry = 0; entry < records_.size(); ++entry) {
        // Each path of several entries once: at its first entry.
        if (!index_.IsRepeated(entry) || index_.Find(Entry(entry).path) != entry)
            continue;
        const auto chosen = DirectorySearch(Entry(entry).path);
        if (chosen && SameGamePath(Entry(*chosen).path, Entry(entry).path))
            index_.Choose(static_cast<std::uint32_t>(*chosen));
    }
}

std::vector<std::uint8_t> Archive::Read(std::size_t index) const
{
    const Record& r = records_.at(index);
    const std::string path(Entry(index).path);
    auto fail = [&](const std::string& what) { file_.Fail(path + ": " + what); };
    if (r.unpackedSize > kMaxUnpackedSize)
        fail("unpacked size " + std::to_string(r.unpackedSize) + " is above the limit of " +
             std::to_string(kMaxUnpackedSize) + " bytes");
    if (r.method == StorageMethod::Stored) {
        if (!file_.Holds(r.offset, r.unpackedSize))
            fail("its data lies outside the file");
        return file_.ReadAt(r.offset, r.unpackedSize, "the entry's data");
    }
    // No stream of these methods is much longer than its output; a longer
    // claim is refused before the packed bytes are read into memory.
    if (r.packedSize > std::uint64_t{r.unpackedSize} + r.unpackedSize / 4 + 1024)
        fail("packed size " + std::to_string(r.packedSize) + " is too large for unpacked size " +
             std::to_string(r.unpackedSize));
    // Nor does any give more than its method's greatest ratio: an archive
    // of a few bytes cannot make the reader set 64 MiB aside.
    const std::uint64_t ratio = r.method == StorageMethod::Zlib ? 1032 : 9;
    if (r.unpackedSize > std::uint64_t{r.packedSize} * ratio + 1024)
        fail("unpacked size " + std::to_string(r.unpackedSize) + " is too large for packed size " +
             std::to_string(r.packedSize));
    if (!file_.Holds(r.offset, r.packedSize))
        fail("its data lies outside the file");
    const std::vector<std::uint8_t> packed = file_.ReadAt(r.offset, r.packedSize, "the entry's data");
    std::vector<std::uint8_t> out(r.unpackedSize);
    DecodeStatus status = DecodeStatus::Ok;
    switch (r.method) {
    case StorageMethod::Lzss: status = DecodeLzssExact(packed.data(), packed.size(), out.data(), out.size()); break;
    case StorageMethod::LzssChunks:
        status = DecodeLzssChunks(packed.data(), packed.size(), out.data(), out.size());
        break;
    case StorageMethod::Zlib: status = DecodeZlib(packed.data(), packed.size(), out.data(), out.size()); break;
    case StorageMethod::Stored: break;
    }
    if (status != DecodeStatus::Ok)
        fail(DecodeStatusText(status));
    return out;
}

} // namespace quarnel
